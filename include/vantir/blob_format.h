/* The stored blob formats as a host sees them: the 64-byte header that begins
   every blob, and the tag and version that name each kind. */
#ifndef VANTIR_BLOB_FORMAT_H
#define VANTIR_BLOB_FORMAT_H

/* The common header; every field little-endian. */
#define VANTIR_BLOB_MAGIC "KRVF" /* the first 4 bytes, compared without a terminator */
#define VANTIR_BLOB_MAGIC_BYTES 4
#define VANTIR_BLOB_HEADER_SIZE 64
#define VANTIR_BLOB_TOTAL_SIZE_OFFSET 4  /* u32: bytes of the whole blob */
#define VANTIR_BLOB_HEADER_SIZE_OFFSET 8 /* u32: 64 */
#define VANTIR_BLOB_TAG_OFFSET 12        /* the tag text and its NUL, within 8 bytes */
#define VANTIR_BLOB_TAG_ROOM 8
#define VANTIR_BLOB_VERSION_OFFSET 20 /* u16 */
/* u32 the library copies on attach: the set identity, the same number in every
   blob `vantir build` writes for one set, 0 for none (see vantir.hpp). */
#define VANTIR_BLOB_USER_VALUE_OFFSET 28

/* The kinds: the address database, the bigram model and the lexicon. */
#define VANTIR_ADDRESS_DB_TAG "ADDR"
#define VANTIR_ADDRESS_DB_VERSION 1
#define VANTIR_MODEL_BLOB_TAG "LMB"
#define VANTIR_MODEL_BLOB_VERSION 2
#define VANTIR_LEXICON_BLOB_TAG "WPB"
#define VANTIR_LEXICON_BLOB_VERSION 2
/* The sounds blob: readings of the lexicon's words and of the characters a
   recogniser may write, for sound-alike text intake (optional). */
#define VANTIR_SOUNDS_BLOB_TAG "SND"
#define VANTIR_SOUNDS_BLOB_VERSION 1
/* The postal blob: per district its roads with their sections, lanes and
   house-number ranges, and each range's postcode (optional). */
#define VANTIR_POSTAL_BLOB_TAG "PST"
#define VANTIR_POSTAL_BLOB_VERSION 1

/* The file `vantir build` keeps in a data folder while it switches the blobs to
   a new set (and leaves there when it was stopped meanwhile): a loader that
   failed while it stood, or that sees it appear, loads the folder once more. */
#define VANTIR_SWITCH_RECORD_NAME ".vantir-switch"

#endif /* VANTIR_BLOB_FORMAT_H */
