// Compiling the parsed sources into the three blobs through the library's own
// calls: the lexicon numbers the words, the model and the address database
// take their word ids from it.
#ifndef VANTIR_TOOLS_BLOB_BUILDERS_H
#define VANTIR_TOOLS_BLOB_BUILDERS_H

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "bigram/blob_layout.h"
#include "tools/compile/arpa_model.h"
#include "tools/compile/diagnostics.h"
#include "tools/compile/region_reader.h"
#include "tools/compile/vocabulary_reader.h"
#include "vantir/types.h"

namespace vantir::tools {

// Word ids as the built lexicon assigns them (its own order, not the file's).
struct WordNumbering {
    std::unordered_map<std::string, WordId> ids;  // UTF-8 word -> id
    int32_t wordCount = 0;                        // the lexicon's static words
};

struct LexiconBlob {
    std::vector<uint8_t> bytes;
    WordNumbering numbering;
};

// Builds the "WPB" blob with Lexicon_BuildBlob and reads every word's id back
// with Lexicon_FindIdN. Fails if the library refuses the list or two words
// share an id.
LexiconBlob BuildLexiconBlob(const Vocabulary& vocabulary);

struct ModelOptions {
    int32_t addedCapacity = 0;  // word ids kept free for words added at run time
    int32_t sparePairs = 0;     // free successor slots for pairs added at run time
};

// Builds the "LMB" blob with BigramModel_NewBlob, BigramModel_SetUnigramScores
// and BigramModel_SetBigramScores, then stores the back-off bytes, the static
// word count and the added capacity at their places in the blob. <s> and </s>
// both map to word -1 (the sequence boundary): <s> gives its back-off weight
// and its pairs as first word, </s> its probability and its pairs as second
// word. <unk> is left out. Fails, naming the line, on a word that the lexicon
// does not hold.
std::vector<uint8_t> BuildModelBlob(const ArpaModel& arpa, const std::string& arpaFile,
                                    const WordNumbering& numbering, const ModelOptions& options,
                                    Diagnostics& diagnostics);

// Builds the "ADDR" blob: tags of every word at its lexicon id, and the region
// pairs in source order.
std::vector<uint8_t> BuildAddressBlob(const Vocabulary& vocabulary, const WordNumbering& numbering,
                                      const RegionSource& regions);

// Model blob offsets of the counts that the builder sets after the library's
// calls, as the model's layout places them in its count block.
constexpr uint32_t kModelStaticCountAt = kStaticCountOffset;
constexpr uint32_t kModelPairCountAt = kPairCountOffset;
constexpr uint32_t kModelAddedCapacityAt = kAddedCapacityOffset;
constexpr uint32_t kModelSparePairsAt = kSparePairsOffset;

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_BLOB_BUILDERS_H
