// ReadNbestFile against the line-at-a-time reading it replaced: the same
// utterances, warnings and first error for random inputs of both conventions,
// its lines checked in one share or in many; and the block UTF-8 check against
// the strict decoder.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tools/compile/text_source.h"
#include "tools/run/nbest_reader.h"
#include "tools/tool_test_support.h"
#include "vantir/vantir.hpp"

namespace nbest_file_test {

using vantir::testing::ScratchDir;
using vantir::testing::WriteFile;
namespace tools = vantir::tools;

struct Reading {
    std::vector<tools::Utterance> utterances;
    tools::NbestFormat format = tools::NbestFormat::kPlain;
    std::string warnings;
    std::string error;
};

bool SameUtterances(const std::vector<tools::Utterance>& a,
                    const std::vector<tools::Utterance>& b) {
    auto sameHypothesis = [](const tools::Hypothesis& x, const tools::Hypothesis& y) {
        return x.rank == y.rank && x.line == y.line && x.words == y.words;
    };
    auto sameUtterance = [&](const tools::Utterance& x, const tools::Utterance& y) {
        return x.id == y.id && std::equal(x.hypotheses.begin(), x.hypotheses.end(),
                                          y.hypotheses.begin(), y.hypotheses.end(), sameHypothesis);
    };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), sameUtterance);
}

// What reading a line at a time gave: each line checked as it was read and
// parsed at once, so that the first bad line, of either kind, failed.
Reading LineAtATime(const std::string& path, tools::NbestFormat format) {
    Reading r;
    std::ostringstream warnings;
    std::vector<tools::SourceLine> lines;
    std::string readError;
    try {
        tools::SourceReader reader(path);
        tools::SourceLine line;
        while (reader.Next(line))
            lines.push_back(line);
    } catch (const tools::ToolError& error) {
        readError = error.what();
    }
    try {
        tools::Diagnostics diagnostics(&warnings);
        r.format = tools::ResolveNbestFormat(lines, path, format);
        r.utterances = tools::ParseNbest(lines, path, format, diagnostics);
    } catch (const tools::ToolError& error) {
        r.error = error.what();
    }
    if (r.error.empty() && !readError.empty()) {
        r.error = readError;
        r.utterances.clear();
    }
    r.warnings = r.error.empty() ? warnings.str() : "";
    return r;
}

Reading Whole(const std::string& path, tools::NbestFormat format, int32_t workers) {
    Reading r;
    std::ostringstream warnings;
    try {
        tools::Diagnostics diagnostics(&warnings);
        const tools::NbestFile file = tools::ReadNbestFile(path, format, diagnostics, workers);
        r.format = file.format();
        r.utterances = file.ToUtterances();
    } catch (const tools::ToolError& error) {
        r.error = error.what();
    }
    r.warnings = r.error.empty() ? warnings.str() : "";
    return r;
}

// A random N-best input: Kaldi lines of utterances interleaved, ranks out of
// order, gaps and repeats, or plain lines; blank lines, comments, tabs, CR LF,
// and now and then a bad key, a bad byte or a long line.
std::string RandomInput(std::mt19937& random, bool kaldi, bool faults, size_t lines) {
    const std::vector<std::string> words = {"臺南市", "中西區", "民生路", "一段", "七",
                                            "號",     "abc",    "x-1",    "#no",  "台北"};
    auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
    std::string text = pick(4) == 0 ? "\xEF\xBB\xBF" : "";
    for (size_t l = 0; l < lines; ++l) {
        const size_t kind = pick(40);
        std::string line;
        if (kind == 0) {
            line = "";
        } else if (kind == 1) {
            line = " \t# comment";
        } else if (faults && kind == 2) {
            line = "u1-1 \xe8\xff";
        } else if (faults && kind == 3 && kaldi) {
            line = "u" + std::to_string(pick(5)) + "-x a";
        } else if (faults && kind == 4 && lines < 100) {
            line = std::string(tools::kMaxSourceLineBytes + 1 + pick(3), 'a');
        } else {
            if (kaldi) {
                line = "u" + std::to_string(pick(lines / 4 + 1)) + "-" +
                       std::to_string(1 + pick(faults ? 12 : 1000000));
            }
            for (size_t w = pick(8); w > 0; --w)
                line += (pick(3) == 0 ? "\t" : " ") + words[pick(words.size())];
            if (!kaldi && line.empty()) line = "號";
        }
        text += line + (pick(10) == 0 ? "\r\n" : "\n");
    }
    if (pick(3) == 0 && !text.empty()) text.pop_back();  // no line break at the end
    return text;
}

