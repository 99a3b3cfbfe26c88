// Alias table source (aliases.tsv): spellings that text intake reads as the
// lexicon's, stored in the lexicon as tagless alias words.
#ifndef VANTIR_TOOLS_ALIAS_TABLE_H
#define VANTIR_TOOLS_ALIAS_TABLE_H

#include <string>
#include <vector>

#include "tools/compile/arpa_model.h"
#include "tools/compile/text_source.h"
#include "tools/compile/vocabulary_reader.h"

namespace vantir::tools {

constexpr const char* kAliasesName = "aliases.tsv";

struct Alias {
    std::string written;  // as texts write it: 臺北縣板橋市, 巿
    std::string form;     // as the lexicon writes it: 新北市板橋區, 市
    int32_t line = 0;
};

// Parses the lines of an alias table: two fields a line, the written text and
// the lexicon's form. Fails on a field that is empty, longer than
// kMaxAliasUnits or holds the alias mark, on a pair whose sides are equal and
// on a written text listed twice.
std::vector<Alias> ParseAliases(const std::vector<SourceLine>& lines, const std::string& file);

// Appends each alias as a tagless word to the vocabulary and as a word that is
// never predicted to the model, so that the lexicon and the model number it
// and no search ever reads it as a word; the other words' scores stay as
// they were.
void AddAliasWords(const std::vector<Alias>& aliases, const std::string& file,
                   Vocabulary& vocabulary, ArpaModel& model);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_ALIAS_TABLE_H
