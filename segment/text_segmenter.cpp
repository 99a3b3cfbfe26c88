// Text intake's search: the text is normalised into a window (segment/text_normaliser.cpp:
// variants and widths folded, digits spelled), then a bigram Viterbi search splits it.
//
// Lattice: position e of the window has up to kMaxPathsPerPosition best paths,
// one per last word. A word w over units [s, e) extends the best path at s
// under score(last, w) in back-off mode; a unit that no word covers may be
// left out at kUnknownUnitScore, after which the context is the text start
// again, so an address after a stray filler scores as it would alone. The
// units of a spelled number are left out all together or not at all: a number
// that the lexicon cannot spell must not shrink to the part it can ("38" to
// 十). The path's end adds score(last, end of text). Memory: one heap block
// per call, sized by min(2 * length, kSegmentWindowUnits) units.
//
// With sound-alike reading (segment/sound_alike.cpp) a span is also matched by
// the sound of its characters: the words found so are extended like the spelled
// ones, their pair score lowered by what reading them by sound costs, so the
// model weighs them against the spellings; a second heap block holds the
// window's readings.
//
// With road stems (segment/road_stems.cpp) a stretch right after a region word
// that the region's one road starts with, and that no suffix follows, also
// extends that region's path as the road, at the cost of one unit left out.
#include "segment/text_segmenter.h"

#include <cstddef>

#include "bigram/scorers.h"
#include "mempool/heap.h"
#include "segment/road_stems.h"
#include "segment/sound_alike.h"
#include "segment/span_words.h"
#include "segment/text_aliases.h"
#include "segment/text_normaliser.h"
#include "segment/text_variants.h"
#include "textutil/chinese_numerals.h"
#include "vantir/lexicon.h"

