// Result text composition: marker removal, closing-tag words, segment
// recognition, and texts longer than the work buffers.
#include "address/compose_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/address_world.h"
#include "textutil/chinese_numerals.h"

using namespace vantir::testing;
using vantir::ToUtf8;
using Texts = std::vector<std::string>;

TEST(StripMarks, DropsAtAndBangOnly) {
    char16_t output[16];
    EXPECT_EQ(vantir::StripMarks(u"@a!b@@c!", output, 16), 3);
    EXPECT_EQ(ToUtf8(output), "abc");
    EXPECT_EQ(vantir::StripMarks(u"abcdef", output, 4), 3);
    EXPECT_EQ(ToUtf8(output), "abc");
}

// Composition through the intake. e (33) has no text and opens every head;
// the word after it (34) makes the rest a body.
class ComposeTest : public ::testing::Test {
  protected:
    ComposeTest()
        : world_({{"P!", {34}},
                  {"二十三", {25}},
                  {"K", {19}},
                  {"一@", {25}},
                  {"K!", {19}},
                  {"三!", {34, 25}},
                  {"五@", {18}},
                  {"abc", {34, 32}},
                  {"H", {33}}},
                 {}, {{33}}) {
        const WordId e = world_.Textless(0);
        world_.SetIdPairs({{e, world_.Id("P!"), 0},
                           {e, world_.Id("三!"), 0},
                           {world_.Id("三!"), world_.Id("五@"), 0},
                           {world_.Id("H"), world_.Id("abc"), 0}});
    }
    int32_t AddAfterHead(const std::vector<std::string>& texts) {
        std::vector<WordId> ids = {world_.Textless(0)};
        for (const std::string& text : texts)
            ids.push_back(world_.Id(text));
        return world_.AddIds(ids);
    }
    AddressWorld world_;
};

TEST_F(ComposeTest, PlainWordsLoseMarksAndSegmentsTurnNumerals) {
    EXPECT_EQ(AddAfterHead({"P!", "二十三", "K"}), 0);
    EXPECT_EQ(AddAfterHead({"P!", "一@", "K!"}), 0);  // marks stay inside a segment
    EXPECT_EQ(world_.Results(), (Texts{"P23K", "P1@K!"}));
}

TEST_F(ComposeTest, FirstPrefixWithoutAKeyIsAPlainWord) {
    // 三! has tag 25 but the bare key after it is no segment word: both plain.
    EXPECT_EQ(AddAfterHead({"三!", "五@"}), 0);
    // At the last position a tag-25 word is plain as well.
    EXPECT_EQ(AddAfterHead({"三!"}), 0);
    EXPECT_EQ(world_.Results(), (Texts{"三五", "三"}));
}

TEST_F(ComposeTest, ClosingTagWordLosesItsLastUnitAndEndsTheAddress) {
    EXPECT_EQ(world_.Add({"H", "abc", "K"}), 0);
    EXPECT_EQ(world_.Results(), (Texts{"Hab"}));
}

TEST_F(ComposeTest, PositionsPastTheSequenceHaveNoTags) {
    // The word after the sequence would close a segment with the prefix.
    const WordId words[2] = {world_.Id("三!"), world_.Id("K")};
    char16_t text[vantir::kScratchTextCapacity];
    EXPECT_EQ(
        vantir::ComposeResultText(world_.Context(), words, 1, text, vantir::kScratchTextCapacity),
        1);
    EXPECT_EQ(ToUtf8(text), "三");
    EXPECT_EQ(
        vantir::ComposeResultText(world_.Context(), words, 2, text, vantir::kScratchTextCapacity),
        3);
    EXPECT_EQ(ToUtf8(text), "3!K");  // marks stay inside a segment
}

TEST_F(ComposeTest, WordStartsFollowMarksSegmentsAndClosingWords) {
    // e (no text), P! (P), 二十三 K (23K), abc (closing: ab).
    const WordId words[] = {world_.Textless(0), world_.Id("P!"), world_.Id("二十三"),
                            world_.Id("K"), world_.Id("abc")};
    char16_t text[vantir::kScratchTextCapacity];
    int32_t starts[vantir::kMaxLocatedWords + 1];
    EXPECT_EQ(vantir::ComposeResultText(world_.Context(), words, 5, text,
                                        vantir::kScratchTextCapacity, starts),
              6);
    EXPECT_EQ(ToUtf8(text), "P23Kab");
    const std::vector<int32_t> expected = {0, 0, 1, 1, 4, 6};
    EXPECT_EQ(std::vector<int32_t>(starts, starts + 6), expected)
        << "the words of a segment share its start; the end follows the closing word's cut";
}

