// Region completion and candidate listing seen through the intake: dropped head
// words, dropped triggers, inserted upper regions, and widened results.
#include "address/region_completion.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/address_world.h"

using namespace vantir::testing;
using Texts = std::vector<std::string>;

namespace {

// a, g: lower heads (a is the lower name of pairs 4 and 9, g of none);
// o: opener and lower head; f: opener follower; bb: follower and lower head;
// bo/bl: bound opener and its lower head; k5: opener named as a lower region;
// x, y2, u: upper heads; v: upper follower; c1..c4: lower regions; t: trigger;
// k: first-segment key; z: no tags.
std::vector<WordEntry> CompletionWords() {
    return {{"a", {8}},      {"g", {8}},   {"o", {5, 8}},   {"f", {7}},      {"bb", {7, 8}},
            {"bo", {6}},     {"bl", {8}},  {"k5", {5}},     {"x", {33}},     {"y2", {33}},
            {"u", {33}},     {"v", {34}},  {"c1", {8, 34}}, {"c2", {8, 34}}, {"c3", {8, 34}},
            {"c4", {8, 34}}, {"t", {17}},  {"k", {19}},     {"z", {}},       {"p4", {33}},
            {"p9", {33}},    {"ro", {33}}, {"zzzzzz", {33}}};
}

std::vector<vantir::RegionPair> CompletionRegions() {
    return {{u"x", u"c1"}, {u"x", u"c2"}, {u"u", u"c1"},  {u"y9", u"k5"}, {u"p4", u"a"},
            {u"x", u"c3"}, {u"ro", u"o"}, {u"y9", u"c4"}, {u"x", u"c4"},  {u"p9", u"a"}};
}

}  // namespace

TEST(CompleteRegion, LowerHeadGetsTheUpperNameOfTheFirstMatchingPair) {
    AddressWorld world(CompletionWords(), CompletionRegions());
    world.SetPairs({{"p4", "a", 0}, {"p9", "a", 0}, {"a", "t", 0}});
    EXPECT_EQ(world.Add({"a", "t"}), 0);
    EXPECT_EQ(world.Results(), (Texts{"p4at"}));

    // Pair 4 decides even when only pair 9's upper name would pass.
    AddressWorld failing(CompletionWords(), CompletionRegions());
    failing.SetPairs({{"p9", "a", 0}, {"a", "t", 0}});
    EXPECT_EQ(failing.Add({"a", "t"}), 0);
    EXPECT_EQ(failing.Results(), Texts{});
}

TEST(CompleteRegion, WithoutALowerNameTheTwoWordsStandAlone) {
    AddressWorld world(CompletionWords(), CompletionRegions());
    // k5 is a lower name, but without tag 8 it is never looked up.
    world.SetPairs({{"g", "t", -255}, {"k5", "t", 0}});
    EXPECT_EQ(world.Add({"g", "t"}), 0);
    EXPECT_EQ(world.Add({"k5", "t"}), 0);
    EXPECT_EQ(world.Add({"g", "k"}), 0);
    EXPECT_EQ(world.Results(), (Texts{"gt", "k5t", "g"}));
}

TEST(CompleteRegion, FailingFollowerIsDroppedBeforeTheTwoWordRule) {
    AddressWorld world(CompletionWords(), CompletionRegions());
    // (o, f) is not listed: f goes, and o, a lower head, gets its upper name.
    // (v, t) is not listed: v goes, and [u, t] is widened by candidates.
    world.SetPairs({{"ro", "o", 0}, {"o", "t", 0}, {"u", "v", 0}, {"u", "t", 0}, {"c1", "t", 0}});
    EXPECT_EQ(world.Add({"o", "f", "t"}), 0);
    EXPECT_EQ(world.Add({"u", "v", "t", "k"}), 0);
    EXPECT_EQ(BigramModel_GetMode(world.model), 1);
    EXPECT_EQ(world.Results(), (Texts{"root", "uc1tk"}));
}

TEST(CompleteRegion, LowerHeadFollowerMayDropTheTrigger) {
    AddressWorld world(CompletionWords(), CompletionRegions());
    world.SetPairs({{"bo", "bl", -254}});
    EXPECT_EQ(world.Add({"bo", "bl", "t", "k"}), 0);
    EXPECT_EQ(world.Results(), (Texts{"bobl"}));

    // At exactly -255 the rule does not apply and the final test fails on (bl, t).
    AddressWorld boundary(CompletionWords(), CompletionRegions());
    boundary.SetPairs({{"bo", "bl", -255}});
    EXPECT_EQ(boundary.Add({"bo", "bl", "t"}), 0);
    EXPECT_EQ(boundary.Results(), Texts{});
}

TEST(CompleteRegion, PassingFollowerKeepsAllThreeWords) {
    AddressWorld world(CompletionWords(), CompletionRegions());
    world.SetPairs({{"o", "bb", 0}, {"bb", "t", 0}});
    EXPECT_EQ(world.Add({"o", "bb", "t"}), 0);
    EXPECT_EQ(world.Results(), (Texts{"obbt"}));
}

