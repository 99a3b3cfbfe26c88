// Mandarin readings of characters from the Unihan database (the kMandarin field
// of Unihan_Readings.txt, as Debian's unicode-data ships it), without tones.
#ifndef VANTIR_TOOLS_UNIHAN_READINGS_H
#define VANTIR_TOOLS_UNIHAN_READINGS_H

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vantir::tools {

// Where Debian's unicode-data puts the readings; `vantir build --sounds` reads it.
constexpr const char* kUnihanReadingsPath = "/usr/share/unicode/Unihan_Readings.txt.bz2";

struct CharReadings {
    // Code point -> its toneless syllables, the common reading first and, where
    // Unihan gives a second, the Taiwan one after it (once when both agree).
    std::map<uint32_t, std::vector<std::string>> syllables;
};

// Reads the kMandarin lines of a Unihan readings file: plain text, or bzip2
// data when the name ends in ".bz2" (decompressed through `bzip2 -dc`). Lines
// of other fields, comments and readings that are no pinyin are skipped.
// Fails with a ToolError naming the file when it cannot be read.
CharReadings ReadUnihanReadings(const std::filesystem::path& path);

// The toneless ASCII spelling of one pinyin syllable written with tone marks:
// "zhōng" -> "zhong", "lǜ" -> "lv", "ǹg" -> "ng"; empty when it is no pinyin.
std::string TonelessSyllable(std::string_view marked);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_UNIHAN_READINGS_H
