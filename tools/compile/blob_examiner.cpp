// Bounded readers of the four blob layouts for `vantir inspect` and for the
// check made before a data directory is loaded.
#include "tools/compile/blob_examiner.h"

#include <cstring>
#include <map>

#include "address/address_db.h"
#include "address/postal_blob.h"
#include "bigram/blob_layout.h"
#include "lexicon/blob_layout.h"
#include "segment/sound_blob.h"
#include "textutil/blob_header.h"
#include "textutil/byte_order.h"
#include "tools/compile/tag_roles.h"
#include "vantir/vantir.h"

namespace vantir::tools {

namespace {

// Every offset and size below comes from the layout beside each format's reader.
constexpr size_t kTagRoom = VANTIR_BLOB_TAG_ROOM;
constexpr size_t kModelCountFields = (kBigramMeanOffset - kStaticCountOffset) / 4 + 1;

const char* const kModelCountNames[kModelCountFields] = {
    "static words", "pairs",      "added capacity", "spare pairs", "reserved 1",
    "reserved 2",   "reserved 3", "unigram max",    "unigram min", "unigram mid",
    "bigram max",   "bigram min", "bigram mean"};

// Reads little-endian fields at byte offsets, refusing any beyond the end.
struct Reader {
    const unsigned char* data;
    size_t size;

