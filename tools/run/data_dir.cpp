// Data directory loading with a structural check before any blob is attached,
// since the library itself checks only the headers.
#include "tools/run/data_dir.h"

#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <utility>

#include "tools/compile/blob_examiner.h"
#include "tools/compile/data_build.h"
#include "tools/compile/switch_record.h"

namespace vantir::tools {

namespace {

// Tries of a load that met a build switching the blobs: the first and one more.
constexpr int kLoadAttempts = 2;

// What tells that the folder's entries changed: its modification time, which
// every rename, link and removal in it sets.
struct FolderState {
    int64_t seconds = 0;
    int64_t nanoseconds = 0;
    bool operator==(const FolderState&) const = default;
};

FolderState FolderStateOf(const std::filesystem::path& directory) {
    struct stat status {};
    if (::stat(directory.c_str(), &status) != 0) return {};
    return {static_cast<int64_t>(status.st_mtim.tv_sec),
            static_cast<int64_t>(status.st_mtim.tv_nsec)};
}

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

// The sounds blob at `path`, checked and of the lexicon's set.
BlobBuffer LoadSounds(const std::filesystem::path& directory, const std::filesystem::path& path,
                      const BlobReport& lexicon) {
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

// The postal blob at `path`, checked and of the lexicon's set.
BlobBuffer LoadPostal(const std::filesystem::path& directory, const std::filesystem::path& path,
                      const BlobReport& lexicon) {
    BlobBuffer postal = Need(LoadBlobFile(path));
    const BlobReport report = CheckFile(path, postal, "postal");
    const std::string mismatch = SetMismatch(
        {{kLexiconBlobName, lexicon.setIdentity}, {kPostalBlobName, report.setIdentity}});
    if (!mismatch.empty()) Fail(directory.string(), 0, mismatch);
    return postal;
}

LoadedData LoadBlobs(const std::filesystem::path& directory,
                     const std::optional<SwitchRecord>& record) {
    const std::vector<SetBlob> blobs = SetBlobsOf(directory, record);
    const std::filesystem::path& lexiconPath = blobs[0].path;
    const std::filesystem::path& modelPath = blobs[1].path;
    const std::filesystem::path& addressPath = blobs[2].path;
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
    for (size_t k = 3; k < blobs.size(); ++k) {
        if (blobs[k].name == kSoundsBlobName) {
            data.sounds = LoadSounds(directory, blobs[k].path, lexicon);
        } else if (blobs[k].name == kPostalBlobName) {
            data.postal = LoadPostal(directory, blobs[k].path, lexicon);
        }
    }
    if (!data.sounds.empty() &&
        Vantir_AttachSounds(data.session.get(), data.sounds.data()) != VANTIR_OK) {
        Fail(directory.string(), 0,
             std::string(kSoundsBlobName) + " was built for another lexicon; build again");
    }
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
    // then the old blobs it kept. A build switching the blobs meanwhile (its
    // record there before or after the load, or the folder changed under it)
    // can make one load fail on a set that was whole at every moment: such a
    // failure is tried once more, and when that fails too the message says a
    // build was under way.
    bool building = false;
    for (int attempt = 1;; ++attempt) {
        const FolderState before = FolderStateOf(directory);
        const std::optional<SwitchRecord> record = ReadSwitchRecord(directory);
        try {
            return LoadBlobs(directory, record);
        } catch (const ToolError& error) {
            building = building || record || ReadSwitchRecord(directory) ||
                       FolderStateOf(directory) != before;
            if (!building) throw;
            if (attempt == kLoadAttempts) {
                throw ToolError(std::string(error.what()) +
                                " (a build was switching the blobs of this folder meanwhile; "
                                "load it again once the build has finished)");
            }
        }
    }
}

std::vector<SetBlob> SetBlobsOf(const std::filesystem::path& directory,
                                const std::optional<SwitchRecord>& record) {
    // Under a record, a member it names is the old file kept for it, or none
    // when the old set lacked it.
    auto pathOf = [&](const char* name) -> std::optional<std::filesystem::path> {
        if (!record || !record->keptFor.contains(name)) return directory / name;
        const std::string& kept = record->keptFor.at(name);
        if (kept.empty()) return std::nullopt;
        return directory / kept;
    };
    std::vector<SetBlob> blobs;
    for (const auto& [name, kind] :
         {std::pair{kLexiconBlobName, "lexicon"}, std::pair{kModelBlobName, "model"},
          std::pair{kAddressBlobName, "address database"}}) {
        const std::optional<std::filesystem::path> path = pathOf(name);
        if (!path) {
            Fail(directory.string(), 0,
                 "a build was interrupted before this folder held a complete set; run 'vantir "
                 "build' into it again");
        }
        blobs.push_back({name, kind, *path, false});
    }
    for (const OptionalBlob& optional : kOptionalBlobs) {
        const std::optional<std::filesystem::path> path = pathOf(optional.name);
        std::error_code ignored;
        // Present also as a link to nothing, a pipe or a directory: the load names it.
        if (!path || !std::filesystem::exists(std::filesystem::symlink_status(*path, ignored))) {
            continue;
        }
        blobs.push_back({optional.name, optional.kind, *path, true});
    }
    return blobs;
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
