// `vantir filter`, `eval` and `segment` print the same bytes as before the
// batch pipeline, for every option and job count: the standard
// output, standard error and exit status of each run are compared with digests
// recorded from the commands as they were before the change, and recorded
// again where the output changed on purpose since (JSON details, accurate mode)
// (tests/data/batch_output_digests.txt).
//
// To record the digests again after a deliberate change of the output, run
//   VANTIR_WRITE_OUTPUT_DIGESTS=tests/data/batch_output_digests.txt
//   build/default/tests/test_tools --gtest_filter='BatchOutput.*'
// (one command) from the source folder, and review the change of the file.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tools/compile/text_source.h"
#include "tools/run/text_hypotheses.h"
#include "tools/tool_test_support.h"

namespace batch_output_test {

using vantir::testing::CliRun;
using vantir::testing::ReadFile;
using vantir::testing::RunCli;
using vantir::testing::ScratchDir;
using vantir::testing::WriteFile;

const std::string kSourceDir = VANTIR_SOURCE_DIR;
const std::string kSample = kSourceDir + "/data/tw-sample";
const std::string kDigestFile = kSourceDir + "/tests/data/batch_output_digests.txt";
constexpr const char* kWriteDigests = "VANTIR_WRITE_OUTPUT_DIGESTS";

// FNV-1a, 64 bits: enough to tell outputs apart, and the same on every target.
uint64_t Digest(const std::string& bytes) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ull;
    }
    return hash;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

struct Recorded {
    int status = 0;
    size_t outBytes = 0;
    uint64_t out = 0;
    uint64_t err = 0;

    bool operator==(const Recorded&) const = default;
};

std::string Line(const std::string& label, const Recorded& r) {
    char text[96];
    std::snprintf(text, sizeof text, " %d %zu %016llx %016llx", r.status, r.outBytes,
                  static_cast<unsigned long long>(r.out), static_cast<unsigned long long>(r.err));
    return label + text;
}

std::map<std::string, Recorded> ReadDigests() {
    std::map<std::string, Recorded> digests;
    std::ifstream in(kDigestFile);
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string label;
        Recorded r;
        std::string out;
        std::string err;
        fields >> label >> r.status >> r.outBytes >> out >> err;
        r.out = std::stoull(out, nullptr, 16);
        r.err = std::stoull(err, nullptr, 16);
        digests[label] = r;
    }
    return digests;
}

// One command and the job options it is run with besides its own: every one
// must give the recorded bytes.
struct Combination {
    std::string label;
    std::vector<std::string> arguments;
    std::vector<std::vector<std::string>> jobs;
};

const std::vector<std::vector<std::string>> kFilterJobs = {
    {}, {"-j", "1"}, {"-j", "2"}, {"-j", "3"}};
const std::vector<std::vector<std::string>> kSegmentJobs = {{}, {"-j", "2"}, {"-j", "3"}};

// Kaldi lists with what the readers must keep: a byte order mark, comments and
// blank lines, CR LF, tabs, ids with dashes, ranks out of order and with gaps,
// lines of one utterance apart, unknown words (more than the shown ten of a
// kind), a line that looks unsegmented, a key without words.
std::string ExtraKaldi() {
    std::string text =
        "\xEF\xBB\xBF# lists with everything the reader keeps\n"
        "x-b-2 臺南市 新化區 民生路 一段 兩百 七十五 號\n"
        "x-a-1 臺南市 中西區 民生路 一段 兩百 七十五 號\r\n"
        "   \n"
        "x-a-3\t臺南市\t某某路  民生路 一段 七 號\n"
        "x-b-1 我 要 去 臺北市 大安區 忠孝東路 四段 一百 二十三 巷 五 弄 七 號\n"
        "  # an indented comment\n"
        "x-a-2 中西區 民生路 一段 兩百 七十五 號 三 樓\n"
        "x-c-1 台南市中西區民生路一段275號\n"
        "x-c-5 某某路\n"
        "x-d-01 臺南市\n"
        "x-e-1\n"
        "x-b-4 民生路 一段\n"
        "x-a-5 不知道 不知道 民生路\n";
    for (int k = 0; k < 14; ++k) {
        const std::string id = "y_" + std::to_string(k);
        text += id + "-1 臺北市 大安區 未知" + std::to_string(k % 4) + " 忠孝東路 四段 七 號\n";
        text += id + "-2 大安區 忠孝東路 四段 " + (k % 2 ? "七" : "八") + " 號\n";
    }
    return text + "x-f-1 臺南市 中西區 民生路 一段 兩百 七十五 號";  // no line break at the end
}

