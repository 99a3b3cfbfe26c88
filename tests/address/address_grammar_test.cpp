// The address grammar seen through the intake: start search, heads and their
// pair test, the end test, body segments in order, and the fallback word.
#include "address/address_grammar.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/address_world.h"

using namespace vantir::testing;
using Texts = std::vector<std::string>;

namespace {

// o/p open heads (5), f follows them (7, and 8 for a lower head of its own),
// u/h are upper heads (33), v/w follow them (34), d/e are lower heads (8),
// t triggers completion (17), m/q are fallback words (0), x/y carry nothing.
// Body words: n (25), s2 (24), k (19), b (18 and 20), s (21), l (22), c (23).
std::vector<WordEntry> GrammarWords() {
    return {{"o", {5}},  {"p", {5}},  {"f", {7, 8}}, {"u", {33}},  {"h", {33}}, {"v", {34}},
            {"w", {34}}, {"d", {8}},  {"e", {8}},    {"t", {17}},  {"m", {0}},  {"q", {0}},
            {"x", {}},   {"y", {}},   {"n", {25}},   {"s2", {24}}, {"k", {19}}, {"b", {18, 20}},
            {"s", {21}}, {"l", {22}}, {"c", {23}},   {"r", {33}}};
}

class GrammarTest : public ::testing::Test {
  protected:
    GrammarTest() : world_(GrammarWords(), {{u"r", u"d"}}) {
        world_.SetPairs({{"o", "f", -255},
                         {"u", "v", -10},
                         {"u", "w", -10},
                         {"v", "b", -10},
                         {"r", "d", -10},
                         {"d", "t", -10}});
    }
    AddressWorld world_;
};

}  // namespace

TEST_F(GrammarTest, EmptyHypothesisKeepsNothingAndLeavesBackoffMode) {
    BigramModel_SetStrictMode(world_.model);
    EXPECT_EQ(world_.AddIds({}), 0);
    EXPECT_EQ(Vantir_AddRecogResult(world_.session, nullptr, 0, 0, 0, 0), 0);
    EXPECT_EQ(BigramModel_GetMode(world_.model), 1);
    EXPECT_EQ(world_.Results(), Texts{});
}

TEST_F(GrammarTest, HeadsEndTheAddressUnlessTheyEndWithAnUpperFollower) {
    EXPECT_EQ(world_.Add({"o", "f", "k"}), 0);       // tag 7 ends it: k dropped
    EXPECT_EQ(world_.Add({"u", "v", "n", "k"}), 0);  // tag 34 takes a body
    EXPECT_EQ(world_.Add({"x", "y", "d"}), 0);       // starts 0 and 1 fail
    EXPECT_EQ(world_.Add({"x", "o"}), 0);            // the -1 after o has no tag 7
    EXPECT_EQ(BigramModel_GetMode(world_.model), 1);
    EXPECT_EQ(world_.Results(), (Texts{"uvnk", "of", "d", "o"}));
}

TEST_F(GrammarTest, TwoWordHeadPairDecidesItsStartPosition) {
    // (o, f) scores exactly -255 and passes; (p, f) is not listed, so start 0
    // fails and f heads the address on its own at start 1.
    EXPECT_EQ(world_.Add({"x", "y", "o", "f"}), 0);
    EXPECT_EQ(world_.Add({"p", "f"}), 0);
    EXPECT_EQ(world_.Results(), (Texts{"of", "f"}));
}

TEST_F(GrammarTest, FallbackWordOnlyWhenEveryStartFails) {
    EXPECT_EQ(world_.Add({"x", "m", "y", "q"}), 0);
    // e followed by t fails completion (pair not listed), the search goes on
    // and finds no head, so the first fallback word is the result.
    EXPECT_EQ(world_.Add({"y", "e", "t", "q", "m"}), 0);
    EXPECT_EQ(world_.Add({"x", "y"}), 0);
    EXPECT_EQ(world_.Results(), (Texts{"m", "q"}));
}

TEST_F(GrammarTest, FailedCompletionMovesToTheNextStart) {
    // e + t is rejected at start 1, d at start 3 heads the address.
    EXPECT_EQ(world_.Add({"m", "e", "t", "d"}), 0);
    EXPECT_EQ(world_.Results(), (Texts{"d"}));
}

TEST_F(GrammarTest, CompletedLowerHeadTakesABody) {
    // d is the lower name of the pair (r, d): [r, d, t] and then the body.
    EXPECT_EQ(world_.Add({"d", "t", "n", "k"}), 0);
    EXPECT_EQ(world_.Results(), (Texts{"rdtnk"}));
}

