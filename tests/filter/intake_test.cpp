// Hypothesis intake and result insertion: argument checks, rank classes, merging
// of equal texts, region candidates, cut texts and the full result table.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/address_world.h"

using namespace vantir::testing;
using Texts = std::vector<std::string>;

namespace {

constexpr int kFillerWords = 128;

std::string Filler(int i) {
    char text[8];
    std::snprintf(text, sizeof text, "w%03d", i);
    return text;
}

// d, g: lower heads; o opens a head that f follows; u/x: upper heads; v, c1,
// c2: following regions; t: trigger; t8: trigger and lower head; k: key;
// "w!" strips to the text of w. Textless words: e0 (8), e1 (33), e2 (19).
std::vector<WordEntry> IntakeWords() {
    std::vector<WordEntry> words = {{"d", {8}},
                                    {"g", {8}},
                                    {"o", {5}},
                                    {"f", {7}},
                                    {"u", {33}},
                                    {"x", {33}},
                                    {"v", {34}},
                                    {"c1", {8, 34}},
                                    {"c2", {8, 34}},
                                    {"t", {17}},
                                    {"t8", {17, 8}},
                                    {"k", {19}},
                                    {"w", {8}},
                                    {"w!", {34}},
                                    {"w005!", {34}},
                                    {std::string(200, 'q'), {8}},
                                    {std::string(127, 'q') + "rr", {8}},
                                    {std::string(127, 'p'), {8}}};
    for (int i = 0; i < kFillerWords; ++i)
        words.push_back({Filler(i), {8}});
    return words;
}

class IntakeTest : public ::testing::Test {
  protected:
    IntakeTest()
        : world_(IntakeWords(), {{u"x", u"c1"}, {u"x", u"c2"}, {u"x", u"c1"}}, {{8}, {33}, {19}}) {
        world_.SetPairs({{"o", "f", 0},
                         {"d", "t", 0},
                         {"u", "v", 0},
                         {"g", "t8", 0},
                         {"g", "t", 0},
                         {"x", "t", 0},
                         {"x", "c1", 0},
                         {"c1", "t", 0},
                         {"c2", "t", 0}});
        world_.SetIdPairs({{world_.Textless(1), world_.Id("w!"), 0},
                           {world_.Textless(1), world_.Id("w005!"), 0}});
    }
    void FillWith(int n) {
        for (int i = 0; i < n; ++i)
            ASSERT_EQ(world_.Add({Filler(i)}), 0);
    }
    AddressWorld world_;
};

}  // namespace

TEST_F(IntakeTest, RejectsMissingOrImpossibleInput) {
    const WordId d = world_.Id("d");
    const WordId ids[2] = {d, -1};
    EXPECT_EQ(Vantir_AddRecogResult(nullptr, ids, 0, 0, 0, 2), -5);
    EXPECT_EQ(Vantir_AddRecogResult(world_.session, nullptr, 0, 0, 0, 2), -41);
    EXPECT_EQ(Vantir_AddRecogResult(world_.session, ids, 0, 0, 0, -1), -41);
    EXPECT_EQ(world_.AddIds({d, world_.modelWords}), -41);  // no row in the model
    EXPECT_EQ(world_.AddIds({-2, d}), -41);
    EXPECT_EQ(world_.Results(), Texts{});
    // -1 and ids without lexicon text are words of the model like any other.
    EXPECT_EQ(Vantir_AddRecogResult(world_.session, ids, 7, 8, 9, 2), 0);
    EXPECT_EQ(world_.AddIds({-1, world_.Textless(0)}), 0);
    EXPECT_EQ(world_.Results(), (Texts{"d", ""}));
}

TEST(IntakeWithoutModelBlob, ReportsTheMissingBlob) {
    AddressWorld world(IntakeWords(), {});
    BigramModel* empty = BigramModel_Create(nullptr);
    FilterSession* session = Vantir_Init(empty, world.lexicon, world.addressDb.data());
    ASSERT_NE(session, nullptr);
    const WordId ids[1] = {world.Id("d")};
    EXPECT_EQ(Vantir_AddRecogResult(session, ids, 0, 0, 0, 1), -4);
    EXPECT_EQ(Vantir_AddRecogResult(session, ids, 0, 0, 0, 0), 0) << "nothing to score";
    int32_t count = 10;
    EXPECT_EQ(Vantir_GetFilterResult(session, nullptr, 0, 0, &count), 1);
    EXPECT_EQ(count, 0);
    Vantir_Release(session);
    BigramModel_Destroy(empty);
}

