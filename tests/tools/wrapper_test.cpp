// The header-only C++ layer: UTF-8/UTF-16 helpers, blob buffers and file
// loading, owning handles and the session wrapper.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tool_test_support.h"
#include "tools/compile/data_build.h"
#include "vantir/vantir.hpp"

using namespace vantir;
using vantir::testing::ScratchDir;
using vantir::testing::WriteFile;

TEST(WrapperText, ConvertsBothWaysIncludingSurrogatePairs) {
    EXPECT_EQ(ToUtf16("a臺").value(), u"a臺");
    EXPECT_EQ(ToUtf16("\xF0\xA0\x80\x80").value(), std::u16string(u"\xD840\xDC00"));
    EXPECT_EQ(ToUtf8(u"a臺"), "a臺");
    EXPECT_EQ(ToUtf8(std::u16string(u"\xD840\xDC00")), "\xF0\xA0\x80\x80");
    EXPECT_EQ(ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD") << "lone surrogate";
    EXPECT_EQ(ToUtf16("").value(), u"");
}

TEST(WrapperText, RejectsMalformedUtf8WithItsOffset) {
    EXPECT_EQ(ToUtf16("ab\xE8\x87").error().message, "truncated UTF-8 sequence at byte 2");
    EXPECT_EQ(ToUtf16("\x80").error().message, "invalid UTF-8 at byte 0");
    EXPECT_EQ(ToUtf16("\xC0\xAF").error().message, "invalid UTF-8 code point at byte 0")
        << "overlong";
    EXPECT_EQ(ToUtf16("\xED\xA0\x80").error().code, VANTIR_INVALID_ARGUMENT) << "surrogate";
    EXPECT_FALSE(ToUtf16("\xF4\x90\x80\x80")) << "above U+10FFFF";
}

TEST(WrapperBlobs, LoadsAlignedBuffersAndChecksTheHeader) {
    ScratchDir dir;
    WriteFile(dir / "short.bin", "KRVF");
    Expected<BlobBuffer> loaded = LoadBlobFile(dir / "short.bin");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->size(), 4u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(loaded->data()) % BlobBuffer::kAlignment, 0u);
    EXPECT_EQ(LoadBlobFile(dir / "short.bin", "LMB", 2).error().code, VANTIR_BAD_BLOB);
    EXPECT_EQ(LoadBlobFile(dir / "missing.bin").error().code, VANTIR_NOT_FOUND);
    EXPECT_EQ(LoadModelFile(dir / "short.bin").error().code, VANTIR_BAD_BLOB);
    EXPECT_TRUE(BlobBuffer(0).empty());
}

TEST(WrapperSession, FiltersThroughOwningHandles) {
    ScratchDir dir;
    vantir::testing::WriteSmallSources(dir / "src");
    ASSERT_EQ(
        vantir::testing::RunCli({"build", (dir / "src").string(), "-o", (dir / "out").string()})
            .status,
        0);
    Expected<LexiconHandle> lexicon = LoadLexiconFile(dir / "out" / tools::kLexiconBlobName);
    Expected<ModelHandle> model = LoadModelFile(dir / "out" / tools::kModelBlobName);
    Expected<BlobBuffer> address = LoadAddressDbFile(dir / "out" / tools::kAddressBlobName);
    ASSERT_TRUE(lexicon && model && address);
    EXPECT_EQ(LoadLexiconFile(dir / "out" / tools::kModelBlobName).error().code, VANTIR_BAD_BLOB)
        << "a model is no lexicon";

    Expected<Session> session = Session::Create(model->get(), lexicon->get(), address->data());
    ASSERT_TRUE(session);
    std::vector<WordId> ids;
    for (const char16_t* word : {u"大安區", u"忠孝東路", u"四段", u"七", u"號"}) {
        ids.push_back(FindWord(lexicon->get(), word));
        EXPECT_EQ(WordText(lexicon->get(), ids.back()), word);
    }
    EXPECT_EQ(FindWord(lexicon->get(), u"忽"), VANTIR_NOT_FOUND);
    EXPECT_EQ(WordText(lexicon->get(), -1), u"");
    EXPECT_EQ(session->add(ids), VANTIR_OK);
    Expected<std::vector<std::u16string>> results = session->results();
    ASSERT_TRUE(results);
    EXPECT_EQ(*results, std::vector<std::u16string>{u"臺北市大安區忠孝東路四段7號"});
    EXPECT_EQ(session->reset(), VANTIR_OK);
    EXPECT_TRUE(session->results()->empty());
    EXPECT_FALSE(Session::Create(nullptr, lexicon->get(), address->data()));
}