std::string ExtraReferences() {
    std::string text =
        "x-a 臺南市中西區民生路一段275號\n"
        "x-b 臺北市大安區忠孝東路四段123巷5弄7號\n"
        "x-c 臺南市中西區民生路一段275號\n"
        "x-d 臺南市\n"
        "x-e 臺南市\n";
    for (int k = 0; k < 14; ++k)
        text += "y_" + std::to_string(k) + " 臺北市大安區忠孝東路四段7號\n";
    return text;  // x-f has none: --skip-missing counts it
}

std::string ExtraPlain() {
    return "# plain lists\n"
           "臺南市 中西區 民生路 一段 兩百 七十五 號\n"
           "臺南市 新化區 民生路 一段 兩百 七十五 號\n"
           "\n"
           "  \t\n"
           "\t中西區 民生路 一段 七 號\n"
           "# a comment inside\n"
           "某某路 民生路\n"
           "\n"
           "\n"
           "臺北市 大安區 忠孝東路 四段\n";
}

std::string ExtraText() {
    return "t1-1 台南市中西區民生路一段275號\n"
           "t1-2 台南市中西区民生路一段２７５号\n"
           "t1-3 臺南市，中西區 民生路一段275號。\n"
           "t2-2 我要去台北市大安區忠孝東路四段123巷5弄7號三樓\n"
           "t2-1 abc台北市\n"
           "t3-1 ！！！\n"
           "t3-3 臺北市 大安區\t忠孝東路\n";
}

std::string ExtraTextPlain() {
    return "台南市中西區民生路一段275號\n"
           "台南市新化區民生路一段275號\n"
           "\n"
           "# comment\n"
           "我要去台北市大安區忠孝東路四段123巷5弄7號\n";
}

// The sample's lists thirty times over under other ids: enough utterances for
// several batches and workers, and more than the reader's smallest share.
std::string Repeated() {
    const std::string sample = ReadFile(kSample + "/nbest.txt");
    std::string text;
    for (int copy = 0; copy < 30; ++copy) {
        std::istringstream lines(sample);
        for (std::string line; std::getline(lines, line);) {
            if (line.empty() || line[0] == '#') continue;
            text += "c" + std::to_string(copy) + line + "\n";
        }
    }
    return text;
}

class BatchOutput : public ::testing::Test {
  protected:
    void SetUp() override {
        const CliRun built = RunCli({"build", kSample, "-o", data()});
        ASSERT_EQ(built.status, 0) << built.err;
        WriteFile(dir / "extra.nbest", ExtraKaldi());
        WriteFile(dir / "extra-ref.txt", ExtraReferences());
        WriteFile(dir / "extra-plain.nbest", ExtraPlain());
        WriteFile(dir / "extra-text.nbest", ExtraText());
        WriteFile(dir / "extra-text-plain.nbest", ExtraTextPlain());
        WriteFile(dir / "repeated.nbest", Repeated());
        const std::string longLine(vantir::tools::kMaxSourceLineBytes + 1, 'a');
        WriteFile(dir / "bad-utf8.nbest", "u1-1 臺南市\nu1-2 中西區\nu2-1 臺南\xff市\nu2-2 x\n");
        WriteFile(dir / "bad-rank.nbest", "u1-1 臺南市\nu1-2 中西區\nu2-x 民生路\nu3-1 \xff\n");
        WriteFile(dir / "repeated-rank.nbest", "u1-1 臺南市\nu2-1 中西區\nu1-2 a\nu1-1 b\n");
        WriteFile(dir / "key-like.nbest", "u1-0 臺南市\nu1-1 中西區\n");
        WriteFile(dir / "plain-key-like.nbest", "臺南市 中西區\nab-1x 民生路\n");
        WriteFile(dir / "long-line.nbest", "u1-1 臺南市\n" + longLine + "\nu1-\xff\n");
        WriteFile(dir / "utf8-before-long.nbest", "u1-1 臺南市\nu1-2 \xe8\xa1\n" + longLine + "\n");
        WriteFile(dir / "no-break.nbest", "u1-1 臺南市\n" + longLine + longLine);
        WriteFile(dir / "empty.nbest", "");
        WriteFile(dir / "comments.nbest", "# nothing\n\n   \n# more\n");
    }

