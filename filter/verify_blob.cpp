// Vantir_VerifyBlob: recognises a stored blob by its header and hands it to the
// structural check of its format, bounded by the bytes the host really holds.
#include "address/address_db.h"
#include "bigram/blob_layout.h"
#include "bigram/blob_verify.h"
#include "lexicon/blob_layout.h"
#include "lexicon/blob_verify.h"
#include "textutil/blob_header.h"
#include "vantir/vantir.h"

using namespace vantir;

namespace {

bool BlobIsSound(const unsigned char* blob, uint32_t size) {
    if (BlobHeaderMatches(blob, kAddressDbTag, kAddressDbVersion)) {
        return AddressDbIsSound(blob, size);
    }
    if (BlobHeaderMatches(blob, kModelBlobTag, kModelBlobVersion)) {
        return ModelBlobIsSound(blob, size);
    }
    if (BlobHeaderMatches(blob, kLexiconBlobTag, kLexiconBlobVersion)) {
        return LexiconBlobIsSound(blob, size);
    }
    return false;
}

}  // namespace

extern "C" int32_t Vantir_VerifyBlob(const void* blob, uint32_t size) {
    // The header is read only once the bytes held cover it.
    if (blob == nullptr || size < kBlobHeaderSize) return VANTIR_BAD_BLOB;
    return BlobIsSound(static_cast<const unsigned char*>(blob), size) ? VANTIR_OK : VANTIR_BAD_BLOB;
}
