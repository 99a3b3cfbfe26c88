// Byte-safe little-endian loads and stores for the stored blob formats. Blobs are
// read in place at whatever alignment and byte order the host has, so fields go through memcpy.
#ifndef VANTIR_TEXTUTIL_BYTE_ORDER_H
#define VANTIR_TEXTUTIL_BYTE_ORDER_H

#include <bit>
#include <cstdint>
#include <cstring>

namespace vantir {

// Stored fields are little-endian; a big-endian host swaps them on every load
// and store. Mixed-endian hosts are not supported.
static_assert(std::endian::native == std::endian::little || std::endian::native == std::endian::big,
              "stored blobs are little-endian; the host must be little- or big-endian");
constexpr bool kHostIsLittleEndian = std::endian::native == std::endian::little;

constexpr uint16_t SwapBytes16(uint16_t value) {
    return static_cast<uint16_t>((value >> 8) | (value << 8));
}
constexpr uint32_t SwapBytes32(uint32_t value) {
    return (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
}
constexpr uint16_t LittleEndian16(uint16_t value) {
    return kHostIsLittleEndian ? value : SwapBytes16(value);
}
constexpr uint32_t LittleEndian32(uint32_t value) {
    return kHostIsLittleEndian ? value : SwapBytes32(value);
}

inline uint32_t LoadU32(const void* at) {
    uint32_t value;
    std::memcpy(&value, at, sizeof value);
    return LittleEndian32(value);
}

inline int32_t LoadI32(const void* at) {
    return static_cast<int32_t>(LoadU32(at));
}

inline uint16_t LoadU16(const void* at) {
    uint16_t value;
    std::memcpy(&value, at, sizeof value);
    return LittleEndian16(value);
}

inline void StoreU32(void* at, uint32_t value) {
    value = LittleEndian32(value);
    std::memcpy(at, &value, sizeof value);
}
inline void StoreI32(void* at, int32_t value) {
    StoreU32(at, static_cast<uint32_t>(value));
}
inline void StoreU16(void* at, uint16_t value) {
    value = LittleEndian16(value);
    std::memcpy(at, &value, sizeof value);
}

// Element i of a stored array of 32-bit fields or 16-bit units that starts at `base`.
inline int32_t LoadI32At(const void* base, int64_t i) {
    return LoadI32(static_cast<const unsigned char*>(base) + i * 4);
}
inline uint32_t LoadU32At(const void* base, int64_t i) {
    return LoadU32(static_cast<const unsigned char*>(base) + i * 4);
}
inline char16_t LoadStoredUnitAt(const void* base, int64_t i) {
    return static_cast<char16_t>(LoadU16(static_cast<const unsigned char*>(base) + i * 2));
}

// Unit i of text in the host's own byte order (a caller's key, added words, the
// host-order copy of a lexicon's static words) at any alignment.
inline char16_t LoadUnitAt(const void* base, int64_t i) {
    char16_t unit;
    std::memcpy(&unit, static_cast<const unsigned char*>(base) + i * 2, sizeof unit);
    return unit;
}

// Copies `count` stored units to host-order text.
inline void LoadStoredUnits(char16_t* destination, const void* source, int64_t count) {
    for (int64_t i = 0; i < count; i++)
        destination[i] = LoadStoredUnitAt(source, i);
}

}  // namespace vantir

#endif  // VANTIR_TEXTUTIL_BYTE_ORDER_H
