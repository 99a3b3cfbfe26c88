// Writes the small seed corpora of the fuzz targets, one folder per target, from
// blobs and lists that the library itself builds. Usage: make_seeds <folder>.
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_support.h"
#include "tests/support/sample_postal.h"
#include "tests/support/sample_sounds.h"
#include "text_intake_cases.h"

using namespace vantir;
using namespace vantir::testing;
using Bytes = std::vector<uint8_t>;

namespace {

bool WriteSeed(const std::filesystem::path& folder, const std::string& name, const Bytes& bytes) {
    std::filesystem::create_directories(folder);
    const std::string path = (folder / name).string();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

Bytes LexiconBlobOf(std::u16string list) {
    Lexicon* lexicon = Lexicon_Create(nullptr, 0, 0);
    int32_t size = 0;
    list.push_back(0);
    void* built = Lexicon_BuildBlob(lexicon, list.data(), &size);
    Bytes blob = CopyBlob(built, size);
    Lexicon_Destroy(lexicon);
    return blob;
}

Bytes SmallModelBlob() {
    BigramModel* model = BigramModel_Create(nullptr);
    int32_t size = 0;
    void* blob = BigramModel_NewBlob(model, 4, 6, &size);
    WordId first[] = {-1, 0, 0, 2, 3};
    WordId second[] = {0, 1, 3, -1, 3};
    int32_t scores[] = {-3, -255, 0, -17, -100};
    BigramModel_SetBigramScores(model, first, second, scores, 5);
    Bytes bytes = CopyBlob(blob, size);
    BigramModel_Destroy(model);
    return bytes;
}

Bytes EmptyModelBlob() {
    BigramModel* model = BigramModel_Create(nullptr);
    int32_t size = 0;
    void* blob = BigramModel_NewBlob(model, 0, 0, &size);
    Bytes bytes = CopyBlob(blob, size);
    BigramModel_Destroy(model);
    return bytes;
}

void AppendUnits(Bytes& out, const std::u16string& text) {
    for (char16_t unit : text) {
        out.push_back(static_cast<uint8_t>(unit & 0xFF));
        out.push_back(static_cast<uint8_t>(unit >> 8));
    }
}

// Control byte, then the four 0-separated lists of the word-list target.
Bytes WordListsInput(uint8_t control, const std::vector<std::u16string>& lists) {
    Bytes out{control};
    for (const std::u16string& list : lists) {
        AppendUnits(out, list);
        AppendUnits(out, std::u16string(1, 0));
    }
    return out;
}

Bytes IntakeInput(const AttachedWorld& world,
                  const std::vector<std::vector<std::u16string>>& texts) {
    Bytes out;
    for (const auto& hypothesis : texts) {
        out.push_back(static_cast<uint8_t>(hypothesis.size()));
        out.push_back(2);  // read the results after this one
        for (WordId id : world.Ids(hypothesis))
            out.push_back(static_cast<uint8_t>(id + 2));
    }
    return out;
}

// Text intake input (fuzz/text_intake_cases.h): the texts with their flags.
Bytes TextInput(const std::vector<std::pair<uint8_t, std::u16string>>& texts) {
    std::vector<TextCase> cases;
    for (const auto& [flags, text] : texts)
        cases.push_back({flags, std::vector<char16_t>(text.begin(), text.end())});
    return EncodeTextCases(cases);
}

// A text of `copies` addresses one after the other: long enough to cross
// several of the segmenter's windows.
std::u16string Addresses(size_t copies) {
    std::u16string text;
    for (size_t k = 0; k < copies; ++k)
        text += u"我要到臺北市大安區忠孝東路四段123巷5弄7號，";
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds <folder>\n");
        return 2;
    }
    const std::filesystem::path root = argv[1];
    const WorldBlobs world = MakeWorldBlobs();
    bool ok = true;

    ok &= WriteSeed(root / "blob_addr", "world", world.addressDb);
    ok &= WriteSeed(root / "blob_addr", "empty", WriteAddressDb({}, {}));
    ok &=
        WriteSeed(root / "blob_addr", "one_pair", WriteAddressDb({{33}, {8, 17}}, {{u"a", u"b"}}));

    ok &= WriteSeed(root / "blob_lmb", "world", world.model);
    ok &= WriteSeed(root / "blob_lmb", "empty", EmptyModelBlob());
    ok &= WriteSeed(root / "blob_lmb", "small", SmallModelBlob());

    ok &= WriteSeed(root / "blob_wpb", "world", world.lexicon);
    ok &= WriteSeed(root / "blob_snd", "world", SmallSoundsBlob(SampleWorld().lexicon));
    ok &= WriteSeed(root / "blob_pst", "world", SmallPostalBlob());
    ok &= WriteSeed(root / "blob_wpb", "empty", LexiconBlobOf(u""));
    ok &= WriteSeed(root / "blob_wpb", "mixed", LexiconBlobOf(u"b\r\na\n\nc\nab\nAB\nABd\nabc\nA"));

    ok &= WriteSeed(
        root / "lexicon_words", "heap",
        WordListsInput(0x12, {u"b\r\na\n\nc\nab\nAB", u"x\nyy\nAb\nab", u"yy\nq", u"zz\nw"}));
    ok &= WriteSeed(root / "lexicon_words", "pool",
                    WordListsInput(0x27, {u"\u5317\u4eac\n\u4e0a\u6d77", u"x\n\u8def\nX", u"x",
                                          u"\u8def\nnew\n\n\nlast"}));

    ok &= WriteSeed(root / "text_conversions", "ascii", Bytes{20, 'a', 'b', '-', '4', '2'});
    ok &= WriteSeed(root / "text_conversions", "utf8",
                    Bytes{9, 0xE4, 0xB8, 0x80, 0xF0, 0x8D, 0xA0, 0x80, 'x', 0xE9, 0x00});

    ok &= WriteSeed(root / "mempool_ops", "mixed",
                    Bytes{0x04, 0x04, 0, 0, 100, 0,  0, 0, 200, 0,    1,    1, 15, 0, 2,
                          0,    0,    0, 3, 1,   40, 0, 0, 0,   0xF8, 0xFF, 2, 1,  0, 0});

    AttachedWorld live;
    ok &= WriteSeed(root / "intake", "world",
                    IntakeInput(live, {{u"臺北市", u"市", u"忠孝東路", u"四段", u"一百二十三",
                                        u"巷", u"五", u"弄", u"七", u"號"},
                                       {u"大安區", u"市", u"和平路", u"一段", u"十", u"號", u"樓"},
                                       {u"我", u"要", u"到", u"中正區", u"忠孝東路", u"五", u"號"},
                                       {u"地址"}}));
    ok &= WriteSeed(root / "text_intake", "world",
                    TextInput({{2, u"我要到臺北市忠孝東路四段123巷5弄7號"},
                               {6, u"台北市，大安區 和平路一段１０號 3樓"},
                               {11, u"嗯中正區忠孝東路05號AbＡＢ\U0001F600"},
                               {2, u"地址12345台中市"}}));
    ok &= WriteSeed(root / "text_intake", "long",
                    TextInput({{kTextReset | kTextReadResults, Addresses(40)},
                               {kTextReset | kTextAccurate | kTextReadResults, Addresses(40)},
                               {kTextAccurate | kTextShortBuffer, Addresses(3)}}));
    if (!ok) std::fprintf(stderr, "make_seeds: cannot write under %s\n", argv[1]);
    return ok ? 0 : 1;
}
