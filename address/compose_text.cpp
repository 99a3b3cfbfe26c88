// The canonical text of a kept address: plain words lose their marker units,
// numbered segments (prefixes and a key word) have their numerals turned into digits.
#include "address/compose_text.h"

#include "textutil/address_words.h"
#include "textutil/byte_order.h"
#include "textutil/chinese_numerals.h"
#include "vantir/textutil.h"

namespace vantir {

namespace {

constexpr char16_t kMarkAt = u'@';
constexpr char16_t kMarkBang = u'!';

}  // namespace

int32_t SegmentKeyAt(const AddressContext& context, const WordId* words, int32_t n, int32_t at,
                     NumberGrouping grouping) {
    constexpr uint64_t kNumberBits = TagBit(kTagFirstPrefix) | TagBit(kTagSecondPrefix);
    constexpr uint64_t kKeyBits =
        TagBit(kTagFirstKey) | TagBit(kTagSecondKey) | TagBit(kTagThirdLead) | TagBit(kTagThirdKey);
    // One look-up of a word's tags per step: this runs for every word composed.
    auto bitsAt = [&](int32_t k) { return k < n ? TagBitsOf(*context.db, words[k]) : uint64_t{0}; };
    int32_t probe = at;
    uint64_t bits = bitsAt(probe);
    if ((bits & TagBit(kTagFirstPrefix)) != 0) bits = bitsAt(++probe);
    if ((bits & TagBit(kTagSecondPrefix)) != 0) bits = bitsAt(++probe);
    if ((bits & kKeyBits) != 0) return probe;
    if (probe == at || grouping == NumberGrouping::kGrammarPrefixes) return -1;
    // The grammar's two prefixes hold no number said digit by digit in more
    // words (一 零五, 九 零 八); accurate mode's reading keeps such runs.
    while (probe - at < kMaxSegmentNumberWords && (bits & kNumberBits) != 0)
        bits = bitsAt(++probe);
    return (bits & kKeyBits) != 0 ? probe : -1;
}

namespace {

// Appends the word's lexicon text at buffer[length] and returns the new length;
// units past the buffer's room are cut. A word the lexicon lacks adds nothing.
// Units are loaded byte-wise, since a lexicon blob may sit at an odd address.
int32_t AppendWordText(const Lexicon* lexicon, WordId word, char16_t* buffer, int32_t capacity,
                       int32_t length) {
    int32_t units = 0;
    const char16_t* text = Lexicon_GetWord(lexicon, word, &units);
    for (int32_t i = 0; text != nullptr && i < units && length + 1 < capacity; ++i) {
        buffer[length++] = LoadUnitAt(text, i);
    }
    buffer[length] = 0;
    return length;
}

int32_t AppendText(const char16_t* text, char16_t* output, int32_t capacity, int32_t length) {
    for (int32_t i = 0; text[i] != 0 && length + 1 < capacity; ++i)
        output[length++] = text[i];
    output[length] = 0;
    return length;
}

// Notes that words[from..to-1] start at `offset` of the text.
void NoteStarts(int32_t* wordStarts, int32_t from, int32_t to, int32_t offset) {
    if (wordStarts == nullptr) return;
    for (int32_t i = from; i < to && i <= kMaxLocatedWords; ++i)
        wordStarts[i] = offset;
}

bool IsNumberUnit(char16_t unit) {
    return (unit >= u'0' && unit <= u'9') || NumeralValue(unit) >= 0 || unit == kSpokenOne ||
           unit == kCircleZero;
}

// Accurate mode's reading of a numbered segment's text (the number, then its
// key): the number read whole, as people say it or digit by digit, written in
// digits, then the rest. -1 when the segment has no number before its key, or
// one that cannot be read whole: the address must end before it.
int32_t ReadSegmentWhole(const char16_t* segment, int32_t length, char16_t* output,
                         int32_t capacity) {
    int32_t run = 0;
    while (run < length && IsNumberUnit(segment[run]))
        ++run;
    if (run == 0) return -1;
    int32_t value = ReadNumber(segment, run);
    if (value < 0) value = ReadDigitByDigit(segment, run);
    if (value < 0) return -1;
    char16_t digits[kMaxNumeralRunUnits];
    const int32_t count = SpellDecimal(value, digits);
    int32_t written = 0;
    for (int32_t i = 0; i < count && written + 1 < capacity; ++i)
        output[written++] = digits[i];
    for (int32_t i = run; i < length && written + 1 < capacity; ++i)
        output[written++] = segment[i];
    output[written] = 0;
    return written;
}

// Both compositions: numbered segments read by the design's lenient
// conversion, or (wholeNumbers) read whole, ending the text before a segment
// whose number cannot be.
int32_t Compose(const AddressContext& context, const WordId* words, int32_t n, char16_t* output,
                int32_t capacity, bool wholeNumbers, NumberGrouping grouping, int32_t* wordStarts) {
    const Lexicon* lexicon = context.lexicon;
    char16_t segment[kComposeBufferCapacity];
    char16_t converted[kComposeBufferCapacity];
    char16_t wordText[kComposeBufferCapacity];
    int32_t total = 0;
    output[0] = 0;
    int32_t i = 0;
    while (i < n) {
        const int32_t probe = SegmentKeyAt(context, words, n, i, grouping);
        if (probe >= 0) {
            int32_t length = 0;
            for (int32_t at = i; at <= probe; ++at) {
                length =
                    AppendWordText(lexicon, words[at], segment, kComposeBufferCapacity, length);
            }
            if (!wholeNumbers) {
                ConvertNumerals(segment, converted, length, kComposeBufferCapacity);
            } else if (ReadSegmentWhole(segment, length, converted, kComposeBufferCapacity) < 0) {
                break;
            }
            NoteStarts(wordStarts, i, probe + 1, total);
            total = AppendText(converted, output, capacity, total);
            i = probe + 1;
            continue;
        }
        // A plain word; prefixes that no key follows are plain words too.
        NoteStarts(wordStarts, i, i + 1, total);
        AppendWordText(lexicon, words[i], wordText, kComposeBufferCapacity, 0);
        total += StripMarks(wordText, output + total, capacity - total);
        if (Tagged(context, words[i], kTagClosing) && total > 0) output[--total] = 0;
        ++i;
    }
    // Words after an end of the text (a number that cannot be read whole) start
    // where it ends: their fields come out empty.
    NoteStarts(wordStarts, i, n + 1, total);
    return total;
}

}  // namespace

int32_t ComposeResultText(const AddressContext& context, const WordId* words, int32_t n,
                          char16_t* output, int32_t capacity, int32_t* wordStarts,
                          NumberGrouping grouping) {
    return Compose(context, words, n, output, capacity, false, grouping, wordStarts);
}

int32_t ComposeWholeNumbersText(const AddressContext& context, const WordId* words, int32_t n,
                                char16_t* output, int32_t capacity, int32_t* wordStarts) {
    return Compose(context, words, n, output, capacity, true, NumberGrouping::kLongRuns,
                   wordStarts);
}

int32_t StripMarks(const char16_t* source, char16_t* output, int32_t capacity) {
    int32_t kept = 0;
    for (int32_t i = 0; source[i] != 0 && kept + 1 < capacity; ++i) {
        if (source[i] != kMarkAt && source[i] != kMarkBang) output[kept++] = source[i];
    }
    output[kept] = 0;
    return kept;
}

}  // namespace vantir
