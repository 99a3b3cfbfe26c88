// Postal range source (ranges.tsv): postcode, county, district, road as the postal
// table writes it and the house numbers of that range, read into the "PST" blob.
#ifndef VANTIR_TOOLS_POSTAL_SOURCE_H
#define VANTIR_TOOLS_POSTAL_SOURCE_H

#include <cstdint>
#include <string>
#include <vector>

#include "address/postal_blob_writer.h"
#include "tools/compile/diagnostics.h"
#include "tools/compile/region_reader.h"
#include "tools/compile/text_source.h"
#include "tools/compile/vocabulary_reader.h"

namespace vantir::tools {

constexpr const char* kPostalRangesName = "ranges.tsv";
// Largest number a bound may hold (the layout keeps 65535 for an open end)
// and largest 之 part (255 stands for every part).
constexpr int32_t kMostRangeNumber = 65534;
constexpr int32_t kMostRangePart = 254;
constexpr int32_t kMostRangeSection = 99;

// Reads one house-number text of the table (全, 單全, 雙18號以下, 連2號至8之3號,
// 14巷單3號以下, 雙236巷至372巷, 15之1至之5號, 5號5至9樓, 20號(名稱) ...) into
// `range` (all but its code). False for a text of no known shape.
bool ParseRangeText(const std::u16string& text, PostalSourceRange* range);

// A road text of the table as the vocabulary spells it: full-width digits read,
// a trailing "N段" taken as the section, digits inside the name written as
// numerals (五九五街), a village before the road (北龍里中正路) dropped when
// only the road is a word. Empty when the vocabulary has no such road.
struct PostalRoadName {
    std::u16string name;
    int32_t section = 0;
};
PostalRoadName VocabularyRoadOf(const std::u16string& text, const Vocabulary& vocabulary);

struct PostalSource {
    std::string file;
    std::vector<PostalSourceDistrict> districts;  // in the order they first appear
    size_t lines = 0;
    size_t absentLines = 0;  // lines of roads the vocabulary lacks
    size_t absentRoads = 0;  // distinct such roads, per district
};

// Parses the lines of a range table: five fields a line. Fails naming the line
// on another field count, a code that is not five digits, a county and
// district that the region table lacks, and house numbers of no known shape.
// Warns once, with a count, about roads the vocabulary lacks (kept in the blob
// for `vantir inspect --coverage`).
PostalSource ParsePostalRanges(const std::vector<SourceLine>& lines, const std::string& file,
                               const Vocabulary& vocabulary, const RegionSource& regions,
                               Diagnostics& diagnostics);

// The blob of a parsed table; fails naming the file when it cannot be laid out.
std::vector<uint8_t> BuildPostalBlob(const PostalSource& source);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_POSTAL_SOURCE_H
