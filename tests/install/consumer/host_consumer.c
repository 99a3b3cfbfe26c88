/* A C11 host on the installed package that needs nothing but the host calls:
   opens a data folder, filters the UTF-8 texts given after it as one
   utterance and prints the version and the ranked results in UTF-8.
     host_consumer DATA_DIR TEXT ... */
#include <stdio.h>
#include <stdlib.h>

#include "vantir/host.h"
#include "vantir/vantir.h"

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    printf("vantir %s\n", Vantir_Version());
    int32_t code = 0;
    VantirDataSet* set = Vantir_OpenDataSet(argv[1], &code);
    FilterSession* session = set != NULL ? Vantir_OpenSession(set, 0, &code) : NULL;
    if (session == NULL) {
        fprintf(stderr, "host_consumer: %s: %d %s\n", argv[1], (int)code,
                Vantir_ErrorMessage(code));
        Vantir_CloseDataSet(set);
        return 1;
    }
    int status = 0;
    for (int i = 2; i < argc; ++i) {
        if (Vantir_AddRecogTextUtf8(session, argv[i], -1) < 0) status = 1;
    }
    const int32_t count = Vantir_GetResultCount(session);
    for (int32_t k = 0; k < count && status == 0; ++k) {
        /* The length first, then the text into a buffer of that size. */
        const int32_t length = Vantir_GetResultUtf8(session, k, NULL, 0);
        char* text = length >= 0 ? malloc((size_t)length + 1) : NULL;
        if (text == NULL || Vantir_GetResultUtf8(session, k, text, length + 1) != length) {
            status = 1;
        } else {
            printf("%d. %s\n", (int)(k + 1), text);
        }
        free(text);
    }
    Vantir_Release(session);
    Vantir_CloseDataSet(set);
    return status;
}
