// Fuzz target: a "WPB" blob that Vantir_VerifyBlob accepts must be safe to
// attach and use: every id gives its word back, every word its id, and added
// words work on top of it.
#include <algorithm>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "lexicon/blob_layout.h"
#include "textutil/blob_header.h"

using namespace vantir;
using namespace vantir::fuzz;
using vantir::samples::WordOf;

namespace {

constexpr int32_t kMaxIdsTried = 2000;
constexpr int32_t kPrefixCapacity = 16;
constexpr int32_t kAddedCapacity = 8;
constexpr int32_t kAddedUnits = 256;

// Each stored word is found under its own id: buckets are sorted and distinct.
void CheckEveryWord(const Lexicon* lexicon, int32_t words) {
    const int32_t step = words <= kMaxIdsTried ? 1 : words / kMaxIdsTried;
    std::vector<char16_t> buffer(static_cast<size_t>(Lexicon_GetMaxWordLength(lexicon)) + 1);
    for (WordId id = 0; id < words; id += step) {
        const std::u16string word = WordOf(lexicon, id);
        FUZZ_CHECK(!word.empty());
        const int32_t length = static_cast<int32_t>(word.size());
        FUZZ_CHECK(Lexicon_FindIdN(lexicon, word.data(), length) == id);
        FUZZ_CHECK(Lexicon_GetWordText(lexicon, id, buffer.data()) == length);
        WordId listed[kPrefixCapacity];
        const int32_t prefix = std::min(length, 2);
        FUZZ_CHECK(Lexicon_ListPrefixN(lexicon, word.data(), prefix, listed, kPrefixCapacity) >= 1);
    }
    FUZZ_CHECK(WordOf(lexicon, -1).empty());
}

// Added words beside the static part: a repeat of a static word is refused.
void AddAndRemove(Lexicon* lexicon, int32_t words) {
    std::u16string list = u"zz\nZz\n\u8def\n";
    if (words > 0) list += WordOf(lexicon, 0) + u"\n" + WordOf(lexicon, words - 1);
    list.push_back(0);
    const int32_t added = Lexicon_AddWords(lexicon, list.data());
    // Stored words may hold line breaks, so the list can split into more words.
    FUZZ_CHECK(added >= 0);
    if (words > 0) {
        const std::u16string first = WordOf(lexicon, 0);
        FUZZ_CHECK(Lexicon_FindIdN(lexicon, first.data(), static_cast<int32_t>(first.size())) == 0);
    }
    std::u16string removed = u"zz\n\u8def";
    removed.push_back(0);
    FUZZ_CHECK(Lexicon_RemoveWords(lexicon, removed.data()) >= 0);
    const int32_t span = Lexicon_Renumber(lexicon, nullptr);
    std::vector<int32_t> map(static_cast<size_t>(std::max(span, 1)));
    FUZZ_CHECK(Lexicon_Renumber(lexicon, map.data()) == span);
    std::vector<char16_t> exported(static_cast<size_t>(Lexicon_ExportAdded(lexicon, nullptr)) + 1);
    FUZZ_CHECK(Lexicon_ExportAdded(lexicon, exported.data()) >= 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ExactBytes blob(data, size);
    if (Vantir_VerifyBlob(blob.data(), static_cast<uint32_t>(size)) != VANTIR_OK) return 0;
    if (!BlobHeaderMatches(blob.data(), kLexiconBlobTag, kLexiconBlobVersion)) return 0;
    Lexicon* lexicon = Lexicon_Create(nullptr, kAddedCapacity, kAddedUnits);
    const int32_t words = Lexicon_AttachBlob(lexicon, blob.data());
    FUZZ_CHECK(words >= 0);
    CheckEveryWord(lexicon, words);
    FUZZ_CHECK(WordOf(lexicon, words).empty());
    AddAndRemove(lexicon, words);
    CheckEveryWord(lexicon, words);
    Lexicon_Destroy(lexicon);
    return 0;
}
