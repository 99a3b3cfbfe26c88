// Fuzz target: the text conversions on arbitrary bytes and units, with small
// and exact destination capacities; every result must be terminated in bounds.
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "vantir/textutil.h"

using namespace vantir;
using namespace vantir::testing;

namespace {

// Input: one byte picks the destination capacity, the rest is the source text.
constexpr int32_t kMaxCapacity = 64;
constexpr int32_t kRadixes[] = {2, 8, 10, 16, 36, 0, 37};

template <typename Unit>
void CheckTerminated(const std::vector<Unit>& buffer) {
    bool terminated = false;
    for (Unit unit : buffer)
        terminated = terminated || unit == 0;
    FUZZ_CHECK(terminated);
}

void ConvertBytes(const std::vector<char>& bytes, int32_t capacity) {
    const int32_t length = static_cast<int32_t>(bytes.size()) - 1;  // without the terminator
    std::vector<char16_t> wide(static_cast<size_t>(capacity));
    FUZZ_CHECK(Utf8ToWide(bytes.data(), length, wide.data(), capacity) == wide.data());
    CheckTerminated(wide);
    FUZZ_CHECK(Utf8ToWide(bytes.data(), -1, wide.data(), capacity) == wide.data());
    CheckTerminated(wide);
    FUZZ_CHECK(StrToWideN(bytes.data(), wide.data(), capacity) == wide.data());
    CheckTerminated(wide);
    std::vector<char16_t> widened(bytes.size());
    BytesToWide(bytes.data(), widened.data(), length);
    for (int32_t i = 0; i < length; i++) {
        FUZZ_CHECK(widened[static_cast<size_t>(i)] ==
                   static_cast<char16_t>(static_cast<int16_t>(
                       static_cast<signed char>(bytes[static_cast<size_t>(i)]))));
    }
    TextToInt(bytes.data());
    std::vector<char> copy = bytes;
    StrToUpper(copy.data());
    StrToLower(copy.data());
}

void ConvertUnits(const std::vector<char16_t>& units, int32_t capacity) {
    const int32_t length = static_cast<int32_t>(units.size()) - 1;
    std::vector<char> narrow(static_cast<size_t>(capacity));
    FUZZ_CHECK(WideToUtf8(units.data(), length, narrow.data(), capacity) == narrow.data());
    CheckTerminated(narrow);
    FUZZ_CHECK(WideToUtf8(units.data(), -1, narrow.data(), capacity) == narrow.data());
    CheckTerminated(narrow);
    FUZZ_CHECK(WideToEscapedStr(units.data(), narrow.data(), capacity) == narrow.data());
    CheckTerminated(narrow);
    WTextToInt(units.data());

    // A text without 0 units that fits survives the round trip through UTF-8.
    const int32_t roomy = 4 * length + 1;
    std::vector<char> utf8(static_cast<size_t>(roomy));
    WideToUtf8(units.data(), length, utf8.data(), roomy);
    std::vector<char16_t> back(static_cast<size_t>(length) + 1);
    Utf8ToWide(utf8.data(), -1, back.data(), length + 1);
    if (WStrLen(units.data()) == length) FUZZ_CHECK(back == units);
}

void WriteIntegers(const uint8_t* data, size_t size) {
    if (size < 4) return;
    const int32_t value = static_cast<int32_t>(data[0] | data[1] << 8 | data[2] << 16 |
                                               static_cast<uint32_t>(data[3]) << 24);
    char text[40];
    char16_t wide[40];
    for (int32_t radix : kRadixes) {
        IntToText(value, text, radix);
        IntToWText(value, wide, radix);
        FUZZ_CHECK(StrLen(text) < 40 && WStrLen(wide) < 40);
        if (radix == 10) FUZZ_CHECK(TextToInt(text) == value && WTextToInt(wide) == value);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const int32_t capacity = 1 + data[0] % kMaxCapacity;
    std::vector<char> bytes(data + 1, data + size);
    bytes.push_back(0);
    ConvertBytes(bytes, capacity);
    std::vector<char16_t> units;
    for (size_t at = 1; at + 1 < size; at += 2)
        units.push_back(static_cast<char16_t>(data[at] | data[at + 1] << 8));
    units.push_back(0);
    ConvertUnits(units, capacity);
    WriteIntegers(data + 1, size - 1);
    return 0;
}
