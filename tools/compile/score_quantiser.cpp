// Quantisation of log10 probabilities into score bytes and back.
// Rounding is to the nearest byte, halves away from zero.
#include "tools/compile/score_quantiser.h"

#include <cmath>

namespace vantir::tools {

uint8_t QuantiseLog10(double log10Value, uint8_t maxByte) {
    if (std::isnan(log10Value)) return maxByte;
    if (log10Value >= 0) return 0;
    const double scaled = std::round(-log10Value * kScoreBytesPerDecade);
    if (scaled >= maxByte) return maxByte;
    return static_cast<uint8_t>(scaled);
}

double ByteToLog10(uint8_t byte) {
    return -static_cast<double>(byte) / kScoreBytesPerDecade;
}

}  // namespace vantir::tools
