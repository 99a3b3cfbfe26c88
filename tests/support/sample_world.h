// The sample world attached as a host attaches it: a lexicon and a model over
// its blobs, sessions on its address database, and the listing read back.
#ifndef VANTIR_TESTS_SUPPORT_SAMPLE_WORLD_H
#define VANTIR_TESTS_SUPPORT_SAMPLE_WORLD_H

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/sample_blobs.h"
#include "vantir/vantir.h"

namespace vantir::testing {

// Kept for a whole test or fuzz run; `attached` tells whether the lexicon and
// the model both took their blobs (the callers check it their own way).
struct AttachedWorld {
    WorldBlobs blobs = MakeWorldBlobs();
    Lexicon* lexicon = Lexicon_Create(nullptr, 0, 0);
    BigramModel* model = BigramModel_Create(nullptr);
    bool attached = Lexicon_AttachBlob(lexicon, blobs.lexicon.data()) >= 0 &&
                    BigramModel_AttachBlob(model, blobs.model.data()) == 0;

    AttachedWorld() = default;
    ~AttachedWorld() {
        BigramModel_Destroy(model);
        Lexicon_Destroy(lexicon);
    }
    AttachedWorld(const AttachedWorld&) = delete;
    AttachedWorld& operator=(const AttachedWorld&) = delete;

    FilterSession* NewSession(const unsigned char* addressDb) const {
        return Vantir_Init(model, lexicon, addressDb);
    }
    FilterSession* NewSession() const { return NewSession(blobs.addressDb.data()); }

    // A hypothesis given by word texts; unknown texts become -1.
    std::vector<WordId> Ids(const std::vector<std::u16string>& texts) const {
        std::vector<WordId> ids;
        for (const std::u16string& text : texts)
            ids.push_back(Lexicon_FindId(lexicon, text.c_str()));
        return ids;
    }
};

inline int32_t AddHypothesis(FilterSession* session, const std::vector<WordId>& ids) {
    return Vantir_AddRecogResult(session, ids.data(), 0, 0, 0, static_cast<int32_t>(ids.size()));
}

// Reads the ranked list the way a host does, size first, into `texts`, and
// checks its form: `count` texts, each ended by a 0 unit, then one more 0 unit,
// and both calls agreeing. False when the form is broken.
inline bool ReadListing(FilterSession* session, std::vector<std::u16string>* texts) {
    texts->clear();
    int32_t count = 1000;
    const int32_t units = Vantir_GetFilterResult(session, nullptr, 0, 0, &count);
    if (units < 1) return false;
    std::vector<char16_t> list(static_cast<size_t>(units));
    int32_t again = count;
    if (Vantir_GetFilterResult(session, list.data(), 0, 0, &again) != units || again != count) {
        return false;
    }
    size_t at = 0;
    for (int32_t k = 0; k < count; k++) {
        const size_t start = at;
        while (at < list.size() && list[at] != 0)
            at++;
        if (at == list.size()) return false;
        texts->emplace_back(list.data() + start, at - start);
        at++;
    }
    return at + 1 == list.size() && list[at] == 0;
}

// The listed texts for a test to compare; a broken form shows as one text
// saying so, which no expected listing holds.
inline std::vector<std::u16string> ListedTexts(FilterSession* session) {
    std::vector<std::u16string> texts;
    if (!ReadListing(session, &texts)) return {u"(listing of a broken form)"};
    return texts;
}

}  // namespace vantir::testing

#endif  // VANTIR_TESTS_SUPPORT_SAMPLE_WORLD_H
