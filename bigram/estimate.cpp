// Memory estimate that a host uses to size a pool for a model: the object for an
// attached blob, or an own blob of the given size, plus the optional tables.
#include <cstdint>

#include "bigram/blob_layout.h"
#include "bigram/extra_pairs.h"
#include "textutil/blob_header.h"
#include "textutil/byte_order.h"
#include "vantir/bigram.h"

using namespace vantir;

namespace {

// The figure the estimate counts for the object itself (its size on the
// 32-bit target).
constexpr int64_t kModelObjectEstimate = 116;
// An own blob is counted without its 64 header bytes.
constexpr int64_t kOwnBlobBase = kFixedBlobBytes - kBlobHeaderSize;
// Beyond the N + 1 alternative unigram bytes and the extra pair table, a fixed
// allowance that the optional tables are granted on top.
constexpr int64_t kAltTableLeadingByte = 1;
constexpr int64_t kOptionalTablesSlack = 131072;
constexpr int64_t kOptionalTablesAllowance =
    kAltTableLeadingByte + kExtraPairTableBytes + kOptionalTablesSlack;
static_assert(kOptionalTablesAllowance == 230405, "stored optional table allowance");

int64_t AtLeastZero(int64_t value) {
    return value < 0 ? 0 : value;
}

uint32_t SaturateToU32(int64_t value) {
    if (value < 0) return 0;
    if (value > static_cast<int64_t>(UINT32_MAX)) return UINT32_MAX;
    return static_cast<uint32_t>(value);
}

}  // namespace

extern "C" {

uint32_t BigramModel_EstimateMemory(const void* blob, int32_t words, int32_t pairs,
                                    int32_t withOptionalTables) {
    if (blob != nullptr && !BlobHeaderMatches(blob, kModelBlobTag, kModelBlobVersion)) {
        return static_cast<uint32_t>(kModelObjectEstimate);
    }
    int64_t wordCount = AtLeastZero(words);
    int64_t pairCount = AtLeastZero(pairs);
    int64_t total = blob != nullptr
                        ? kModelObjectEstimate
                        : kBytesPerWord * wordCount + kBytesPerPair * pairCount + kOwnBlobBase;
    if (withOptionalTables == 0) return SaturateToU32(total);
    int64_t staticWords =
        blob != nullptr ? LoadI32(static_cast<const unsigned char*>(blob) + kStaticCountOffset) : 0;
    return SaturateToU32(total + staticWords + wordCount + kOptionalTablesAllowance);
}

}  // extern "C"
