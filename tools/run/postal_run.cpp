// The tools' side of the postal ranges: one place that attaches them and that
// refuses --postal on a folder built without ranges.tsv.
#include "tools/run/postal_run.h"

#include "filter/postal_results.h"
#include "filter/result_confidence.h"
#include "tools/compile/data_build.h"

namespace vantir::tools {

void AttachPostalOf(const LoadedData& data, FilterSession* session) {
    Vantir_AttachPostal(session, data.postal.empty() ? nullptr : data.postal.data());
}

uint32_t PostalOption(const LoadedData& data, bool wanted, const std::filesystem::path& directory) {
    if (!wanted) return 0u;
    if (data.postal.empty()) {
        Fail((directory / kPostalBlobName).string(), 0,
             "--postal needs this file; build the data from sources that hold " +
                 std::string(kPostalRangesName));
    }
    return VANTIR_OPTION_POSTAL;
}

const char* PostalStatusName(int32_t status) {
    switch (status) {
        case VANTIR_POSTAL_NUMBER:
            return "number";
        case VANTIR_POSTAL_ROAD:
            return "road";
        case VANTIR_POSTAL_NOT_FOUND:
            return "not-found";
        default:
            return "unknown";
    }
}

namespace {

std::string NameText(const PostalView& view, uint32_t name) {
    int32_t length = 0;
    const unsigned char* units = PostalName(view, name, &length);
    std::u16string text;
    for (int32_t i = 0; i < length; ++i)
        text.push_back(static_cast<char16_t>(LoadU16(units + 2 * i)));
    return ToUtf8(text);
}

std::string BoundText(uint16_t number, uint8_t part) {
    std::string text = std::to_string(number);
    if (part == kPstEveryPart) return text + "號含附號";
    if (part > 0) text += "之" + std::to_string(part);
    return text + "號";
}

// A range as the postal table writes its shapes (雙2號至8之3號, 14巷全).
std::string RangeText(const PostalRange& range) {
    std::string text;
    if (range.lane > 0) text += std::to_string(range.lane) + "巷";
    if (range.alley > 0) text += std::to_string(range.alley) + "弄";
    const uint8_t parity = range.flags & kPstParityMask;
    text += parity == kPstOdd ? "單" : parity == kPstEven ? "雙" : "連";
    const bool open = range.high == kPstHighestNumber;
    if (range.low == 0 && range.lowPart == 0 && open) {
        text += "全";
    } else if (open) {
        text += BoundText(range.low, range.lowPart) + "以上";
    } else if (range.low == 0 && range.lowPart == 0) {
        text += BoundText(range.high, range.highPart) + "以下";
    } else if (range.low == range.high && range.lowPart == range.highPart) {
        text += BoundText(range.low, range.lowPart);
    } else {
        text += BoundText(range.low, range.lowPart) + "至" + BoundText(range.high, range.highPart);
    }
    if ((range.flags & kPstFloorsOnly) != 0) text += " (some floors only)";
    return text;
}

}  // namespace

std::string DescribePostal(FilterSession* session, int32_t index) {
    VantirPostal postal{};
    if (Vantir_GetResultPostal(session, index, &postal) != VANTIR_OK) return "";
    std::string text = PostalStatusName(postal.status);
    if (postal.code[0] != 0) text += std::string(", code ") + postal.code;
    DeliveryCache scratch;
    const Delivery delivery = DeliveryOf(session, &scratch);
    const PostalAnswer answer = EntryPostal(session, session->results[delivery.order[index]]);
    const PostalView& view = session->postalView;
    if (answer.district < 0) return text;
    const PostalDistrict district = DistrictAt(view, static_cast<uint32_t>(answer.district));
    const std::string where = NameText(view, district.county) + NameText(view, district.district);
    if (answer.range >= 0) {
        return text + ": placed by the range " +
               RangeText(RangeAt(view, static_cast<uint32_t>(answer.range))) + " of " + where;
    }
    if (answer.status == VANTIR_POSTAL_NOT_FOUND) {
        return text + ": no range of " + where + " holds this road, section and number";
    }
    return text + " (" + where + ")";
}

}  // namespace vantir::tools
