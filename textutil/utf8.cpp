// UTF-8 to and from wide text, one 16-bit unit at a time. A surrogate unit is
// carried alone in a four-byte form (0xF0 lead, then its 16 bits in three parts).
#include <cstdint>

#include "vantir/textutil.h"

namespace vantir {
namespace {

constexpr uint32_t kOneByteLimit = 0x80;   // leads below: one byte
constexpr uint32_t kThreeByteLead = 0xE0;  // leads from here: three bytes
constexpr uint32_t kFourByteLead = 0xF0;   // leads from here: four bytes
constexpr uint32_t kTwoByteLead = 0xC0;    // value bits of a two-byte lead start here
constexpr uint32_t kContinuation = 0x80;   // value bits of a following byte start here
constexpr uint32_t kSixBits = 0x3F;
constexpr uint32_t kUnitMask = 0xFFFF;
constexpr uint32_t kLastOneByteUnit = 0x7F;
constexpr uint32_t kLastTwoByteUnit = 0x7FF;
constexpr uint32_t kFirstSurrogate = 0xD800;
constexpr uint32_t kLastSurrogate = 0xDFFF;
constexpr int32_t kLongestSequence = 4;

int32_t SequenceLength(uint32_t lead) {
    if (lead < kOneByteLimit) return 1;
    if (lead < kThreeByteLead) return 2;
    if (lead < kFourByteLead) return 3;
    return 4;
}

uint32_t ByteAt(const char* bytes, int32_t index) {
    return static_cast<unsigned char>(bytes[index]);
}

// Continuation bytes are not validated; unsigned arithmetic wraps where a stray
// byte lies below its expected base, and the result is cut to 16 bits.
char16_t DecodeUnit(const char* bytes, int32_t length) {
    const uint32_t lead = ByteAt(bytes, 0);
    uint32_t unit = 0;
    switch (length) {
        case 1:
            unit = lead;
            break;
        case 2:
            unit = ((lead - kTwoByteLead) << 6) + (ByteAt(bytes, 1) - kContinuation);
            break;
        case 3:
            unit = ((lead - kThreeByteLead) << 12) + ((ByteAt(bytes, 1) - kContinuation) << 6) +
                   (ByteAt(bytes, 2) - kContinuation);
            break;
        default:
            unit = ((ByteAt(bytes, 1) - kContinuation) << 12) +
                   ((ByteAt(bytes, 2) - kContinuation) << 6) + (ByteAt(bytes, 3) - kContinuation);
            break;
    }
    return static_cast<char16_t>(unit & kUnitMask);
}

bool IsSurrogate(uint32_t unit) {
    return unit >= kFirstSurrogate && unit <= kLastSurrogate;
}

int32_t EncodedLength(uint32_t unit) {
    if (unit <= kLastOneByteUnit) return 1;
    if (unit <= kLastTwoByteUnit) return 2;
    if (IsSurrogate(unit)) return kLongestSequence;
    return 3;
}

void EncodeUnit(uint32_t unit, char* out) {
    unsigned char* bytes = reinterpret_cast<unsigned char*>(out);
    const uint32_t low = kContinuation + (unit & kSixBits);
    const uint32_t middle = kContinuation + ((unit >> 6) & kSixBits);
    switch (EncodedLength(unit)) {
        case 1:
            bytes[0] = static_cast<unsigned char>(unit);
            break;
        case 2:
            bytes[0] = static_cast<unsigned char>(kTwoByteLead + (unit >> 6));
            bytes[1] = static_cast<unsigned char>(low);
            break;
        case 3:
            bytes[0] = static_cast<unsigned char>(kThreeByteLead + (unit >> 12));
            bytes[1] = static_cast<unsigned char>(middle);
            bytes[2] = static_cast<unsigned char>(low);
            break;
        default:
            bytes[0] = static_cast<unsigned char>(kFourByteLead);
            bytes[1] = static_cast<unsigned char>(kContinuation + (unit >> 12));
            bytes[2] = static_cast<unsigned char>(middle);
            bytes[3] = static_cast<unsigned char>(low);
            break;
    }
}

}  // namespace

// The destination is cleared over its whole capacity first and the last unit is
// never written, so the result is always terminated. A sequence whose bytes run
// past the source length is not decoded: no byte at or beyond it is read.
char16_t* Utf8ToWide(const char* source, int32_t sourceLength, char16_t* destination,
                     int32_t capacity) {
    if (destination == nullptr || capacity <= 0) return nullptr;
    for (int32_t i = 0; i < capacity; i++)
        destination[i] = 0;
    if (source == nullptr) return destination;
    const int32_t length = sourceLength < 0 ? StrLen(source) : sourceLength;
    int32_t consumed = 0;
    int32_t written = 0;
    while (consumed < length && written < capacity - 1) {
        const int32_t need = SequenceLength(ByteAt(source, consumed));
        if (need > length - consumed) break;
        destination[written++] = DecodeUnit(source + consumed, need);
        consumed += need;
    }
    return destination;
}

// A unit is written only when its whole encoding fits before the last byte,
// which stays 0; the output never ends inside a sequence.
char* WideToUtf8(const char16_t* source, int32_t sourceLength, char* destination,
                 int32_t capacity) {
    if (destination == nullptr || capacity <= 0) return nullptr;
    for (int32_t i = 0; i < capacity; i++)
        destination[i] = 0;
    if (source == nullptr) return destination;
    const int32_t length = sourceLength < 0 ? WStrLen(source) : sourceLength;
    int32_t written = 0;
    for (int32_t i = 0; i < length; i++) {
        const uint32_t unit = source[i];
        const int32_t need = EncodedLength(unit);
        if (need > capacity - 1 - written) break;
        EncodeUnit(unit, destination + written);
        written += need;
    }
    return destination;
}

}  // namespace vantir
