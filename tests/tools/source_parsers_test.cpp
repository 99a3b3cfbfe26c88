// Parsers of the human-edited sources: vocabulary, region pairs, N-best lists
// and references, on good input and on input that must fail with file and line.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <sstream>
#include <thread>

#include "tool_test_support.h"
#include "tools/compile/alias_table.h"
#include "tools/compile/region_reader.h"
#include "tools/compile/road_table.h"
#include "tools/compile/tag_roles.h"
#include "tools/compile/vocabulary_reader.h"
#include "tools/run/nbest_reader.h"

using namespace vantir::tools;
using vantir::testing::Lines;

namespace {

std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const ToolError& error) {
        return error.what();
    }
    return "(no error)";
}

Vocabulary ParseQuietly(const std::string& text) {
    Diagnostics diagnostics;
    return ParseVocabulary(Lines(text), "vocabulary.tsv", diagnostics);
}

}  // namespace

TEST(SourceText, StripsByteOrderMarkAndCarriageReturnsAndRejectsBadUtf8) {
    const auto lines = SplitSourceText(
        "\xEF\xBB\xBF"
        "a\r\nb\n\nc",
        "f.txt");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].text, "a");
    EXPECT_EQ(lines[1].text, "b");
    EXPECT_EQ(lines[3].number, 4);
    EXPECT_EQ(lines[3].text, "c");
    EXPECT_EQ(ErrorOf([] { SplitSourceText("ok\nbad \xC3\x28\n", "f.txt"); }),
              "f.txt:2: invalid UTF-8 at byte 5");
    EXPECT_EQ(ErrorOf([] { ReadSourceLines("/nonexistent/vocabulary.tsv"); }),
              "/nonexistent/vocabulary.tsv: cannot open the file: No such file or directory");
}

TEST(TagNames, NumbersAndRoleNamesMeanTheSameCodes) {
    EXPECT_EQ(ParseTag("33"), ParseTag("upper-head"));
    EXPECT_EQ(ParseTag("completion-trigger"), std::optional<uint8_t>(17));
    EXPECT_EQ(ParseTag("255"), std::optional<uint8_t>(255));
    EXPECT_FALSE(ParseTag("256"));
    EXPECT_FALSE(ParseTag("-1"));
    EXPECT_FALSE(ParseTag("17x"));
    EXPECT_FALSE(ParseTag("upper"));
    for (const TagRole& role : TagRoles()) {
        EXPECT_EQ(ParseTag(role.name), std::optional<uint8_t>(role.code)) << role.name;
        EXPECT_EQ(TagName(role.code), role.name);
    }
    EXPECT_EQ(TagName(9), "9");
}

TEST(VocabularyReader, ReadsWordsWithTagsInAnyNotation) {
    const Vocabulary vocabulary = ParseQuietly(
        "# comment\n"
        "臺北市\tupper-head\n"
        "\n"
        "大安區 34,lower-head\n"
        "我\n");
    ASSERT_EQ(vocabulary.entries.size(), 3u);
    EXPECT_EQ(vocabulary.entries[0].tags, (std::vector<uint8_t>{33}));
    EXPECT_EQ(vocabulary.entries[1].tags, (std::vector<uint8_t>{34, 8}));
    EXPECT_EQ(vocabulary.entries[1].line, 4);
    EXPECT_EQ(vocabulary.entries[1].text, u"大安區");
    EXPECT_TRUE(vocabulary.entries[2].tags.empty());
    EXPECT_EQ(vocabulary.Find("大安區"), &vocabulary.entries[1]);
    EXPECT_EQ(vocabulary.Find("中正區"), nullptr);
}

TEST(VocabularyReader, FailsOnDuplicatesUnknownTagsReservedAndLongWords) {
    EXPECT_EQ(ErrorOf([] { ParseQuietly("a 33\nb 8\na 8\n"); }),
              "vocabulary.tsv:3: word 'a' is listed twice (first at line 1)");
    EXPECT_EQ(ErrorOf([] { ParseQuietly("a upper-heads\n"); }),
              "vocabulary.tsv:1: unknown tag 'upper-heads' for word 'a' (use a number 0-255 "
              "or a role name such as upper-head)");
    EXPECT_EQ(ErrorOf([] { ParseQuietly("a 300\n"); }).substr(0, 31),
              "vocabulary.tsv:1: unknown tag '");
    EXPECT_EQ(ErrorOf([] { ParseQuietly("</s>\n"); }),
              "vocabulary.tsv:1: word '</s>' is reserved for language models");
    EXPECT_EQ(ErrorOf([] { ParseQuietly(std::string(257, 'x') + "\n"); }),
              "vocabulary.tsv:1: word is longer than 256 UTF-16 units");
    EXPECT_EQ(ErrorOf([] { ParseQuietly(std::string(256, 'x') + "\n"); }), "(no error)");
}

