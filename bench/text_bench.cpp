// UTF-8 to wide text and back against ICU's u_strFromUTF8 / u_strToUTF8, on
// Chinese address text (the sample corpus) and on plain ASCII text.
#include <unicode/ustring.h>

#include <filesystem>

#include "bench/bench_support.h"
#include "bench/suite.h"
#include "vantir/textutil.h"

namespace vantir::bench {

namespace {

constexpr const char* kAsciiParagraph =
    "Turn right onto Zhongxiao East Road, section four, then take the second lane "
    "on the left; number 123, fifth alley, seventh floor. Arrival in 12 minutes.\n";

// Lines of the corpus without its comments: Han words separated by blanks. A
// data set without a corpus (the national one) gives the words of its N-best
// lists instead, each line without its key.
std::string CorpusText(const BenchOptions& options) {
    const std::string corpus = options.sampleDataDir + "/corpus.txt";
    const bool haveCorpus = std::filesystem::exists(corpus);
    const std::string raw =
        ReadWholeFile(haveCorpus ? corpus : options.sampleDataDir + "/nbest.txt");
    std::string text;
    size_t start = 0;
    while (start < raw.size()) {
        size_t end = raw.find('\n', start);
        if (end == std::string::npos) end = raw.size();
        size_t from = start;
        const size_t blank = raw.find(' ', start);
        if (!haveCorpus && blank < end) from = blank + 1;
        if (raw[start] != '#') text += raw.substr(from, end - from + 1);
        start = end + 1;
    }
    return text;
}

// The source repeated up to `bytes`, cut before a character that would not fit.
std::string TextOfSize(const std::string& source, int64_t bytes) {
    std::string text;
    while (static_cast<int64_t>(text.size()) < bytes)
        text += source;
    size_t cut = static_cast<size_t>(bytes);
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    text.resize(cut);
    return text;
}

struct TextPair {
    std::string utf8;
    std::u16string wide;
};

TextPair MakeText(const std::string& source, int64_t bytes) {
    TextPair text;
    text.utf8 = TextOfSize(source, bytes);
    text.wide = ToU16(text.utf8);
    // Both implementations must produce exactly these forms.
    std::u16string ours(text.wide.size() + 1, u'x');
    Utf8ToWide(text.utf8.data(), static_cast<int32_t>(text.utf8.size()), ours.data(),
               static_cast<int32_t>(ours.size()));
    std::u16string icu(text.wide.size() + 1, u'x');
    UErrorCode error = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8(icu.data(), static_cast<int32_t>(icu.size()), &length, text.utf8.data(),
                  static_cast<int32_t>(text.utf8.size()), &error);
    if (U_FAILURE(error) || ours.compare(0, text.wide.size(), text.wide) != 0 ||
        icu.compare(0, text.wide.size(), text.wide) != 0) {
        Die("UTF-8 decoders disagree");
    }
    std::string back(text.utf8.size() + 1, 'x');
    WideToUtf8(text.wide.data(), static_cast<int32_t>(text.wide.size()), back.data(),
               static_cast<int32_t>(back.size()));
    if (back.compare(0, text.utf8.size(), text.utf8) != 0) Die("UTF-8 encoder differs");
    return text;
}

void RegisterSize(const BenchOptions& options, const std::string& variant,
                  const std::string& source, int64_t bytes) {
    const auto text = std::make_shared<TextPair>(MakeText(source, bytes));
    Register(options, "text.utf8_to_wide", variant, "ours", bytes, [text](benchmark::State& state) {
        std::u16string out(text->wide.size() + 1, 0);
        for (auto _ : state) {
            benchmark::DoNotOptimize(Utf8ToWide(text->utf8.data(),
                                                static_cast<int32_t>(text->utf8.size()), out.data(),
                                                static_cast<int32_t>(out.size())));
            benchmark::ClobberMemory();
        }
        state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text->utf8.size()));
    });
    Register(options, "text.utf8_to_wide", variant, "icu", bytes, [text](benchmark::State& state) {
        std::u16string out(text->wide.size() + 1, 0);
        for (auto _ : state) {
            UErrorCode error = U_ZERO_ERROR;
            int32_t length = 0;
            benchmark::DoNotOptimize(
                u_strFromUTF8(out.data(), static_cast<int32_t>(out.size()), &length,
                              text->utf8.data(), static_cast<int32_t>(text->utf8.size()), &error));
            benchmark::ClobberMemory();
        }
        state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text->utf8.size()));
    });
    Register(options, "text.wide_to_utf8", variant, "ours", bytes, [text](benchmark::State& state) {
        std::string out(text->utf8.size() + 1, 0);
        for (auto _ : state) {
            benchmark::DoNotOptimize(WideToUtf8(text->wide.data(),
                                                static_cast<int32_t>(text->wide.size()), out.data(),
                                                static_cast<int32_t>(out.size())));
            benchmark::ClobberMemory();
        }
        state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text->utf8.size()));
    });
    Register(options, "text.wide_to_utf8", variant, "icu", bytes, [text](benchmark::State& state) {
        std::string out(text->utf8.size() + 1, 0);
        for (auto _ : state) {
            UErrorCode error = U_ZERO_ERROR;
            int32_t length = 0;
            benchmark::DoNotOptimize(u_strToUTF8(out.data(), static_cast<int32_t>(out.size()),
                                                 &length, text->wide.data(),
                                                 static_cast<int32_t>(text->wide.size()), &error));
            benchmark::ClobberMemory();
        }
        state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text->utf8.size()));
    });
}

}  // namespace

void RegisterTextBenchmarks(const BenchOptions& options) {
    const std::string cjk = CorpusText(options);
    for (int64_t bytes : SizesFor(options, {1024, 32768, 1048576})) {
        RegisterSize(options, "cjk", cjk, bytes);
        RegisterSize(options, "ascii", kAsciiParagraph, bytes);
    }
}

}  // namespace vantir::bench
