// Shared pieces of the fuzz targets and their seed generator: exact-size copies
// of an input, a live sample world, and a reader of the result list.
#ifndef VANTIR_FUZZ_FUZZ_SUPPORT_H
#define VANTIR_FUZZ_FUZZ_SUPPORT_H

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/sample_blobs.h"
#include "vantir/vantir.h"

namespace vantir::fuzz {

using namespace vantir::samples;

// Stops the run with a report; libFuzzer records the input as a crash.
#define FUZZ_CHECK(condition)                                                                   \
    do {                                                                                        \
        if (!(condition)) {                                                                     \
            std::fprintf(stderr, "check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                       \
        }                                                                                       \
    } while (0)

// The input in a heap block of exactly its size, so that AddressSanitizer
// reports any read past its end. The block is 16-byte aligned, as a host's
// loaded blob would be.
class ExactBytes {
  public:
    ExactBytes(const uint8_t* data, size_t size)
        : bytes_(static_cast<unsigned char*>(std::malloc(size == 0 ? 1 : size))), size_(size) {
        if (size > 0) std::memcpy(bytes_, data, size);
    }
    ~ExactBytes() { std::free(bytes_); }
    ExactBytes(const ExactBytes&) = delete;
    ExactBytes& operator=(const ExactBytes&) = delete;

    unsigned char* data() { return bytes_; }
    size_t size() const { return size_; }

  private:
    unsigned char* bytes_;
    size_t size_;
};

// A lexicon and a model attached to the world's blobs, kept for a whole run.
struct LiveWorld {
    WorldBlobs blobs = MakeWorldBlobs();
    Lexicon* lexicon = Lexicon_Create(nullptr, 0, 0);
    BigramModel* model = BigramModel_Create(nullptr);

    LiveWorld() {
        FUZZ_CHECK(Lexicon_AttachBlob(lexicon, blobs.lexicon.data()) >= 0);
        FUZZ_CHECK(BigramModel_AttachBlob(model, blobs.model.data()) == 0);
    }
    ~LiveWorld() {
        BigramModel_Destroy(model);
        Lexicon_Destroy(lexicon);
    }
    LiveWorld(const LiveWorld&) = delete;
    LiveWorld& operator=(const LiveWorld&) = delete;
    WordId Id(const char16_t* text) const { return Lexicon_FindId(lexicon, text); }
    // A hypothesis given by word texts; unknown texts become -1.
    std::vector<WordId> Ids(const std::vector<std::u16string>& texts) const {
        std::vector<WordId> ids;
        for (const std::u16string& text : texts)
            ids.push_back(Id(text.c_str()));
        return ids;
    }
};

// Reads the ranked list the way a host does, size first, and checks its form:
// `count` texts, each ended by a 0 unit, then one more 0 unit.
inline void ReadResults(FilterSession* session) {
    int32_t count = 1000;
    const int32_t units = Vantir_GetFilterResult(session, nullptr, 0, 0, &count);
    FUZZ_CHECK(units >= 1);
    std::vector<char16_t> list(static_cast<size_t>(units));
    int32_t again = count;
    FUZZ_CHECK(Vantir_GetFilterResult(session, list.data(), 0, 0, &again) == units);
    size_t at = 0;
    for (int32_t k = 0; k < again; k++) {
        while (at < list.size() && list[at] != 0)
            at++;
        FUZZ_CHECK(at < list.size());
        at++;
    }
    FUZZ_CHECK(at + 1 == list.size() && list[at] == 0);
}

}  // namespace vantir::fuzz

#endif  // VANTIR_FUZZ_FUZZ_SUPPORT_H
