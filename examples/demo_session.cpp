// Example host: opens a data directory built by `vantir build` through the C++
// layer (vantir.hpp) and filters the hypotheses given as arguments, best first.
#include <cstdio>
#include <string>
#include <vector>

#include "vantir/vantir.hpp"

namespace {

int Fail(const vantir::Error& error) {
    std::fprintf(stderr, "demo_session: %s (code %d)\n", error.message.c_str(), error.code);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: demo_session DATA_DIR \"word word ...\" [\"word word ...\" ...]\n"
                     "Each argument is one hypothesis, best first; the ranked address texts\n"
                     "are printed one a line.\n");
        return 2;
    }
    // The set owns its blobs; it must outlive the session.
    vantir::Expected<vantir::DataSetPtr> set = vantir::OpenDataSet(argv[1]);
    if (!set) return Fail(set.error());
    vantir::Expected<vantir::Session> session = vantir::Session::Open(set->get());
    if (!session) return Fail(session.error());

    for (int k = 2; k < argc; ++k) {
        // Words the lexicon does not hold are left out.
        const int32_t code = session->add_words(argv[k]);
        if (code < 0) {
            std::fprintf(stderr, "demo_session: hypothesis %d: code %d: %s\n", k - 1, code,
                         Vantir_ErrorMessage(code));
        }
    }
    vantir::Expected<std::vector<std::u16string>> results = session->results();
    if (!results) return Fail(results.error());
    for (const std::u16string& text : *results)
        std::printf("%s\n", vantir::ToUtf8(text).c_str());
    return 0;
}
