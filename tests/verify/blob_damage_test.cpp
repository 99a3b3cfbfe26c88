// Damaged copies of sound blobs: every prefix and many random byte changes.
// Verification must never read past the bytes held, must refuse every prefix
// that cuts into the data, and whatever it accepts must then be safe to attach
// and use (the workouts read everything; AddressSanitizer watches the bounds).
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "bigram/blob_layout.h"
#include "support/blob_workout.h"
#include "support/exact_buffer.h"
#include "support/sample_postal.h"
#include "support/sample_sounds.h"
#include "textutil/byte_order.h"

namespace vantir::testing {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kRandomDamages = 10000;
constexpr int kMaxChangedBytes = 4;

enum class Kind { kAddressDb, kModel, kLexicon, kSounds, kPostal };

class BlobDamage : public ::testing::Test {
  protected:
    // Verifies an exact-size copy and, when it is accepted, uses it.
    bool VerifyAndUse(const Bytes& bytes, Kind kind) {
        ExactBuffer blob(bytes.data(), bytes.size());
        if (Vantir_VerifyBlob(blob.data(), blob.size()) != 0) return false;
        std::string failed;
        switch (kind) {
            case Kind::kAddressDb:
                failed = UseAddressDb(world_, blob.data());
                break;
            case Kind::kModel:
                failed = UseModelBlob(blob.data(), blob.size());
                break;
            case Kind::kLexicon:
                failed = UseLexiconBlob(blob.data());
                break;
            case Kind::kSounds:
                failed = UseSoundsBlob(world_, blob.data());
                break;
            case Kind::kPostal:
                failed = UsePostalBlob(world_, blob.data());
                break;
        }
        EXPECT_EQ(failed, "");
        return true;
    }

    // Every prefix: those shorter than `dataEnd` are refused, the others used.
    void CheckPrefixes(const Bytes& sound, Kind kind, size_t dataEnd) {
        for (size_t size = 0; size <= sound.size(); size++) {
            const Bytes prefix(sound.begin(), sound.begin() + static_cast<long>(size));
            EXPECT_EQ(VerifyAndUse(prefix, kind), size >= dataEnd) << "prefix " << size;
            if (HasFailure()) return;
        }
    }

    // One to four bytes set to random values; returns how many copies passed.
    int CheckRandomDamage(const Bytes& sound, Kind kind, uint32_t seed) {
        std::mt19937 random(seed);
        std::uniform_int_distribution<size_t> place(0, sound.size() - 1);
        std::uniform_int_distribution<int> value(0, 255);
        std::uniform_int_distribution<int> changes(1, kMaxChangedBytes);
        int accepted = 0;
        for (int round = 0; round < kRandomDamages; round++) {
            Bytes damaged = sound;
            for (int k = changes(random); k > 0; k--)
                damaged[place(random)] = static_cast<uint8_t>(value(random));
            if (VerifyAndUse(damaged, kind)) accepted++;
            if (HasFailure()) {
                ADD_FAILURE() << "round " << round;
                break;
            }
        }
        return accepted;
    }

    // Flips of one bit at every position of the data.
    void CheckEveryBitFlip(const Bytes& sound, Kind kind) {
        for (size_t at = 0; at < sound.size(); at++) {
            for (int bit = 0; bit < 8; bit++) {
                Bytes damaged = sound;
                damaged[at] ^= static_cast<uint8_t>(1u << bit);
                VerifyAndUse(damaged, kind);
                if (HasFailure()) {
                    ADD_FAILURE() << "byte " << at << " bit " << bit;
                    return;
                }
            }
        }
    }

    void SetUp() override { ASSERT_TRUE(world_.attached); }

