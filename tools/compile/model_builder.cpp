// Builds the model blob from an ARPA model through the library's editing calls.
// Scores are quantised to bytes; see score_quantiser.h for the mapping.
#include <algorithm>
#include <cstring>
#include <map>
#include <utility>

#include "bigram/blob_layout.h"
#include "textutil/byte_order.h"
#include "tools/compile/blob_builders.h"
#include "tools/compile/score_quantiser.h"
#include "vantir/vantir.hpp"

namespace vantir::tools {

namespace {

constexpr WordId kBoundary = -1;

// The back-off byte of word -1 sits just before the entry of word 0.
uint64_t BackoffBytesStart(int64_t words, int64_t slots) {
    return static_cast<uint64_t>(ComputeBlobLayout(words, slots).backoffBytes - 1);
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
            Fail(file, unigram.line, "word " + Shown(unigram.word) + " is not in the vocabulary");
        }
        const size_t at = static_cast<size_t>(id + 1);
        scores.unigram[at] = QuantiseLog10(unigram.logProb, kMaxScoreByte);
        given[at] = true;
        if (id != kBoundary) scores.backoff[at] = QuantiseLog10(unigram.logBackoff, kMaxScoreByte);
    }
    const auto missing = std::count(given.begin() + 1, given.end(), false);
    if (missing > 0) {
        diagnostics.Warn(file, 0,
                         Counted(missing, "vocabulary word") + (missing == 1 ? " has" : " have") +
                             " no 1-gram; they get the lowest score");
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
                 "word " + Shown(first < kBoundary ? bigram.first : bigram.second) +
                     " is not in the vocabulary");
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

// Word ids and successor slots are i32 counts, and the whole blob must stay
// within the library's largest model blob.
void RefuseWhatTheFormatCannotHold(int64_t words, int64_t slots, int32_t wordCount,
                                   size_t pairCount, const ModelOptions& options) {
    const std::string limit = std::to_string(INT32_MAX);
    if (words > INT32_MAX) {
        throw ToolError("--added-capacity " + std::to_string(options.addedCapacity) +
                        ": with the " + std::to_string(wordCount) +
                        " vocabulary words the model would number " + std::to_string(words) +
                        " words; it numbers at most " + limit);
    }
    if (slots > INT32_MAX) {
        throw ToolError("--spare-pairs " + std::to_string(options.sparePairs) + ": with the " +
                        std::to_string(pairCount) + " listed pairs the model would hold " +
                        std::to_string(slots) + " pair slots; it holds at most " + limit);
    }
    if (!BlobCountsFit(words, slots)) {
        throw ToolError("--added-capacity " + std::to_string(options.addedCapacity) +
                        " and --spare-pairs " + std::to_string(options.sparePairs) +
                        ": the model blob would take " +
                        std::to_string(ComputeBlobLayout(words, slots).totalSize) +
                        " bytes; a model blob holds at most " + std::to_string(kMaxModelBlobBytes));
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
    const int64_t words64 = int64_t{numbering.wordCount} + options.addedCapacity;
    const int64_t slots64 = static_cast<int64_t>(scores.pairs.size()) + options.sparePairs;
    RefuseWhatTheFormatCannotHold(words64, slots64, numbering.wordCount, scores.pairs.size(),
                                  options);
    const auto words = static_cast<int32_t>(words64);
    const auto slots = static_cast<int32_t>(slots64);

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
