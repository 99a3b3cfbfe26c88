// Binding blobs into a data set after the checks that make them one set, the
// set from blobs in memory, and the sessions opened on a set.
#include "host/data_set.h"

#include <cstring>

#include "address/address_db.h"
#include "mempool/heap.h"
#include "segment/sound_blob.h"
#include "textutil/blob_header.h"
#include "textutil/byte_order.h"
#include "vantir/bigram.h"
#include "vantir/lexicon.h"
#include "vantir/vantir.h"

namespace vantir {

namespace {

bool Fail(SetReport* report, SetProblem problem, HostBlob blob) {
    if (report != nullptr) *report = SetReport{problem, blob};
    return false;
}

// Every blob present is of its kind and sound within the bytes held.
bool CheckKinds(const OwnedBlob blobs[kHostBlobCount], SetReport* report) {
    for (int32_t k = 0; k < kHostBlobCount; ++k) {
        const OwnedBlob& blob = blobs[k];
        const auto kind = static_cast<HostBlob>(k);
        if (blob.bytes == nullptr) {
            if (kHostBlobKinds[k].required) return Fail(report, SetProblem::kMissing, kind);
            continue;
        }
        if (blob.size < kBlobHeaderSize ||
            !BlobHeaderMatches(blob.bytes, kHostBlobKinds[k].tag, kHostBlobKinds[k].version)) {
            return Fail(report, SetProblem::kWrongKind, kind);
        }
        // Bytes past the size the header states belong to no blob: a file
        // appended to, or rewritten in place by a longer one. Fewer bytes are
        // for the structural check to judge.
        if (Vantir_VerifyBlob(blob.bytes, blob.size) != VANTIR_OK ||
            blob.size > LoadU32(blob.bytes + kBlobTotalSizeOffset)) {
            return Fail(report, SetProblem::kDamaged, kind);
        }
    }
    return true;
}

// Every blob that carries a set identity carries the same one. 0 is none
// (blobs a host wrote with the library's own writers) and is not compared.
// The identity most blobs carry is the set's (on a tie, the earlier blob's),
// so the report names a blob that does not belong rather than the lexicon.
bool CheckIdentity(const OwnedBlob blobs[kHostBlobCount], SetReport* report) {
    uint32_t identities[kHostBlobCount] = {};
    for (int32_t k = 0; k < kHostBlobCount; ++k) {
        if (blobs[k].bytes != nullptr) identities[k] = BlobUserValue(blobs[k].bytes);
    }
    uint32_t reference = 0;
    int32_t most = 0;
    for (uint32_t candidate : identities) {
        if (candidate == 0) continue;
        int32_t same = 0;
        for (uint32_t other : identities)
            same += other == candidate ? 1 : 0;
        if (same > most) most = same, reference = candidate;
    }
    for (int32_t k = 0; k < kHostBlobCount; ++k) {
        if (identities[k] != 0 && identities[k] != reference) {
            return Fail(report, SetProblem::kOtherSet, static_cast<HostBlob>(k));
        }
    }
    return true;
}

// The model, the address database's tag table and the sounds number the
// lexicon's words: blobs of builds that carry no identity are told apart here.
bool CheckWordCounts(const VantirDataSet& set, SetReport* report) {
    const int32_t words = Lexicon_GetStaticCount(set.lexicon);
    if (BigramModel_GetStaticCount(set.model) != words) {
        return Fail(report, SetProblem::kOtherWords, kHostModel);
    }
    AddressDbView address;
    ParseAddressDb(set.blobs[kHostAddress].bytes, &address);
    if (address.tagOffsetCount != static_cast<uint32_t>(words) + 1) {
        return Fail(report, SetProblem::kOtherWords, kHostAddress);
    }
    SoundsView sounds;
    if (set.blobs[kHostSounds].bytes != nullptr &&
        (!ReadSoundsBlob(set.blobs[kHostSounds].bytes, &sounds) ||
         sounds.wordCount != static_cast<uint32_t>(words))) {
        return Fail(report, SetProblem::kOtherWords, kHostSounds);
    }
    return true;
}

// Attaches the lexicon and the model; false with the set's objects left for
// Vantir_CloseDataSet to free.
bool Attach(VantirDataSet* set, SetReport* report) {
    set->lexicon = Lexicon_Create(nullptr, 0, 0);
    set->model = BigramModel_Create(nullptr);
    if (set->lexicon == nullptr || set->model == nullptr) {
        return Fail(report, SetProblem::kOutOfMemory, kHostBlobCount);
    }
    const int32_t words = Lexicon_AttachBlob(set->lexicon, set->blobs[kHostLexicon].bytes);
    if (words < 0) {
        return Fail(report,
                    words == VANTIR_OUT_OF_MEMORY ? SetProblem::kOutOfMemory : SetProblem::kDamaged,
                    kHostLexicon);
    }
    // Look-ups answer the same with or without the index, one probe instead
    // of several searches; a lexicon the index refuses keeps its searches.
    Lexicon_BuildLookupIndex(set->lexicon);
    if (BigramModel_AttachBlob(set->model, set->blobs[kHostModel].bytes) != VANTIR_OK) {
        return Fail(report, SetProblem::kDamaged, kHostModel);
    }
    return true;
}

}  // namespace

int32_t SetProblemCode(SetProblem problem) {
    switch (problem) {
        case SetProblem::kNone:
            return VANTIR_OK;
        case SetProblem::kBadArgument:
            return VANTIR_INVALID_ARGUMENT;
        case SetProblem::kMissing:
        case SetProblem::kUnreadable:
            return VANTIR_NOT_FOUND;
        case SetProblem::kOutOfMemory:
            return VANTIR_OUT_OF_MEMORY;
        case SetProblem::kTooLarge:
        case SetProblem::kWrongKind:
        case SetProblem::kDamaged:
        case SetProblem::kOtherSet:
        case SetProblem::kOtherWords:
            break;
    }
    return VANTIR_BAD_BLOB;
}

const char* SetProblemText(SetProblem problem) {
    switch (problem) {
        case SetProblem::kNone:
            return "no problem";
        case SetProblem::kBadArgument:
            return "no folder or blob given";
        case SetProblem::kMissing:
            return "missing";
        case SetProblem::kUnreadable:
            return "not a regular file, or it cannot be read";
        case SetProblem::kTooLarge:
            return "larger than any blob the library reads (1 GiB)";
        case SetProblem::kWrongKind:
            return "not a blob of its kind and version";
        case SetProblem::kDamaged:
            return "damaged or truncated";
        case SetProblem::kOtherSet:
            return "of another build than the other blobs; build the set again with 'vantir build'";
        case SetProblem::kOtherWords:
            return "numbers other words than the lexicon";
        case SetProblem::kOutOfMemory:
            return "out of memory";
    }
    return "unknown problem";
}

void FreeBlobs(OwnedBlob blobs[kHostBlobCount]) {
    for (int32_t k = 0; k < kHostBlobCount; ++k) {
        HeapFree(blobs[k].bytes);
        blobs[k] = OwnedBlob{nullptr, 0};
    }
}

VantirDataSet* BindDataSet(OwnedBlob blobs[kHostBlobCount], SetReport* report) {
    if (report != nullptr) *report = SetReport{SetProblem::kNone, kHostBlobCount};
    if (!CheckKinds(blobs, report) || !CheckIdentity(blobs, report)) {
        FreeBlobs(blobs);
        return nullptr;
    }
    auto* set = static_cast<VantirDataSet*>(HeapAlloc(sizeof(VantirDataSet)));
    if (set == nullptr) {
        FreeBlobs(blobs);
        Fail(report, SetProblem::kOutOfMemory, kHostBlobCount);
        return nullptr;
    }
    for (int32_t k = 0; k < kHostBlobCount; ++k) {
        set->blobs[k] = blobs[k];
        blobs[k] = OwnedBlob{nullptr, 0};
    }
    set->lexicon = nullptr;
    set->model = nullptr;
    if (!Attach(set, report) || !CheckWordCounts(*set, report)) {
        Vantir_CloseDataSet(set);
        return nullptr;
    }
    return set;
}

}  // namespace vantir