    AttachedWorld world_;
};

TEST_F(BlobDamage, AddressDbPrefixes) {
    const Bytes& sound = world_.blobs.addressDb;
    // The tag offsets end at the last tag byte, so every byte counts.
    CheckPrefixes(sound, Kind::kAddressDb, sound.size());
}

TEST_F(BlobDamage, ModelPrefixes) {
    const Bytes& sound = world_.blobs.model;
    const int64_t words = int64_t{LoadI32(sound.data() + kStaticCountOffset)} +
                          LoadI32(sound.data() + kAddedCapacityOffset);
    const int64_t slots = int64_t{LoadI32(sound.data() + kPairCountOffset)} +
                          LoadI32(sound.data() + kSparePairsOffset);
    const size_t dataEnd =
        static_cast<size_t>(kFixedBlobBytes + kBytesPerWord * words + kBytesPerPair * slots);
    ASSERT_LE(dataEnd, sound.size());
    CheckPrefixes(sound, Kind::kModel, dataEnd);
}

TEST_F(BlobDamage, LexiconPrefixes) {
    const Bytes& sound = world_.blobs.lexicon;
    // The words end at the last non-zero unit; only padding may follow.
    size_t dataEnd = sound.size();
    while (sound[dataEnd - 1] == 0 && sound[dataEnd - 2] == 0)
        dataEnd -= 2;
    CheckPrefixes(sound, Kind::kLexicon, dataEnd);
}

TEST_F(BlobDamage, SoundsPrefixes) {
    const Bytes sound = SmallSoundsBlob(world_.lexicon);
    // The entries end the blob, and the header's size must be the tables' size.
    CheckPrefixes(sound, Kind::kSounds, sound.size());
}

TEST_F(BlobDamage, SoundsRandomDamage) {
    const int accepted = CheckRandomDamage(SmallSoundsBlob(world_.lexicon), Kind::kSounds, 4);
    // Damage to readings' code points and to the entries' word ids may keep the order.
    EXPECT_GT(accepted, 0);
    EXPECT_LT(accepted, kRandomDamages);
}

TEST_F(BlobDamage, PostalPrefixes) {
    const Bytes postal = SmallPostalBlob();
    ASSERT_FALSE(postal.empty());
    // The absent roads end the blob, and the header's size must be the tables' size.
    CheckPrefixes(postal, Kind::kPostal, postal.size());
}

TEST_F(BlobDamage, PostalRandomDamage) {
    const int accepted = CheckRandomDamage(SmallPostalBlob(), Kind::kPostal, 5);
    // Damage to a range's code or to a bound that keeps its order passes.
    EXPECT_GT(accepted, 0);
    EXPECT_LT(accepted, kRandomDamages);
}

TEST_F(BlobDamage, AddressDbRandomDamage) {
    const int accepted = CheckRandomDamage(world_.blobs.addressDb, Kind::kAddressDb, 1);
    // Damage to tag bytes and name units keeps the structure, so some pass.
    EXPECT_GT(accepted, 0);
    EXPECT_LT(accepted, kRandomDamages);
}

TEST_F(BlobDamage, ModelRandomDamage) {
    const int accepted = CheckRandomDamage(world_.blobs.model, Kind::kModel, 2);
    EXPECT_GT(accepted, 0);
    EXPECT_LT(accepted, kRandomDamages);
}

TEST_F(BlobDamage, LexiconRandomDamage) {
    const int accepted = CheckRandomDamage(world_.blobs.lexicon, Kind::kLexicon, 3);
    EXPECT_GT(accepted, 0);
    EXPECT_LT(accepted, kRandomDamages);
}

TEST_F(BlobDamage, EveryBitFlipOfSmallBlobs) {
    CheckEveryBitFlip(WriteAddressDb({{33}, {8, 17}, {}}, {{u"ab", u"c"}, {u"d", u""}}),
                      Kind::kAddressDb);
    CheckEveryBitFlip(world_.blobs.lexicon, Kind::kLexicon);
    BigramModel* model = BigramModel_Create(nullptr);
    int32_t size = 0;
    void* blob = BigramModel_NewBlob(model, 3, 5, &size);
    WordId first[] = {-1, 0, 0, 2};
    WordId second[] = {2, -1, 1, 2};
    int32_t scores[] = {-1, -2, -3, -4};
    BigramModel_SetBigramScores(model, first, second, scores, 4);
    const Bytes small = CopyBlob(blob, size);
    BigramModel_Destroy(model);
    CheckEveryBitFlip(small, Kind::kModel);
}

}  // namespace
}  // namespace vantir::testing
