// N-best lists of recognised utterances, in the Kaldi text convention
// ("UTTID-RANK word word ...") or as plain lines with blank lines between
// utterances, and reference texts ("UTTID text").
#ifndef VANTIR_TOOLS_NBEST_READER_H
#define VANTIR_TOOLS_NBEST_READER_H

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
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

// A hypothesis as the batch readers keep it: its words in the text they were
// read from, unsplit.
struct HypothesisSpan {
    std::string_view text;  // the words separated by blanks (the line after a Kaldi key)
    int32_t rank = 0;       // 1 is the recogniser's best
    int32_t line = 0;
};

// An N-best input held whole, for filtering at speed: the input's bytes and,
// per utterance, its id and its hypotheses best first, each a span of those
// bytes. Nothing is copied per word or per line; an utterance's words are
// split where they are used (NextField).
class NbestFile {
  public:
    NbestFormat format() const { return format_; }
    const std::string& name() const { return name_; }  // the input as messages name it
    size_t size() const { return utterances_.size(); }
    std::string_view Id(size_t k) const { return utterances_[k].id; }
    std::span<const HypothesisSpan> Hypotheses(size_t k) const {
        return {hypotheses_.data() + utterances_[k].first, utterances_[k].count};
    }
    // Keeps the utterances for which keep(k) holds, in their order.
    void KeepIf(const std::function<bool(size_t k)>& keep);
    // The utterances in the form ParseNbest gives, words split.
    std::vector<Utterance> ToUtterances() const;

  private:
    friend class NbestParser;
    friend class NbestStream;
    friend void ParseBlock(NbestFile& file, class NbestParser& parser, int32_t& number,
                           int32_t workers, const SourceReader& reader, InputBytes::Ending ended,
                           int error);
    friend NbestFile ReadNbestFile(const std::filesystem::path& path, NbestFormat format,
                                   Diagnostics& diagnostics, int32_t workers);
    friend std::vector<Utterance> ParseNbest(const std::vector<SourceLine>& lines,
                                             const std::string& file, NbestFormat format,
                                             Diagnostics& diagnostics);
    struct Entry {
        std::string_view id;
        size_t first = 0;  // into hypotheses_
        uint32_t count = 0;
    };
    std::string name_;
    NbestFormat format_ = NbestFormat::kPlain;
    InputBytes bytes_;  // the input the spans point into
    // "1", "2", ...: the plain form's ids, which the input lacks (a block of
    // its own, which moves with the file without moving its bytes).
    std::unique_ptr<char[]> plainIds_;
    std::vector<Entry> utterances_;
    std::vector<HypothesisSpan> hypotheses_;
};

// An N-best file ("-": standard input) read whole and parsed as ParseNbest
// parses lines, with the same checks, messages and warnings in the same order:
// the first bad line fails, whatever follows it. With workers > 1, the lines
// of a large input are split and checked (UTF-8, length) on that many threads;
// the grouping into utterances runs on the calling thread.
NbestFile ReadNbestFile(const std::filesystem::path& path, NbestFormat format,
                        Diagnostics& diagnostics, int32_t workers = 1);

// The input a window at a time, for commands that filter inputs of any size in
// bounded memory: each window holds whole utterances, about `windowBytes` of
// the input (more when one utterance is longer), parsed and checked as
// ReadNbestFile parses a whole input, with line numbers and plain ids going on
// across windows. A bad line fails when its window is read, after the windows
// before it were handed out. Kaldi lines of one utterance may stand anywhere
// within a window; an utterance whose lines go on in a later window fails
// there (the ids of earlier windows are kept as 64-bit digests, 8 bytes an
// utterance).
constexpr size_t kNbestWindowBytes = size_t{8} << 20;

class NbestStream {
  public:
    NbestStream(const std::filesystem::path& path, NbestFormat format, Diagnostics& diagnostics,
                int32_t workers = 1, size_t windowBytes = kNbestWindowBytes);
    ~NbestStream();
    NbestStream(const NbestStream&) = delete;
    NbestStream& operator=(const NbestStream&) = delete;

    // The next window; false at the end. The first call gives a window also
    // for an empty input.
    bool Next(NbestFile& window);
    const std::string& name() const;                   // the input as messages name it
    size_t utterances() const { return utterances_; }  // handed out so far

  private:
    size_t CutPoint(size_t want) const;

    std::unique_ptr<SourceReader> reader_;
    NbestFormat format_;
    Diagnostics& diagnostics_;
    int32_t workers_;
    size_t windowBytes_;
    std::string pending_;  // whole lines read and not yet handed out
    bool ended_ = false;
    bool first_ = true;
    bool done_ = false;
    InputBytes::Ending ending_ = InputBytes::Ending::kEnd;
    int error_ = 0;
    int32_t lines_ = 0;
    size_t utterances_ = 0;
    std::vector<uint64_t> earlier_;  // digests of the Kaldi ids handed out, sorted
};

// Fails (ToolError naming the input) when it held no utterance: an empty input,
// or one of blank and comment lines only, which is a mistake more often than not.
void RequireUtterances(size_t utterances, const std::string& input);

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
