// Data directory loading with a structural check before any blob is attached,
// since the library itself checks only the headers.
#include "tools/run/data_dir.h"

#include "tools/compile/blob_examiner.h"
#include "tools/compile/data_build.h"

namespace vantir::tools {

namespace {

template <class T>
T Need(Expected<T> result) {
    if (!result) throw ToolError(result.error().message);
    return std::move(*result);
}

BlobReport CheckFile(const std::filesystem::path& path, const BlobBuffer& blob,
                     const std::string& kind) {
    BlobReport report = InspectBlob(blob.data(), blob.size());
    if (report.kind != kind) Fail(path.string(), 0, "not a " + kind + " blob");
    if (!report.WellFormed()) Fail(path.string(), 0, "malformed: " + report.problems[0]);
    return report;
}

}  // namespace

LoadedData LoadDataDir(const std::filesystem::path& directory) {
    const std::filesystem::path lexiconPath = directory / kLexiconBlobName;
    // A source folder given by mistake: say what to do instead of naming a blob.
    if (!std::filesystem::exists(lexiconPath) &&
        std::filesystem::exists(directory / kVocabularyName)) {
        Fail(directory.string(), 0,
             std::string("holds sources (") + kVocabularyName +
                 "), not built blobs; run 'vantir "
                 "build " +
                 directory.string() + " -o OUT_DIR' and give OUT_DIR to --data");
    }
    const std::filesystem::path modelPath = directory / kModelBlobName;
    const std::filesystem::path addressPath = directory / kAddressBlobName;
    BlobBuffer lexiconBlob = Need(LoadBlobFile(lexiconPath));
    BlobBuffer modelBlob = Need(LoadBlobFile(modelPath));
    BlobBuffer addressBlob = Need(LoadBlobFile(addressPath));
    const BlobReport lexicon = CheckFile(lexiconPath, lexiconBlob, "lexicon");
    const BlobReport model = CheckFile(modelPath, modelBlob, "model");
    const BlobReport address = CheckFile(addressPath, addressBlob, "address database");
    const std::vector<std::string> problems = CheckSameNumbering(lexicon, model, address);
    if (!problems.empty()) Fail(directory.string(), 0, problems[0]);

    LoadedData data;
    data.lexicon = Need(AttachLexicon(std::move(lexiconBlob)));
    data.model = Need(AttachModel(std::move(modelBlob)));
    data.address = std::move(addressBlob);
    data.session = Need(Session::Create(data.model.get(), data.lexicon.get(), data.address.data()));
    return data;
}

WordLookup LookUpWords(const Lexicon* lexicon, const std::vector<std::string>& words) {
    WordLookup lookup;
    for (const std::string& word : words) {
        Expected<std::u16string> text = ToUtf16(word);
        const WordId id = text ? FindWord(lexicon, *text) : VANTIR_NOT_FOUND;
        if (id < 0) {
            lookup.unknown.push_back(word);
        } else {
            lookup.ids.push_back(id);
        }
    }
    return lookup;
}

}  // namespace vantir::tools
