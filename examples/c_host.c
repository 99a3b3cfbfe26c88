/* A complete C11 host: loads the three blobs of a data set built by `vantir
   build`, filters the N-best hypotheses given on the command line and prints
   the ranked addresses.

     c_host DATA_DIR "word word ..." ["word word ..." ...]

   The calls a host needs: Lexicon_Create + Lexicon_AttachBlob,
   BigramModel_Create + BigramModel_AttachBlob, the set check (the user values
   of the lexicon, the model and the address database's header), Vantir_Init, Lexicon_FindId,
   Vantir_Reset, Vantir_AddRecogResult, Vantir_GetFilterResult (twice),
   Vantir_Release, BigramModel_Destroy, Lexicon_Destroy. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "vantir/blob_format.h"
#include "vantir/vantir.h"

/* The blobs are used in place: the library reads 32-bit fields straight from
   them, so they are loaded at an address aligned for any such field. */
enum { kBlobAlignment = 16 };
/* Room for one word in UTF-16 units with its 0 unit; lexicon words are shorter. */
enum { kWordUnits = 260 };
/* Words of one hypothesis this host accepts. */
enum { kMaxWords = 64 };
/* Ranked results asked for. */
enum { kMaxShown = 10 };

static void* LoadBlob(const char* dir, const char* name, long* size) {
    char path[4096];
    if (snprintf(path, sizeof path, "%s/%s", dir, name) >= (int)sizeof path) return NULL;
    FILE* file = fopen(path, "rb");
    if (file == NULL) {
        fprintf(stderr, "c_host: cannot open %s\n", path);
        return NULL;
    }
    void* bytes = NULL;
    if (fseek(file, 0, SEEK_END) == 0 && (*size = ftell(file)) > 0 &&
        fseek(file, 0, SEEK_SET) == 0) {
        /* aligned_alloc wants a multiple of the alignment. */
        const size_t rounded =
            ((size_t)*size + kBlobAlignment - 1) / kBlobAlignment * kBlobAlignment;
        bytes = aligned_alloc(kBlobAlignment, rounded);
        if (bytes != NULL && fread(bytes, 1, (size_t)*size, file) != (size_t)*size) {
            free(bytes);
            bytes = NULL;
        }
    }
    fclose(file);
    if (bytes == NULL) fprintf(stderr, "c_host: cannot read %s\n", path);
    /* Blobs from storage are checked before the library trusts their offsets. */
    if (bytes != NULL && Vantir_VerifyBlob(bytes, (uint32_t)*size) != 0) {
        fprintf(stderr, "c_host: %s is damaged\n", path);
        free(bytes);
        bytes = NULL;
    }
    return bytes;
}

/* UTF-8 to UTF-16 (the library's word texts), written out since the library's
   own converters are C++. Returns the units written before the 0 unit, or -1
   for a malformed sequence or a word longer than `capacity` - 1 units. */
static int32_t Utf8ToUtf16(const unsigned char* at, const unsigned char* end, char16_t* out,
                           int32_t capacity) {
    int32_t n = 0;
    while (at < end) {
        uint32_t code = *at++;
        int extra = code >= 0xF0 ? 3 : code >= 0xE0 ? 2 : code >= 0xC0 ? 1 : 0;
        if (code >= 0x80 && extra == 0) return -1;
        code &= extra == 3 ? 0x07u : extra == 2 ? 0x0Fu : extra == 1 ? 0x1Fu : 0x7Fu;
        for (; extra > 0; --extra) {
            if (at == end || (*at & 0xC0u) != 0x80u) return -1;
            code = (code << 6) | (*at++ & 0x3Fu);
        }
        const int32_t units = code >= 0x10000 ? 2 : 1;
        if (n + units >= capacity) return -1;
        if (units == 2) {
            code -= 0x10000;
            out[n++] = (char16_t)(0xD800 + (code >> 10));
            out[n++] = (char16_t)(0xDC00 + (code & 0x3FFu));
        } else {
            out[n++] = (char16_t)code;
        }
    }
    out[n] = 0;
    return n;
}

