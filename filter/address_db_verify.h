// Structural check of a stored "ADDR" address database against the number of
// bytes the host really holds, for blobs loaded from storage that may be damaged.
#ifndef VANTIR_FILTER_ADDRESS_DB_VERIFY_H
#define VANTIR_FILTER_ADDRESS_DB_VERIFY_H

#include <cstdint>

namespace vantir {

// True when a blob whose header already names "ADDR" version 1 is sound within
// `size` bytes: the offsets arrays and both name areas end inside `size`, the
// tag offsets are non-decreasing within the tag bytes that follow, the name
// offsets are non-decreasing inside their area, and every region name ends
// with a 0 unit inside its area. Reads nothing at or past `size`.
bool AddressDbIsSound(const unsigned char* blob, uint64_t size);

}  // namespace vantir

#endif  // VANTIR_FILTER_ADDRESS_DB_VERIFY_H
