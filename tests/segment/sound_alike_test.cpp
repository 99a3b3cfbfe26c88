// Sound-alike reading in the segmenter over the small world and its hand-made
// sounds blob: misheard words found and marked, spelled text left as it is,
// numerals never read by sound, and units of no reading or half pairs skipped.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "segment/sound_blob.h"
#include "segment/text_segmenter.h"
#include "support/sample_sounds.h"
#include "support/sample_world.h"

namespace vantir::testing {
namespace {

struct SoundSegmentation {
    std::vector<std::u16string> words;
    std::vector<bool> bySound;
};

class SoundAlikeSegmenter : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(world_.attached);
        blob_ = SmallSoundsBlob(world_.lexicon);
        ASSERT_TRUE(ReadSoundsBlob(blob_.data(), &view_));
    }

    SoundSegmentation Segmented(const std::u16string& text, bool withSounds) const {
        std::vector<WordId> ids(2 * text.size() + 1);
        std::unique_ptr<bool[]> marks(new bool[ids.size()]());
        WordSink sink{ids.data(), static_cast<int32_t>(ids.size()), 0, marks.get()};
        EXPECT_EQ(
            SegmentText(world_.lexicon, world_.model, text.data(),
                        static_cast<int32_t>(text.size()), &sink, withSounds ? &view_ : nullptr),
            0);
        SoundSegmentation out;
        for (int64_t k = 0; k < sink.count; ++k) {
            out.words.push_back(WordOf(world_.lexicon, ids[static_cast<size_t>(k)]));
            out.bySound.push_back(marks[static_cast<size_t>(k)]);
        }
        return out;
    }

    AttachedWorld world_;
    std::vector<uint8_t> blob_;
    SoundsView view_{};
};

TEST_F(SoundAlikeSegmenter, AMisheardRoadIsReadAsTheRoadAndMarked) {
    const SoundSegmentation read = Segmented(u"中孝東路", true);
    ASSERT_EQ(read.words, std::vector<std::u16string>{u"忠孝東路"});
    EXPECT_TRUE(read.bySound[0]);
    // zong for zhong matches only across the zh/z merger, and still reads.
    EXPECT_EQ(Segmented(u"宗孝東路", true).words, std::vector<std::u16string>{u"忠孝東路"});
    // Without the blob the same text keeps nothing of the road.
    EXPECT_TRUE(Segmented(u"中孝東路", false).words.empty());
}

TEST_F(SoundAlikeSegmenter, SpelledTextIsReadAsWithoutSounds) {
    for (const std::u16string text :
         {u"臺北市大安區忠孝東路四段一百二十三巷五弄七號", u"我要到臺中市大安區和平路一段"}) {
        const SoundSegmentation plain = Segmented(text, false);
        const SoundSegmentation read = Segmented(text, true);
        EXPECT_EQ(read.words, plain.words);
        for (const bool bySound : read.bySound)
            EXPECT_FALSE(bySound);
    }
}

TEST_F(SoundAlikeSegmenter, NumeralsAreNeitherMadeNorLost) {
    // 是 sounds like 十 and, across s/sh, like 四 of 四段: neither is read.
    for (const std::u16string& word : Segmented(u"忠孝東路是段", true).words) {
        EXPECT_NE(word, u"十");
        EXPECT_NE(word, u"四段");
    }
    // A numeral said stays that numeral, even where a word sounds like it.
    const SoundSegmentation read = Segmented(u"忠孝東路十", true);
    ASSERT_FALSE(read.words.empty());
    EXPECT_EQ(read.words.back(), u"十");
}

TEST_F(SoundAlikeSegmenter, UnitsWithoutReadingAndHalfPairsAreNotReadBySound) {
    // A character outside the readings (here one of two units) splits the road.
    const SoundSegmentation split = Segmented(u"中孝\U00020000東路", true);
    for (const std::u16string& word : split.words)
        EXPECT_NE(word, u"忠孝東路");
    // Lone halves of surrogate pairs are safe to meet at any place.
    const std::u16string halves = {u'中', 0xD840, u'孝', 0xDC00, u'東', u'路', 0xD840};
    Segmented(halves, true);
}

}  // namespace
}  // namespace vantir::testing

namespace vantir::testing {
namespace {

// The writer lays out what the reader reads: the tables of the blob assembled
// byte by byte for the tests, read back and written again, give the same bytes,
// and the result passes the well-formedness check.
TEST(SoundsBlobWriter, WritesTheLayoutTheReaderReads) {
    AttachedWorld world;
    ASSERT_TRUE(world.attached);
    const std::vector<uint8_t> assembled = SmallSoundsBlob(world.lexicon);
    SoundsView view{};
    ASSERT_TRUE(ReadSoundsBlob(assembled.data(), &view));

    std::vector<SoundSyllable> syllables(view.syllableCount);
    for (uint32_t s = 0; s < view.syllableCount; ++s) {
        char spelling[kSndSpellingBytes + 1];
        SpellingOf(view, static_cast<uint16_t>(s), spelling);
        std::copy_n(spelling, kSndSpellingBytes, syllables[s].spelling);
        syllables[s].mergedClass = MergedClassOf(view, static_cast<uint16_t>(s));
    }
    std::vector<uint32_t> readings(view.readingCount);
    for (uint32_t r = 0; r < view.readingCount; ++r)
        readings[r] = LoadU32(view.readings + uint64_t{r} * kSndReadingBytes);
    std::vector<SoundEntry> entries(view.entryCount);
    for (uint32_t e = 0; e < view.entryCount; ++e)
        entries[e] = EntryAt(view, e);

    const SoundsBlobContent content{view.wordCount,  syllables.data(),  view.syllableCount,
                                    readings.data(), view.readingCount, entries.data(),
                                    view.entryCount, view.bucketCount};
    std::vector<uint8_t> written(assembled.size() + 8, 0xAB);
    WriteSoundsBlob(content, written.data());
    EXPECT_EQ(std::vector<uint8_t>(written.begin(), written.begin() + assembled.size()), assembled);
    EXPECT_EQ(written[assembled.size()], 0xAB) << "written past the blob's size";
    EXPECT_TRUE(SoundsBlobIsWellFormed(written.data(), assembled.size()));
}

}  // namespace
}  // namespace vantir::testing
