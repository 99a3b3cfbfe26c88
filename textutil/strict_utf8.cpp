// Strict UTF-8 decoding by the table of well-formed byte sequences, and UTF-16
// encoding that keeps lone surrogates out of the output.
#include "textutil/strict_utf8.h"

#include "vantir/types.h"

namespace vantir {

namespace {

constexpr uint32_t kContinuationMask = 0xC0;
constexpr uint32_t kContinuationBits = 0x80;
constexpr uint32_t kSixBits = 0x3F;
constexpr uint32_t kFirstSurrogate = 0xD800;
constexpr uint32_t kFirstLowSurrogate = 0xDC00;
constexpr uint32_t kLastSurrogate = 0xDFFF;
constexpr uint32_t kFirstSupplementary = 0x10000;
constexpr uint32_t kReplacement = 0xFFFD;
constexpr uint32_t kLastOneByte = 0x7F;
constexpr uint32_t kLastTwoBytes = 0x7FF;

// What a lead byte starts: the sequence's length, the bits it carries, and
// the range its second byte must lie in. The narrower second-byte ranges are
// what exclude overlong forms (E0, F0), surrogates (ED) and values above
// U+10FFFF (F4); C0, C1 and F5..FF start nothing.
struct LeadRule {
    int32_t length;  // 0: not a lead byte
    uint32_t valueMask;
    uint32_t secondLow;
    uint32_t secondHigh;
};

LeadRule RuleOf(uint32_t lead) {
    if (lead <= kLastOneByte) return {1, 0x7F, 0, 0};
    if (lead < 0xC2) return {0, 0, 0, 0};
    if (lead <= 0xDF) return {2, 0x1F, 0x80, 0xBF};
    if (lead == 0xE0) return {3, 0x0F, 0xA0, 0xBF};
    if (lead == 0xED) return {3, 0x0F, 0x80, 0x9F};
    if (lead <= 0xEF) return {3, 0x0F, 0x80, 0xBF};
    if (lead == 0xF0) return {4, 0x07, 0x90, 0xBF};
    if (lead <= 0xF3) return {4, 0x07, 0x80, 0xBF};
    if (lead == 0xF4) return {4, 0x07, 0x80, 0x8F};
    return {0, 0, 0, 0};
}

uint32_t ByteAt(const char* bytes, int32_t index) {
    return static_cast<unsigned char>(bytes[index]);
}

}  // namespace

int32_t DecodeUtf8Strict(const char* bytes, int32_t length, char16_t* out, int32_t capacity) {
    if (length < 0 || capacity < 0 || (bytes == nullptr && length > 0) ||
        (out == nullptr && capacity > 0)) {
        return VANTIR_INVALID_ARGUMENT;
    }
    int32_t units = 0;
    auto put = [&](uint32_t unit) {
        if (units < capacity) out[units] = static_cast<char16_t>(unit);
        ++units;
    };
    int32_t at = 0;
    while (at < length) {
        const uint32_t lead = ByteAt(bytes, at);
        const LeadRule rule = RuleOf(lead);
        if (rule.length == 0 || rule.length > length - at) return VANTIR_INVALID_ARGUMENT;
        uint32_t value = lead & rule.valueMask;
        for (int32_t k = 1; k < rule.length; ++k) {
            const uint32_t next = ByteAt(bytes, at + k);
            const bool inRange = k == 1 ? (next >= rule.secondLow && next <= rule.secondHigh)
                                        : (next & kContinuationMask) == kContinuationBits;
            if (!inRange) return VANTIR_INVALID_ARGUMENT;
            value = (value << 6) | (next & kSixBits);
        }
        at += rule.length;
        if (value >= kFirstSupplementary) {
            value -= kFirstSupplementary;
            put(kFirstSurrogate + (value >> 10));
            put(kFirstLowSurrogate + (value & 0x3FF));
        } else {
            put(value);
        }
    }
    return units;
}

int32_t EncodeUtf16AsUtf8(const char16_t* units, int32_t length, char* out, int32_t capacity) {
    if (length < 0 || capacity < 0 || (units == nullptr && length > 0) ||
        length > kMaxEncodableUnits || (out == nullptr && capacity > 0)) {
        return VANTIR_INVALID_ARGUMENT;
    }
    // Code points first, so that the length is known before anything is written.
    auto pointAt = [&](int32_t i, int32_t* taken) -> uint32_t {
        const uint32_t unit = units[i];
        *taken = 1;
        if (unit < kFirstSurrogate || unit > kLastSurrogate) return unit;
        if (unit < kFirstLowSurrogate && i + 1 < length && units[i + 1] >= kFirstLowSurrogate &&
            units[i + 1] <= kLastSurrogate) {
            *taken = 2;
            return kFirstSupplementary + ((unit - kFirstSurrogate) << 10) +
                   (units[i + 1] - kFirstLowSurrogate);
        }
        return kReplacement;
    };
    auto bytesOf = [](uint32_t point) -> int32_t {
        if (point <= kLastOneByte) return 1;
        if (point <= kLastTwoBytes) return 2;
        return point < kFirstSupplementary ? 3 : 4;
    };
    int32_t total = 0;
    for (int32_t i = 0, taken = 0; i < length; i += taken)
        total += bytesOf(pointAt(i, &taken));
    if (total > capacity) return total;

    auto* at = reinterpret_cast<unsigned char*>(out);
    for (int32_t i = 0, taken = 0; i < length; i += taken) {
        const uint32_t point = pointAt(i, &taken);
        const int32_t n = bytesOf(point);
        static constexpr uint32_t kLeadBits[5] = {0, 0x00, 0xC0, 0xE0, 0xF0};
        at[0] = static_cast<unsigned char>(kLeadBits[n] | (point >> (6 * (n - 1))));
        for (int32_t k = 1; k < n; ++k) {
            at[k] = static_cast<unsigned char>(kContinuationBits |
                                               ((point >> (6 * (n - 1 - k))) & kSixBits));
        }
        at += n;
    }
    return total;
}

}  // namespace vantir