TEST(ComposeLongTexts, WordsLongerThanTheBuffersAreCutNotOverrun) {
    // Fourteen kept words of 256 units each, in every role: every work buffer
    // fills up and cuts at its end; only the first 127 units are kept.
    const std::string a(256, 'a');
    const std::string b(256, 'b');
    const std::string n1(256, 'n');
    const std::string n2(256, 'm');
    std::vector<WordEntry> words = {{a, {33}},
                                    {b, {34}},
                                    {n1, {25}},
                                    {n2, {24}},
                                    {"K" + std::string(255, 'k'), {19}},
                                    {"S" + std::string(255, 's'), {21}},
                                    {"L" + std::string(255, 'l'), {22}},
                                    {"C" + std::string(255, 'c'), {23}}};
    AddressWorld world(words, {});
    world.SetPairs(
        {{a, b, 0}, {n2, "L" + std::string(255, 'l'), 0}, {n2, "C" + std::string(255, 'c'), 0}});
    const std::string k = "K" + std::string(255, 'k');
    const std::string s = "S" + std::string(255, 's');
    const std::string l = "L" + std::string(255, 'l');
    const std::string c = "C" + std::string(255, 'c');
    EXPECT_EQ(world.Add({a, b, n1, n2, k, n1, n2, s, n1, n2, l, n1, n2, c}), 0);
    EXPECT_EQ(world.Results(), (Texts{std::string(127, 'a')}));
}

// Accurate mode's composition reads each number whole, said as people say it
// or digit by digit, and ends the text before a number it cannot read whole or
// a key that no number precedes; the design's composition beside it.
TEST(ComposeWholeNumbers, NumbersAreReadWholeOrEndTheText) {
    AddressWorld world({{"路", {}},
                        {"一千", {25}},
                        {"兩百", {25}},
                        {"一", {25}},
                        {"四", {25}},
                        {"零五", {24}},
                        {"三", {24}},
                        {"零", {24}},
                        {"號", {23}},
                        {"巷", {21}},
                        {"段", {19}}},
                       {});
    struct Case {
        std::vector<std::string> words;
        std::string whole;     // ComposeWholeNumbersText
        std::string designed;  // ComposeResultText
    };
    const std::vector<Case> cases = {
        {{"路", "一千", "零五", "號"}, "路1005號", "路1005號"},
        {{"路", "一", "零五", "號"}, "路105號", "路5號"},  // digit by digit
        {{"路", "一", "零", "巷"}, "路10巷", "路0巷"},
        {{"路", "兩百", "三", "號"}, "路", "路203號"},  // 兩百三 is no way to say a number
        {{"路", "號"}, "路", "路號"},                   // a key without its number
        {{"路", "四", "段", "號"}, "路4段", "路4段號"},
        {{"路", "四", "段", "一千", "零五", "號"}, "路4段1005號", "路4段1005號"},
        // Accurate mode reads up to four number words before a key as one
        // segment; the grammar's segment holds two, the rest are plain words.
        {{"路", "一", "零", "零五", "號"}, "路1005號", "路一零5號"},
        {{"路", "一千", "三", "零五", "巷"}, "路", "路一千三5巷"},
        {{"路", "一", "零", "零", "零五", "號"}, "路", "路一零零5號"},
    };
    char16_t text[vantir::kScratchTextCapacity];
    for (const Case& c : cases) {
        std::vector<WordId> ids;
        for (const std::string& word : c.words)
            ids.push_back(world.Id(word));
        const int32_t n = static_cast<int32_t>(ids.size());
        const int32_t whole = vantir::ComposeWholeNumbersText(world.Context(), ids.data(), n, text,
                                                              vantir::kScratchTextCapacity);
        EXPECT_EQ(ToUtf8(text), c.whole) << c.whole;
        EXPECT_EQ(whole, static_cast<int32_t>(std::u16string(text).size()));
        vantir::ComposeResultText(world.Context(), ids.data(), n, text,
                                  vantir::kScratchTextCapacity);
        EXPECT_EQ(ToUtf8(text), c.designed) << c.designed;
    }
}

