// Data directory loading with a structural check before any blob is attached,
// since the library itself checks only the headers.
#include "tools/run/data_dir.h"

#include <optional>

#include "tools/compile/blob_examiner.h"
#include "tools/compile/data_build.h"
#include "tools/compile/switch_record.h"

namespace vantir::tools {

namespace {

// Tries of a load that met a switch ending meanwhile.
constexpr int kLoadAttempts = 3;

template <class T>
T Need(Expected<T> result) {
    if (!result) throw ToolError(result.error().message);
    return std::move(*result);
}

BlobReport CheckFile(const std::filesystem::path& path, const BlobBuffer& blob,
                     const std::string& kind) {
    if (blob.size() < kBlobHeaderBytes) {
        Fail(path.string(), 0,
             "truncated: " + Counted(static_cast<int64_t>(blob.size()), "byte") +
                 ", shorter than the " + std::to_string(kBlobHeaderBytes) +
                 "-byte header every blob starts with");
    }
    BlobReport report = InspectBlob(blob.data(), blob.size());
    if (report.kind != kind) {
        const bool vowel = std::string_view("aeiou").find(kind[0]) != std::string_view::npos;
        Fail(path.string(), 0, std::string(vowel ? "not an " : "not a ") + kind + " blob");
    }
    if (!report.WellFormed()) Fail(path.string(), 0, "malformed: " + report.problems[0]);
    return report;
}

// The folder's sounds blob, checked and of the lexicon's set; empty when the
// folder has none (or, while a switch record stands, the old set had none).
BlobBuffer LoadSounds(const std::filesystem::path& directory,
                      const std::optional<SwitchRecord>& record, const BlobReport& lexicon) {
    std::filesystem::path path = directory / kSoundsBlobName;
    if (record && record->keptFor.contains(kSoundsBlobName)) {
        const std::string& kept = record->keptFor.at(kSoundsBlobName);
        if (kept.empty()) return {};
        path = directory / kept;
    }
    if (!std::filesystem::exists(path)) return {};
    BlobBuffer sounds = Need(LoadBlobFile(path));
    const BlobReport report = CheckFile(path, sounds, "sounds");
    const std::string mismatch = SetMismatch(
        {{kLexiconBlobName, lexicon.setIdentity}, {kSoundsBlobName, report.setIdentity}});
    if (!mismatch.empty()) Fail(directory.string(), 0, mismatch);
    if (report.wordCount != lexicon.wordCount) {
        Fail(path.string(), 0,
             "reads the words of another lexicon (" + std::to_string(report.wordCount) +
                 " words, the lexicon " + std::to_string(lexicon.wordCount) + ")");
    }
    return sounds;
}

// The folder's postal blob, checked and of the lexicon's set; empty when the
// folder has none (or, while a switch record stands, the old set had none).
BlobBuffer LoadPostal(const std::filesystem::path& directory,
                      const std::optional<SwitchRecord>& record, const BlobReport& lexicon) {
    std::filesystem::path path = directory / kPostalBlobName;
    if (record && record->keptFor.contains(kPostalBlobName)) {
        const std::string& kept = record->keptFor.at(kPostalBlobName);
        if (kept.empty()) return {};
        path = directory / kept;
    }
    if (!std::filesystem::exists(path)) return {};
    BlobBuffer postal = Need(LoadBlobFile(path));
    const BlobReport report = CheckFile(path, postal, "postal");
    const std::string mismatch = SetMismatch(
        {{kLexiconBlobName, lexicon.setIdentity}, {kPostalBlobName, report.setIdentity}});
    if (!mismatch.empty()) Fail(directory.string(), 0, mismatch);
    return postal;
}

LoadedData LoadBlobs(const std::filesystem::path& directory,
                     const std::optional<SwitchRecord>& record) {
    auto pathOf = [&](const char* name) {
        if (!record || !record->keptFor.contains(name)) return directory / name;
        const std::string& kept = record->keptFor.at(name);
        if (kept.empty()) {
            Fail(directory.string(), 0,
                 "a build was interrupted before this folder held a complete set; run 'vantir "
                 "build' into it again");
        }
        return directory / kept;
    };
    const std::filesystem::path lexiconPath = pathOf(kLexiconBlobName);
    const std::filesystem::path modelPath = pathOf(kModelBlobName);
    const std::filesystem::path addressPath = pathOf(kAddressBlobName);
    BlobBuffer lexiconBlob = Need(LoadBlobFile(lexiconPath));
    BlobBuffer modelBlob = Need(LoadBlobFile(modelPath));
    BlobBuffer addressBlob = Need(LoadBlobFile(addressPath));
    const BlobReport lexicon = CheckFile(lexiconPath, lexiconBlob, "lexicon");
    const BlobReport model = CheckFile(modelPath, modelBlob, "model");
    const BlobReport address = CheckFile(addressPath, addressBlob, "address database");
    const std::string mismatch = SetMismatch({{kLexiconBlobName, BlobSetIdentity(lexiconBlob)},
                                              {kModelBlobName, BlobSetIdentity(modelBlob)},
                                              {kAddressBlobName, BlobSetIdentity(addressBlob)}});
    if (!mismatch.empty()) Fail(directory.string(), 0, mismatch);
    const std::vector<std::string> problems = CheckSameNumbering(lexicon, model, address);
    if (!problems.empty()) Fail(directory.string(), 0, problems[0]);

    LoadedData data;
    data.lexicon = Need(AttachLexicon(std::move(lexiconBlob)));
    // The look-up index answers every look-up as the searches do, in one
    // probe; without it (a blob it refuses, no memory) the searches answer.
    Lexicon_BuildLookupIndex(data.lexicon.get());
    data.model = Need(AttachModel(std::move(modelBlob)));
    data.address = std::move(addressBlob);
    data.session = Need(Session::Create(data.model.get(), data.lexicon.get(), data.address.data()));
    data.sounds = LoadSounds(directory, record, lexicon);
    if (!data.sounds.empty() &&
        Vantir_AttachSounds(data.session.get(), data.sounds.data()) != VANTIR_OK) {
        Fail(directory.string(), 0,
             std::string(kSoundsBlobName) + " was built for another lexicon; build again");
    }
    data.postal = LoadPostal(directory, record, lexicon);
    if (!data.postal.empty() &&
        Vantir_AttachPostal(data.session.get(), data.postal.data()) != VANTIR_OK) {
        Fail(directory.string(), 0,
             std::string(kPostalBlobName) + " was built for another set; build again");
    }
    return data;
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
    // A build killed while it switched the blobs left its record: the set is
    // then the old blobs it kept. A build finishing meanwhile removes them, so
    // a failure is tried once more when the record has gone since.
    for (int attempt = 1;; ++attempt) {
        const std::optional<SwitchRecord> record = ReadSwitchRecord(directory);
        try {
            return LoadBlobs(directory, record);
        } catch (const ToolError&) {
            if (!record || attempt == kLoadAttempts || ReadSwitchRecord(directory)) throw;
        }
    }
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
