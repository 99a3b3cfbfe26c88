// Prefix listing: ids of the words whose first n units match a key up to ASCII
// case, static words first by length, then added words by length.
#include "lexicon/prefix_list.h"

#include "lexicon/folded_search.h"
#include "lexicon/lexicon_object.h"
#include "vantir/lexicon.h"
#include "vantir/textutil.h"

namespace vantir {

namespace {

// Where the matches of one run go: into out (at most room ids) or, with a null
// out, only counted.
struct ListTarget {
    const WordRun* run;
    WordId* out;
    int32_t room;
    int32_t listed;
    WordId firstId;  // static runs: id of the run's first word
};

WordId RunWordId(const ListTarget& target, int32_t word) {
    const WordRun& run = *target.run;
    if (run.staticBase != nullptr) return target.firstId + word;
    return run.lexicon->addedEntries[run.sorted[word]].id;
}

bool ListMatches(void* context, int32_t first, int32_t end) {
    ListTarget& target = *static_cast<ListTarget*>(context);
    if (target.out == nullptr) {
        target.listed += end - first;
        return true;
    }
    for (int32_t word = first; word < end && target.listed < target.room; word++) {
        target.out[target.listed++] = RunWordId(target, word);
    }
    return target.listed < target.room;
}

int32_t ListRun(const WordRun& run, const void* key, int32_t n, WordId firstId, WordId* out,
                int32_t room) {
    ListTarget target{&run, out, room, 0, firstId};
    VisitFoldedMatches(run, key, n, ListMatches, &target);
    return target.listed;
}

}  // namespace

int32_t ListBucketRange(const Lexicon* lexicon, const void* key, int32_t n, int32_t length,
                        WordId* out, int32_t room) {
    if (n <= 0 || length <= 0 || length > lexicon->staticMaxLength || n > length) return 0;
    const WordRun run = StaticWordRun(lexicon, length);
    return ListRun(run, key, n, StaticIdOffset(lexicon, length - 1), out, room);
}

int32_t ListAddedRange(const Lexicon* lexicon, const void* key, int32_t n, int32_t length,
                       WordId* out, int32_t room) {
    if (n <= 0 || length <= 0 || length > lexicon->addedMaxLength || n > length) return 0;
    const WordRun run = AddedWordRun(lexicon, length);
    return ListRun(run, key, n, 0, out, room);
}

}  // namespace vantir

using namespace vantir;

extern "C" {

int32_t Lexicon_ListPrefix(const Lexicon* lexicon, const char16_t* key, WordId* ids,
                           int32_t maxIds) {
    return Lexicon_ListPrefixN(lexicon, key, WStrLen(key), ids, maxIds);
}

int32_t Lexicon_ListPrefixN(const Lexicon* lexicon, const char16_t* key, int32_t n, WordId* ids,
                            int32_t maxIds) {
    if (lexicon == nullptr) return VANTIR_NULL_OBJECT;
    if (key == nullptr || n <= 0 || maxIds <= 0) return 0;
    // Without an array each bucket adds its whole count, so the sum may pass
    // maxIds; it is kept wide and capped at the end.
    int64_t total = 0;
    for (int32_t L = n; L <= lexicon->staticMaxLength && total < maxIds; L++) {
        WordId* out = ids == nullptr ? nullptr : ids + total;
        total += ListBucketRange(lexicon, key, n, L, out, maxIds - static_cast<int32_t>(total));
    }
    for (int32_t L = n; L <= lexicon->addedMaxLength && total < maxIds; L++) {
        WordId* out = ids == nullptr ? nullptr : ids + total;
        total += ListAddedRange(lexicon, key, n, L, out, maxIds - static_cast<int32_t>(total));
    }
    return total > INT32_MAX ? INT32_MAX : static_cast<int32_t>(total);
}

}  // extern "C"
