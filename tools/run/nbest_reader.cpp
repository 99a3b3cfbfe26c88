// Readers of N-best files in the Kaldi and plain conventions, and of reference
// texts for evaluation.
#include "tools/run/nbest_reader.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>
#include <thread>
#include <unordered_map>

#include "tools/compile/diagnostics.h"

namespace vantir::tools {

namespace {

// No utterance's hypothesis has this index: the end of a chain of hypotheses.
constexpr uint32_t kNoHypothesis = UINT32_MAX;
// The reader checks the lines of an input on several threads only in shares of
// at least this many bytes: smaller shares cost more to hand out than to check.
constexpr size_t kMinCheckShareBytes = size_t{1} << 16;
// Shares per thread, so that a thread that started late still gets some.
constexpr size_t kCheckSharesPerThread = 4;
// Lines per utterance the id table is first sized for (recognisers list 5 to
// 10 hypotheses); more utterances only grow it.
constexpr size_t kLinesPerUtteranceGuess = 4;

struct KaldiKey {
    std::string_view id;
    int32_t rank;
};

// A first field read as "ID-RANK": the key, or why it is none. A field whose
// part after the last '-' is ASCII letters and digits was meant as a key.
struct KeyReading {
    std::optional<KaldiKey> key;
    std::string problem;
    bool meantAsKey = false;
};

bool IsAsciiAlphanumeric(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The key of a well-formed "ID-RANK" field, without building any message:
// exactly the fields ReadKaldiKey accepts.
std::optional<KaldiKey> ParseKaldiKey(std::string_view field) {
    const size_t dash = field.rfind('-');
    if (dash == std::string_view::npos || dash == 0 || dash + 1 == field.size()) {
        return std::nullopt;
    }
    const std::string_view rankText = field.substr(dash + 1);
    for (const char c : rankText) {
        if (c < '0' || c > '9') return std::nullopt;
    }
    int32_t rank = 0;
    const auto [stop, error] =
        std::from_chars(rankText.data(), rankText.data() + rankText.size(), rank);
    if (error != std::errc() || rank < 1) return std::nullopt;
    return KaldiKey{field.substr(0, dash), rank};
}

KeyReading ReadKaldiKey(std::string_view field) {
    if (const std::optional<KaldiKey> key = ParseKaldiKey(field)) return {key, {}, true};
    const size_t dash = field.rfind('-');
    if (dash == std::string_view::npos || dash == 0 || dash + 1 == field.size()) {
        return {std::nullopt, "no '-RANK' after an utterance id", false};
    }
    const std::string_view rankText = field.substr(dash + 1);
    const bool digits =
        std::all_of(rankText.begin(), rankText.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!digits) {
        const bool meant = std::all_of(rankText.begin(), rankText.end(), IsAsciiAlphanumeric);
        return {std::nullopt, "rank " + Shown(rankText) + " is not a number", meant};
    }
    int32_t rank = 0;
    const auto [stop, error] =
        std::from_chars(rankText.data(), rankText.data() + rankText.size(), rank);
    if (error == std::errc::result_out_of_range) {
        return {std::nullopt, "rank " + Shown(rankText) + " is above " + std::to_string(INT32_MAX),
                true};
    }
    if (rank < 1) return {std::nullopt, "ranks start at 1", true};
    return {KaldiKey{field.substr(0, dash), rank}, {}, true};
}

// What the parser needs of a line's first field, worked out beside the line's
// check (on the reader's threads): where it is, and the Kaldi key it holds.
struct LineKey {
    uint32_t fieldBegin = 0;  // the first field, from the line's start
    uint32_t fieldEnd = 0;
    uint32_t idEnd = 0;  // a key's id ends here (at its '-')
    int32_t rank = 0;    // a key's rank; 0 when the field is no key
};

LineKey KeyOf(std::string_view line) {
    LineKey key;
    size_t at = 0;
    const std::string_view field = NextField(line, at);
    key.fieldEnd = static_cast<uint32_t>(at);
    key.fieldBegin = static_cast<uint32_t>(at - field.size());
    if (const std::optional<KaldiKey> parsed = ParseKaldiKey(field)) {
        key.rank = parsed->rank;
        key.idEnd = key.fieldBegin + static_cast<uint32_t>(parsed->id.size());
    }
    return key;
}

// The first field of a line and where the rest begins.
std::string_view FirstField(std::string_view line, size_t& rest) {
    rest = 0;
    return NextField(line, rest);
}

// Kaldi when the first non-blank line starts with a key; a first field that was
// meant as a key but is malformed fails rather than turning the file into plain lines.
bool StartsKaldi(std::string_view line, int32_t number, const std::string& file) {
    size_t rest = 0;
    const std::string_view field = FirstField(line, rest);
    const KeyReading reading = ReadKaldiKey(field);
    if (!reading.key && reading.meantAsKey) {
        Fail(file, number,
             Shown(field) + " looks like a Kaldi 'UTTID-RANK' key, but " + reading.problem +
                 "; correct it, or give --format plain to read the lines as words");
    }
    return reading.key.has_value();
}

// Ranks need not be dense, but a gap usually means lost or mislabelled lines.
void WarnAboutRankGaps(std::string_view id, std::span<const HypothesisSpan> hypotheses,
                       const std::string& file, Diagnostics& diagnostics) {
    int32_t previous = 0;
    for (const HypothesisSpan& hypothesis : hypotheses) {
        if (hypothesis.rank > previous + 1) {
            const int32_t first = previous + 1;
            const int32_t last = hypothesis.rank - 1;
            const std::string missing = first == last
                                            ? "rank " + std::to_string(first) + " is missing"
                                            : "ranks " + std::to_string(first) + " to " +
                                                  std::to_string(last) + " are missing";
            diagnostics.Warn(file, hypothesis.line,
                             "utterance " + Shown(id) + ": " + missing + " before rank " +
                                 std::to_string(hypothesis.rank) +
                                 "; the hypotheses are taken in rank order",
                             "gaps in the ranks");
        }
        previous = hypothesis.rank;
    }
}

uint64_t IdDigest(std::string_view id) {
    // FNV-1a: the same digest on every run, so that a failure can be repeated.
    uint64_t digest = 0xcbf29ce484222325u;
    for (const char c : id) {
        digest ^= static_cast<unsigned char>(c);
        digest *= 0x100000001b3u;
    }
    return digest;
}

}  // namespace

// Takes the lines one by one, in input order, in either convention; the
// convention of kAuto is settled by the first line that is neither blank nor a
// comment, which both conventions skip. Each line is read once and costs the
// same however many hypotheses its utterance has: a Kaldi line finds its
// utterance by one look-up (none when it continues the utterance of the line
// before), and its rank is checked against the utterance's highest so far, or
// by one look-up once ranks of the utterance came out of order.
class NbestParser {
  public:
    NbestParser(NbestFile& file, NbestFormat format, Diagnostics& diagnostics)
        : file_(file), format_(format), diagnostics_(diagnostics) {}

