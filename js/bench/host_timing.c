/* The native side of the WebAssembly bench: the same host calls the module
   exports, on the same hypotheses, timed in CPU time per utterance.

     vantir_host_timing DATA_DIR LIST OPTIONS TEXT ROUNDS REPETITIONS

   LIST holds one hypothesis a line, a blank line after each utterance. OPTIONS
   is the session's option bits, TEXT 1 for recogniser text (0: words). Prints
   one JSON object: the set's open time, the heap the set and a session take,
   and the CPU microseconds per utterance of each repetition of ROUNDS passes. */
#define _POSIX_C_SOURCE 200809L
#include <malloc.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "vantir/host.h"
#include "vantir/vantir.h"

/* A result text is read into a buffer this large, as the JavaScript wrapper reads it. */
enum { kTextBytes = 512 };

typedef struct {
    char** lines;  /* every hypothesis, in order */
    int32_t* ends; /* the index after each utterance's last hypothesis */
    int32_t lineCount;
    int32_t utteranceCount;
} List;

static double CpuSeconds(void) {
    struct timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return (double)now.tv_sec + (double)now.tv_nsec * 1e-9;
}

static double WallSeconds(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)now.tv_sec + (double)now.tv_nsec * 1e-9;
}

static int ReadList(const char* path, List* list) {
    FILE* file = fopen(path, "rb");
    if (file == NULL) return 0;
    size_t room = 1024;
    list->lines = malloc(room * sizeof *list->lines);
    list->ends = malloc(room * sizeof *list->ends);
    list->lineCount = 0;
    list->utteranceCount = 0;
    char* line = NULL;
    size_t capacity = 0;
    ssize_t length;
    int32_t open = 0; /* hypotheses of the utterance being read */
    while ((length = getline(&line, &capacity, file)) >= 0) {
        while (length > 0 && (line[length - 1] == '\n' || line[length - 1] == '\r'))
            line[--length] = '\0';
        if ((size_t)list->lineCount + 1 >= room) {
            room *= 2;
            list->lines = realloc(list->lines, room * sizeof *list->lines);
            list->ends = realloc(list->ends, room * sizeof *list->ends);
        }
        if (length == 0) {
            if (open > 0) list->ends[list->utteranceCount++] = list->lineCount;
            open = 0;
            continue;
        }
        list->lines[list->lineCount++] = strdup(line);
        ++open;
    }
    if (open > 0) list->ends[list->utteranceCount++] = list->lineCount;
    free(line);
    fclose(file);
    return 1;
}

static size_t HeapInUse(void) {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd; /* blocks from the arena and those mapped alone */
}

int main(int argc, char** argv) {
    if (argc != 7) {
        fprintf(stderr,
                "usage: vantir_host_timing DATA_DIR LIST OPTIONS TEXT ROUNDS "
                "REPETITIONS\n");
        return 2;
    }
    List list;
    if (!ReadList(argv[2], &list)) {
        fprintf(stderr, "vantir_host_timing: cannot read %s\n", argv[2]);
        return 1;
    }
    const uint32_t options = (uint32_t)strtoul(argv[3], NULL, 0);
    const int text = atoi(argv[4]);
    const int rounds = atoi(argv[5]);
    const int repetitions = atoi(argv[6]);

    const size_t heapBefore = HeapInUse();
    const double openStart = WallSeconds();
    int32_t code = 0;
    VantirDataSet* set = Vantir_OpenDataSet(argv[1], &code);
    const double openSeconds = WallSeconds() - openStart;
    if (set == NULL) {
        fprintf(stderr, "vantir_host_timing: %s (%d: %s)\n", argv[1], (int)code,
                Vantir_ErrorMessage(code));
        return 1;
    }
    FilterSession* session = Vantir_OpenSession(set, options, &code);
    if (session == NULL) {
        fprintf(stderr, "vantir_host_timing: no session (%d: %s)\n", (int)code,
                Vantir_ErrorMessage(code));
        return 1;
    }
    const size_t heapAfter = HeapInUse();

    char buffer[kTextBytes];
    long checksum = 0; /* keeps the reads from being optimised away */
    printf("{\"open_s\":%.6f,\"heap_bytes\":%zu,\"utterances\":%d,\"us_per_utterance\":[",
           openSeconds, heapAfter - heapBefore, (int)list.utteranceCount);
    for (int r = 0; r < repetitions; ++r) {
        const double start = CpuSeconds();
        for (int round = 0; round < rounds; ++round) {
            int32_t line = 0;
            for (int32_t u = 0; u < list.utteranceCount; ++u) {
                Vantir_Reset(session);
                for (; line < list.ends[u]; ++line) {
                    code = text ? Vantir_AddRecogTextUtf8(session, list.lines[line], -1)
                                : Vantir_AddRecogWordsUtf8(session, list.lines[line], -1);
                }
                const int32_t count = Vantir_GetResultCount(session);
                for (int32_t k = 0; k < count; ++k)
                    checksum += Vantir_GetResultUtf8(session, k, buffer, kTextBytes);
            }
        }
        const double spent = CpuSeconds() - start;
        printf("%s%.3f", r > 0 ? "," : "", 1e6 * spent / ((double)rounds * list.utteranceCount));
    }
    printf("],\"checksum\":%ld}\n", checksum);

    Vantir_Release(session);
    Vantir_CloseDataSet(set);
    for (int32_t k = 0; k < list.lineCount; ++k)
        free(list.lines[k]);
    free(list.lines);
    free(list.ends);
    return 0;
}