namespace vantir {

namespace {

constexpr WordId kBoundary = -1;  // the text's start and end, and a left-out unit

// The best path that ends at one position with one last word.
struct PathEnd {
    WordId word;    // kBoundary: the window start after a left-out unit or the text start
    int32_t score;  // sum of the scores along the path
    int32_t from;   // position where the last word starts; -1 at the window start
    int32_t back;   // index of the extended path among those ending at `from`
    bool bySound;   // the last word was read by the sound of its characters
};

// Normalised units and the lattice over them, all in one heap block.
struct Window {
    PathEnd* paths;        // kMaxPathsPerPosition per position 0 .. capacity
    int32_t* pathCounts;   // per position
    WordId* words;         // the best path's words, gathered back to front
    bool* bySound;         // whether each gathered word was read by sound
    char16_t* units;       // the text as searched
    char16_t* alternates;  // another spelling of each unit, or 0
    int32_t* numberStart;  // first unit of the number (digit run) holding the unit, or -1
    int32_t* sourceAt;     // index in the text of the unit (of its digit run's start)
    uint8_t* regionPaths;  // per position: bit k set when path k ends with a region word
    int32_t capacity;      // units of room
    void* block;
};

bool AllocateWindow(Window* window, int32_t capacity) {
    const size_t positions = static_cast<size_t>(capacity) + 1;
    const size_t pathBytes = positions * kMaxPathsPerPosition * sizeof(PathEnd);
    const size_t countBytes = positions * sizeof(int32_t);
    const size_t wordBytes = static_cast<size_t>(capacity) * sizeof(WordId);
    const size_t unitBytes = static_cast<size_t>(capacity) * sizeof(char16_t);
    auto* block = static_cast<unsigned char*>(
        HeapAlloc(pathBytes + countBytes + 3 * wordBytes + 2 * unitBytes + capacity + positions));
    if (block == nullptr) return false;
    window->block = block;
    window->paths = reinterpret_cast<PathEnd*>(block);
    window->pathCounts = reinterpret_cast<int32_t*>(block + pathBytes);
    window->words = reinterpret_cast<WordId*>(block + pathBytes + countBytes);
    window->numberStart = reinterpret_cast<int32_t*>(block + pathBytes + countBytes + wordBytes);
    window->sourceAt = window->numberStart + capacity;
    window->units = reinterpret_cast<char16_t*>(block + pathBytes + countBytes + 3 * wordBytes);
    window->alternates = window->units + capacity;
    window->bySound = reinterpret_cast<bool*>(window->alternates + capacity);
    window->regionPaths = reinterpret_cast<uint8_t*>(window->bySound + capacity);
    window->capacity = capacity;
    return true;
}

// Keeps the path if it is among the best kMaxPathsPerPosition at `position`;
// a path with the same last word as a kept one replaces it only when better.
void KeepPath(Window* window, int32_t position, const PathEnd& path) {
    PathEnd* ends = window->paths + static_cast<size_t>(position) * kMaxPathsPerPosition;
    int32_t& count = window->pathCounts[position];
    int32_t worst = 0;
    for (int32_t k = 0; k < count; ++k) {
        if (ends[k].word == path.word) {
            if (path.score > ends[k].score) ends[k] = path;
            return;
        }
        if (ends[k].score < ends[worst].score) worst = k;
    }
    if (count < kMaxPathsPerPosition) {
        ends[count++] = path;
    } else if (path.score > ends[worst].score) {
        ends[worst] = path;
    }
}

int32_t BestPathAt(const Window& window, int32_t position) {
    const PathEnd* ends = window.paths + static_cast<size_t>(position) * kMaxPathsPerPosition;
    int32_t best = 0;
    for (int32_t k = 1; k < window.pathCounts[position]; ++k) {
        if (ends[k].score > ends[best].score) best = k;
    }
    return best;
}

// The path that leaves out what ends at `end` unread: one unit, or a whole
// spelled number ending there. Inside a number nothing is left out alone.
void LeaveOut(Window* window, int32_t end, int32_t m) {
    const int32_t number = window->numberStart[end - 1];
    if (number >= 0 && end < m && window->numberStart[end] == number) return;
    const int32_t start = number >= 0 ? number : end - 1;
    const int32_t previous = BestPathAt(*window, start);
    const PathEnd& kept =
        window->paths[static_cast<size_t>(start) * kMaxPathsPerPosition + previous];
    KeepPath(
        window, end,
        PathEnd{kBoundary, kept.score + (end - start) * kUnknownUnitScore, start, previous, false});
}

struct SearchInputs {
    const Lexicon* lexicon;
    const BigramModel* model;
    int64_t limit;
    int32_t longestWord;
    const SoundsView* sounds;  // null: words are matched by their spelling only
    SoundWindow* soundWindow;
    const RoadStemReading* stems;  // null: no road is read from its stem
};

// How a word over a span is weighed beyond its pair score.
struct WordFit {
    int32_t cost;       // taken off: what reading it by sound costs
    bool bySound;       // read by the sound of its characters
    bool mustBeListed;  // a pair the model does not list costs kUnlistedSoundPairCost
};

// Keeps at `end` the best extension by `word` of the paths ending at `start`.
void ExtendByWord(const SearchInputs& in, Window* window, int32_t start, int32_t end, WordId word,
                  const WordFit& fit) {
    const PathEnd* ends = window->paths + static_cast<size_t>(start) * kMaxPathsPerPosition;
    PathEnd best{word, 0, start, -1, fit.bySound};
    for (int32_t k = 0; k < window->pathCounts[start]; ++k) {
        int32_t score = ends[k].score + ScorePairBackoff(in.model, ends[k].word, word) - fit.cost;
        // Words read by sound must also fit their context: a pair the model
        // lists (the address grammar's pairs are listed: district and road,
        // number and key) costs nothing more, any other pair does.
        if (fit.mustBeListed && ends[k].word != kBoundary &&
            FindPairSlot(in.model, ends[k].word, word) == kNoSlot) {
            score -= kUnlistedSoundPairCost;
        }
        if (best.back < 0 || score > best.score) {
            best.score = score;
            best.back = k;
        }
    }
    KeepPath(window, end, best);
}

// The words of one span: those that spell it and those that sound like it.
struct SpanMatches {
    WordId spelled[kMaxSpanWords];
    int32_t spelledCount;
    SoundCandidate alike[kMaxSoundSpanWords];
    int32_t alikeCount;
};

void MatchSpan(const SearchInputs& in, const Window& window, int32_t start, int32_t end,
               SpanMatches* matches) {
    matches->spelledCount = 0;
    matches->alikeCount = 0;
    if (window.pathCounts[start] == 0) return;  // inside a number that no word reached
    matches->spelledCount = SpanWords(in.lexicon, in.limit, window.units + start,
                                      window.alternates + start, end - start, matches->spelled);
    if (in.sounds == nullptr) return;
    const SoundSpan span{window.units, window.alternates, start,
                         end,          matches->spelled,  matches->spelledCount};
    matches->alikeCount =
        SoundAlikeWords(*in.sounds, in.lexicon, in.limit, *in.soundWindow, span, matches->alike);
}

static_assert(kMaxPathsPerPosition <= 8, "a position's region paths are the bits of one byte");

// Notes which paths ending at `position` end with a region word, once the
// position's paths are final: the stems after it ask for each of them.
void MarkRegionPaths(const SearchInputs& in, Window* window, int32_t position) {
    const PathEnd* ends = window->paths + static_cast<size_t>(position) * kMaxPathsPerPosition;
    uint8_t marks = 0;
    for (int32_t k = 0; k < window->pathCounts[position]; ++k) {
        if (ends[k].word != kBoundary && in.stems->isRegion(in.stems->context, ends[k].word)) {
            marks = static_cast<uint8_t>(marks | (1u << k));
        }
    }
    window->regionPaths[position] = marks;
}

// Whether units [start, end) and one or more units after them spell a word:
// the stretch is then that word's start (中山 of 中山區), no stem.
bool ContinuesIntoWord(const SearchInputs& in, const Window& window, int32_t start, int32_t end,
                       int32_t m) {
    WordId found[kMaxSpanWords];
    for (int32_t after = end + 1; after <= m && after - start <= in.longestWord; ++after) {
        if (SpanWords(in.lexicon, in.limit, window.units + start, window.alternates + start,
                      after - start, found) > 0) {
            return true;
        }
    }
    return false;
}

// Extends each region path that ends where a stretch ending at `end` starts by
// the one road of that region the stretch names without its suffix
// (segment/road_stems.h), at kRoadStemCost. A stretch a suffix follows closely,
// one a place's ending follows (牛埔里, 永康工業區),
// one holding a numeral, continued into a longer word or naming a region of the
// region before it without its suffix is read as spelled.
void ExtendByRoadStems(const SearchInputs& in, Window* window, int32_t end, int32_t m) {
    bool regionBefore = false;
    for (int32_t n = kMinRoadStemUnits; n <= kMaxRoadStemUnits && n <= end; ++n)
        regionBefore = regionBefore || window->regionPaths[end - n] != 0;
    if (!regionBefore || RoadSuffixFollows(window->units, end, m) ||
        PlaceEndingFollows(window->units, end, m)) {
        return;
    }
    for (int32_t n = 1; n <= kMaxRoadStemUnits && n <= end; ++n) {
        const int32_t start = end - n;
        if (window->numberStart[start] >= 0 || NumeralValue(window->units[start]) >= 0) break;
        if (n < kMinRoadStemUnits || window->regionPaths[start] == 0) continue;
        WordId roads[kMaxStemRoads];
        const int32_t count = RoadsOfStem(in.lexicon, in.limit, window->units + start,
                                          window->alternates + start, n, roads);
        if (count == 0 || ContinuesIntoWord(in, *window, start, end, m)) continue;
        WordId regions[kMaxStemRegions];
        int32_t regionCount = -1;  // looked up for the first region with one road
        const PathEnd* ends = window->paths + static_cast<size_t>(start) * kMaxPathsPerPosition;
        for (int32_t k = 0; k < window->pathCounts[start]; ++k) {
            if ((window->regionPaths[start] & (1u << k)) == 0) continue;
            const WordId road = OneRoadAfter(in.model, ends[k].word, roads, count);
            if (road < 0) continue;
            if (regionCount < 0) {
                regionCount = RegionsOfStem(in.lexicon, in.limit, window->units + start,
                                            window->alternates + start, n, *in.stems, regions);
            }
            if (ListsAnyAfter(in.model, ends[k].word, regions, regionCount)) continue;
            const int32_t score =
                ends[k].score + ScorePairBackoff(in.model, ends[k].word, road) - kRoadStemCost;
            KeepPath(window, end, PathEnd{road, score, start, k, false});
        }
    }
}

// Extends the paths by every word that ends at `end`. Where a sound-alike word
// ends there, the spelled ones that end there too are weighed by the same
// measure of fit: a spelling the model does not list after the word before it
// is no better evidence than a sound-alike that it lists.
// True when units [start, end) lie inside one number and touch neither of its
// ends: a word there makes the number three words or more, which the address
// grammar's two number words before a key cannot hold.
bool InsideNumber(const Window& window, int32_t start, int32_t end, int32_t m) {
    const int32_t number = window.numberStart[start];
    return number >= 0 && number != start && end < m && window.numberStart[end] == number;
}

void ExtendTo(const SearchInputs& in, Window* window, int32_t end, int32_t m,
              SpanMatches* matches) {
    const int32_t longest = in.longestWord < end ? in.longestWord : end;
    bool alikeEnds = false;
    for (int32_t n = 1; n <= longest; ++n) {
        MatchSpan(in, *window, end - n, end, &matches[n - 1]);
        alikeEnds = alikeEnds || matches[n - 1].alikeCount > 0;
    }
    for (int32_t n = 1; n <= longest; ++n) {
        const SpanMatches& span = matches[n - 1];
        const WordFit spelled{InsideNumber(*window, end - n, end, m) ? kInnerNumberWordCost : 0,
                              false, alikeEnds};
        for (int32_t f = 0; f < span.spelledCount; ++f)
            ExtendByWord(in, window, end - n, end, span.spelled[f], spelled);
        for (int32_t f = 0; f < span.alikeCount; ++f) {
            ExtendByWord(in, window, end - n, end, span.alike[f].word,
                         WordFit{span.alike[f].cost, true, true});
        }
    }
    if (in.stems != nullptr) ExtendByRoadStems(in, window, end, m);
}

const PathEnd& PathAt(const Window& window, int32_t position, int32_t k) {
    return window.paths[static_cast<size_t>(position) * kMaxPathsPerPosition + k];
}

// Whether the next window may start at unit `position`: not inside a number.
bool CanRestartAt(const Window& window, int32_t position) {
    const int32_t number = window.numberStart[position];
    return number < 0 || number == position;
}

// Where a window's words are committed up to: the text's end, or else the last
// word boundary of the best path that leaves room for the longest word before
// the window's end, so that no word is cut by the window (the units after it
// are read again). The whole window when the path has no such boundary.
struct Commit {
    int32_t position;
    int32_t path;  // index of the best path's step that ends there
};

Commit ChooseCommit(const SearchInputs& in, const Window& window, int32_t m, bool textEnds) {
    Commit commit{m, 0};
    int32_t bestScore = 0;
    for (int32_t k = 0; k < window.pathCounts[m]; ++k) {
        const PathEnd& end = PathAt(window, m, k);
        int32_t score = end.score;
        if (textEnds && end.word != kBoundary) {
            score += ScorePairBackoff(in.model, end.word, kBoundary);
        }
        if (k == 0 || score > bestScore) {
            commit.path = k;
            bestScore = score;
        }
    }
    if (textEnds) return commit;
    for (Commit at = commit; at.position > 0;) {
        if (at.position <= m - in.longestWord && CanRestartAt(window, at.position)) return at;
        const PathEnd& step = PathAt(window, at.position, at.path);
        at = Commit{step.from, step.back};
    }
    return commit;
}

// Searches window units [0, m) after `context`, appends the best path's words
// up to the commit position to the sink and returns that position; *context
// becomes the last word committed. A number that the path leaves out (no
// words spell it whole) ends the text: the words after it are dropped and
// *ended is set, since an address read past a number it lost would carry a
// key without its number or a number that was not said.
int32_t SearchWindow(const SearchInputs& in, Window* window, int32_t m, bool textEnds,
                     WordId* context, WordSink* sink, bool* ended) {
    SpanMatches matches[kMaxSegmentWordUnits];
    window->pathCounts[0] = 1;
    window->paths[0] = PathEnd{*context, 0, -1, 0, false};
    if (in.stems != nullptr) MarkRegionPaths(in, window, 0);
    for (int32_t end = 1; end <= m; ++end) {
        window->pathCounts[end] = 0;
        ExtendTo(in, window, end, m, matches);
        LeaveOut(window, end, m);
        if (in.stems != nullptr) MarkRegionPaths(in, window, end);
    }
    const Commit commit = ChooseCommit(in, *window, m, textEnds);
    *context = PathAt(*window, commit.position, commit.path).word;
    int32_t gathered = 0;
    for (Commit at = commit; at.position > 0;) {
        const PathEnd& step = PathAt(*window, at.position, at.path);
        if (step.word != kBoundary) {
            window->bySound[gathered] = step.bySound;
            window->words[gathered++] = step.word;
        } else if (step.from >= 0 && window->numberStart[step.from] >= 0) {
            gathered = 0;  // gathered back to front: these words followed the number
            *ended = true;
        }
        at = Commit{step.from, step.back};
    }
    while (gathered > 0) {
        const WordId word = window->words[--gathered];
        if (sink->count < sink->capacity) {
            sink->ids[sink->count] = word;
            if (sink->bySound != nullptr) sink->bySound[sink->count] = window->bySound[gathered];
        }
        ++sink->count;
    }
    return commit.position;
}

}  // namespace

int32_t SegmentText(const Lexicon* lexicon, const BigramModel* model, const char16_t* text,
                    int32_t length, WordSink* sink, const SoundsView* sounds,
                    const RoadStemReading* stems) {
    if (length <= 0) return VANTIR_OK;
    const int32_t longest = Lexicon_GetMaxWordLength(lexicon);
    // Every text unit gives at most two window units (a 4-digit number, 7).
    const int32_t room = length < kSegmentWindowUnits / 2 ? 2 * length : kSegmentWindowUnits;
    SoundWindow soundWindow{};
    if (sounds != nullptr && !AllocateSoundWindow(&soundWindow, room + kMaxNumberUnits)) {
        return VANTIR_OUT_OF_MEMORY;
    }
    const SearchInputs in{lexicon,
                          model,
                          ModelWordLimit(model),
                          longest < kMaxSegmentWordUnits ? longest : kMaxSegmentWordUnits,
                          sounds,
                          &soundWindow,
                          stems};
    const DigitNames names{lexicon, in.limit, in.longestWord};
    const TextAliases aliases{lexicon, LexiconHasAliases(lexicon)};
    Window window;
    if (!AllocateWindow(&window, room + kMaxNumberUnits)) {
        if (sounds != nullptr) FreeSoundWindow(&soundWindow);
        return VANTIR_OUT_OF_MEMORY;
    }
    TextReader reader{text, length, 0, -1, -1};
    WordId context = kBoundary;
    bool ended = false;
    while (!ended && reader.at < length) {
        NormalisedWindow normalised{window.units, window.alternates, window.numberStart,
                                    window.sourceAt, window.capacity};
        const int32_t m = FillWindow(&reader, &normalised, &names, &aliases);
        if (sounds != nullptr) ReadWindowSounds(*sounds, window.units, m, &soundWindow);
        const int32_t committed =
            SearchWindow(in, &window, m, reader.at >= length, &context, sink, &ended);
        if (committed < m) {
            reader.at = window.sourceAt[committed];
            reader.runEnd = -1;
        }
    }
    HeapFree(window.block);
    if (sounds != nullptr) FreeSoundWindow(&soundWindow);
    return VANTIR_OK;
}

}  // namespace vantir
