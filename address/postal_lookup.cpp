// The range rules of the postal table: parity, both ends included, 之 numbers
// between a number and the next, lanes by their own lines or their position.
#include "address/postal_lookup.h"

namespace vantir {

namespace {

// Where a position is looked for: the lines of the road itself (lane and
// alley 0), of one lane, or of one alley.
struct Container {
    int32_t lane;
    int32_t alley;
};

// A place along a container: a house number with its 之 part, or the number
// of a lane or alley that leaves it there (no 之 number: 0).
struct Position {
    int32_t number;
    int32_t part;
};

bool InContainer(const PostalRange& range, const Container& container) {
    return range.lane == container.lane && range.alley == container.alley;
}

bool HasLines(const PostalView& view, uint32_t first, uint32_t end, const Container& container) {
    for (uint32_t g = first; g < end; ++g) {
        if (InContainer(RangeAt(view, g), container)) return true;
    }
    return false;
}

bool Holds(const PostalRange& range, const Position& at) {
    const uint8_t parity = range.flags & kPstParityMask;
    if (parity == kPstOdd && at.number % 2 == 0) return false;
    if (parity == kPstEven && at.number % 2 != 0) return false;
    if (at.number < range.low || (at.number == range.low && at.part < range.lowPart)) return false;
    if (at.number > range.high) return false;
    return at.number < range.high || range.highPart == kPstEveryPart || at.part <= range.highPart;
}

// How much a range holds, to prefer the narrowest: a building's own number
// over the stretch around it.
uint32_t Span(const PostalRange& range) {
    return (uint32_t{range.high} - range.low) * 256u + range.highPart - range.lowPart;
}

// The range of the container that holds the position: lines for some floors
// or one wing only when no other line holds it, then the narrowest, then the
// first. -1 for none.
int32_t BestRange(const PostalView& view, uint32_t first, uint32_t end, const Container& container,
                  const Position& at) {
    int32_t best = -1;
    PostalRange bestRange{};
    for (uint32_t g = first; g < end; ++g) {
        const PostalRange range = RangeAt(view, g);
        if (!InContainer(range, container) || !Holds(range, at)) continue;
        if (best >= 0) {
            const bool floors = (range.flags & kPstFloorsOnly) != 0;
            const bool bestFloors = (bestRange.flags & kPstFloorsOnly) != 0;
            if (floors && !bestFloors) continue;
            if (floors == bestFloors && Span(range) >= Span(bestRange)) continue;
        }
        best = static_cast<int32_t>(g);
        bestRange = range;
    }
    return best;
}

// The code all lines of a container share, or -1 when they differ.
int32_t SharedCode(const PostalView& view, const PostalDistrict& district, uint32_t first,
                   uint32_t end, const Container& container) {
    int32_t code = -1;
    for (uint32_t g = first; g < end; ++g) {
        const PostalRange range = RangeAt(view, g);
        if (!InContainer(range, container)) continue;
        const int32_t own = RangeCode(district, range);
        if (code >= 0 && own != code) return -1;
        code = own;
    }
    return code;
}

// The road of the district with that name and section, or -1.
int32_t FindRoad(const PostalView& view, uint32_t district, int32_t name, int32_t section) {
    if (name < 0) return -1;
    uint32_t low = RoadStart(view, district);
    uint32_t high = RoadStart(view, district + 1);
    while (low < high) {
        const uint32_t mid = low + (high - low) / 2;
        const PostalRoad road = RoadAt(view, mid);
        const int32_t order =
            road.name != name ? int32_t{road.name} - name : road.section - section;
        if (order == 0) return static_cast<int32_t>(mid);
        if (order < 0) {
            low = mid + 1;
        } else {
            high = mid;
        }
    }
    return -1;
}

// The first district of the county (districts are in county order), or the
// district count when it has none.
uint32_t FirstDistrictOf(const PostalView& view, int32_t county) {
    uint32_t low = 0;
    uint32_t high = view.districtCount;
    while (low < high) {
        const uint32_t mid = low + (high - low) / 2;
        if (DistrictAt(view, mid).county < county) {
            low = mid + 1;
        } else {
            high = mid;
        }
    }
    return low;
}

}  // namespace

bool PostalConfirms(int32_t status) {
    return status == kPostalNumber || status == kPostalRoad;
}

int32_t FindPostalDistrict(const PostalView& view, int32_t county, int32_t district) {
    if (district < 0 || county == kPostalNoSuchName) return -1;
    if (county >= 0) {
        for (uint32_t d = FirstDistrictOf(view, county); d < view.districtCount; ++d) {
            const PostalDistrict record = DistrictAt(view, d);
            if (record.county != county) break;
            if (record.district == district) return static_cast<int32_t>(d);
        }
        return -1;
    }
    int32_t found = -1;
    for (uint32_t d = 0; d < view.districtCount; ++d) {
        const PostalDistrict record = DistrictAt(view, d);
        if (record.district != district) continue;
        if (found >= 0) return -1;  // several counties have it, and none was said
        found = static_cast<int32_t>(d);
    }
    return found;
}

PostalAnswer AnswerInDistrict(const PostalView& view, uint32_t district, const PostalQuery& query) {
    const PostalDistrict record = DistrictAt(view, district);
    PostalAnswer answer{kPostalNotFound, record.code, static_cast<int32_t>(district), -1};
    const int32_t road = FindRoad(view, district, query.road, query.section);
    if (road < 0) return answer;
    const uint32_t first = RangeStart(view, static_cast<uint32_t>(road));
    const uint32_t end = RangeStart(view, static_cast<uint32_t>(road) + 1);
    // The deepest container that has lines of its own decides; a lane or alley
    // without lines of its own counts as the position where it leaves the one
    // above it.
    struct Step {
        Container container;
        Position at;
    };
    Step steps[3];
    int32_t count = 0;
    const Position number{query.number, query.part};
    if (query.lane > 0 && query.alley > 0) {
        steps[count++] = Step{{query.lane, query.alley}, number};
        steps[count++] = Step{{query.lane, 0}, Position{query.alley, 0}};
    } else if (query.alley > 0) {
        steps[count++] = Step{{0, query.alley}, number};
    } else if (query.lane > 0) {
        steps[count++] = Step{{query.lane, 0}, number};
    }
    const int32_t side = query.lane > 0 ? query.lane : query.alley;
    steps[count++] = Step{{0, 0}, side > 0 ? Position{side, 0} : number};
    for (int32_t s = 0; s < count; ++s) {
        const Step& step = steps[s];
        if (!HasLines(view, first, end, step.container)) continue;
        if (step.at.number <= 0) {
            // Nothing said inside a container with lines of its own: it is held.
            const bool roadItself = step.container.lane == 0 && step.container.alley == 0;
            answer.status = roadItself ? kPostalRoad : kPostalNumber;
            if (!roadItself) {
                const int32_t code = SharedCode(view, record, first, end, step.container);
                if (code >= 0) answer.code = code;
            }
            return answer;
        }
        const int32_t range = BestRange(view, first, end, step.container, step.at);
        if (range < 0) return answer;
        answer.status = kPostalNumber;
        answer.range = range;
        answer.code = RangeCode(record, RangeAt(view, static_cast<uint32_t>(range)));
        return answer;
    }
    // Only lanes of the road lie in the district, and the address is on none of them.
    if (query.number <= 0 && side <= 0) answer.status = kPostalRoad;
    return answer;
}

PostalAnswer AnswerPostal(const PostalView& view, const PostalQuery& query) {
    PostalAnswer answer{kPostalUnknown, -1, -1, -1};
    const int32_t district = FindPostalDistrict(view, query.county, query.district);
    if (district < 0) return answer;
    answer.district = district;
    answer.code = DistrictAt(view, static_cast<uint32_t>(district)).code;
    if (query.road == kPostalNotSaid) return answer;
    return AnswerInDistrict(view, static_cast<uint32_t>(district), query);
}

int32_t OtherDistrictsHolding(const PostalView& view, const PostalQuery& query,
                              uint32_t sayingDistrict, int32_t* districts, int32_t capacity) {
    if (query.road < 0 || sayingDistrict >= view.districtCount) return 0;
    const uint16_t county = DistrictAt(view, sayingDistrict).county;
    int32_t found = 0;
    for (uint32_t d = FirstDistrictOf(view, county);
         d < view.districtCount && DistrictAt(view, d).county == county && found < capacity; ++d) {
        if (d == sayingDistrict) continue;
        if (PostalConfirms(AnswerInDistrict(view, d, query).status)) {
            districts[found++] = static_cast<int32_t>(d);
        }
    }
    return found;
}

}  // namespace vantir
