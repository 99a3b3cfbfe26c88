// Recogniser texts that cross the segmenter's windows, in the default and the
// accurate mode: the text intake fuzz target's checks, and its input form.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fuzz/text_intake_cases.h"
#include "tests/support/sample_world.h"

using namespace vantir::testing;

namespace {

std::vector<char16_t> Addresses(size_t copies) {
    const std::u16string one = u"我要到臺北市大安區忠孝東路四段123巷5弄7號，";
    std::vector<char16_t> text;
    for (size_t k = 0; k < copies; ++k)
        text.insert(text.end(), one.begin(), one.end());
    return text;
}

}  // namespace

// Texts of several windows and the accurate mode reach the target: lengths
// beyond one byte, and units given once and repeated.
TEST(LongTextIntake, TheFuzzInputFormCarriesLongTextsAndTheMode) {
    const std::vector<TextCase> cases = {{kTextReset | kTextAccurate, Addresses(120)},
                                         {kTextTerminated, Addresses(12)},
                                         {kTextReadResults, Addresses(1)}};
    const std::vector<uint8_t> bytes = EncodeTextCases(cases);
    const std::vector<TextCase> decoded = DecodeTextCases(bytes.data(), bytes.size());
    ASSERT_EQ(decoded.size(), cases.size());
    for (size_t k = 0; k < cases.size(); ++k) {
        EXPECT_EQ(decoded[k].units, cases[k].units) << k;
        EXPECT_EQ(decoded[k].flags & ~kTextLongLength, cases[k].flags) << k;
    }
    EXPECT_GT(decoded[0].units.size(), 5u * 512) << "several windows";

    // Three units taken 201 times, cut at the longest text made.
    const std::vector<uint8_t> repeated = {
        kTextRepeated | kTextReset | kTextAccurate, 3, 200, 0x81, 0xFA, 0x53, 0x17, 0x5E, 0x02};
    const std::vector<TextCase> grown = DecodeTextCases(repeated.data(), repeated.size());
    ASSERT_EQ(grown.size(), 1u);
    EXPECT_EQ(grown[0].units.size(), 3u * 201);
    EXPECT_EQ(grown[0].units[602], u'市');
    const std::vector<uint8_t> huge = {kTextRepeated | kTextLongLength, 0x10, 0, 255, 0x81, 0xFA};
    EXPECT_EQ(DecodeTextCases(huge.data(), huge.size())[0].units.size(), 256u)
        << "units given once, taken 256 times";

    // A thousand such texts in one input: the input's budget ends them.
    std::vector<uint8_t> many;
    for (int k = 0; k < 1000; ++k)
        many.insert(many.end(), {kTextRepeated, 1, 255, 0x81, 0xFA});
    size_t units = 0;
    for (const TextCase& text : DecodeTextCases(many.data(), many.size()))
        units += text.units.size();
    EXPECT_EQ(units, kMaxInputUnits);
}

TEST(LongTextIntake, TextsAcrossWindowsPassTheFuzzChecksInBothModes) {
    const AttachedWorld world;
    ASSERT_TRUE(world.attached);
    FilterSession* session = world.NewSession();
    ASSERT_NE(session, nullptr);
    for (const uint8_t mode : {uint8_t{0}, kTextAccurate}) {
        for (const size_t copies : {size_t{1}, size_t{30}, size_t{160}}) {
            for (const uint8_t flags : {uint8_t{0}, kTextTerminated, kTextShortBuffer}) {
                const TextCase text{static_cast<uint8_t>(kTextReset | mode | flags),
                                    Addresses(copies)};
                const std::string what = "mode " + std::to_string(mode) + ", " +
                                         std::to_string(text.units.size()) + " units, flags " +
                                         std::to_string(flags);
                EXPECT_STREQ(CheckTextCase(session, world.blobs.modelWords, text), nullptr) << what;
                EXPECT_EQ(Vantir_GetOptions(session), mode ? VANTIR_OPTION_ACCURATE : 0u) << what;
                std::vector<std::u16string> texts;
                EXPECT_TRUE(ReadListing(session, &texts)) << what;
                EXPECT_FALSE(texts.empty()) << what;
            }
        }
    }
    Vantir_Release(session);
}
