// Score values of the bigram model: the stored range, the not-listed score of
// strict mode and the one-byte encoding of a score as its negation.
#ifndef VANTIR_BIGRAM_SCORE_CODES_H
#define VANTIR_BIGRAM_SCORE_CODES_H

#include <cstdint>

namespace vantir {

constexpr int32_t kBestScore = 0;
constexpr int32_t kWorstStoredScore = -255;
// Strict-mode answer for a pair that neither the rows nor the extra table list.
constexpr int32_t kNotListedScore = -10000;
// An extra-table score or a strict row score is used only from this value up;
// anything lower falls through to the next source.
constexpr int32_t kLowestUsableScore = -254;

// Scores outside the stored range are pulled to its nearer end.
inline int32_t ClampScore(int32_t score) {
    if (score > kBestScore) return kBestScore;
    if (score < kWorstStoredScore) return kWorstStoredScore;
    return score;
}

// A stored score byte b stands for the score -b.
inline uint8_t ScoreToByte(int32_t clampedScore) {
    return static_cast<uint8_t>(-clampedScore);
}
inline int32_t ByteToScore(uint8_t byte) {
    return -static_cast<int32_t>(byte);
}

// Midpoint of two statistics, truncated toward zero, without overflow.
inline int32_t TruncatedMidpoint(int32_t a, int32_t b) {
    return static_cast<int32_t>((static_cast<int64_t>(a) + b) / 2);
}

}  // namespace vantir

#endif  // VANTIR_BIGRAM_SCORE_CODES_H
