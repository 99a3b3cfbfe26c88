// The postal blob as a member of a host set: read from the folder and from
// memory, attached to every session, and refused when it is of another build.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/data_set.h"
#include "tests/host/host_fixture.h"

namespace vantir::testing {
namespace {

// The harbour sources with one postal range: 光明路 section 2 in 東岸區,
// numbers 10 to 20.
tools::BuiltData HarbourWithRanges(const std::filesystem::path& sources) {
    std::filesystem::copy(std::filesystem::path(VANTIR_TEST_DATA_DIR) / "harbour", sources);
    std::ofstream(sources / "ranges.tsv") << "80012\t雲港市\t東岸區\t光明路2段\t10號至20號\n";
    tools::Diagnostics diagnostics;
    tools::Progress progress;
    return tools::BuildData(tools::ResolveBuildInputs(sources, {}), tools::ModelOptions{},
                            diagnostics, progress);
}

// The postal standing of each result of the harbour's second hypothesis.
std::vector<std::string> Postcodes(const VantirDataSet* set) {
    FilterSession* session = Vantir_OpenSession(set, 0, nullptr);
    EXPECT_NE(session, nullptr);
    if (session == nullptr) return {};
    EXPECT_EQ(Vantir_AddRecogWordsUtf8(session, kHarbourWords[1], -1), 0);
    std::vector<std::string> codes;
    for (int32_t k = 0; k < Vantir_GetResultCount(session); ++k) {
        VantirPostal postal{};
        EXPECT_EQ(Vantir_GetResultPostal(session, k, &postal), 0);
        codes.push_back(ResultUtf8(session, k) + " " + std::to_string(postal.status) + " " +
                        postal.code);
    }
    Vantir_Release(session);
    return codes;
}

TEST(HostPostal, ThePostalBlobJoinsTheSetFromAFolderAndFromMemory) {
    HostScratch scratch;
    const tools::BuiltData built = HarbourWithRanges(scratch.path() / "src");
    ASSERT_FALSE(built.postal.empty());
    const std::filesystem::path out = scratch.path() / "out";
    std::filesystem::create_directory(out);
    WriteBytes(out / "lexicon.wpb", built.lexicon);
    WriteBytes(out / "model.lmb", built.model);
    WriteBytes(out / "address.addr", built.address);

    // Without the blob nothing is known of the ranges.
    VantirDataSet* set = Vantir_OpenDataSet(out.c_str(), nullptr);
    ASSERT_NE(set, nullptr);
    const std::string unknown = " " + std::to_string(VANTIR_POSTAL_UNKNOWN) + " ";
    EXPECT_EQ(Postcodes(set), (std::vector<std::string>{kHarbourResults[1] + unknown,
                                                        kHarbourResults[2] + unknown}));
    Vantir_CloseDataSet(set);

    WriteBytes(out / "postal.pst", built.postal);
    set = Vantir_OpenDataSet(out.c_str(), nullptr);
    ASSERT_NE(set, nullptr);
    const std::vector<std::string> known = Postcodes(set);
    ASSERT_EQ(known.size(), 2u);
    EXPECT_EQ(known[0], kHarbourResults[1] + " " + std::to_string(VANTIR_POSTAL_NUMBER) + " 80012");
    Vantir_CloseDataSet(set);

    auto size = [](const std::vector<uint8_t>& blob) { return static_cast<int32_t>(blob.size()); };
    int32_t code = 1;
    set =
        Vantir_OpenDataSetFromMemory(built.lexicon.data(), size(built.lexicon), built.model.data(),
                                     size(built.model), built.address.data(), size(built.address),
                                     nullptr, 0, built.postal.data(), size(built.postal), &code);
    ASSERT_NE(set, nullptr) << code;
    EXPECT_EQ(Postcodes(set), known);
    Vantir_CloseDataSet(set);

    // A postal blob of another build.
    std::vector<uint8_t> other = built.postal;
    other[VANTIR_BLOB_USER_VALUE_OFFSET] ^= 0x5A;
    WriteBytes(out / "postal.pst", other);
    SetReport report;
    EXPECT_EQ(OpenFolderDataSet(out.c_str(), &report), nullptr);
    EXPECT_EQ(report.problem, SetProblem::kOtherSet);
    EXPECT_EQ(report.blob, kHostPostal);
}

}  // namespace
}  // namespace vantir::testing
