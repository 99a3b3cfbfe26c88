// The C++ layer's data sets on the host calls: a folder or spans of blob bytes
// opened as one set, sessions on it, and refusals carrying the code and folder.
#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "tests/host/host_fixture.h"
#include "vantir/vantir.hpp"

namespace vantir::testing {
namespace {

std::vector<std::string> Filtered(const VantirDataSet* set) {
    Expected<Session> session = Session::Open(set, VANTIR_OPTION_ACCURATE);
    EXPECT_TRUE(session.has_value());
    if (!session) return {};
    EXPECT_EQ(Vantir_GetOptions(session->get()),
              VANTIR_OPTION_ACCURATE | VANTIR_OPTION_SHARED_MODEL);
    for (const char* words : kHarbourWords)
        EXPECT_EQ(session->add_words(words), 0);
    std::vector<std::string> texts;
    Expected<std::vector<std::u16string>> results = session->results();
    for (const std::u16string& text : *results)
        texts.push_back(ToUtf8(text));
    return texts;
}

TEST(CppDataSet, AFolderAndItsBytesOpenAsTheSameSet) {
    HostScratch scratch;
    WriteHarbourFolder(scratch.path());
    Expected<DataSetPtr> folder = OpenDataSet(scratch.path());
    ASSERT_TRUE(folder.has_value()) << folder.error().message;
    const tools::BuiltData& built = HarbourBlobs();
    Expected<DataSetPtr> memory = OpenDataSetFromMemory(
        std::span<const unsigned char>(built.lexicon), std::span<const unsigned char>(built.model),
        std::span<const unsigned char>(built.address));
    ASSERT_TRUE(memory.has_value()) << memory.error().message;
    const std::vector<std::string> fromFolder = Filtered(folder->get());
    EXPECT_FALSE(fromFolder.empty());
    EXPECT_EQ(Filtered(memory->get()), fromFolder);
}

TEST(CppDataSet, RefusalsCarryTheCodeAndTheFolder) {
    HostScratch scratch;
    Expected<DataSetPtr> empty = OpenDataSet(scratch.path());
    ASSERT_FALSE(empty.has_value());
    EXPECT_EQ(empty.error().code, VANTIR_NOT_FOUND);
    EXPECT_NE(empty.error().message.find(scratch.path().string()), std::string::npos);

    const std::vector<unsigned char> junk(128, 0x42);
    Expected<DataSetPtr> bad = OpenDataSetFromMemory(junk, junk, junk);
    ASSERT_FALSE(bad.has_value());
    EXPECT_EQ(bad.error().code, VANTIR_BAD_BLOB);

    Expected<Session> none = Session::Open(nullptr);
    ASSERT_FALSE(none.has_value());
    EXPECT_EQ(none.error().code, VANTIR_NULL_OBJECT);
}

}  // namespace
}  // namespace vantir::testing
