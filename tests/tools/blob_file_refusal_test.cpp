// Blob files that are no regular files, or state more bytes than a blob may
// hold, are refused quickly by every loader, naming the file; and inspect's
// verdict on a folder is whether filter loads it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "tool_test_support.h"
#include "tools/compile/data_build.h"
#include "tools/compile/switch_record.h"
#include "tools/run/data_dir.h"
#include "vantir/vantir.hpp"

using namespace vantir::testing;
using vantir::tools::LoadDataDir;
using vantir::tools::ToolError;
namespace fs = std::filesystem;

namespace {

// Long enough for a loaded machine, far shorter than a hang.
constexpr auto kPatience = std::chrono::seconds(20);

std::string LoadError(const fs::path& directory) {
    try {
        LoadDataDir(directory);
    } catch (const ToolError& error) {
        return error.what();
    }
    return "(no error)";
}

// Runs `body` in a child process that must end with status 0 within kPatience.
// A load that blocks would otherwise hang the test program itself.
void EndsInTime(const std::function<bool()>& body, const std::string& what) {
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) _exit(body() ? EXIT_SUCCESS : EXIT_FAILURE);
    const auto start = std::chrono::steady_clock::now();
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() - start > kPatience) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            ADD_FAILURE() << what << ": still running after " << kPatience.count() << " s";
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == EXIT_SUCCESS) << what;
}

class BlobFileRefusal : public SmallDataTest {
  protected:
    fs::path Blob(const char* name) const { return dir / "out" / name; }
    // Whether filter and inspect take the folder, which must be the same answer.
    void ExpectInspectAgreesWithFilter(bool loads, const std::string& what) {
        WriteFile(dir / "u.txt", "u1-1 臺北市 大安區 忠孝東路 四段 七 號\n");
        const CliRun filtered = RunCli({"filter", "--data", out, (dir / "u.txt").string()});
        const CliRun inspected = RunCli({"inspect", out});
        EXPECT_EQ(filtered.status, loads ? kExitSuccess : kExitFailure) << what << filtered.err;
        EXPECT_EQ(inspected.status, filtered.status) << what << inspected.out << inspected.err;
        EXPECT_TRUE(
            Contains(inspected.out, loads ? "loads            yes\n" : "loads            no\n"))
            << what << inspected.out;
    }
};

}  // namespace

TEST_F(BlobFileRefusal, APipeADeviceOrADirectoryIsRefusedWithoutWaiting) {
    struct Case {
        const char* name;
        const char* kind;
        std::function<void(const fs::path&)> make;
    };
    const Case cases[] = {
        {vantir::kLexiconFileName, "is a pipe",
         [](const fs::path& p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); }},
        {vantir::kSoundsFileName, "is a pipe",
         [](const fs::path& p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); }},
        {vantir::kModelFileName, "is a character device",
         [](const fs::path& p) { fs::create_symlink("/dev/zero", p); }},
        {vantir::kSoundsFileName, "is a directory",
         [](const fs::path& p) { fs::create_directory(p); }},
        {vantir::kAddressDbFileName, "is a directory",
         [](const fs::path& p) {
             fs::create_directory(p.parent_path() / "elsewhere");
             fs::create_directory_symlink(p.parent_path() / "elsewhere", p);
         }},
    };
    const fs::path good = dir / "good";
    fs::copy(dir / "out", good);
    for (const Case& one : cases) {
        fs::remove_all(dir / "out");
        fs::copy(good, dir / "out");
        fs::remove(Blob(one.name));
        one.make(Blob(one.name));
        const std::string named = Blob(one.name).string() + ": " + one.kind;
        EndsInTime(
            [&] {
                const std::string error = LoadError(dir / "out");
                const vantir::Expected<vantir::BlobBuffer> blob =
                    vantir::LoadBlobFile(Blob(one.name));
                return Contains(error, named) && !blob &&
                       Contains(blob.error().message, named + ", not a regular file");
            },
            std::string("the tools' loader and LoadBlobFile on ") + named);
        if (std::string(one.name) != vantir::kSoundsFileName) {
            EndsInTime(
                [&] {
                    const auto set = vantir::LoadDataSet(dir / "out");
                    return !set && Contains(set.error().message, named);
                },
                "LoadDataSet on " + named);
        }
        EndsInTime(
            [&] {
                return RunCli({"inspect", out}).status == kExitFailure;
            },
            "inspect on " + named);
    }
}

