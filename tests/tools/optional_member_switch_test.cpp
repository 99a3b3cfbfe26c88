// Sets with and without their optional sounds blob written over each other and
// ended at every step, or failing on a full disk: the folder loads as the old
// set or the new one, the sounds blob always the one of the set that loads.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <set>

#include "tool_test_support.h"
#include "tools/compile/data_build.h"
#include "tools/compile/diagnostics.h"
#include "tools/compile/file_output.h"
#include "tools/compile/switch_record.h"
#include "tools/run/data_dir.h"

using namespace vantir::testing;
using vantir::tools::FileError;
using vantir::tools::LoadDataDir;
using vantir::tools::LoadedData;
using vantir::tools::OutputFile;
using vantir::tools::OutputHooks;
using vantir::tools::WriteFilesAtomically;
namespace fs = std::filesystem;

namespace {

constexpr int kEnded = 77;  // the exit status of a writer ended at its step

constexpr const char* kReadings =
    "U+81FA\tkMandarin\ttái\nU+5317\tkMandarin\tběi\nU+5E02\tkMandarin\tshì\n"
    "U+5927\tkMandarin\tdà\nU+5B89\tkMandarin\tān\nU+5340\tkMandarin\tqū\n";

// A set as the build writes it: the blobs by name, the sounds blob among them
// or not.
using Set = std::map<std::string, std::string>;

std::string Text(const vantir::BlobBuffer& blob) {
    return std::string(reinterpret_cast<const char*>(blob.data()), blob.size());
}

Set LoadedSet(const LoadedData& data) {
    Set set = {{vantir::tools::kLexiconBlobName, Text(data.lexicon.blob)},
               {vantir::tools::kModelBlobName, Text(data.model.blob)},
               {vantir::tools::kAddressBlobName, Text(data.address)}};
    if (!data.sounds.empty()) set[vantir::tools::kSoundsBlobName] = Text(data.sounds);
    return set;
}

Set BuiltSet(const fs::path& directory) {
    Set set;
    for (const auto& entry : fs::directory_iterator(directory))
        set[entry.path().filename().string()] = ReadFile(entry.path());
    return set;
}

// The files a build writes for `set` into `directory`: absent optional members included.
std::vector<OutputFile> FilesOf(const fs::path& directory, const Set& set) {
    std::vector<OutputFile> files;
    for (const char* name : {vantir::tools::kLexiconBlobName, vantir::tools::kModelBlobName,
                             vantir::tools::kAddressBlobName})
        files.push_back({directory / name, set.at(name)});
    for (const vantir::tools::OptionalBlob& blob : vantir::tools::kOptionalBlobs) {
        const auto found = set.find(blob.name);
        files.push_back(found == set.end() ? vantir::tools::AbsentFile(directory / blob.name)
                                           : OutputFile{directory / blob.name, found->second});
    }
    return files;
}

// Writes in a child that ends itself right before its step `stopAt` (from 1),
// running no clean-up. True when the write finished first.
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
    EXPECT_TRUE(WIFEXITED(status) &&
                (WEXITSTATUS(status) == EXIT_SUCCESS || WEXITSTATUS(status) == kEnded))
        << "the write failed at step " << stopAt;
    return WIFEXITED(status) && WEXITSTATUS(status) == EXIT_SUCCESS;
}

