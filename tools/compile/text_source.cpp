// Line reader for UTF-8 sources: byte order mark, CR LF, UTF-8 validation,
// field splitting and comment detection.
#include "tools/compile/text_source.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "tools/compile/diagnostics.h"
#include "vantir/vantir.hpp"

namespace vantir::tools {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kStandardInput = "-";

bool IsFieldSpace(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

std::string DisplayName(const std::filesystem::path& path) {
    return path.string() == kStandardInput ? std::string("<stdin>") : path.string();
}

std::vector<SourceLine> SplitSourceText(std::string_view text, const std::string& name) {
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        text.remove_prefix(kByteOrderMark.size());
    }
    std::vector<SourceLine> lines;
    int32_t number = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        ++number;
        Expected<std::u16string> decoded = ToUtf16(line);
        if (!decoded) Fail(name, number, decoded.error().message);
        lines.push_back({number, std::string(line)});
        start = end + 1;
    }
    return lines;
}

std::vector<SourceLine> ReadSourceLines(const std::filesystem::path& path) {
    const std::string name = DisplayName(path);
    std::string text;
    if (path.string() == kStandardInput) {
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    } else {
        std::ifstream in(path, std::ios::binary);
        if (!in) Fail(name, 0, "cannot open the file");
        std::ostringstream content;
        content << in.rdbuf();
        if (in.bad()) Fail(name, 0, "read error");
        text = content.str();
    }
    return SplitSourceText(text, name);
}

std::vector<std::string> SplitFields(std::string_view line) {
    std::vector<std::string> fields;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsFieldSpace(line[i]))
            ++i;
        const size_t start = i;
        while (i < line.size() && !IsFieldSpace(line[i]))
            ++i;
        if (i > start) fields.emplace_back(line.substr(start, i - start));
    }
    return fields;
}

bool IsBlankOrComment(std::string_view line) {
    for (char c : line) {
        if (IsFieldSpace(c)) continue;
        return c == '#';
    }
    return true;
}

}  // namespace vantir::tools
