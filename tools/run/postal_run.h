// The postal ranges in the tools: attaching a data folder's postal blob to
// sessions, the option bit of --postal, and a result's postal standing as text.
#ifndef VANTIR_TOOLS_POSTAL_RUN_H
#define VANTIR_TOOLS_POSTAL_RUN_H

#include <cstdint>
#include <filesystem>
#include <string>

#include "tools/run/data_dir.h"

namespace vantir::tools {

// Gives the session the folder's postal blob (none: detaches).
void AttachPostalOf(const LoadedData& data, FilterSession* session);

// VANTIR_OPTION_POSTAL when `wanted`, else 0. Fails with a ToolError naming
// postal.pst when it is wanted and the folder has none.
uint32_t PostalOption(const LoadedData& data, bool wanted, const std::filesystem::path& directory);

// "number", "road", "not-found" or "unknown".
const char* PostalStatusName(int32_t status);

// What the ranges say of the result delivered at `index`: its status and code,
// and the range that placed it or the district and road that refused it.
std::string DescribePostal(FilterSession* session, int32_t index);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_POSTAL_RUN_H