class OptionalMemberSwitch : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteSmallSources(dir / "src");
        WriteFile(dir / "readings.txt", kReadings);
        const std::string src = (dir / "src").string();
        const std::string readings = (dir / "readings.txt").string();
        ASSERT_EQ(RunCli({"build", src, "-o", (dir / "a").string(), "--readings", readings}).status,
                  kExitSuccess);
        // Another vocabulary: every blob of the later sets differs from the first's.
        WriteFile(dir / "src" / "vocabulary.tsv",
                  ReadFile(dir / "src" / "vocabulary.tsv") + "你好\n");
        ASSERT_EQ(RunCli({"build", src, "-o", (dir / "b").string()}).status, kExitSuccess);
        ASSERT_EQ(RunCli({"build", src, "-o", (dir / "c").string(), "--readings", readings}).status,
                  kExitSuccess);
        withSounds = BuiltSet(dir / "a");
        without = BuiltSet(dir / "b");
        newWithSounds = BuiltSet(dir / "c");
        ASSERT_TRUE(withSounds.contains(vantir::tools::kSoundsBlobName));
        ASSERT_FALSE(without.contains(vantir::tools::kSoundsBlobName));
    }

    // Writes `to` over `from`, ended at every step; after each ending the folder
    // loads as one of the two, and a whole write of `then` leaves exactly `then`.
    void EndAtEveryStep(const Set& from, const Set& to, const Set& then) {
        const fs::path work = dir / "work";
        std::set<std::string> seen;
        for (int stopAt = 1;; ++stopAt) {
            fs::remove_all(work);
            fs::create_directories(work);
            WriteFilesAtomically(FilesOf(work, from));
            const bool finished = WriteEndedAt(FilesOf(work, to), stopAt);
            const Set loaded = LoadedSet(LoadDataDir(work));
            EXPECT_TRUE(loaded == from || loaded == to) << "a mix after ending at step " << stopAt;
            seen.insert(loaded == from ? "old" : "new");
            WriteFilesAtomically(FilesOf(work, then));
            EXPECT_EQ(LoadedSet(LoadDataDir(work)), then) << "step " << stopAt;
            EXPECT_EQ(BuiltSet(work), then) << "step " << stopAt << ": nothing else is left";
            if (finished) break;
        }
        EXPECT_EQ(seen, (std::set<std::string>{"old", "new"}));
    }

    ScratchDir dir;
    Set withSounds;
    Set without;
    Set newWithSounds;
};

}  // namespace

TEST_F(OptionalMemberSwitch, ASetLosingItsSoundsIsTheOldOrTheNewAtEveryStep) {
    EndAtEveryStep(withSounds, without, without);
    EndAtEveryStep(withSounds, without, newWithSounds);
}

TEST_F(OptionalMemberSwitch, ASetGainingSoundsIsTheOldOrTheNewAtEveryStep) {
    EndAtEveryStep(without, newWithSounds, without);
    EndAtEveryStep(without, newWithSounds, withSounds);
}

// The folder a kill loop once left unusable: a switch between two sets with
// sounds ended, then a build without them.
TEST_F(OptionalMemberSwitch, ABuildWithoutSoundsAfterAnEndedOneWithThemLoads) {
    EndAtEveryStep(withSounds, newWithSounds, without);
}

// A write that fails for want of room at any of its writes leaves the old set
// whole, sounds blob included, and no helper file behind.
TEST_F(OptionalMemberSwitch, AFullDiskKeepsTheOldSetWithItsSounds) {
    const fs::path work = dir / "work";
    for (const Set* to : {&without, &newWithSounds}) {
        int writes = 0;
        for (int failAt = 1;; ++failAt) {
            fs::remove_all(work);
            fs::create_directories(work);
            WriteFilesAtomically(FilesOf(work, withSounds));
            int seen = 0;
            OutputHooks hooks;
            hooks.beforeStep = [&](const std::string& step) {
                if (step.starts_with("write ") && ++seen == failAt) {
                    throw FileError(step + ": no room", ENOSPC, step);
                }
            };
            try {
                WriteFilesAtomically(FilesOf(work, *to), hooks);
                break;
            } catch (const FileError& error) {
                EXPECT_EQ(error.error(), ENOSPC);
            }
            ++writes;
            EXPECT_EQ(BuiltSet(work), withSounds) << "write " << failAt << " failed";
            EXPECT_EQ(LoadedSet(LoadDataDir(work)), withSounds);
        }
        EXPECT_GE(writes, 4) << "every blob and the record are written";
    }
}

// The command as a whole: a build without sounds that cannot write its model
// (the helper name it would write is taken) fails and keeps the old sounds.
TEST_F(OptionalMemberSwitch, AFailedBuildWithoutSoundsKeepsTheOldSounds) {
    const fs::path work = dir / "work";
    fs::copy(dir / "a", work);
    fs::create_directories(work / (".model.lmb.tmp-" + std::to_string(getpid())));
    const CliRun run = RunCli({"build", (dir / "src").string(), "-o", work.string()});
    EXPECT_EQ(run.status, kExitFailure);
    EXPECT_TRUE(Contains(run.err, "model.lmb")) << run.err;
    fs::remove_all(work / (".model.lmb.tmp-" + std::to_string(getpid())));
    EXPECT_EQ(BuiltSet(work), withSounds);
    EXPECT_EQ(LoadedSet(LoadDataDir(work)), withSounds);
}