TEST(CompleteRegion, MiddleWordWithoutRegionTagsFacesOnlyTheFinalTest) {
    // No head of the grammar ends in such a word, so the routine is called directly.
    AddressWorld world(CompletionWords(), CompletionRegions());
    world.SetPairs({{"o", "z", 0}, {"z", "t", 0}, {"a", "z", 0}});
    BigramModel_SetStrictMode(world.model);
    WordId passing[3] = {world.Id("o"), world.Id("z"), world.Id("t")};
    EXPECT_EQ(vantir::CompleteRegion(world.Context(), passing, 3), 3);
    EXPECT_EQ(passing[1], world.Id("z"));
    WordId failing[3] = {world.Id("a"), world.Id("z"), world.Id("k")};
    EXPECT_EQ(vantir::CompleteRegion(world.Context(), failing, 3), 0);
    BigramModel_SetBackoffMode(world.model);
}

TEST(ListRegionCandidates, LowerNamesMustBeatTheLowestPassingScore) {
    AddressWorld world(CompletionWords(), CompletionRegions());
    // c1 at exactly -255 is no candidate; c4 is also listed under y9 first.
    world.SetPairs(
        {{"x", "t", 0}, {"c1", "t", -255}, {"c2", "t", -254}, {"c3", "t", 0}, {"c4", "t", -3}});
    BigramModel_SetStrictMode(world.model);
    EXPECT_EQ(world.Add({"x", "t", "k"}), 0);
    EXPECT_EQ(BigramModel_GetMode(world.model), 1);
    EXPECT_EQ(world.Results(), (Texts{"xc2tk", "xc3tk", "xc4tk"}));
}

TEST(ListRegionCandidates, UpperWordWithoutPairsAddsNothing) {
    AddressWorld world(CompletionWords(), CompletionRegions());
    world.SetPairs({{"y2", "t", 0}, {"c1", "t", 0}});
    EXPECT_EQ(world.Add({"y2", "t"}), 0);
    EXPECT_EQ(world.Results(), Texts{});
}

TEST(RegionNames, NameThatIsNoWordTakesPartAsMinusOne) {
    std::vector<vantir::RegionPair> regions = {{u"nosuch", u"a"}, {u"x", u"nosuch"}};
    AddressWorld world(CompletionWords(), regions);
    world.SetPairs({{"a", "t", 0}, {"x", "t", 0}});
    EXPECT_EQ(world.Add({"a", "t"}), 0);  // (-1, a) is not listed yet
    world.SetIdPairs({{-1, world.Id("a"), 0}, {-1, world.Id("t"), 0}});
    EXPECT_EQ(world.Add({"a", "t"}), 0);
    EXPECT_EQ(world.Add({"x", "t"}), 0);
    // [-1, a, t] ranks as a three-word result; [x, -1, t] as a widened one.
    EXPECT_EQ(world.Results(), (Texts{"at", "xt"}));
}

TEST(RegionNames, NamesOfWordsTheModelDoesNotCoverCountAsNoWord) {
    // zzzzzz sorts last in the lexicon and lies past the model's last id.
    std::vector<vantir::RegionPair> regions = {{u"zzzzzz", u"a"}, {u"x", u"zzzzzz"}};
    AddressWorld world(CompletionWords(), regions, {}, 1);
    ASSERT_EQ(world.Id("zzzzzz"), world.modelWords);
    world.SetPairs({{"a", "t", 0}, {"x", "t", 0}});
    world.SetIdPairs({{-1, world.Id("a"), 0}, {-1, world.Id("t"), 0}});
    EXPECT_EQ(world.Add({"a", "t"}), 0);
    EXPECT_EQ(world.Add({"x", "t"}), 0);
    EXPECT_EQ(world.Results(), (Texts{"at", "xt"}));
}

TEST(ListRegionCandidates, StopsAtTheRoomOfTheCandidateList) {
    // 600 listings of one pair: the list takes 512 and drops the rest; every
    // candidate yields the same text.
    std::vector<vantir::RegionPair> regions(600, {u"x", u"c1"});
    AddressWorld world(CompletionWords(), regions);
    world.SetPairs({{"x", "t", 0}, {"c1", "t", 0}});
    EXPECT_EQ(world.Add({"x", "t"}), 0);
    EXPECT_EQ(world.Results(), (Texts{"xc1t"}));
}

TEST(RegionNames, LowerNamesSharedByUpperRegionsAreCountedUpToTheMostAsked) {
    AddressWorld world(CompletionWords(), CompletionRegions());
    const vantir::AddressContext context = world.Context();
    EXPECT_EQ(vantir::CountPairsOfLowerWord(context, world.Id("a"), 8), 2);  // p4 and p9
    EXPECT_EQ(vantir::CountPairsOfLowerWord(context, world.Id("c4"), 8), 2);
    EXPECT_EQ(vantir::CountPairsOfLowerWord(context, world.Id("c2"), 8), 1);
    EXPECT_EQ(vantir::CountPairsOfLowerWord(context, world.Id("g"), 8), 0);
    EXPECT_EQ(vantir::CountPairsOfLowerWord(context, world.Id("a"), 1), 1);
    EXPECT_EQ(vantir::CountPairsOfLowerWord(context, world.Id("a"), 0), 0);
}
