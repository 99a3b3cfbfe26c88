// Raw memory fill and forward unit copies with null and count guards.
// The wide copy keeps its source-first argument order.
#include "vantir/textutil.h"

namespace vantir {

void MemFill(void* buffer, int32_t value, int32_t count) {
    if (buffer == nullptr || count <= 0) return;
    unsigned char* bytes = static_cast<unsigned char*>(buffer);
    const unsigned char low = static_cast<unsigned char>(value & 0xFF);
    for (int32_t i = 0; i < count; i++)
        bytes[i] = low;
}

// Forward, one unit at a time: a copy towards lower addresses within one buffer
// is therefore safe, which is how callers compact their arrays.
void MemCopyN(void* destination, const void* source, int32_t count) {
    if (destination == nullptr || source == nullptr || count <= 0) return;
    unsigned char* to = static_cast<unsigned char*>(destination);
    const unsigned char* from = static_cast<const unsigned char*>(source);
    for (int32_t i = 0; i < count; i++)
        to[i] = from[i];
}

void WMemCopyN(const char16_t* source, char16_t* destination, int32_t count) {
    if (destination == nullptr || source == nullptr || count <= 0) return;
    for (int32_t i = 0; i < count; i++)
        destination[i] = source[i];
}

}  // namespace vantir
