// The whole build of a data set: sources in a directory compiled into the
// lexicon, the model and the address database, checked to share one numbering.
#ifndef VANTIR_TOOLS_DATA_BUILD_H
#define VANTIR_TOOLS_DATA_BUILD_H

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tools/compile/arpa_model.h"
#include "tools/compile/blob_builders.h"
#include "tools/compile/diagnostics.h"
#include "tools/compile/file_output.h"
#include "tools/compile/postal_source.h"
#include "tools/compile/progress.h"
#include "tools/compile/sounds_builder.h"
#include "vantir/vantir.hpp"

namespace vantir::tools {

// Source names looked up in a source directory, and the blob names written.
constexpr const char* kVocabularyName = "vocabulary.tsv";
constexpr const char* kRegionsName = "regions.tsv";
constexpr const char* kArpaName = "model.arpa";
constexpr const char* kCorpusName = "corpus.txt";
// Road tables: every file of the source directory whose name starts with
// kRoadsPrefix and ends with kRoadsSuffix (roads.tsv, roads-more.tsv, ...).
constexpr const char* kRoadsName = "roads.tsv";
constexpr const char* kRoadsPrefix = "roads";
constexpr const char* kRoadsSuffix = ".tsv";
constexpr const char* kLexiconBlobName = kLexiconFileName;
constexpr const char* kModelBlobName = kModelFileName;
constexpr const char* kAddressBlobName = kAddressDbFileName;
constexpr const char* kSoundsBlobName = kSoundsFileName;
constexpr const char* kPostalBlobName = kPostalFileName;

struct BuildInputs {
    std::filesystem::path vocabulary;
    std::filesystem::path regions;
    std::optional<std::filesystem::path> arpa;  // at most one of arpa and corpus
    std::optional<std::filesystem::path> corpus;
    std::vector<std::filesystem::path> roads;  // tables of county, district, road, sections
    // Alias table (aliases.tsv); none: the lexicon holds no alias words.
    std::optional<std::filesystem::path> aliases;
    // Unihan readings for the sounds blob; none: no sounds blob is built.
    std::optional<std::filesystem::path> readings;
    // The postal range table (ranges.tsv of the source directory when there is
    // one); none: no postal blob is built.
    std::optional<std::filesystem::path> ranges;
};

// Fills the inputs from a source directory; paths already set are kept. The
// model source is model.arpa or corpus.txt, whichever exists (both: an error;
// neither: a uniform model). Without given road tables, every roads*.tsv of
// the directory is read, in name order; aliases.tsv when it exists.
BuildInputs ResolveBuildInputs(const std::filesystem::path& sourceDir, BuildInputs given);

// The set identity of built blobs (see vantir.hpp): an FNV-1a digest of
// every blob as built, with its user field still 0, never 0 itself, so that
// the same sources give the same blobs on every machine.
uint32_t SetIdentityOf(const std::vector<const std::vector<uint8_t>*>& blobs);

// Writes the identity into the user field of each blob's header.
void StampSetIdentity(uint32_t identity, const std::vector<std::vector<uint8_t>*>& blobs);

struct BuiltData {
    std::vector<uint8_t> lexicon;
    std::vector<uint8_t> model;
    std::vector<uint8_t> address;
    size_t words = 0;
    size_t regionPairs = 0;
    size_t pairs = 0;           // listed word pairs of the model
    size_t grammarPairs = 0;    // pairs the grammar needs, generated from the sources
    size_t generatedPairs = 0;  // of those, the pairs the model did not list already
    bool trained = false;       // the model's statistics come from a corpus or ARPA file
    uint32_t setIdentity = 0;   // in the user field of all three (and of the sounds)

    std::vector<uint8_t> sounds;  // empty when no readings were given
    size_t soundWords = 0;        // words the sounds blob indexes
    size_t soundCharacters = 0;   // characters it reads

    std::vector<uint8_t> postal;  // empty when no range table was given
    size_t postalLines = 0;       // range lines read
    size_t postalDistricts = 0;
    size_t postalAbsentRoads = 0;  // roads of the table the vocabulary lacks
};

// The blobs a set may hold beside the three, each with where a build keeps
// it: a member the build made is written with the three, one it did not make
// is removed from the folder, both as steps of the same switch.
struct OptionalBlob {
    const char* name;
    const char* kind;  // as InspectBlob names it
    std::vector<uint8_t> BuiltData::*bytes;
};
inline constexpr OptionalBlob kOptionalBlobs[] = {{kSoundsBlobName, "sounds", &BuiltData::sounds},
                                                  {kPostalBlobName, "postal", &BuiltData::postal}};

// The files of a built set in `directory`, ready for WriteFilesAtomically: the
// three blobs, then every optional blob, absent where the build made none.
std::vector<OutputFile> SetFilesOf(const std::filesystem::path& directory, const BuiltData& built);

// Parses every source, generates the pairs the grammar tests (see
// grammar_pairs.h) and adds those the model lacks, builds the three blobs and checks them: each
// blob well formed, the same word count in all, every region name found at its id, and a filter
// session accepts them. Fails with a ToolError naming file and line. When `model` is given it
// receives the model the blob was built from (trained or uniform, the generated pairs included),
// before quantisation.
BuiltData BuildData(const BuildInputs& inputs, const ModelOptions& options,
                    Diagnostics& diagnostics, Progress& progress, ArpaModel* model = nullptr);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_DATA_BUILD_H
