// Loading a built data directory (lexicon.wpb, model.lmb, address.addr) for the
// commands that run the filter, after a structural check of each blob.
#ifndef VANTIR_TOOLS_DATA_DIR_H
#define VANTIR_TOOLS_DATA_DIR_H

#include <filesystem>
#include <string>
#include <vector>

#include "tools/compile/diagnostics.h"
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

struct WordLookup {
    std::vector<WordId> ids;
    std::vector<std::string> unknown;  // words the lexicon does not hold, in order
};

// Ids of the words; unknown words are left out and listed.
WordLookup LookUpWords(const Lexicon* lexicon, const std::vector<std::string>& words);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_DATA_DIR_H
