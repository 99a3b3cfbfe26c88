// Escaping of JSON strings: quote, backslash and control characters; other
// UTF-8 passes through unchanged.
#include "tools/run/json_text.h"

#include <cstdio>

namespace vantir::tools {

namespace {

constexpr unsigned char kFirstPrintable = 0x20;

bool NeedsEscape(char c) {
    return c == '"' || c == '\\' || static_cast<unsigned char>(c) < kFirstPrintable;
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view utf8) {
    out += '"';
    size_t plain = 0;  // start of the run of characters copied as they are
    for (size_t i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        if (!NeedsEscape(c)) continue;
        out.append(utf8.data() + plain, i - plain);
        plain = i + 1;
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default: {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(c));
                out += escape;
            }
        }
    }
    out.append(utf8.data() + plain, utf8.size() - plain);
    out += '"';
}

std::string JsonString(std::string_view utf8) {
    std::string out;
    AppendJsonString(out, utf8);
    return out;
}

std::string JsonStringArray(const std::vector<std::string>& items) {
    std::string out = "[";
    for (size_t k = 0; k < items.size(); ++k) {
        if (k > 0) out += ',';
        AppendJsonString(out, items[k]);
    }
    return out + "]";
}

}  // namespace vantir::tools
