// Sample blobs for tests and fuzzing: a small Taiwan address world (word list
// with tags, region pairs, a model over its words) turned into the three blobs.
#ifndef VANTIR_TESTS_SUPPORT_SAMPLE_BLOBS_H
#define VANTIR_TESTS_SUPPORT_SAMPLE_BLOBS_H

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "address/address_db.h"
#include "address/address_db_writer.h"
#include "textutil/byte_order.h"
#include "vantir/vantir.h"

namespace vantir::testing {

struct WorldWord {
    std::u16string text;
    std::vector<uint8_t> tags;
};

// Region names, heads, numerals and segment keys of a tiny Taiwan address set.
inline const std::vector<WorldWord>& WorldWords() {
    static const std::vector<WorldWord> words = {
        {u"臺北市", {33}}, {u"臺中市", {33}}, {u"大安區", {8, 34}},  {u"中正區", {8, 34}},
        {u"信義區", {8}},  {u"市", {17}},     {u"忠孝東路", {19}},   {u"和平路", {19}},
        {u"四段", {24}},   {u"一段", {24}},   {u"一百二十三", {21}}, {u"十", {21}},
        {u"五", {21}},     {u"七", {21}},     {u"巷", {22}},         {u"弄", {23}},
        {u"號", {25}},     {u"樓", {32}},     {u"地址", {0}},        {u"我", {5}},
        {u"要", {7}},      {u"到", {6}},      {u"Ab", {18}},         {u"ab", {20}},
    };
    return words;
}

inline const std::vector<std::pair<std::u16string, std::u16string>>& WorldRegions() {
    static const std::vector<std::pair<std::u16string, std::u16string>> regions = {
        {u"臺北市", u"大安區"}, {u"臺中市", u"大安區"}, {u"臺北市", u"中正區"},
        {u"臺北市", u"信義區"}, {u"臺北市", u"無此區"},
    };
    return regions;
}

// An "ADDR" blob: T = words + 1 tag offsets, the region pair table, tag bytes.
inline std::vector<uint8_t> WriteAddressDb(
    const std::vector<std::vector<uint8_t>>& wordTags,
    const std::vector<std::pair<std::u16string, std::u16string>>& regions) {
    AddressDbSource source;
    source.wordTags = wordTags;
    for (const auto& [upper, lower] : regions)
        source.regionPairs.push_back({upper, lower});
    return vantir::WriteAddressDb(source);
}

// The text of a word as the lexicon hands it out; empty for no word. Static
// words may sit at any even address, so they are copied byte-wise.
inline std::u16string WordOf(const Lexicon* lexicon, WordId id) {
    int32_t length = 0;
    const char16_t* units = Lexicon_GetWord(lexicon, id, &length);
    if (units == nullptr) return std::u16string();
    std::u16string word(static_cast<size_t>(length), 0);
    std::memcpy(word.data(), units, static_cast<size_t>(length) * sizeof(char16_t));
    return word;
}

// Units of a stored region name before its 0 unit, read in place as region
// completion reads them.
inline int64_t StoredNameLength(const AddressDbView& view, RegionSide side, uint32_t pair) {
    const unsigned char* start = RegionNameStart(view, side, pair);
    int64_t length = 0;
    while (LoadUnitAt(start, length) != 0)
        length++;
    return length;
}

inline std::vector<uint8_t> CopyBlob(const void* blob, int32_t size) {
    const auto* bytes = static_cast<const uint8_t*>(blob);
    return std::vector<uint8_t>(bytes, bytes + size);
}

// Pairs listed in the world model: most pairs of words, chosen by a fixed
// rule so that the grammar finds both legal and forbidden neighbours.
inline bool WorldPairListed(WordId first, WordId second) {
    return (first * 7 + second * 3 + 11) % 5 != 0;
}

// The world's three blobs. Model ids cover the lexicon words and `extraWords`
// more ids without text (with no tags in the database).
struct WorldBlobs {
    std::vector<uint8_t> lexicon;
    std::vector<uint8_t> model;
    std::vector<uint8_t> addressDb;
    int32_t modelWords = 0;
};

inline WorldBlobs MakeWorldBlobs(int32_t extraWords = 2) {
    WorldBlobs blobs;
    Lexicon* lexicon = Lexicon_Create(nullptr, 0, 0);
    std::u16string list;
    for (const WorldWord& word : WorldWords())
        list += word.text + u"\n";
    int32_t size = 0;
    void* blob = Lexicon_BuildBlob(lexicon, list.data(), &size);
    blobs.lexicon = CopyBlob(blob, size);

    const int32_t lexiconWords = Lexicon_GetStaticCount(lexicon);
    std::vector<std::vector<uint8_t>> tags(static_cast<size_t>(lexiconWords + extraWords));
    for (const WorldWord& word : WorldWords()) {
        tags[static_cast<size_t>(Lexicon_FindId(lexicon, word.text.c_str()))] = word.tags;
    }
    blobs.addressDb = WriteAddressDb(tags, WorldRegions());
    Lexicon_Destroy(lexicon);

    blobs.modelWords = lexiconWords + extraWords;
    std::vector<WordId> first;
    std::vector<WordId> second;
    std::vector<int32_t> scores;
    for (WordId a = -1; a < blobs.modelWords; a++) {
        for (WordId b = -1; b < blobs.modelWords; b++) {
            if (!WorldPairListed(a, b)) continue;
            first.push_back(a);
            second.push_back(b);
            scores.push_back(-((a * 31 + b * 17 + 256) % 256));
        }
    }
    const int32_t pairs = static_cast<int32_t>(first.size());
    BigramModel* model = BigramModel_Create(nullptr);
    blob = BigramModel_NewBlob(model, blobs.modelWords, pairs + 8, &size);
    BigramModel_SetBigramScores(model, first.data(), second.data(), scores.data(), pairs);
    blobs.model = CopyBlob(blob, size);
    BigramModel_Destroy(model);
    return blobs;
}

}  // namespace vantir::testing

#endif  // VANTIR_TESTS_SUPPORT_SAMPLE_BLOBS_H
