// Escaping of JSON strings: quote, backslash and control characters; other
// UTF-8 passes through unchanged.
#include "tools/cli/json_text.h"

#include <cstdio>

namespace vantir::tools {

namespace {

constexpr unsigned char kFirstPrintable = 0x20;

}  // namespace

std::string JsonString(std::string_view utf8) {
    std::string out = "\"";
    for (char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
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
            default:
                if (byte < kFirstPrintable) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04x", byte);
                    out += escape;
                } else {
                    out += c;
                }
        }
    }
    out += '"';
    return out;
}

std::string JsonStringArray(const std::vector<std::string>& items) {
    std::string out = "[";
    for (size_t k = 0; k < items.size(); ++k) {
        if (k > 0) out += ',';
        out += JsonString(items[k]);
    }
    return out + "]";
}

}  // namespace vantir::tools
