// JSON objects of result details, written with the tool's string escaping; the
// confidence in its shortest form, so that a reader gets the library's float.
#include "tools/run/json_details.h"

#include <charconv>

#include "tools/run/json_text.h"
#include "tools/run/postal_run.h"

namespace vantir::tools {

namespace {

// Room for any float's shortest form ("-1.17549435e-38" and the like).
constexpr size_t kFloatTextRoom = 32;

std::string JsonFields(const ResultDetails& result) {
    std::string out = "{";
    for (int32_t f = 0; f < VANTIR_FIELD_COUNT; ++f) {
        const std::u16string_view field = result.field(f);
        if (field.empty()) continue;
        if (out.size() > 1) out += ',';
        out += JsonString(FieldName(f)) + ':' + JsonString(ToUtf8(field));
    }
    return out + "}";
}

}  // namespace

std::string ShortestFloat(float value) {
    char text[kFloatTextRoom];
    const std::to_chars_result written = std::to_chars(text, text + sizeof text, value);
    return std::string(text, written.ptr);
}

std::string JsonDetails(const std::vector<ResultDetails>& details) {
    std::string out = "[";
    for (size_t k = 0; k < details.size(); ++k) {
        const ResultDetails& result = details[k];
        if (k > 0) out += ',';
        out += "{\"text\":" + JsonString(ToUtf8(result.text)) +
               ",\"confidence\":" + ShortestFloat(result.info.confidence) +
               ",\"class\":" + std::to_string(result.info.resultClass) +
               ",\"support\":" + std::to_string(result.info.support) +
               ",\"first_rank\":" + std::to_string(result.info.firstRank) +
               ",\"fields\":" + JsonFields(result);
        if (result.withPostal) {
            out += ",\"postcode\":" + JsonString(result.postal.code) +
                   ",\"postal\":" + JsonString(PostalStatusName(result.postal.status));
        }
        out += '}';
    }
    return out + "]";
}

}  // namespace vantir::tools
