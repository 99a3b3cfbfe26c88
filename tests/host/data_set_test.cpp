// Opening data sets through the host calls: a built folder, the blobs in memory
// at any alignment, and the refusals: missing, mixed, damaged, not regular files.
#include "host/data_set.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <future>
#include <string>
#include <vector>

#include "support/sample_blobs.h"
#include "tests/host/host_fixture.h"
#include "tools/compile/unihan_readings.h"

namespace vantir::testing {
namespace {

// The codes of a set that cannot be opened, and the blob it names.
struct Refusal {
    int32_t code;
    HostBlob blob;
};

Refusal RefusalOf(const std::filesystem::path& folder) {
    SetReport report;
    VantirDataSet* set = OpenFolderDataSet(folder.c_str(), &report);
    Vantir_CloseDataSet(set);
    int32_t code = 1;
    EXPECT_EQ(Vantir_OpenDataSet(folder.c_str(), &code), nullptr);
    EXPECT_EQ(code, SetProblemCode(report.problem));
    return Refusal{code, report.blob};
}

std::vector<std::string> FilterHarbour(const VantirDataSet* set, uint32_t options = 0) {
    int32_t code = 1;
    FilterSession* session = Vantir_OpenSession(set, options, &code);
    EXPECT_EQ(code, 0);
    if (session == nullptr) return {};
    for (const char* words : kHarbourWords)
        EXPECT_EQ(Vantir_AddRecogWordsUtf8(session, words, -1), 0);
    std::vector<std::string> texts = ResultsUtf8(session);
    Vantir_Release(session);
    return texts;
}

class HostDataSet : public ::testing::Test {
  protected:
    void SetUp() override { WriteHarbourFolder(scratch_.path()); }
    std::filesystem::path Blob(const char* name) const { return scratch_.path() / name; }

