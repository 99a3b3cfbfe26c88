// The module's build banner: a byte string naming the library and its version.
// No exported call reaches it; hosts see the version through the package.
#ifndef VANTIR_FILTER_BUILD_BANNER_H
#define VANTIR_FILTER_BUILD_BANNER_H

#include <cstdint>

namespace vantir {

// Copies the banner with its terminator into `buffer` when it is non-null and
// returns the banner's length plus one, so a null buffer asks for the size.
int32_t CopyBuildBanner(char* buffer);

}  // namespace vantir

#endif  // VANTIR_FILTER_BUILD_BANNER_H
