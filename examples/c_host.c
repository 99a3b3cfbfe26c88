/* A complete C11 host: opens a data folder built by `vantir build`, filters the
   N-best hypotheses given on the command line and prints the ranked addresses.

     c_host DATA_DIR "word word ..." ["word word ..." ...]
     c_host --text DATA_DIR "recogniser text" ["recogniser text" ...]

   Everything is UTF-8; the calls a host needs: Vantir_OpenDataSet,
   Vantir_OpenSession, Vantir_AddRecogWordsUtf8 (or Vantir_AddRecogTextUtf8),
   Vantir_GetResultCount, Vantir_GetResultUtf8, Vantir_Release and
   Vantir_CloseDataSet. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "vantir/host.h"
#include "vantir/vantir.h"

/* Ranked results printed. */
enum { kMaxShown = 10 };

/* Prints result `index`: its length first, then the text into a buffer of
   that size. An empty text is no address (a hypothesis of words without
   text) and is skipped; returns 1 when something was printed. */
static int PrintResult(FilterSession* session, int32_t index, int32_t rank) {
    const int32_t length = Vantir_GetResultUtf8(session, index, NULL, 0);
    if (length <= 0) return 0;
    char* text = malloc((size_t)length + 1);
    if (text == NULL) return 0;
    const int printed = Vantir_GetResultUtf8(session, index, text, length + 1) == length;
    if (printed) printf("%d. %s\n", (int)rank, text);
    free(text);
    return printed;
}

int main(int argc, char** argv) {
    const int byText = argc > 1 && strcmp(argv[1], "--text") == 0;
    const int first = byText ? 2 : 1;
    if (argc < first + 2) {
        fprintf(stderr, "usage: c_host [--text] DATA_DIR HYPOTHESIS ...\n");
        return 2;
    }
    int32_t code = 0;
    VantirDataSet* set = Vantir_OpenDataSet(argv[first], &code);
    if (set == NULL) {
        fprintf(stderr, "c_host: cannot open %s (%d: %s)\n", argv[first], (int)code,
                Vantir_ErrorMessage(code));
        return 1;
    }
    /* Sessions of one set may run on several threads; this host needs one. */
    FilterSession* session = Vantir_OpenSession(set, 0, &code);
    if (session == NULL) {
        fprintf(stderr, "c_host: no session (%d: %s)\n", (int)code, Vantir_ErrorMessage(code));
        Vantir_CloseDataSet(set);
        return 1;
    }

    /* One utterance: its hypotheses best first, then the results. */
    for (int i = first + 1; i < argc; ++i) {
        code = byText ? Vantir_AddRecogTextUtf8(session, argv[i], -1)
                      : Vantir_AddRecogWordsUtf8(session, argv[i], -1);
        if (code < 0) {
            fprintf(stderr, "c_host: hypothesis %d refused (%d: %s)\n", i - first, (int)code,
                    Vantir_ErrorMessage(code));
        }
    }
    const int32_t count = Vantir_GetResultCount(session);
    int32_t rank = 0;
    for (int32_t k = 0; k < count && rank < kMaxShown; ++k) {
        rank += PrintResult(session, k, rank + 1);
    }

    Vantir_Release(session);
    Vantir_CloseDataSet(set);
    return 0;
}
