// Strict UTF-8: every boundary of the well-formed sequences decoded and
// encoded back, each kind of malformed input refused, and output cut whole.
#include "textutil/strict_utf8.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "vantir/types.h"
#include "vantir/vantir.hpp"

namespace vantir {
namespace {

std::u16string Decoded(const std::string& bytes) {
    const auto length = static_cast<int32_t>(bytes.size());
    const int32_t units = DecodeUtf8Strict(bytes.data(), length, nullptr, 0);
    if (units < 0) return u"<refused>";
    std::u16string out(static_cast<size_t>(units), u'\0');
    EXPECT_EQ(DecodeUtf8Strict(bytes.data(), length, out.data(), units), units);
    return out;
}

std::string Encoded(const std::u16string& units) {
    const auto length = static_cast<int32_t>(units.size());
    const int32_t bytes = EncodeUtf16AsUtf8(units.data(), length, nullptr, 0);
    std::string out(static_cast<size_t>(bytes), '\0');
    EXPECT_EQ(EncodeUtf16AsUtf8(units.data(), length, out.data(), bytes), bytes);
    return out;
}

TEST(StrictUtf8, EveryLengthsFirstAndLastCharacterTravelsBothWays) {
    struct Case {
        std::string bytes;
        std::u16string units;
    };
    const Case cases[] = {
        {std::string("\0", 1), std::u16string(1, u'\0')},
        {"\x7F", u"\x7F"},
        {"\xC2\x80", u"\x80"},
        {"\xDF\xBF", u"\x7FF"},
        {"\xE0\xA0\x80", u"\x800"},
        {"\xED\x9F\xBF", u"\xD7FF"},
        {"\xEE\x80\x80", u"\xE000"},
        {"\xEF\xBF\xBF", u"\xFFFF"},
        {"\xF0\x90\x80\x80", u"\xD800\xDC00"},
        {"\xF4\x8F\xBF\xBF", u"\xDBFF\xDFFF"},
        {"臺北市", u"臺北市"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Decoded(c.bytes), c.units);
        EXPECT_EQ(Encoded(c.units), c.bytes);
    }
}

TEST(StrictUtf8, MalformedSequencesAreRefused) {
    const std::string malformed[] = {
        "\x80",
        "\xBF",
        "\xC0\x80",
        "\xC1\xBF",
        "\xC2",
        "\xC2\x41",
        "\xE0\x9F\xBF",
        "\xED\xA0\x80",
        "\xED\xBF\xBF",
        "\xE1\x80",
        "\xF0\x8F\xBF\xBF",
        "\xF4\x90\x80\x80",
        "\xF5\x80\x80\x80",
        "\xFF",
        "\xF1\x80\x80\xC0",
    };
    for (const std::string& bytes : malformed) {
        EXPECT_EQ(DecodeUtf8Strict(bytes.data(), static_cast<int32_t>(bytes.size()), nullptr, 0),
                  VANTIR_INVALID_ARGUMENT)
            << "byte count " << bytes.size();
    }
    EXPECT_EQ(DecodeUtf8Strict(nullptr, 1, nullptr, 0), VANTIR_INVALID_ARGUMENT);
    EXPECT_EQ(DecodeUtf8Strict("a", -1, nullptr, 0), VANTIR_INVALID_ARGUMENT);
    EXPECT_EQ(DecodeUtf8Strict(nullptr, 0, nullptr, 0), 0);
}

TEST(StrictUtf8, DecodingWritesNoMoreThanItsCapacity) {
    char16_t out[3] = {u'#', u'#', u'#'};
    EXPECT_EQ(DecodeUtf8Strict("\xF0\x90\x80\x80z", 5, out, 2), 3);
    EXPECT_EQ(out[0], u'\xD800');
    EXPECT_EQ(out[1], u'\xDC00');
    EXPECT_EQ(out[2], u'#');
}

TEST(StrictUtf8, LoneSurrogatesEncodeAsTheReplacementAndShortRoomWritesNothing) {
    EXPECT_EQ(Encoded(u"a\xD800"
                      u"b"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(Encoded(u"\xDC00\xD800"), "\xEF\xBF\xBD\xEF\xBF\xBD");
    char out[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(EncodeUtf16AsUtf8(u"臺北", 2, out, 4), 6);
    EXPECT_EQ(std::string(out, 4), "####");
    EXPECT_EQ(EncodeUtf16AsUtf8(u"臺", 1, out, 4), 3);
    EXPECT_EQ(std::string(out, 4), "\xE8\x87\xBA#");
    EXPECT_EQ(EncodeUtf16AsUtf8(u"a", -1, out, 4), VANTIR_INVALID_ARGUMENT);
    EXPECT_EQ(EncodeUtf16AsUtf8(u"a", 1, nullptr, 4), VANTIR_INVALID_ARGUMENT);
}

// Random byte strings, mostly made of lead and continuation bytes so that
// nearly every kind of sequence, whole or broken, turns up: the decoder
// accepts exactly what the C++ layer's decoder accepts, with the same units,
// and encoding them gives the bytes back.
TEST(StrictUtf8, AgreesWithTheCppLayersDecoderOnRandomBytes) {
    std::mt19937 random(36);
    const unsigned char pool[] = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF,
                                  0xC0, 0xC1, 0xC2, 0xDF, 0xE0, 0xE1, 0xEC, 0xED, 0xEE,
                                  0xEF, 0xF0, 0xF1, 0xF3, 0xF4, 0xF5, 0xF8, 0xFF};
    int32_t accepted = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string bytes(random() % 9, '\0');
        for (char& byte : bytes) {
            byte = static_cast<char>(random() % 4 == 0 ? random() % 256
                                                       : pool[random() % sizeof pool]);
        }
        const Expected<std::u16string> reference = ToUtf16(bytes);
        const std::u16string decoded = Decoded(bytes);
        if (!reference) {
            EXPECT_EQ(decoded, u"<refused>");
            continue;
        }
        ++accepted;
        EXPECT_EQ(decoded, *reference);
        EXPECT_EQ(Encoded(decoded), bytes);
    }
    EXPECT_GT(accepted, 1000);
}

}  // namespace
}  // namespace vantir
