// The details of filtered results as JSON: one object per result with its text,
// confidence, class, support, first rank and the fields it has.
#ifndef VANTIR_TOOLS_JSON_DETAILS_H
#define VANTIR_TOOLS_JSON_DETAILS_H

#include <string>
#include <vector>

#include "vantir/vantir.hpp"

namespace vantir::tools {

// [{"text":…,"confidence":0.97,"class":0,"support":3,"first_rank":0,
//   "fields":{"upper":"臺北市",…}}, …]; a field the result lacks is left out.
std::string JsonDetails(const std::vector<ResultDetails>& details);

// The shortest decimal text that reads back as the same float.
std::string ShortestFloat(float value);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_JSON_DETAILS_H
