// Renumbering the added words into consecutive ids (reporting old to new), and
// exporting them as a word list in id order.
#include "lexicon/lexicon_object.h"
#include "vantir/lexicon.h"

namespace vantir {

namespace {

constexpr char16_t kLineFeed = 10;
constexpr int32_t kNoNewId = -1;

}  // namespace

}  // namespace vantir

using namespace vantir;

extern "C" {

int32_t Lexicon_Renumber(Lexicon* lexicon, int32_t* map) {
    if (lexicon == nullptr) return VANTIR_NULL_OBJECT;
    const int32_t span = lexicon->nextId - lexicon->staticCount;
    if (map == nullptr) return span;
    for (int32_t i = 0; i < span; i++)
        map[i] = kNoNewId;
    // Entries are in id order, so new ids keep their relative order and
    // addedSorted stays valid.
    for (int32_t i = 0; i < lexicon->addedCount; i++) {
        AddedEntry& entry = lexicon->addedEntries[i];
        const int32_t newId = lexicon->staticCount + i;
        map[entry.id - lexicon->staticCount] = newId;
        entry.id = newId;
    }
    lexicon->nextId = lexicon->staticCount + lexicon->addedCount;
    return span;
}

int32_t Lexicon_ExportAdded(const Lexicon* lexicon, char16_t* buffer) {
    if (lexicon == nullptr) return VANTIR_NULL_OBJECT;
    const int32_t used = lexicon->addedCharsUsed;
    if (buffer == nullptr) return used;
    for (int32_t i = 0; i < used; i++) {
        const char16_t unit = lexicon->addedChars[i];
        buffer[i] = unit == 0 ? kLineFeed : unit;
    }
    buffer[used] = 0;
    return used;
}

}  // extern "C"
