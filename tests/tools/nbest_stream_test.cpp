// The N-best input read a window at a time against the input read whole: the
// same utterances, warnings and first error at any window size, for inputs whose
// utterances keep their lines together; and the failure of one that does not.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tools/run/nbest_reader.h"
#include "tools/tool_test_support.h"

namespace nbest_stream_test {

using vantir::testing::Contains;
using vantir::testing::ScratchDir;
using vantir::testing::WriteFile;
namespace tools = vantir::tools;

struct Reading {
    std::vector<tools::Utterance> utterances;
    std::string warnings;
    std::string error;
    size_t windows = 0;
};

std::string Shown(const std::vector<tools::Utterance>& utterances) {
    std::string text;
    for (const tools::Utterance& utterance : utterances) {
        text += utterance.id + ":";
        for (const tools::Hypothesis& hypothesis : utterance.hypotheses) {
            text += " " + std::to_string(hypothesis.rank) + "@" + std::to_string(hypothesis.line);
            for (const std::string& word : hypothesis.words)
                text += "," + word;
        }
        text += "\n";
    }
    return text;
}

Reading Whole(const std::string& path, tools::NbestFormat format) {
    Reading r;
    std::ostringstream warnings;
    try {
        tools::Diagnostics diagnostics(&warnings);
        r.utterances = tools::ReadNbestFile(path, format, diagnostics).ToUtterances();
    } catch (const tools::ToolError& error) {
        r.error = error.what();
        r.utterances.clear();
    }
    r.warnings = warnings.str();
    return r;
}

Reading Windows(const std::string& path, tools::NbestFormat format, size_t windowBytes,
                int32_t workers) {
    Reading r;
    std::ostringstream warnings;
    try {
        tools::Diagnostics diagnostics(&warnings);
        tools::NbestStream stream(path, format, diagnostics, workers, windowBytes);
        tools::NbestFile window;
        while (stream.Next(window)) {
            ++r.windows;
            for (tools::Utterance& utterance : window.ToUtterances())
                r.utterances.push_back(std::move(utterance));
        }
    } catch (const tools::ToolError& error) {
        r.error = error.what();
        r.utterances.clear();  // what came before the failure is compared apart
    }
    r.warnings = warnings.str();
    return r;
}

// Kaldi or plain utterances, each's lines together (Kaldi ranks shuffled, with
// gaps), blank and comment lines between and inside them, CR LF now and then,
// a byte order mark, and with `faults` a bad byte or key somewhere.
std::string RandomInput(std::mt19937& random, bool kaldi, bool faults, size_t utterances) {
    const std::vector<std::string> words = {"臺南市", "中西區", "民生路", "一段",
                                            "七",     "號",     "x-1"};
    auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
    std::string text = pick(4) == 0 ? "\xEF\xBB\xBF" : "";
    auto end = [&] { return pick(10) == 0 ? "\r\n" : "\n"; };
    for (size_t u = 0; u < utterances; ++u) {
        std::vector<int> ranks(1 + pick(5));
        for (size_t r = 0; r < ranks.size(); ++r)
            ranks[r] = static_cast<int>(r + 1 + (pick(6) == 0 ? 1 : 0));
        std::shuffle(ranks.begin(), ranks.end(), random);
        for (const int rank : ranks) {
            if (pick(15) == 0) text += std::string(pick(2) == 0 ? "# note" : "  ") + end();
            std::string line = kaldi ? "utt" + std::to_string(u) + "-" + std::to_string(rank) : "";
            for (size_t w = 1 + pick(5); w > 0; --w)
                line += (line.empty() ? "" : " ") + words[pick(words.size())];
            if (faults && pick(60) == 0) line += pick(2) == 0 ? " \xe8\xff" : "";
            if (faults && kaldi && pick(80) == 0) line = "utt-x " + line;
            text += line + end();
        }
        if (!kaldi || pick(3) == 0) text += end();
    }
    if (pick(3) == 0 && !text.empty()) text.pop_back();
    return text;
}

TEST(NbestStream, WindowsOfAnySizeReadWhatTheWholeInputGives) {
    std::mt19937 random(20261208);
    ScratchDir dir;
    const std::string path = (dir / "lists.nbest").string();
    int failures = 0;
    for (int round = 0; round < 60; ++round) {
        const bool kaldi = round % 2 == 0;
        WriteFile(path, RandomInput(random, kaldi, round % 3 == 0, 1 + random() % 200));
        for (const tools::NbestFormat format :
             {tools::NbestFormat::kAuto,
              kaldi ? tools::NbestFormat::kKaldi : tools::NbestFormat::kPlain}) {
            const Reading whole = Whole(path, format);
            failures += !whole.error.empty();
            for (const size_t window : {size_t{1}, size_t{50}, size_t{700}, size_t{1} << 20}) {
                const Reading got = Windows(path, format, window, 1 + round % 3);
                const std::string what =
                    "round " + std::to_string(round) + ", window " + std::to_string(window);
                ASSERT_EQ(got.error, whole.error) << what;
                EXPECT_EQ(Shown(got.utterances), Shown(whole.utterances)) << what;
                if (whole.error.empty()) {
                    EXPECT_EQ(got.warnings, whole.warnings) << what;
                }
                if (window == 1 && whole.error.empty() && whole.utterances.size() > 2) {
                    EXPECT_GT(got.windows, 2u) << what << ": cut between utterances";
                }
            }
        }
    }
    EXPECT_GT(failures, 5) << "the rounds should meet bad input";
}

// Lines of one utterance apart within a window are put together, as in a
// whole reading; apart across windows, the later one fails, naming the
// utterance and the line, after the windows before it were handed out.
TEST(NbestStream, AnUtteranceGoingOnInALaterWindowFailsThere) {
    ScratchDir dir;
    const std::string path = (dir / "apart.nbest").string();
    WriteFile(path, "a-1 x\nb-1 y\na-2 z\nc-1 w\nc-2 v\nd-1 u\na-3 t\n");
    const Reading close = Windows(path, tools::NbestFormat::kAuto, 1 << 20, 1);
    EXPECT_EQ(close.error, "");
    EXPECT_EQ(Shown(close.utterances), Shown(Whole(path, tools::NbestFormat::kAuto).utterances));

    std::ostringstream warnings;
    tools::Diagnostics diagnostics(&warnings);
    tools::NbestStream stream(path, tools::NbestFormat::kAuto, diagnostics, 1, 20);
    tools::NbestFile window;
    std::vector<std::string> before;
    try {
        while (stream.Next(window)) {
            for (size_t k = 0; k < window.size(); ++k)
                before.emplace_back(window.Id(k));
        }
        FAIL() << "expected a failure";
    } catch (const tools::ToolError& error) {
        EXPECT_TRUE(Contains(error.what(), ":7: utterance 'a' goes on here after the lines of"))
            << error.what();
    }
    EXPECT_FALSE(before.empty());
    EXPECT_EQ(before.front(), "a");
}

TEST(NbestStream, AnEmptyInputGivesOneEmptyWindow) {
    ScratchDir dir;
    WriteFile(dir / "empty.nbest", "");
    tools::Diagnostics quiet;
    tools::NbestStream stream(dir / "empty.nbest", tools::NbestFormat::kAuto, quiet);
    tools::NbestFile window;
    ASSERT_TRUE(stream.Next(window));
    EXPECT_EQ(window.size(), 0u);
    EXPECT_FALSE(stream.Next(window));
    EXPECT_EQ(stream.utterances(), 0u);
}

}  // namespace nbest_stream_test
