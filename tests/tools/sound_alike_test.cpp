// Sound-alike text intake end to end on the small data set with a readings file
// of its own: the build's sounds blob and its checks, reading by sound (also
// across a merger), numbers kept out of it, clean text unchanged, and the
// binding of a sounds blob to its lexicon.
#include <gtest/gtest.h>

#include "tool_test_support.h"
#include "tools/run/data_dir.h"
#include "vantir/vantir.hpp"

using namespace vantir::testing;
namespace fs = std::filesystem;

namespace {

// kMandarin lines for the small data set's characters and a few homophones
// (弄 has two readings, as in Unihan).
constexpr const char* kSmallReadings =
    "# Unihan readings, kMandarin only\n"
    "U+4E2D\tkMandarin\tzhōng\nU+5FE0\tkMandarin\tzhōng\nU+5B97\tkMandarin\tzōng\n"
    "U+5B5D\tkMandarin\txiào\nU+6771\tkMandarin\tdōng\nU+8DEF\tkMandarin\tlù\n"
    "U+9E7F\tkMandarin\tlù\nU+81FA\tkMandarin\ttái\nU+53F0\tkMandarin\ttái\n"
    "U+5317\tkMandarin\tběi\nU+5E02\tkMandarin\tshì\nU+662F\tkMandarin\tshì\n"
    "U+5927\tkMandarin\tdà\nU+5B89\tkMandarin\tān\nU+5340\tkMandarin\tqū\n"
    "U+56DB\tkMandarin\tsì\nU+6BB5\tkMandarin\tduàn\nU+65B7\tkMandarin\tduàn\n"
    "U+865F\tkMandarin\thào\nU+597D\tkMandarin\thǎo\nU+5DF7\tkMandarin\txiàng\n"
    "U+5411\tkMandarin\txiàng\nU+5F04\tkMandarin\tnòng lòng\nU+4E00\tkMandarin\tyī\n"
    "U+767E\tkMandarin\tbǎi\nU+4E8C\tkMandarin\tèr\nU+5341\tkMandarin\tshí\n"
    "U+4E09\tkMandarin\tsān\nU+4E94\tkMandarin\twǔ\nU+4E03\tkMandarin\tqī\n"
    "U+6211\tkMandarin\twǒ\nU+6B63\tkMandarin\tzhèng\nU+5F81\tkMandarin\tzhēng\n"
    "U+U+0000\tkDefinition\tnot a reading line\n";

class SoundAlikeData : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteSmallSources(dir / "src");
        WriteFile(dir / "readings.txt", kSmallReadings);
        const CliRun run = RunCli({"build", (dir / "src").string(), "-o", out(), "--readings",
                                   (dir / "readings.txt").string()});
        ASSERT_EQ(run.status, kExitSuccess) << run.err;
        ASSERT_TRUE(Contains(run.out, "sounds: ")) << run.out;
    }
    std::string out() const { return (dir / "out").string(); }
    std::string Segment(const std::string& text, bool bySound) {
        WriteFile(dir / "text.txt", text + "\n");
        const CliRun run =
            bySound
                ? RunCli({"segment", "--data", out(), "--sound-alike", (dir / "text.txt").string()})
                : RunCli({"segment", "--data", out(), (dir / "text.txt").string()});
        EXPECT_EQ(run.status, kExitSuccess) << run.err;
        return run.out;
    }
    ScratchDir dir;
};

}  // namespace

TEST_F(SoundAlikeData, TheSoundsBlobIsVerifiedInspectedAndRefusedWhenDamaged) {
    const std::string bytes = ReadFile(dir / "out" / vantir::kSoundsFileName);
    ASSERT_GT(bytes.size(), 96u);
    vantir::BlobBuffer blob = vantir::BlobBuffer::CopyOf(bytes.data(), bytes.size());
    EXPECT_EQ(Vantir_VerifyBlob(blob.data(), static_cast<uint32_t>(blob.size())), 0);
    EXPECT_EQ(Vantir_VerifyBlob(blob.data(), static_cast<uint32_t>(blob.size() - 4)), -103);
    for (const size_t at : {68u, 76u, 80u, 96u, static_cast<unsigned>(bytes.size() - 4)}) {
        vantir::BlobBuffer damaged = vantir::BlobBuffer::CopyOf(bytes.data(), bytes.size());
        damaged.data()[at] ^= 0x5A;
        EXPECT_EQ(Vantir_VerifyBlob(damaged.data(), static_cast<uint32_t>(damaged.size())), -103)
            << "byte " << at;
    }
    const CliRun inspect = RunCli({"inspect", out()});
    EXPECT_EQ(inspect.status, kExitSuccess) << inspect.err;
    EXPECT_TRUE(Contains(inspect.out, "kind            sounds\n")) << inspect.out;
}

