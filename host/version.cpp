// Vantir_Version: the version the build system gives the library, as its
// package files and the Python module carry it.
#include "vantir/host.h"

#ifndef VANTIR_VERSION
#error "VANTIR_VERSION (\"MAJOR.MINOR.PATCH\") is defined by the build"
#endif

extern "C" const char* Vantir_Version(void) {
    return VANTIR_VERSION;
}