// The header's size is believed only up to the limit, and bytes past it are
// never read: a file that goes on is refused, as is one that states too much.
TEST_F(BlobFileRefusal, AHeaderStatesTheBytesReadAndALimitBoundsThem) {
    const std::string model = ReadFile(Blob(vantir::kModelFileName));
    WriteFile(dir / "longer.lmb", model + "tail");
    const auto longer = vantir::LoadBlobFile(dir / "longer.lmb");
    ASSERT_FALSE(longer);
    EXPECT_TRUE(Contains(longer.error().message, "header gives " + std::to_string(model.size()) +
                                                     " bytes, file has " +
                                                     std::to_string(model.size() + 4)))
        << longer.error().message;

    std::string huge = model;
    huge.replace(VANTIR_BLOB_TOTAL_SIZE_OFFSET, 4, "\xff\xff\xff\xff", 4);
    WriteFile(dir / "huge.lmb", huge);
    const auto stated = vantir::LoadBlobFile(dir / "huge.lmb");
    ASSERT_FALSE(stated);
    EXPECT_TRUE(Contains(stated.error().message, "4294967295 bytes, more than the"))
        << stated.error().message;

    // Shorter than it states: read whole and refused by the checks, as before.
    WriteFile(dir / "short.lmb", model.substr(0, model.size() - 8));
    EXPECT_EQ(vantir::LoadModelFile(dir / "short.lmb").error().code, VANTIR_BAD_BLOB);
    EXPECT_TRUE(vantir::LoadModelFile(Blob(vantir::kModelFileName)));
}

// A load that fails while a switch record stands says a build was under way;
// without one, it does not.
TEST_F(BlobFileRefusal, AFailureDuringASwitchSaysABuildWasUnderWay) {
    fs::copy_file(Blob(vantir::kModelFileName), Blob(vantir::kLexiconFileName),
                  fs::copy_options::overwrite_existing);
    EXPECT_FALSE(Contains(LoadError(dir / "out"), "a build was switching")) << "no record";
    WriteFile(dir / "out" / vantir::tools::kSwitchRecordName, "vantir-switch 1\nnotes.txt\t\n");
    const std::string error = LoadError(dir / "out");
    EXPECT_TRUE(Contains(error, "not a lexicon blob")) << error;
    EXPECT_TRUE(Contains(error, "a build was switching the blobs of this folder")) << error;
    const auto set = vantir::LoadDataSet(dir / "out");
    ASSERT_FALSE(set);
    EXPECT_TRUE(Contains(set.error().message, "a build was switching")) << set.error().message;
}

TEST_F(BlobFileRefusal, InspectSaysOfAFolderWhatFilterDoes) {
    const fs::path good = dir / "good";
    fs::copy(dir / "out", good);
    ExpectInspectAgreesWithFilter(true, "a whole set");

    // A sounds blob of another build.
    WriteFile(dir / "readings.txt", "U+81FA\tkMandarin\ttái\n");
    WriteFile(dir / "src" / "vocabulary.tsv", ReadFile(dir / "src" / "vocabulary.tsv") + "你好\n");
    ASSERT_EQ(RunCli({"build", (dir / "src").string(), "-o", (dir / "other").string(), "--readings",
                      (dir / "readings.txt").string()})
                  .status,
              kExitSuccess);
    fs::copy_file(dir / "other" / vantir::kSoundsFileName, Blob(vantir::kSoundsFileName));
    ExpectInspectAgreesWithFilter(false, "a foreign sounds blob: ");
    EXPECT_TRUE(Contains(RunCli({"inspect", out}).out, "sounds.snd is of another build than"));

    // A lexicon under the sounds blob's name: its kind is what its tag says.
    fs::copy_file(Blob(vantir::kLexiconFileName), Blob(vantir::kSoundsFileName),
                  fs::copy_options::overwrite_existing);
    ExpectInspectAgreesWithFilter(false, "a lexicon as sounds.snd: ");
    EXPECT_TRUE(Contains(RunCli({"inspect", out}).out,
                         "sounds.snd must be a sounds blob; its tag makes it lexicon"));

    // Mid-switch: the new lexicon in place, the old one kept under the record.
    fs::remove(Blob(vantir::kSoundsFileName));
    fs::copy_file(Blob(vantir::kLexiconFileName), dir / "out" / ".lexicon.wpb.old-1");
    fs::copy_file(dir / "other" / vantir::kLexiconFileName, Blob(vantir::kLexiconFileName),
                  fs::copy_options::overwrite_existing);
    ExpectInspectAgreesWithFilter(false, "a mix without a record: ");
    WriteFile(dir / "out" / vantir::tools::kSwitchRecordName,
              "vantir-switch 1\nlexicon.wpb\t.lexicon.wpb.old-1\n");
    ExpectInspectAgreesWithFilter(true, "the old set under a record: ");
    EXPECT_TRUE(Contains(RunCli({"inspect", out}).out, "read as         lexicon.wpb"));
}
