// Fuzz target: arbitrary word lists through build, addition, removal, renumbering
// and export, on the heap or in a pool; the built blob must verify, every held
// word must be found under its id, and a pool must get every byte back.
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "mempool/pool_check.h"
#include "textutil/byte_order.h"

using namespace vantir;
using namespace vantir::testing;

namespace {

// Input: one control byte, then 16-bit units; a 0 unit ends each of up to four
// word lists (build, add, remove, add again).
constexpr int kListCount = 4;
constexpr uint32_t kPoolBytes = 1 << 16;
constexpr int32_t kCapacityChoices[] = {0, 1, 4, 16, 64};
constexpr int32_t kUnitChoices[] = {0, 4, 64, 1024};

struct Control {
    bool usePool;
    int32_t addedCapacity;
    int32_t addedUnits;
};

Control ReadControl(uint8_t byte) {
    return Control{(byte & 1) != 0, kCapacityChoices[(byte >> 1) % 5],
                   kUnitChoices[(byte >> 4) % 4]};
}

std::vector<std::u16string> SplitLists(const uint8_t* data, size_t size) {
    std::vector<std::u16string> lists(kListCount);
    size_t list = 0;
    for (size_t at = 0; at + 1 < size && list < kListCount; at += 2) {
        const char16_t unit = static_cast<char16_t>(data[at] | data[at + 1] << 8);
        if (unit == 0) {
            list++;
        } else {
            lists[list].push_back(unit);
        }
    }
    return lists;
}

// Copies with a terminator, since the lexicon splits its lists in place.
std::vector<char16_t> Writable(const std::u16string& text) {
    std::vector<char16_t> units(text.begin(), text.end());
    units.push_back(0);
    return units;
}

// Every id gives a word that is found under that id again.
void CheckLookups(const Lexicon* lexicon) {
    const int32_t end = Lexicon_GetStaticCount(lexicon) + Lexicon_GetAddedIdSpan(lexicon);
    for (WordId id = 0; id < end; id++) {
        const std::u16string word = WordOf(lexicon, id);
        if (word.empty()) continue;  // a removed added word
        FUZZ_CHECK(Lexicon_FindIdN(lexicon, word.data(), static_cast<int32_t>(word.size())) == id);
    }
}

void Exercise(Lexicon* lexicon, const std::vector<std::u16string>& lists) {
    std::vector<char16_t> text = Writable(lists[0]);
    int32_t size = 0;
    void* blob = Lexicon_BuildBlob(lexicon, text.data(), &size);
    if (blob != nullptr) FUZZ_CHECK(Vantir_VerifyBlob(blob, static_cast<uint32_t>(size)) == 0);
    CheckLookups(lexicon);
    for (int k = 1; k < kListCount; k++) {
        text = Writable(lists[static_cast<size_t>(k)]);
        const int32_t result = k == 2 ? Lexicon_RemoveWords(lexicon, text.data())
                                      : Lexicon_AddWords(lexicon, text.data());
        FUZZ_CHECK(result >= 0 || result == VANTIR_OUT_OF_MEMORY);
        CheckLookups(lexicon);
    }
    const int32_t span = Lexicon_Renumber(lexicon, nullptr);
    std::vector<int32_t> map(static_cast<size_t>(span) + 1);
    FUZZ_CHECK(Lexicon_Renumber(lexicon, map.data()) == span);
    CheckLookups(lexicon);
    const int32_t units = Lexicon_ExportAdded(lexicon, nullptr);
    std::vector<char16_t> exported(static_cast<size_t>(units) + 1);
    FUZZ_CHECK(Lexicon_ExportAdded(lexicon, exported.data()) == units);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const Control control = ReadControl(data[0]);
    const std::vector<std::u16string> lists = SplitLists(data + 1, size - 1);
    if (!control.usePool) {
        Lexicon* lexicon = Lexicon_Create(nullptr, control.addedCapacity, control.addedUnits);
        Exercise(lexicon, lists);
        Lexicon_Destroy(lexicon);
        return 0;
    }
    static std::vector<uint32_t> block(kPoolBytes / 4);
    MemPool* pool = MemPool_Init(block.data(), kPoolBytes);
    const uint32_t freeAtStart = LoadU32(block.data() + 2);
    Lexicon* lexicon = Lexicon_Create(pool, control.addedCapacity, control.addedUnits);
    FUZZ_CHECK(lexicon != nullptr);
    Exercise(lexicon, lists);
    FUZZ_CHECK(CheckPoolInvariants(pool, kPoolBytes));
    Lexicon_Destroy(lexicon);
    FUZZ_CHECK(CheckPoolInvariants(pool, kPoolBytes));
    FUZZ_CHECK(LoadU32(block.data() + 2) == freeAtStart);
    return 0;
}
