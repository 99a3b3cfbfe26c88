// The postal ranges through the library on a slice of the national data set
// (Taipei's roads 忠孝東路 and 羅斯福路 with every range line of Taipei): the
// districts listed and their order with VANTIR_OPTION_POSTAL, the postcodes,
// the attach call's refusals, and the default listing left as it was.
#include <gtest/gtest.h>

#include <fstream>
#include <optional>

#include "tool_test_support.h"
#include "tools/run/data_dir.h"

using namespace vantir;
using namespace vantir::testing;

namespace {

const std::filesystem::path kNational = std::filesystem::path(VANTIR_SOURCE_DIR) / "data/tw";
const std::string kTaipei = "臺北市";

bool Kept(const std::string& line) {
    return line.starts_with(kTaipei + "\t") || line.find("prefix") != std::string::npos;
}

void WriteTaipeiSources(const std::filesystem::path& dir) {
    std::string vocabulary = ReadFile(kNational / "words.tsv");
    std::string regions;
    std::string roads;
    std::string ranges;
    std::ifstream regionLines(kNational / "regions.tsv");
    for (std::string line; std::getline(regionLines, line);) {
        if (!line.starts_with(kTaipei + "\t")) continue;
        regions += line + "\n";
        const std::string district = line.substr(kTaipei.size() + 1);
        vocabulary += district + "\tupper-follower lower-head\n";
    }
    vocabulary +=
        kTaipei + "\tupper-head\n忠孝東路\tcompletion-trigger\n羅斯福路\tcompletion-trigger\n";
    std::ifstream words(kNational / "vocabulary.tsv");
    for (std::string line; std::getline(words, line);) {
        if (line.find("prefix") != std::string::npos) vocabulary += line + "\n";
    }
    std::ifstream roadLines(kNational / "roads.tsv");
    for (std::string line; std::getline(roadLines, line);) {
        if (!Kept(line)) continue;
        if (line.find("\t忠孝東路\t") != std::string::npos ||
            line.find("\t羅斯福路\t") != std::string::npos) {
            roads += line + "\n";
        }
    }
    std::ifstream rangeLines(kNational / "ranges.tsv");
    for (std::string line; std::getline(rangeLines, line);) {
        if (line.find("\t" + kTaipei + "\t") != std::string::npos) ranges += line + "\n";
    }
    WriteFile(dir / "vocabulary.tsv", vocabulary);
    WriteFile(dir / "regions.tsv", regions);
    WriteFile(dir / "roads.tsv", roads);
    WriteFile(dir / "ranges.tsv", ranges);
}

struct Listed {
    std::string text;
    int32_t status;
    std::string code;
};

class PostalOption : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = new ScratchDir;
        WriteTaipeiSources(*dir_ / "src");
        build_ =
            new CliRun(RunCli({"build", (*dir_ / "src").string(), "-o", (*dir_ / "out").string()}));
    }
    static void TearDownTestSuite() {
        delete build_;
        delete dir_;
    }

    void SetUp() override {
        ASSERT_EQ(build_->status, kExitSuccess) << build_->err;
        data_.emplace(tools::LoadDataDir(*dir_ / "out"));
        ASSERT_FALSE(data_->postal.empty());
    }

    // The results of one utterance of text hypotheses, each with its postal standing.
    std::vector<Listed> Filter(uint32_t options, const std::vector<std::u16string>& hypotheses) {
        FilterSession* session = data_->session.get();
        EXPECT_EQ(Vantir_Reset(session), VANTIR_OK);
        EXPECT_EQ(Vantir_SetOptions(session, options), VANTIR_OK);
        for (const std::u16string& text : hypotheses)
            EXPECT_EQ(Vantir_AddRecogText(session, text.data(), -1), VANTIR_OK);
        std::vector<Listed> listed;
        Expected<std::vector<std::u16string>> texts = data_->session.entries(128);
        EXPECT_TRUE(texts);
        for (size_t k = 0; texts && k < texts->size(); ++k) {
            VantirPostal postal{};
            EXPECT_EQ(Vantir_GetResultPostal(session, static_cast<int32_t>(k), &postal), VANTIR_OK);
            listed.push_back(Listed{ToUtf8((*texts)[k]), postal.status, postal.code});
        }
        return listed;
    }

    std::vector<std::string> Texts(uint32_t options, const std::vector<std::u16string>& said) {
        std::vector<std::string> texts;
        for (const Listed& result : Filter(options, said))
            texts.push_back(result.text);
        return texts;
    }

    static ScratchDir* dir_;
    static CliRun* build_;
    std::optional<tools::LoadedData> data_;
};

