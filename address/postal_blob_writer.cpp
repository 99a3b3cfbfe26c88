// Lays out a "PST" blob: the sorted names, the districts with their two code
// heads, each district's roads in name order and each road's ranges.
#include "address/postal_blob_writer.h"

#include <algorithm>
#include <map>

#include "address/postal_blob.h"
#include "textutil/blob_header.h"
#include "textutil/byte_order.h"

namespace vantir {

namespace {

struct Road {
    uint16_t name;
    uint8_t section;
    std::vector<PostalSourceRange> ranges;
};

struct District {
    uint16_t county;
    uint16_t name;
    uint16_t code;
    uint16_t secondCode;
    std::vector<Road> roads;
    std::vector<uint16_t> absent;
};

void Put16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

// The district's two code heads: the one most of its ranges begin with, then
// the other; false when there are more.
bool CodeHeads(const PostalSourceDistrict& source, uint16_t* code, uint16_t* second) {
    std::map<int32_t, size_t> heads;
    for (const PostalSourceRoad& road : source.roads) {
        for (const PostalSourceRange& range : road.ranges)
            ++heads[range.code / 100];
    }
    if (heads.size() > 2) return false;
    *code = 0;
    *second = 0;
    size_t most = 0;
    for (const auto& [head, count] : heads) {
        if (count > most) {
            most = count;
            *code = static_cast<uint16_t>(head);
        }
    }
    for (const auto& [head, count] : heads) {
        if (head != *code) *second = static_cast<uint16_t>(head);
    }
    return true;
}

}  // namespace

std::vector<uint8_t> WritePostalBlob(const std::vector<PostalSourceDistrict>& sources,
                                     std::string* error) {
    std::map<std::u16string, uint32_t> names;
    for (const PostalSourceDistrict& source : sources) {
        names[source.county] = 0;
        names[source.district] = 0;
        for (const PostalSourceRoad& road : source.roads)
            names[road.name] = 0;
        for (const std::u16string& road : source.absent)
            names[road] = 0;
    }
    if (names.size() > kPstMostNames || sources.size() > kPstMostDistricts) {
        *error = "more names or districts than the postal blob numbers";
        return {};
    }
    uint32_t index = 0;
    for (auto& [name, number] : names) {
        if (name.empty()) {
            *error = "an empty name";
            return {};
        }
        number = index++;
    }
    std::vector<District> districts;
    for (const PostalSourceDistrict& source : sources) {
        District district{static_cast<uint16_t>(names[source.county]),
                          static_cast<uint16_t>(names[source.district]),
                          0,
                          0,
                          {},
                          {}};
        if (!CodeHeads(source, &district.code, &district.secondCode)) {
            *error = "a district has postcodes of more than two three-digit heads";
            return {};
        }
        std::map<std::pair<uint16_t, uint8_t>, std::vector<PostalSourceRange>> roads;
        for (const PostalSourceRoad& road : source.roads) {
            auto& ranges = roads[{static_cast<uint16_t>(names[road.name]), road.section}];
            for (PostalSourceRange range : road.ranges) {
                if (range.code / 100 != district.code) range.flags |= kPstSecondCode;
                ranges.push_back(range);
            }
        }
        for (auto& [key, ranges] : roads) {
            if (!ranges.empty()) district.roads.push_back(Road{key.first, key.second, ranges});
        }
        for (const std::u16string& road : source.absent)
            district.absent.push_back(static_cast<uint16_t>(names[road]));
        std::sort(district.absent.begin(), district.absent.end());
        district.absent.erase(std::unique(district.absent.begin(), district.absent.end()),
                              district.absent.end());
        districts.push_back(std::move(district));
    }
    std::sort(districts.begin(), districts.end(), [](const District& a, const District& b) {
        return a.county != b.county ? a.county < b.county : a.name < b.name;
    });
    for (size_t d = 1; d < districts.size(); ++d) {
        if (districts[d].county == districts[d - 1].county &&
            districts[d].name == districts[d - 1].name) {
            *error = "a district is listed twice";
            return {};
        }
    }

    std::vector<uint8_t> out(kPstNameStartsAt, 0);
    uint32_t units = 0;
    Put32(out, 0);
    for (const auto& [name, number] : names) {
        units += static_cast<uint32_t>(name.size());
        Put32(out, units);
    }
    for (const auto& [name, number] : names) {
        for (const char16_t unit : name)
            Put16(out, unit);
    }
    if (units % 2 != 0) Put16(out, 0);
    uint32_t roadCount = 0;
    uint32_t rangeCount = 0;
    uint32_t absentCount = 0;
    for (const District& district : districts) {
        Put16(out, district.county);
        Put16(out, district.name);
        Put16(out, district.code);
        Put16(out, district.secondCode);
    }
    Put32(out, 0);
    for (const District& district : districts) {
        roadCount += static_cast<uint32_t>(district.roads.size());
        Put32(out, roadCount);
    }
    for (const District& district : districts) {
        for (const Road& road : district.roads) {
            Put16(out, road.name);
            out.push_back(road.section);
            out.push_back(0);
        }
    }
    Put32(out, 0);
    for (const District& district : districts) {
        for (const Road& road : district.roads) {
            rangeCount += static_cast<uint32_t>(road.ranges.size());
            Put32(out, rangeCount);
        }
    }
    for (const District& district : districts) {
        for (const Road& road : district.roads) {
            for (const PostalSourceRange& range : road.ranges) {
                Put16(out, range.lane);
                Put16(out, range.alley);
                Put16(out, range.low);
                Put16(out, range.high);
                out.push_back(range.lowPart);
                out.push_back(range.highPart);
                out.push_back(range.flags);
                out.push_back(static_cast<uint8_t>(range.code % 100));
            }
        }
    }
    for (uint32_t d = 0; d < districts.size(); ++d) {
        for (const uint16_t name : districts[d].absent) {
            Put16(out, d);
            Put16(out, name);
            ++absentCount;
        }
    }
    if (roadCount > kPstMostRecords || rangeCount > kPstMostRecords || units > kPstMostRecords) {
        *error = "more roads or ranges than the postal blob holds";
        return {};
    }
    StoreU32(out.data() + kPstNameCountAt, static_cast<uint32_t>(names.size()));
    StoreU32(out.data() + kPstUnitCountAt, units);
    StoreU32(out.data() + kPstDistrictCountAt, static_cast<uint32_t>(districts.size()));
    StoreU32(out.data() + kPstRoadCountAt, roadCount);
    StoreU32(out.data() + kPstRangeCountAt, rangeCount);
    StoreU32(out.data() + kPstAbsentCountAt, absentCount);
    WriteBlobHeader(out.data(), static_cast<uint32_t>(out.size()), kPostalBlobTag,
                    kPostalBlobVersion);
    return out;
}

}  // namespace vantir
