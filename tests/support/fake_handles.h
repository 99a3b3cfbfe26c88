// Stand-in model and lexicon handles for session tests that never score or look
// up words: the session only stores these pointers.
#ifndef VANTIR_TESTS_FAKE_HANDLES_H
#define VANTIR_TESTS_FAKE_HANDLES_H

#include "vantir/vantir.h"

namespace vantir::testing {

inline BigramModel* FakeModel() {
    static int storage;
    return reinterpret_cast<BigramModel*>(&storage);
}

inline Lexicon* FakeLexicon() {
    static int storage;
    return reinterpret_cast<Lexicon*>(&storage);
}

}  // namespace vantir::testing

#endif  // VANTIR_TESTS_FAKE_HANDLES_H
