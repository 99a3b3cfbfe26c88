// Postal look-ups on the "PST" blob: whether a district's ranges hold a road with
// its section, lane, alley and house number, and the postcode they give it.
#ifndef VANTIR_ADDRESS_POSTAL_LOOKUP_H
#define VANTIR_ADDRESS_POSTAL_LOOKUP_H

#include <cstdint>

#include "address/postal_blob.h"

namespace vantir {

// The parts of an address a look-up reads; a name is a name index of the blob
// (FindPostalName), kPostalNotSaid when the address has none and
// kPostalNoSuchName when it has one the blob does not hold. Numbers are 0 when
// not said; `part` is the number after 之 (15之1: number 15, part 1).
constexpr int32_t kPostalNotSaid = -1;
constexpr int32_t kPostalNoSuchName = -2;
struct PostalQuery {
    int32_t county;
    int32_t district;
    int32_t road;
    int32_t section;
    int32_t lane;
    int32_t alley;
    int32_t number;
    int32_t part;
};

// The statuses of an answer, numbered as the public VANTIR_POSTAL_* ones.
constexpr int32_t kPostalUnknown = 0;   // no road, or no district the blob knows
constexpr int32_t kPostalNumber = 1;    // a range holds the number (or the lane)
constexpr int32_t kPostalRoad = 2;      // the district holds the road; no number said
constexpr int32_t kPostalNotFound = 3;  // no such road, section, lane or number there

// What the ranges say of an address: the status (kPostal* above), the code
// (five digits with a range, the district's three without, -1 unknown), the
// district and the range that decided (-1 for none).
struct PostalAnswer {
    int32_t status;
    int32_t code;
    int32_t district;
    int32_t range;
};

// The district index of the county and district names; with the county not
// said, the district of that name when only one county has one. -1 otherwise.
int32_t FindPostalDistrict(const PostalView& view, int32_t county, int32_t district);

// The answer for the query in the district of index `district`, whose road
// the query names (road >= 0 or kPostalNoSuchName).
PostalAnswer AnswerInDistrict(const PostalView& view, uint32_t district, const PostalQuery& query);

// The answer for the query: unknown without a district the blob knows or
// without a road, else AnswerInDistrict.
PostalAnswer AnswerPostal(const PostalView& view, const PostalQuery& query);

// True for the statuses that confirm an address (number or road held).
bool PostalConfirms(int32_t status);

// The other districts of the query's county whose ranges confirm the query's
// road, section, lane and number, in blob order, at most `capacity` of them,
// into districts[]; returns how many.
int32_t OtherDistrictsHolding(const PostalView& view, const PostalQuery& query,
                              uint32_t sayingDistrict, int32_t* districts, int32_t capacity);

}  // namespace vantir

#endif  // VANTIR_ADDRESS_POSTAL_LOOKUP_H
