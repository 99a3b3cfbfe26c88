// Fields of a kept address by its words' tags: the head's regions and road, the
// numbered segments by their keys, and named places; then their spans in the text.
#include "address/word_fields.h"

#include "address/compose_text.h"
#include "textutil/byte_order.h"

namespace vantir {

namespace {

// A key word ending in 之 joins its number to the house number that follows
// ("12之1號"): it closes a part of the number, not an alley.
constexpr char16_t kNumberPartUnit = u'\u4E4B';

bool TaggedAt(const AddressContext& context, const WordId* words, int32_t n, int32_t at,
              int32_t tag) {
    return at < n && Tagged(context, words[at], tag);
}

bool EndsWithNumberPart(const Lexicon* lexicon, WordId word) {
    int32_t length = 0;
    const char16_t* text = Lexicon_GetWord(lexicon, word, &length);
    return text != nullptr && length > 0 && LoadUnitAt(text, length - 1) == kNumberPartUnit;
}

// The field a segment closed by `key` fills; kNoField when the word closes none.
int8_t FieldOfKey(const AddressContext& context, WordId key) {
    if (Tagged(context, key, kTagFirstKey)) return kFieldSection;
    if (Tagged(context, key, kTagSecondKey)) return kFieldLane;
    if (Tagged(context, key, kTagThirdLead)) {
        return EndsWithNumberPart(context.lexicon, key) ? kFieldNumber : kFieldAlley;
    }
    if (Tagged(context, key, kTagThirdKey)) return kFieldNumber;
    return kNoField;
}

// The field of a word that is no segment of numbers; `previous` is the field of
// the word before it.
int8_t FieldOfPlainWord(const AddressContext& context, WordId word, int8_t previous) {
    if (Tagged(context, word, kTagUpperHead) || Tagged(context, word, kTagBoundHeadOpener)) {
        return kFieldUpper;
    }
    if (Tagged(context, word, kTagHeadOpener) || Tagged(context, word, kTagFallbackWord)) {
        return kFieldPlace;
    }
    // A station or an airport after its city's opener names one place with it.
    if (previous == kFieldPlace && Tagged(context, word, kTagOpenerFollower)) return kFieldPlace;
    if (Tagged(context, word, kTagLowerHead) || Tagged(context, word, kTagUpperFollower)) {
        return kFieldLower;
    }
    if (Tagged(context, word, kTagCompletionTrigger)) return kFieldRoad;
    if (Tagged(context, word, kTagBareFirstKey)) return kFieldSection;
    if (Tagged(context, word, kTagBareSecondKey)) return kFieldLane;
    return kNoField;
}

}  // namespace

void AssignWordFields(const AddressContext& context, const WordId* words, int32_t n,
                      int8_t* fields) {
    const int32_t located = n < kMaxLocatedWords ? n : kMaxLocatedWords;
    int8_t previous = kNoField;
    int32_t i = 0;
    while (i < located) {
        // The same grouping as composition: optional prefixes, then a key.
        int32_t probe = i;
        if (TaggedAt(context, words, n, probe, kTagFirstPrefix)) ++probe;
        if (TaggedAt(context, words, n, probe, kTagSecondPrefix)) ++probe;
        const int8_t keyField = probe < n ? FieldOfKey(context, words[probe]) : kNoField;
        if (keyField != kNoField) {
            for (int32_t k = i; k <= probe && k < located; ++k)
                fields[k] = keyField;
            previous = keyField;
            i = probe + 1;
            continue;
        }
        previous = FieldOfPlainWord(context, words[i], previous);
        fields[i++] = previous;
    }
}

void LocateWordFields(const AddressContext& context, const WordId* words, int32_t n,
                      const int32_t* wordStarts, int32_t textLength,
                      FieldSpan spans[kResultFieldCount]) {
    for (int32_t f = 0; f < kResultFieldCount; ++f)
        spans[f] = FieldSpan{0, 0};
    int8_t fields[kMaxLocatedWords];
    AssignWordFields(context, words, n, fields);
    const int32_t located = n < kMaxLocatedWords ? n : kMaxLocatedWords;
    bool seen[kResultFieldCount] = {};
    int32_t i = 0;
    while (i < located) {
        const int8_t field = fields[i];
        int32_t end = i + 1;
        while (end < located && fields[end] == field)
            ++end;
        if (field != kNoField && !seen[field]) {
            seen[field] = true;
            // The text may have been cut after composition.
            const int32_t from = wordStarts[i] < textLength ? wordStarts[i] : textLength;
            const int32_t to = wordStarts[end] < textLength ? wordStarts[end] : textLength;
            if (to > from) {
                spans[field] =
                    FieldSpan{static_cast<int16_t>(from), static_cast<int16_t>(to - from)};
            }
        }
        i = end;
    }
}

}  // namespace vantir
