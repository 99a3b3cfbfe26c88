// Structural reading of any stored blob ("WPB", "LMB", "ADDR", "SND", "PST"): header, counts,
// sizes, and every problem that makes it unsafe to use, without reading past
// the bytes given.
#ifndef VANTIR_TOOLS_BLOB_EXAMINER_H
#define VANTIR_TOOLS_BLOB_EXAMINER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vantir::tools {

struct BlobReport {
    std::string kind;  // "lexicon", "model", "address database", "sounds", "postal" or "unknown"
    std::vector<std::pair<std::string, std::string>> fields;  // label, value, in print order
    std::vector<std::string> problems;                        // empty when well formed
    int64_t wordCount = -1;    // words the blob numbers (lexicon W, model static
                               // words, address database T - 1); -1 if unknown
    uint32_t setIdentity = 0;  // the user field: the set identity `vantir build` writes

    bool WellFormed() const { return problems.empty(); }
};

BlobReport InspectBlob(const unsigned char* data, size_t size);

// The three blobs of one data set must number the same words. Returns the
// problems found (empty when they agree).
std::vector<std::string> CheckSameNumbering(const BlobReport& lexicon, const BlobReport& model,
                                            const BlobReport& address);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_BLOB_EXAMINER_H
