// N-best lists of recognised utterances, in the Kaldi text convention
// ("UTTID-RANK word word ...") or as plain lines with blank lines between
// utterances, and reference texts ("UTTID text").
#ifndef VANTIR_TOOLS_NBEST_READER_H
#define VANTIR_TOOLS_NBEST_READER_H

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tools/compile/diagnostics.h"
#include "tools/compile/text_source.h"

namespace vantir::tools {

struct Hypothesis {
    int32_t rank = 0;  // 1 is the recogniser's best
    int32_t line = 0;
    std::vector<std::string> words;
};

struct Utterance {
    std::string id;
    std::vector<Hypothesis> hypotheses;  // best first
};

enum class NbestFormat { kAuto, kKaldi, kPlain };

// Kaldi form: the first field is the utterance id, a '-' and the rank; lines
// of one utterance may stand anywhere, and are ordered by rank (a repeated
// rank fails, a malformed rank fails naming the line and what is wrong, a gap
// in the ranks is a warning). Plain form: each line a hypothesis, best first; a
// blank line ends an utterance; utterances are named 1, 2, ... Auto picks Kaldi
// when the first non-blank line starts with such an id, and fails when that
// first field was meant as one but has a malformed rank ("u1-x", "u1-0").
// '#' comment lines are skipped.
// Each line is read once and costs the same however many hypotheses its
// utterance has.
std::vector<Utterance> ParseNbest(const std::vector<SourceLine>& lines, const std::string& file,
                                  NbestFormat format, Diagnostics& diagnostics);
// The same with warnings dropped.
std::vector<Utterance> ParseNbest(const std::vector<SourceLine>& lines, const std::string& file,
                                  NbestFormat format);

struct NbestInput {
    NbestFormat format = NbestFormat::kPlain;  // the convention the input was read in
    std::vector<Utterance> utterances;
};

// An N-best file ("-": standard input) read as ParseNbest reads lines, a line at
// a time (SourceReader): a bad line fails as soon as it is read, and only the
// hypotheses are kept, never the file's text.
NbestInput ReadNbest(const std::filesystem::path& path, NbestFormat format,
                     Diagnostics& diagnostics);

// The convention that ParseNbest reads the lines in: `format` itself unless it
// is kAuto.
NbestFormat ResolveNbestFormat(const std::vector<SourceLine>& lines, const std::string& file,
                               NbestFormat format);

// "UTTID text": the text is the rest of the line with its blanks removed
// (canonical address texts hold none). A repeated id fails.
std::map<std::string, std::string> ParseReferences(const std::vector<SourceLine>& lines,
                                                   const std::string& file);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_NBEST_READER_H
