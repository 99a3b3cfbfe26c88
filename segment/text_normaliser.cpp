// Text intake's normalisation: variants and widths folded, digit runs and
// numerals said digit by digit spelled as the numeral words a lexicon holds.
#include "segment/text_normaliser.h"

#include "segment/span_words.h"
#include "segment/text_variants.h"
#include "textutil/chinese_numerals.h"

namespace vantir {

namespace {

constexpr int32_t kDecimalBase = 10;
constexpr int32_t kThousandsGroup = 3;       // digits after a thousands separator
constexpr char16_t kSpokenOne = u'\u5E7A';   // 幺, one as said in digit strings
constexpr char16_t kCircleZero = u'\u3007';  // 〇, zero as written in digit strings

void PutUnit(const TextReader& reader, NormalisedWindow* window, int32_t* m, char16_t unit,
             char16_t alternate) {
    window->units[*m] = unit;
    window->alternates[*m] = alternate;
    window->numberStart[*m] = -1;
    window->sourceAt[*m] = reader.at;
    ++*m;
}

bool IsThousandsSeparator(char16_t unit) {
    return unit == u',' || unit == u'\uFF0C';  // , and the full-width ，
}

// The digit that text[at] stands for inside a digit run: a decimal digit of
// either width, or a Latin O read as 0 after a digit ("17O"), as recognisers
// write it. -1 for anything else.
int32_t RunDigitAt(const char16_t* text, int32_t at, bool afterDigit) {
    const int32_t digit = DecimalDigitValue(text[at]);
    if (digit >= 0) return digit;
    const char16_t narrow = NarrowWidth(text[at]);
    return afterDigit && (narrow == u'O' || narrow == u'o') ? 0 : -1;
}

// A digit run of the text: its extent, digits and value (of the first
// kMaxNumberDigits + 1 digits). A comma followed by exactly three digits is a
// thousands separator inside the run ("1,005"); any other comma ends it.
struct DigitRun {
    int32_t end;     // first unit after the run
    int32_t digits;  // digits read, separators left out
    int32_t value;
    bool leadingZero;
};

DigitRun ScanDigitRun(const char16_t* text, int32_t at, int32_t length) {
    DigitRun run{at, 0, 0, false};
    while (run.end < length) {
        const int32_t digit = RunDigitAt(text, run.end, run.digits > 0);
        if (digit >= 0) {
            if (run.digits == 0) run.leadingZero = digit == 0;
            if (run.digits <= kMaxNumberDigits) run.value = run.value * kDecimalBase + digit;
            ++run.digits;
            ++run.end;
            continue;
        }
        const bool grouped = run.digits > 0 && IsThousandsSeparator(text[run.end]) &&
                             run.end + kThousandsGroup < length;
        if (!grouped) break;
        int32_t group = 0;
        while (group < kThousandsGroup && RunDigitAt(text, run.end + 1 + group, true) >= 0)
            ++group;
        const int32_t after = run.end + 1 + kThousandsGroup;
        if (group < kThousandsGroup || (after < length && RunDigitAt(text, after, true) >= 0)) {
            break;
        }
        ++run.end;  // past the separator; the group's digits follow
    }
    if (run.digits == 1) run.leadingZero = false;
    return run;
}

bool IsNumberKey(char16_t unit);

// True when the digits of `run`, written digit by digit after the last units
// of the window, spell a word of the lexicon that starts in those units, and
// no number key follows the run.
bool EndsNameDigitByDigit(const DigitNames& names, const TextReader& reader, const DigitRun& run,
                          const NormalisedWindow& window, int32_t m) {
    const int32_t digits = run.end - reader.at;
    if (digits != run.digits || digits > kMaxNumberDigits) return false;  // separators: a number
    if (run.end < reader.length && IsNumberKey(NarrowWidth(reader.text[run.end]))) return false;
    char16_t units[kMaxSegmentWordUnits];
    char16_t alternates[kMaxSegmentWordUnits];
    WordId found[kMaxSpanWords];
    const int32_t longest =
        names.longestWord < kMaxSegmentWordUnits ? names.longestWord : kMaxSegmentWordUnits;
    for (int32_t before = 1; before <= m && before + digits <= longest; ++before) {
        for (int32_t k = 0; k < before; ++k) {
            units[k] = window.units[m - before + k];
            alternates[k] = window.alternates[m - before + k];
        }
        for (int32_t k = 0; k < digits; ++k) {
            units[before + k] = DigitNumeral(DecimalDigitValue(reader.text[reader.at + k]));
            alternates[before + k] = 0;
        }
        if (SpanWords(names.lexicon, names.limit, units, alternates, before + digits, found) > 0) {
            return true;
        }
    }
    return false;
}

// Spells `value` as one number into the window for the text up to `end`, its
// units marked as one number; false, with nothing read, when the window has
// no room for the longest spelling.
bool PutNumber(int32_t value, int32_t end, TextReader* reader, NormalisedWindow* window,
               int32_t* m) {
    if (*m + kMaxNumberUnits > window->capacity) return false;
    const int32_t start = *m;
    *m += SpellNumber(value, window->units + start, window->alternates + start);
    for (int32_t k = start; k < *m; ++k) {
        window->numberStart[k] = start;
        window->sourceAt[k] = reader->at;
    }
    reader->at = end;
    return true;
}

// Spells a digit run as one number when it is short and has no leading zero;
// false when it is read digit by digit. *full when the window has no room.
bool SpellRun(TextReader* reader, NormalisedWindow* window, int32_t* m, bool* full,
              const DigitNames* names) {
    const DigitRun run = ScanDigitRun(reader->text, reader->at, reader->length);
    if (run.digits > kMaxNumberDigits || run.leadingZero ||
        (names != nullptr && EndsNameDigitByDigit(*names, *reader, run, *window, *m))) {
        reader->runEnd = run.end;
        return false;
    }
    if (!PutNumber(run.value, run.end, reader, window, m)) *full = true;
    return true;
}

// The numeral a character stands for when numbers are said digit by digit:
// 幺 for one, 〇 for zero; any other unit as it is.
char16_t SpokenDigit(char16_t unit) {
    if (unit == kSpokenOne) return DigitNumeral(1);
    if (unit == kCircleZero) return DigitNumeral(0);
    return unit;
}

// Places past the numbers of an address (萬, 億 in both scripts): they are no
// numerals of the lexicon, but a number said with them is one number still.
bool IsLargePlace(char16_t unit) {
    return unit == u'\u842C' || unit == u'\u4E07' || unit == u'\u5104' || unit == u'\u4EBF';
}

// Keys that a house, lane or alley number stands before (號, 巷, 弄, 之, 樓, with the
// simplified 号 and 楼).
bool IsNumberKey(char16_t unit) {
    return unit == u'\u865F' || unit == u'\u53F7' || unit == u'\u5DF7' || unit == u'\u5F04' ||
           unit == u'\u4E4B' || unit == u'\u6A13' || unit == u'\u697C';
}

// Fewest numerals that make a run said digit by digit: two side by side (三四)
// are as often a slip as a number, unless 幺 or 〇 shows a digit string.
constexpr int32_t kMinSpokenDigits = 3;
constexpr int32_t kMinMarkedSpokenDigits = 2;

// A run of numerals said digit by digit right before a number key (一零零五號,
// 三幺巷) is spelled as the number it reads, as a digit run is. Runs that read
// as a number said whole, and runs before any other word (臺北一零一 is a
// name), are left to the lattice. True when the run was taken.
bool SpellSpokenDigits(TextReader* reader, NormalisedWindow* window, int32_t* m, bool* full) {
    char16_t digits[kMaxNumberDigits];
    int32_t n = 0;
    bool marked = false;
    int32_t end = reader->at;
    for (; end < reader->length; ++end) {
        const char16_t unit = NarrowWidth(reader->text[end]);
        const char16_t spoken = SpokenDigit(unit);
        if (NumeralValue(spoken) < 0 && !IsLargePlace(unit)) break;
        if (n == kMaxNumberDigits) return false;  // longer than any house number
        marked = marked || spoken != unit;
        digits[n++] = spoken;
    }
    if (end == reader->length || !IsNumberKey(NarrowWidth(reader->text[end]))) return false;
    if (n < (marked ? kMinMarkedSpokenDigits : kMinSpokenDigits)) return false;
    if (ReadNumber(digits, n) >= 0) return false;
    const int32_t value = ReadDigitByDigit(digits, n);
    if (value < 1) return false;
    if (!PutNumber(value, end, reader, window, m)) {
        *full = true;
        return true;
    }
    reader->spokenAt = -1;
    return true;
}

// Whether text[at] opens or continues a run of two or more numeral characters
// (一千兩百, 一零零五, 一萬), or is a zero on its own: such a run is one number,
// read whole or not at all. A lone zero is no part of any other word, so when
// no word spells it the text ends there instead of leaving a key numberless.
bool InSpokenRun(const char16_t* text, int32_t at, int32_t length) {
    const auto numeral = [&](int32_t k) {
        return k >= 0 && k < length &&
               (NumeralValue(SpokenDigit(text[k])) >= 0 || IsLargePlace(text[k]));
    };
    return numeral(at) &&
           (numeral(at - 1) || numeral(at + 1) || SpokenDigit(text[at]) == DigitNumeral(0));
}

}  // namespace

int32_t FillWindow(TextReader* reader, NormalisedWindow* window, const DigitNames* names) {
    int32_t m = 0;
    reader->spokenAt = -1;
    bool full = false;
    while (!full && reader->at < reader->length) {
        const char16_t unit = reader->text[reader->at];
        const bool inRun = reader->runEnd > reader->at;
        if (!inRun) reader->runEnd = -1;
        const int32_t digit =
            inRun ? RunDigitAt(reader->text, reader->at, true) : DecimalDigitValue(unit);
        const char16_t spoken = SpokenDigit(NarrowWidth(unit));
        if (digit >= 0 || !InSpokenRun(reader->text, reader->at, reader->length)) {
            reader->spokenAt = -1;
        }
        if (inRun && digit < 0) {
            ++reader->at;  // a thousands separator inside a run read digit by digit
        } else if (IsTextSeparator(unit)) {
            ++reader->at;
        } else if (digit >= 0 && !inRun && SpellRun(reader, window, &m, &full, names)) {
            // spelled as a number, or left for the next window
        } else if (digit < 0 && reader->spokenAt < 0 &&
                   SpellSpokenDigits(reader, window, &m, &full)) {
            // said digit by digit before a key: spelled as the number it reads
        } else if (m >= window->capacity) {
            full = true;
        } else if (digit >= 0) {
            // A run read digit by digit is one number too: all of it or nothing.
            const bool continued = inRun && m > 0 && window->numberStart[m - 1] >= 0;
            PutUnit(*reader, window, &m, DigitNumeral(digit), 0);
            window->numberStart[m - 1] = continued ? window->numberStart[m - 2] : m - 1;
            ++reader->at;
        } else {
            const char16_t variant = VariantPartner(spoken);
            PutUnit(*reader, window, &m, spoken, variant != 0 ? variant : WidthPartner(spoken));
            if (InSpokenRun(reader->text, reader->at, reader->length)) {
                if (reader->spokenAt < 0) reader->spokenAt = m - 1;
                window->numberStart[m - 1] = reader->spokenAt;
            }
            ++reader->at;
        }
    }
    return m;
}

}  // namespace vantir
