// Text intake on the Taiwan sample data: the N-best lists with their blanks
// removed, rewritten the way text recognisers write, and the reference texts.
#include <gtest/gtest.h>

#include <iostream>
#include <string>
#include <vector>

#include "textutil/chinese_numerals.h"
#include "tools/compile/data_build.h"
#include "tools/compile/text_source.h"
#include "tools/run/nbest_reader.h"
#include "vantir/vantir.hpp"

namespace vantir::tools {
namespace {

constexpr double kLeastSameShare = 0.99;

// The sample data built once for the whole suite, with one session over it.
struct SampleWorld {
    BuiltData data;
    Lexicon* lexicon = nullptr;
    BigramModel* model = nullptr;
    FilterSession* session = nullptr;
    std::vector<Utterance> utterances;
    std::map<std::string, std::string> references;
};

class TextIntakeSampleTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        world_ = new SampleWorld;
        const std::filesystem::path dir = VANTIR_SOURCE_DIR "/data/tw-sample";
        Diagnostics quiet;
        Progress silent;
        world_->data = BuildData(ResolveBuildInputs(dir, {}), {}, quiet, silent);
        world_->lexicon = Lexicon_Create(nullptr, 0, 0);
        ASSERT_GE(Lexicon_AttachBlob(world_->lexicon, world_->data.lexicon.data()), 0);
        world_->model = BigramModel_Create(nullptr);
        ASSERT_EQ(BigramModel_AttachBlob(world_->model, world_->data.model.data()), 0);
        world_->session = Vantir_Init(world_->model, world_->lexicon, world_->data.address.data());
        ASSERT_NE(world_->session, nullptr);
        world_->utterances =
            ParseNbest(ReadSourceLines(dir / "nbest.txt"), "nbest.txt", NbestFormat::kAuto);
        world_->references = ParseReferences(ReadSourceLines(dir / "ref.txt"), "ref.txt");
    }

    static void TearDownTestSuite() {
        Vantir_Release(world_->session);
        BigramModel_Destroy(world_->model);
        Lexicon_Destroy(world_->lexicon);
        delete world_;
        world_ = nullptr;
    }

    static std::vector<WordId> Ids(const Hypothesis& hypothesis) {
        std::vector<WordId> ids;
        for (const std::string& word : hypothesis.words)
            ids.push_back(FindWord(world_->lexicon, ToUtf16(word).value()));
        return ids;
    }

    static std::vector<WordId> Segment(const std::u16string& text) {
        std::vector<WordId> ids(text.size() * 2 + 1);
        const int32_t n =
            Vantir_SegmentText(world_->session, text.data(), static_cast<int32_t>(text.size()),
                               ids.data(), static_cast<int32_t>(ids.size()));
        EXPECT_GE(n, 0);
        ids.resize(static_cast<size_t>(n < 0 ? 0 : n));
        return ids;
    }

    static std::string Words(const std::vector<WordId>& ids) {
        std::string text;
        for (WordId id : ids)
            text += (text.empty() ? "" : " ") + ToUtf8(WordText(world_->lexicon, id));
        return text;
    }

    static std::vector<std::u16string> Results() {
        int32_t count = Session::kAllResults;
        const int32_t units = Vantir_GetFilterResult(world_->session, nullptr, 0, 0, &count);
        std::vector<char16_t> list(static_cast<size_t>(units > 0 ? units : 1));
        EXPECT_EQ(Vantir_GetFilterResult(world_->session, list.data(), 0, 0, &count), units);
        std::vector<std::u16string> texts;
        for (size_t at = 0; static_cast<int32_t>(texts.size()) < count;) {
            texts.emplace_back(list.data() + at);
            at += texts.back().size() + 1;
        }
        return texts;
    }

    static std::vector<std::u16string> FilterIds(const Utterance& utterance) {
        EXPECT_EQ(Vantir_Reset(world_->session), 0);
        for (const Hypothesis& hypothesis : utterance.hypotheses) {
            const std::vector<WordId> ids = Ids(hypothesis);
            Vantir_AddRecogResult(world_->session, ids.data(), 0, 0, 0,
                                  static_cast<int32_t>(ids.size()));
        }
        return Results();
    }

