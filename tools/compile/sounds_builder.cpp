// The sounds blob's writer: syllable table with merged classes, the sorted
// readings, and the words' sound keys bucketed by their low bits.
#include "tools/compile/sounds_builder.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "segment/sound_alike.h"
#include "segment/sound_blob.h"
#include "segment/text_aliases.h"
#include "textutil/byte_order.h"
#include "textutil/chinese_numerals.h"
#include "tools/compile/diagnostics.h"
#include "vantir/vantir.hpp"

namespace vantir::tools {

namespace {

bool IsVowel(char letter) {
    return std::string_view("aeiouv").find(letter) != std::string_view::npos;
}

struct SyllableTable {
    std::vector<std::string> spellings;  // sorted
    std::map<std::string, uint16_t> index;
    std::vector<uint16_t> mergedClass;
};

SyllableTable TableOf(const CharReadings& readings) {
    SyllableTable table;
    for (const auto& [codePoint, syllables] : readings.syllables) {
        for (const std::string& syllable : syllables)
            table.index.emplace(syllable, 0);
    }
    if (table.index.size() > kMaxSyllables) {
        throw ToolError("the readings hold " + std::to_string(table.index.size()) +
                        " syllables, more than the sounds blob numbers (" +
                        std::to_string(kMaxSyllables) + ")");
    }
    std::map<std::string, uint16_t> classOfMerged;
    for (auto& [spelling, index] : table.index) {
        index = static_cast<uint16_t>(table.spellings.size());
        table.spellings.push_back(spelling);
        const uint16_t mergedClass =
            classOfMerged.emplace(MergedSyllable(spelling), index).first->second;
        table.mergedClass.push_back(mergedClass);
    }
    return table;
}

std::vector<uint32_t> CodePointsOf(const std::u16string& word) {
    std::vector<uint32_t> points;
    for (size_t k = 0; k < word.size(); ++k) {
        const char16_t unit = word[k];
        if (unit >= 0xD800 && unit <= 0xDBFF && k + 1 < word.size() && word[k + 1] >= 0xDC00 &&
            word[k + 1] <= 0xDFFF) {
            points.push_back(0x10000u + ((uint32_t{unit} - 0xD800u) << 10) +
                             (uint32_t{word[k + 1]} - 0xDC00u));
            ++k;
        } else {
            points.push_back(unit);
        }
    }
    return points;
}

// The sound keys of a word, each once; none when a character has no reading.
std::vector<uint32_t> KeysOf(const std::vector<uint32_t>& points, const CharReadings& readings,
                             const SyllableTable& table) {
    std::vector<uint32_t> rolled{0};
    for (const uint32_t point : points) {
        const auto found = readings.syllables.find(point);
        if (found == readings.syllables.end()) return {};
        std::vector<uint16_t> classes;
        for (const std::string& syllable : found->second) {
            const uint16_t mergedClass = table.mergedClass[table.index.at(syllable)];
            if (std::find(classes.begin(), classes.end(), mergedClass) == classes.end())
                classes.push_back(mergedClass);
        }
        std::vector<uint32_t> next;
        for (const uint32_t key : rolled) {
            for (const uint16_t mergedClass : classes) {
                if (next.size() < kMaxSoundKeysPerWord)
                    next.push_back(ExtendSoundKey(key, mergedClass));
            }
        }
        rolled = std::move(next);
    }
    std::vector<uint32_t> keys;
    for (const uint32_t key : rolled) {
        const uint32_t finished = FinishSoundKey(key);
        if (std::find(keys.begin(), keys.end(), finished) == keys.end()) keys.push_back(finished);
    }
    return keys;
}

bool OnlyNumerals(const std::vector<uint32_t>& points) {
    return std::all_of(points.begin(), points.end(), [](uint32_t point) {
        return point <= 0xFFFF && NumeralValue(static_cast<char16_t>(point)) >= 0;
    });
}

uint32_t BucketCountFor(size_t entries) {
    uint32_t buckets = 1;
    while (buckets < entries / 2 && buckets < kMaxSndRecords)
        buckets *= 2;
    return buckets;
}

}  // namespace

std::string MergedSyllable(const std::string& syllable) {
    std::string merged = syllable;
    if (merged.starts_with("zh") || merged.starts_with("ch") || merged.starts_with("sh")) {
        merged.erase(1, 1);
    } else if (merged.size() > 1 && merged[0] == 'n' && IsVowel(merged[1])) {
        merged[0] = 'l';
    }
    if (merged.ends_with("ing") || merged.ends_with("eng")) merged.pop_back();
    return merged;
}

SoundsBlob BuildSoundsBlob(const CharReadings& readings, const WordNumbering& numbering) {
    const SyllableTable table = TableOf(readings);
    std::vector<uint32_t> packed;
    for (const auto& [codePoint, syllables] : readings.syllables) {
        for (const std::string& syllable : syllables)
            packed.push_back(codePoint << kSndSyllableBits | table.index.at(syllable));
    }
    std::sort(packed.begin(), packed.end());

    SoundsBlob built;
    std::vector<std::tuple<uint32_t, uint32_t, uint32_t>> entries;  // bucket, key, word
    std::vector<std::pair<uint32_t, uint32_t>> keyed;               // key, word
    for (const auto& [word, id] : numbering.ids) {
        const Expected<std::u16string> units = ToUtf16(word);
        if (!units || units->empty() || units->size() > kMaxSoundSpanUnits) continue;
        if (units->find(kAliasMark) != std::u16string::npos) continue;  // no word of speech
        const std::vector<uint32_t> points = CodePointsOf(*units);
        if (OnlyNumerals(points)) continue;
        const std::vector<uint32_t> keys = KeysOf(points, readings, table);
        if (!keys.empty()) ++built.indexedWords;
        for (const uint32_t key : keys)
            keyed.emplace_back(key, static_cast<uint32_t>(id));
    }
    const uint32_t buckets = BucketCountFor(keyed.size());
    for (const auto& [key, word] : keyed)
        entries.emplace_back(key & (buckets - 1), key, word);
    std::sort(entries.begin(), entries.end());

    std::vector<SoundSyllable> syllables(table.spellings.size());
    for (size_t s = 0; s < syllables.size(); ++s) {
        const std::string& spelling = table.spellings[s];
        std::copy_n(spelling.begin(), std::min<size_t>(spelling.size(), kSndSpellingBytes),
                    syllables[s].spelling);
        syllables[s].mergedClass = table.mergedClass[s];
    }
    std::vector<SoundEntry> ordered;
    ordered.reserve(entries.size());
    for (const auto& [bucket, key, word] : entries)
        ordered.push_back(SoundEntry{key, word});
    SoundsBlobContent content{};
    content.wordCount = static_cast<uint32_t>(numbering.wordCount);
    content.syllables = syllables.data();
    content.syllableCount = static_cast<uint32_t>(syllables.size());
    content.readings = packed.data();
    content.readingCount = static_cast<uint32_t>(packed.size());
    content.entries = ordered.data();
    content.entryCount = static_cast<uint32_t>(ordered.size());
    content.bucketCount = buckets;
    built.bytes.assign(
        SoundsBlobBytes(content.syllableCount, content.readingCount, buckets, content.entryCount),
        0);
    WriteSoundsBlob(content, built.bytes.data());
    const uint32_t syllableCount = content.syllableCount;
    built.syllables = syllableCount;
    built.readings = readings.syllables.size();
    return built;
}

}  // namespace vantir::tools
