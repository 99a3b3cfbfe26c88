// Accurate mode's spelling of address numbers and its test of whole numbers.
#include "address/canonical_spelling.h"

#include <gtest/gtest.h>

#include <string>

#include "support/address_world.h"

using vantir::CanonicaliseAddressText;
using vantir::IsWellFormedNumber;
using namespace vantir::testing;
using vantir::ToUtf8;

namespace {

std::string CanonicalIn(const std::string& text, int32_t capacity) {
    std::u16string buffer = Utf16(text);
    buffer.resize(static_cast<size_t>(capacity), u'\0');
    const int32_t length = CanonicaliseAddressText(buffer.data(), capacity);
    EXPECT_EQ(length, static_cast<int32_t>(std::u16string(buffer.data()).size()));
    return ToUtf8(std::u16string(buffer.data()));
}

std::string Canonical(const std::string& text) {
    return CanonicalIn(text, 256);
}

bool WellFormed(const std::string& text) {
    const std::u16string units = Utf16(text);
    return IsWellFormedNumber(units.data(), static_cast<int32_t>(units.size()));
}

TEST(CanonicalSpelling, SectionsInChineseAndOtherNumbersInDigits) {
    ExpectRewrites(Canonical, {
                                  {"忠孝東路4段123巷5弄7號", "忠孝東路四段123巷5弄7號"},
                                  {"忠孝東路四段一百二十三巷五弄七號", "忠孝東路四段123巷5弄7號"},
                                  {"文化路12段三樓", "文化路十二段3樓"},
                                  {"中山路10段二十號", "中山路十段20號"},
                                  {"一百零五號", "105號"},
                              });
}

TEST(CanonicalSpelling, NamesAndUnreadableRunsStayAsWritten) {
    // Numerals in names are followed by no key word.
    ExpectRewrites(Canonical,
                   {
                       {"高雄市四維三路兩百號", "高雄市四維三路200號"},
                       {"臺北一零一", "臺北一零一"},
                       // Digits read one by one, a leading zero, and a run mixing both kinds are
                       // no numbers this rewrite can read.
                       {"一二三號", "一二三號"},
                       {"05號", "05號"},
                       {"1二號", "1二號"},
                       // Sections above the largest written in Chinese keep their digits.
                       {"路100段", "路100段"},
                       {"", ""},
                   });
}

TEST(CanonicalSpelling, GrowthStopsAtTheBuffersEnd) {
    // "25段" grows to "二十五段"; a text that would outgrow its buffer keeps
    // the run as it was.
    EXPECT_EQ(CanonicalIn("路25段", 5), "路25段");
    EXPECT_EQ(CanonicalIn("路25段", 6), "路二十五段");
}

TEST(WellFormedNumber, AsPeopleSayThem) {
    for (const char* text : {"七", "十", "十五", "二十", "二十三", "一百", "兩百", "一百零五",
                             "一百一十五", "三百四十", "一千零一", "兩千三百", "123"}) {
        EXPECT_TRUE(WellFormed(text)) << text;
    }
    for (const char* text : {"", "零", "一百三", "三四", "百", "十十", "一百零", "零五", "百二",
                             "一千零零一", "二十百", "012", "是"}) {
        EXPECT_FALSE(WellFormed(text)) << text;
    }
}

}  // namespace

TEST(CanonicalSpelling, PositionsMoveWithTheTextAfterThem) {
    // Where the fields of "忠孝東路4段一百二十三巷7號" start, and its end.
    std::u16string text = Utf16("忠孝東路4段一百二十三巷7號");
    text.resize(64, u'\0');
    int32_t offsets[] = {0, 4, 6, 12, 14, 3, 8};
    const int32_t length = CanonicaliseAddressText(text.data(), 64, offsets, 7);
    EXPECT_EQ(ToUtf8(std::u16string(text.data())), "忠孝東路四段123巷7號");
    EXPECT_EQ(length, 12);
    // Starts of the section and the number stay; the lane's shrinks by two
    // units; a position inside a rewritten number goes to its start.
    const int32_t moved[] = {0, 4, 6, 10, 12, 3, 6};
    for (int32_t k = 0; k < 7; ++k)
        EXPECT_EQ(offsets[k], moved[k]) << "offset " << k;
}
