// The writer of "ADDR" address database blobs, from word tag lists and region
// pairs; used by the data tools and the tests, never by an exported call.
#ifndef VANTIR_ADDRESS_ADDRESS_DB_WRITER_H
#define VANTIR_ADDRESS_ADDRESS_DB_WRITER_H

#include <cstdint>
#include <string>
#include <vector>

namespace vantir {

struct RegionPair {
    std::u16string upper;
    std::u16string lower;
};

struct AddressDbSource {
    std::vector<std::vector<uint8_t>> wordTags;  // entry w: the tags of word w
    std::vector<RegionPair> regionPairs;         // in table order
    uint32_t unusedValue = 0;                    // the value stored at kAddrUnusedValueAt
};

// The complete blob in the layout of address/address_db.h: header, T = words + 1
// tag offsets, the region pair table and the tag bytes, with the total size in
// the header.
std::vector<uint8_t> WriteAddressDb(const AddressDbSource& source);

}  // namespace vantir

#endif  // VANTIR_ADDRESS_ADDRESS_DB_WRITER_H
