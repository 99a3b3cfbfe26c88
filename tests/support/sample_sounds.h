// A sounds blob ("SND") assembled byte by byte for the small address world of
// sample_blobs.h: the readings of its characters and a few homophones.
#ifndef VANTIR_TESTS_SUPPORT_SAMPLE_SOUNDS_H
#define VANTIR_TESTS_SUPPORT_SAMPLE_SOUNDS_H

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "segment/sound_blob.h"
#include "textutil/blob_header.h"
#include "textutil/byte_order.h"
#include "vantir/lexicon.h"

namespace vantir::testing {

// Toneless readings of the world's characters and of homophones a recogniser
// writes for them; 弄 has two, as in Unihan.
inline const std::map<char16_t, std::vector<std::string>>& SampleReadings() {
    static const std::map<char16_t, std::vector<std::string>> readings = {
        {u'臺', {"tai"}}, {u'台', {"tai"}},   {u'北', {"bei"}},         {u'市', {"shi"}},
        {u'是', {"shi"}}, {u'中', {"zhong"}}, {u'忠', {"zhong"}},       {u'宗', {"zong"}},
        {u'大', {"da"}},  {u'安', {"an"}},    {u'區', {"qu"}},          {u'正', {"zheng"}},
        {u'信', {"xin"}}, {u'義', {"yi"}},    {u'孝', {"xiao"}},        {u'東', {"dong"}},
        {u'路', {"lu"}},  {u'鹿', {"lu"}},    {u'和', {"he"}},          {u'平', {"ping"}},
        {u'四', {"si"}},  {u'段', {"duan"}},  {u'斷', {"duan"}},        {u'一', {"yi"}},
        {u'百', {"bai"}}, {u'二', {"er"}},    {u'十', {"shi"}},         {u'三', {"san"}},
        {u'五', {"wu"}},  {u'七', {"qi"}},    {u'巷', {"xiang"}},       {u'向', {"xiang"}},
        {u'號', {"hao"}}, {u'好', {"hao"}},   {u'弄', {"long", "nong"}}};
    return readings;
}

// The syllable the mergers of Taiwan Mandarin make of one (as the build does).
inline std::string SampleMerged(std::string syllable) {
    const bool retroflex = syllable.size() > 1 && syllable[1] == 'h' &&
                           (syllable[0] == 'z' || syllable[0] == 'c' || syllable[0] == 's');
    if (retroflex) {
        syllable.erase(1, 1);
    } else if (syllable.size() > 1 && syllable[0] == 'n') {
        syllable[0] = 'l';
    }
    if (syllable.ends_with("ing") || syllable.ends_with("eng")) syllable.pop_back();
    return syllable;
}

// The blob for `lexicon`'s static words (those whose characters all have a
// reading, under their first readings), in four buckets.
inline std::vector<uint8_t> SmallSoundsBlob(const Lexicon* lexicon) {
    std::map<std::string, uint16_t> syllables;
    for (const auto& [unit, spelled] : SampleReadings()) {
        for (const std::string& syllable : spelled)
            syllables.emplace(syllable, 0);
    }
    std::vector<std::string> spellings;
    std::map<std::string, uint16_t> classOf;
    std::vector<uint16_t> classes;
    for (auto& [syllable, index] : syllables) {
        index = static_cast<uint16_t>(spellings.size());
        spellings.push_back(syllable);
        classes.push_back(classOf.emplace(SampleMerged(syllable), index).first->second);
    }
    std::vector<uint32_t> readings;
    for (const auto& [unit, spelled] : SampleReadings()) {
        for (const std::string& syllable : spelled)
            readings.push_back(uint32_t{unit} << kSndSyllableBits | syllables.at(syllable));
    }
    std::sort(readings.begin(), readings.end());
    const int32_t words = Lexicon_GetStaticCount(lexicon);
    std::vector<std::tuple<uint32_t, uint32_t, uint32_t>> entries;  // bucket, key, word
    constexpr uint32_t kBuckets = 4;
    for (WordId id = 0; id < words; ++id) {
        int32_t length = 0;
        const char16_t* text = Lexicon_GetWord(lexicon, id, &length);
        uint32_t rolled = 0;
        bool read = text != nullptr && length > 0;
        for (int32_t k = 0; read && k < length; ++k) {
            const auto found = SampleReadings().find(text[k]);
            read = found != SampleReadings().end();
            if (read) rolled = ExtendSoundKey(rolled, classes[syllables.at(found->second[0])]);
        }
        if (!read) continue;
        const uint32_t key = FinishSoundKey(rolled);
        entries.emplace_back(key & (kBuckets - 1), key, static_cast<uint32_t>(id));
    }
    std::sort(entries.begin(), entries.end());
    const auto syllableCount = static_cast<uint32_t>(spellings.size());
    const auto readingCount = static_cast<uint32_t>(readings.size());
    const auto entryCount = static_cast<uint32_t>(entries.size());
    const auto size =
        static_cast<uint32_t>(SoundsBlobBytes(syllableCount, readingCount, kBuckets, entryCount));
    std::vector<uint8_t> blob(size, 0);
    WriteBlobHeader(blob.data(), size, kSoundsBlobTag, kSoundsBlobVersion);
    StoreU32(&blob[kSndWordCountAt], static_cast<uint32_t>(words));
    StoreU32(&blob[kSndSyllableCountAt], syllableCount);
    StoreU32(&blob[kSndReadingCountAt], readingCount);
    StoreU32(&blob[kSndBucketCountAt], kBuckets);
    StoreU32(&blob[kSndEntryCountAt], entryCount);
    size_t at = kSndSyllablesAt;
    for (uint32_t s = 0; s < syllableCount; ++s, at += kSndSyllableBytes) {
        std::copy(spellings[s].begin(), spellings[s].end(), blob.begin() + static_cast<long>(at));
        StoreU16(&blob[at + kSndClassAt], classes[s]);
    }
    for (const uint32_t reading : readings) {
        StoreU32(&blob[at], reading);
        at += kSndReadingBytes;
    }
    uint32_t entry = 0;
    for (uint32_t b = 0; b <= kBuckets; ++b, at += kSndBucketBytes) {
        while (entry < entryCount && std::get<0>(entries[entry]) < b)
            ++entry;
        StoreU32(&blob[at], entry);
    }
    for (const auto& [bucket, key, word] : entries) {
        StoreU32(&blob[at], key);
        StoreU32(&blob[at + 4], word);
        at += kSndEntryBytes;
    }
    return blob;
}

// Where the tables of a blob from SmallSoundsBlob begin, for damaging tests.
inline size_t SoundsReadingsAt(const std::vector<uint8_t>& blob) {
    return kSndSyllablesAt + size_t{LoadU32(&blob[kSndSyllableCountAt])} * kSndSyllableBytes;
}
inline size_t SoundsBucketsAt(const std::vector<uint8_t>& blob) {
    return SoundsReadingsAt(blob) + size_t{LoadU32(&blob[kSndReadingCountAt])} * kSndReadingBytes;
}
inline size_t SoundsEntriesAt(const std::vector<uint8_t>& blob) {
    return SoundsBucketsAt(blob) +
           (size_t{LoadU32(&blob[kSndBucketCountAt])} + 1) * kSndBucketBytes;
}

}  // namespace vantir::testing

#endif  // VANTIR_TESTS_SUPPORT_SAMPLE_SOUNDS_H