TEST_F(GrammarTest, PrefixedBareKeyIsNoSegment) {
    EXPECT_EQ(world_.Add({"u", "v", "n", "b"}), 0);
    EXPECT_EQ(world_.Results(), (Texts{"uv"}));
}

TEST_F(GrammarTest, BareFirstKeyNeedsItsPairWithTheHead) {
    // (v, b) passes: b is the first segment and s the second. (w, b) fails: b
    // becomes the bare second segment and s finds no place.
    EXPECT_EQ(world_.Add({"u", "v", "b", "s"}), 0);
    EXPECT_EQ(world_.Add({"u", "w", "b", "s"}), 0);
    EXPECT_EQ(world_.Results(), (Texts{"uvbs", "uwb"}));
}

TEST_F(GrammarTest, SegmentsNeverComeOutOfOrder) {
    EXPECT_EQ(world_.Add({"u", "v", "c", "k"}), 0);       // third segment, k dropped
    EXPECT_EQ(world_.Add({"u", "w", "l", "k"}), 0);       // lead without key: empty body
    EXPECT_EQ(world_.Add({"u", "v", "s", "k", "c"}), 0);  // k after a second segment ends it
    EXPECT_EQ(world_.Results(), (Texts{"uvc", "uvs", "uw"}));
}

TEST(GrammarThirdSegment, LeadPairIsTestedButNotTheLeadKeyPair) {
    AddressWorld world(GrammarWords(), {});
    world.SetPairs({{"u", "v", 0}, {"u", "w", 0}, {"s2", "l", -200}});
    // (l, c) is not listed and not asked.
    EXPECT_EQ(world.Add({"u", "v", "s2", "l", "c"}), 0);
    // (n, l) is not listed: the lead fails, and l is no third key.
    EXPECT_EQ(world.Add({"u", "w", "n", "l", "c"}), 0);
    EXPECT_EQ(world.Results(), (Texts{"uvs2lc", "uw"}));
}

// The steps the engine notes are the reading itself: a refused start with the
// pair that refused it, the kept start, then the three segments, whose words
// after the head's are exactly the kept words; tracing changes nothing.
TEST_F(GrammarTest, TraceNotesEveryStepOfTheReadingItKeeps) {
    const std::vector<std::string> hypothesis = {"h", "v", "u", "v", "b", "s", "l", "c", "q"};
    std::vector<WordId> words;
    for (const std::string& word : hypothesis)
        words.push_back(world_.Id(word));
    words.push_back(-1);
    const int32_t count = static_cast<int32_t>(hypothesis.size());
    const vantir::AddressContext context = world_.Context();

    std::vector<WordId> plain(words.size() + 10, -1);
    std::vector<WordId> traced(words.size() + 10, -1);
    const int32_t kept = vantir::AnalyseAddress(context, words.data(), count, plain.data());
    vantir::GrammarTrace trace{};
    EXPECT_EQ(vantir::AnalyseAddress(context, words.data(), count, traced.data(), &trace), kept);
    ASSERT_EQ(kept, 6);  // u v b s l c
    EXPECT_EQ(std::vector<WordId>(plain.begin(), plain.begin() + kept),
              std::vector<WordId>(traced.begin(), traced.begin() + kept));

    // (h, v) is not listed: start 0 is refused; v heads nothing; u v is kept
    // at 2 and takes the segments b, s and l c.
    ASSERT_EQ(trace.count, 5);
    const vantir::GrammarStep& refused = trace.steps[0];
    EXPECT_EQ(refused.kind, vantir::GrammarStepKind::kStartRefused);
    EXPECT_EQ(refused.start, 0);
    EXPECT_EQ(refused.headEnd, 2);
    ASSERT_EQ(refused.refusalsTo - refused.refusalsFrom, 1);
    EXPECT_EQ(trace.pairs.refusals[refused.refusalsFrom].first, world_.Id("h"));
    EXPECT_EQ(trace.pairs.refusals[refused.refusalsFrom].second, world_.Id("v"));
    const vantir::GrammarStep& start = trace.steps[1];
    EXPECT_EQ(start.kind, vantir::GrammarStepKind::kStartKept);
    EXPECT_EQ(start.start, 2);
    EXPECT_EQ(start.kept, 2);
    EXPECT_EQ(start.refusalsTo, start.refusalsFrom);
    int32_t wordsSeen = start.kept;
    for (int32_t k = 2; k < trace.count; ++k) {
        const vantir::GrammarStep& segment = trace.steps[k];
        EXPECT_EQ(segment.kind, vantir::GrammarStepKind::kSegment);
        EXPECT_EQ(segment.segment, k - 2);
        EXPECT_EQ(segment.outFrom, wordsSeen);
        wordsSeen += segment.kept;
    }
    EXPECT_EQ(wordsSeen, kept);
}
