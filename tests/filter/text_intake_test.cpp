// Text intake over a small world: variant, width and case spellings, digit
// runs, unknown characters, long texts, empty texts and bad arguments.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/address_world.h"
#include "support/exact_buffer.h"
#include "vantir/vantir.hpp"

using namespace vantir::testing;
using Words = std::vector<std::string>;

namespace {

// Every word costs the same and no pair is listed, so the best split is the
// one with the fewest words and no unit left out.
constexpr int32_t kWordScore = -40;

class TextIntakeTest : public ::testing::Test {
  protected:
    TextIntakeTest() : world_(Vocabulary(), {{u"臺北市", u"大安區"}}) {
        std::vector<WordId> ids;
        std::vector<int32_t> scores;
        for (WordId id = 0; id < world_.modelWords; ++id) {
            ids.push_back(id);
            scores.push_back(kWordScore);
        }
        BigramModel_SetUnigramScores(world_.model, ids.data(), scores.data(),
                                     static_cast<int32_t>(ids.size()));
    }

    static std::vector<WordEntry> Vocabulary() {
        std::vector<WordEntry> words = {
            {"臺北市", {33}},
            {"大安區", {8, 34}},
            {"忠孝東路", {17}},
            {"四段", {18}},
            {"巷", {21}},
            {"弄", {22}},
            {"號", {23}},
            {"台中港", {}},
            {"ab", {}},
            {"Ｂ棟", {}},
            {"內湖", {}},
            {"臺北一零一", {0}},
            {"之", {22}},
            {"新北市", {33}},
            {"板橋區", {8, 34}},
            {"彰化市", {8}},
            // Aliases of a data set: old names and a look-alike character.
            {"→臺北縣板橋市→新北市板橋區", {}},
            {"→板橋市→板橋區", {}},
            {"→巿→市", {}}};
        for (const char* numeral : {"零", "五", "七", "十", "一百", "零五", "兩百", "五十", "一千",
                                    "二千", "一十", "二十", "三十五"}) {
            words.push_back({numeral, {}});
        }
        return words;
    }

    Words Segment(const std::u16string& text) {
        std::vector<WordId> ids(text.size() * 2 + 4, -7);
        const int32_t n =
            Vantir_SegmentText(world_.session, text.data(), static_cast<int32_t>(text.size()),
                               ids.data(), static_cast<int32_t>(ids.size()));
        EXPECT_GE(n, 0);
        Words words;
        for (int32_t k = 0; k < n; ++k)
            words.push_back(vantir::ToUtf8(
                std::u16string(vantir::WordText(world_.lexicon, ids[static_cast<size_t>(k)]))));
        return words;
    }
    Words Segment(const std::string& utf8) { return Segment(Utf16(utf8)); }

