// Vantir_AttachSounds: binding the optional sounds blob of sound-alike intake to
// a session, after checking that it was built for the session's lexicon.
#include "filter/session.h"
#include "segment/sound_blob.h"
#include "textutil/blob_header.h"
#include "vantir/lexicon.h"
#include "vantir/vantir.h"

using namespace vantir;

extern "C" int32_t Vantir_AttachSounds(FilterSession* session, const void* soundsBlob) {
    if (session == nullptr) return VANTIR_NULL_OBJECT;
    if (soundsBlob == nullptr) {
        session->soundsBlob = nullptr;
        return VANTIR_OK;
    }
    SoundsView view;
    if (!ReadSoundsBlob(soundsBlob, &view)) return VANTIR_BAD_BLOB;
    // The index names words by id: a blob of another lexicon would read text
    // as unrelated words. The word count catches most; the set identity that
    // one build gives all its blobs catches the rest, when both carry one.
    if (view.wordCount != static_cast<uint32_t>(Lexicon_GetStaticCount(session->lexicon))) {
        return VANTIR_BAD_BLOB;
    }
    const uint32_t identity = BlobUserValue(soundsBlob);
    const uint32_t lexiconIdentity = Lexicon_GetUserValue(session->lexicon);
    if (identity != 0 && lexiconIdentity != 0 && identity != lexiconIdentity) {
        return VANTIR_BAD_BLOB;
    }
    session->soundsBlob = soundsBlob;
    return VANTIR_OK;
}
