// Generation of the pairs the address grammar tests, from tags, region pairs
// and roads, and their entry into a model at their back-off score.
#include "tools/compile/grammar_pairs.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <unordered_map>
#include <utility>

#include "address/tag_codes.h"
#include "tools/compile/bigram_trainer.h"

namespace vantir::tools {

namespace {

bool HasTagCode(const VocabularyEntry& entry, int32_t tag) {
    return std::find(entry.tags.begin(), entry.tags.end(), static_cast<uint8_t>(tag)) !=
           entry.tags.end();
}

std::vector<const VocabularyEntry*> WordsTagged(const Vocabulary& vocabulary,
                                                std::initializer_list<int32_t> tags) {
    std::vector<const VocabularyEntry*> words;
    for (const VocabularyEntry& entry : vocabulary.entries) {
        for (int32_t tag : tags) {
            if (HasTagCode(entry, tag)) {
                words.push_back(&entry);
                break;
            }
        }
    }
    return words;
}

class PairList {
  public:
    void Add(const std::string& first, const std::string& second, const char* step) {
        if (seen_.emplace(first, second).second) pairs_.push_back({first, second, step});
    }
    void AddAll(const std::vector<const VocabularyEntry*>& firsts,
                const std::vector<const VocabularyEntry*>& seconds, const char* step) {
        for (const VocabularyEntry* first : firsts) {
            for (const VocabularyEntry* second : seconds)
                Add(first->word, second->word, step);
        }
    }
    std::vector<GrammarPair> Take() { return std::move(pairs_); }

  private:
    std::set<std::pair<std::string, std::string>> seen_;
    std::vector<GrammarPair> pairs_;
};

void NeedWord(const Vocabulary& vocabulary, const RoadTable& roads, const RoadRow& row,
              const std::string& name, const char* what) {
    if (vocabulary.Find(name) == nullptr) {
        Fail(roads.file, row.line,
             std::string(what) + " " + Shown(name) + " is not in the vocabulary");
    }
}

void AddRoadPairs(const Vocabulary& vocabulary, const RegionSource& regions, const RoadTable& roads,
                  Diagnostics& diagnostics, PairList& pairs) {
    std::set<std::pair<std::string, std::string>> regionPairs;
    for (const RegionSourcePair& pair : regions.pairs)
        regionPairs.emplace(pair.upper, pair.lower);
    for (const RoadRow& row : roads.rows) {
        NeedWord(vocabulary, roads, row, row.county, "county");
        NeedWord(vocabulary, roads, row, row.district, "district");
        NeedWord(vocabulary, roads, row, row.road, "road");
        if (!HasTagCode(*vocabulary.Find(row.road), kTagCompletionTrigger)) {
            diagnostics.Warn(roads.file, row.line,
                             "road " + Shown(row.road) +
                                 " lacks the completion-trigger tag (17); no address reaches it",
                             "roads without the completion-trigger tag");
        }
        if (regionPairs.count({row.county, row.district}) == 0) {
            diagnostics.Warn(roads.file, row.line,
                             "district " + Shown(row.district) + " of road " + Shown(row.road) +
                                 " is not paired with " + Shown(row.county) +
                                 " in the region pairs",
                             "roads in a district that is not paired with their county");
        }
        pairs.Add(row.district, row.road, "lower region -> road");
        pairs.Add(row.county, row.road, "upper region -> road");
        for (const std::string& section : row.sections) {
            const VocabularyEntry* word = FindSectionWord(vocabulary, section);
            if (word == nullptr) {
                Fail(roads.file, row.line,
                     "section " + Shown(section) +
                         " names no word (a section word, or a number that a word tagged "
                         "bare-first-key or first-key reads as)");
            }
            pairs.Add(row.road, word->word, "road -> section");
        }
    }
}

}  // namespace

std::vector<GrammarPair> GenerateGrammarPairs(const Vocabulary& vocabulary,
                                              const RegionSource& regions,
                                              const std::vector<RoadTable>& roads,
                                              Diagnostics& diagnostics) {
    PairList pairs;
    for (const RegionSourcePair& pair : regions.pairs)
        pairs.Add(pair.upper, pair.lower, "upper -> lower region");
    for (const RoadTable& table : roads)
        AddRoadPairs(vocabulary, regions, table, diagnostics, pairs);
    pairs.AddAll(WordsTagged(vocabulary, {kTagFirstPrefix, kTagSecondPrefix}),
                 WordsTagged(vocabulary, {kTagThirdLead, kTagThirdKey}), "number -> key");
    pairs.AddAll(WordsTagged(vocabulary, {kTagHeadOpener}),
                 WordsTagged(vocabulary, {kTagOpenerFollower}), "opener -> follower");
    pairs.AddAll(WordsTagged(vocabulary, {kTagBoundHeadOpener}),
                 WordsTagged(vocabulary, {kTagLowerHead}), "bound opener -> lower region");
    return pairs.Take();
}

ArpaModel UniformModel(const Vocabulary& vocabulary) {
    ArpaModel model;
    // Every vocabulary word and </s> can be predicted.
    const double logProb = -std::log10(static_cast<double>(vocabulary.entries.size() + 1));
    model.unigrams.push_back({kSentenceStart, kNeverPredictedLog10, 0.0, 0});
    model.unigrams.push_back({kSentenceEnd, logProb, 0.0, 0});
    for (const VocabularyEntry& entry : vocabulary.entries)
        model.unigrams.push_back({entry.word, logProb, 0.0, 0});
    return model;
}

size_t AddGrammarPairs(ArpaModel& model, const std::vector<GrammarPair>& pairs) {
    std::unordered_map<std::string, const ArpaUnigram*> unigrams;
    for (const ArpaUnigram& unigram : model.unigrams)
        unigrams.emplace(unigram.word, &unigram);
    std::set<std::pair<std::string, std::string>> listed;
    for (const ArpaBigram& bigram : model.bigrams)
        listed.emplace(bigram.first, bigram.second);
    std::vector<ArpaBigram> added;
    for (const GrammarPair& pair : pairs) {
        if (listed.count({pair.first, pair.second}) != 0) continue;
        const auto first = unigrams.find(pair.first);
        const auto second = unigrams.find(pair.second);
        // A word the model has no 1-gram for gets the lowest score at build.
        const double backoff = first != unigrams.end() ? first->second->logBackoff : 0.0;
        const double logProb =
            second != unigrams.end() ? second->second->logProb : kNeverPredictedLog10;
        added.push_back({pair.first, pair.second, backoff + logProb, 0});
    }
    model.bigrams.insert(model.bigrams.end(), added.begin(), added.end());
    return added.size();
}

}  // namespace vantir::tools
