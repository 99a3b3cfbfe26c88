// The session's exported calls: create, reset, release, options, and the blob
// check a host runs first; the session is one zeroed heap block of borrowed views.
#include "filter/session.h"

#include "address/address_db.h"
#include "address/postal_blob.h"
#include "bigram/blob_layout.h"
#include "bigram/model_blob.h"
#include "lexicon/blob_layout.h"
#include "lexicon/lexicon_blob.h"
#include "mempool/heap.h"
#include "segment/sound_blob.h"
#include "textutil/blob_header.h"
#include "vantir/textutil.h"
#include "vantir/vantir.h"

using namespace vantir;

namespace {

// Where the region index starts in the session's block, 8-byte aligned.
size_t RegionIndexOffset() {
    constexpr size_t kAlignment = 8;
    return (sizeof(FilterSession) + kAlignment - 1) / kAlignment * kAlignment;
}

}  // namespace

extern "C" {

FilterSession* Vantir_Init(BigramModel* model, Lexicon* lexicon, const void* addressDb) {
    if (model == nullptr || lexicon == nullptr || addressDb == nullptr) return nullptr;
    if (ValidateAddressDb(addressDb) != 1) return nullptr;
    AddressDbView view;
    ParseAddressDb(addressDb, &view);
    // One block: the record, then the region index, whose size follows the
    // table's pair count. It is filled on the first intake, so creating a
    // session still reads nothing of the database past its header.
    const size_t indexAt = RegionIndexOffset();
    const size_t indexBytes = RegionIndexBytes(view.regionPairCount);
    auto* session = static_cast<FilterSession*>(HeapAlloc(indexAt + indexBytes));
    if (session == nullptr) return nullptr;
    MemFill(session, 0, static_cast<int32_t>(sizeof(FilterSession)));
    session->lexicon = lexicon;
    session->model = model;
    session->addressDb = addressDb;
    session->resultCount = 0;
    session->addressView = view;
    if (indexBytes > 0) {
        session->regionIndex = PlaceRegionIndex(reinterpret_cast<unsigned char*>(session) + indexAt,
                                                view.regionPairCount);
    }
    return session;
}

void Vantir_Release(FilterSession* session) {
    HeapFree(session);
}

int32_t Vantir_Reset(FilterSession* session) {
    if (session == nullptr) return VANTIR_NULL_OBJECT;
    // Old entries stay in memory but leave the table; arrival orders restart at 0.
    session->resultCount = 0;
    session->hypothesisCount = 0;
    session->delivery.current = false;
    ClearUtteranceEvidence(&session->evidence);
    return VANTIR_OK;
}

int32_t Vantir_SetOptions(FilterSession* session, uint32_t options) {
    if (session == nullptr) return VANTIR_NULL_OBJECT;
    if ((options & ~kKnownOptions) != 0) return VANTIR_INVALID_ARGUMENT;
    // Results already entered were made under the old options; mixing modes in
    // one table would rank incomparable entries together.
    if (session->resultCount != 0) return VANTIR_WRONG_STATE;
    session->options = options;
    session->delivery.current = false;
    return VANTIR_OK;
}

uint32_t Vantir_GetOptions(const FilterSession* session) {
    return session == nullptr ? 0u : session->options;
}

}  // extern "C"

// Vantir_VerifyBlob recognises a blob by its header and hands it to the
// structural check of its format, bounded by the bytes the host really holds.
namespace {

bool BlobIsSound(const unsigned char* blob, uint32_t size) {
    if (BlobHeaderMatches(blob, kAddressDbTag, kAddressDbVersion)) {
        return AddressDbIsWellFormed(blob, size);
    }
    if (BlobHeaderMatches(blob, kModelBlobTag, kModelBlobVersion)) {
        return ModelBlobIsWellFormed(blob, size);
    }
    if (BlobHeaderMatches(blob, kLexiconBlobTag, kLexiconBlobVersion)) {
        return LexiconBlobIsWellFormed(blob, size);
    }
    if (BlobHeaderMatches(blob, kSoundsBlobTag, kSoundsBlobVersion)) {
        return SoundsBlobIsWellFormed(blob, size);
    }
    if (BlobHeaderMatches(blob, kPostalBlobTag, kPostalBlobVersion)) {
        return PostalBlobIsWellFormed(blob, size);
    }
    return false;
}

}  // namespace

extern "C" int32_t Vantir_VerifyBlob(const void* blob, uint32_t size) {
    // The header is read only once the bytes held cover it.
    if (blob == nullptr || size < kBlobHeaderSize) return VANTIR_BAD_BLOB;
    return BlobIsSound(static_cast<const unsigned char*>(blob), size) ? VANTIR_OK : VANTIR_BAD_BLOB;
}

// The build banner names the module and its version, nothing else.
namespace vantir {

namespace {
constexpr char kBuildBanner[] = "Vantir address filter 0.1.0";
}

int32_t CopyBuildBanner(char* buffer) {
    if (buffer != nullptr) StrCopy(buffer, kBuildBanner);
    return StrLen(kBuildBanner) + 1;
}

}  // namespace vantir