TEST_F(SoundAlikeData, MisheardCharactersAreReadAsTheWordThatSoundsTheSame) {
    EXPECT_EQ(Segment("台北是大安區中孝東鹿四斷一百二十三好", true),
              "臺北市~ 大安區 忠孝東路~ 四段~ 一百 二十三 號~\n\n");
    // zong for zhong: only across the zh/z merger.
    EXPECT_TRUE(Contains(Segment("臺北市大安區宗孝東路四段", true), "忠孝東路~"));
    EXPECT_FALSE(Contains(Segment("臺北市大安區中孝東路四段", false), "忠孝東路"));
}

TEST_F(SoundAlikeData, NumbersAreNeverMadeOrLostBySound) {
    // 是 and 市 sound like 十 and 四 (shi, si across the merger): no numeral comes of them.
    const std::string read = Segment("忠孝東路是段市段", true);
    EXPECT_FALSE(Contains(read, "四段")) << read;
    EXPECT_FALSE(Contains(read, "十")) << read;
    // A numeral said is never read as another word that sounds like it.
    EXPECT_EQ(Segment("忠孝東路四段", true), "忠孝東路 四段\n\n");
}

TEST_F(SoundAlikeData, CleanTextGivesTheSameResultsWithAndWithoutTheOption) {
    WriteFile(dir / "clean.txt",
              "u1-1 我臺北市大安區忠孝東路四段一百二十三巷五弄七號\n"
              "u1-2 大安區忠孝東路四段七號\n"
              "u2-1 臺北市中正區忠孝東路一段七號\n"
              "u3-1 新北市板橋區文化路一段\n"
              "u4-1 我故宮博物院\n");
    for (const char* mode : {"--max=128", "--accurate"}) {
        const CliRun plain =
            RunCli({"filter", "--data", out(), "--text", mode, (dir / "clean.txt").string()});
        const CliRun bySound = RunCli({"filter", "--data", out(), "--text", mode, "--sound-alike",
                                       (dir / "clean.txt").string()});
        EXPECT_EQ(plain.status, kExitSuccess) << plain.err;
        EXPECT_EQ(bySound.out, plain.out) << mode;
    }
}

TEST_F(SoundAlikeData, ASoundsBlobAttachesOnlyToItsOwnLexicon) {
    vantir::tools::LoadedData data = vantir::tools::LoadDataDir(dir / "out");
    ASSERT_FALSE(data.sounds.empty());
    FilterSession* session = data.session.get();
    EXPECT_EQ(Vantir_AttachSounds(nullptr, data.sounds.data()), -5);
    EXPECT_EQ(Vantir_AttachSounds(session, data.address.data()), -103) << "not a sounds blob";
    EXPECT_EQ(Vantir_AttachSounds(session, nullptr), 0);
    // Without sounds the option is accepted and text is read by its spelling.
    EXPECT_EQ(Vantir_SetOptions(session, VANTIR_OPTION_SOUND_ALIKE), 0);
    std::vector<WordId> ids(16);
    const std::u16string misheard = u"中孝東路";
    EXPECT_EQ(Vantir_SegmentText(session, misheard.data(), static_cast<int32_t>(misheard.size()),
                                 ids.data(), 16),
              0)
        << "no lexicon word spells 中孝東路";

    // The sounds of a build with one more word: another lexicon.
    WriteFile(dir / "src" / "vocabulary.tsv", ReadFile(dir / "src" / "vocabulary.tsv") + "中\n");
    ASSERT_EQ(RunCli({"build", (dir / "src").string(), "-o", (dir / "other").string(), "--readings",
                      (dir / "readings.txt").string()})
                  .status,
              kExitSuccess);
    const std::string other = ReadFile(dir / "other" / vantir::kSoundsFileName);
    vantir::BlobBuffer otherBlob = vantir::BlobBuffer::CopyOf(other.data(), other.size());
    EXPECT_EQ(Vantir_AttachSounds(session, otherBlob.data()), -103);
    EXPECT_EQ(Vantir_AttachSounds(session, data.sounds.data()), 0);
}

TEST_F(SoundAlikeData, TheOptionNamesTheMissingSoundsFileAndPlainBuildsRemoveAStaleOne) {
    const CliRun plain = RunCli({"build", (dir / "src").string(), "-o", out()});
    ASSERT_EQ(plain.status, kExitSuccess) << plain.err;
    EXPECT_FALSE(fs::exists(dir / "out" / vantir::kSoundsFileName));
    WriteFile(dir / "text.txt", "中孝東路\n");
    const CliRun run =
        RunCli({"segment", "--data", out(), "--sound-alike", (dir / "text.txt").string()});
    EXPECT_EQ(run.status, kExitFailure);
    EXPECT_TRUE(Contains(run.err, "sounds.snd")) << run.err;
}
