// Reading ranges.tsv: each house-number text by its shape, each road as the
// vocabulary spells it, and the whole table laid out as the "PST" blob.
#include "tools/compile/postal_source.h"

#include <map>
#include <set>

#include "address/postal_blob.h"
#include "address/tag_codes.h"
#include "vantir/vantir.hpp"

namespace vantir::tools {

namespace {

constexpr char16_t kLane = u'巷';
constexpr char16_t kAlley = u'弄';
constexpr size_t kCodeDigits = 5;

// Reads a text left to right; every Take* moves past what it read, or leaves
// the position where it was.
struct Cursor {
    const std::u16string& text;
    size_t at = 0;

    bool AtEnd() const { return at == text.size(); }
    bool Take(std::u16string_view word) {
        if (text.compare(at, word.size(), word) != 0) return false;
        at += word.size();
        return true;
    }
    bool Peek(std::u16string_view word) const { return text.compare(at, word.size(), word) == 0; }
    // A run of ASCII digits as a number, at most `most`; -1 for none or more.
    int32_t TakeNumber(int32_t most) {
        size_t end = at;
        int64_t value = 0;
        while (end < text.size() && text[end] >= u'0' && text[end] <= u'9' && value <= most) {
            value = value * 10 + (text[end] - u'0');
            ++end;
        }
        if (end == at || value > most) return -1;
        at = end;
        return static_cast<int32_t>(value);
    }
};

// A number with its 之 part and the key after it (號, or 巷 and 弄 for a lane
// or alley counted by where it leaves the road), which may be left out.
struct Bound {
    int32_t number = 0;
    int32_t part = 0;
};

// "N", "N之M", each with an optional key; with `inherited` >= 0 also "之M"
// (the second bound of 15之1至之5號).
bool TakeBound(Cursor& cursor, Bound* bound, int32_t inherited) {
    const size_t start = cursor.at;
    if (inherited >= 0 && cursor.Peek(u"之")) {
        bound->number = inherited;
    } else {
        bound->number = cursor.TakeNumber(kMostRangeNumber);
        if (bound->number < 0) return false;
    }
    bound->part = 0;
    if (cursor.Take(u"之")) {
        bound->part = cursor.TakeNumber(kMostRangeNumber);
        if (bound->part < 0) {
            cursor.at = start;
            return false;
        }
    }
    if (!cursor.Peek(u"附")) {
        cursor.Take(u"號") || cursor.Take(u"巷") || cursor.Take(u"弄");
    }
    return true;
}

// "N巷" or "N弄" opening the text as the lane or alley the range lies in (not
// a bound: 雙236巷至372巷 and 單31巷以下 count lanes along the road).
int32_t TakeContainer(Cursor& cursor, char16_t key) {
    const size_t start = cursor.at;
    const int32_t number = cursor.TakeNumber(kMostRangeNumber);
    if (number > 0 && cursor.at < cursor.text.size() && cursor.text[cursor.at] == key) {
        ++cursor.at;
        if (!cursor.AtEnd() && !cursor.Peek(u"至") && !cursor.Peek(u"以") && !cursor.Peek(u"含") &&
            !cursor.Peek(u"及")) {
            return number;
        }
    }
    cursor.at = start;
    return 0;
}

// Floors or one wing of a building after its number (5號5至9樓, 地下1樓, 南棟),
// and a name in brackets (a building with a code of its own).
bool TakeBuildingPart(Cursor& cursor, bool* floorsOnly) {
    const size_t start = cursor.at;
    if (cursor.Take(u"地下")) {
        if (cursor.TakeNumber(kMostRangeNumber) < 0 || !cursor.Take(u"樓")) return false;
        *floorsOnly = true;
    } else if (cursor.TakeNumber(kMostRangeNumber) >= 0) {
        if (cursor.Take(u"至") && cursor.TakeNumber(kMostRangeNumber) < 0) return false;
        if (!cursor.Take(u"樓")) return false;
        cursor.Take(u"以上") || cursor.Take(u"以下");
        *floorsOnly = true;
    } else if (cursor.at + 2 == cursor.text.size() && cursor.text[cursor.at + 1] == u'棟') {
        cursor.at += 2;
        *floorsOnly = true;
    }
    if (cursor.Peek(u"(") || cursor.Peek(u"（")) {
        const char16_t close = cursor.text[cursor.at] == u'(' ? u')' : u'）';
        if (cursor.text.back() != close) return false;
        cursor.at = cursor.text.size();
    }
    return cursor.at > start || cursor.AtEnd();
}

// A high part past kMostRangePart (16之10至之999號) holds every part: no
// address says one that high. A low part that high is no range of the table.
bool SetBounds(PostalSourceRange* range, const Bound& low, const Bound& high) {
    if (low.part > kMostRangePart) return false;
    range->low = static_cast<uint16_t>(low.number);
    range->lowPart = static_cast<uint8_t>(low.part);
    range->high = static_cast<uint16_t>(high.number);
    range->highPart = static_cast<uint8_t>(high.part > kMostRangePart ? kPstEveryPart : high.part);
    return true;
}

std::u16string Normalised(const std::string& utf8) {
    Expected<std::u16string> read = ToUtf16(utf8);
    std::u16string text = read ? *read : std::u16string();
    for (char16_t& unit : text) {
        if (unit >= u'０' && unit <= u'９') unit = static_cast<char16_t>(u'0' + (unit - u'０'));
    }
    return text;
}

bool IsRoadWord(const Vocabulary& vocabulary, const std::u16string& name) {
    const VocabularyEntry* entry = vocabulary.Find(ToUtf8(name));
    if (entry == nullptr) return false;
    for (const uint8_t tag : entry->tags) {
        if (tag == kTagCompletionTrigger) return true;
    }
    return false;
}

}  // namespace

bool ParseRangeText(const std::u16string& source, PostalSourceRange* range) {
    std::u16string text = source;
    for (char16_t& unit : text) {
        if (unit >= u'０' && unit <= u'９') unit = static_cast<char16_t>(u'0' + (unit - u'０'));
    }
    Cursor cursor{text};
    *range = PostalSourceRange{};
    range->lane = static_cast<uint16_t>(TakeContainer(cursor, kLane));
    range->alley = static_cast<uint16_t>(TakeContainer(cursor, kAlley));
    if (cursor.Take(u"單")) {
        range->flags = kPstOdd;
    } else if (cursor.Take(u"雙")) {
        range->flags = kPstEven;
    } else {
        cursor.Take(u"連");
    }
    const Bound lowest{0, 0};
    const Bound highest{kPstHighestNumber, kPstEveryPart};
    Bound low;
    Bound high;
    if (cursor.Take(u"全")) {
        SetBounds(range, lowest, highest);
        return cursor.AtEnd();
    }
    bool read = true;
    if (!TakeBound(cursor, &low, -1)) return false;
    if (cursor.Take(u"以上")) {
        read = SetBounds(range, low, highest);
    } else if (cursor.Take(u"含附號以下")) {
        read = SetBounds(range, lowest, Bound{low.number, kPstEveryPart});
    } else if (cursor.Take(u"以下")) {
        read = SetBounds(range, lowest, low);
    } else if (cursor.Take(u"至")) {
        if (!TakeBound(cursor, &high, low.number)) return false;
        if (cursor.Take(u"含附號全")) high.part = kPstEveryPart;
        read = SetBounds(range, low, high);
    } else if (cursor.Take(u"含附號")) {
        read = SetBounds(range, low, Bound{low.number, kPstEveryPart});
    } else if (cursor.Take(u"及以上附號")) {
        read = SetBounds(range, low, Bound{low.number, kPstEveryPart});
    } else if (cursor.Take(u"附號全")) {
        read = SetBounds(range, Bound{low.number, 1}, Bound{low.number, kPstEveryPart});
    } else {
        read = SetBounds(range, low, low);
    }
    if (!read) return false;
    bool floorsOnly = false;
    if (!cursor.AtEnd() && !TakeBuildingPart(cursor, &floorsOnly)) return false;
    if (!cursor.AtEnd()) return false;
    if (floorsOnly) range->flags |= kPstFloorsOnly;
    return range->low < range->high ||
           (range->low == range->high && range->lowPart <= range->highPart);
}

PostalRoadName VocabularyRoadOf(const std::u16string& source, const Vocabulary& vocabulary) {
    std::u16string text = source;
    for (char16_t& unit : text) {
        if (unit >= u'０' && unit <= u'９') unit = static_cast<char16_t>(u'0' + (unit - u'０'));
    }
    PostalRoadName road;
    if (text.size() > 2 && text.back() == u'段') {
        size_t start = text.size() - 1;
        while (start > 1 && text[start - 1] >= u'0' && text[start - 1] <= u'9')
            --start;
        if (start < text.size() - 1 && start > 0) {
            int32_t section = 0;
            for (size_t k = start; k + 1 < text.size() && section <= kMostRangeSection; ++k)
                section = section * 10 + (text[k] - u'0');
            if (section > 0 && section <= kMostRangeSection) {
                road.section = section;
                text.resize(start);
            }
        }
    }
    static constexpr char16_t kNumerals[] = u"零一二三四五六七八九";
    for (char16_t& unit : text) {
        if (unit >= u'0' && unit <= u'9') unit = kNumerals[unit - u'0'];
    }
    if (IsRoadWord(vocabulary, text)) {
        road.name = text;
        return road;
    }
    // A village of two characters and 里 or 村 before the road.
    if (text.size() > 4 && (text[2] == u'里' || text[2] == u'村') &&
        IsRoadWord(vocabulary, text.substr(3))) {
        road.name = text.substr(3);
        return road;
    }
    road.name.clear();
    return road;
}

PostalSource ParsePostalRanges(const std::vector<SourceLine>& lines, const std::string& file,
                               const Vocabulary& vocabulary, const RegionSource& regions,
                               Diagnostics& diagnostics) {
    PostalSource source;
    source.file = file;
    std::set<std::pair<std::string, std::string>> known;
    for (const RegionSourcePair& pair : regions.pairs)
        known.insert({pair.upper, pair.lower});
    std::map<std::pair<std::string, std::string>, size_t> districtOf;
    std::set<std::pair<size_t, std::u16string>> absent;
    std::string firstAbsent;
    int32_t firstAbsentLine = 0;
    for (const SourceLine& line : lines) {
        if (IsBlankOrComment(line.text)) continue;
        const std::vector<std::string> fields = SplitFields(line.text);
        if (fields.size() != 5) {
            Fail(file, line.number,
                 "expected 5 fields (postcode, county, district, road, house numbers), found " +
                     std::to_string(fields.size()));
        }
        const std::string& code = fields[0];
        if (code.size() != kCodeDigits ||
            code.find_first_not_of("0123456789") != std::string::npos || code[0] == '0') {
            Fail(file, line.number, "postcode " + Shown(code) + " is not five digits");
        }
        const std::pair<std::string, std::string> region{fields[1], fields[2]};
        if (!known.contains(region)) {
            Fail(file, line.number,
                 Shown(fields[1]) + " " + Shown(fields[2]) + " is not a pair of " + regions.file);
        }
        PostalSourceRange range;
        if (!ParseRangeText(Normalised(fields[4]), &range)) {
            Fail(file, line.number, "cannot read the house numbers " + Shown(fields[4]));
        }
        range.code = std::stoi(code);
        ++source.lines;
        auto [at, isNew] = districtOf.try_emplace(region, source.districts.size());
        if (isNew) {
            PostalSourceDistrict district;
            district.county = Normalised(fields[1]);
            district.district = Normalised(fields[2]);
            source.districts.push_back(std::move(district));
        }
        PostalSourceDistrict& district = source.districts[at->second];
        const PostalRoadName road = VocabularyRoadOf(Normalised(fields[3]), vocabulary);
        if (road.name.empty()) {
            ++source.absentLines;
            if (absent.insert({at->second, Normalised(fields[3])}).second) {
                district.absent.push_back(Normalised(fields[3]));
            }
            if (firstAbsentLine == 0) {
                firstAbsent = fields[3];
                firstAbsentLine = line.number;
            }
            continue;
        }
        district.roads.push_back(
            PostalSourceRoad{road.name, static_cast<uint8_t>(road.section), {range}});
    }
    source.absentRoads = absent.size();
    if (source.absentLines > 0) {
        diagnostics.Warn(file, firstAbsentLine,
                         Counted(static_cast<int64_t>(source.absentRoads), "road") + " (" +
                             Counted(static_cast<int64_t>(source.absentLines), "line") +
                             ") are not roads of the vocabulary, the first " + Shown(firstAbsent) +
                             "; their ranges cannot be matched (vantir inspect --coverage "
                             "names them)");
    }
    return source;
}

std::vector<uint8_t> BuildPostalBlob(const PostalSource& source) {
    std::string error;
    std::vector<uint8_t> blob = WritePostalBlob(source.districts, &error);
    if (blob.empty()) Fail(source.file, 0, error);
    return blob;
}

}  // namespace vantir::tools
