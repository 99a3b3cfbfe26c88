// Example host: loads a data directory built by `vantir build` through the C++
// layer (vantir.hpp) and filters the hypotheses given as arguments, best first.
#include <cstdio>
#include <filesystem>
#include <sstream>
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
    const std::filesystem::path dir = argv[1];
    // The blobs must outlive the session; the handles own them.
    vantir::Expected<vantir::LexiconHandle> lexicon = vantir::LoadLexiconFile(dir / "lexicon.wpb");
    if (!lexicon) return Fail(lexicon.error());
    vantir::Expected<vantir::ModelHandle> model = vantir::LoadModelFile(dir / "model.lmb");
    if (!model) return Fail(model.error());
    vantir::Expected<vantir::BlobBuffer> address = vantir::LoadAddressDbFile(dir / "address.addr");
    if (!address) return Fail(address.error());
    vantir::Expected<vantir::Session> session =
        vantir::Session::Create(model->get(), lexicon->get(), address->data());
    if (!session) return Fail(session.error());

    for (int k = 2; k < argc; ++k) {
        std::vector<WordId> ids;
        std::istringstream words(argv[k]);
        std::string word;
        while (words >> word) {
            vantir::Expected<std::u16string> text = vantir::ToUtf16(word);
            const WordId id = text ? vantir::FindWord(lexicon->get(), *text) : VANTIR_NOT_FOUND;
            if (id < 0) {
                std::fprintf(stderr, "demo_session: unknown word '%s' left out\n", word.c_str());
                continue;
            }
            ids.push_back(id);
        }
        const int32_t code = session->add(ids);
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
