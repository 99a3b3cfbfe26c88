// Every finder, case changer and bounded comparison in all its forms (byte and
// wide, const and writable input): each form must answer like its twin.
#include <gtest/gtest.h>

#include "vantir/textutil.h"

namespace vantir {
namespace {

TEST(TextForms, FindersAgreeAcrossConstAndWritableInput) {
    char bytes[] = "xAbcab";
    char16_t wide[] = u"xAbcab";
    const char* constBytes = bytes;
    const char16_t* constWide = wide;

    EXPECT_EQ(StrFindChar(bytes, 'c'), bytes + 3);
    EXPECT_EQ(StrFindChar(constBytes, 'c'), bytes + 3);
    EXPECT_EQ(WStrFindChar(wide, u'c'), wide + 3);
    EXPECT_EQ(WStrFindChar(constWide, u'c'), wide + 3);

    EXPECT_EQ(StrFind(bytes, "ab"), bytes + 4);
    EXPECT_EQ(StrFind(constBytes, "ab"), bytes + 4);
    EXPECT_EQ(WStrFind(wide, u"ab"), wide + 4);
    EXPECT_EQ(WStrFind(constWide, u"ab"), wide + 4);

    EXPECT_EQ(StrFindNoCase(bytes, "ab"), bytes + 1);
    EXPECT_EQ(StrFindNoCase(constBytes, "ab"), bytes + 1);
    EXPECT_EQ(WStrFindNoCase(wide, u"ab"), wide + 1);
    EXPECT_EQ(WStrFindNoCase(constWide, u"ab"), wide + 1);

    EXPECT_EQ(WStrFindChar(wide, u'z'), nullptr);
    EXPECT_EQ(WStrFindNoCase(constWide, u"zz"), nullptr);
}

TEST(TextForms, CaseChangesInPlaceInBothWidths) {
    char bytes[] = "aB\xe9z";
    char16_t wide[] = u"aB\u00e9z";
    EXPECT_STREQ(StrToLower(bytes), "ab\xe9z");
    EXPECT_STREQ(StrToUpper(bytes), "AB\xe9Z");
    EXPECT_EQ(WStrCompare(WStrToUpper(wide), u"AB\u00e9Z"), 0);
    EXPECT_EQ(WStrCompare(WStrToLower(wide), u"ab\u00e9z"), 0);
}

TEST(TextForms, WideBoundedComparisonCountsPositions) {
    EXPECT_EQ(WStrCompareN(u"abc", u"abd", 2), 0);
    EXPECT_EQ(WStrCompareN(u"abc", u"abd", 3), -3);
    EXPECT_EQ(WStrCompareN(u"abd", u"abc", 5), 3);
    EXPECT_EQ(WStrCompareN(u"abc", u"xyz", -1), 0);
}

}  // namespace
}  // namespace vantir
