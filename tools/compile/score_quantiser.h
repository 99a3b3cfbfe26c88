// Mapping between log10 probabilities and the one-byte scores of the model:
// byte b stands for the score -b, and 32 bytes make one decade of probability.
#ifndef VANTIR_TOOLS_SCORE_QUANTISER_H
#define VANTIR_TOOLS_SCORE_QUANTISER_H

#include <cstdint>

namespace vantir::tools {

// Score bytes per factor 10 of probability: byte = round(-32 * log10 p).
constexpr double kScoreBytesPerDecade = 32.0;

// Unigram and back-off bytes use the whole byte.
constexpr uint8_t kMaxScoreByte = 255;

// A listed pair is stored with at most 254 (score -254), so that every pair of
// the model passes the filter's strictest test (a score above -255); 255 would
// make a listed pair count as forbidden where that test applies.
constexpr uint8_t kMaxListedPairByte = 254;

// round(-32 * log10Value), clamped to 0..maxByte. Values at or above 0
// (probability 1, or a back-off weight above 1) give 0; -inf and NaN give
// maxByte.
uint8_t QuantiseLog10(double log10Value, uint8_t maxByte);

// The log10 value a byte stands for: -byte / 32.
double ByteToLog10(uint8_t byte);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_SCORE_QUANTISER_H
