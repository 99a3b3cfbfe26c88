// Number shapes and places said alone on the national data set: the shapes
// lists' figures in accurate mode stay above their floors, kind by kind.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <string>

#include "tool_test_support.h"

using namespace vantir::testing;

namespace {

const std::filesystem::path kShapeListSources =
    std::filesystem::path(VANTIR_SOURCE_DIR) / "data/tw";

// The per-kind figures of `vantir eval --compare --json`, in percent.
struct ShapeKindFigures {
    double defaultTop1 = -1;
    double accurateTop1 = -1;
    double defaultAnyRank = -1;
    double accurateAnyRank = -1;
};

std::map<std::string, ShapeKindFigures> ShapeKindRows(const std::string& evalJson) {
    const nlohmann::json report = nlohmann::json::parse(evalJson);
    const nlohmann::json& plain = report["modes"]["default"]["kinds"];
    const nlohmann::json& accurate = report["modes"]["accurate"]["kinds"];
    const auto share = [](const nlohmann::json& t, const char* field) {
        return 100.0 * t[field].get<double>() / t["utterances"].get<double>();
    };
    std::map<std::string, ShapeKindFigures> rows;
    for (const auto& [kind, t] : plain.items()) {
        const nlohmann::json& a = accurate[kind];
        rows[kind] = {share(t, "top1"), share(a, "top1"), share(t, "any_rank"),
                      share(a, "any_rank")};
    }
    return rows;
}

}  // namespace

TEST(NationalNumberShapes, AccurateModeReadsEveryShapeAndKeepsPlacesFirst) {
    ScratchDir dir;
    const std::string data = (dir / "out").string();
    const CliRun build = RunCli({"build", kShapeListSources.string(), "-o", data});
    ASSERT_EQ(build.status, kExitSuccess) << build.err;
    const std::string nbest = (kShapeListSources / "eval/shapes-nbest.txt").string();
    const std::string ref = (kShapeListSources / "eval/shapes-ref.txt").string();
    const CliRun eval = RunCli({"eval", "--data", data, "--nbest", nbest, "--ref", ref, "--text",
                                "--compare", "--exact", "--json"});
    ASSERT_EQ(eval.status, kExitSuccess) << eval.err;

    const auto rows = ShapeKindRows(eval.out);
    ASSERT_EQ(rows.size(), 6u) << eval.out;
    for (const auto& [kind, figures] : rows) {
        EXPECT_GE(figures.accurateTop1, 90.0) << kind << "\n" << eval.out;
        EXPECT_GE(figures.accurateAnyRank, 99.0) << kind << "\n" << eval.out;
        EXPECT_GE(figures.accurateTop1, figures.defaultTop1) << kind << "\n" << eval.out;
    }
    // A place said alone outranks the partial street addresses of its city
    // that other hypotheses hold.
    ASSERT_TRUE(rows.count("place-alone")) << eval.out;
    EXPECT_EQ(rows.at("place-alone").accurateTop1, 100.0) << eval.out;
}
