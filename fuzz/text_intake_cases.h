// Texts for the text intake fuzz target: their byte form, shared with the seed
// writer, and the checks each text gets, which a unit test also runs.
#ifndef VANTIR_FUZZ_TEXT_INTAKE_CASES_H
#define VANTIR_FUZZ_TEXT_INTAKE_CASES_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tests/support/exact_buffer.h"
#include "vantir/vantir.h"

namespace vantir::testing {

// Byte form: per text a flag byte and a length byte (two, high first, with
// kTextLongLength); with kTextRepeated a count byte; then the units, two bytes
// each, high byte first. A repeated text is its units given once and taken
// count + 1 times, so that a short input makes a long text.
constexpr uint8_t kTextReset = 1;        // reset first, and set the mode (kTextAccurate)
constexpr uint8_t kTextReadResults = 2;  // read the results after the text
constexpr uint8_t kTextTerminated = 4;   // pass length -1 and a 0 unit after the text
constexpr uint8_t kTextShortBuffer = 8;  // segment into a buffer of half the words
constexpr uint8_t kTextAccurate = 16;    // with kTextReset: accurate mode from here on
constexpr uint8_t kTextLongLength = 32;  // the length takes two bytes
constexpr uint8_t kTextRepeated = 64;    // a count byte follows the length
// Longest text made: eight of the segmenter's 512-unit windows, so that texts
// cross several windows without slowing the run down.
constexpr size_t kMaxTextUnits = 4096;
// Units one input makes over all its texts. The repeat count makes hundreds of
// units of a few bytes, so an input of a thousand such texts split and entered
// a million units, seconds of work; the longest text's worth still crosses
// every window, and inputs stay at milliseconds.
constexpr size_t kMaxInputUnits = kMaxTextUnits;

struct TextCase {
    uint8_t flags = 0;
    std::vector<char16_t> units;  // as given: without the 0 unit of kTextTerminated
};

// The texts of an input; a text cut short by the input's end, or by
// kMaxInputUnits, keeps what it has, and no text follows the budget's end.
inline std::vector<TextCase> DecodeTextCases(const uint8_t* data, size_t size) {
    std::vector<TextCase> cases;
    size_t at = 0;
    size_t budget = kMaxInputUnits;
    while (at + 2 <= size && budget > 0) {
        TextCase text;
        text.flags = data[at++];
        size_t length = data[at++];
        if ((text.flags & kTextLongLength) && at < size) length = length << 8 | data[at++];
        size_t copies = 1;
        if ((text.flags & kTextRepeated) && at < size) copies += data[at++];
        for (size_t k = 0; k < length && at + 2 <= size; ++k, at += 2)
            text.units.push_back(static_cast<char16_t>(data[at] << 8 | data[at + 1]));
        const size_t given = text.units.size();
        for (size_t copy = 1; copy < copies && given > 0; ++copy)
            text.units.insert(text.units.end(), text.units.begin(), text.units.begin() + given);
        if (text.units.size() > kMaxTextUnits) text.units.resize(kMaxTextUnits);
        if (text.units.size() > budget) text.units.resize(budget);
        budget -= text.units.size();
        cases.push_back(std::move(text));
    }
    return cases;
}

// The byte form of texts; a text of more than 255 units gets a two-byte length.
inline std::vector<uint8_t> EncodeTextCases(const std::vector<TextCase>& cases) {
    std::vector<uint8_t> out;
    for (const TextCase& text : cases) {
        const size_t length = text.units.size();
        const bool wide = length > 0xFF || (text.flags & kTextLongLength);
        out.push_back(
            static_cast<uint8_t>((text.flags & ~kTextRepeated) | (wide ? kTextLongLength : 0)));
        if (wide) out.push_back(static_cast<uint8_t>(length >> 8));
        out.push_back(static_cast<uint8_t>(length & 0xFF));
        for (char16_t unit : text.units) {
            out.push_back(static_cast<uint8_t>(unit >> 8));
            out.push_back(static_cast<uint8_t>(unit & 0xFF));
        }
    }
    return out;
}

// Enters one text into the session as its flags say and checks the calls:
// the count first, then the ids into a full or a half-size buffer (the same
// count, ids of model words, nothing written past the room, at most two words
// a unit), then the text as a hypothesis (0 or a full table). The text lies in
// an exact-size block, so AddressSanitizer reports any read past it. Null when
// every check holds, else the check that failed.
inline const char* CheckTextCase(FilterSession* session, int32_t modelWords, const TextCase& text) {
    if (text.flags & kTextReset) {
        if (Vantir_Reset(session) != VANTIR_OK) return "reset";
        const uint32_t options = (text.flags & kTextAccurate) ? VANTIR_OPTION_ACCURATE : 0u;
        if (Vantir_SetOptions(session, options) != VANTIR_OK) return "options after a reset";
    }
    std::vector<char16_t> units = text.units;
    if (text.flags & kTextTerminated) units.push_back(0);
    const auto count = static_cast<int32_t>(text.units.size());
    ExactBuffer exact(reinterpret_cast<const uint8_t*>(units.data()),
                      units.size() * sizeof(char16_t));
    const auto* given = reinterpret_cast<const char16_t*>(exact.data());
    const int32_t length = (text.flags & kTextTerminated) ? -1 : count;
    const int32_t n = Vantir_SegmentText(session, given, length, nullptr, 0);
    if (n < 0 || n > 2 * count) return "word count of the text";
    std::vector<WordId> ids(static_cast<size_t>(n) + 1, -7);
    const int32_t room = (text.flags & kTextShortBuffer) ? n / 2 : n;
    if (Vantir_SegmentText(session, given, length, ids.data(), room) != n) {
        return "the count with a buffer";
    }
    for (int32_t k = 0; k < room; ++k) {
        const WordId id = ids[static_cast<size_t>(k)];
        if (id < 0 || id >= modelWords) return "ids of model words";
    }
    if (ids[static_cast<size_t>(room)] != -7) return "nothing written past the room";
    const int32_t entered = Vantir_AddRecogText(session, given, length);
    if (entered != VANTIR_OK && entered != VANTIR_RESULT_TABLE_FULL) return "the text entered";
    return nullptr;
}

}  // namespace vantir::testing

#endif  // VANTIR_FUZZ_TEXT_INTAKE_CASES_H
