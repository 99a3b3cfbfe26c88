// Builds the lexicon blob from the vocabulary and learns the word numbering.
// The lexicon sorts the words into its own order, so ids are read back.
#include <cstring>

#include "tools/compile/blob_builders.h"
#include "vantir/vantir.hpp"

namespace vantir::tools {

LexiconBlob BuildLexiconBlob(const Vocabulary& vocabulary) {
    std::u16string list;
    for (const VocabularyEntry& entry : vocabulary.entries) {
        list += entry.text;
        list += u'\n';
    }
    LexiconPtr lexicon(Lexicon_Create(nullptr, 0, 0));
    if (!lexicon) throw ToolError("lexicon: out of memory");
    int32_t size = 0;
    // The list is split in place: it is a copy that ends with its 0 unit.
    const void* blob = Lexicon_BuildBlob(lexicon.get(), list.data(), &size);
    if (blob == nullptr || size <= 0) throw ToolError("lexicon: the library refused the word list");

    LexiconBlob built;
    built.bytes.resize(static_cast<size_t>(size));
    std::memcpy(built.bytes.data(), blob, built.bytes.size());
    built.numbering.wordCount = Lexicon_GetStaticCount(lexicon.get());
    if (built.numbering.wordCount != static_cast<int32_t>(vocabulary.entries.size())) {
        throw ToolError("lexicon: holds " + std::to_string(built.numbering.wordCount) +
                        " words but the vocabulary lists " +
                        std::to_string(vocabulary.entries.size()));
    }
    std::vector<const VocabularyEntry*> owner(vocabulary.entries.size(), nullptr);
    for (const VocabularyEntry& entry : vocabulary.entries) {
        const WordId id = FindWord(lexicon.get(), entry.text);
        if (id < 0 || id >= built.numbering.wordCount) {
            Fail(vocabulary.file, entry.line, "the lexicon cannot find word " + Shown(entry.word));
        }
        if (owner[static_cast<size_t>(id)] != nullptr) {
            Fail(vocabulary.file, entry.line,
                 "word " + Shown(entry.word) + " gets the id of " +
                     Shown(owner[static_cast<size_t>(id)]->word));
        }
        owner[static_cast<size_t>(id)] = &entry;
        built.numbering.ids.emplace(entry.word, id);
    }
    return built;
}

}  // namespace vantir::tools
