// Parsing Unihan's kMandarin readings: the line format "U+XXXX<TAB>kMandarin<TAB>
// reading [reading]", tone marks folded away, bzip2 files read through a pipe.
#include "tools/compile/unihan_readings.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "segment/sound_blob.h"
#include "tools/compile/diagnostics.h"

namespace vantir::tools {

namespace {

constexpr std::string_view kMandarinField = "kMandarin";
constexpr std::string_view kCompressedSuffix = ".bz2";
constexpr int kHexBase = 16;

// The letter a tone-marked vowel (or syllabic consonant) is spelled with
// without its tone; 0 for a code point that has no place in pinyin.
char BaseLetter(uint32_t codePoint) {
    struct Fold {
        uint32_t codePoint;
        char letter;
    };
    static constexpr Fold kFolds[] = {
        {0x0101, 'a'}, {0x00E1, 'a'}, {0x01CE, 'a'}, {0x00E0, 'a'}, {0x0113, 'e'}, {0x00E9, 'e'},
        {0x011B, 'e'}, {0x00E8, 'e'}, {0x00EA, 'e'}, {0x1EBF, 'e'}, {0x1EC1, 'e'}, {0x012B, 'i'},
        {0x00ED, 'i'}, {0x01D0, 'i'}, {0x00EC, 'i'}, {0x014D, 'o'}, {0x00F3, 'o'}, {0x01D2, 'o'},
        {0x00F2, 'o'}, {0x016B, 'u'}, {0x00FA, 'u'}, {0x01D4, 'u'}, {0x00F9, 'u'}, {0x00FC, 'v'},
        {0x01D6, 'v'}, {0x01D8, 'v'}, {0x01DA, 'v'}, {0x01DC, 'v'}, {0x0144, 'n'}, {0x0148, 'n'},
        {0x01F9, 'n'}, {0x1E3F, 'm'}};
    if (codePoint < 0x80) {
        const char letter = static_cast<char>(codePoint);
        return letter >= 'a' && letter <= 'z' ? letter : 0;
    }
    for (const Fold& fold : kFolds) {
        if (fold.codePoint == codePoint) return fold.letter;
    }
    return 0;
}

// The next code point of UTF-8 text at `at`, advancing it; 0xFFFFFFFF when broken.
uint32_t NextCodePoint(std::string_view text, size_t* at) {
    const auto lead = static_cast<unsigned char>(text[(*at)++]);
    int more = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (more < 0) return 0xFFFFFFFFu;
    uint32_t codePoint = more == 0 ? lead : lead & (0x3Fu >> more);
    for (; more > 0; --more) {
        if (*at >= text.size()) return 0xFFFFFFFFu;
        codePoint = (codePoint << 6) | (static_cast<unsigned char>(text[(*at)++]) & 0x3Fu);
    }
    return codePoint;
}

constexpr bool IsCombiningMark(uint32_t codePoint) {
    return codePoint >= 0x0300 && codePoint <= 0x036F;
}

void ReadLine(const std::string& line, CharReadings& readings) {
    if (!line.starts_with("U+")) return;
    std::istringstream fields(line);
    std::string point;
    std::string field;
    fields >> point >> field;
    if (field != kMandarinField) return;
    char* end = nullptr;
    const unsigned long codePoint = std::strtoul(point.c_str() + 2, &end, kHexBase);
    if (end == point.c_str() + 2 || *end != 0 || codePoint > kMaxCodePoint) return;
    std::vector<std::string> syllables;
    std::string reading;
    while (fields >> reading && syllables.size() < static_cast<size_t>(kMaxReadingsPerChar)) {
        std::string toneless = TonelessSyllable(reading);
        if (toneless.empty()) continue;
        if (syllables.empty() || syllables.front() != toneless) syllables.push_back(toneless);
    }
    if (!syllables.empty()) readings.syllables[static_cast<uint32_t>(codePoint)] = syllables;
}

// The file's text through `bzip2 -dc`; the name is quoted for the shell.
std::string DecompressedText(const std::filesystem::path& path) {
    std::string quoted = "'";
    for (const char c : path.string())
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    quoted += "'";
    const std::string command = "bzip2 -dc < " + quoted + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) throw ToolError(path.string() + ": cannot start bzip2 to read it");
    std::string text;
    char buffer[1 << 16];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        text.append(buffer, got);
    if (pclose(pipe) != 0) {
        throw ToolError(path.string() +
                        ": bzip2 could not decompress it (is the 'bzip2' package installed?)");
    }
    return text;
}

}  // namespace

std::string TonelessSyllable(std::string_view marked) {
    std::string toneless;
    size_t at = 0;
    while (at < marked.size()) {
        const uint32_t codePoint = NextCodePoint(marked, &at);
        if (IsCombiningMark(codePoint)) continue;
        const char letter = BaseLetter(codePoint);
        if (letter == 0) return {};
        toneless += letter;
    }
    if (toneless.size() > kSndSpellingBytes) return {};
    return toneless;
}

CharReadings ReadUnihanReadings(const std::filesystem::path& path) {
    std::string text;
    if (path.string().ends_with(kCompressedSuffix)) {
        if (!std::filesystem::is_regular_file(path))
            throw ToolError(path.string() + ": no such file");
        text = DecompressedText(path);
    } else {
        std::ifstream file(path, std::ios::binary);
        if (!file) throw ToolError(path.string() + ": cannot open it");
        std::ostringstream all;
        all << file.rdbuf();
        text = all.str();
    }
    CharReadings readings;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line))
        ReadLine(line, readings);
    if (readings.syllables.empty()) {
        throw ToolError(path.string() + ": holds no kMandarin reading");
    }
    return readings;
}

}  // namespace vantir::tools
