// One set identity in the blobs of one build: a blob of another build is refused
// by the tools, the C++ loader and inspect, even with as many words; blobs from
// before identities still load.
#include <gtest/gtest.h>

#include "tool_test_support.h"
#include "tools/compile/data_build.h"
#include "tools/run/data_dir.h"
#include "vantir/vantir.hpp"

using namespace vantir::testing;
using vantir::tools::LoadDataDir;
using vantir::tools::ToolError;
namespace fs = std::filesystem;

namespace {

const char* const kBlobNames[] = {vantir::kLexiconFileName, vantir::kModelFileName,
                                  vantir::kAddressDbFileName};

uint32_t IdentityOf(const fs::path& blob) {
    const std::string bytes = ReadFile(blob);
    return vantir::BlobSetIdentity(vantir::BlobBuffer::CopyOf(bytes.data(), bytes.size()));
}

// Blobs as a writer without identities leaves them: the user field 0.
void ClearIdentity(const fs::path& blob) {
    std::string bytes = ReadFile(blob);
    bytes.replace(VANTIR_BLOB_USER_VALUE_OFFSET, 4, 4, '\0');
    WriteFile(blob, bytes);
}

std::string LoadError(const fs::path& directory) {
    try {
        LoadDataDir(directory);
    } catch (const ToolError& error) {
        return error.what();
    }
    return "(no error)";
}

class SetIdentity : public SmallDataTest {
  protected:
    void SetUp() override {
        SmallDataTest::SetUp();
        // The same sources built with another option: as many words, another set.
        const CliRun other = RunCli({"build", (dir / "src").string(), "-o",
                                     (dir / "other").string(), "--added-capacity", "4"});
        ASSERT_EQ(other.status, kExitSuccess) << other.err;
    }

    // `out` with one blob taken from `other`.
    void SwapIn(const char* name) {
        fs::copy_file(dir / "other" / name, dir / "out" / name,
                      fs::copy_options::overwrite_existing);
    }
};

}  // namespace

TEST_F(SetIdentity, TheBlobsOfOneBuildShareOneIdentityThatTheSourcesDecide) {
    const uint32_t identity = IdentityOf(dir / "out" / kBlobNames[0]);
    EXPECT_NE(identity, 0u);
    for (const char* name : kBlobNames) {
        EXPECT_EQ(IdentityOf(dir / "out" / name), identity) << name;
        EXPECT_NE(IdentityOf(dir / "other" / name), identity) << name;
    }
    ASSERT_EQ(RunCli({"build", (dir / "src").string(), "-o", (dir / "again").string()}).status,
              kExitSuccess);
    for (const char* name : kBlobNames)
        EXPECT_EQ(ReadFile(dir / "again" / name), ReadFile(dir / "out" / name)) << name;
}

// Each blob in turn swapped in from the other build: the word counts agree,
// the loaders name the blob that does not belong.
TEST_F(SetIdentity, ABlobOfAnotherBuildIsRefusedByName) {
    const std::string good = (dir / "good").string();
    fs::copy(dir / "out", good);
    for (const char* name : kBlobNames) {
        fs::remove_all(dir / "out");
        fs::copy(good, dir / "out");
        SwapIn(name);
        const std::string error = LoadError(dir / "out");
        EXPECT_TRUE(Contains(error, std::string(name) + " is of another build than ")) << error;
        const vantir::Expected<vantir::DataSet> set = vantir::LoadDataSet(dir / "out");
        ASSERT_FALSE(set) << name;
        EXPECT_TRUE(Contains(set.error().message, std::string(name) + " is of another build than"))
            << set.error().message;
        WriteFile(dir / "u.txt", "u1-1 臺北市 大安區 忠孝東路 四段 七 號\n");
        const CliRun filtered = RunCli({"filter", "--data", out, (dir / "u.txt").string()});
        EXPECT_EQ(filtered.status, kExitFailure) << name << ": " << filtered.out;
        const CliRun inspected = RunCli({"inspect", out});
        EXPECT_EQ(inspected.status, kExitFailure) << name;
        EXPECT_TRUE(Contains(
            inspected.out, "set identity     " + std::string(name) + " is of another build than "))
            << inspected.out;
    }
    const CliRun whole = RunCli({"inspect", good});
    EXPECT_EQ(whole.status, kExitSuccess) << whole.out;
    EXPECT_TRUE(Contains(whole.out, ": lexicon, model and address database are of one build"))
        << whole.out;
    EXPECT_TRUE(vantir::LoadDataSet(good).has_value());
}

// Blobs written before identities, or by a host's own writer, carry 0: they
// load, checked by their word counts, alone or beside blobs with identities.
TEST_F(SetIdentity, BlobsWithoutIdentitiesAreCheckedByTheirCountsAlone) {
    for (const char* name : kBlobNames)
        ClearIdentity(dir / "out" / name);
    EXPECT_EQ(LoadError(dir / "out"), "(no error)");
    EXPECT_TRUE(vantir::LoadDataSet(dir / "out").has_value());
    const CliRun inspected = RunCli({"inspect", out});
    EXPECT_EQ(inspected.status, kExitSuccess);
    EXPECT_TRUE(Contains(inspected.out, "set identity     none (blobs from before set identities"))
        << inspected.out;

    SwapIn(vantir::kAddressDbFileName);
    SwapIn(vantir::kModelFileName);
    EXPECT_EQ(LoadError(dir / "out"), "(no error)") << "a lexicon without identity is not compared";
    WriteSmallSources(dir / "more");
    WriteFile(dir / "more" / "vocabulary.tsv",
              ReadFile(dir / "more" / "vocabulary.tsv") + "你好\n");
    ASSERT_EQ(RunCli({"build", (dir / "more").string(), "-o", (dir / "bigger").string()}).status,
              kExitSuccess);
    fs::copy_file(dir / "bigger" / vantir::kLexiconFileName, dir / "out" / vantir::kLexiconFileName,
                  fs::copy_options::overwrite_existing);
    ClearIdentity(dir / "out" / vantir::kLexiconFileName);
    EXPECT_TRUE(Contains(LoadError(dir / "out"), "numbers 18 words, the lexicon 19"))
        << LoadError(dir / "out");
}

TEST(SetMismatch, NamesEveryBlobOutsideTheSetMostOfThemShare) {
    using vantir::SetMismatch;
    EXPECT_EQ(SetMismatch({{"a", 7}, {"b", 7}, {"c", 7}}), "");
    EXPECT_EQ(SetMismatch({{"a", 0}, {"b", 0}, {"c", 0}}), "");
    EXPECT_EQ(SetMismatch({{"a", 0}, {"b", 0x1A}, {"c", 0x1A}}), "") << "0 is not compared";
    EXPECT_EQ(SetMismatch({{"a", 7}, {"b", 9}, {"c", 7}}),
              "b is of another build than a and c (set 00000009, not 00000007); build the set "
              "again with 'vantir build'");
    // No majority: the first blob with an identity stands for the set.
    EXPECT_EQ(SetMismatch({{"a", 1}, {"b", 2}, {"c", 3}}),
              "b is of another build than a (set 00000002, not 00000001); c is of another "
              "build than a (set 00000003, not 00000001); build the set again with 'vantir "
              "build'");
    EXPECT_EQ(SetMismatch({{"a", 0}, {"b", 5}, {"c", 6}}),
              "c is of another build than b (set 00000006, not 00000005); build the set again "
              "with 'vantir build'");
}