    // A later window of a streamed input: plain ids go on from `plainIds`, and
    // a Kaldi id among `earlier` (sorted digests of the ids of the windows
    // before) fails, since its utterance was filtered already.
    void Continue(size_t plainIds, const std::vector<uint64_t>* earlier) {
        firstPlainId_ = plainIds;
        earlier_ = earlier;
    }
    NbestFormat format() const { return format_; }

    // Room for this many lines' hypotheses, so that the lists do not grow by copying.
    void Expect(size_t lines) {
        parsed_.reserve(lines);
        next_.reserve(lines);
        indexOf_.reserve(lines / kLinesPerUtteranceGuess);
    }

    // The line's text must stay where it is until Finish; `key` is KeyOf(text).
    void Add(int32_t number, std::string_view text, const LineKey& key) {
        // Blank, or a comment: the first field is empty or starts with '#'.
        const bool blankOrComment = key.fieldBegin == key.fieldEnd || text[key.fieldBegin] == '#';
        if (format_ == NbestFormat::kAuto) {
            if (blankOrComment) return;
            format_ =
                StartsKaldi(text, number, file_.name_) ? NbestFormat::kKaldi : NbestFormat::kPlain;
        }
        if (format_ == NbestFormat::kKaldi) {
            if (!blankOrComment) AddKaldi(number, text, key);
        } else {
            AddPlain(number, text, key);
        }
    }
    void Add(int32_t number, std::string_view text) { Add(number, text, KeyOf(text)); }

