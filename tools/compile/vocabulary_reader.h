// Vocabulary source: one word a line, followed by its tags as numbers or role
// names. The words become the lexicon; their tags the address database.
#ifndef VANTIR_TOOLS_VOCABULARY_READER_H
#define VANTIR_TOOLS_VOCABULARY_READER_H

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "tools/compile/diagnostics.h"
#include "tools/compile/text_source.h"

namespace vantir::tools {

// Longest word the lexicon stores, in UTF-16 units.
constexpr int32_t kMaxWordUnits = 256;

struct VocabularyEntry {
    std::string word;           // UTF-8
    std::u16string text;        // the same word in UTF-16
    std::vector<uint8_t> tags;  // in source order, each once
    int32_t line = 0;
};

struct Vocabulary {
    std::string file;
    std::vector<VocabularyEntry> entries;           // in source order
    std::unordered_map<std::string, size_t> index;  // word -> entry

    const VocabularyEntry* Find(const std::string& word) const;
};

// Parses the lines of a vocabulary file. Fails on a duplicate word, a word that
// is too long or reserved ("<s>", "</s>", "<unk>"), and an unknown tag; warns
// about tags without a role in the grammar.
Vocabulary ParseVocabulary(const std::vector<SourceLine>& lines, const std::string& file,
                           Diagnostics& diagnostics);

// Sentence boundary and unknown-word markers of language model files.
bool IsReservedWord(const std::string& word);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_VOCABULARY_READER_H
