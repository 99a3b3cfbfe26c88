// Road table source: county, district, road and the sections the road has
// there, one road per district a line; the grammar's pairs are generated from it.
#ifndef VANTIR_TOOLS_ROAD_TABLE_H
#define VANTIR_TOOLS_ROAD_TABLE_H

#include <cstdint>
#include <string>
#include <vector>

#include "tools/compile/diagnostics.h"
#include "tools/compile/text_source.h"
#include "tools/compile/vocabulary_reader.h"

namespace vantir::tools {

// The section field that means "no sections".
constexpr const char* kNoSections = "-";

struct RoadRow {
    std::string county;  // UTF-8 upper region name
    std::string district;
    std::string road;
    std::vector<std::string> sections;  // as written: numbers ("1") or section words ("一段")
    int32_t line = 0;
};

struct RoadTable {
    std::string file;
    std::vector<RoadRow> rows;  // in source order
};

// Parses the lines of a road table: four fields a line, the sections separated
// by commas or "-". Fails, naming the line, on a line with another field count
// or an empty section.
RoadTable ParseRoads(const std::vector<SourceLine>& lines, const std::string& file);

// One warning for all tables when rows repeat the county, district and road of
// an earlier row (in the same table or an earlier one): how many repeat it with
// the same sections and how many with other sections, naming the first of each.
// Repeats change nothing, since a road's sections are merged over its rows, but
// they usually mean a table was pasted twice or a row has a typo.
void WarnAboutRepeatedRoads(const std::vector<RoadTable>& tables, Diagnostics& diagnostics);

// The vocabulary word a section field stands for: the field itself when it is
// a word, else the first word tagged bare-first-key or first-key whose text
// reads as that number ("3" finds 三段). Null when there is none.
const VocabularyEntry* FindSectionWord(const Vocabulary& vocabulary, const std::string& field);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_ROAD_TABLE_H
