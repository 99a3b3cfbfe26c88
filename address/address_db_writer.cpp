// Lays out an "ADDR" blob: counts, offsets arrays, name areas, tag bytes.
// Every field is little-endian; names are stored back to back with their 0 unit.
#include "address/address_db_writer.h"

#include "address/address_db.h"
#include "textutil/blob_header.h"

namespace vantir {

namespace {

void PutU32(uint8_t* at, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        *at++ = static_cast<uint8_t>(value >> shift);
}

void AppendU32(std::vector<uint8_t>& out, uint32_t value) {
    out.resize(out.size() + kAddrOffsetBytes);
    PutU32(out.data() + out.size() - kAddrOffsetBytes, value);
}

void AppendUnits(std::vector<uint8_t>& out, const std::u16string& text) {
    for (char16_t unit : text) {
        out.push_back(static_cast<uint8_t>(unit & 0xFF));
        out.push_back(static_cast<uint8_t>(unit >> 8));
    }
    out.push_back(0);
    out.push_back(0);
}

void AppendNameOffsets(std::vector<uint8_t>& out, const std::vector<RegionPair>& pairs,
                       bool upper) {
    uint32_t offset = 0;
    AppendU32(out, offset);
    for (const RegionPair& pair : pairs) {
        offset += static_cast<uint32_t>((upper ? pair.upper : pair.lower).size() + 1);
        AppendU32(out, offset);
    }
}

}  // namespace

std::vector<uint8_t> WriteAddressDb(const AddressDbSource& source) {
    std::vector<uint8_t> out(kAddrArraysStart, 0);
    const uint32_t wordCount = static_cast<uint32_t>(source.wordTags.size());
    PutU32(out.data() + kAddrTagOffsetCountAt, wordCount + 1);
    PutU32(out.data() + kAddrUnusedValueAt, source.unusedValue);
    PutU32(out.data() + kAddrRegionPairCountAt, static_cast<uint32_t>(source.regionPairs.size()));

    uint32_t tagOffset = 0;
    AppendU32(out, tagOffset);
    for (const std::vector<uint8_t>& tags : source.wordTags) {
        tagOffset += static_cast<uint32_t>(tags.size());
        AppendU32(out, tagOffset);
    }
    AppendNameOffsets(out, source.regionPairs, true);
    AppendNameOffsets(out, source.regionPairs, false);
    for (const RegionPair& pair : source.regionPairs)
        AppendUnits(out, pair.upper);
    for (const RegionPair& pair : source.regionPairs)
        AppendUnits(out, pair.lower);
    for (const std::vector<uint8_t>& tags : source.wordTags) {
        out.insert(out.end(), tags.begin(), tags.end());
    }
    WriteBlobHeader(out.data(), static_cast<uint32_t>(out.size()), kAddressDbTag,
                    kAddressDbVersion);
    return out;
}

}  // namespace vantir
