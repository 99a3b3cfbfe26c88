// Text conversions: UTF-8 to and from wide text, widened bytes, the printable
// escaped form, and signed integers to and from text.
#include <cstdint>

#include "vantir/textutil.h"

namespace vantir {

// UTF-8 to and from wide text, one 16-bit unit at a time. A surrogate unit is
// carried alone in a four-byte form (0xF0 lead, then its 16 bits in three parts).
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

// Widening single-byte text to wide text. Each byte is sign-extended, so bytes
// 0x80..0xFF become units 0xFF80..0xFFFF.
namespace {

char16_t WidenByte(char byte) {
    return static_cast<char16_t>(static_cast<int32_t>(static_cast<signed char>(byte)));
}

}  // namespace

void BytesToWide(const char* source, char16_t* destination, int32_t count) {
    if (source == nullptr || destination == nullptr || count <= 0) return;
    for (int32_t i = 0; i < count; i++)
        destination[i] = WidenByte(source[i]);
}

// With no room even for the terminator nothing is written.
char16_t* StrToWideN(const char* source, char16_t* destination, int32_t capacity) {
    if (destination == nullptr) return nullptr;
    if (capacity <= 0) return destination;
    int32_t written = 0;
    if (source != nullptr) {
        while (written < capacity - 1 && source[written] != 0) {
            destination[written] = WidenByte(source[written]);
            written++;
        }
    }
    destination[written] = 0;
    return destination;
}

// Printable escaped form of wide text: units 0x20..0x7E as themselves, every
// other unit as "&(0x" + lower-case hexadecimal + ")".
namespace {

constexpr int32_t kFirstPrintable = 0x20;
constexpr int32_t kLastPrintable = 0x7E;
constexpr int32_t kHexRadix = 16;
constexpr char kEscapeOpen[] = "&(0x";
constexpr char kEscapeClose[] = ")";
constexpr int32_t kEscapeOpenLength = sizeof kEscapeOpen - 1;
constexpr int32_t kEscapeCloseLength = sizeof kEscapeClose - 1;
constexpr int32_t kHexDigitsRoom = 8;  // a 16-bit unit needs at most 4

// Returned for a null destination; never written through.
constexpr char kEmptyText[] = "";

bool IsPrintable(int32_t unit) {
    return unit >= kFirstPrintable && unit <= kLastPrintable;
}

}  // namespace

// Stops at the first unit that does not fit whole, so the result never ends in
// a partial escape. With no room at all the destination is left untouched.
char* WideToEscapedStr(const char16_t* source, char* destination, int32_t capacity) {
    if (destination == nullptr) return const_cast<char*>(kEmptyText);
    if (capacity <= 0) return destination;
    destination[0] = 0;
    if (source == nullptr) return destination;
    int32_t used = 0;
    for (const char16_t* at = source; *at != 0; at++) {
        const int32_t unit = *at;
        if (IsPrintable(unit)) {
            if (used + 1 >= capacity) break;
            destination[used++] = static_cast<char>(unit);
            continue;
        }
        char hex[kHexDigitsRoom];
        IntToText(unit, hex, kHexRadix);
        const int32_t hexLength = StrLen(hex);
        const int32_t escapeLength = kEscapeOpenLength + hexLength + kEscapeCloseLength;
        if (used + escapeLength >= capacity) break;
        MemCopyN(destination + used, kEscapeOpen, kEscapeOpenLength);
        MemCopyN(destination + used + kEscapeOpenLength, hex, hexLength);
        MemCopyN(destination + used + kEscapeOpenLength + hexLength, kEscapeClose,
                 kEscapeCloseLength);
        used += escapeLength;
    }
    destination[used] = 0;
    return destination;
}

// Signed 32-bit integers to byte or wide text in radix 2..36, lower-case digits.
// Digits are produced least significant first and the text is reversed at the end.
namespace {

constexpr int32_t kMinRadix = 2;
constexpr int32_t kMaxRadix = 36;
constexpr uint32_t kDecimalDigits = 10;

template <typename Unit>
Unit DigitUnit(uint32_t digit) {
    return static_cast<Unit>(digit < kDecimalDigits ? '0' + digit : 'a' + (digit - kDecimalDigits));
}

template <typename Unit>
void ReverseUnits(Unit* first, Unit* last) {
    while (first < last) {
        const Unit kept = *first;
        *first++ = *last;
        *last-- = kept;
    }
}

// The magnitude is taken in unsigned arithmetic, so the most negative value
// prints in full. A radix outside 2..36 leaves the empty text: radix 1 would
// never reach a zero quotient and larger radixes have no digit letters.
template <typename Unit>
Unit* IntegerToText(int32_t value, Unit* destination, int32_t radix) {
    if (destination == nullptr) return nullptr;
    destination[0] = 0;
    if (radix < kMinRadix || radix > kMaxRadix) return destination;
    const uint32_t base = static_cast<uint32_t>(radix);
    uint32_t magnitude =
        value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    int32_t used = 0;
    do {
        destination[used++] = DigitUnit<Unit>(magnitude % base);
        magnitude /= base;
    } while (magnitude != 0);
    if (value < 0) destination[used++] = '-';
    destination[used] = 0;
    ReverseUnits(destination, destination + used - 1);
    return destination;
}

}  // namespace

char* IntToText(int32_t value, char* destination, int32_t radix) {
    return IntegerToText(value, destination, radix);
}

char16_t* IntToWText(int32_t value, char16_t* destination, int32_t radix) {
    return IntegerToText(value, destination, radix);
}

// Decimal text (an optional leading '-' then digits) to a signed 32-bit value.
// Anything else in the text makes the whole result 0.
namespace {

constexpr uint32_t kDecimalBase = 10;

// Accumulated unsigned: values beyond the 32-bit range wrap to their two's
// complement remainder instead of overflowing a signed integer.
template <typename Unit>
int32_t DecimalValue(const Unit* text) {
    if (text == nullptr) return 0;
    const bool negative = text[0] == '-';
    uint32_t value = 0;
    for (const Unit* at = negative ? text + 1 : text; *at != 0; at++) {
        if (*at < '0' || *at > '9') return 0;
        value = value * kDecimalBase + static_cast<uint32_t>(*at - '0');
    }
    if (negative) value = 0u - value;
    return static_cast<int32_t>(value);
}

}  // namespace

int32_t TextToInt(const char* text) {
    return DecimalValue(text);
}
int32_t WTextToInt(const char16_t* text) {
    return DecimalValue(text);
}

}  // namespace vantir
