// Vantir_AttachPostal and Vantir_GetResultPostal: binding the optional postal
// blob to a session, and the postal standing of a delivered result.
#include "filter/postal_results.h"
#include "filter/result_confidence.h"
#include "textutil/blob_header.h"
#include "vantir/lexicon.h"
#include "vantir/vantir.h"

using namespace vantir;

static_assert(kPostalUnknown == VANTIR_POSTAL_UNKNOWN && kPostalNumber == VANTIR_POSTAL_NUMBER &&
                  kPostalRoad == VANTIR_POSTAL_ROAD && kPostalNotFound == VANTIR_POSTAL_NOT_FOUND,
              "the look-ups answer in the public statuses");

namespace {

// Writes `code` with `digits` digits (leading zeros kept) and a NUL.
void WriteCode(int32_t code, int32_t digits, char* out) {
    for (int32_t i = digits - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + code % 10);
        code /= 10;
    }
    out[digits] = 0;
}

}  // namespace

extern "C" int32_t Vantir_AttachPostal(FilterSession* session, const void* postalBlob) {
    if (session == nullptr) return VANTIR_NULL_OBJECT;
    // Answers read from another blob are read again.
    for (int32_t i = 0; i < session->resultCount; ++i)
        session->results[i].postal.read = false;
    if (postalBlob == nullptr) {
        session->postalBlob = nullptr;
        session->delivery.current = false;
        return VANTIR_OK;
    }
    PostalView view;
    if (!ReadPostalBlob(postalBlob, &view)) return VANTIR_BAD_BLOB;
    // The ranges name roads as the vocabulary of their build spells them; the
    // set identity that one build gives all its blobs binds them, when both
    // carry one.
    const uint32_t identity = BlobUserValue(postalBlob);
    const uint32_t lexiconIdentity = Lexicon_GetUserValue(session->lexicon);
    if (identity != 0 && lexiconIdentity != 0 && identity != lexiconIdentity) {
        return VANTIR_BAD_BLOB;
    }
    session->postalBlob = postalBlob;
    session->postalView = view;
    session->delivery.current = false;
    return VANTIR_OK;
}

extern "C" int32_t Vantir_GetResultPostal(FilterSession* session, int32_t index,
                                          VantirPostal* out) {
    if (session == nullptr || out == nullptr) return VANTIR_NULL_OBJECT;
    if (index < 0 || index >= session->resultCount) return VANTIR_NOT_FOUND;
    out->status = VANTIR_POSTAL_UNKNOWN;
    out->code[0] = 0;
    if (session->postalBlob == nullptr) return VANTIR_OK;
    DeliveryCache scratch;
    const Delivery delivery = DeliveryOf(session, &scratch);
    const PostalAnswer answer = EntryPostal(session, session->results[delivery.order[index]]);
    out->status = answer.status;
    if (answer.code >= 100000 || answer.code < 0) return VANTIR_OK;
    WriteCode(answer.code, answer.code >= 1000 ? 5 : 3, out->code);
    return VANTIR_OK;
}
