// Writing and reading the switch record; names are checked on reading, since a
// loader opens the files a record names.
#include "tools/compile/switch_record.h"

#include <fstream>
#include <sstream>

#include "tools/compile/diagnostics.h"

namespace vantir::tools {

namespace {

// A plain name in the directory itself: no path, nothing that leaves it.
bool IsPlainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\0\t\n", 4)) == std::string_view::npos;
}

}  // namespace

std::string FormatSwitchRecord(const SwitchRecord& record) {
    std::string text(kSwitchRecordHeading);
    text += '\n';
    for (const auto& [target, kept] : record.keptFor)
        text += target + '\t' + kept + '\n';
    return text;
}

std::optional<SwitchRecord> ParseSwitchRecord(std::string_view text) {
    const size_t headingEnd = text.find('\n');
    if (headingEnd == std::string_view::npos ||
        text.substr(0, headingEnd) != kSwitchRecordHeading) {
        return std::nullopt;
    }
    SwitchRecord record;
    text.remove_prefix(headingEnd + 1);
    while (!text.empty()) {
        const size_t end = text.find('\n');
        if (end == std::string_view::npos) return std::nullopt;  // cut short
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        const size_t tab = line.find('\t');
        if (tab == std::string_view::npos) return std::nullopt;
        const std::string_view target = line.substr(0, tab);
        const std::string_view kept = line.substr(tab + 1);
        if (!IsPlainName(target) || (!kept.empty() && !IsPlainName(kept))) return std::nullopt;
        record.keptFor[std::string(target)] = std::string(kept);
    }
    if (record.keptFor.empty()) return std::nullopt;
    return record;
}

std::optional<SwitchRecord> ReadSwitchRecord(const std::filesystem::path& directory) {
    const std::filesystem::path path = directory / kSwitchRecordName;
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(path, error))) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    if (!in) {
        // Gone since it was seen: the switch has ended.
        if (!std::filesystem::exists(std::filesystem::symlink_status(path, error))) {
            return std::nullopt;
        }
        Fail(path.string(), 0, "cannot read the record of an interrupted build");
    }
    std::optional<SwitchRecord> record = ParseSwitchRecord(content.str());
    if (!record) {
        Fail(path.string(), 0,
             "damaged record of an interrupted build; run 'vantir build' into this folder "
             "again");
    }
    return record;
}

}  // namespace vantir::tools