// A fallback word made only of marks composes to the empty text, which the
// library enters like any other text; the wrapper reads the block by its count.
TEST(WrapperSession, ReadsTheListByItsCountAndNeverCallsAnEmptyTextAnAddress) {
    ScratchDir dir;
    vantir::testing::WriteSmallSources(dir / "src");
    WriteFile(dir / "src" / "vocabulary.tsv",
              vantir::testing::ReadFile(dir / "src" / "vocabulary.tsv") + "@!\tfallback\n");
    const auto build =
        vantir::testing::RunCli({"build", (dir / "src").string(), "-o", (dir / "out").string()});
    ASSERT_EQ(build.status, 0) << build.err;
    Expected<LexiconHandle> lexicon = LoadLexiconFile(dir / "out" / tools::kLexiconBlobName);
    Expected<ModelHandle> model = LoadModelFile(dir / "out" / tools::kModelBlobName);
    Expected<BlobBuffer> address = LoadAddressDbFile(dir / "out" / tools::kAddressBlobName);
    ASSERT_TRUE(lexicon && model && address);
    Expected<Session> session = Session::Create(model->get(), lexicon->get(), address->data());
    ASSERT_TRUE(session);

    const WordId marks = FindWord(lexicon->get(), u"@!");
    ASSERT_GE(marks, 0);
    ASSERT_EQ(session->add(std::vector<WordId>{marks}), VANTIR_OK);
    // A lone fallback word ranks like the lone marks; arrival puts it second.
    ASSERT_EQ(session->add(std::vector<WordId>{FindWord(lexicon->get(), u"故宮博物院")}),
              VANTIR_OK);

    int32_t count = Session::kAllResults;
    Vantir_GetFilterResult(session->get(), nullptr, 0, 0, &count);
    ASSERT_EQ(count, 2) << "the library's default: the empty text is an entry";
    Expected<std::vector<std::u16string>> entries = session->entries();
    ASSERT_TRUE(entries);
    EXPECT_EQ(*entries, (std::vector<std::u16string>{u"", u"故宮博物院"}));
    EXPECT_EQ(*session->results(), std::vector<std::u16string>{u"故宮博物院"});
    EXPECT_EQ(*session->results(1), std::vector<std::u16string>{u"故宮博物院"})
        << "the cap counts addresses, not table entries";
    EXPECT_TRUE(session->results(0)->empty());
}

// The C++ layer's messages on a library code end with the library's sentence,
// which the tools and the Python module print.
TEST(WrapperErrors, MessagesMadeFromACodeEndWithItsSentence) {
    auto endsWithSentence = [](const Error& error) {
        const std::string sentence = Vantir_ErrorMessage(error.code);
        return error.message.size() > sentence.size() &&
               error.message.compare(error.message.size() - sentence.size(), sentence.size(),
                                     sentence) == 0;
    };
    BlobBuffer zeros(kBlobHeaderBytes);
    std::memset(zeros.data(), 0, zeros.size());
    const Error model = AttachModel(BlobBuffer::CopyOf(zeros.data(), zeros.size())).error();
    EXPECT_EQ(model.code, VANTIR_BAD_BLOB);
    EXPECT_TRUE(endsWithSentence(model)) << model.message;
    const Error lexicon = AttachLexicon(std::move(zeros)).error();
    EXPECT_EQ(lexicon.code, VANTIR_BAD_BLOB);
    EXPECT_TRUE(endsWithSentence(lexicon)) << lexicon.message;

    Session none;  // no session: every call gives -5
    const Error segment = none.segment(u"臺北市").error();
    EXPECT_EQ(segment.code, VANTIR_NULL_OBJECT);
    EXPECT_TRUE(endsWithSentence(segment)) << segment.message;
    const Error listing = none.entries().error();
    EXPECT_EQ(listing.code, VANTIR_NULL_OBJECT);
    EXPECT_TRUE(endsWithSentence(listing)) << listing.message;
}
