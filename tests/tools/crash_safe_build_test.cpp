// Writes of a blob set ended at every step, as a kill would end them: the folder
// loads as the old set or the new one, never a mix, and the next write cleans up.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <set>

#include "tool_test_support.h"
#include "tools/compile/data_build.h"
#include "tools/compile/file_output.h"
#include "tools/compile/switch_record.h"
#include "tools/run/data_dir.h"

using namespace vantir::testing;
using vantir::tools::LoadDataDir;
using vantir::tools::LoadedData;
using vantir::tools::OutputFile;
using vantir::tools::OutputHooks;
using vantir::tools::ToolError;
using vantir::tools::WriteFilesAtomically;
namespace fs = std::filesystem;

namespace {

// The exit status of a writer ended at its chosen step.
constexpr int kEnded = 77;
const char* const kBlobNames[] = {vantir::tools::kLexiconBlobName, vantir::tools::kModelBlobName,
                                  vantir::tools::kAddressBlobName};

using SetBytes = std::vector<std::string>;  // the blobs, in kBlobNames order

SetBytes ReadSet(const fs::path& directory) {
    SetBytes set;
    for (const char* name : kBlobNames)
        set.push_back(ReadFile(directory / name));
    return set;
}

std::string Text(const vantir::BlobBuffer& blob) {
    return std::string(reinterpret_cast<const char*>(blob.data()), blob.size());
}

SetBytes LoadedSet(const LoadedData& data) {
    return {Text(data.lexicon.blob), Text(data.model.blob), Text(data.address)};
}

std::vector<OutputFile> FilesOf(const fs::path& directory, const SetBytes& set) {
    std::vector<OutputFile> files;
    for (size_t k = 0; k < set.size(); ++k)
        files.push_back({directory / kBlobNames[k], set[k]});
    return files;
}

// Writes in a child process that ends itself with _exit, running no clean-up,
// right before its step `stopAt` (from 1). True when the write ended first.
bool WriteEndedAt(const std::vector<OutputFile>& files, int stopAt) {
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        int steps = 0;
        OutputHooks hooks;
        hooks.beforeStep = [&](const std::string&) {
            if (++steps == stopAt) _exit(kEnded);
        };
        try {
            WriteFilesAtomically(files, hooks);
        } catch (...) {
            _exit(EXIT_FAILURE);
        }
        _exit(EXIT_SUCCESS);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    const int code = WEXITSTATUS(status);
    EXPECT_TRUE(code == EXIT_SUCCESS || code == kEnded) << "the write failed at step " << stopAt;
    return code == EXIT_SUCCESS;
}

std::set<std::string> EntriesOf(const fs::path& directory) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory))
        names.insert(entry.path().filename().string());
    return names;
}

class CrashSafeBuild : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteSmallSources(dir / "src");
        ASSERT_EQ(RunCli({"build", (dir / "src").string(), "-o", (dir / "old").string()}).status,
                  kExitSuccess);
        // Another vocabulary: every blob of the new set differs from the old one's.
        WriteFile(dir / "src" / "vocabulary.tsv",
                  ReadFile(dir / "src" / "vocabulary.tsv") + "你好\n");
        ASSERT_EQ(RunCli({"build", (dir / "src").string(), "-o", (dir / "new").string()}).status,
                  kExitSuccess);
        oldSet = ReadSet(dir / "old");
        newSet = ReadSet(dir / "new");
        for (size_t k = 0; k < oldSet.size(); ++k)
            ASSERT_NE(oldSet[k], newSet[k]) << kBlobNames[k];
    }

    ScratchDir dir;
    SetBytes oldSet;
    SetBytes newSet;
};

}  // namespace

