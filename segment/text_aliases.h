// Spellings a data set reads as others: old county and township names as
// today's, look-alike characters as the lexicon's own, kept as alias words.
#ifndef VANTIR_SEGMENT_TEXT_ALIASES_H
#define VANTIR_SEGMENT_TEXT_ALIASES_H

#include <cstdint>

#include "vantir/types.h"

namespace vantir {

// An alias is a lexicon word of the form MARK written MARK form: text intake
// reads `written` (臺北縣板橋市, 巿) as `form` (新北市板橋區, 市). The mark is
// an arrow that no recognised text holds inside a name, so that no stretch of
// text spells an alias word itself; the words carry no tag.
constexpr char16_t kAliasMark = u'\u2192';
// Longest written side and form of an alias, in units.
constexpr int32_t kMaxAliasUnits = 12;
// Aliases looked at per starting unit and spelling.
constexpr int32_t kMaxAliasesPerStart = 16;

struct TextAliases {
    const Lexicon* lexicon;
    bool any;  // the lexicon holds alias words at all
};

// Whether the lexicon holds any alias word.
bool LexiconHasAliases(const Lexicon* lexicon);

// The longest alias whose written side text[at ..] starts with (units compared
// across widths and the variant pairs of text_variants.h). Writes its form to
// `form` (room for kMaxAliasUnits) and returns the units of text it covers,
// with *formLength set; 0 when no alias matches.
int32_t MatchAlias(const TextAliases& aliases, const char16_t* text, int32_t at, int32_t length,
                   char16_t* form, int32_t* formLength);

}  // namespace vantir

#endif  // VANTIR_SEGMENT_TEXT_ALIASES_H
