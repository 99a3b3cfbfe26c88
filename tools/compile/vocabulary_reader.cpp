// Parser of the vocabulary source: words, their tags, duplicate and length checks.
// Tags may be separated by blanks or commas.
#include "tools/compile/vocabulary_reader.h"

#include <algorithm>

#include "tools/compile/tag_roles.h"
#include "vantir/vantir.hpp"

namespace vantir::tools {

namespace {

std::vector<std::string> SplitTagList(const std::vector<std::string>& fields) {
    std::vector<std::string> tags;
    for (size_t i = 1; i < fields.size(); ++i) {
        size_t start = 0;
        const std::string& field = fields[i];
        while (start <= field.size()) {
            size_t comma = field.find(',', start);
            if (comma == std::string::npos) comma = field.size();
            if (comma > start) tags.push_back(field.substr(start, comma - start));
            start = comma + 1;
        }
    }
    return tags;
}

}  // namespace

bool IsReservedWord(const std::string& word) {
    return word == "<s>" || word == "</s>" || word == "<unk>";
}

const VocabularyEntry* Vocabulary::Find(const std::string& word) const {
    const auto found = index.find(word);
    return found == index.end() ? nullptr : &entries[found->second];
}

Vocabulary ParseVocabulary(const std::vector<SourceLine>& lines, const std::string& file,
                           Diagnostics& diagnostics) {
    Vocabulary vocabulary;
    vocabulary.file = file;
    for (const SourceLine& line : lines) {
        if (IsBlankOrComment(line.text)) continue;
        const std::vector<std::string> fields = SplitFields(line.text);
        VocabularyEntry entry;
        entry.word = fields[0];
        entry.line = line.number;
        if (IsReservedWord(entry.word)) {
            Fail(file, line.number,
                 "word " + Shown(entry.word) + " is reserved for language models");
        }
        if (entry.word.find('\0') != std::string::npos) {
            Fail(file, line.number,
                 "word " + Shown(entry.word) + " cannot be stored: lexicon words end at a NUL");
        }
        entry.text = ToUtf16(entry.word).value();
        if (static_cast<int32_t>(entry.text.size()) > kMaxWordUnits) {
            Fail(file, line.number,
                 "word is longer than " + std::to_string(kMaxWordUnits) + " UTF-16 units");
        }
        if (const VocabularyEntry* first = vocabulary.Find(entry.word)) {
            Fail(file, line.number,
                 "word " + Shown(entry.word) + " is listed twice (first at line " +
                     std::to_string(first->line) + ")");
        }
        for (const std::string& text : SplitTagList(fields)) {
            const std::optional<uint8_t> tag = ParseTag(text);
            if (!tag) {
                Fail(file, line.number,
                     "unknown tag " + Shown(text) + " for word " + Shown(entry.word) +
                         " (use a number 0-255 or a role name such as upper-head)");
            }
            if (std::find(entry.tags.begin(), entry.tags.end(), *tag) != entry.tags.end()) {
                diagnostics.Warn(file, line.number,
                                 "tag " + text + " given twice for word " + Shown(entry.word),
                                 "tags given twice");
                continue;
            }
            if (FindTagRole(*tag) == nullptr) {
                diagnostics.Warn(file, line.number,
                                 "tag " + text + " has no role in the address grammar",
                                 "tags without a role");
            }
            entry.tags.push_back(*tag);
        }
        vocabulary.index.emplace(entry.word, vocabulary.entries.size());
        vocabulary.entries.push_back(std::move(entry));
    }
    return vocabulary;
}

}  // namespace vantir::tools