TEST(VocabularyReader, WarnsAboutRepeatedTagsAndTagsWithoutRole) {
    std::ostringstream stream;
    Diagnostics diagnostics{&stream, 0};
    const Vocabulary vocabulary = ParseVocabulary(Lines("a 33 33 9\n"), "v.tsv", diagnostics);
    EXPECT_EQ(vocabulary.entries[0].tags, (std::vector<uint8_t>{33, 9}));
    EXPECT_EQ(diagnostics.warnings, 2);
    EXPECT_EQ(stream.str(),
              "warning: v.tsv:1: tag 33 given twice for word 'a'\n"
              "warning: v.tsv:1: tag 9 has no role in the address grammar\n");
}

TEST(RegionReader, KeepsOrderIgnoresExtraFieldsAndChecksTheVocabulary) {
    Diagnostics diagnostics;
    const RegionSource regions =
        ParseRegions(Lines("# upper lower code\nA\tx\t100\nB\tx\nA\tx\n"), "r.tsv", diagnostics);
    ASSERT_EQ(regions.pairs.size(), 3u);
    EXPECT_EQ(regions.pairs[1].upper, "B");
    EXPECT_EQ(regions.pairs[1].line, 3);
    EXPECT_EQ(diagnostics.warnings, 1) << "a repeated pair is only a warning";

    EXPECT_EQ(ErrorOf([] {
                  Diagnostics quiet;
                  ParseRegions(Lines("A x\nlonely\n"), "r.tsv", quiet);
              }),
              "r.tsv:2: expected an upper and a lower region name");

    const Vocabulary vocabulary = ParseQuietly("A 33\nB 33\nx 8\ny\nlongname 8\n");
    Diagnostics checks;
    CheckRegionsAgainstVocabulary(regions, vocabulary, checks);
    EXPECT_EQ(checks.warnings, 0);
    EXPECT_EQ(ErrorOf([&] {
                  Diagnostics quiet;
                  CheckRegionsAgainstVocabulary(regions, ParseQuietly("A 33\n"), quiet);
              }),
              "r.tsv:2: lower name 'x' is not in the vocabulary");
    Diagnostics warned;
    CheckRegionsAgainstVocabulary(ParseRegions(Lines("x y\nA longname\n"), "r.tsv", warned),
                                  vocabulary, warned);
    EXPECT_EQ(warned.warnings, 3) << "x lacks 33, y lacks 8, longname is too long to complete";
}

// A pair whose two names are one word would make completion print the name
// twice (臺北市臺北市中山北路); a third field is a postcode, a fourth is a mistake.
TEST(RegionReader, RefusesARegionInsideItselfAndFieldsBeyondThePostcode) {
    auto parse = [](const std::string& text) {
        Diagnostics quiet;
        return ParseRegions(Lines(text), "r.tsv", quiet);
    };
    EXPECT_EQ(ErrorOf([&] { parse("臺北市 中山區\n臺北市\t臺北市\n"); }),
              "r.tsv:2: upper and lower name are the same word '臺北市'; a region cannot lie "
              "in itself");
    EXPECT_EQ(ErrorOf([&] { parse("A x 100 extra\n"); }),
              "r.tsv:1: expected an upper and a lower region name and at most a postcode, found 4 "
              "fields");
    EXPECT_EQ(ErrorOf([&] { parse("A x\nA y z\n"); }),
              "r.tsv:2: third field 'z' is no postcode (ASCII digits)");
    EXPECT_EQ(parse("A x 100\nA y\n").pairs.size(), 2u);
}

TEST(RoadTable, RepeatedRowsGiveOneWarningWithTheirCounts) {
    std::ostringstream stream;
    Diagnostics diagnostics(&stream);
    const std::vector<RoadTable> tables = {
        ParseRoads(Lines("A x r1 1,2\nA x r2 -\nA x r1 1,2\nA y r1 1\n"), "roads.tsv"),
        ParseRoads(Lines("A x r2 3\nA x r1 2\n"), "roads-more.tsv")};
    WarnAboutRepeatedRoads(tables, diagnostics);
    EXPECT_EQ(diagnostics.warnings, 1);
    EXPECT_EQ(stream.str(),
              "warning: roads.tsv:3: road 'r1' of 'A' 'x' repeats line 1; in all 3 road rows "
              "repeat an earlier row's county, district and road (1 with the same sections, 2 "
              "with other sections, which are merged)\n");
    Diagnostics none;
    WarnAboutRepeatedRoads({ParseRoads(Lines("A x r1 1\nA y r1 1\n"), "r.tsv")}, none);
    EXPECT_EQ(none.warnings, 0) << "one road in two districts is no repeat";
}

