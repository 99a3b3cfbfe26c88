// Reader of the alias table and the alias words it adds to a build; the word
// form (mark, written text, mark, form) is text intake's (segment/text_aliases.h).
#include "tools/compile/alias_table.h"

#include <set>

#include "segment/text_aliases.h"
#include "tools/compile/bigram_trainer.h"
#include "vantir/vantir.hpp"

namespace vantir::tools {

namespace {

constexpr size_t kAliasFields = 2;

std::u16string CheckedSide(const std::string& text, const std::string& file, int32_t line) {
    const Expected<std::u16string> units = ToUtf16(text);
    if (!units || units->empty()) Fail(file, line, "alias text " + Shown(text) + " is not UTF-8");
    if (units->size() > static_cast<size_t>(kMaxAliasUnits)) {
        Fail(file, line,
             "alias text " + Shown(text) + " is longer than " + std::to_string(kMaxAliasUnits) +
                 " units");
    }
    if (units->find(kAliasMark) != std::u16string::npos) {
        Fail(file, line, "alias text " + Shown(text) + " holds the alias mark");
    }
    return *units;
}

}  // namespace

std::vector<Alias> ParseAliases(const std::vector<SourceLine>& lines, const std::string& file) {
    std::vector<Alias> aliases;
    std::set<std::string> written;
    for (const SourceLine& line : lines) {
        const std::vector<std::string> fields = SplitFields(line.text);
        if (fields.empty() || fields[0].starts_with('#')) continue;
        if (fields.size() != kAliasFields) {
            Fail(file, line.number, "an alias is two fields, the written text and the lexicon's");
        }
        CheckedSide(fields[0], file, line.number);
        CheckedSide(fields[1], file, line.number);
        if (fields[0] == fields[1])
            Fail(file, line.number, "alias of " + Shown(fields[0]) + " to itself");
        if (!written.insert(fields[0]).second) {
            Fail(file, line.number, "alias " + Shown(fields[0]) + " is listed twice");
        }
        aliases.push_back(Alias{fields[0], fields[1], line.number});
    }
    return aliases;
}

void AddAliasWords(const std::vector<Alias>& aliases, const std::string& file,
                   Vocabulary& vocabulary, ArpaModel& model) {
    const std::string mark = ToUtf8(std::u16string(1, kAliasMark));
    for (const Alias& alias : aliases) {
        const std::string word = mark + alias.written + mark + alias.form;
        if (vocabulary.Find(word) != nullptr) {
            Fail(file, alias.line, "alias word " + Shown(word) + " is a vocabulary word already");
        }
        VocabularyEntry entry;
        entry.word = word;
        entry.text = ToUtf16(word).value();
        entry.line = alias.line;
        vocabulary.index.emplace(word, vocabulary.entries.size());
        vocabulary.entries.push_back(std::move(entry));
        model.unigrams.push_back({word, kNeverPredictedLog10, 0.0, alias.line});
    }
}

}  // namespace vantir::tools
