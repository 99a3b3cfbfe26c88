// Result details on the command line: `filter --json` carries what the C calls
// give, `eval --calibration` tables and rows, and `explain` of a whole utterance
// in either mode.
#include <gtest/gtest.h>

#include <charconv>

#include "tool_test_support.h"
#include "tools/run/data_dir.h"

using namespace vantir::testing;

namespace {

class DetailsCli : public SmallDataTest {
  protected:
    void SetUp() override {
        SmallDataTest::SetUp();
        WriteFile(dir / "nbest.txt",
                  "u1-1 臺北市 大安區 忠孝東路 四段 一百 二十三 巷 五 弄 七 號\n"
                  "u1-2 臺北市 大安區 忠孝東路 四段 一百 二十三 巷 五 弄\n"
                  "u1-3 我 臺北市 大安區 忠孝東路 四段 一百 二十三 巷 五 弄 七 號\n"
                  "u2-1 臺北市 忠孝東路 四段 七 號\n"
                  "u2-2 大安區 忠孝東路 四段 七 號\n"
                  "u3-1 我 故宮博物院\n");
        WriteFile(dir / "ref.txt",
                  "u1 臺北市大安區忠孝東路四段123巷5弄7號\n"
                  "u2 臺北市大安區忠孝東路四段7號\n"
                  "u3 故宮博物院\n");
        nbest = (dir / "nbest.txt").string();
        ref = (dir / "ref.txt").string();
    }

    // The details of one utterance as the C calls give them, in the JSON form
    // the tool promises (the confidence as its shortest decimal).
    std::string DetailsThroughTheLibrary(const std::vector<std::vector<std::string>>& utterance,
                                         uint32_t options) {
        vantir::tools::LoadedData data = vantir::tools::LoadDataDir(out);
        EXPECT_EQ(Vantir_SetOptions(data.session.get(), options), 0);
        for (const std::vector<std::string>& words : utterance) {
            EXPECT_EQ(data.session.add(vantir::tools::LookUpWords(data.lexicon.get(), words).ids),
                      0);
        }
        std::string json = "[";
        int32_t count = 128;
        Vantir_GetFilterResult(data.session.get(), nullptr, 0, 0, &count);
        const std::vector<std::u16string> texts = *data.session.results();
        for (int32_t k = 0; k < count; ++k) {
            VantirResultInfo info{};
            EXPECT_EQ(Vantir_GetResultInfo(data.session.get(), k, &info), 0);
            char confidence[32];
            const auto written = std::to_chars(confidence, confidence + 32, info.confidence);
            const std::u16string& text = texts[static_cast<size_t>(k)];
            json += std::string(k > 0 ? "," : "") + "{\"text\":\"" + vantir::ToUtf8(text) +
                    "\",\"confidence\":" + std::string(confidence, written.ptr) +
                    ",\"class\":" + std::to_string(info.resultClass) +
                    ",\"support\":" + std::to_string(info.support) +
                    ",\"first_rank\":" + std::to_string(info.firstRank) + ",\"fields\":{";
            bool first = true;
            for (int32_t f = 0; f < VANTIR_FIELD_COUNT; ++f) {
                const VantirSpan span = info.fields[f];
                if (span.length == 0) continue;
                json += std::string(first ? "" : ",") + "\"" + vantir::FieldName(f) + "\":\"" +
                        vantir::ToUtf8(text.substr(span.start, span.length)) + "\"";
                first = false;
            }
            json += "}}";
        }
        return json + "]";
    }

    std::string nbest;
    std::string ref;
};

std::string DetailsOfLine(const std::string& line) {
    const size_t from = line.find("\"details\":");
    const size_t to = line.find(",\"code\"", from);
    if (from == std::string::npos || to == std::string::npos) return "";
    return line.substr(from + 10, to - from - 10);
}

}  // namespace

TEST_F(DetailsCli, FilterJsonCarriesTheDetailsOfTheCCalls) {
    if (kCliBinary == nullptr) GTEST_SKIP() << "the vantir binary is not built";
    const std::vector<std::vector<std::string>> u1 = {
        {"臺北市", "大安區", "忠孝東路", "四段", "一百", "二十三", "巷", "五", "弄", "七", "號"},
        {"臺北市", "大安區", "忠孝東路", "四段", "一百", "二十三", "巷", "五", "弄"},
        {"我", "臺北市", "大安區", "忠孝東路", "四段", "一百", "二十三", "巷", "五", "弄", "七",
         "號"}};
    const std::vector<std::vector<std::string>> u2 = {{"臺北市", "忠孝東路", "四段", "七", "號"},
                                                      {"大安區", "忠孝東路", "四段", "七", "號"}};
    for (const bool accurate : {false, true}) {
        std::vector<std::string> arguments = {"filter", "--json", "--data", out, nbest};
        if (accurate) arguments.push_back("--accurate");
        const CliRun run = RunBinary(arguments);
        ASSERT_EQ(run.status, kExitSuccess) << run.err;
        std::vector<std::string> lines;
        for (size_t at = 0, end; (end = run.out.find('\n', at)) != std::string::npos; at = end + 1)
            lines.push_back(run.out.substr(at, end - at));
        ASSERT_EQ(lines.size(), 3u);
        const uint32_t options = accurate ? VANTIR_OPTION_ACCURATE : 0u;
        EXPECT_EQ(DetailsOfLine(lines[0]), DetailsThroughTheLibrary(u1, options));
        EXPECT_EQ(DetailsOfLine(lines[1]), DetailsThroughTheLibrary(u2, options));
        EXPECT_TRUE(Contains(lines[0], "\"support\":2,\"first_rank\":0"))
            << "two hypotheses give the whole address: " << lines[0];
        EXPECT_TRUE(Contains(lines[2],
                             "\"class\":3,\"support\":1,\"first_rank\":0,"
                             "\"fields\":{\"place\":\"故宮博物院\"}"))
            << lines[2];
    }
}

