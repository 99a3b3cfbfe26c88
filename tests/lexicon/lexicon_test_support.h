// Helpers shared by the lexicon tests: owning handles, mutable word lists, word
// texts as strings, and a pool over an aligned buffer whose free bytes we watch.
#ifndef VANTIR_TESTS_LEXICON_TEST_SUPPORT_H
#define VANTIR_TESTS_LEXICON_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "mempool/pool_check.h"
#include "vantir/lexicon.h"
#include "vantir/mempool.h"

namespace vantir::testing {

struct LexiconDeleter {
    void operator()(Lexicon* lexicon) const { Lexicon_Destroy(lexicon); }
};
using LexiconPtr = std::unique_ptr<Lexicon, LexiconDeleter>;

inline LexiconPtr MakeLexicon(int32_t addedCapacity = 64, int32_t addedCharCapacity = 1024,
                              MemPool* pool = nullptr) {
    return LexiconPtr(Lexicon_Create(pool, addedCapacity, addedCharCapacity));
}

// Word lists are split in place, so every call gets its own copy.
inline void* Build(Lexicon* lexicon, std::u16string list, int32_t* size = nullptr) {
    return Lexicon_BuildBlob(lexicon, list.data(), size);
}
inline int32_t Add(Lexicon* lexicon, std::u16string list) {
    return Lexicon_AddWords(lexicon, list.data());
}
inline int32_t Remove(Lexicon* lexicon, std::u16string list) {
    return Lexicon_RemoveWords(lexicon, list.data());
}

inline LexiconPtr BuiltLexicon(const std::u16string& list, int32_t addedCapacity = 64,
                               int32_t addedCharCapacity = 1024) {
    LexiconPtr lexicon = MakeLexicon(addedCapacity, addedCharCapacity);
    if (lexicon != nullptr && Build(lexicon.get(), list) == nullptr) lexicon.reset();
    return lexicon;
}

// A word list for the lexicon's calls: each word followed by a line break.
inline std::u16string JoinLines(const std::vector<std::u16string>& words) {
    std::u16string text;
    for (const std::u16string& word : words)
        text += word + u"\n";
    return text;
}

inline WordId Find(const Lexicon* lexicon, const std::u16string& text) {
    return Lexicon_FindId(lexicon, text.c_str());
}

// The word's text through Lexicon_GetWordText; "" for an id that is no word.
inline std::u16string Text(const Lexicon* lexicon, WordId id) {
    const int32_t maxLength = Lexicon_GetMaxWordLength(lexicon);
    std::vector<char16_t> buffer(static_cast<size_t>(maxLength > 0 ? maxLength : 0) + 1, u'#');
    const int32_t length = Lexicon_GetWordText(lexicon, id, buffer.data());
    return std::u16string(buffer.data(), static_cast<size_t>(length > 0 ? length : 0));
}

inline std::vector<WordId> ListPrefix(const Lexicon* lexicon, const std::u16string& key,
                                      int32_t maxIds = 64) {
    std::vector<WordId> ids(static_cast<size_t>(maxIds > 0 ? maxIds : 0) + 1, -7);
    const int32_t count = Lexicon_ListPrefix(lexicon, key.c_str(), ids.data(), maxIds);
    ids.resize(static_cast<size_t>(count > 0 ? count : 0));
    return ids;
}

inline std::u16string Exported(const Lexicon* lexicon) {
    std::vector<char16_t> buffer(static_cast<size_t>(Lexicon_ExportAdded(lexicon, nullptr)) + 1);
    const int32_t used = Lexicon_ExportAdded(lexicon, buffer.data());
    EXPECT_EQ(buffer[static_cast<size_t>(used)], 0);
    return std::u16string(buffer.data(), static_cast<size_t>(used));
}

// A pool over a 4-byte aligned buffer of `bytes` bytes.
class TestPool {
  public:
    explicit TestPool(uint32_t bytes) : storage_((bytes + 3) / 4), bytes_(bytes) {
        pool_ = MemPool_Init(storage_.data(), bytes);
        initialFree_ = pool_ == nullptr ? 0 : FreeBytes();
    }
    MemPool* get() const { return pool_; }
    uint32_t FreeBytes() const {
        uint32_t value;
        std::memcpy(&value, reinterpret_cast<const unsigned char*>(storage_.data()) + 8,
                    sizeof value);
        return value;
    }
    uint32_t InitialFreeBytes() const { return initialFree_; }
    bool Consistent() const { return CheckPoolInvariants(pool_, bytes_); }
    // Everything handed out has come back and the block chain is intact.
    bool Untouched() const { return Consistent() && FreeBytes() == initialFree_; }

  private:
    std::vector<uint32_t> storage_;
    uint32_t bytes_;
    MemPool* pool_ = nullptr;
    uint32_t initialFree_ = 0;
};

}  // namespace vantir::testing

#endif  // VANTIR_TESTS_LEXICON_TEST_SUPPORT_H
