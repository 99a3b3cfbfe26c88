// Creating, resetting and releasing a filter session. The session is one zeroed
// heap block that borrows the model, the lexicon and the address database.
#include "filter/session.h"
#include "mempool/heap.h"
#include "vantir/textutil.h"
#include "vantir/vantir.h"

using namespace vantir;

extern "C" {

FilterSession* Vantir_Init(BigramModel* model, Lexicon* lexicon, const void* addressDb) {
    if (model == nullptr || lexicon == nullptr || addressDb == nullptr) return nullptr;
    if (ValidateAddressDb(addressDb) != 1) return nullptr;
    auto* session = static_cast<FilterSession*>(HeapAlloc(sizeof(FilterSession)));
    if (session == nullptr) return nullptr;
    MemFill(session, 0, static_cast<int32_t>(sizeof(FilterSession)));
    session->lexicon = lexicon;
    session->model = model;
    session->addressDb = addressDb;
    session->resultCount = 0;
    ParseAddressDb(addressDb, &session->addressView);
    return session;
}

void Vantir_Release(FilterSession* session) {
    HeapFree(session);
}

int32_t Vantir_Reset(FilterSession* session) {
    if (session == nullptr) return VANTIR_NULL_OBJECT;
    // Old entries stay in memory but leave the table; arrival orders restart at 0.
    session->resultCount = 0;
    return VANTIR_OK;
}

int32_t Vantir_SetOptions(FilterSession* session, uint32_t options) {
    if (session == nullptr) return VANTIR_NULL_OBJECT;
    if ((options & ~kKnownOptions) != 0) return VANTIR_INVALID_ARGUMENT;
    // Results already entered were made under the old options; mixing modes in
    // one table would rank incomparable entries together.
    if (session->resultCount != 0) return VANTIR_WRONG_STATE;
    session->options = options;
    return VANTIR_OK;
}

uint32_t Vantir_GetOptions(const FilterSession* session) {
    return session == nullptr ? 0u : session->options;
}

}  // extern "C"