    template <typename Rewrite>
    static std::vector<std::u16string> FilterTexts(const Utterance& utterance, Rewrite rewrite) {
        EXPECT_EQ(Vantir_Reset(world_->session), 0);
        for (const Hypothesis& hypothesis : utterance.hypotheses) {
            const std::u16string text = rewrite(hypothesis);
            Vantir_AddRecogText(world_->session, text.data(), static_cast<int32_t>(text.size()));
        }
        return Results();
    }

    static SampleWorld* world_;
};

SampleWorld* TextIntakeSampleTest::world_ = nullptr;

std::u16string Joined(const Hypothesis& hypothesis) {
    std::string text;
    for (const std::string& word : hypothesis.words)
        text += word;
    return ToUtf16(text).value();
}

bool IsNumeralWord(const std::u16string& word) {
    for (char16_t unit : word) {
        if (NumeralValue(unit) < 0) return false;
    }
    return !word.empty();
}

// The hypothesis as a text recogniser writes it: no blanks, 台 for 臺, and
// every run of numeral words as the digits of its value.
std::u16string AsRecogniserWrites(const Hypothesis& hypothesis) {
    std::u16string text;
    std::u16string numerals;
    auto flush = [&] {
        if (numerals.empty()) return;
        std::u16string digits(numerals.size() * 4 + 1, u'\0');
        digits.resize(static_cast<size_t>(ConvertNumerals(numerals.data(), digits.data(),
                                                          static_cast<int32_t>(numerals.size()),
                                                          static_cast<int32_t>(digits.size()))));
        text += digits;
        numerals.clear();
    };
    for (const std::string& utf8 : hypothesis.words) {
        std::u16string word = ToUtf16(utf8).value();
        if (IsNumeralWord(word)) {
            numerals += word;
            continue;
        }
        flush();
        for (char16_t& unit : word) {
            if (unit == u'臺') unit = u'台';
        }
        text += word;
    }
    flush();
    return text;
}

TEST_F(TextIntakeSampleTest, HypothesesWithoutBlanksSplitIntoTheirWords) {
    int32_t hypotheses = 0;
    int32_t same = 0;
    for (const Utterance& utterance : world_->utterances) {
        for (const Hypothesis& hypothesis : utterance.hypotheses) {
            ++hypotheses;
            const std::vector<WordId> expected = Ids(hypothesis);
            const std::vector<WordId> split = Segment(Joined(hypothesis));
            if (split == expected) {
                ++same;
            } else {
                std::cout << "differs, line " << hypothesis.line << ": " << Words(expected) << " | "
                          << Words(split) << '\n';
            }
        }
    }
    std::cout << same << " of " << hypotheses << " hypotheses split into their words\n";
    EXPECT_GE(same, kLeastSameShare * hypotheses);
}

TEST_F(TextIntakeSampleTest, TextsGiveTheResultsOfTheirWords) {
    for (const Utterance& utterance : world_->utterances) {
        const std::vector<std::u16string> byIds = FilterIds(utterance);
        EXPECT_EQ(FilterTexts(utterance, Joined), byIds) << utterance.id;
    }
}

TEST_F(TextIntakeSampleTest, RecogniserSpellingGivesTheSameResults) {
    for (const Utterance& utterance : world_->utterances) {
        const std::vector<std::u16string> byIds = FilterIds(utterance);
        EXPECT_EQ(FilterTexts(utterance, AsRecogniserWrites), byIds) << utterance.id;
    }
}

TEST_F(TextIntakeSampleTest, UnknownCharactersDoNotHideTheAddress) {
    for (const auto& [id, reference] : world_->references) {
        const std::u16string text = ToUtf16(reference).value();
        // After the upper and lower region names (three units each), mostly.
        const std::u16string inside = text.substr(0, 6) + u"喂" + text.substr(6);
        for (const std::u16string& variant :
             {text, u"喂喂" + text, u"Ｘ，" + text + u"啦", inside}) {
            ASSERT_EQ(Vantir_Reset(world_->session), 0);
            EXPECT_EQ(Vantir_AddRecogText(world_->session, variant.data(),
                                          static_cast<int32_t>(variant.size())),
                      0);
            const std::vector<std::u16string> results = Results();
            ASSERT_FALSE(results.empty()) << ToUtf8(variant);
            EXPECT_EQ(ToUtf8(results[0]), reference) << ToUtf8(variant);
        }
    }
}

}  // namespace
}  // namespace vantir::tools
