// Output that cannot be written stops a run at the batch that failed, with one
// message and status 1; the files commands write are replaced whole or not at all.
#include <gtest/gtest.h>
#include <unistd.h>

#include <streambuf>

#include "tool_test_support.h"
#include "tools/cli/cli.h"

using namespace vantir::testing;
namespace fs = std::filesystem;

namespace {

// Takes `room` bytes, then fails every write; counts what it was offered.
class FullOutput : public std::streambuf {
  public:
    explicit FullOutput(size_t room) : room_(room) {}
    size_t offered() const { return offered_; }

  protected:
    std::streamsize xsputn(const char* /*bytes*/, std::streamsize count) override {
        offered_ += static_cast<size_t>(count);
        if (offered_ > room_) return 0;
        return count;
    }
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        return xsputn(nullptr, 1) == 1 ? c : traits_type::eof();
    }

  private:
    size_t room_;
    size_t offered_ = 0;
};

CliRun RunInto(std::streambuf& output, const std::vector<std::string>& arguments) {
    std::vector<const char*> argv = {"vantir"};
    for (const std::string& argument : arguments)
        argv.push_back(argument.c_str());
    std::ostream out(&output);
    std::ostringstream err;
    const int status =
        vantir::tools::RunVantir(static_cast<int>(argv.size()), argv.data(), out, err, false);
    return {status, "", err.str()};
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

class OutputFailure : public SmallDataTest {
  protected:
    void SetUp() override {
        SmallDataTest::SetUp();
        std::string lines;
        for (int u = 0; u < 3000; ++u)
            lines += "u" + std::to_string(u) + "-1 臺北市 大安區 忠孝東路 四段 七 號\n";
        WriteFile(dir / "many.nbest", lines);
    }
};

}  // namespace

TEST_F(OutputFailure, AFailedWriteStopsTheRunAfterItsBatch) {
    for (const char* jobs : {"1", "2"}) {
        const CliRun whole =
            RunCli({"filter", "--data", out, "-j", jobs, (dir / "many.nbest").string()});
        ASSERT_EQ(whole.status, kExitSuccess) << whole.err;
        FullOutput full(1000);
        const CliRun stopped =
            RunInto(full, {"filter", "--data", out, "-j", jobs, (dir / "many.nbest").string()});
        EXPECT_EQ(stopped.status, kExitFailure);
        EXPECT_EQ(Count(stopped.err, "cannot write the output"), 1u) << stopped.err;
        // A batch or a few in flight, never the whole run's output.
        EXPECT_LT(full.offered(), whole.out.size() / 4) << jobs << " jobs";

        FullOutput segmentFull(1000);
        const CliRun segment = RunInto(
            segmentFull, {"segment", "--data", out, "-j", jobs, (dir / "many.nbest").string()});
        EXPECT_EQ(segment.status, kExitFailure);
        EXPECT_EQ(Count(segment.err, "cannot write the output"), 1u) << segment.err;
    }
}

// The calibration rows replace the file whole: a write that fails leaves the
// earlier file as it was and no part of the new one.
TEST_F(OutputFailure, CalibrationRowsAreWrittenWholeOrNotAtAll) {
    WriteFile(dir / "u.nbest", "u1-1 臺北市 大安區 忠孝東路 四段 七 號\n");
    WriteFile(dir / "ref.txt", "u1 臺北市大安區忠孝東路四段七號\n");
    const fs::path rows = dir / "rows.tsv";
    const std::vector<std::string> eval = {"eval",
                                           "--data",
                                           out,
                                           "--nbest",
                                           (dir / "u.nbest").string(),
                                           "--ref",
                                           (dir / "ref.txt").string(),
                                           "--calibration-data",
                                           rows.string()};
    std::ostringstream ignored;
    std::vector<const char*> argv = {"vantir"};
    for (const std::string& argument : eval)
        argv.push_back(argument.c_str());
    std::ostringstream err;
    ASSERT_EQ(
        vantir::tools::RunVantir(static_cast<int>(argv.size()), argv.data(), ignored, err, false),
        kExitSuccess)
        << err.str();
    const std::string good = ReadFile(rows);
    ASSERT_TRUE(Contains(good, "u1")) << good;

    // The temporary name this process would write is taken: the write fails.
    const fs::path taken = dir / (".rows.tsv.tmp-" + std::to_string(getpid()));
    fs::create_directory(taken);
    std::ostringstream failed;
    EXPECT_EQ(vantir::tools::RunVantir(static_cast<int>(argv.size()), argv.data(), ignored, failed,
                                       false),
              kExitFailure);
    EXPECT_TRUE(Contains(failed.str(), "rows.tsv")) << failed.str();
    fs::remove(taken);
    EXPECT_EQ(ReadFile(rows), good);
}