TEST_F(CrashSafeBuild, EndedAtAnyStepTheFolderLoadsAsTheOldSetOrTheNew) {
    const fs::path work = dir / "work";
    const std::set<std::string> blobs(std::begin(kBlobNames), std::end(kBlobNames));
    std::set<std::string> seen;
    int stopAt = 1;
    for (;; ++stopAt) {
        fs::remove_all(work);
        fs::copy(dir / "old", work);
        if (WriteEndedAt(FilesOf(work, newSet), stopAt)) break;
        const SetBytes loaded = LoadedSet(LoadDataDir(work));
        const bool isOld = loaded == oldSet;
        EXPECT_TRUE(isOld || loaded == newSet) << "a mix after ending at step " << stopAt;
        seen.insert(isOld ? "old" : "new");
        // The next write puts the interrupted switch right and leaves nothing behind.
        WriteFilesAtomically(FilesOf(work, newSet));
        EXPECT_EQ(LoadedSet(LoadDataDir(work)), newSet) << "step " << stopAt;
        EXPECT_EQ(EntriesOf(work), blobs) << "step " << stopAt;
    }
    EXPECT_GT(stopAt, 10) << "every write, link, rename and removal is a step";
    EXPECT_EQ(seen, (std::set<std::string>{"old", "new"}));
    EXPECT_EQ(LoadedSet(LoadDataDir(work)), newSet);
    EXPECT_EQ(EntriesOf(work), blobs);
}

// A folder that a killed write left half switched, written into by a write
// that is itself ended at every step: still the old set or the new.
TEST_F(CrashSafeBuild, PuttingRightAnInterruptedSwitchIsSafeToEndToo) {
    const fs::path state = dir / "state";
    for (int stopAt = 1;; ++stopAt) {
        fs::remove_all(state);
        fs::copy(dir / "old", state);
        ASSERT_FALSE(WriteEndedAt(FilesOf(state, newSet), stopAt)) << "no half-switched step";
        if (fs::exists(state / vantir::tools::kSwitchRecordName) &&
            ReadFile(state / kBlobNames[0]) == newSet[0]) {
            break;  // the new lexicon is in place, the rest old
        }
    }
    const fs::path work = dir / "work";
    for (int stopAt = 1;; ++stopAt) {
        fs::remove_all(work);
        fs::copy(state, work);
        const bool finished = WriteEndedAt(FilesOf(work, newSet), stopAt);
        const SetBytes loaded = LoadedSet(LoadDataDir(work));
        EXPECT_TRUE(loaded == oldSet || loaded == newSet)
            << "a mix after ending at step " << stopAt;
        if (finished) break;
    }
}

// Into a folder without a set: ended early there is nothing to load, and the
// folder says so instead of loading what was renamed so far.
TEST_F(CrashSafeBuild, AFirstBuildEndedEarlyLoadsNothingRatherThanAPart) {
    const fs::path work = dir / "first";
    for (int stopAt = 1;; ++stopAt) {
        fs::remove_all(work);
        if (WriteEndedAt(FilesOf(work, newSet), stopAt)) break;
        try {
            EXPECT_EQ(LoadedSet(LoadDataDir(work)), newSet) << "step " << stopAt;
        } catch (const ToolError& error) {
            const bool named = Contains(error.what(), "cannot open") ||
                               Contains(error.what(), "a build was interrupted");
            EXPECT_TRUE(named) << "step " << stopAt << ": " << error.what();
        }
        WriteFilesAtomically(FilesOf(work, newSet));
        EXPECT_EQ(LoadedSet(LoadDataDir(work)), newSet);
    }
}

// Helper files of a writer that no longer runs are removed by the next write;
// those of a running one are left alone.
TEST_F(CrashSafeBuild, HelpersOfWritersThatAreGoneAreRemoved) {
    const fs::path work = dir / "work";
    fs::copy(dir / "old", work);
    std::fflush(nullptr);
    const pid_t gone = fork();
    if (gone == 0) _exit(EXIT_SUCCESS);
    waitpid(gone, nullptr, 0);
    const std::string dead = std::to_string(gone);
    const std::string alive = std::to_string(getppid());
    WriteFile(work / (".lexicon.wpb.tmp-" + dead), "cut short");
    WriteFile(work / (".model.lmb.old-" + dead), "kept");
    WriteFile(work / (std::string(vantir::tools::kSwitchRecordName) + ".tmp-" + dead), "vantir");
    WriteFile(work / (".address.addr.tmp-" + alive), "someone else's");
    WriteFile(work / ".notes", "not ours");
    WriteFilesAtomically(FilesOf(work, newSet));
    EXPECT_EQ(EntriesOf(work), (std::set<std::string>{"lexicon.wpb", "model.lmb", "address.addr",
                                                      ".address.addr.tmp-" + alive, ".notes"}));
}