ScratchDir* PostalOption::dir_ = nullptr;
CliRun* PostalOption::build_ = nullptr;

constexpr uint32_t kModes[] = {0u, VANTIR_OPTION_ACCURATE};

}  // namespace

TEST_F(PostalOption, TheBuildWritesTheBlobAndCountsRoadsTheVocabularyLacks) {
    EXPECT_TRUE(Contains(build_->out, "postal: ")) << build_->out;
    EXPECT_TRUE(Contains(build_->err, "are not roads of the vocabulary")) << build_->err;
    const CliRun inspect = RunCli({"inspect", (*dir_ / "out" / "postal.pst").string()});
    EXPECT_EQ(inspect.status, kExitSuccess) << inspect.err;
    EXPECT_TRUE(Contains(inspect.out, "postal")) << inspect.out;
}

TEST_F(PostalOption, CompletionListsOnlyTheDistrictThatHoldsTheNumber) {
    for (const uint32_t mode : kModes) {
        const std::vector<Listed> listed =
            Filter(mode | VANTIR_OPTION_POSTAL, {u"臺北市忠孝東路五段8號"});
        ASSERT_EQ(listed.size(), 1u) << mode;
        EXPECT_EQ(listed[0].text, "臺北市信義區忠孝東路五段8號");
        EXPECT_EQ(listed[0].status, VANTIR_POSTAL_NUMBER);
        EXPECT_EQ(listed[0].code, std::string("11065"));
        // A road split by number between two districts.
        EXPECT_EQ(Texts(mode | VANTIR_OPTION_POSTAL, {u"臺北市羅斯福路三段2號"}),
                  std::vector<std::string>{"臺北市中正區羅斯福路三段2號"});
        EXPECT_EQ(Texts(mode | VANTIR_OPTION_POSTAL, {u"臺北市羅斯福路三段113號"}),
                  std::vector<std::string>{"臺北市大安區羅斯福路三段113號"});
        // Without a number: the districts that hold the section.
        EXPECT_EQ(
            Texts(mode | VANTIR_OPTION_POSTAL, {u"臺北市忠孝東路五段"}),
            (std::vector<std::string>{"臺北市信義區忠孝東路五段", "臺北市南港區忠孝東路五段"}));
    }
}

TEST_F(PostalOption, WithoutTheOptionTheListingStaysAndThePostcodesAreAnswered) {
    for (const uint32_t mode : kModes) {
        const std::vector<Listed> listed = Filter(mode, {u"臺北市忠孝東路五段8號"});
        ASSERT_EQ(listed.size(), 4u);
        EXPECT_EQ(listed[0].text, "臺北市中正區忠孝東路五段8號");
        EXPECT_EQ(listed[0].status, VANTIR_POSTAL_NOT_FOUND);
        EXPECT_EQ(listed[0].code, std::string("100"));
        EXPECT_EQ(listed[2].text, "臺北市信義區忠孝東路五段8號");
        EXPECT_EQ(listed[2].code, std::string("11065"));
    }
    // Lanes by their own lines, a lane's alley by its place in the lane.
    const std::vector<Listed> lane =
        Filter(VANTIR_OPTION_POSTAL, {u"臺北市信義區忠孝東路五段15巷3號"});
    ASSERT_FALSE(lane.empty());
    EXPECT_EQ(lane[0].code, std::string("11064"));
    const std::vector<Listed> alley =
        Filter(VANTIR_OPTION_ACCURATE, {u"臺北市信義區忠孝東路五段423巷4弄7號"});
    ASSERT_FALSE(alley.empty());
    EXPECT_EQ(alley[0].code, std::string("11061"));
}

TEST_F(PostalOption, ADistrictSaidThatLacksTheNumberStaysBelowTheOneThatHoldsIt) {
    for (const uint32_t mode : kModes) {
        const std::vector<Listed> listed =
            Filter(mode | VANTIR_OPTION_POSTAL, {u"臺北市中正區忠孝東路五段8號"});
        ASSERT_EQ(listed.size(), 2u) << mode;
        EXPECT_EQ(listed[0].text, "臺北市信義區忠孝東路五段8號");
        EXPECT_EQ(listed[0].status, VANTIR_POSTAL_NUMBER);
        EXPECT_EQ(listed[1].text, "臺北市中正區忠孝東路五段8號");
        EXPECT_EQ(listed[1].status, VANTIR_POSTAL_NOT_FOUND);
        EXPECT_EQ(Texts(mode, {u"臺北市中正區忠孝東路五段8號"}),
                  std::vector<std::string>{"臺北市中正區忠孝東路五段8號"});
        // A refused result ranks below a confirmed one of a later hypothesis.
        const std::vector<std::string> two =
            Texts(mode | VANTIR_OPTION_POSTAL,
                  {u"臺北市大安區羅斯福路三段2號", u"臺北市中正區羅斯福路一段2號"});
        ASSERT_GE(two.size(), 2u);
        EXPECT_EQ(two.back(), "臺北市大安區羅斯福路三段2號");
    }
}