    std::string data() const { return (dir / "data").string(); }
    std::string in(const std::string& name) const { return (dir / name).string(); }

    std::vector<Combination> Combinations() const {
        std::vector<Combination> all;
        auto add = [&](const std::string& label, std::vector<std::string> arguments,
                       const std::vector<std::vector<std::string>>& jobs) {
            all.push_back({label, std::move(arguments), jobs});
        };
        const std::vector<std::pair<std::string, std::string>> wordLists = {
            {"nbest", kSample + "/nbest.txt"},  {"hard", kSample + "/hard-nbest.txt"},
            {"demo", kSample + "/demo.nbest"},  {"extra", in("extra.nbest")},
            {"plain", in("extra-plain.nbest")}, {"repeated", in("repeated.nbest")},
        };
        for (const auto& [name, path] : wordLists) {
            for (int json = 0; json < 2; ++json) {
                for (int accurate = 0; accurate < 2; ++accurate) {
                    for (int max = 0; max < 2; ++max) {
                        std::vector<std::string> arguments = {"filter", "--data", data()};
                        std::string label = "filter." + name;
                        if (json) arguments.push_back("--json"), label += ".json";
                        if (accurate) arguments.push_back("--accurate"), label += ".accurate";
                        if (max)
                            arguments.insert(arguments.end(), {"--max", "2"}), label += ".max2";
                        arguments.push_back(path);
                        add(label, arguments, kFilterJobs);
                    }
                }
            }
        }
        const std::vector<std::pair<std::string, std::string>> textLists = {
            {"nbest-text", kSample + "/nbest-text.txt"},
            {"extra-text", in("extra-text.nbest")},
            {"extra-text-plain", in("extra-text-plain.nbest")},
        };
        for (const auto& [name, path] : textLists) {
            for (int json = 0; json < 2; ++json) {
                for (int accurate = 0; accurate < 2; ++accurate) {
                    for (int s2t = 0; s2t < 2; ++s2t) {
                        if (s2t && !vantir::tools::SimplifiedToTaiwan::Available()) continue;
                        std::vector<std::string> arguments = {"filter", "--data", data(), "--text"};
                        std::string label = "filter." + name;
                        if (json) arguments.push_back("--json"), label += ".json";
                        if (accurate) arguments.push_back("--accurate"), label += ".accurate";
                        if (s2t) arguments.push_back("--s2t"), label += ".s2t";
                        arguments.push_back(path);
                        add(label, arguments, kFilterJobs);
                    }
                }
            }
        }
        add("filter.extra.format-plain",
            {"filter", "--data", data(), "--format", "plain", in("extra.nbest")}, kFilterJobs);
        add("filter.plain.format-kaldi",
            {"filter", "--data", data(), "--format", "kaldi", in("extra-plain.nbest")},
            kFilterJobs);
        add("filter.extra.words-as-text",
            {"filter", "--data", data(), "--text", "--json", in("extra.nbest")}, kFilterJobs);
        for (const char* bad :
             {"bad-utf8", "bad-rank", "repeated-rank", "key-like", "plain-key-like", "long-line",
              "utf8-before-long", "no-break", "empty", "comments"}) {
            const std::string path = in(std::string(bad) + ".nbest");
            add(std::string("filter.") + bad, {"filter", "--data", data(), path}, kFilterJobs);
            add(std::string("segment.") + bad, {"segment", "--data", data(), path}, kSegmentJobs);
        }

        const std::vector<std::vector<std::string>> evalInputs = {
            {"nbest", kSample + "/nbest.txt", kSample + "/ref.txt"},
            {"hard", kSample + "/hard-nbest.txt", kSample + "/hard-ref.txt"},
            {"text", kSample + "/nbest-text.txt", kSample + "/ref.txt", "--text"},
            {"extra", in("extra.nbest"), in("extra-ref.txt"), "--skip-missing"},
        };
        const std::vector<std::vector<std::string>> evalOptions = {
            {},
            {"--accurate"},
            {"--compare"},
            {"--show-errors"},
            {"--exact"},
            {"--compare", "--show-errors", "--exact"}};
        for (const std::vector<std::string>& input : evalInputs) {
            for (const std::vector<std::string>& options : evalOptions) {
                std::vector<std::string> arguments = {"eval",   "--data", data(),  "--nbest",
                                                      input[1], "--ref",  input[2]};
                arguments.insert(arguments.end(), input.begin() + 3, input.end());
                arguments.insert(arguments.end(), options.begin(), options.end());
                std::string label = "eval." + input[0];
                for (const std::string& option : options)
                    label += "." + option.substr(2);
                add(label, arguments, kFilterJobs);
            }
        }
        add("eval.extra.missing",
            {"eval", "--data", data(), "--nbest", in("extra.nbest"), "--ref", in("extra-ref.txt")},
            kFilterJobs);

        const std::vector<std::pair<std::string, std::string>> segmentLists = {
            {"nbest-text", kSample + "/nbest-text.txt"},
            {"nbest", kSample + "/nbest.txt"},
            {"extra-text", in("extra-text.nbest")},
            {"extra-text-plain", in("extra-text-plain.nbest")},
            {"extra", in("extra.nbest")},
        };
        for (const auto& [name, path] : segmentLists) {
            add("segment." + name, {"segment", "--data", data(), path}, kSegmentJobs);
            if (vantir::tools::SimplifiedToTaiwan::Available()) {
                add("segment." + name + ".s2t", {"segment", "--data", data(), "--s2t", path},
                    kSegmentJobs);
            }
        }
        return all;
    }

