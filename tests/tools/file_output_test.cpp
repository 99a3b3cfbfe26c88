// All-or-nothing output: complete files appear only when every one was written,
// and a set replaces the old files as a whole.
#include "tools/compile/file_output.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tool_test_support.h"
#include "tools/compile/diagnostics.h"

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

TEST(FileOutput, AFailedRenameGivesTheEarlierTargetsTheirOldFilesBack) {
    ScratchDir dir;
    WriteFile(dir / "a.bin", "old a");
    WriteFile(dir / "c.bin", "old c");
    int renames = 0;
    const RenameFile failThird = [&renames](const std::filesystem::path& from,
                                            const std::filesystem::path& to,
                                            std::error_code& error) {
        if (++renames == 3) {
            error = std::make_error_code(std::errc::permission_denied);
            return;
        }
        std::filesystem::rename(from, to, error);
    };
    try {
        WriteFilesAtomically(
            {{dir / "a.bin", "new a"}, {dir / "b.bin", "new b"}, {dir / "c.bin", "new c"}},
            failThird);
        FAIL() << "expected an error";
    } catch (const ToolError& error) {
        EXPECT_NE(std::string(error.what()).find("c.bin: cannot rename"), std::string::npos)
            << error.what();
    }
    EXPECT_EQ(ReadFile(dir / "a.bin"), "old a");
    EXPECT_FALSE(std::filesystem::exists(dir / "b.bin")) << "a target that was new is removed";
    EXPECT_EQ(ReadFile(dir / "c.bin"), "old c");
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 2) << "no temporary or kept copy is left";
}

TEST(FileOutput, RefusesTargetsThatAreNoRegularFiles) {
    ScratchDir dir;
    WriteFile(dir / "a.bin", "old");
    std::filesystem::create_directories(dir / "sub.bin");
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
    std::filesystem::create_symlink(dir / "pipe", dir / "link.bin");
    std::filesystem::create_symlink(dir / "a.bin", dir / "to-file.bin");
    for (const char* name : {"sub.bin", "link.bin"}) {
        try {
            WriteFilesAtomically({{dir / "a.bin", "new"}, {dir / name, "x"}});
            FAIL() << name << " accepted";
        } catch (const ToolError& error) {
            EXPECT_NE(std::string(error.what()).find("refusing to replace it"), std::string::npos)
                << error.what();
        }
        EXPECT_EQ(ReadFile(dir / "a.bin"), "old");
    }
    EXPECT_TRUE(std::filesystem::is_fifo(dir / "pipe"));
    // A link to a regular file is itself replaced; the file it named is kept.
    WriteFilesAtomically({{dir / "to-file.bin", "new"}});
    EXPECT_FALSE(std::filesystem::is_symlink(dir / "to-file.bin"));
    EXPECT_EQ(ReadFile(dir / "to-file.bin"), "new");
    EXPECT_EQ(ReadFile(dir / "a.bin"), "old");
}
