// Demo host: builds an address database from the sample sources, binds a filter
// session to it, prints the tags it sees per word and the current result list.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "filter/address_db.h"
#include "tools/address_db_writer.h"
#include "vantir/textutil.h"
#include "vantir/vantir.h"

namespace {

constexpr int32_t kMaxLineUnits = 256;
constexpr int32_t kMaxTag = 255;

std::u16string Widen(const std::string& utf8) {
    char16_t buffer[kMaxLineUnits];
    vantir::Utf8ToWide(utf8.c_str(), static_cast<int32_t>(utf8.size()), buffer, kMaxLineUnits);
    return buffer;
}

std::string Narrow(const char16_t* wide) {
    char buffer[kMaxLineUnits * 3];
    vantir::WideToUtf8(wide, -1, buffer, sizeof buffer);
    return buffer;
}

// Lines of a tab-separated file, comments and blank lines skipped.
std::vector<std::vector<std::string>> ReadTable(const std::string& path) {
    std::vector<std::vector<std::string>> rows;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> fields;
        std::stringstream split(line);
        std::string field;
        while (std::getline(split, field, '\t')) fields.push_back(field);
        rows.push_back(fields);
    }
    return rows;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : "data/sample";
    const auto vocabulary = ReadTable(dir + "/vocabulary.tsv");
    const auto regions = ReadTable(dir + "/regions.tsv");
    if (vocabulary.empty()) {
        std::fprintf(stderr, "demo: %s/vocabulary.tsv: no words\n", dir.c_str());
        return 1;
    }

    vantir::tools::AddressDbSource source;
    for (const auto& row : vocabulary) {
        std::vector<uint8_t> tags;
        std::stringstream numbers(row.size() > 1 ? row[1] : "");
        int tag;
        while (numbers >> tag) {
            if (tag >= 0 && tag <= kMaxTag) tags.push_back(static_cast<uint8_t>(tag));
        }
        source.wordTags.push_back(tags);
    }
    for (const auto& row : regions) {
        if (row.size() >= 2) source.regionPairs.push_back({Widen(row[0]), Widen(row[1])});
    }
    const std::vector<uint8_t> addressDb = vantir::tools::WriteAddressDb(source);

    BigramModel* model = BigramModel_Create(nullptr);
    Lexicon* lexicon = Lexicon_Create(nullptr, 0, 0);
    FilterSession* session = Vantir_Init(model, lexicon, addressDb.data());
    if (session == nullptr) {
        std::fprintf(stderr, "demo: could not create a session\n");
        return 1;
    }
    std::printf("address database: %zu words, %zu region pairs, %zu bytes\n", vocabulary.size(),
                source.regionPairs.size(), addressDb.size());
    for (size_t id = 0; id < vocabulary.size(); ++id) {
        std::printf("word %zu %s: tags", id, vocabulary[id][0].c_str());
        for (int tag = 0; tag <= kMaxTag; ++tag) {
            if (vantir::HasTag(session, static_cast<WordId>(id), tag)) std::printf(" %d", tag);
        }
        std::printf("\n");
    }
    int32_t count = 10;
    const int32_t units = Vantir_GetFilterResult(session, nullptr, 0, 0, &count);
    std::vector<char16_t> list(units);
    Vantir_GetFilterResult(session, list.data(), 0, 0, &count);
    std::printf("results: %d (list of %d units)\n", count, units);
    for (const char16_t* text = list.data(); *text != 0; text += vantir::WStrLen(text) + 1) {
        std::printf("  %s\n", Narrow(text).c_str());
    }
    Vantir_Release(session);
    Lexicon_Destroy(lexicon);
    BigramModel_Destroy(model);
    return 0;
}
