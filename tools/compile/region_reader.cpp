// Parser of the region pair source and its checks against the vocabulary.
// The pairs keep their order: region completion takes the first match.
#include "tools/compile/region_reader.h"

#include <algorithm>
#include <map>
#include <utility>

namespace vantir::tools {

namespace {

constexpr uint8_t kUpperHeadTag = 33;
constexpr uint8_t kLowerHeadTag = 8;

// An upper name, a lower name and the lower region's postcode, which is not used.
constexpr size_t kMaxRegionFields = 3;

bool IsPostcode(const std::string& field) {
    return std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool HasTagCode(const VocabularyEntry& entry, uint8_t tag) {
    return std::find(entry.tags.begin(), entry.tags.end(), tag) != entry.tags.end();
}

}  // namespace

RegionSource ParseRegions(const std::vector<SourceLine>& lines, const std::string& file,
                          Diagnostics& diagnostics) {
    RegionSource regions;
    regions.file = file;
    std::map<std::pair<std::string, std::string>, int32_t> seen;
    for (const SourceLine& line : lines) {
        if (IsBlankOrComment(line.text)) continue;
        const std::vector<std::string> fields = SplitFields(line.text);
        if (fields.size() < 2) {
            Fail(file, line.number, "expected an upper and a lower region name");
        }
        if (fields.size() > kMaxRegionFields) {
            Fail(file, line.number,
                 "expected an upper and a lower region name and at most a postcode, found " +
                     std::to_string(fields.size()) + " fields");
        }
        if (fields.size() == kMaxRegionFields && !IsPostcode(fields[2])) {
            Fail(file, line.number,
                 "third field " + Shown(fields[2]) + " is no postcode (ASCII digits)");
        }
        // Completion would put the name in front of itself: 臺北市臺北市中山北路.
        if (fields[0] == fields[1]) {
            Fail(file, line.number,
                 "upper and lower name are the same word " + Shown(fields[0]) +
                     "; a region cannot lie in itself");
        }
        const auto key = std::make_pair(fields[0], fields[1]);
        const auto [at, inserted] = seen.emplace(key, line.number);
        if (!inserted) {
            diagnostics.Warn(file, line.number,
                             "pair " + Shown(fields[0]) + " " + Shown(fields[1]) +
                                 " repeats line " + std::to_string(at->second) +
                                 " (its district is listed twice as a candidate)",
                             "repeated region pairs");
        }
        regions.pairs.push_back({fields[0], fields[1], line.number});
    }
    return regions;
}

void CheckRegionsAgainstVocabulary(const RegionSource& regions, const Vocabulary& vocabulary,
                                   Diagnostics& diagnostics) {
    for (const RegionSourcePair& pair : regions.pairs) {
        const VocabularyEntry* upper = vocabulary.Find(pair.upper);
        const VocabularyEntry* lower = vocabulary.Find(pair.lower);
        if (upper == nullptr) {
            Fail(regions.file, pair.line,
                 "upper name " + Shown(pair.upper) + " is not in the vocabulary");
        }
        if (lower == nullptr) {
            Fail(regions.file, pair.line,
                 "lower name " + Shown(pair.lower) + " is not in the vocabulary");
        }
        if (!HasTagCode(*upper, kUpperHeadTag)) {
            diagnostics.Warn(regions.file, pair.line,
                             "upper name " + Shown(pair.upper) + " lacks the upper-head tag (33)",
                             "upper names without the upper-head tag");
        }
        if (!HasTagCode(*lower, kLowerHeadTag)) {
            diagnostics.Warn(regions.file, pair.line,
                             "lower name " + Shown(pair.lower) + " lacks the lower-head tag (8)",
                             "lower names without the lower-head tag");
        } else if (static_cast<int32_t>(lower->text.size()) > kMaxCompletedNameUnits) {
            diagnostics.Warn(regions.file, pair.line,
                             "lower name " + Shown(pair.lower) + " is longer than " +
                                 std::to_string(kMaxCompletedNameUnits) +
                                 " units; region completion may not match it");
        }
    }
}

}  // namespace vantir::tools
