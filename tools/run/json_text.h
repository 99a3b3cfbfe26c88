// JSON string literals for the tool's one-object-a-line output.
// Only what the output needs: strings, with control characters escaped.
#ifndef VANTIR_TOOLS_RUN_JSON_TEXT_H
#define VANTIR_TOOLS_RUN_JSON_TEXT_H

#include <string>
#include <string_view>
#include <vector>

namespace vantir::tools {

// The UTF-8 text as a quoted JSON string.
std::string JsonString(std::string_view utf8);

// ["a","b"] of quoted strings.
std::string JsonStringArray(const std::vector<std::string>& items);

// The same appended to `out`, without a string of their own.
void AppendJsonString(std::string& out, std::string_view utf8);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_RUN_JSON_TEXT_H
