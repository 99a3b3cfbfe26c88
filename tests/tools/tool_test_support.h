// Helpers of the tooling tests: scratch directories, files, in-process runs of
// the command line, and a small complete source set.
#ifndef VANTIR_TESTS_TOOLS_TOOL_TEST_SUPPORT_H
#define VANTIR_TESTS_TOOLS_TOOL_TEST_SUPPORT_H

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "tools/cli/cli.h"
#include "tools/compile/text_source.h"

namespace vantir::testing {

// A fresh directory under the system's temporary directory, removed at the end.
class ScratchDir {
  public:
    ScratchDir() {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::temp_directory_path() /
                ("vantir-tools-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

// Exit codes of the command line, named where the tool names them; the
// numbers are what scripts rely on.
using tools::kExitFailure;
using tools::kExitSuccess;
using tools::kExitUsage;
static_assert(kExitSuccess == 0 && kExitFailure == 1 && kExitUsage == 2);

// The made-up harbour data set's sources.
inline const std::filesystem::path kHarbourData =
    std::filesystem::path(VANTIR_TEST_DATA_DIR) / "harbour";

inline bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

inline void WriteFile(const std::filesystem::path& path, const std::string& content) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << content;
}

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

inline std::vector<tools::SourceLine> Lines(const std::string& text) {
    return tools::SplitSourceText(text, "test.txt");
}

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

inline CliRun RunCli(std::initializer_list<std::string> arguments) {
    std::vector<std::string> owned = {"vantir"};
    owned.insert(owned.end(), arguments.begin(), arguments.end());
    std::vector<const char*> argv;
    for (const std::string& argument : owned)
        argv.push_back(argument.c_str());
    std::ostringstream out;
    std::ostringstream err;
    const int status =
        tools::RunVantir(static_cast<int>(argv.size()), argv.data(), out, err, false);
    return {status, out.str(), err.str()};
}

// The built `vantir` executable, or null when the tools are not built.
#ifdef VANTIR_CLI_BINARY
inline const char* const kCliBinary = VANTIR_CLI_BINARY;
#else
inline const char* const kCliBinary = nullptr;
#endif

// The emulator and its arguments that start a cross-built binary ('|'-separated
// in VANTIR_CLI_LAUNCHER), empty in a native build.
inline std::vector<std::string> CliLauncher() {
    std::vector<std::string> words;
#ifdef VANTIR_CLI_LAUNCHER
    std::string_view rest = VANTIR_CLI_LAUNCHER;
    while (!rest.empty()) {
        const size_t bar = rest.find('|');
        words.emplace_back(rest.substr(0, bar));
        rest = bar == std::string_view::npos ? std::string_view() : rest.substr(bar + 1);
    }
#endif
    return words;
}

// What the binary's standard input is.
enum class StandardInput { kEmpty, kClosed };

// Runs the real binary as its own process, standard input empty (or closed, or
// the file `inputPath`). Standard output goes to `outputPath` when given (e.g.
// /dev/full), else it is captured; status is the exit status, or 128 + the
// signal that ended the process.
inline CliRun RunBinary(const std::vector<std::string>& arguments,
                        const std::filesystem::path& outputPath = {},
                        StandardInput input = StandardInput::kEmpty,
                        const std::filesystem::path& inputPath = {}) {
    if (kCliBinary == nullptr) return {-1, "", "the vantir binary is not built"};
    ScratchDir capture;
    const std::string outPath =
        outputPath.empty() ? (capture / "out").string() : outputPath.string();
    const std::string errPath = (capture / "err").string();
    std::vector<std::string> owned = CliLauncher();
    owned.push_back(kCliBinary);
    owned.insert(owned.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : owned)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (input == StandardInput::kClosed) {
        posix_spawn_file_actions_addclose(&actions, 0);
    } else {
        posix_spawn_file_actions_addopen(
            &actions, 0, inputPath.empty() ? "/dev/null" : inputPath.c_str(), O_RDONLY, 0);
    }
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    pid_t child = 0;
    const int spawned =
        posix_spawn(&child, owned[0].c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return {-1, "", "cannot start " + std::string(kCliBinary)};
    int wait = 0;
    waitpid(child, &wait, 0);
    const int status = WIFEXITED(wait) ? WEXITSTATUS(wait) : 128 + WTERMSIG(wait);
    return {status, outputPath.empty() ? ReadFile(outPath) : "", ReadFile(errPath)};
}

// A small but complete data set: two counties, three districts (one name in
// both counties), two roads, numerals and keys, a landmark and a filler word.
inline void WriteSmallSources(const std::filesystem::path& dir) {
    WriteFile(dir / "vocabulary.tsv",
              "# word\ttags\n"
              "臺北市\tupper-head\n"
              "新北市\t33\n"
              "大安區\tupper-follower lower-head\n"
              "中正區\t34,8\n"
              "板橋區\tupper-follower lower-head\n"
              "忠孝東路\tcompletion-trigger\n"
              "文化路\tcompletion-trigger\n"
              "四段\tbare-first-key\n"
              "一段\tbare-first-key\n"
              "一百\tfirst-prefix\n"
              "二十三\tsecond-prefix\n"
              "五\tsecond-prefix\n"
              "七\tsecond-prefix\n"
              "巷\tsecond-key\n"
              "弄\tthird-lead\n"
              "號\tthird-key\n"
              "故宮博物院\tfallback\n"
              "我\n");
    WriteFile(dir / "regions.tsv",
              "# upper\tlower\tpostcode\n"
              "臺北市\t大安區\t106\n"
              "臺北市\t中正區\t100\n"
              "新北市\t板橋區\t220\n");
    WriteFile(dir / "corpus.txt",
              "臺北市 大安區 忠孝東路 四段 一百 二十三 巷 五 弄 七 號\n"
              "臺北市 中正區 忠孝東路 一段 七 號\n"
              "臺北市 忠孝東路 四段 五 號\n"
              "新北市 板橋區 文化路 一段 二十三 號\n"
              "新北市 文化路 一段 七 號\n"
              "故宮博物院\n");
}

// Tests over the small source set, built into `out` before each test.
class SmallDataTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteSmallSources(dir / "src");
        const CliRun run = RunCli({"build", (dir / "src").string(), "-o", (dir / "out").string()});
        ASSERT_EQ(run.status, kExitSuccess) << run.err;
        out = (dir / "out").string();
    }

    ScratchDir dir;
    std::string out;
};

}  // namespace vantir::testing

#endif  // VANTIR_TESTS_TOOLS_TOOL_TEST_SUPPORT_H