    AddressWorld world_;
};

TEST_F(TextIntakeTest, VariantSpellingsFindTheLexiconsWordBothWays) {
    EXPECT_EQ(Segment("臺北市大安區"), (Words{"臺北市", "大安區"}));
    EXPECT_EQ(Segment("台北市大安區"), (Words{"臺北市", "大安區"}));
    EXPECT_EQ(Segment("台中港"), (Words{"台中港"}));
    EXPECT_EQ(Segment("臺中港"), (Words{"台中港"}));
    EXPECT_EQ(Segment("内湖"), (Words{"內湖"}));
}

TEST_F(TextIntakeTest, WidthAndCaseFindTheLexiconsWord) {
    for (const char* text : {"ab", "AB", "Ab", "ａｂ", "ＡＢ", "Ａb"}) {
        EXPECT_EQ(Segment(text), (Words{"ab"})) << text;
    }
    EXPECT_EQ(Segment("Ｂ棟"), (Words{"Ｂ棟"}));
    EXPECT_EQ(Segment("B棟"), (Words{"Ｂ棟"}));
}

TEST_F(TextIntakeTest, DigitRunsBecomeTheLexiconsNumerals) {
    EXPECT_EQ(Segment("0"), (Words{"零"}));
    EXPECT_EQ(Segment("10"), (Words{"十"}));
    EXPECT_EQ(Segment("105"), (Words{"一百", "零五"}));
    EXPECT_EQ(Segment("250"), (Words{"兩百", "五十"}));
    EXPECT_EQ(Segment("1000"), (Words{"一千"}));
    EXPECT_EQ(Segment("2000"), (Words{"二千"}));  // the lexicon writes 二, not 兩
    EXPECT_EQ(Segment("１０５"), (Words{"一百", "零五"}));
    EXPECT_EQ(Segment("1０5"), (Words{"一百", "零五"}));
    EXPECT_EQ(Segment("05"), (Words{"零五"}));  // a leading zero reads digit by digit
    EXPECT_EQ(Segment("105巷7弄5號"), (Words{"一百", "零五", "巷", "七", "弄", "五", "號"}));
}

TEST_F(TextIntakeTest, NumbersTheLexiconCannotSpellEndTheText) {
    // 38 spells 三十八, and the lexicon holds 十 but neither 三 nor 八. What
    // follows a lost number is dropped: a key without its number, or a number
    // put together from what is left of it, would be an address never said.
    EXPECT_EQ(Segment("38號"), (Words{}));
    EXPECT_EQ(Segment("巷38"), (Words{"巷"}));
    EXPECT_EQ(Segment("四段38號"), (Words{"四段"}));
    EXPECT_EQ(Segment("四段38巷5號"), (Words{"四段"}));
    EXPECT_EQ(Segment("12345"), (Words{}));  // read 一二三四五, of which only 五 is a word
    EXPECT_EQ(Segment("70"), (Words{"七", "十"}));
    // Spoken numbers are read whole too: 三千 has no spelling here, so 兩百 is
    // not taken for the house number.
    EXPECT_EQ(Segment("四段三千兩百號"), (Words{"四段"}));
    EXPECT_EQ(Segment("四段一千兩百號"), (Words{"四段", "一千", "兩百", "號"}));
    // A filler is no number: it is passed over and the address goes on.
    EXPECT_EQ(Segment("五十嗯號"), (Words{"五十", "號"}));
}

// Numbers as recognisers write them: thousands separators, a Latin O for a
// zero, 〇 and 幺 of digit-by-digit readings, both widths.
TEST_F(TextIntakeTest, NumbersInTheShapesRecognisersWrite) {
    const std::vector<std::pair<std::string, Words>> cases = {
        {"1,005號", {"一千", "零五", "號"}},
        {"1，005號", {"一千", "零五", "號"}},
        {"１，００５號", {"一千", "零五", "號"}},
        {"10O號", {"一百", "號"}},
        {"1o5號", {"一百", "零五", "號"}},
        {"〇五號", {"零五", "號"}},
        // Said digit by digit before a key: spelled as the number it reads.
        {"五〇號", {"五十", "號"}},
        {"一〇〇五號", {"一千", "零五", "號"}},
        {"幺零五巷", {"一百", "零五", "巷"}},
        // Before no key a run of numerals may be part of a name; this one
        // spells no word as a whole and is left out.
        {"一零五", {}},
        // Not a separator: the groups are not of three digits.
        {"1,05號", {}},
        // A comma after a whole number stays a comma.
        {"105,號", {"一百", "零五", "號"}},
        // An O that no digit precedes is a letter.
        {"O5號", {"五", "號"}},
    };
    for (const auto& [text, words] : cases)
        EXPECT_EQ(Segment(text), words) << text;
}

// Numbers as offices and people write them: 二 before 百, numerals said digit
// by digit or mixed with digits, the units written for numerals, hyphen
// numbers, lists of numbers and a village's neighbourhood before the road.
TEST_F(TextIntakeTest, NumbersAsPeopleWriteThem) {
    const std::vector<std::pair<std::string, Words>> cases = {
        // The lexicon says 兩百; 二百 is the same number.
        {"二百五十號", {"兩百", "五十", "號"}},
        {"二百五十", {}},  // before no key a run is left to the words that spell it
        // Two numerals before a key are a number said digit by digit.
        {"五七號", {"五十", "七", "號"}},
        {"五０號", {"五十", "號"}},
        {"五○號", {"五十", "號"}},
        {"ㄧ百零五號", {"一百", "零五", "號"}},
        {"廿號", {"二十", "號"}},
        {"卅五巷", {"三十五", "巷"}},
        // 40-7號 is 40之7號; a hyphen after the key names a part of the building.
        {"105-7號", {"一百", "零五", "之", "七", "號"}},
        {"105－7號", {"一百", "零五", "之", "七", "號"}},
        {"105-7", {"一百", "零五", "七"}},
        // Of several numbers the first is the address; none is joined to another.
        {"5、7號", {"五", "號"}},
        {"5、105號", {"五", "號"}},
        {"五、七號", {"五", "號"}},
        {"105及107號", {"一百", "零五", "號"}},
        {"1,05號", {}},  // no list: a number after a zero
        // A village's neighbourhood before the road is passed over.
        {"大安區3鄰忠孝東路五號", {"大安區", "忠孝東路", "五", "號"}},
        {"大安區三鄰忠孝東路五號", {"大安區", "忠孝東路", "五", "號"}},
    };
    for (const auto& [text, words] : cases)
        EXPECT_EQ(Segment(text), words) << text;
}

// A data set's aliases: an old name is read as today's, the longest that
// matches; a look-alike character as the lexicon's, which a word written with
// the character itself still finds.
TEST_F(TextIntakeTest, AliasesReadOldNamesAsTodaysAndLookAlikesAsTheLexiconsCharacter) {
    EXPECT_EQ(Segment("臺北縣板橋市"), (Words{"新北市", "板橋區"}));
    EXPECT_EQ(Segment("台北縣板橋市忠孝東路五號"),
              (Words{"新北市", "板橋區", "忠孝東路", "五", "號"}));
    EXPECT_EQ(Segment("ＸＹ板橋市"), (Words{"板橋區"}));
    EXPECT_EQ(Segment("彰化巿"), (Words{"彰化市"}));
    // No alias word is ever a word of the split, whatever the text holds.
    for (const char* text : {"→巿→市", "→臺北縣板橋市→新北市板橋區", "→板橋市→板橋區"}) {
        for (const std::string& word : Segment(text))
            EXPECT_EQ(word.find("→"), std::string::npos) << text << ": " << word;
    }
}

// Digits that end a name the lexicon writes digit by digit are read so; before
// a number key the same digits stay a number.
TEST_F(TextIntakeTest, DigitsEndingANameAreReadDigitByDigit) {
    EXPECT_EQ(Segment("台北101"), (Words{"臺北一零一"}));
    EXPECT_EQ(Segment("我臺北１０１"), (Words{"臺北一零一"}));
    // A Latin O after a digit is the run's 0 here too, as in any digit run.
    EXPECT_EQ(Segment("臺北1O1"), (Words{"臺北一零一"}));
    EXPECT_EQ(Segment("台北1ｏ1"), (Words{"臺北一零一"}));
    // Before 號 the digits are a house number (one this lexicon cannot spell,
    // so the text ends before it), not the end of the landmark.
    EXPECT_EQ(Segment("台北101號"), (Words{}));
    EXPECT_EQ(Segment("四段105"), (Words{"四段", "一百", "零五"}));
}

TEST_F(TextIntakeTest, BlanksPunctuationAndUnknownCharactersAreLeftOut) {
    const Words address = {"臺北市", "大安區", "忠孝東路", "四段", "號"};
    EXPECT_EQ(Segment("臺北市 大安區，忠孝東路「四段」號。"), address);
    EXPECT_EQ(Segment("嗯嗯臺北市大安區忠孝東路四段號"), address);
    EXPECT_EQ(Segment("臺北市大安區嗯忠孝東路嗯嗯四段號"), address);
    EXPECT_EQ(Segment("臺北市大安區忠孝東路四段號謝謝"), address);
    EXPECT_EQ(Segment("臺北市大安區忠孝東路四段號\xF0\x9F\x98\x80"), address);  // a surrogate pair
    EXPECT_EQ(Segment("嗯，。"), (Words{}));
}

TEST_F(TextIntakeTest, EmptyTextsSplitIntoNothing) {
    EXPECT_EQ(Vantir_SegmentText(world_.session, u"", 0, nullptr, 0), 0);
    EXPECT_EQ(Vantir_SegmentText(world_.session, u"", -1, nullptr, 0), 0);
    EXPECT_EQ(Vantir_SegmentText(world_.session, u"臺北市", 0, nullptr, 0), 0);
    EXPECT_EQ(Vantir_SegmentText(world_.session, nullptr, 0, nullptr, 0), 0);
    EXPECT_EQ(Vantir_AddRecogText(world_.session, u"", -1), 0);
    EXPECT_EQ(Vantir_AddRecogText(world_.session, nullptr, 0), 0);
    EXPECT_TRUE(world_.Results().empty());
}

TEST_F(TextIntakeTest, BadArgumentsAreRefused) {
    WordId ids[4];
    EXPECT_EQ(Vantir_SegmentText(nullptr, u"臺北市", 3, ids, 4), VANTIR_NULL_OBJECT);
    EXPECT_EQ(Vantir_SegmentText(world_.session, nullptr, 3, ids, 4), VANTIR_INVALID_ARGUMENT);
    EXPECT_EQ(Vantir_SegmentText(world_.session, nullptr, -1, ids, 4), VANTIR_INVALID_ARGUMENT);
    EXPECT_EQ(Vantir_SegmentText(world_.session, u"臺北市", 3, ids, -1), VANTIR_INVALID_ARGUMENT);
    EXPECT_EQ(Vantir_SegmentText(world_.session, u"臺北市", 3, nullptr, 1),
              VANTIR_INVALID_ARGUMENT);
    EXPECT_EQ(Vantir_AddRecogText(nullptr, u"臺北市", 3), VANTIR_NULL_OBJECT);
    EXPECT_EQ(Vantir_AddRecogText(world_.session, nullptr, 3), VANTIR_INVALID_ARGUMENT);
    EXPECT_EQ(Vantir_AddRecogText(world_.session, nullptr, -1), VANTIR_INVALID_ARGUMENT);
}

TEST_F(TextIntakeTest, ReadsNoUnitPastTheGivenLength) {
    // The text sits in a block of exactly its size, without a 0 unit.
    const std::u16string text = u"臺北市大安區105巷";
    ExactBuffer exact(text.data(), text.size() * sizeof(char16_t));
    const auto* units = reinterpret_cast<const char16_t*>(exact.data());
    WordId ids[8];
    EXPECT_EQ(Vantir_SegmentText(world_.session, units, static_cast<int32_t>(text.size()), ids, 8),
              5);
    EXPECT_EQ(Vantir_SegmentText(world_.session, units, 3, ids, 8), 1);
    // A digit run cut by the length is read as far as the length goes.
    EXPECT_EQ(Vantir_SegmentText(world_.session, units, 8, ids, 8), 3);
    EXPECT_EQ(ids[2], world_.Id("十"));
    EXPECT_EQ(Vantir_AddRecogText(world_.session, units, static_cast<int32_t>(text.size())), 0);
}

TEST_F(TextIntakeTest, MoreWordsThanRoomReportsTheFullCount) {
    const std::u16string text = u"臺北市大安區忠孝東路四段";
    WordId ids[3] = {-7, -7, -7};
    EXPECT_EQ(Vantir_SegmentText(world_.session, text.c_str(), -1, ids, 2), 4);
    EXPECT_EQ(ids[0], world_.Id("臺北市"));
    EXPECT_EQ(ids[1], world_.Id("大安區"));
    EXPECT_EQ(ids[2], -7);
    EXPECT_EQ(Vantir_SegmentText(world_.session, text.c_str(), -1, nullptr, 0), 4);
}

TEST_F(TextIntakeTest, TextsLongerThanEveryBufferSplitWhole) {
    // Thousands of words, past the search window and the intake's stack ids,
    // with and without separators to cut the windows at.
    for (const char* piece : {"臺北市大安區", "臺北市，大安區。", "嗯105巷"}) {
        std::u16string text;
        const int32_t repeats = 3000;
        for (int32_t k = 0; k < repeats; ++k)
            text += Utf16(piece);
        const Words one = Segment(Utf16(piece));
        const int32_t n = Vantir_SegmentText(world_.session, text.data(),
                                             static_cast<int32_t>(text.size()), nullptr, 0);
        ASSERT_EQ(n, repeats * static_cast<int32_t>(one.size())) << piece;
        std::vector<WordId> ids(static_cast<size_t>(n));
        ASSERT_EQ(Vantir_SegmentText(world_.session, text.data(), static_cast<int32_t>(text.size()),
                                     ids.data(), n),
                  n);
        ASSERT_EQ(Vantir_Reset(world_.session), 0);
        const int32_t byIds = world_.AddIds(ids);
        const auto expected = world_.Results();
        ASSERT_EQ(Vantir_Reset(world_.session), 0);
        EXPECT_EQ(
            Vantir_AddRecogText(world_.session, text.data(), static_cast<int32_t>(text.size())),
            byIds);
        EXPECT_EQ(world_.Results(), expected) << piece;
    }
}

TEST_F(TextIntakeTest, TextEntersAsItsSegmentationWould) {
    for (const char* text :
         {"臺北市大安區忠孝東路四段105巷7弄5號", "嗯台北市大安區", "大安區忠孝東路"}) {
        const std::u16string units = Utf16(text);
        WordId ids[32];
        const int32_t n = Vantir_SegmentText(world_.session, units.data(), -1, ids, 32);
        ASSERT_GT(n, 0);
        ASSERT_EQ(Vantir_Reset(world_.session), 0);
        const int32_t byIds = world_.AddIds(std::vector<WordId>(ids, ids + n));
        const auto expected = world_.Results();
        ASSERT_EQ(Vantir_Reset(world_.session), 0);
        EXPECT_EQ(Vantir_AddRecogText(world_.session, units.data(), -1), byIds) << text;
        EXPECT_EQ(world_.Results(), expected) << text;
    }
}

// A corpus may favour splitting 126 into three words (一百 二十 六: each pair
// listed) over two (一百 二十六: one pair backed off); the grammar holds two
// number words before a key, so the two-word split is the one that keeps the
// house number.
TEST(TextIntakeModelTest, ANumberIsSplitIntoTwoWordsWhereTheLexiconHasThem) {
    AddressWorld world({{"臺北市", {33}},
                        {"大安區", {8, 34}},
                        {"忠孝東路", {17}},
                        {"四段", {18}},
                        {"號", {23}},
                        {"一百", {25}},
                        {"二十", {24}},
                        {"六", {24}},
                        {"二十六", {24}}},
                       {{u"臺北市", u"大安區"}});
    std::vector<WordId> ids;
    for (WordId id = 0; id < world.modelWords; ++id)
        ids.push_back(id);
    std::vector<int32_t> unigrams(ids.size(), -40);
    BigramModel_SetUnigramScores(world.model, ids.data(), unigrams.data(),
                                 static_cast<int32_t>(ids.size()));
    world.SetPairs({{"臺北市", "大安區", -10},
                    {"大安區", "忠孝東路", -10},
                    {"忠孝東路", "四段", -10},
                    {"四段", "一百", -10},
                    {"一百", "二十", -5},
                    {"二十", "六", -5},
                    {"六", "號", -5},
                    {"二十六", "號", -10}});
    const std::u16string text = u"臺北市大安區忠孝東路四段126號";
    WordId split[16];
    const int32_t n = Vantir_SegmentText(world.session, text.data(), -1, split, 16);
    ASSERT_EQ(n, 7);
    EXPECT_EQ(split[5], world.Id("二十六"));
    ASSERT_EQ(Vantir_AddRecogText(world.session, text.data(), -1), 0);
    EXPECT_EQ(world.Results(), (std::vector<std::string>{"臺北市大安區忠孝東路四段126號"}));
}

TEST(TextIntakeModelTest, AModelWithoutABlobTakesOnlyEmptyTexts) {
    Lexicon* lexicon = Lexicon_Create(nullptr, 0, 0);
    char16_t list[] = u"臺北市\n";
    ASSERT_NE(Lexicon_BuildBlob(lexicon, list, nullptr), nullptr);
    BigramModel* model = BigramModel_Create(nullptr);
    AddressWorld world({{"臺北市", {33}}}, {});
    FilterSession* session = Vantir_Init(model, lexicon, world.addressDb.data());
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(Vantir_SegmentText(session, u"臺北市", -1, nullptr, 0), VANTIR_WRONG_STATE);
    EXPECT_EQ(Vantir_AddRecogText(session, u"臺北市", -1), VANTIR_WRONG_STATE);
    EXPECT_EQ(Vantir_SegmentText(session, u" ，", -1, nullptr, 0), 0);
    EXPECT_EQ(Vantir_AddRecogText(session, u" ，", -1), 0);
    Vantir_Release(session);
    BigramModel_Destroy(model);
    Lexicon_Destroy(lexicon);
}

}  // namespace
