// The record a multi-file output keeps in its directory while it switches the
// files: as long as it exists, the directory's set is the old files it names.
#ifndef VANTIR_TOOLS_COMPILE_SWITCH_RECORD_H
#define VANTIR_TOOLS_COMPILE_SWITCH_RECORD_H

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "vantir/vantir.hpp"

namespace vantir::tools {

// The record's name in the directory whose files are switched. Its first line
// is kSwitchRecordHeading; each further line is a target's file name, a tab
// and the name its old file is kept under in the same directory (nothing after
// the tab when the target did not exist before). Written under a temporary
// name and renamed into place, so it is whole or absent.
constexpr const char* kSwitchRecordName = kSwitchRecordFileName;
constexpr std::string_view kSwitchRecordHeading = "vantir-switch 1";
// A record names a few files; a longer one is no record of ours (damaged).
constexpr uint64_t kMaxSwitchRecordBytes = 64 * 1024;

struct SwitchRecord {
    // Target file name -> the name its old file is kept under, or "" when the
    // target is new: the old set did not have it.
    std::map<std::string, std::string> keptFor;
};

std::string FormatSwitchRecord(const SwitchRecord& record);

// The record a text holds; nullopt when the text is no record or names a file
// outside the directory.
std::optional<SwitchRecord> ParseSwitchRecord(std::string_view text);

// The record of `directory`: nullopt when it has none. Fails (ToolError naming
// the record) when one exists but cannot be read or is damaged.
std::optional<SwitchRecord> ReadSwitchRecord(const std::filesystem::path& directory);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_COMPILE_SWITCH_RECORD_H
