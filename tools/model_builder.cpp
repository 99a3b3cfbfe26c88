// Builds the model blob from an ARPA model through the library's editing calls.
// Scores are quantised to bytes; see score_quantiser.h for the mapping.
#include <algorithm>
#include <cstring>
#include <map>
#include <utility>

#include "textutil/byte_order.h"
#include "tools/blob_builders.h"
#include "tools/score_quantiser.h"
#include "vantir/vantir.hpp"

namespace vantir::tools {

namespace {

constexpr WordId kBoundary = -1;

// Model blob layout for N word ids and S successor slots: the back-off byte of
// word -1 follows the unigram bytes of words -1..N-1.
constexpr uint64_t kModelFixedBytes = 125;

uint64_t BackoffBytesStart(int64_t words, int64_t slots) {
    return kModelFixedBytes + 5 * static_cast<uint64_t>(words) + 4 * static_cast<uint64_t>(slots);
}

struct ModelScores {
    std::vector<uint8_t> unigram;  // index w + 1 for word w (-1..W-1)
    std::vector<uint8_t> backoff;
    std::map<std::pair<WordId, WordId>, uint8_t> pairs;  // sorted as the library needs
};

WordId IdAsFirst(const WordNumbering& numbering, const std::string& word) {
    if (word == kSentenceStart) return kBoundary;
    const auto found = numbering.ids.find(word);
    return found == numbering.ids.end() ? kBoundary - 1 : found->second;
}

WordId IdAsSecond(const WordNumbering& numbering, const std::string& word) {
    if (word == kSentenceEnd) return kBoundary;
    const auto found = numbering.ids.find(word);
    return found == numbering.ids.end() ? kBoundary - 1 : found->second;
}

ModelScores CollectScores(const ArpaModel& arpa, const std::string& file,
                          const WordNumbering& numbering, Diagnostics& diagnostics) {
    const size_t slots = static_cast<size_t>(numbering.wordCount) + 1;
    ModelScores scores{
        std::vector<uint8_t>(slots, kMaxScoreByte), std::vector<uint8_t>(slots, 0), {}};
    std::vector<bool> given(slots, false);
    for (const ArpaUnigram& unigram : arpa.unigrams) {
        if (unigram.word == kUnknownWord) continue;
        if (unigram.word == kSentenceStart) {
            scores.backoff[0] = QuantiseLog10(unigram.logBackoff, kMaxScoreByte);
            continue;
        }
        const WordId id = IdAsSecond(numbering, unigram.word);
        if (id < kBoundary) {
            Fail(file, unigram.line, "word '" + unigram.word + "' is not in the vocabulary");
        }
        const size_t at = static_cast<size_t>(id + 1);
        scores.unigram[at] = QuantiseLog10(unigram.logProb, kMaxScoreByte);
        given[at] = true;
        if (id != kBoundary) scores.backoff[at] = QuantiseLog10(unigram.logBackoff, kMaxScoreByte);
    }
    const auto missing = std::count(given.begin() + 1, given.end(), false);
    if (missing > 0) {
        diagnostics.Warn(file, 0,
                         std::to_string(missing) +
                             " vocabulary words have no 1-gram; they get the lowest score");
    }
    for (const ArpaBigram& bigram : arpa.bigrams) {
        if (bigram.first == kUnknownWord || bigram.second == kUnknownWord) continue;
        const WordId first = IdAsFirst(numbering, bigram.first);
        const WordId second = IdAsSecond(numbering, bigram.second);
        if (bigram.first == kSentenceEnd || bigram.second == kSentenceStart) {
            diagnostics.Warn(file, bigram.line, "2-gram across a sentence boundary left out");
            continue;
        }
        if (first < kBoundary || second < kBoundary) {
            Fail(file, bigram.line,
                 "word '" + (first < kBoundary ? bigram.first : bigram.second) +
                     "' is not in the vocabulary");
        }
        scores.pairs[{first, second}] = QuantiseLog10(bigram.logProb, kMaxListedPairByte);
    }
    return scores;
}

void CheckCount(int32_t got, size_t wanted, const char* what) {
    if (got != static_cast<int32_t>(wanted)) {
        throw ToolError(std::string("model: the library took ") + std::to_string(got) + " of " +
                        std::to_string(wanted) + " " + what);
    }
}

}  // namespace

std::vector<uint8_t> BuildModelBlob(const ArpaModel& arpa, const std::string& arpaFile,
                                    const WordNumbering& numbering, const ModelOptions& options,
                                    Diagnostics& diagnostics) {
    if (options.addedCapacity < 0 || options.sparePairs < 0) {
        throw ToolError("model: added capacity and spare pairs must not be negative");
    }
    ModelScores scores = CollectScores(arpa, arpaFile, numbering, diagnostics);
    const int32_t words = numbering.wordCount + options.addedCapacity;
    const int32_t slots = static_cast<int32_t>(scores.pairs.size()) + options.sparePairs;

    ModelPtr model(BigramModel_Create(nullptr));
    if (!model) throw ToolError("model: out of memory");
    int32_t size = 0;
    unsigned char* blob =
        static_cast<unsigned char*>(BigramModel_NewBlob(model.get(), words, slots, &size));
    if (blob == nullptr) throw ToolError("model: the library cannot make a blob of this size");

    // Every id gets a unigram score; ids kept for added words get the lowest.
    std::vector<WordId> ids;
    std::vector<int32_t> unigramScores;
    for (WordId w = kBoundary; w < words; ++w) {
        ids.push_back(w);
        const bool known = w < numbering.wordCount;
        unigramScores.push_back(-static_cast<int32_t>(
            known ? scores.unigram[static_cast<size_t>(w + 1)] : kMaxScoreByte));
    }
    CheckCount(BigramModel_SetUnigramScores(model.get(), ids.data(), unigramScores.data(),
                                            static_cast<int32_t>(ids.size())),
               ids.size(), "unigram scores");

    std::vector<WordId> first;
    std::vector<WordId> second;
    std::vector<int32_t> pairScores;
    for (const auto& [pair, byte] : scores.pairs) {
        first.push_back(pair.first);
        second.push_back(pair.second);
        pairScores.push_back(-static_cast<int32_t>(byte));
    }
    if (!first.empty()) {
        CheckCount(
            BigramModel_SetBigramScores(model.get(), first.data(), second.data(), pairScores.data(),
                                        static_cast<int32_t>(first.size())),
            first.size(), "pairs");
    }

    std::vector<uint8_t> bytes(blob, blob + size);
    // The library has no call for back-off bytes; they sit after the unigram bytes.
    const uint64_t backoffStart = BackoffBytesStart(words, slots);
    for (size_t k = 0; k < scores.backoff.size(); ++k)
        bytes[backoffStart + k] = scores.backoff[k];
    // A new blob counts every id as added; the lexicon's words are static.
    StoreI32(bytes.data() + kModelStaticCountAt, numbering.wordCount);
    StoreI32(bytes.data() + kModelAddedCapacityAt, options.addedCapacity);
    return bytes;
}

}  // namespace vantir::tools