    // The utterances into the file, each's hypotheses in rank order.
    void Finish() {
        const bool kaldi = format_ == NbestFormat::kKaldi;
        file_.format_ = kaldi ? NbestFormat::kKaldi : NbestFormat::kPlain;
        if (!kaldi) {
            // The plain form's ids are the utterances' numbers, made once all are known.
            std::string ids;
            for (size_t k = 0; k < building_.size(); ++k)
                ids += std::to_string(firstPlainId_ + k + 1);
            file_.plainIds_.reset(new char[ids.size() + 1]);
            std::copy(ids.begin(), ids.end(), file_.plainIds_.get());
            size_t at = 0;
            for (size_t k = 0; k < building_.size(); ++k) {
                const size_t length = std::to_string(firstPlainId_ + k + 1).size();
                building_[k].id = std::string_view(file_.plainIds_.get() + at, length);
                at += length;
            }
        }
        file_.hypotheses_.reserve(parsed_.size());
        file_.utterances_.reserve(building_.size());
        for (const Building& utterance : building_) {
            const size_t first = file_.hypotheses_.size();
            for (uint32_t h = utterance.head; h != kNoHypothesis; h = next_[h])
                file_.hypotheses_.push_back(parsed_[h]);
            const auto begin = file_.hypotheses_.begin() + static_cast<ptrdiff_t>(first);
            if (utterance.unsorted) {
                std::stable_sort(begin, file_.hypotheses_.end(),
                                 [](const HypothesisSpan& a, const HypothesisSpan& b) {
                                     return a.rank < b.rank;
                                 });
            }
            file_.utterances_.push_back({utterance.id, first, utterance.count});
            if (kaldi) {
                WarnAboutRankGaps(utterance.id, {&*begin, utterance.count}, file_.name_,
                                  diagnostics_);
            }
        }
        std::vector<HypothesisSpan>().swap(parsed_);
        std::vector<uint32_t>().swap(next_);
    }

  private:
    struct Building {
        std::string_view id;
        uint32_t head = kNoHypothesis;
        uint32_t tail = kNoHypothesis;
        uint32_t count = 0;
        int32_t highestRank = 0;
        bool unsorted = false;  // a rank came after a higher one
        bool mapped = false;    // its ranks are in lineOfRank_
    };

    void Append(size_t u, const HypothesisSpan& hypothesis) {
        Building& utterance = building_[u];
        const auto index = static_cast<uint32_t>(parsed_.size());
        parsed_.push_back(hypothesis);
        next_.push_back(kNoHypothesis);
        if (utterance.tail == kNoHypothesis) {
            utterance.head = index;
        } else {
            next_[utterance.tail] = index;
        }
        utterance.tail = index;
        ++utterance.count;
    }

    uint64_t RankKey(size_t u, int32_t rank) const {
        return (static_cast<uint64_t>(u) << 32) | static_cast<uint32_t>(rank);
    }

