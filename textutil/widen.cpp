// Widening single-byte text to wide text. Each byte is sign-extended, so bytes
// 0x80..0xFF become units 0xFF80..0xFFFF.
#include "vantir/textutil.h"

namespace vantir {
namespace {

char16_t WidenByte(char byte) {
    return static_cast<char16_t>(static_cast<int32_t>(static_cast<signed char>(byte)));
}

}  // namespace

void BytesToWide(const char* source, char16_t* destination, int32_t count) {
    if (source == nullptr || destination == nullptr || count <= 0) return;
    for (int32_t i = 0; i < count; i++)
        destination[i] = WidenByte(source[i]);
}

// With no room even for the terminator nothing is written.
char16_t* StrToWideN(const char* source, char16_t* destination, int32_t capacity) {
    if (destination == nullptr) return nullptr;
    if (capacity <= 0) return destination;
    int32_t written = 0;
    if (source != nullptr) {
        while (written < capacity - 1 && source[written] != 0) {
            destination[written] = WidenByte(source[written]);
            written++;
        }
    }
    destination[written] = 0;
    return destination;
}

}  // namespace vantir