TEST(AliasTable, AddsEachAliasAsATaglessWordThatIsNeverPredicted) {
    const std::vector<Alias> aliases =
        ParseAliases(Lines("# written\tform\n臺北縣板橋市\t新北市板橋區\n巿 市\n"), "aliases.tsv");
    ASSERT_EQ(aliases.size(), 2u);
    EXPECT_EQ(aliases[0].written, "臺北縣板橋市");
    EXPECT_EQ(aliases[1].form, "市");
    Vocabulary vocabulary = ParseQuietly("市\t8\n");
    ArpaModel model;
    AddAliasWords(aliases, "aliases.tsv", vocabulary, model);
    ASSERT_EQ(vocabulary.entries.size(), 3u);
    EXPECT_EQ(vocabulary.entries[1].word, "→臺北縣板橋市→新北市板橋區");
    EXPECT_TRUE(vocabulary.entries[2].tags.empty());
    ASSERT_NE(vocabulary.Find("→巿→市"), nullptr);
    ASSERT_EQ(model.unigrams.size(), 2u);
    EXPECT_LT(model.unigrams[0].logProb, -90.0);
}

TEST(AliasTable, FailsOnMalformedRowsWithTheirLine) {
    const auto error = [](const std::string& text) {
        return ErrorOf([&] { ParseAliases(Lines(text), "aliases.tsv"); });
    };
    EXPECT_NE(error("臺北縣\n").find("aliases.tsv:1"), std::string::npos);
    EXPECT_NE(error("a\tb\tc\n").find("two fields"), std::string::npos);
    EXPECT_NE(error("市\t市\n").find("to itself"), std::string::npos);
    EXPECT_NE(error("巿\t市\n巿\t市\n").find("aliases.tsv:2"), std::string::npos);
    EXPECT_NE(error("a→b\tc\n").find("alias mark"), std::string::npos);
    EXPECT_NE(error("一二三四五六七八九十一二三\t市\n").find("longer than"), std::string::npos);
    Vocabulary vocabulary = ParseQuietly("→巿→市\n");
    ArpaModel model;
    EXPECT_NE(ErrorOf([&] {
                  AddAliasWords(ParseAliases(Lines("巿\t市\n"), "aliases.tsv"), "aliases.tsv",
                                vocabulary, model);
              }).find("vocabulary word already"),
              std::string::npos);
}