    // Fails when the utterance already has the rank.
    void CheckRank(size_t u, const KaldiKey& key, int32_t number) {
        Building& utterance = building_[u];
        if (!utterance.mapped && key.rank > utterance.highestRank) {
            utterance.highestRank = key.rank;
            return;
        }
        if (!utterance.mapped) {
            // Ranks out of order: from now on every rank of the utterance is looked up.
            for (uint32_t h = utterance.head; h != kNoHypothesis; h = next_[h])
                lineOfRank_.emplace(RankKey(u, parsed_[h].rank), parsed_[h].line);
            utterance.mapped = true;
        }
        if (key.rank < utterance.highestRank) utterance.unsorted = true;
        utterance.highestRank = std::max(utterance.highestRank, key.rank);
        const auto [seen, fresh] = lineOfRank_.emplace(RankKey(u, key.rank), number);
        if (!fresh) {
            Fail(file_.name_, number,
                 "rank " + std::to_string(key.rank) + " of " + Shown(key.id) + " repeats line " +
                     std::to_string(seen->second));
        }
    }

    void AddKaldi(int32_t number, std::string_view text, const LineKey& line) {
        if (line.rank == 0) {
            const std::string_view field =
                text.substr(line.fieldBegin, line.fieldEnd - line.fieldBegin);
            Fail(file_.name_, number,
                 "expected 'UTTID-RANK word ...', found " + Shown(field) + " (" +
                     ReadKaldiKey(field).problem + ")");
        }
        const KaldiKey key{text.substr(line.fieldBegin, line.idEnd - line.fieldBegin), line.rank};
        const size_t rest = line.fieldEnd;
        size_t u = lastUtterance_;
        if (u == kNoHypothesis || building_[u].id != key.id) {
            const auto [at, inserted] = indexOf_.emplace(key.id, building_.size());
            if (inserted) {
                if (earlier_ != nullptr &&
                    std::binary_search(earlier_->begin(), earlier_->end(), IdDigest(key.id))) {
                    Fail(file_.name_, number,
                         "utterance " + Shown(key.id) +
                             " goes on here after the lines of other utterances, too far on for "
                             "a reading that holds a window of the input at a time; give each "
                             "utterance's lines one after another");
                }
                building_.push_back({key.id});
            }
            u = at->second;
            lastUtterance_ = u;
        }
        CheckRank(u, key, number);
        Append(u, {text.substr(rest), key.rank, number});
    }

    void AddPlain(int32_t number, std::string_view text, const LineKey& line) {
        if (line.fieldBegin == line.fieldEnd) {
            open_ = false;
            return;
        }
        if (text[line.fieldBegin] == '#') return;
        if (!open_) {
            building_.emplace_back();
            open_ = true;
        }
        const size_t u = building_.size() - 1;
        Append(u, {text, static_cast<int32_t>(building_[u].count + 1), number});
    }

