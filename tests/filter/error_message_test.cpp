// Result code messages: a sentence of its own for every code the calls return,
// each provoked from a real call, and the one unknown text for any other number.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "support/address_world.h"

using namespace vantir::testing;

namespace {

constexpr const char* kUnknown = "unknown result code";
constexpr int32_t kTableSize = 128;

// Every code of the interface; the test below finds each one at a call.
constexpr int32_t kLibraryCodes[] = {VANTIR_OK,
                                     VANTIR_NOT_FOUND,
                                     VANTIR_WRONG_STATE,
                                     VANTIR_NULL_OBJECT,
                                     VANTIR_OUT_OF_MEMORY,
                                     VANTIR_INVALID_ARGUMENT,
                                     VANTIR_OVER_CAPACITY,
                                     VANTIR_BAD_BLOB,
                                     VANTIR_RESULT_TABLE_FULL};

std::string TableFillerWord(int i) {
    char text[8];
    std::snprintf(text, sizeof text, "w%03d", i);
    return text;
}

// One more lower-head word than the result table holds, each its own address.
std::vector<WordEntry> TableFillerWords() {
    std::vector<WordEntry> words;
    for (int i = 0; i <= kTableSize; ++i)
        words.push_back({TableFillerWord(i), {8}});
    return words;
}

}  // namespace

TEST(ErrorMessage, EveryLibraryCodeHasASentenceOfItsOwn) {
    std::set<std::string> seen;
    for (const int32_t code : kLibraryCodes) {
        const char* message = Vantir_ErrorMessage(code);
        ASSERT_NE(message, nullptr) << code;
        const std::string text(message);
        EXPECT_FALSE(text.empty()) << code;
        EXPECT_NE(text, kUnknown) << code;
        EXPECT_TRUE(seen.insert(text).second) << code << " repeats \"" << text << '"';
        // Printed after a host's own words and a colon: lower case, one line,
        // no final period.
        EXPECT_TRUE(text[0] >= 'a' && text[0] <= 'z') << text;
        EXPECT_EQ(text.find('\n'), std::string::npos) << text;
        EXPECT_NE(text.back(), '.') << text;
        // Static storage: the same text at every call.
        EXPECT_EQ(Vantir_ErrorMessage(code), message) << code;
    }
}

TEST(ErrorMessage, AnyOtherNumberIsUnknown) {
    for (const int32_t code : {1, 2, -2, -3, -6, -9, -11, -40, -42, -50, -52, -102, -104, -1000,
                               -1002, 128, INT32_MAX, INT32_MIN}) {
        const char* message = Vantir_ErrorMessage(code);
        ASSERT_NE(message, nullptr) << code;
        EXPECT_STREQ(message, kUnknown) << code;
    }
}

// Each code as a call really returns it, so that the list above is the
// library's and a message never stands for a code no call gives.
TEST(ErrorMessage, CodesThatCallsReturnAreNamed) {
    std::set<int32_t> returned;
    auto note = [&](int32_t code, int32_t expected) {
        EXPECT_EQ(code, expected);
        EXPECT_STRNE(Vantir_ErrorMessage(code), kUnknown) << code;
        returned.insert(code);
    };

    AddressWorld world(TableFillerWords(), {});
    note(Vantir_Reset(world.session), VANTIR_OK);
    note(Vantir_Reset(nullptr), VANTIR_NULL_OBJECT);
    note(Lexicon_FindId(world.lexicon, u"nowhere"), VANTIR_NOT_FOUND);
    note(Vantir_SetOptions(world.session, 0x80000000u), VANTIR_INVALID_ARGUMENT);
    note(Vantir_VerifyBlob(nullptr, 0), VANTIR_BAD_BLOB);
    for (int i = 0; i < kTableSize; ++i)
        ASSERT_EQ(world.Add({TableFillerWord(i)}), VANTIR_OK) << i;
    note(world.Add({TableFillerWord(kTableSize)}), VANTIR_RESULT_TABLE_FULL);
    note(Vantir_SetOptions(world.session, VANTIR_OPTION_ACCURATE), VANTIR_WRONG_STATE);

    // A model without a blob has no added ids to renumber.
    BigramModel* model = BigramModel_Create(nullptr);
    const int32_t map[1] = {0};
    note(BigramModel_RenumberAddedWords(model, map, 1), VANTIR_OVER_CAPACITY);
    BigramModel_Destroy(model);

    // Room for added words that can never exist: the first addition is refused.
    Lexicon* lexicon = Lexicon_Create(nullptr, 1, -1);
    std::u16string list = u"word";
    note(Lexicon_AddWords(lexicon, list.data()), VANTIR_OUT_OF_MEMORY);
    Lexicon_Destroy(lexicon);

    EXPECT_EQ(returned, std::set<int32_t>(std::begin(kLibraryCodes), std::end(kLibraryCodes)));
}