    HostScratch scratch_;
};

TEST_F(HostDataSet, ABuiltFolderOpensAndFilters) {
    int32_t code = 1;
    VantirDataSet* set = Vantir_OpenDataSet(scratch_.path().c_str(), &code);
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(FilterHarbour(set), kHarbourResults);
    // The error pointer is optional.
    Vantir_CloseDataSet(Vantir_OpenDataSet(scratch_.path().c_str(), nullptr));
    Vantir_CloseDataSet(set);
    Vantir_CloseDataSet(nullptr);
}

TEST_F(HostDataSet, MissingAndDamagedBlobsAreRefusedByName) {
    std::filesystem::remove(Blob("address.addr"));
    Refusal refused = RefusalOf(scratch_.path());
    EXPECT_EQ(refused.code, VANTIR_NOT_FOUND);
    EXPECT_EQ(refused.blob, kHostAddress);

    // The lexicon's bytes under the model's name: a blob of another kind.
    WriteBytes(Blob("address.addr"), HarbourBlobs().address);
    WriteBytes(Blob("model.lmb"), HarbourBlobs().lexicon);
    refused = RefusalOf(scratch_.path());
    EXPECT_EQ(refused.code, VANTIR_BAD_BLOB);
    EXPECT_EQ(refused.blob, kHostModel);

    // Cut short: the header is right, the arrays run past the bytes.
    std::vector<uint8_t> cut = HarbourBlobs().model;
    cut.resize(cut.size() / 2);
    WriteBytes(Blob("model.lmb"), cut);
    EXPECT_EQ(RefusalOf(scratch_.path()).code, VANTIR_BAD_BLOB);
    WriteBytes(Blob("model.lmb"), {});
    EXPECT_EQ(RefusalOf(scratch_.path()).code, VANTIR_BAD_BLOB);
    // Bytes past the size its header states: no blob ends there.
    std::vector<uint8_t> longer = HarbourBlobs().model;
    longer.resize(longer.size() + 4, 0);
    WriteBytes(Blob("model.lmb"), longer);
    refused = RefusalOf(scratch_.path());
    EXPECT_EQ(refused.code, VANTIR_BAD_BLOB);
    EXPECT_EQ(refused.blob, kHostModel);
}

TEST_F(HostDataSet, BlobsOfTwoBuildsAreNoSet) {
    // Another build stamps another set identity into the user field.
    std::vector<uint8_t> other = HarbourBlobs().model;
    other[VANTIR_BLOB_USER_VALUE_OFFSET] ^= 0x5A;
    WriteBytes(Blob("model.lmb"), other);
    Refusal refused = RefusalOf(scratch_.path());
    EXPECT_EQ(refused.code, VANTIR_BAD_BLOB);
    EXPECT_EQ(refused.blob, kHostModel);

    // Blobs without an identity are told apart by the words they number: the
    // small world's lexicon beside the harbour model.
    WriteBytes(Blob("model.lmb"), HarbourBlobs().model);
    WriteBytes(Blob("lexicon.wpb"), MakeWorldBlobs(0).lexicon);
    refused = RefusalOf(scratch_.path());
    EXPECT_EQ(refused.code, VANTIR_BAD_BLOB);
    EXPECT_EQ(refused.blob, kHostModel);
}

TEST_F(HostDataSet, ABuildsSwitchRecordOnlyBringsASecondLoad) {
    // A record left by a stopped build: a whole set still opens, a mixed one
    // is still refused after the second load.
    WriteBytes(Blob(VANTIR_SWITCH_RECORD_NAME), {'x'});
    int32_t code = 1;
    VantirDataSet* set = Vantir_OpenDataSet(scratch_.path().c_str(), &code);
    EXPECT_NE(set, nullptr);
    EXPECT_EQ(code, 0);
    Vantir_CloseDataSet(set);
    std::vector<uint8_t> other = HarbourBlobs().model;
    other[VANTIR_BLOB_USER_VALUE_OFFSET] ^= 0x5A;
    WriteBytes(Blob("model.lmb"), other);
    EXPECT_EQ(RefusalOf(scratch_.path()).code, VANTIR_BAD_BLOB);
}

TEST_F(HostDataSet, OnlyRegularFilesAreReadAndNothingWaits) {
    // A FIFO that no one writes to would block a plain open; it must be
    // refused at once. Should it block anyway, a writer releases the reader.
    std::filesystem::remove(Blob("lexicon.wpb"));
    ASSERT_EQ(mkfifo(Blob("lexicon.wpb").c_str(), 0600), 0);
    auto opened = std::async(std::launch::async, [&] { return RefusalOf(scratch_.path()); });
    if (opened.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        ADD_FAILURE() << "opening a folder with a FIFO blocked";
        const int writer = open(Blob("lexicon.wpb").c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0) close(writer);
    }
    Refusal refused = opened.get();
    EXPECT_EQ(refused.code, VANTIR_NOT_FOUND);
    EXPECT_EQ(refused.blob, kHostLexicon);

    // A directory and a device under blob names; an optional blob that is
    // there but no file is refused too, not skipped.
    std::filesystem::remove(Blob("lexicon.wpb"));
    std::filesystem::create_directory(Blob("lexicon.wpb"));
    EXPECT_EQ(RefusalOf(scratch_.path()).code, VANTIR_NOT_FOUND);
    std::filesystem::remove(Blob("lexicon.wpb"));
    WriteBytes(Blob("lexicon.wpb"), HarbourBlobs().lexicon);
    std::filesystem::remove(Blob("model.lmb"));
    std::filesystem::create_symlink("/dev/zero", Blob("model.lmb"));
    refused = RefusalOf(scratch_.path());
    EXPECT_EQ(refused.code, VANTIR_NOT_FOUND);
    EXPECT_EQ(refused.blob, kHostModel);
    std::filesystem::remove(Blob("model.lmb"));
    WriteBytes(Blob("model.lmb"), HarbourBlobs().model);
    std::filesystem::create_directory(Blob("sounds.snd"));
    refused = RefusalOf(scratch_.path());
    EXPECT_EQ(refused.code, VANTIR_NOT_FOUND);
    EXPECT_EQ(refused.blob, kHostSounds);
}

TEST_F(HostDataSet, BlobsInMemoryAreCopiedFromAnyAlignment) {
    const tools::BuiltData& built = HarbourBlobs();
    // Each blob one byte past an aligned start, so its 32-bit fields are odd.
    std::vector<std::vector<uint8_t>> held;
    auto odd = [&](const std::vector<uint8_t>& blob) {
        held.emplace_back(blob.size() + 1);
        std::memcpy(held.back().data() + 1, blob.data(), blob.size());
        return static_cast<const void*>(held.back().data() + 1);
    };
    held.reserve(3);
    const void* lexicon = odd(built.lexicon);
    const void* model = odd(built.model);
    const void* address = odd(built.address);
    auto size = [](const std::vector<uint8_t>& blob) { return static_cast<int32_t>(blob.size()); };
    int32_t code = 1;
    VantirDataSet* set =
        Vantir_OpenDataSetFromMemory(lexicon, size(built.lexicon), model, size(built.model),
                                     address, size(built.address), nullptr, 0, nullptr, 0, &code);
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(code, 0);
    // The caller's bytes are not needed once the set is open.
    for (std::vector<uint8_t>& blob : held)
        std::fill(blob.begin(), blob.end(), 0xEE);
    EXPECT_EQ(FilterHarbour(set), kHarbourResults);
    Vantir_CloseDataSet(set);
}

TEST(HostCallArguments, NullAndEmptyArgumentsGiveTheirCodes) {
    int32_t code = 1;
    EXPECT_EQ(Vantir_OpenDataSet(nullptr, &code), nullptr);
    EXPECT_EQ(code, VANTIR_INVALID_ARGUMENT);
    EXPECT_EQ(Vantir_OpenDataSet("", &code), nullptr);
    EXPECT_EQ(code, VANTIR_INVALID_ARGUMENT);
    EXPECT_EQ(Vantir_OpenDataSet("/nonexistent/vantir-host", &code), nullptr);
    EXPECT_EQ(code, VANTIR_NOT_FOUND);

    const tools::BuiltData& built = HarbourBlobs();
    const auto lexiconSize = static_cast<int32_t>(built.lexicon.size());
    const auto modelSize = static_cast<int32_t>(built.model.size());
    EXPECT_EQ(Vantir_OpenDataSetFromMemory(built.lexicon.data(), lexiconSize, built.model.data(),
                                           modelSize, nullptr, 0, nullptr, 0, nullptr, 0, &code),
              nullptr);
    EXPECT_EQ(code, VANTIR_NOT_FOUND);
    EXPECT_EQ(Vantir_OpenDataSetFromMemory(built.lexicon.data(), -1, built.model.data(), modelSize,
                                           built.address.data(), 8, nullptr, 0, nullptr, 0, &code),
              nullptr);
    EXPECT_EQ(code, VANTIR_INVALID_ARGUMENT);
    EXPECT_EQ(Vantir_OpenDataSetFromMemory(built.lexicon.data(), lexiconSize, built.model.data(),
                                           modelSize, built.address.data(), 8, nullptr, 4, nullptr,
                                           0, &code),
              nullptr);
    EXPECT_EQ(code, VANTIR_INVALID_ARGUMENT);

    EXPECT_EQ(Vantir_OpenSession(nullptr, 0, &code), nullptr);
    EXPECT_EQ(code, VANTIR_NULL_OBJECT);
    EXPECT_EQ(Vantir_AddRecogTextUtf8(nullptr, "x", -1), VANTIR_NULL_OBJECT);
    EXPECT_EQ(Vantir_AddRecogWordsUtf8(nullptr, "x", -1), VANTIR_NULL_OBJECT);
    EXPECT_EQ(Vantir_GetResultCount(nullptr), VANTIR_NULL_OBJECT);
    char buffer[4];
    EXPECT_EQ(Vantir_GetResultUtf8(nullptr, 0, buffer, 4), VANTIR_NULL_OBJECT);
}

TEST(HostSounds, TheSetsSoundsAreAttachedToItsSessions) {
    if (!std::filesystem::exists(tools::kUnihanReadingsPath)) {
        GTEST_SKIP() << "unicode-data is not installed";
    }
    tools::BuildInputs inputs;
    inputs.readings = tools::kUnihanReadingsPath;
    tools::Diagnostics diagnostics;
    tools::Progress progress;
    const tools::BuiltData built = tools::BuildData(
        tools::ResolveBuildInputs(std::filesystem::path(VANTIR_TEST_DATA_DIR) / "harbour", inputs),
        tools::ModelOptions{}, diagnostics, progress);
    ASSERT_FALSE(built.sounds.empty());
    HostScratch scratch;
    WriteBytes(scratch.path() / "lexicon.wpb", built.lexicon);
    WriteBytes(scratch.path() / "model.lmb", built.model);
    WriteBytes(scratch.path() / "address.addr", built.address);
    WriteBytes(scratch.path() / "sounds.snd", built.sounds);
    int32_t code = 1;
    VantirDataSet* set = Vantir_OpenDataSet(scratch.path().c_str(), &code);
    ASSERT_NE(set, nullptr) << code;
    // 光名路 is 光明路 misheard: read by sound only with the option.
    auto filtered = [&](uint32_t options) {
        FilterSession* session = Vantir_OpenSession(set, options, &code);
        EXPECT_EQ(Vantir_AddRecogTextUtf8(session, "雲港市光名路二段十二號", -1), 0);
        std::vector<std::string> texts = ResultsUtf8(session);
        Vantir_Release(session);
        return texts;
    };
    EXPECT_EQ(filtered(VANTIR_OPTION_SOUND_ALIKE),
              std::vector<std::string>(kHarbourResults.begin() + 1, kHarbourResults.end()));
    EXPECT_EQ(filtered(0), std::vector<std::string>{"雲港市"});
    Vantir_CloseDataSet(set);

    // Sounds of another build beside the harbour set.
    std::vector<uint8_t> other = built.sounds;
    other[VANTIR_BLOB_USER_VALUE_OFFSET] ^= 0x5A;
    WriteBytes(scratch.path() / "sounds.snd", other);
    const Refusal refused = RefusalOf(scratch.path());
    EXPECT_EQ(refused.code, VANTIR_BAD_BLOB);
    EXPECT_EQ(refused.blob, kHostSounds);
}

}  // namespace
}  // namespace vantir::testing
