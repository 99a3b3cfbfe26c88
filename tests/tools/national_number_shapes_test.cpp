// Number shapes and places said alone on the national data set: the shapes
// lists' figures in accurate mode stay above their floors, kind by kind.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tool_test_support.h"

using namespace vantir::testing;

namespace {

const std::filesystem::path kShapeListSources =
    std::filesystem::path(VANTIR_SOURCE_DIR) / "data/tw";

// One row of `vantir eval --compare`'s per-kind table: top-1 and any-rank
// shares, default mode then accurate mode.
struct ShapeKindFigures {
    double defaultTop1 = -1;
    double accurateTop1 = -1;
    double defaultAnyRank = -1;
    double accurateAnyRank = -1;
};

// The per-kind rows after the "per error kind" line, by kind.
std::map<std::string, ShapeKindFigures> ShapeKindRows(const std::string& evalOut) {
    std::map<std::string, ShapeKindFigures> rows;
    std::istringstream lines(evalOut.substr(evalOut.find("per error kind")));
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line) && line.rfind("  ", 0) == 0) {
        std::istringstream fields(line);
        std::string kind;
        int count = 0;
        std::vector<double> shares;
        fields >> kind >> count;
        for (std::string share; fields >> share;)
            shares.push_back(std::stod(share));
        if (shares.size() == 4) rows[kind] = {shares[0], shares[1], shares[2], shares[3]};
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
    const CliRun eval = RunCli(
        {"eval", "--data", data, "--nbest", nbest, "--ref", ref, "--text", "--compare", "--exact"});
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