TEST_F(IntakeTest, ClassComesFromTheSecondWord) {
    EXPECT_EQ(world_.Add({"d"}), 0);            // one word: 3
    EXPECT_EQ(world_.Add({"o", "f"}), 0);       // no trigger second: 3 despite tag 7
    EXPECT_EQ(world_.Add({"d", "t", "k"}), 0);  // trigger only: 1
    EXPECT_EQ(world_.Add({"u", "v", "k"}), 0);  // upper follower: 0
    EXPECT_EQ(world_.Add({"g", "t8"}), 0);      // trigger and lower head: 0
    EXPECT_EQ(world_.Add({"g", "t"}), 0);       // trigger only: 1
    EXPECT_EQ(world_.Results(), (Texts{"uvk", "gt8", "dtk", "gt", "d", "of"}));
}

TEST_F(IntakeTest, EqualTextsMergeIntoTheFirstEntryWithTheSmallerClass) {
    EXPECT_EQ(world_.Add({"d"}), 0);
    EXPECT_EQ(world_.Add({"w"}), 0);
    // [e1, w!, e2] composes to "w" as a class-0 three-word result.
    EXPECT_EQ(world_.AddIds({world_.Textless(1), world_.Id("w!"), world_.Textless(2)}), 0);
    EXPECT_EQ(world_.Add({"w"}), 0);  // class 3 again: no change
    EXPECT_EQ(world_.Results(), (Texts{"w", "d"}));
}

TEST_F(IntakeTest, WidenedTextKeepsItsArrivalWhenProducedDirectly) {
    EXPECT_EQ(world_.Add({"x", "t"}), 0);  // candidates c1, c2, c1: class 2
    EXPECT_EQ(world_.Add({"d"}), 0);
    EXPECT_EQ(world_.Add({"u", "v", "k"}), 0);
    EXPECT_EQ(world_.Add({"x", "c1", "t"}), 0);  // the same text, class 0
    EXPECT_EQ(BigramModel_GetMode(world_.model), 1);
    EXPECT_EQ(world_.Results(), (Texts{"xc1t", "uvk", "xc2t", "d"}));
}

TEST_F(IntakeTest, TextsAreCutTo127UnitsBeforeComparison) {
    EXPECT_EQ(world_.Add({std::string(127, 'p')}), 0);
    EXPECT_EQ(world_.Add({std::string(200, 'q')}), 0);
    EXPECT_EQ(world_.Add({std::string(127, 'q') + "rr"}), 0);
    EXPECT_EQ(world_.Results(), (Texts{std::string(127, 'p'), std::string(127, 'q')}));
}

TEST_F(IntakeTest, EmptyTextIsAnEntryLikeAnyOther) {
    EXPECT_EQ(world_.AddIds({world_.Textless(0)}), 0);
    char16_t output[4] = {7, 7, 7, 7};
    int32_t count = 5;
    EXPECT_EQ(Vantir_GetFilterResult(world_.session, output, 0, 0, &count), 2);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(output[0], 0);
    EXPECT_EQ(output[1], 0);
}

TEST_F(IntakeTest, FullTableRefusesEvenAStoredText) {
    FillWith(kFillerWords);
    EXPECT_EQ(world_.Add({Filler(5)}), -1001);
    // [e1, w005!, e2] composes to the stored "w005" with class 0.
    const std::vector<WordId> classZero = {world_.Textless(1), world_.Id("w005!"),
                                           world_.Textless(2)};
    EXPECT_EQ(world_.AddIds(classZero), -1001);
    EXPECT_EQ(world_.Add({"u", "v", "k"}), -1001);
    const Texts listed = world_.Results();
    ASSERT_EQ(listed.size(), 128u);
    EXPECT_EQ(listed[0], Filler(0));
    EXPECT_EQ(listed[5], Filler(5));
    EXPECT_EQ(listed[127], Filler(127));
    EXPECT_EQ(BigramModel_GetMode(world_.model), 1);
    EXPECT_EQ(Vantir_Reset(world_.session), 0);
    EXPECT_EQ(world_.Add({"d"}), 0);
    EXPECT_EQ(world_.Results(), (Texts{"d"}));
}

TEST_F(IntakeTest, TableFillingDuringCandidatesKeepsTheEarlierOnes) {
    // The three candidates c1, c2, c1 are entered one by one, never merged
    // beforehand: with two free entries the repeated c1 meets a full table.
    FillWith(kFillerWords - 2);
    EXPECT_EQ(world_.Add({"x", "t"}), -1001);
    Texts listed = world_.Results();
    ASSERT_EQ(listed.size(), 128u);
    EXPECT_EQ(listed[0], "xc1t");  // class 2 before the one-word class 3
    EXPECT_EQ(listed[1], "xc2t");

    EXPECT_EQ(Vantir_Reset(world_.session), 0);
    FillWith(kFillerWords - 1);
    EXPECT_EQ(world_.Add({"x", "t"}), -1001);
    listed = world_.Results();
    ASSERT_EQ(listed.size(), 128u);
    EXPECT_EQ(listed[0], "xc1t");
    EXPECT_EQ(listed[1], Filler(0));
}