    NbestFile& file_;
    NbestFormat format_;
    Diagnostics& diagnostics_;
    std::vector<Building> building_;
    std::vector<HypothesisSpan> parsed_;  // in input order
    std::vector<uint32_t> next_;          // per parsed hypothesis: the next of its utterance
    std::unordered_map<std::string_view, size_t> indexOf_;  // Kaldi: id -> utterance
    std::unordered_map<uint64_t, int32_t> lineOfRank_;      // Kaldi: utterance and rank -> line
    size_t lastUtterance_ = kNoHypothesis;  // Kaldi: the utterance of the line before
    bool open_ = false;                     // plain: an utterance takes lines
    size_t firstPlainId_ = 0;
    const std::vector<uint64_t>* earlier_ = nullptr;
};

void NbestFile::KeepIf(const std::function<bool(size_t k)>& keep) {
    size_t kept = 0;
    for (size_t k = 0; k < utterances_.size(); ++k) {
        if (keep(k)) utterances_[kept++] = utterances_[k];
    }
    utterances_.resize(kept);
}

std::vector<Utterance> NbestFile::ToUtterances() const {
    std::vector<Utterance> utterances;
    utterances.reserve(size());
    for (size_t k = 0; k < size(); ++k) {
        Utterance utterance{std::string(Id(k)), {}};
        for (const HypothesisSpan& hypothesis : Hypotheses(k)) {
            utterance.hypotheses.push_back(
                {hypothesis.rank, hypothesis.line, SplitFields(hypothesis.text)});
        }
        utterances.push_back(std::move(utterance));
    }
    return utterances;
}

NbestFormat ResolveNbestFormat(const std::vector<SourceLine>& lines, const std::string& file,
                               NbestFormat format) {
    if (format != NbestFormat::kAuto) return format;
    for (const SourceLine& line : lines) {
        if (!IsBlankOrComment(line.text))
            return StartsKaldi(line.text, line.number, file) ? NbestFormat::kKaldi
                                                             : NbestFormat::kPlain;
    }
    return NbestFormat::kPlain;
}

std::vector<Utterance> ParseNbest(const std::vector<SourceLine>& lines, const std::string& file,
                                  NbestFormat format, Diagnostics& diagnostics) {
    NbestFile parsed;
    parsed.name_ = file;
    NbestParser parser(parsed, format, diagnostics);
    for (const SourceLine& line : lines)
        parser.Add(line.number, line.text);
    parser.Finish();
    return parsed.ToUtterances();
}

std::vector<Utterance> ParseNbest(const std::vector<SourceLine>& lines, const std::string& file,
                                  NbestFormat format) {
    Diagnostics quiet;
    return ParseNbest(lines, file, format, quiet);
}

// The lines of `file.bytes_` parsed into `file`, checked on `workers` threads:
// ReadNbestFile's work on a whole input, and NbestStream's on each window.
// `reader` names the failure of a block that ended early (`ended`).
void ParseBlock(NbestFile& file, NbestParser& parser, int32_t& number, int32_t workers,
                const SourceReader& reader, InputBytes::Ending ended, int error) {
    const std::string_view bytes = file.bytes_.view();
    // Shares of whole lines, checked side by side.
    size_t shares = 1;
    if (workers > 1) {
        shares = std::min(static_cast<size_t>(workers) * kCheckSharesPerThread,
                          std::max<size_t>(1, bytes.size() / kMinCheckShareBytes));
    }
    std::vector<size_t> cuts = {0};
    for (size_t s = 1; s < shares; ++s) {
        const size_t from = std::max(bytes.size() / shares * s, cuts.back());
        const size_t lineBreak = bytes.find('\n', from);
        if (lineBreak == std::string_view::npos) break;
        if (lineBreak + 1 > cuts.back()) cuts.push_back(lineBreak + 1);
    }
    if (cuts.back() != bytes.size() || cuts.size() == 1) cuts.push_back(bytes.size());
    std::vector<CheckedLines> checked(cuts.size() - 1);
    std::vector<std::vector<LineKey>> keys(checked.size());
    auto checkShare = [&](size_t s) {
        CheckLines(bytes, cuts[s], cuts[s + 1], checked[s]);
        keys[s].reserve(checked[s].lines.size());
        for (const LineSpan& line : checked[s].lines)
            keys[s].push_back(KeyOf(bytes.substr(line.begin, line.size)));
    };
    if (checked.size() == 1) {
        checkShare(0);
    } else {
        std::atomic<size_t> next{0};
        auto check = [&] {
            for (size_t s = next++; s < checked.size(); s = next++)
                checkShare(s);
        };
        std::vector<std::thread> threads;
        const size_t helpers = std::min(static_cast<size_t>(workers), checked.size()) - 1;
        for (size_t t = 0; t < helpers; ++t)
            threads.emplace_back(check);
        check();
        for (std::thread& thread : threads)
            thread.join();
    }

    // The lines in order; the first that failed its check fails the input
    // once every line before it has been parsed.
    size_t lines = 0;
    for (const CheckedLines& share : checked)
        lines += share.lines.size();
    parser.Expect(lines);
    for (size_t s = 0; s < checked.size(); ++s) {
        const std::vector<LineSpan>& shareLines = checked[s].lines;
        for (size_t l = 0; l < shareLines.size(); ++l)
            parser.Add(++number, bytes.substr(shareLines[l].begin, shareLines[l].size), keys[s][l]);
        if (!checked[s].fault.empty()) Fail(file.name_, number + 1, checked[s].fault);
        std::vector<LineSpan>().swap(checked[s].lines);
        std::vector<LineKey>().swap(keys[s]);
    }
    if (ended != InputBytes::Ending::kEnd) {
        InputBytes failed;
        failed.ending = ended;
        failed.error = error;
        reader.FailOnRead(failed, number);
    }
    parser.Finish();
}

NbestFile ReadNbestFile(const std::filesystem::path& path, NbestFormat format,
                        Diagnostics& diagnostics, int32_t workers) {
    SourceReader reader(path);
    NbestFile file;
    file.name_ = reader.name();
    file.bytes_ = reader.ReadRest();
    NbestParser parser(file, format, diagnostics);
    int32_t number = 0;
    ParseBlock(file, parser, number, workers, reader, file.bytes_.ending, file.bytes_.error);
    return file;
}

NbestStream::NbestStream(const std::filesystem::path& path, NbestFormat format,
                         Diagnostics& diagnostics, int32_t workers, size_t windowBytes)
    : reader_(std::make_unique<SourceReader>(path)),
      format_(format),
      diagnostics_(diagnostics),
      workers_(workers),
      windowBytes_(std::max<size_t>(1, windowBytes)) {}

NbestStream::~NbestStream() = default;

const std::string& NbestStream::name() const {
    return reader_->name();
}

// Where the pending lines (whole lines, each with its break but perhaps the
// input's last) can be cut between utterances, at most about `want` bytes in:
// after the last line of the utterance before the last one (Kaldi), or after
// the last blank line (plain); npos when no cut is known yet. Blank and
// comment lines go with the utterance after them, so a cut never parts an
// utterance's lines.
size_t NbestStream::CutPoint(size_t want) const {
    const std::string_view bytes = pending_;
    NbestFormat format = format_;
    if (format == NbestFormat::kAuto) {
        // The first line that is neither blank nor a comment settles it, as in the parser.
        for (size_t at = 0; at < bytes.size();) {
            size_t stop = bytes.find('\n', at);
            if (stop == std::string_view::npos) stop = bytes.size();
            std::string_view line = bytes.substr(at, stop - at);
            if (line.ends_with('\r')) line.remove_suffix(1);  // as the line check drops it
            if (!IsBlankOrComment(line)) {
                size_t rest = 0;
                format = ParseKaldiKey(FirstField(line, rest)) ? NbestFormat::kKaldi
                                                               : NbestFormat::kPlain;
                break;
            }
            at = stop + 1;
        }
    }
    // The search starts at the end of the line that reaches `want` bytes.
    size_t end = bytes.size();  // the end of a line, after its break
    if (want > 0 && want < bytes.size()) {
        const size_t lineBreak = bytes.find('\n', want - 1);
        if (lineBreak != std::string_view::npos) end = lineBreak + 1;
    }
    if (format == NbestFormat::kAuto) return end;  // blank and comment lines alone
    std::string_view runId;
    bool inRun = false;
    while (end > 0) {
        // The input's last line may end without a break.
        const size_t lineBreak = bytes[end - 1] == '\n' ? end - 1 : end;
        const size_t before =
            lineBreak == 0 ? std::string_view::npos : bytes.rfind('\n', lineBreak - 1);
        const size_t begin = before == std::string_view::npos ? 0 : before + 1;
        std::string_view line = bytes.substr(begin, lineBreak - begin);
        if (line.ends_with('\r')) line.remove_suffix(1);
        size_t rest = 0;
        const std::string_view field = FirstField(line, rest);
        if (format == NbestFormat::kPlain) {
            if (field.empty()) return end;
        } else if (!field.empty() && field[0] != '#') {
            const std::optional<KaldiKey> key = ParseKaldiKey(field);
            // A line that is no key fails the parse, after the lines before it.
            if (!key) return end;
            if (inRun && key->id != runId) return end;
            runId = key->id;
            inRun = true;
        }
        end = begin;
    }
    return std::string_view::npos;
}

bool NbestStream::Next(NbestFile& window) {
    if (done_) return false;
    size_t want = windowBytes_;
    size_t cut = std::string::npos;
    while (true) {
        if (!ended_ && pending_.size() < want) {
            const bool more = reader_->ReadBlock(pending_, want - pending_.size(), ending_, error_);
            if (!more || ending_ != InputBytes::Ending::kEnd) ended_ = true;
            continue;
        }
        if (ended_ && pending_.size() <= want) {
            cut = pending_.size();
            break;
        }
        cut = CutPoint(want);
        if (cut != std::string::npos && cut > 0) break;
        want *= 2;  // an utterance longer than the window
    }
    if (cut == 0 && ended_ && !first_) {
        done_ = true;
        return false;
    }
    window = NbestFile();
    window.name_ = reader_->name();
    window.bytes_.data.reset(new char[std::max<size_t>(cut, 1)]);
    std::memcpy(window.bytes_.data.get(), pending_.data(), cut);
    window.bytes_.size = cut;
    pending_.erase(0, cut);
    const bool last = ended_ && pending_.empty();
    NbestParser parser(window, format_, diagnostics_);
    parser.Continue(utterances_, earlier_.empty() ? nullptr : &earlier_);
    ParseBlock(window, parser, lines_, workers_, *reader_,
               last ? ending_ : InputBytes::Ending::kEnd, error_);
    first_ = false;
    done_ = last;
    format_ = parser.format();
    utterances_ += window.size();
    if (window.format() == NbestFormat::kKaldi && !last) {
        const size_t had = earlier_.size();
        for (size_t k = 0; k < window.size(); ++k)
            earlier_.push_back(IdDigest(window.Id(k)));
        std::sort(earlier_.begin() + static_cast<ptrdiff_t>(had), earlier_.end());
        std::inplace_merge(earlier_.begin(), earlier_.begin() + static_cast<ptrdiff_t>(had),
                           earlier_.end());
    }
    return true;
}

void RequireUtterances(size_t utterances, const std::string& input) {
    if (utterances == 0) {
        Fail(input, 0,
             "no utterance in the input: it is empty or holds only blank and comment lines");
    }
}

NbestInput ReadNbest(const std::filesystem::path& path, NbestFormat format,
                     Diagnostics& diagnostics) {
    const NbestFile file = ReadNbestFile(path, format, diagnostics);
    return {file.format(), file.ToUtterances()};
}

std::map<std::string, std::string> ParseReferences(const std::vector<SourceLine>& lines,
                                                   const std::string& file) {
    std::map<std::string, std::string> references;
    std::unordered_map<std::string, int32_t> lineOf;
    for (const SourceLine& line : lines) {
        if (IsBlankOrComment(line.text)) continue;
        const std::vector<std::string> fields = SplitFields(line.text);
        if (fields.size() < 2) Fail(file, line.number, "expected 'UTTID text'");
        const auto [at, inserted] = lineOf.emplace(fields[0], line.number);
        if (!inserted) {
            Fail(file, line.number,
                 "utterance " + Shown(fields[0]) + " repeats line " + std::to_string(at->second));
        }
        std::string text;
        for (size_t k = 1; k < fields.size(); ++k)
            text += fields[k];
        references.emplace(fields[0], text);
    }
    return references;
}

}  // namespace vantir::tools