/* Prints a 0-terminated UTF-16 text as UTF-8; returns its length in units. */
static int32_t PrintUtf16(const char16_t* text) {
    int32_t n = 0;
    for (; text[n] != 0; ++n) {
        uint32_t code = text[n];
        if (code >= 0xD800 && code < 0xDC00 && text[n + 1] >= 0xDC00 && text[n + 1] < 0xE000) {
            code = 0x10000 + ((code - 0xD800) << 10) + (uint32_t)(text[++n] - 0xDC00);
        }
        if (code < 0x80) {
            putchar((int)code);
        } else if (code < 0x800) {
            putchar((int)(0xC0 | (code >> 6)));
            putchar((int)(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            putchar((int)(0xE0 | (code >> 12)));
            putchar((int)(0x80 | ((code >> 6) & 0x3F)));
            putchar((int)(0x80 | (code & 0x3F)));
        } else {
            putchar((int)(0xF0 | (code >> 18)));
            putchar((int)(0x80 | ((code >> 12) & 0x3F)));
            putchar((int)(0x80 | ((code >> 6) & 0x3F)));
            putchar((int)(0x80 | (code & 0x3F)));
        }
    }
    return n;
}

/* Splits a UTF-8 hypothesis at blanks and looks every word up; words the
   lexicon does not hold are left out. Returns the number of ids (no -1 end
   marker: the count says where the hypothesis ends). */
static int32_t WordsToIds(const Lexicon* lexicon, const char* hypothesis, WordId* ids) {
    int32_t count = 0;
    const char* at = hypothesis;
    while (*at != '\0' && count < kMaxWords) {
        while (*at == ' ')
            ++at;
        const char* end = at;
        while (*end != '\0' && *end != ' ')
            ++end;
        if (end > at) {
            char16_t word[kWordUnits];
            const int32_t units =
                Utf8ToUtf16((const unsigned char*)at, (const unsigned char*)end, word, kWordUnits);
            const WordId id = units > 0 ? Lexicon_FindId(lexicon, word) : -1;
            if (id >= 0) {
                ids[count++] = id;
            } else {
                fprintf(stderr, "c_host: unknown word %.*s left out\n", (int)(end - at), at);
            }
        }
        at = end;
    }
    return count;
}

static int PrintResults(FilterSession* session) {
    /* First call: how many units the list takes. *count goes in as the most
       texts wanted and comes back as the number of texts written. */
    int32_t count = kMaxShown;
    const int32_t units = Vantir_GetFilterResult(session, NULL, 0, 0, &count);
    if (units < 0) return 1;
    char16_t* list = malloc(((size_t)units + 1) * sizeof(char16_t));
    if (list == NULL) return 1;
    count = kMaxShown;
    if (Vantir_GetFilterResult(session, list, 0, 0, &count) < 0) {
        free(list);
        return 1;
    }
    /* Texts follow each other, each ended by a 0 unit; read them by count. */
    const char16_t* text = list;
    for (int32_t k = 0; k < count; ++k) {
        /* An empty text is no address (a hypothesis of words without text). */
        if (text[0] != 0) {
            printf("%d. ", (int)(k + 1));
            text += PrintUtf16(text) + 1;
            putchar('\n');
        } else {
            text += 1;
        }
    }
    free(list);
    return 0;
}

/* `vantir build` writes one set identity into the header of all three blobs;
   blobs of different builds do not belong together, even when they number as
   many words. 0 is no identity (blobs from before identities, or written by
   the host itself): such a blob is checked by its word count alone. */
static int SameSet(const Lexicon* lexicon, const BigramModel* model, const void* addressBlob) {
    const unsigned char* field = (const unsigned char*)addressBlob + VANTIR_BLOB_USER_VALUE_OFFSET;
    const uint32_t identities[3] = {Lexicon_GetUserValue(lexicon), BigramModel_GetUserValue(model),
                                    (uint32_t)field[0] | (uint32_t)field[1] << 8 |
                                        (uint32_t)field[2] << 16 | (uint32_t)field[3] << 24};
    static const char* const kNames[3] = {"lexicon.wpb", "model.lmb", "address.addr"};
    int first = -1; /* the first blob that carries an identity */
    for (int k = 0; k < 3; ++k) {
        if (identities[k] == 0) continue;
        if (first < 0) {
            first = k;
        } else if (identities[k] != identities[first]) {
            fprintf(stderr, "c_host: %s is of another build than %s (set %08x, not %08x)\n",
                    kNames[k], kNames[first], (unsigned)identities[k], (unsigned)identities[first]);
            return 0;
        }
    }
    if (Lexicon_GetStaticCount(lexicon) != BigramModel_GetStaticCount(model)) {
        fprintf(stderr, "c_host: model.lmb numbers other words than lexicon.wpb\n");
        return 0;
    }
    return 1;
}

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: c_host DATA_DIR \"word word ...\" ...\n");
        return 2;
    }
    long sizes[3] = {0, 0, 0};
    void* lexiconBlob = LoadBlob(argv[1], "lexicon.wpb", &sizes[0]);
    void* modelBlob = LoadBlob(argv[1], "model.lmb", &sizes[1]);
    void* addressBlob = LoadBlob(argv[1], "address.addr", &sizes[2]);
    int status = 1;
    Lexicon* lexicon = NULL;
    BigramModel* model = NULL;
    FilterSession* session = NULL;
    if (lexiconBlob == NULL || modelBlob == NULL || addressBlob == NULL) goto done;

    /* A null pool means the process heap; 0 added words at run time. */
    lexicon = Lexicon_Create(NULL, 0, 0);
    model = BigramModel_Create(NULL);
    if (lexicon == NULL || model == NULL) goto done;
    if (Lexicon_AttachBlob(lexicon, lexiconBlob) < 0 ||
        BigramModel_AttachBlob(model, modelBlob) != 0) {
        fprintf(stderr, "c_host: a blob was refused\n");
        goto done;
    }
    if (!SameSet(lexicon, model, addressBlob)) goto done;
    /* All three are borrowed: they must outlive the session. */
    session = Vantir_Init(model, lexicon, addressBlob);
    if (session == NULL) {
        fprintf(stderr, "c_host: the address database was refused\n");
        goto done;
    }

    /* One utterance: reset, add its hypotheses best first, read the results. */
    Vantir_Reset(session);
    for (int i = 2; i < argc; ++i) {
        WordId ids[kMaxWords];
        const int32_t count = WordsToIds(lexicon, argv[i], ids);
        const int32_t code = Vantir_AddRecogResult(session, ids, 0, 0, 0, count);
        if (code < 0) {
            fprintf(stderr, "c_host: hypothesis %d refused (%d: %s)\n", i - 1, (int)code,
                    Vantir_ErrorMessage(code));
        }
    }
    status = PrintResults(session);

done:
    Vantir_Release(session);
    BigramModel_Destroy(model);
    Lexicon_Destroy(lexicon);
    free(addressBlob);
    free(modelBlob);
    free(lexiconBlob);
    return status;
}
