// Alias words of a data set found in text: a prefix look-up of the lexicon per
// starting unit, under each spelling of that unit, then a comparison unit by unit.
#include "segment/text_aliases.h"

#include "segment/text_variants.h"
#include "textutil/byte_order.h"
#include "vantir/lexicon.h"

namespace vantir {

namespace {

// Two units name the same character for an alias: equal after width folding,
// or a variant pair (台 and 臺).
bool SameCharacter(char16_t a, char16_t b) {
    const char16_t x = NarrowWidth(a);
    const char16_t y = NarrowWidth(b);
    return x == y || (VariantPartner(x) != 0 && VariantPartner(x) == y);
}

// Reads alias word `id`: the written side's length and where the form starts;
// false for a word that is no well-formed alias.
struct AliasWord {
    const char16_t* units;
    int32_t writtenLength;
    int32_t formStart;
    int32_t length;
};

bool ReadAlias(const Lexicon* lexicon, WordId id, AliasWord* alias) {
    int32_t length = 0;
    const char16_t* units = Lexicon_GetWord(lexicon, id, &length);
    if (units == nullptr || length < 4 || LoadUnitAt(units, 0) != kAliasMark) return false;
    int32_t mark = 1;
    while (mark < length && LoadUnitAt(units, mark) != kAliasMark)
        ++mark;
    const int32_t written = mark - 1;
    const int32_t form = length - mark - 1;
    if (written < 1 || form < 1 || written > kMaxAliasUnits || form > kMaxAliasUnits) return false;
    *alias = AliasWord{units, written, mark + 1, length};
    return true;
}

}  // namespace

bool LexiconHasAliases(const Lexicon* lexicon) {
    const char16_t key[] = {kAliasMark, 0};
    return Lexicon_ListPrefixN(lexicon, key, 1, nullptr, 1) > 0;
}

int32_t MatchAlias(const TextAliases& aliases, const char16_t* text, int32_t at, int32_t length,
                   char16_t* form, int32_t* formLength) {
    if (!aliases.any || at >= length) return 0;
    const char16_t first = NarrowWidth(text[at]);
    const char16_t spellings[] = {first, VariantPartner(first)};
    int32_t best = 0;
    for (const char16_t spelling : spellings) {
        if (spelling == 0) continue;
        const char16_t key[] = {kAliasMark, spelling};
        WordId ids[kMaxAliasesPerStart];
        const int32_t count =
            Lexicon_ListPrefixN(aliases.lexicon, key, 2, ids, kMaxAliasesPerStart);
        for (int32_t k = 0; k < count; ++k) {
            AliasWord alias;
            if (!ReadAlias(aliases.lexicon, ids[k], &alias) || alias.writtenLength <= best ||
                at + alias.writtenLength > length) {
                continue;
            }
            bool same = true;
            for (int32_t u = 0; u < alias.writtenLength && same; ++u)
                same = SameCharacter(text[at + u], LoadUnitAt(alias.units, 1 + u));
            if (!same) continue;
            best = alias.writtenLength;
            *formLength = alias.length - alias.formStart;
            for (int32_t u = 0; u < *formLength; ++u)
                form[u] = LoadUnitAt(alias.units, alias.formStart + u);
        }
    }
    return best;
}

}  // namespace vantir
