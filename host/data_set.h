// The data set behind the host calls: the blobs it owns, the lexicon and model
// bound to them, and the one check that decides whether blobs form a set.
#ifndef VANTIR_HOST_DATA_SET_H
#define VANTIR_HOST_DATA_SET_H

#include <cstdint>

#include "vantir/blob_format.h"
#include "vantir/host.h"

namespace vantir {

// The blobs of a set, in the order they are read and checked; the lexicon
// comes first, since the others are compared with it.
enum HostBlob : int32_t {
    kHostLexicon,
    kHostModel,
    kHostAddress,
    kHostSounds,
    kHostPostal,
    kHostBlobCount
};

struct HostBlobKind {
    const char* fileName;  // as `vantir build` names it in its folder
    const char* tag;
    uint16_t version;
    bool required;
};

// One row a kind. An optional blob joins the set by a row here and its attach
// call in Vantir_OpenSession.
inline constexpr HostBlobKind kHostBlobKinds[kHostBlobCount] = {
    {"lexicon.wpb", VANTIR_LEXICON_BLOB_TAG, VANTIR_LEXICON_BLOB_VERSION, true},
    {"model.lmb", VANTIR_MODEL_BLOB_TAG, VANTIR_MODEL_BLOB_VERSION, true},
    {"address.addr", VANTIR_ADDRESS_DB_TAG, VANTIR_ADDRESS_DB_VERSION, true},
    {"sounds.snd", VANTIR_SOUNDS_BLOB_TAG, VANTIR_SOUNDS_BLOB_VERSION, false},
    {"postal.pst", VANTIR_POSTAL_BLOB_TAG, VANTIR_POSTAL_BLOB_VERSION, false},
};

// Bytes from the library's heap; null with size 0 when the blob is absent.
struct OwnedBlob {
    unsigned char* bytes;
    uint32_t size;
};

// Why a set was not opened, so that callers can name the blob in a message.
enum class SetProblem : int32_t {
    kNone,
    kBadArgument,  // a null or empty folder, a negative size
    kMissing,      // a required blob is not there
    kUnreadable,   // there, but not a regular file, or reading it failed
    kTooLarge,     // more bytes than kMaxBlobBytes
    kWrongKind,    // not a blob, or a blob of another kind or version
    kDamaged,      // its structure does not hold within its bytes
    kOtherSet,     // its set identity differs from the others'
    kOtherWords,   // it numbers other words than the lexicon
    kOutOfMemory,
};

struct SetReport {
    SetProblem problem;
    HostBlob blob;  // the blob concerned; kHostBlobCount when none is
};

// The most bytes a blob may take: well above any data set `vantir build`
// makes, and a bound on what a damaged or hostile file makes the host read.
constexpr uint32_t kMaxBlobBytes = uint32_t{1} << 30;

// The result code a problem gives (0 for kNone).
int32_t SetProblemCode(SetProblem problem);

// An English sentence for a problem, without the blob's name.
const char* SetProblemText(SetProblem problem);

// Frees the blobs and empties them.
void FreeBlobs(OwnedBlob blobs[kHostBlobCount]);

// Checks the blobs as one set and binds the lexicon and the model to them. The
// set takes the blobs over; on failure (null) they are freed. `report` may be
// null.
VantirDataSet* BindDataSet(OwnedBlob blobs[kHostBlobCount], SetReport* report);

// Reads the blobs of a folder (each kind's file name under it) and binds them.
VantirDataSet* OpenFolderDataSet(const char* folder, SetReport* report);

}  // namespace vantir

// The exported handle: a plain record in the global namespace.
struct VantirDataSet {
    vantir::OwnedBlob blobs[vantir::kHostBlobCount];
    Lexicon* lexicon;
    BigramModel* model;
};

#endif  // VANTIR_HOST_DATA_SET_H