TEST(NbestFile, ReadsWhatTheLineAtATimeReaderRead) {
    std::mt19937 random(20240801);
    ScratchDir dir;
    const std::string path = (dir / "lists.nbest").string();
    int failures = 0;
    for (int round = 0; round < 120; ++round) {
        const bool kaldi = round % 2 == 0;
        const bool faults = round % 3 == 0;
        // Large enough inputs are checked in several shares.
        const size_t lines = round % 5 == 0 ? 9000 : 1 + random() % 60;
        WriteFile(path, RandomInput(random, kaldi, faults, lines));
        for (const tools::NbestFormat format :
             {tools::NbestFormat::kAuto,
              kaldi ? tools::NbestFormat::kKaldi : tools::NbestFormat::kPlain}) {
            const Reading expected = LineAtATime(path, format);
            failures += !expected.error.empty();
            for (const int32_t workers : {1, 2, 3, 8}) {
                const Reading got = Whole(path, format, workers);
                const std::string what =
                    "round " + std::to_string(round) + ", " + std::to_string(workers) + " workers";
                ASSERT_EQ(got.error, expected.error) << what;
                EXPECT_EQ(got.warnings, expected.warnings) << what;
                EXPECT_TRUE(SameUtterances(got.utterances, expected.utterances)) << what;
                if (expected.error.empty()) {
                    EXPECT_EQ(got.format, expected.format) << what;
                }
            }
        }
    }
    EXPECT_GT(failures, 20) << "the rounds should meet bad input";
}

TEST(NbestFile, KeepsTheUtterancesAskedForInOrder) {
    ScratchDir dir;
    WriteFile(dir / "lists.nbest", "a-1 x\nb-1 y\na-2 z\nc-1 w\n");
    tools::Diagnostics quiet;
    tools::NbestFile file =
        tools::ReadNbestFile(dir / "lists.nbest", tools::NbestFormat::kAuto, quiet);
    ASSERT_EQ(file.size(), 3u);
    EXPECT_EQ(file.Hypotheses(0).size(), 2u);
    EXPECT_EQ(file.Hypotheses(0)[1].text, " z");
    file.KeepIf([&](size_t k) { return file.Id(k) != "b"; });
    ASSERT_EQ(file.size(), 2u);
    EXPECT_EQ(file.Id(0), "a");
    EXPECT_EQ(file.Id(1), "c");
    EXPECT_EQ(file.Hypotheses(1)[0].line, 4);
}

TEST(NbestFile, TheBlockCheckAcceptsWhatTheDecoderDecodes) {
    std::mt19937 random(7);
    const std::vector<std::string> pieces = {"a",
                                             "\xc2\x80",
                                             "\xdf\xbf",
                                             "\xe0\xa0\x80",
                                             "\xed\x9f\xbf",
                                             "\xed\xa0\x80",
                                             "\xef\xbf\xbf",
                                             "\xf0\x90\x80\x80",
                                             "\xf4\x8f\xbf\xbf",
                                             "\xf4\x90\x80\x80",
                                             "\xc0\x80",
                                             "\xe0\x9f\xbf",
                                             "\xf0\x8f\xbf\xbf",
                                             "\x80",
                                             "\xff",
                                             "\xe8",
                                             "\xe8\xa1",
                                             "12345678"};
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (int k = static_cast<int>(random() % 6); k > 0; --k)
            text += pieces[random() % pieces.size()];
        if (random() % 4 == 0) text += std::string(random() % 20, 'z');
        EXPECT_EQ(tools::IsStrictUtf8(text), vantir::ToUtf16(text).has_value()) << round;
    }
}

}  // namespace nbest_file_test
