// Byte-safe little-endian loads and stores for the stored blob formats. Blobs are
// read in place at whatever alignment the host gives, so fields go through memcpy.
#ifndef VANTIR_TEXTUTIL_BYTE_ORDER_H
#define VANTIR_TEXTUTIL_BYTE_ORDER_H

#include <bit>
#include <cstdint>
#include <cstring>

namespace vantir {

static_assert(std::endian::native == std::endian::little,
              "stored blobs are little-endian and read in place");

inline uint32_t LoadU32(const void* at) {
    uint32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

inline int32_t LoadI32(const void* at) {
    int32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

inline uint16_t LoadU16(const void* at) {
    uint16_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

inline void StoreU32(void* at, uint32_t value) { std::memcpy(at, &value, sizeof value); }
inline void StoreI32(void* at, int32_t value) { std::memcpy(at, &value, sizeof value); }
inline void StoreU16(void* at, uint16_t value) { std::memcpy(at, &value, sizeof value); }

// Element i of an array of 32-bit fields or 16-bit units that starts at `base`.
inline int32_t LoadI32At(const void* base, int64_t i) {
    return LoadI32(static_cast<const unsigned char*>(base) + i * 4);
}
inline uint32_t LoadU32At(const void* base, int64_t i) {
    return LoadU32(static_cast<const unsigned char*>(base) + i * 4);
}
inline char16_t LoadUnitAt(const void* base, int64_t i) {
    return static_cast<char16_t>(LoadU16(static_cast<const unsigned char*>(base) + i * 2));
}

}  // namespace vantir

#endif  // VANTIR_TEXTUTIL_BYTE_ORDER_H
