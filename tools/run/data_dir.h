// Loading a built data directory (lexicon.wpb, model.lmb, address.addr) for the
// commands that run the filter, after a structural check of each blob.
#ifndef VANTIR_TOOLS_DATA_DIR_H
#define VANTIR_TOOLS_DATA_DIR_H

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tools/compile/diagnostics.h"
#include "tools/compile/switch_record.h"
#include "vantir/vantir.hpp"

namespace vantir::tools {

struct LoadedData {
    LexiconHandle lexicon;
    ModelHandle model;
    BlobBuffer address;
    Session session;  // over the three above; they move with it
    // sounds.snd, attached to the session; empty when the folder has none.
    BlobBuffer sounds;
    // postal.pst, attached to the session; empty when the folder has none.
    BlobBuffer postal;
};

// Fails with a ToolError naming the file when a blob is missing, malformed or
// numbers other words than the lexicon. The lexicon gets its look-up index.
// sounds.snd is optional; when present it must be of the same set, and it is
// attached to the session; so is postal.pst.
LoadedData LoadDataDir(const std::filesystem::path& directory);

// A blob of a folder's set where a load reads it.
struct SetBlob {
    std::string name;            // its name in the set: lexicon.wpb, ..., sounds.snd
    std::string kind;            // the kind its tag must give (BlobReport::kind)
    std::filesystem::path path;  // its file, or the old one a switch record kept
    bool optional = false;
};

// The blobs a load of the folder reads, under its switch record when one
// stands: the three, then every optional blob the set has. Fails (ToolError)
// when the record says a first build was interrupted, so there is no set.
std::vector<SetBlob> SetBlobsOf(const std::filesystem::path& directory,
                                const std::optional<SwitchRecord>& record);

struct WordLookup {
    std::vector<WordId> ids;
    std::vector<std::string> unknown;  // words the lexicon does not hold, in order
};

// Ids of the words; unknown words are left out and listed.
WordLookup LookUpWords(const Lexicon* lexicon, const std::vector<std::string>& words);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_DATA_DIR_H
