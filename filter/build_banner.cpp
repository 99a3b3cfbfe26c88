// The build banner text and its copy routine.
// The text names the module and its version, nothing else.
#include "filter/build_banner.h"

#include "vantir/textutil.h"

namespace vantir {

namespace {
constexpr char kBuildBanner[] = "Vantir address filter 0.1.0";
}

int32_t CopyBuildBanner(char* buffer) {
    if (buffer != nullptr) StrCopy(buffer, kBuildBanner);
    return StrLen(kBuildBanner) + 1;
}

}  // namespace vantir