TEST_F(DetailsCli, EvalCalibrationPrintsTheReliabilityAndWritesEveryResult) {
    const std::string rows = (dir / "rows.tsv").string();
    const CliRun run = RunCli({"eval", "--data", out, "--nbest", nbest, "--ref", ref, "--compare",
                               "--calibration", "--calibration-data", rows});
    ASSERT_EQ(run.status, kExitSuccess) << run.err;
    for (const char* mode : {"default", "accurate"}) {
        EXPECT_TRUE(Contains(run.out, std::string("calibration, ") + mode + " mode")) << run.out;
    }
    EXPECT_TRUE(Contains(run.out, "  0.9-1.0")) << run.out;
    EXPECT_TRUE(Contains(run.out, "expected calibration error: first results "));
    EXPECT_TRUE(Contains(run.out, "first results with confidence >= 0.9: "));
    EXPECT_TRUE(Contains(run.out, " of 3 utterances")) << run.out;

    // One row per listed result of each mode, rightness by the references.
    const std::string written = ReadFile(rows);
    EXPECT_EQ(written.rfind("mode\tutterance\tposition\tright\tconfidence\tf0\t", 0), 0u);
    EXPECT_TRUE(Contains(written, "\naccurate\tu1\t0\t1\t")) << written;
    EXPECT_TRUE(Contains(written, "\naccurate\tu1\t1\t0\t")) << "the cut-short text is wrong";
    EXPECT_TRUE(Contains(written, "\ndefault\tu3\t0\t1\t"));
    const CliRun listed = RunCli({"filter", "--data", out, nbest});
    const CliRun accurate = RunCli({"filter", "--data", out, "--accurate", nbest});
    size_t results = 0;
    for (const std::string* text : {&listed.out, &accurate.out}) {
        for (size_t at = text->find(". "); at != std::string::npos; at = text->find(". ", at + 1))
            ++results;
    }
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), static_cast<long>(results + 1));

    // A folder of the path is a file: no folder can be made there.
    WriteFile(dir / "plain-file", "not a folder");
    const CliRun unwritable = RunCli({"eval", "--data", out, "--nbest", nbest, "--ref", ref,
                                      "--calibration-data", (dir / "plain-file" / "x").string()});
    EXPECT_EQ(unwritable.status, kExitFailure);
    EXPECT_TRUE(Contains(unwritable.err, "cannot write the calibration rows")) << unwritable.err;
}

TEST_F(DetailsCli, ExplainOfAWholeUtteranceShowsWhatOrdersItsResults) {
    for (const bool accurate : {false, true}) {
        std::vector<std::string> arguments = {"explain", "--data",
                                              out,       "臺北市 忠孝東路 四段 七 號",
                                              "/",       "大安區 忠孝東路 四段 七 號"};
        if (accurate) arguments.push_back("--accurate");
        std::vector<const char*> argv = {"vantir"};
        for (const std::string& argument : arguments)
            argv.push_back(argument.c_str());
        std::ostringstream stdout_, stderr_;
        const int status = vantir::tools::RunVantir(static_cast<int>(argv.size()), argv.data(),
                                                    stdout_, stderr_, false);
        ASSERT_EQ(status, kExitSuccess) << stderr_.str();
        const std::string report = stdout_.str();
        EXPECT_TRUE(Contains(report, "== hypothesis 1 of 2\nhypothesis      臺北市")) << report;
        EXPECT_TRUE(Contains(report, "== hypothesis 2 of 2\nhypothesis      大安區"));
        EXPECT_TRUE(Contains(report, "== utterance (2 hypotheses)\n"));
        EXPECT_TRUE(Contains(report, accurate ? "order           accurate mode: by evidence"
                                              : "order           default mode: by class"));
        EXPECT_TRUE(Contains(report, "results         1. 臺北市大安區忠孝東路四段7號  confidence "))
            << report;
        EXPECT_TRUE(Contains(report, "support 2 of 2 hypotheses (1, 2), first rank 1"))
            << "both hypotheses give the address: " << report;
        EXPECT_TRUE(Contains(report,
                             "fields upper 臺北市, lower 大安區, road 忠孝東路, "
                             "section 四段, number 7號\n"));
        EXPECT_EQ(Contains(report, "\nreading         "), accurate) << report;
    }
}

TEST_F(DetailsCli, ExplainTakesAnUtteranceOfAnNbestFile) {
    const CliRun run =
        RunCli({"explain", "--data", out, "--accurate", "--nbest", nbest, "--utterance", "u2"});
    ASSERT_EQ(run.status, kExitSuccess) << run.err;
    EXPECT_TRUE(Contains(run.out, "== utterance (2 hypotheses)\n")) << run.out;
    EXPECT_TRUE(Contains(run.out, "reading         lower regions between 臺北市 and 忠孝東路: "));

    const CliRun first = RunCli({"explain", "--data", out, "--nbest", nbest});
    EXPECT_TRUE(Contains(first.out, "== utterance (3 hypotheses)\n")) << "the file's first";

    const CliRun missing =
        RunCli({"explain", "--data", out, "--nbest", nbest, "--utterance", "u9"});
    EXPECT_EQ(missing.status, kExitFailure);
    EXPECT_TRUE(Contains(missing.err, "no utterance 'u9'")) << missing.err;
    EXPECT_EQ(RunCli({"explain", "--data", out}).status, kExitUsage);
    EXPECT_EQ(RunCli({"explain", "--data", out, "--utterance", "u1", "大安區"}).status, kExitUsage);
}