TEST_F(PostalOption, WhenTheRangesConfirmNoneTheListingStays) {
    // No range of 忠孝東路五段 holds No. 15 (lane 15 has lines of its own).
    for (const uint32_t mode : kModes) {
        const std::vector<Listed> with =
            Filter(mode | VANTIR_OPTION_POSTAL, {u"臺北市忠孝東路五段15號"});
        const std::vector<std::string> without = Texts(mode, {u"臺北市忠孝東路五段15號"});
        ASSERT_EQ(with.size(), without.size());
        for (size_t k = 0; k < with.size(); ++k) {
            EXPECT_EQ(with[k].text, without[k]);
            EXPECT_EQ(with[k].status, VANTIR_POSTAL_NOT_FOUND);
        }
    }
}

TEST_F(PostalOption, TheDefaultListingIsTheSameWithTheBlobAttached) {
    const std::vector<std::vector<std::u16string>> utterances = {
        {u"臺北市忠孝東路五段8號", u"臺北市中正區忠孝東路五段8號"},
        {u"臺北市大安區羅斯福路三段2號", u"羅斯福路三段", u"我要去臺北市"},
        {u"臺北市信義區忠孝東路五段423巷4弄7號", u"忠孝東路四段15之1號"}};
    for (const uint32_t mode : kModes) {
        for (const auto& said : utterances) {
            const std::vector<std::string> attached = Texts(mode, said);
            ASSERT_EQ(Vantir_AttachPostal(data_->session.get(), nullptr), VANTIR_OK);
            EXPECT_EQ(Texts(mode, said), attached);
            ASSERT_EQ(Vantir_AttachPostal(data_->session.get(), data_->postal.data()), VANTIR_OK);
        }
    }
}

TEST_F(PostalOption, AttachAndStandingRefuseWhatIsNoPostalBlobOfTheSet) {
    FilterSession* session = data_->session.get();
    EXPECT_EQ(Vantir_AttachPostal(nullptr, data_->postal.data()), VANTIR_NULL_OBJECT);
    EXPECT_EQ(Vantir_AttachPostal(session, data_->address.data()), VANTIR_BAD_BLOB);
    std::vector<uint8_t> other(data_->postal.data(), data_->postal.data() + data_->postal.size());
    other[VANTIR_BLOB_USER_VALUE_OFFSET] ^= 1;
    EXPECT_EQ(Vantir_AttachPostal(session, other.data()), VANTIR_BAD_BLOB);
    EXPECT_EQ(Vantir_VerifyBlob(data_->postal.data(), static_cast<uint32_t>(data_->postal.size())),
              VANTIR_OK);
    Filter(0, {u"臺北市信義區忠孝東路五段8號"});
    VantirPostal postal{};
    EXPECT_EQ(Vantir_GetResultPostal(nullptr, 0, &postal), VANTIR_NULL_OBJECT);
    EXPECT_EQ(Vantir_GetResultPostal(session, 0, nullptr), VANTIR_NULL_OBJECT);
    EXPECT_EQ(Vantir_GetResultPostal(session, 1, &postal), VANTIR_NOT_FOUND);
    EXPECT_EQ(Vantir_GetResultPostal(session, -1, &postal), VANTIR_NOT_FOUND);
    ASSERT_EQ(Vantir_AttachPostal(session, nullptr), VANTIR_OK);
    ASSERT_EQ(Vantir_GetResultPostal(session, 0, &postal), VANTIR_OK);
    EXPECT_EQ(postal.status, VANTIR_POSTAL_UNKNOWN);
    EXPECT_EQ(std::string(postal.code), "");
    // The option without a blob changes nothing.
    EXPECT_EQ(Texts(VANTIR_OPTION_POSTAL, {u"臺北市忠孝東路五段8號"}).size(), 4u);
}