TEST(NbestReader, KaldiLinesAreGroupedByUtteranceAndOrderedByRank) {
    const auto utterances = ParseNbest(Lines("u1-2 c d\n"
                                             "u1-1 a b\n"
                                             "\n"
                                             "u-x-1 e\n"
                                             "u1-3\n"),
                                       "n.txt", NbestFormat::kAuto);
    ASSERT_EQ(utterances.size(), 2u);
    EXPECT_EQ(utterances[0].id, "u1");
    ASSERT_EQ(utterances[0].hypotheses.size(), 3u);
    EXPECT_EQ(utterances[0].hypotheses[0].words, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(utterances[0].hypotheses[0].line, 2);
    EXPECT_EQ(utterances[0].hypotheses[1].rank, 2);
    EXPECT_TRUE(utterances[0].hypotheses[2].words.empty()) << "an empty hypothesis is kept";
    EXPECT_EQ(utterances[1].id, "u-x") << "the rank follows the last dash";
}

TEST(NbestReader, PlainUtterancesAreSeparatedByBlankLines) {
    const auto utterances =
        ParseNbest(Lines("\na b\nc\n\n\n# note\nd e\n"), "n.txt", NbestFormat::kAuto);
    ASSERT_EQ(utterances.size(), 2u);
    EXPECT_EQ(utterances[0].id, "1");
    EXPECT_EQ(utterances[0].hypotheses.size(), 2u);
    EXPECT_EQ(utterances[0].hypotheses[1].rank, 2);
    EXPECT_EQ(utterances[1].id, "2");
    EXPECT_EQ(utterances[1].hypotheses[0].words, (std::vector<std::string>{"d", "e"}));
    const auto forced = ParseNbest(Lines("u1-1 a\n"), "n.txt", NbestFormat::kPlain);
    EXPECT_EQ(forced[0].hypotheses[0].words, (std::vector<std::string>{"u1-1", "a"}));
}

TEST(NbestReader, KaldiFailuresNameTheLine) {
    EXPECT_EQ(ErrorOf([] { ParseNbest(Lines("u1-1 a\nu1-1 b\n"), "n.txt", NbestFormat::kKaldi); }),
              "n.txt:2: rank 1 of 'u1' repeats line 1");
    EXPECT_EQ(ErrorOf([] { ParseNbest(Lines("u1-1 a\nbroken b\n"), "n.txt", NbestFormat::kAuto); }),
              "n.txt:2: expected 'UTTID-RANK word ...', found 'broken' (no '-RANK' after an "
              "utterance id)");
    EXPECT_EQ(ErrorOf([] { ParseNbest(Lines("u1-0 a\n"), "n.txt", NbestFormat::kKaldi); }),
              "n.txt:1: expected 'UTTID-RANK word ...', found 'u1-0' (ranks start at 1)");
}

// 200,000 hypotheses of one utterance: the Kaldi form, which checks every
// rank against the utterance's others, costs about what the plain form costs.
TEST(NbestReader, ManyHypothesesOfOneUtteranceCostNoMoreInKaldiForm) {
    constexpr int kHypotheses = 200000;
    std::string kaldi;
    std::string plain;
    for (int k = 1; k <= kHypotheses; ++k) {
        kaldi += "u1-" + std::to_string(k) + " 臺北市 大安區\n";
        plain += "臺北市 大安區\n";
    }
    const std::vector<SourceLine> kaldiLines = Lines(kaldi);
    const std::vector<SourceLine> plainLines = Lines(plain);
    auto seconds = [](const std::vector<SourceLine>& lines, NbestFormat format) {
        const auto start = std::chrono::steady_clock::now();
        const auto utterances = ParseNbest(lines, "n.txt", format);
        EXPECT_EQ(utterances.size(), 1u);
        EXPECT_EQ(utterances[0].hypotheses.size(), static_cast<size_t>(kHypotheses));
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    const double plainSeconds = seconds(plainLines, NbestFormat::kPlain);
    const double kaldiSeconds = seconds(kaldiLines, NbestFormat::kKaldi);
    // A scan of the utterance's ranks per line made this 40 times the plain form.
    EXPECT_LT(kaldiSeconds, 8 * plainSeconds + 0.5)
        << "plain " << plainSeconds << " s, Kaldi " << kaldiSeconds << " s";
}

// The reader checks each line as it arrives: input whose first line is bad
// fails there, while its writer still has most of it to write.
TEST(NbestReader, BadInputFailsAtItsFirstBadLineWithoutBeingReadWhole) {
    vantir::testing::ScratchDir dir;
    const std::filesystem::path fifo = dir / "nbest.fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    struct sigaction ignore {};
    struct sigaction previous {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &previous);  // the writer learns of the early end by EPIPE
    constexpr size_t kChunk = 1 << 16;
    constexpr size_t kOffered = size_t{256} << 20;
    size_t written = 0;
    std::thread writer([&] {
        const int fd = open(fifo.c_str(), O_WRONLY);
        const std::string bad = "u1-1 臺北市 \xff\n" + std::string(kChunk, 'x');
        const std::string more(kChunk, 'x');
        for (const std::string* chunk = &bad; written < kOffered; chunk = &more) {
            const ssize_t got = write(fd, chunk->data(), chunk->size());
            if (got <= 0) break;
            written += static_cast<size_t>(got);
        }
        close(fd);
    });
    Diagnostics quiet;
    EXPECT_EQ(ErrorOf([&] { ReadNbest(fifo, NbestFormat::kAuto, quiet); }),
              fifo.string() + ":1: invalid UTF-8 at byte 15");
    writer.join();
    sigaction(SIGPIPE, &previous, nullptr);
    EXPECT_LT(written, kOffered) << "the whole input was read before the first line was checked";
}

TEST(SourceText, LinesLongerThanTheLimitFailNamingTheLine) {
    const std::string longest(kMaxSourceLineBytes, 'x');
    EXPECT_EQ(SplitSourceText("a\n" + longest + "\r\nb\n", "f.txt").size(), 3u);
    const std::string message =
        "f.txt:2: line longer than " + std::to_string(kMaxSourceLineBytes) +
        " bytes (the longest a source line may be); is this the right file?";
    EXPECT_EQ(ErrorOf([&] { SplitSourceText("a\n" + longest + "x\nb\n", "f.txt"); }), message);
    // Read from a file, a line without an end is refused once it passes the limit.
    vantir::testing::ScratchDir dir;
    vantir::testing::WriteFile(dir / "f.txt", "a\n" + longest + longest);
    EXPECT_EQ(ErrorOf([&] { ReadSourceLines(dir / "f.txt"); }),
              (dir / "f.txt").string() + message.substr(5));
    vantir::testing::WriteFile(dir / "g.txt", "\xEF\xBB\xBF" + longest + "\r\n");
    EXPECT_EQ(ReadSourceLines(dir / "g.txt")[0].text, longest)
        << "a byte order mark and a CR come on top of the limit";
}

TEST(ReferenceReader, JoinsTheTextAndRejectsRepeats) {
    const auto references = ParseReferences(Lines("u1 臺北市 大安區\nu2 X\n"), "ref.txt");
    EXPECT_EQ(references.at("u1"), "臺北市大安區");
    EXPECT_EQ(references.at("u2"), "X");
    EXPECT_EQ(ErrorOf([] { ParseReferences(Lines("u1 a\nu1 b\n"), "ref.txt"); }),
              "ref.txt:2: utterance 'u1' repeats line 1");
    EXPECT_EQ(ErrorOf([] { ParseReferences(Lines("u1\n"), "ref.txt"); }),
              "ref.txt:1: expected 'UTTID text'");
}

TEST(Messages, EchoedNamesAreQuotedCutAndEscaped) {
    EXPECT_EQ(Shown("臺北市"), "'臺北市'");
    EXPECT_EQ(Shown(std::string(41, 'x')), "'" + std::string(40, 'x') + "...' (41 characters)");
    std::string wide;
    for (int k = 0; k < 50; ++k)
        wide += "臺";
    EXPECT_EQ(Shown(wide).size(), 1 + 40 * 3 + 4 + std::string(" (50 characters)").size())
        << "the cut falls between characters";
    EXPECT_EQ(Shown(std::string("a\0b\x1b[2J", 7)), "'a\\0b\\x1b[2J' (holds a NUL character)");
}

// A byte order mark inside a name, zero-width characters and direction marks
// would make two different names print alike.
TEST(Messages, InvisibleCharactersInNamesAreEscaped) {
    EXPECT_EQ(Shown("\xEF\xBB\xBF臺北市"), "'\\uFEFF臺北市'");
    EXPECT_EQ(Shown("大\xE2\x80\x8B安"), "'大\\u200B安'");
    EXPECT_EQ(Shown("a\xE2\x80\x8F"
                    "b\xE2\x81\xA0"
                    "c"),
              "'a\\u200Fb\\u2060c'");
    EXPECT_EQ(Shown("\xE2\x80\xAE"
                    "evil"),
              "'\\u202Eevil'");
    EXPECT_EQ(Shown("中\xE2\x80\x94正"), "'中\xE2\x80\x94正'") << "a dash prints";
    std::string many;
    for (int k = 0; k < 50; ++k)
        many += "\xEF\xBB\xBF";
    EXPECT_EQ(Shown(many).substr(0, 9), "'\\uFEFF\\u") << "an escape counts as one character";
    EXPECT_TRUE(Shown(many).ends_with("...' (50 characters)")) << Shown(many);
}

TEST(Messages, RepeatsAndKindsAreHeldBackAndSummarised) {
    std::ostringstream stream;
    Diagnostics diagnostics(&stream);
    diagnostics.Warn("f", 1, "same");
    diagnostics.Warn("f", 2, "same");
    diagnostics.Warn("g", 3, "same");
    for (int k = 0; k < Diagnostics::kShownPerKind + 2; ++k)
        diagnostics.Warn("f", 10 + k, "word " + std::to_string(k), "odd words");
    EXPECT_EQ(diagnostics.warnings, 3 + Diagnostics::kShownPerKind + 2);
    diagnostics.Summarise();
    const std::string text = stream.str();
    EXPECT_EQ(text.substr(0, 34), "warning: f:1: same\nwarning: g:3: s");
    EXPECT_NE(text.find("warning: f: repeated 1 more time after line 1: same\n"), std::string::npos)
        << text;
    EXPECT_NE(
        text.find("warning: f: 2 more warnings not shown: odd words (the first at line 20)\n"),
        std::string::npos)
        << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2 + Diagnostics::kShownPerKind + 2);
}
