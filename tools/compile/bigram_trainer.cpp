// Bigram counting and interpolated Witten-Bell estimation.
// Words are numbered: 0 for <s>, 1 for </s>, then the vocabulary in source order.
#include "tools/compile/bigram_trainer.h"

#include <cmath>
#include <map>
#include <unordered_map>
#include <utility>

namespace vantir::tools {

namespace {

constexpr size_t kStartIndex = 0;
constexpr size_t kEndIndex = 1;
constexpr size_t kFirstWordIndex = 2;

struct Counts {
    std::vector<double> unigram;                       // by word index; <s> stays 0
    std::vector<double> history;                       // c(h): times h precedes a token
    std::vector<double> successors;                    // T(h): distinct successors
    std::map<std::pair<size_t, size_t>, double> pair;  // ordered for the output
};

Counts CountSentences(const std::vector<Sentence>& sentences, const Vocabulary& vocabulary,
                      Progress& progress) {
    const size_t words = vocabulary.entries.size() + kFirstWordIndex;
    Counts counts{
        std::vector<double>(words), std::vector<double>(words), std::vector<double>(words), {}};
    for (size_t s = 0; s < sentences.size(); ++s) {
        size_t previous = kStartIndex;
        const Sentence& sentence = sentences[s];
        for (size_t k = 0; k <= sentence.size(); ++k) {
            const size_t current = k < sentence.size()
                                       ? vocabulary.index.at(sentence[k]) + kFirstWordIndex
                                       : kEndIndex;
            counts.unigram[current] += 1;
            counts.history[previous] += 1;
            double& pair = counts.pair[{previous, current}];
            if (pair == 0) counts.successors[previous] += 1;
            pair += 1;
            previous = current;
        }
        progress.Update("counting", s + 1, sentences.size());
    }
    progress.Finish();
    return counts;
}

}  // namespace

std::vector<Sentence> ParseCorpus(const std::vector<SourceLine>& lines, const std::string& file,
                                  const Vocabulary& vocabulary) {
    std::vector<Sentence> sentences;
    for (const SourceLine& line : lines) {
        if (IsBlankOrComment(line.text)) continue;
        Sentence sentence = SplitFields(line.text);
        for (const std::string& word : sentence) {
            if (vocabulary.Find(word) == nullptr) {
                Fail(file, line.number, "word " + Shown(word) + " is not in the vocabulary");
            }
        }
        sentences.push_back(std::move(sentence));
    }
    return sentences;
}

ArpaModel TrainWittenBell(const std::vector<Sentence>& sentences, const Vocabulary& vocabulary,
                          Progress& progress) {
    const Counts counts = CountSentences(sentences, vocabulary, progress);
    const size_t words = counts.unigram.size();
    double tokens = 0;
    double typesSeen = 0;
    for (size_t w = kEndIndex; w < words; ++w) {
        tokens += counts.unigram[w];
        if (counts.unigram[w] > 0) typesSeen += 1;
    }
    const double predictable = static_cast<double>(words - kEndIndex);  // vocabulary + </s>

    std::vector<double> p1(words, 0.0);
    for (size_t w = kEndIndex; w < words; ++w) {
        p1[w] = (counts.unigram[w] + typesSeen / predictable) / (tokens + typesSeen);
    }

    auto nameOf = [&](size_t w) -> std::string {
        if (w == kStartIndex) return kSentenceStart;
        if (w == kEndIndex) return kSentenceEnd;
        return vocabulary.entries[w - kFirstWordIndex].word;
    };
    auto backoffOf = [&](size_t h) {
        const double c = counts.history[h];
        const double t = counts.successors[h];
        return c > 0 ? t / (c + t) : 1.0;
    };

    ArpaModel model;
    model.unigrams.push_back({kSentenceStart, kNeverPredictedLog10, std::log10(backoffOf(0)), 0});
    for (size_t w = kEndIndex; w < words; ++w) {
        model.unigrams.push_back({nameOf(w), std::log10(p1[w]), std::log10(backoffOf(w)), 0});
    }
    for (const auto& [key, c] : counts.pair) {
        const auto [h, w] = key;
        const double t = counts.successors[h];
        const double probability = (c + t * p1[w]) / (counts.history[h] + t);
        model.bigrams.push_back({nameOf(h), nameOf(w), std::log10(probability), 0});
    }
    return model;
}

}  // namespace vantir::tools