namespace {

// The composition written straight from its description, on words given as
// texts and tag sets: an optional first prefix (25), an optional second prefix
// (24) and a key (19, 21, 22, 23) form a numbered segment whose numerals are
// converted; any other word is plain, loses '@' and '!', and a closing word (32)
// takes the last unit off the text.
std::u16string ReferenceCompose(const std::vector<std::u16string>& texts,
                                const std::vector<std::vector<uint8_t>>& tags) {
    const size_t n = texts.size();
    auto has = [&](size_t at, int32_t tag) {
        if (at >= n) return false;
        for (uint8_t t : tags[at])
            if (t == tag) return true;
        return false;
    };
    auto isKey = [&](size_t at) {
        return has(at, 19) || has(at, 21) || has(at, 22) || has(at, 23);
    };
    std::u16string out;
    size_t i = 0;
    while (i < n) {
        std::u16string segment;
        size_t p = i;
        if (has(p, 25)) segment += texts[p++];
        if (has(p, 24)) segment += texts[p++];
        if (isKey(p)) {
            segment += texts[p];
            char16_t converted[512];
            vantir::ConvertNumerals(segment.c_str(), converted,
                                    static_cast<int32_t>(segment.size()), 512);
            out += converted;
            i = p + 1;
            continue;
        }
        for (char16_t unit : texts[i])
            if (unit != u'@' && unit != u'!') out += unit;
        if (has(i, 32) && !out.empty()) out.pop_back();
        ++i;
    }
    return out;
}

}  // namespace

// The grammar's segment is two prefixes and a key, whatever tags the words of
// a data set carry: a word with a prefix tag that is also a region word, runs
// of prefix words longer than two, keys with and without prefixes.
TEST(ComposeResultText, AgreesWithItsDescriptionOnRandomTagSequences) {
    const std::vector<uint8_t> tagPool = {18, 19, 20, 21, 22, 23, 24, 25, 32, 33, 34};
    const std::vector<std::string> textPool = {"十市", "cCCZ", "一八十千", "二十三", "@a!",   "五",
                                               "零",   "號",   "百",       "xy",     "兩千零"};
    std::mt19937 random(20261208);
    std::vector<WordEntry> words;
    for (size_t w = 0; w < textPool.size(); ++w) {
        std::vector<uint8_t> tags;
        for (uint8_t tag : tagPool)
            if (random() % 4 == 0) tags.push_back(tag);
        words.push_back({textPool[w], tags});
    }
    AddressWorld world(words, {});
    char16_t text[vantir::kScratchTextCapacity];
    for (int round = 0; round < 2000; ++round) {
        const size_t n = 1 + random() % 7;
        std::vector<WordId> ids;
        std::vector<std::u16string> texts;
        std::vector<std::vector<uint8_t>> tags;
        for (size_t k = 0; k < n; ++k) {
            const size_t w = random() % words.size();
            ids.push_back(world.Id(words[w].text));
            texts.push_back(Utf16(words[w].text));
            tags.push_back(words[w].tags);
        }
        const int32_t length =
            vantir::ComposeResultText(world.Context(), ids.data(), static_cast<int32_t>(n), text,
                                      vantir::kScratchTextCapacity);
        const std::u16string expected = ReferenceCompose(texts, tags);
        ASSERT_EQ(std::u16string(text, static_cast<size_t>(length)), expected)
            << "round " << round << ": " << ToUtf8(expected);
    }
}

// A run of prefix words longer than the grammar's segment: the first word is
// plain, and the segment is the last prefix with its key.
TEST(ComposeResultText, PrefixRunLongerThanTheSegmentStartsWithPlainWords) {
    AddressWorld world({{"十市", {25, 33}}, {"cCCZ", {25}}, {"一八十千", {23}}}, {});
    const WordId ids[] = {world.Id("十市"), world.Id("cCCZ"), world.Id("一八十千")};
    char16_t text[vantir::kScratchTextCapacity];
    vantir::ComposeResultText(world.Context(), ids, 3, text, vantir::kScratchTextCapacity);
    EXPECT_EQ(ToUtf8(text), "十市cCCZ1080");
}
