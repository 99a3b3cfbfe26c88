// Parser of the road table and the lookup of section words by number, which
// reads a word's numerals with the filter's own conversion.
#include "tools/compile/road_table.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <tuple>

#include "address/tag_codes.h"
#include "textutil/chinese_numerals.h"

namespace vantir::tools {

namespace {

constexpr size_t kRoadFields = 4;

std::vector<std::string> SplitSections(const std::string& field, const std::string& file,
                                       int32_t line) {
    std::vector<std::string> sections;
    if (field == kNoSections) return sections;
    size_t from = 0;
    while (true) {
        const size_t comma = field.find(',', from);
        const std::string part =
            field.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
        if (part.empty()) Fail(file, line, "empty section in " + Shown(field));
        sections.push_back(part);
        if (comma == std::string::npos) return sections;
        from = comma + 1;
    }
}

bool HasTagCode(const VocabularyEntry& entry, int32_t tag) {
    return std::find(entry.tags.begin(), entry.tags.end(), static_cast<uint8_t>(tag)) !=
           entry.tags.end();
}

// The number a word's text starts with once its numerals are digits: 三段 -> 3.
// -1 when it starts with no numeral.
int64_t LeadingNumber(const std::u16string& text) {
    std::u16string digits(text.size() * 4 + 1, u'\0');  // a numeral unit gives at most 4 digits
    const int32_t length =
        ConvertNumerals(text.data(), digits.data(), static_cast<int32_t>(text.size()),
                        static_cast<int32_t>(digits.size()));
    int64_t value = -1;
    for (int32_t i = 0; i < length && digits[i] >= u'0' && digits[i] <= u'9'; ++i) {
        value = (value < 0 ? 0 : value * 10) + (digits[i] - u'0');
        if (value > INT32_MAX) return -1;
    }
    return value;
}

}  // namespace

RoadTable ParseRoads(const std::vector<SourceLine>& lines, const std::string& file) {
    RoadTable table;
    table.file = file;
    for (const SourceLine& line : lines) {
        if (IsBlankOrComment(line.text)) continue;
        const std::vector<std::string> fields = SplitFields(line.text);
        if (fields.size() != kRoadFields) {
            Fail(file, line.number,
                 "expected county, district, road and sections ('1,2' or '-'), found " +
                     std::to_string(fields.size()) + (fields.size() == 1 ? " field" : " fields"));
        }
        table.rows.push_back({fields[0], fields[1], fields[2],
                              SplitSections(fields[3], file, line.number), line.number});
    }
    return table;
}

void WarnAboutRepeatedRoads(const std::vector<RoadTable>& tables, Diagnostics& diagnostics) {
    struct Where {
        const RoadTable* table = nullptr;
        const RoadRow* row = nullptr;
    };
    std::map<std::tuple<std::string, std::string, std::string>, Where> firstOf;
    size_t same = 0;
    size_t other = 0;
    Where repeat;    // the first row that repeats an earlier one, in reading order
    Where repeated;  // the row it repeats
    for (const RoadTable& table : tables) {
        for (const RoadRow& row : table.rows) {
            const auto [at, inserted] = firstOf.emplace(
                std::make_tuple(row.county, row.district, row.road), Where{&table, &row});
            if (inserted) continue;
            ++(at->second.row->sections == row.sections ? same : other);
            if (repeat.row == nullptr) {
                repeat = {&table, &row};
                repeated = at->second;
            }
        }
    }
    if (repeat.row == nullptr) return;
    const RoadRow& row = *repeat.row;
    const std::string earlier =
        repeated.table == repeat.table
            ? "line " + std::to_string(repeated.row->line)
            : repeated.table->file + ":" + std::to_string(repeated.row->line);
    std::string what = "road " + Shown(row.road) + " of " + Shown(row.county) + " " +
                       Shown(row.district) + " repeats " + earlier + "; in all " +
                       Counted(static_cast<int64_t>(same + other), "road row") +
                       " repeat an earlier row's county, district and road";
    what += " (" + std::to_string(same) + " with the same sections, " + std::to_string(other) +
            " with other sections, which are merged)";
    diagnostics.Warn(repeat.table->file, row.line, what);
}

const VocabularyEntry* FindSectionWord(const Vocabulary& vocabulary, const std::string& field) {
    if (const VocabularyEntry* word = vocabulary.Find(field)) return word;
    int64_t wanted = -1;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), wanted);
    if (error != std::errc() || end != field.data() + field.size() || wanted < 0) return nullptr;
    for (const VocabularyEntry& entry : vocabulary.entries) {
        if (!HasTagCode(entry, kTagBareFirstKey) && !HasTagCode(entry, kTagFirstKey)) continue;
        if (LeadingNumber(entry.text) == wanted) return &entry;
    }
    return nullptr;
}

}  // namespace vantir::tools
