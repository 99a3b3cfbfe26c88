// Text intake's normalisation: variants and widths folded, digit runs and
// numerals said digit by digit spelled as the numeral words a lexicon holds.
#include "segment/text_normaliser.h"

#include "segment/span_words.h"
#include "segment/text_aliases.h"
#include "segment/text_variants.h"
#include "textutil/address_words.h"
#include "textutil/chinese_numerals.h"

namespace vantir {

namespace {

constexpr int32_t kDecimalBase = 10;
constexpr int32_t kThousandsGroup = 3;         // digits after a thousands separator
constexpr int32_t kLargestHouseNumber = 9999;  // the largest number the speller writes

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
bool IsListMark(char16_t unit);
int32_t ListedNumbersKey(const char16_t* text, int32_t at, int32_t length);

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
            // The run's own digit reader, so that 1O1 names what 101 names.
            units[before + k] = DigitNumeral(RunDigitAt(reader.text, reader.at + k, k > 0));
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
// false when it is read digit by digit. *full when the window has no room. A
// run before 鄰 (a village's neighbourhood) is passed over, and a run that a
// list of further numbers follows (9、11號) is spelled alone, the list left out.
bool SpellRun(TextReader* reader, NormalisedWindow* window, int32_t* m, bool* full,
              const DigitNames* names) {
    const DigitRun run = ScanDigitRun(reader->text, reader->at, reader->length);
    if (run.end < reader->length && reader->text[run.end] == kNeighbourhoodKey) {
        reader->at = run.end + 1;
        return true;
    }
    if (run.digits > kMaxNumberDigits || run.leadingZero ||
        (names != nullptr && EndsNameDigitByDigit(*names, *reader, run, *window, *m))) {
        reader->runEnd = run.end;
        return false;
    }
    const int32_t listedKey = ListedNumbersKey(reader->text, run.end, reader->length);
    if (!PutNumber(run.value, listedKey >= 0 ? listedKey : run.end, reader, window, m)) {
        *full = true;
    }
    return true;
}

// The numeral a unit stands for in the window: 幺 and ㄧ for one, 〇 and ○
// for zero; any other unit (digits too, which are spelled as runs) as it is.
char16_t SpokenDigit(char16_t unit) {
    char16_t numerals[kMaxNumeralsPerUnit];
    if (DecimalDigitValue(unit) >= 0) return unit;
    return WrittenNumerals(unit, numerals) == 1 ? numerals[0] : unit;
}

// Places past the numbers of an address (萬, 億 in both scripts): they are no
// numerals of the lexicon, but a number said with them is one number still.
bool IsLargePlace(char16_t unit) {
    return unit == u'\u842C' || unit == u'\u4E07' || unit == u'\u5104' || unit == u'\u4EBF';
}

// Keys that a house, lane or alley number stands before (號, 巷, 弄, 之, 樓, with the
// simplified 号 and 楼).
bool IsNumberKey(char16_t unit) {
    return unit == kHouseNumberKey || unit == kHouseNumberKeySimplified || unit == kLaneKey ||
           unit == kAlleyKey || unit == kNumberPartKey || unit == kFloorKey ||
           unit == kFloorKeySimplified;
}

bool IsHouseKey(char16_t unit) {
    return unit == kHouseNumberKey || unit == kHouseNumberKeySimplified;
}

// Hyphens and dashes that join a house number and its sub-number (40-7號).
bool IsNumberHyphen(char16_t unit) {
    const char16_t narrow = NarrowWidth(unit);
    return narrow == u'-' || (unit >= u'\u2010' && unit <= u'\u2015') || unit == u'\u2212' ||
           unit == u'\uFE63';
}

// Marks between the numbers of a list (9、11號, 5至7號), of which an address
// keeps the first.
bool IsListMark(char16_t unit) {
    const char16_t narrow = NarrowWidth(unit);
    return narrow == u',' || narrow == u'~' || unit == u'\u3001' || unit == u'\u53CA' ||
           unit == u'\u81F3';
}

// Whether text[at] can be part of a written number: a digit, a numeral or one
// of the units written for them (幺 ㄧ 〇 ○ 廿 卅 卌).
bool IsNumberUnit(char16_t unit) {
    char16_t numerals[kMaxNumeralsPerUnit];
    return WrittenNumerals(NarrowWidth(unit), numerals) > 0;
}

// The end of the number units from `at`.
int32_t NumberUnitsEnd(const char16_t* text, int32_t at, int32_t length) {
    while (at < length && IsNumberUnit(text[at]))
        ++at;
    return at;
}

// Where the key after a list of further numbers stands (、11號: the 號), when
// text[at] opens such a list; else -1. Only the list's first number is read.
int32_t ListedNumbersKey(const char16_t* text, int32_t at, int32_t length) {
    bool listed = false;
    while (at < length && IsListMark(text[at])) {
        const int32_t end = NumberUnitsEnd(text, at + 1, length);
        int32_t digits = 0;
        for (int32_t k = at + 1; k < end; ++k)
            digits += DecimalDigitValue(text[k]) >= 0 ? 1 : 0;
        // Digits past a house number's length, or after a zero, are no
        // number of the list (1,05 is a misplaced separator).
        if (end == at + 1 || digits > kMaxNumberDigits || DecimalDigitValue(text[at + 1]) == 0) {
            return -1;
        }
        at = end;
        listed = true;
    }
    return listed && at < length && IsNumberKey(NarrowWidth(text[at])) ? at : -1;
}

// Whether text[at] is a hyphen between two house numbers whose second the
// house key follows (40-7號): the hyphen is then said 之.
bool JoinsSubNumber(const char16_t* text, int32_t at, int32_t length) {
    if (at == 0 || !IsNumberHyphen(text[at]) || !IsNumberUnit(text[at - 1])) return false;
    const int32_t end = NumberUnitsEnd(text, at + 1, length);
    return end > at + 1 && end < length && IsHouseKey(NarrowWidth(text[end]));
}

// Fewest numerals that make a run said digit by digit, and the same when 幺,
// 〇 or a digit shows a digit string. Two (四二號) is a number before a key.
constexpr int32_t kMinSpokenDigits = 2;

// A numeral run as written: its numerals (digits, 幺, ㄧ, 〇, ○ folded to
// numerals, 廿 卅 卌 to two), where it ends, and whether it is spelled as the
// lexicon's numerals are: no unit folded and no 二 before 百 or 千 (the lexicon
// says 兩百, 兩千).
struct NumeralRun {
    char16_t units[kMaxNumeralRunUnits];
    int32_t n;
    int32_t end;
    bool asLexicon;
};

// Reads the run at `at`; false when it is longer than any number.
bool ScanNumeralRun(const char16_t* text, int32_t at, int32_t length, NumeralRun* run) {
    run->n = 0;
    run->asLexicon = true;
    for (run->end = at; run->end < length; ++run->end) {
        const char16_t unit = NarrowWidth(text[run->end]);
        char16_t numerals[kMaxNumeralsPerUnit];
        int32_t count = WrittenNumerals(unit, numerals);
        if (count == 0 && IsLargePlace(unit)) {
            numerals[0] = unit;
            count = 1;
        }
        if (count == 0) break;
        if (run->n + count > kMaxNumeralRunUnits) return false;
        const bool folded = count > 1 || numerals[0] != unit;
        run->asLexicon = run->asLexicon && !folded;
        for (int32_t k = 0; k < count; ++k)
            run->units[run->n++] = numerals[k];
    }
    for (int32_t k = 0; k + 1 < run->n; ++k) {
        const int32_t place = NumeralValue(run->units[k + 1]);
        if (run->units[k] == DigitNumeral(2) && (place == 100 || place == 1000)) {
            run->asLexicon = false;
        }
    }
    return true;
}

// A run of numerals right before a number key (一零零五號, 三幺巷, 卅六號,
// 八０號, 二百號, 9、11號's first number) is spelled as the number it reads:
// whole as people say it, else digit by digit. Runs spelled as the lexicon
// spells them and said whole, and runs before any other word (臺北一零一 is
// a name), are left to the lattice. True when the run was taken.
bool SpellSpokenDigits(TextReader* reader, NormalisedWindow* window, int32_t* m, bool* full) {
    NumeralRun run;
    if (!ScanNumeralRun(reader->text, reader->at, reader->length, &run) || run.n == 0) {
        return false;
    }
    if (run.end < reader->length && reader->text[run.end] == kNeighbourhoodKey) {
        reader->at = run.end + 1;  // 3鄰: a neighbourhood, no part of the address
        reader->spokenAt = -1;
        return true;
    }
    int32_t next = run.end;
    const int32_t listedKey = ListedNumbersKey(reader->text, run.end, reader->length);
    if (listedKey >= 0) next = listedKey;
    if (next == reader->length || !IsNumberKey(NarrowWidth(reader->text[next]))) return false;
    int32_t value = ReadNumber(run.units, run.n);
    if (value >= 0) {
        if (run.asLexicon && listedKey < 0) return false;
    } else {
        if (run.n < kMinSpokenDigits) return false;
        value = ReadDigitByDigit(run.units, run.n);
    }
    if (value < 1 || value > kLargestHouseNumber) return false;
    // A sub-number joined by a hyphen follows at `next` unchanged.
    if (!PutNumber(value, next, reader, window, m)) {
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
               ((DecimalDigitValue(text[k]) < 0 && IsNumberUnit(text[k])) || IsLargePlace(text[k]));
    };
    return numeral(at) &&
           (numeral(at - 1) || numeral(at + 1) || SpokenDigit(text[at]) == DigitNumeral(0));
}

// Puts the lexicon's form of an alias that starts at the reader: a character
// as the other spelling of its unit (巿 beside 市), keeping what the text
// wrote, a longer stretch as the form's units (臺北縣板橋市 as 新北市板橋區).
// False when no alias starts there or the unit already has a variant partner.
bool PutAlias(const TextAliases& aliases, TextReader* reader, NormalisedWindow* window, int32_t* m,
              bool* full) {
    char16_t form[kMaxAliasUnits];
    int32_t formLength = 0;
    const int32_t written =
        MatchAlias(aliases, reader->text, reader->at, reader->length, form, &formLength);
    if (written == 0) return false;
    const char16_t spoken = SpokenDigit(NarrowWidth(reader->text[reader->at]));
    if (written == 1 && formLength == 1) {
        if (VariantPartner(spoken) != 0 || *m >= window->capacity) return false;
        PutUnit(*reader, window, m, spoken, form[0]);
        ++reader->at;
        return true;
    }
    if (*m + formLength > window->capacity) {
        *full = true;
        return true;
    }
    const int32_t start = *m;
    for (int32_t k = 0; k < formLength; ++k)
        PutUnit(*reader, window, m, form[k], VariantPartner(form[k]));
    // A window that restarts inside the form goes on after the stretch.
    for (int32_t k = start + 1; k < *m; ++k)
        window->sourceAt[k] = reader->at + written;
    reader->at += written;
    return true;
}

}  // namespace

int32_t FillWindow(TextReader* reader, NormalisedWindow* window, const DigitNames* names,
                   const TextAliases* aliases) {
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
        } else if (!inRun && m > 0 && m < window->capacity &&
                   JoinsSubNumber(reader->text, reader->at, reader->length)) {
            PutUnit(*reader, window, &m, kNumberPartKey, 0);  // 40-7號 is said 40之7號
            ++reader->at;
        } else if (IsTextSeparator(unit) || unit == kAliasMark) {
            ++reader->at;  // the mark too, so that no stretch spells an alias word
        } else if (!inRun && digit < 0 && aliases != nullptr &&
                   PutAlias(*aliases, reader, window, &m, &full)) {
            // read as the lexicon writes it
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
