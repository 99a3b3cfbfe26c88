// Producer of "ADDR" address database blobs from word tag lists and region pairs.
// Tooling only: the library reads this format but never writes it.
#ifndef VANTIR_TOOLS_ADDRESS_DB_WRITER_H
#define VANTIR_TOOLS_ADDRESS_DB_WRITER_H

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vantir::tools {

struct RegionPair {
    std::u16string upper;
    std::u16string lower;
};

struct AddressDbSource {
    std::vector<std::vector<uint8_t>> wordTags;  // entry w: the tags of word w
    std::vector<RegionPair> regionPairs;         // in table order
    uint32_t unusedValue = 0;                    // the value stored at offset 68
};

// The complete blob: header, T = words + 1 tag offsets, the region pair table
// and the tag bytes, with the total size in the header.
std::vector<uint8_t> WriteAddressDb(const AddressDbSource& source);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_ADDRESS_DB_WRITER_H