using namespace vantir;

namespace {

void Report(int32_t* error, int32_t code) {
    if (error != nullptr) *error = code;
}

}  // namespace

extern "C" {

VantirDataSet* Vantir_OpenDataSetFromMemory(const void* lexicon, int32_t lexiconSize,
                                            const void* model, int32_t modelSize,
                                            const void* address, int32_t addressSize,
                                            const void* sounds, int32_t soundsSize,
                                            const void* postal, int32_t postalSize,
                                            int32_t* error) {
    struct Given {
        const void* bytes;
        int32_t size;
    };
    const Given given[kHostBlobCount] = {{lexicon, lexiconSize},
                                         {model, modelSize},
                                         {address, addressSize},
                                         {sounds, soundsSize},
                                         {postal, postalSize}};
    for (const Given& blob : given) {
        if (blob.size < 0 || (blob.bytes == nullptr && blob.size > 0)) {
            Report(error, VANTIR_INVALID_ARGUMENT);
            return nullptr;
        }
    }
    OwnedBlob blobs[kHostBlobCount] = {};
    for (int32_t k = 0; k < kHostBlobCount; ++k) {
        // A blob of 0 bytes is no blob: absent, which a required kind is not.
        if (given[k].bytes == nullptr || given[k].size == 0) continue;
        const auto size = static_cast<uint32_t>(given[k].size);
        if (size > kMaxBlobBytes) {
            FreeBlobs(blobs);
            Report(error, VANTIR_BAD_BLOB);
            return nullptr;
        }
        blobs[k].bytes = static_cast<unsigned char*>(HeapAlloc(size));
        if (blobs[k].bytes == nullptr) {
            FreeBlobs(blobs);
            Report(error, VANTIR_OUT_OF_MEMORY);
            return nullptr;
        }
        std::memcpy(blobs[k].bytes, given[k].bytes, size);
        blobs[k].size = size;
    }
    SetReport report;
    VantirDataSet* set = BindDataSet(blobs, &report);
    Report(error, SetProblemCode(report.problem));
    return set;
}

void Vantir_CloseDataSet(VantirDataSet* set) {
    if (set == nullptr) return;
    // The objects go before the blobs they read.
    BigramModel_Destroy(set->model);
    Lexicon_Destroy(set->lexicon);
    FreeBlobs(set->blobs);
    HeapFree(set);
}

FilterSession* Vantir_OpenSession(const VantirDataSet* set, uint32_t options, int32_t* error) {
    if (set == nullptr) {
        Report(error, VANTIR_NULL_OBJECT);
        return nullptr;
    }
    FilterSession* session = Vantir_Init(set->model, set->lexicon, set->blobs[kHostAddress].bytes);
    if (session == nullptr) {
        // The set's database passed its check, so only the allocation failed.
        Report(error, VANTIR_OUT_OF_MEMORY);
        return nullptr;
    }
    int32_t code = Vantir_SetOptions(session, options | VANTIR_OPTION_SHARED_MODEL);
    if (code == VANTIR_OK && set->blobs[kHostSounds].bytes != nullptr) {
        code = Vantir_AttachSounds(session, set->blobs[kHostSounds].bytes);
    }
    if (code == VANTIR_OK && set->blobs[kHostPostal].bytes != nullptr) {
        code = Vantir_AttachPostal(session, set->blobs[kHostPostal].bytes);
    }
    if (code != VANTIR_OK) {
        Vantir_Release(session);
        Report(error, code);
        return nullptr;
    }
    Report(error, VANTIR_OK);
    return session;
}

}  // extern "C"
