// Fields of a kept address by its words' tags: the head's regions and road, the
// numbered segments by their keys, and named places; then their spans in the text.
#include "address/word_fields.h"

#include "address/compose_text.h"
#include "textutil/address_words.h"
#include "textutil/byte_order.h"

namespace vantir {

namespace {

static_assert(kTagUpperFollower < kTagBitCount, "every tag read here fits the tag bits");

constexpr bool Has(uint64_t bits, int32_t tag) {
    return (bits >> tag & 1u) != 0;
}

// The field a segment closed by a word with these tags fills; kNoField when
// the word closes none.
int8_t FieldOfKey(const AddressContext& context, WordId key, uint64_t tags) {
    if (Has(tags, kTagFirstKey)) return kFieldSection;
    if (Has(tags, kTagSecondKey)) return kFieldLane;
    if (Has(tags, kTagThirdLead)) {
        return EndsWithNumberPart(context.lexicon, key) ? kFieldNumber : kFieldAlley;
    }
    if (Has(tags, kTagThirdKey)) return kFieldNumber;
    return kNoField;
}

// The field of a word that is no segment of numbers; `previous` is the field of
// the word before it.
int8_t FieldOfPlainWord(uint64_t tags, int8_t previous) {
    if (Has(tags, kTagUpperHead) || Has(tags, kTagBoundHeadOpener)) return kFieldUpper;
    if (Has(tags, kTagHeadOpener) || Has(tags, kTagFallbackWord)) return kFieldPlace;
    // A station or an airport after its city's opener names one place with it.
    if (previous == kFieldPlace && Has(tags, kTagOpenerFollower)) return kFieldPlace;
    if (Has(tags, kTagLowerHead) || Has(tags, kTagUpperFollower)) return kFieldLower;
    if (Has(tags, kTagCompletionTrigger)) return kFieldRoad;
    if (Has(tags, kTagBareFirstKey)) return kFieldSection;
    if (Has(tags, kTagBareSecondKey)) return kFieldLane;
    return kNoField;
}

}  // namespace

bool EndsWithNumberPart(const Lexicon* lexicon, WordId word) {
    int32_t length = 0;
    const char16_t* text = Lexicon_GetWord(lexicon, word, &length);
    return text != nullptr && length > 0 && LoadUnitAt(text, length - 1) == kNumberPartKey;
}

void AssignWordFields(const AddressContext& context, const WordId* words, int32_t n,
                      NumberGrouping grouping, int8_t* fields) {
    const int32_t located = n < kMaxLocatedWords ? n : kMaxLocatedWords;
    // Each word's tags once; a segment may look past the last located word.
    constexpr int32_t kLookAhead = kMaxSegmentNumberWords;
    uint64_t tags[kMaxLocatedWords + kLookAhead];
    const int32_t read = n < located + kLookAhead ? n : located + kLookAhead;
    for (int32_t i = 0; i < read; ++i)
        tags[i] = TagBitsOf(*context.db, words[i]);

    int8_t previous = kNoField;
    int32_t i = 0;
    while (i < located) {
        // The same grouping as composition: number words, then a key.
        const int32_t probe = SegmentKeyAt(context, words, read, i, grouping);
        const int8_t keyField =
            probe >= 0 ? FieldOfKey(context, words[probe], tags[probe]) : kNoField;
        if (keyField != kNoField) {
            for (int32_t k = i; k <= probe && k < located; ++k)
                fields[k] = keyField;
            previous = keyField;
            i = probe + 1;
            continue;
        }
        previous = FieldOfPlainWord(tags[i], previous);
        fields[i++] = previous;
    }
}

void LocateWordFields(const AddressContext& context, const WordId* words, int32_t n,
                      NumberGrouping grouping, const int32_t* wordStarts, int32_t textLength,
                      FieldSpan spans[kResultFieldCount]) {
    for (int32_t f = 0; f < kResultFieldCount; ++f)
        spans[f] = FieldSpan{0, 0};
    int8_t fields[kMaxLocatedWords];
    AssignWordFields(context, words, n, grouping, fields);
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