    // The run's status and its output with the folders of this machine named
    // alike, so that the digests hold in any checkout.
    Recorded Run(const std::vector<std::string>& arguments) const {
        std::vector<const char*> argv = {"vantir"};
        for (const std::string& argument : arguments)
            argv.push_back(argument.c_str());
        std::ostringstream out;
        std::ostringstream err;
        Recorded r;
        r.status =
            vantir::tools::RunVantir(static_cast<int>(argv.size()), argv.data(), out, err, false);
        auto normal = [&](std::string text) {
            return ReplaceAll(ReplaceAll(std::move(text), dir.path().string(), "DIR"), kSourceDir,
                              "SRC");
        };
        const std::string shown = normal(out.str());
        r.outBytes = shown.size();
        r.out = Digest(shown);
        r.err = Digest(normal(err.str()));
        return r;
    }

    ScratchDir dir;
};

TEST_F(BatchOutput, EveryOptionAndJobCountPrintsTheRecordedBytes) {
    const std::vector<Combination> combinations = Combinations();
    if (const char* target = std::getenv(kWriteDigests)) {
        std::ofstream out(target);
        out << "# label status stdout-bytes stdout-fnv1a64 stderr-fnv1a64; written by\n"
               "# tests/tools/batch_output_test.cpp (see there to record them again)\n";
        for (const Combination& c : combinations)
            out << Line(c.label, Run(c.arguments)) << '\n';
        GTEST_SKIP() << "digests written to " << target;
    }
    const std::map<std::string, Recorded> digests = ReadDigests();
    ASSERT_FALSE(digests.empty()) << "no digests in " << kDigestFile;
    size_t compared = 0;
    for (const Combination& c : combinations) {
        const auto recorded = digests.find(c.label);
        if (recorded == digests.end()) {
            ADD_FAILURE() << c.label << " has no recorded digest";
            continue;
        }
        for (const std::vector<std::string>& jobs : c.jobs) {
            std::vector<std::string> arguments = c.arguments;
            arguments.insert(arguments.end(), jobs.begin(), jobs.end());
            const Recorded run = Run(arguments);
            std::string shown;
            for (const std::string& jobArgument : jobs)
                shown += " " + jobArgument;
            EXPECT_EQ(Line(c.label, run), Line(c.label, recorded->second))
                << "with" << (shown.empty() ? " no job option" : shown);
            ++compared;
        }
    }
    EXPECT_GT(compared, 300u);
}

}  // namespace batch_output_test