    bool Has(uint64_t offset, uint64_t bytes) const {
        return offset <= size && bytes <= size - offset;
    }
    int32_t I32(uint64_t offset) const { return LoadI32(data + offset); }
    uint32_t U32(uint64_t offset) const { return LoadU32(data + offset); }
    uint16_t U16(uint64_t offset) const { return LoadU16(data + offset); }
};

void Add(BlobReport& report, const std::string& label, const std::string& value) {
    report.fields.emplace_back(label, value);
}

void Add(BlobReport& report, const std::string& label, int64_t value) {
    report.fields.emplace_back(label, std::to_string(value));
}

// Units of UTF-16 compared as the lexicon orders words of one length: by the
// ASCII-upper-cased unit, then by the raw unit.
int CompareLexiconOrder(const Reader& reader, uint64_t a, uint64_t b, int32_t length) {
    for (int32_t i = 0; i < length; ++i) {
        int32_t ua = reader.U16(a + 2 * static_cast<uint64_t>(i));
        int32_t ub = reader.U16(b + 2 * static_cast<uint64_t>(i));
        const int32_t fa = (ua >= 'a' && ua <= 'z') ? ua - 32 : ua;
        const int32_t fb = (ub >= 'a' && ub <= 'z') ? ub - 32 : ub;
        if (fa != fb) return fa < fb ? -1 : 1;
        if (ua != ub) return ua < ub ? -1 : 1;
    }
    return 0;
}

void InspectLexicon(const Reader& reader, BlobReport& report) {
    if (!reader.Has(kWpbWordCountAt, kWpbCharOffsetsAt - kWpbWordCountAt)) {
        report.problems.push_back("too short for the word counts");
        return;
    }
    const int32_t words = reader.I32(kWpbWordCountAt);
    const int32_t longest = reader.I32(kWpbMaxLengthAt);
    Add(report, "words", words);
    Add(report, "longest word", std::to_string(longest) + " units");
    if (words < 0 || longest < 0 || longest > kMaxStaticWordLength) {
        report.problems.push_back("word count or longest length out of range");
        return;
    }
    report.wordCount = words;
    const uint64_t charOffsetsAt = kWpbCharOffsetsAt;
    const uint64_t idOffsetsAt = WpbIdOffsetsAt(longest);
    const uint64_t unitsAt = WpbUnitsAt(longest);
    if (!reader.Has(charOffsetsAt, 8 * (static_cast<uint64_t>(longest) + 1))) {
        report.problems.push_back("length tables run past the end");
        return;
    }
    if (reader.I32(charOffsetsAt) != 0 || reader.I32(idOffsetsAt) != 0) {
        report.problems.push_back("length tables do not start at 0");
        return;
    }
    std::string perLength;
    for (int32_t length = 1; length <= longest; ++length) {
        const int64_t ids = static_cast<int64_t>(reader.I32(idOffsetsAt + 4 * length)) -
                            reader.I32(idOffsetsAt + 4 * (length - 1));
        const int64_t units = static_cast<int64_t>(reader.I32(charOffsetsAt + 4 * length)) -
                              reader.I32(charOffsetsAt + 4 * (length - 1));
        if (ids < 0 || units != ids * length) {
            report.problems.push_back("length tables disagree at length " + std::to_string(length));
            return;
        }
        if (ids > 0) perLength += " " + std::to_string(length) + ":" + std::to_string(ids);
    }
    Add(report, "words by length", perLength.empty() ? "none" : perLength.substr(1));
    if (reader.I32(idOffsetsAt + 4 * static_cast<uint64_t>(longest)) != words) {
        report.problems.push_back("length tables do not add up to the word count");
        return;
    }
    const uint64_t totalUnits =
        static_cast<uint32_t>(reader.I32(charOffsetsAt + 4 * static_cast<uint64_t>(longest)));
    if (!reader.Has(unitsAt, 2 * totalUnits)) {
        report.problems.push_back("word units run past the end");
        return;
    }
    // Lookups bisect each length bucket: words must be distinct and in order.
    for (int32_t length = 1; length <= longest; ++length) {
        const int32_t first = reader.I32(idOffsetsAt + 4 * (length - 1));
        const int32_t last = reader.I32(idOffsetsAt + 4 * length);
        const uint64_t base =
            unitsAt + 2 * static_cast<uint64_t>(reader.I32(charOffsetsAt + 4 * (length - 1)));
        for (int32_t k = 1; k < last - first; ++k) {
            const uint64_t previous = base + 2 * static_cast<uint64_t>(k - 1) * length;
            const uint64_t current = previous + 2 * static_cast<uint64_t>(length);
            if (CompareLexiconOrder(reader, previous, current, length) >= 0) {
                report.problems.push_back("words of length " + std::to_string(length) +
                                          " are not sorted or repeat (id " +
                                          std::to_string(first + k) + ")");
                return;
            }
        }
    }
}

void InspectModel(const Reader& reader, BlobReport& report) {
    if (!reader.Has(kStaticCountOffset, kRowStartOffset - kStaticCountOffset)) {
        report.problems.push_back("too short for the count block");
        return;
    }
    int32_t counts[kModelCountFields];
    for (size_t k = 0; k < kModelCountFields; ++k) {
        counts[k] = reader.I32(kStaticCountOffset + 4 * k);
        Add(report, kModelCountNames[k], counts[k]);
    }
    const int64_t staticWords = counts[0];
    const int64_t pairs = counts[1];
    const int64_t words = staticWords + counts[2];
    const int64_t slots = pairs + counts[3];
    if (staticWords < 0 || pairs < 0 || counts[2] < 0 || counts[3] < 0) {
        report.problems.push_back("negative counts");
        return;
    }
    report.wordCount = staticWords;
    const ModelBlobLayout layout = ComputeBlobLayout(words, slots);
    const uint64_t needed = static_cast<uint64_t>(layout.dataEnd);
    Add(report, "bytes needed", static_cast<int64_t>(needed));
    if (!reader.Has(0, needed)) {
        report.problems.push_back("arrays run past the end (" + std::to_string(needed) +
                                  " bytes needed)");
        return;
    }
    const uint64_t rowStartAt = kRowStartOffset - 4;  // entry for word -1
    const uint64_t successorsAt = static_cast<uint64_t>(layout.successorIds);
    int32_t previous = 0;
    if (reader.I32(rowStartAt) != 0)
        report.problems.push_back("row of word -1 does not start at 0");
    for (int64_t w = -1; w < words && report.problems.empty(); ++w) {
        const int32_t start = reader.I32(rowStartAt + 4 * static_cast<uint64_t>(w + 1));
        const int32_t end = reader.I32(rowStartAt + 4 * static_cast<uint64_t>(w + 2));
        if (start < previous || end < start || end > pairs) {
            report.problems.push_back("row of word " + std::to_string(w) + " is out of order");
            break;
        }
        for (int32_t slot = start; slot < end; ++slot) {
            const int32_t id = reader.I32(successorsAt + 4 * static_cast<uint64_t>(slot));
            if (id < -1 || id >= words ||
                (slot > start &&
                 id <= reader.I32(successorsAt + 4 * static_cast<uint64_t>(slot - 1)))) {
                report.problems.push_back("successors of word " + std::to_string(w) +
                                          " are out of range or not ascending");
                break;
            }
        }
        previous = start;
    }
    if (report.problems.empty() &&
        reader.I32(rowStartAt + 4 * static_cast<uint64_t>(words + 1)) != pairs) {
        report.problems.push_back("the last row does not end at the pair count");
    }
}

void InspectAddress(const Reader& reader, BlobReport& report) {
    if (!reader.Has(kAddrTagOffsetCountAt, kAddrArraysStart - kAddrTagOffsetCountAt)) {
        report.problems.push_back("too short for the counts");
        return;
    }
    const uint32_t offsets = reader.U32(kAddrTagOffsetCountAt);
    const uint32_t pairs = reader.U32(kAddrRegionPairCountAt);
    Add(report, "words", offsets == 0 ? 0 : static_cast<int64_t>(offsets) - 1);
    Add(report, "stored value", reader.U32(kAddrUnusedValueAt));
    Add(report, "region pairs", pairs);
    if (offsets == 0) {
        report.problems.push_back("no word tag offsets (at least one is needed)");
        return;
    }
    report.wordCount = static_cast<int64_t>(offsets) - 1;
    const uint64_t tagOffsetsAt = kAddrArraysStart;
    const uint64_t upperOffsetsAt = tagOffsetsAt + kAddrOffsetBytes * offsets;
    const uint64_t lowerOffsetsAt = upperOffsetsAt + kAddrOffsetBytes * (uint64_t{pairs} + 1);
    const uint64_t upperNamesAt = lowerOffsetsAt + kAddrOffsetBytes * (uint64_t{pairs} + 1);
    if (!reader.Has(0, upperNamesAt)) {
        report.problems.push_back("offset arrays run past the end");
        return;
    }
    const int32_t upperUnits = reader.I32(upperOffsetsAt + 4 * static_cast<uint64_t>(pairs));
    const int32_t lowerUnits = reader.I32(lowerOffsetsAt + 4 * static_cast<uint64_t>(pairs));
    if (upperUnits < 0 || lowerUnits < 0) {
        report.problems.push_back("negative name area size");
        return;
    }
    const uint64_t lowerNamesAt = upperNamesAt + kAddrUnitBytes * static_cast<uint64_t>(upperUnits);
    const uint64_t tagBytesAt = lowerNamesAt + kAddrUnitBytes * static_cast<uint64_t>(lowerUnits);
    if (!reader.Has(tagBytesAt, 0)) {
        report.problems.push_back("name areas run past the end");
        return;
    }
    const uint64_t tagBytes = reader.size - tagBytesAt;
    Add(report, "tag bytes", static_cast<int64_t>(tagBytes));
    // Names: offsets ascend inside their area and every name ends with a 0 unit.
    for (int side = 0; side < 2 && report.problems.empty(); ++side) {
        const uint64_t offsetsAt = side == 0 ? upperOffsetsAt : lowerOffsetsAt;
        const uint64_t namesAt = side == 0 ? upperNamesAt : lowerNamesAt;
        const int32_t units = side == 0 ? upperUnits : lowerUnits;
        for (uint32_t i = 0; i < pairs; ++i) {
            const int32_t start = reader.I32(offsetsAt + 4 * static_cast<uint64_t>(i));
            const int32_t end = reader.I32(offsetsAt + 4 * static_cast<uint64_t>(i) + 4);
            if (start < 0 || end <= start || end > units ||
                reader.U16(namesAt + 2 * static_cast<uint64_t>(end - 1)) != 0) {
                report.problems.push_back(std::string(side == 0 ? "upper" : "lower") +
                                          " name of pair " + std::to_string(i) +
                                          " is out of bounds or not terminated");
                break;
            }
        }
    }
    std::map<int, int64_t> wordsPerTag;
    int32_t previous = 0;
    for (uint32_t w = 0; w + 1 < offsets && report.problems.empty(); ++w) {
        const int32_t start = reader.I32(tagOffsetsAt + 4 * static_cast<uint64_t>(w));
        const int32_t end = reader.I32(tagOffsetsAt + 4 * static_cast<uint64_t>(w) + 4);
        if (start < previous || end < start || static_cast<uint64_t>(end) > tagBytes) {
            report.problems.push_back("tag offsets of word " + std::to_string(w) +
                                      " are out of order or past the tag bytes");
            break;
        }
        for (int32_t k = start; k < end; ++k)
            ++wordsPerTag[reader.data[tagBytesAt + k]];
        previous = start;
    }
    std::string perTag;
    for (const auto& [tag, count] : wordsPerTag) {
        perTag += " " + TagName(static_cast<uint8_t>(tag)) + ":" + std::to_string(count);
    }
    Add(report, "words by tag", perTag.empty() ? "none" : perTag.substr(1));
}

// The sounds blob's counts; its tables' order is left to the library's check.
void InspectSounds(const Reader& reader, BlobReport& report) {
    if (!reader.Has(0, kSndSyllablesAt)) {
        report.problems.push_back("shorter than the sounds blob's counts");
        return;
    }
    const uint32_t words = reader.U32(kSndWordCountAt);
    const uint32_t syllables = reader.U32(kSndSyllableCountAt);
    const uint32_t readings = reader.U32(kSndReadingCountAt);
    const uint32_t buckets = reader.U32(kSndBucketCountAt);
    const uint32_t entries = reader.U32(kSndEntryCountAt);
    report.wordCount = words;
    Add(report, "words", words);
    Add(report, "syllables", syllables);
    Add(report, "readings", readings);
    Add(report, "index buckets", buckets);
    Add(report, "index entries", entries);
    const uint64_t needed = SoundsBlobBytes(syllables, readings, buckets, entries);
    Add(report, "bytes needed", static_cast<int64_t>(needed));
    if (!reader.Has(0, needed)) {
        report.problems.push_back("the tables need " + std::to_string(needed) + " bytes");
        return;
    }
    // Characters read: readings of one code point sit side by side.
    int64_t characters = 0;
    uint32_t previous = 0;
    const uint64_t readingsAt = kSndSyllablesAt + uint64_t{syllables} * kSndSyllableBytes;
    for (uint32_t r = 0; r < readings; ++r) {
        const uint32_t point =
            reader.U32(readingsAt + uint64_t{r} * kSndReadingBytes) >> kSndSyllableBits;
        if (r == 0 || point != previous) ++characters;
        previous = point;
    }
    Add(report, "characters read", characters);
}

// The postal blob's counts; the order of its tables is the library's check.
void InspectPostal(const Reader& reader, BlobReport& report) {
    if (!reader.Has(0, kPstNameStartsAt)) {
        report.problems.push_back("shorter than the postal blob's counts");
        return;
    }
    const uint32_t names = reader.U32(kPstNameCountAt);
    const uint32_t units = reader.U32(kPstUnitCountAt);
    const uint32_t districts = reader.U32(kPstDistrictCountAt);
    const uint32_t roads = reader.U32(kPstRoadCountAt);
    const uint32_t ranges = reader.U32(kPstRangeCountAt);
    const uint32_t absent = reader.U32(kPstAbsentCountAt);
    Add(report, "districts", districts);
    Add(report, "roads with their sections", roads);
    Add(report, "ranges", ranges);
    Add(report, "names", names);
    Add(report, "roads the vocabulary lacks", absent);
    const uint64_t needed = PostalBlobBytes(names, units, districts, roads, ranges, absent);
    Add(report, "bytes needed", static_cast<int64_t>(needed));
    if (!reader.Has(0, needed)) {
        report.problems.push_back("the tables need " + std::to_string(needed) + " bytes");
    }
}

}  // namespace

BlobReport InspectBlob(const unsigned char* data, size_t size) {
    BlobReport report;
    report.kind = "unknown";
    const Reader reader{data, size};
    Add(report, "file size", static_cast<int64_t>(size));
    if (!reader.Has(0, kBlobHeaderSize)) {
        report.problems.push_back("shorter than the 64-byte header");
        return report;
    }
    if (std::memcmp(data, kBlobMagic, 4) != 0) {
        report.problems.push_back("no blob magic \"KRVF\"");
        return report;
    }
    char tag[kTagRoom + 1] = {};
    std::memcpy(tag, data + kBlobTagOffset, kTagRoom);
    const uint16_t version = reader.U16(kBlobVersionOffset);
    const uint32_t declared = reader.U32(kBlobTotalSizeOffset);
    Add(report, "tag", std::string("\"") + tag + "\"");
    Add(report, "version", version);
    Add(report, "size in header", declared);
    Add(report, "header size", reader.U32(kBlobHeaderSizeOffset));
    report.setIdentity = reader.U32(kBlobUserValueOffset);
    Add(report, "user value", report.setIdentity);
    if (declared != size) {
        report.problems.push_back("header gives " + std::to_string(declared) + " bytes, file has " +
                                  std::to_string(size));
    }
    const std::string kind = tag;
    if (kind == kLexiconBlobTag && version == kLexiconBlobVersion) {
        report.kind = "lexicon";
        InspectLexicon(reader, report);
    } else if (kind == kModelBlobTag && version == kModelBlobVersion) {
        report.kind = "model";
        InspectModel(reader, report);
    } else if (kind == kAddressDbTag && version == kAddressDbVersion) {
        report.kind = "address database";
        InspectAddress(reader, report);
    } else if (kind == kSoundsBlobTag && version == kSoundsBlobVersion) {
        report.kind = "sounds";
        InspectSounds(reader, report);
    } else if (kind == kPostalBlobTag && version == kPostalBlobVersion) {
        report.kind = "postal";
        InspectPostal(reader, report);
    } else {
        report.problems.push_back("unknown tag or version");
        return report;
    }
    // The library's own check has the last word: what it refuses, no host attaches.
    if (size > UINT32_MAX || Vantir_VerifyBlob(data, static_cast<uint32_t>(size)) != VANTIR_OK) {
        report.problems.push_back("refused by the library's structural check");
    }
    return report;
}

std::vector<std::string> CheckSameNumbering(const BlobReport& lexicon, const BlobReport& model,
                                            const BlobReport& address) {
    std::vector<std::string> problems;
    if (model.wordCount != lexicon.wordCount) {
        problems.push_back("the model numbers " + std::to_string(model.wordCount) +
                           " words, the lexicon " + std::to_string(lexicon.wordCount));
    }
    if (address.wordCount != lexicon.wordCount) {
        problems.push_back("the address database tags " + std::to_string(address.wordCount) +
                           " words, the lexicon numbers " + std::to_string(lexicon.wordCount));
    }
    return problems;
}

}  // namespace vantir::tools
