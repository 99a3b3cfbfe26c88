// All-or-nothing output: complete files appear only when every one was written.
#include "tools/file_output.h"

#include <gtest/gtest.h>

#include "tool_test_support.h"
#include "tools/diagnostics.h"

using namespace vantir::tools;
using vantir::testing::ReadFile;
using vantir::testing::ScratchDir;
using vantir::testing::WriteFile;

TEST(FileOutput, WritesAllFilesAndCreatesTheirDirectory) {
    ScratchDir dir;
    WriteFilesAtomically(
        {{dir / "new" / "a.bin", std::string("A\0B", 3)}, {dir / "new" / "b.bin", "bb"}});
    EXPECT_EQ(ReadFile(dir / "new" / "a.bin"), std::string("A\0B", 3));
    EXPECT_EQ(ReadFile(dir / "new" / "b.bin"), "bb");
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir / "new")) {
        ++entries;
    }
    EXPECT_EQ(entries, 2) << "no temporary file is left";
}

TEST(FileOutput, AFailureLeavesEveryTargetAsItWas) {
    ScratchDir dir;
    WriteFile(dir / "a.bin", "old");
    WriteFile(dir / "blocker", "a file where a directory is needed");
    try {
        WriteFilesAtomically({{dir / "a.bin", "new"}, {dir / "blocker" / "b.bin", "b"}});
        FAIL() << "expected an error";
    } catch (const ToolError& error) {
        EXPECT_NE(std::string(error.what()).find("blocker"), std::string::npos) << error.what();
    }
    EXPECT_EQ(ReadFile(dir / "a.bin"), "old");
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 2) << "the temporary copy of a.bin is removed";
}
