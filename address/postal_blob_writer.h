// The writer of "PST" postal blobs from districts, roads and ranges; used by the
// data tools and the tests, never by an exported call.
#ifndef VANTIR_ADDRESS_POSTAL_BLOB_WRITER_H
#define VANTIR_ADDRESS_POSTAL_BLOB_WRITER_H

#include <cstdint>
#include <string>
#include <vector>

namespace vantir {

// One range line: the house numbers of a road (or of one lane or alley of
// it) that a postcode serves, in the terms of address/postal_blob.h.
struct PostalSourceRange {
    uint16_t lane = 0;
    uint16_t alley = 0;
    uint16_t low = 0;
    uint16_t high = 0;
    uint8_t lowPart = 0;
    uint8_t highPart = 0;
    uint8_t flags = 0;  // parity and kPstFloorsOnly; the writer adds kPstSecondCode
    int32_t code = 0;   // five digits
};

struct PostalSourceRoad {
    std::u16string name;
    uint8_t section = 0;
    std::vector<PostalSourceRange> ranges;  // in table order
};

struct PostalSourceDistrict {
    std::u16string county;
    std::u16string district;
    std::vector<PostalSourceRoad> roads;  // a road listed twice has its ranges joined
    std::vector<std::u16string> absent;   // roads the vocabulary lacks
};

// The complete blob in the layout of address/postal_blob.h, or empty with a
// reason in *error: a district listed twice, a district whose codes begin with
// more than two three-digit heads, a count past the layout's limits.
std::vector<uint8_t> WritePostalBlob(const std::vector<PostalSourceDistrict>& districts,
                                     std::string* error);

}  // namespace vantir

#endif  // VANTIR_ADDRESS_POSTAL_BLOB_WRITER_H
