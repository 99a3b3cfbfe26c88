/* The filter session: the calls a host makes to turn the N-best word sequences
   of one spoken address into ranked, distinct canonical address texts. */
#ifndef VANTIR_VANTIR_H
#define VANTIR_VANTIR_H

#include "vantir/bigram.h"
#include "vantir/lexicon.h"
#include "vantir/mempool.h"
#include "vantir/types.h"

#ifdef __cplusplus
extern "C" {
#endif

/* One utterance: Vantir_Reset, one Vantir_AddRecogResult (or Vantir_AddRecogText)
   per hypothesis, best first, then Vantir_GetFilterResult, once with a null
   output to learn the size and once with a buffer of that size. */

/* Binds a model, a lexicon and an "ADDR" address database, all borrowed; they
   must outlive the session. A session is used by one thread at a time. Only
   the database header is checked here: hosts that load bytes from untrusted
   storage call Vantir_VerifyBlob first.
   The session is one heap block: about 67 KB, plus an index of the database's
   region pairs of 32 to 48 bytes per pair (tables of more than 2^20 pairs are
   not indexed), so its size depends on the table. The index is filled by the
   first Vantir_AddRecogResult and filled again after the lexicon was edited or
   the model got another blob; results never depend on it.
   Returns the session, empty and with options 0, or null (no code) for a null
   argument, a database whose header is not "ADDR" version 1, or a refused
   allocation. Free it with Vantir_Release. */
VANTIR_API FilterSession* Vantir_Init(BigramModel* model, Lexicon* lexicon, const void* addressDb);
/* Frees the session; a null session is ignored. The model, the lexicon and the
   database are the host's and are not touched. */
VANTIR_API void Vantir_Release(FilterSession* session);
/* Empties the result table for the next utterance; the bound objects and the
   options stay. 0; -5 null session. */
VANTIR_API int32_t Vantir_Reset(FilterSession* session);
/* Enters one hypothesis: `count` word ids, read during the call only. The
   hypotheses of an utterance come best first: among results of equal rank
   class the one entered first is listed first. reserved1..3 are ignored: pass
   0. Each id must lie in -1..N-1, N = BigramModel_GetStaticCount +
   BigramModel_GetAddedCapacity of the session's model. The call allocates
   three heap arrays of about count ids each and frees them before returning.
   0: done, also when the hypothesis yields no address or only a text already
      listed;
   -5 null session;
   -41 count < 0, null ids with count > 0, or an id outside -1..N-1;
   -4 count > 0 and the model has no blob;
   -10 a work array could not be allocated;
   -1001 the table already holds its 128 results, even if the text is listed;
      texts entered for earlier region candidates of this hypothesis stay. In
      accurate mode a listed text still gains support, and the code is given
      when the hypothesis's best reading is a new text that found no room.
   On -5, -41, -4 and -10 nothing is entered. */
VANTIR_API int32_t Vantir_AddRecogResult(FilterSession* session, const WordId* ids,
                                         int32_t reserved1, int32_t reserved2, int32_t reserved3,
                                         int32_t count);
/* Writes up to *count texts, each ended by a 0 unit, then one more 0 unit, and
   returns the number of units of that list; a null output only measures.
   Read the list by the count written to *count, never up to a double 0: a
   hypothesis whose words have no text yields an empty text (a lone 0 unit),
   which is no address.
   *count: in, the most texts wanted (>= 0); out, the number delivered (at
   most the number of results). Texts come in ranked order: rank class, then
   order of entry (accurate mode: by the utterance's evidence). The table
   keeps its results, so the call may be repeated. reserved1 and reserved2 are
   ignored: pass 0.
   Buffer: no size is passed; `output` must hold as many units as the call
   returns for the same *count, which a first call with a null output gives.
   A result text has at most 127 units, so 128 * 128 + 1 = 16385 units always
   suffice.
   Returns the units of the list (at least 1: an empty list is one 0 unit);
   -5 null session; -41 a null count or *count < 0, nothing written. */
VANTIR_API int32_t Vantir_GetFilterResult(FilterSession* session, char16_t* output,
                                          int32_t reserved1, int32_t reserved2, int32_t* count);

/* Structural check of a stored blob of any of the four kinds ("ADDR", "LMB",
   "WPB", and the sounds blob "SND"), recognised by its header tag, against
   the real number of bytes that the host holds. 0 when every count, offset
   and array of the blob lies inside `size` bytes and is consistent; -103
   otherwise (also for a null blob or fewer than 64 bytes). Never reads past
   `size`, never writes. */
VANTIR_API int32_t Vantir_VerifyBlob(const void* blob, uint32_t size);

/* Session options, a bit set; beyond the design's behaviour, opted into per
   session. With options 0 (the value after Vantir_Init) every call behaves
   exactly as without them. */
/* Evidence-based completion, candidate checks, ranking, one spelling per address. */
#define VANTIR_OPTION_ACCURATE 0x1u
/* Never switches the model's scoring mode: the session only reads the model,
   the lexicon and the database, scoring pairs with the strict scorer that the
   mode switch would install, so its results equal the default's. Sessions with
   this option, one per thread, may then filter at the same time over one
   model, lexicon and database, as long as nothing edits them meanwhile (see
   docs/THREADS.md). Without it every Vantir_AddRecogResult switches the
   model's mode (a write): sessions sharing a model must not filter at the
   same time, nor may the host score with the model meanwhile. */
#define VANTIR_OPTION_SHARED_MODEL 0x2u

/* Text intake may read misheard characters as the lexicon word that sounds the
   same (中孝東路 as 忠孝東路, 好 after a number as 號); needs sounds
   (Vantir_AttachSounds). Without a sounds blob the option is accepted and text
   is read by its spelling only. Word ids entered directly are not affected. */
#define VANTIR_OPTION_SOUND_ALIKE 0x4u

/* 0; -5 null session; -41 unknown bits; -4 when the session's table holds
   results (set options right after Vantir_Init or Vantir_Reset). Nothing
   changes on failure. Vantir_Reset keeps the options. */
VANTIR_API int32_t Vantir_SetOptions(FilterSession* session, uint32_t options);
/* The session's options; 0 for a null session. */
VANTIR_API uint32_t Vantir_GetOptions(const FilterSession* session);

/* Text intake, for recognisers that emit text instead of word ids. `text` holds
   `length` UTF-16 units, or runs to its 0 unit when length < 0; it is only read.
   Vantir_SegmentText writes at most `capacity` ids (ids may be null when capacity
   is 0) and returns how many the whole text splits into, or a negative code:
   -5 null session, -41 a null text with a length other than 0, a negative
   capacity or null ids with room, -4 a model without a blob and a text with
   words, -10 out of memory. A result above `capacity` means the ids were cut:
   call again with room for that many. Blanks and punctuation are dropped,
   Taiwan variant characters (台/臺 ...), full- and half-width ASCII and ASCII
   case all find the lexicon's word, digit runs are read as numbers spelled in
   numerals, and a character no word covers is left out.
   Vantir_AddRecogText enters the text as one hypothesis, with the return codes
   of Vantir_AddRecogResult (and the argument codes above); -10 also when the
   heap array for a text of more than 128 words is refused, -51 for a text of
   more than 2^31 - 1 words. */
VANTIR_API int32_t Vantir_SegmentText(FilterSession* session, const char16_t* text, int32_t length,
                                      WordId* ids, int32_t capacity);
VANTIR_API int32_t Vantir_AddRecogText(FilterSession* session, const char16_t* text,
                                       int32_t length);

/* Gives the session the sounds blob ("SND") that `vantir build` writes beside the
   other three: the readings of the lexicon's words and of the characters a
   recogniser may write. Borrowed like the address database: it must outlive the
   session and stay unchanged; it is read in place (any alignment). A null blob
   detaches. Only the header and the counts are checked here: hosts that load
   bytes from storage call Vantir_VerifyBlob first. Attaching changes nothing
   until VANTIR_OPTION_SOUND_ALIKE is set.
   0; -5 null session; -103 not a sounds blob, or one built for another lexicon
   (another word count, or another set identity when both carry one). */
VANTIR_API int32_t Vantir_AttachSounds(FilterSession* session, const void* soundsBlob);

/* Postal ranges. With a postal blob attached: districts are listed, and results
   ranked, by whether the postal ranges hold the road, its section, lane and
   house number there. */
#define VANTIR_OPTION_POSTAL 0x8u

/* Gives the session the postal blob ("PST") that `vantir build` writes when the
   source folder has ranges.tsv: per district, its roads with their sections,
   lanes and house-number ranges, and the postcode of each range. Borrowed like
   the address database: it must outlive the session and stay unchanged. A null
   blob detaches. 0; -5 null session; -103 not a postal blob, or one built for
   another set. Vantir_VerifyBlob checks it like the other kinds. */
VANTIR_API int32_t Vantir_AttachPostal(FilterSession* session, const void* postalBlob);

enum {
    VANTIR_POSTAL_UNKNOWN = 0, /* no postal blob, or the result names no road */
    VANTIR_POSTAL_NUMBER,      /* a range of the district's road holds the house number
                                  (or the lane) said */
    VANTIR_POSTAL_ROAD,        /* the district holds the road with its section; the
                                  result says no house number */
    VANTIR_POSTAL_NOT_FOUND    /* the district's ranges hold no such road, section,
                                  lane or number */
};

typedef struct VantirPostal {
    int32_t status; /* VANTIR_POSTAL_* */
    char code[8];   /* NUL-terminated ASCII digits: the five-digit code of the range that
                       holds the number; else the district's three digits when the
                       district is known; else "" */
} VantirPostal;

/* The postal standing of the result at `index`, in the order Vantir_GetFilterResult
   delivers the texts; answered whenever a postal blob is attached, with or without
   VANTIR_OPTION_POSTAL. 0; -5 null session or out; -1 no result at that index. */
VANTIR_API int32_t Vantir_GetResultPostal(FilterSession* session, int32_t index, VantirPostal* out);

/* A static English sentence for any result code of the library (0 included);
   never null: "unknown result code" for a number the library does not return.
   The text is lower case without a final period, so that it reads after a
   colon ("refused: invalid argument ..."); it names the condition, not the
   number. Static storage: never free it; safe from any thread. */
VANTIR_API const char* Vantir_ErrorMessage(int32_t code);
/* Result details: what an application needs to act on a result. For each result,
   in the order Vantir_GetFilterResult delivers them, its rank class, how many
   hypotheses gave it and the best rank among them, its fields as spans of its
   text, and a confidence calibrated on recogniser-like N-best lists: of the
   results given confidence c, about c are the address that was said. In both
   modes; reading details changes neither the results nor their order. */

/* Where a field stands in a result text, in UTF-16 units; length 0: not present.
   A span holds the field's key too ("四段", "123巷", "12之1號"). */
typedef struct VantirSpan {
    int16_t start;
    int16_t length;
} VantirSpan;

enum {
    VANTIR_FIELD_UPPER = 0, /* upper region (Taiwan: county or city) */
    VANTIR_FIELD_LOWER,     /* lower region (district, township) */
    VANTIR_FIELD_ROAD,
    VANTIR_FIELD_SECTION, /* …段 */
    VANTIR_FIELD_LANE,    /* …巷 */
    VANTIR_FIELD_ALLEY,   /* …弄 */
    VANTIR_FIELD_NUMBER,  /* …號, with a 之 part when said */
    VANTIR_FIELD_PLACE,   /* a named destination without a street address */
    VANTIR_FIELD_COUNT
};

typedef struct VantirResultInfo {
    int32_t resultClass; /* the class the ranking uses (0..3) */
    float confidence;    /* 0..1: the chance that this is the address that was said */
    int32_t support;     /* how many hypotheses of the utterance gave this result */
    int32_t firstRank;   /* 0-based rank of the first hypothesis that gave it */
    VantirSpan fields[VANTIR_FIELD_COUNT];
} VantirResultInfo;

/* Details of the result at `index`, in the order Vantir_GetFilterResult delivers
   the texts. 0; -5 null session or info; -1 no result at that index. */
VANTIR_API int32_t Vantir_GetResultInfo(FilterSession* session, int32_t index,
                                        VantirResultInfo* info);

#ifdef __cplusplus
}
#endif

#endif /* VANTIR_VANTIR_H */
