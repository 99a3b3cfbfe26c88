// Links the installed static library from C++ and uses the text routines.
#include "vantir/textutil.h"
#include "vantir/vantir.h"

int main() {
    char16_t wide[8];
    vantir::Utf8ToWide("ab", -1, wide, 8);
    return vantir::WStrLen(wide) == 2 && Vantir_Reset(nullptr) == -5 ? 0 : 1;
}
