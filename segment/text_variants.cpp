// The Taiwan variant table and the width, digit and separator classes of text
// intake. The table is constant data searched by bisection: no state, no set-up.
#include "segment/text_variants.h"

namespace vantir {

namespace {

struct VariantPair {
    char16_t usual;  // the form of Taiwan's official writing
    char16_t other;  // the form recognisers and older texts also write
};

// Pairs that name the same character in Taiwan place and street names. A
// recogniser's output writes either form; the lexicon may hold either.
constexpr VariantPair kVariantPairs[] = {
    {u'\u81FA', u'\u53F0'},  // 臺 台
    {u'\u5167', u'\u5185'},  // 內 内
    {u'\u5CF0', u'\u5CEF'},  // 峰 峯
    {u'\u7FA4', u'\u7FA3'},  // 群 羣
    {u'\u88E1', u'\u88CF'},  // 裡 裏
    {u'\u7DDA', u'\u7DAB'},  // 線 綫
    {u'\u9928', u'\u8218'},  // 館 舘
    {u'\u6C59', u'\u6C61'},  // 汙 污
    {u'\u6EAB', u'\u6E29'},  // 溫 温
    {u'\u9109', u'\u9115'},  // 鄉 鄕
    {u'\u8AAA', u'\u8AAC'},  // 說 説
    {u'\u6236', u'\u6237'},  // 戶 户
    {u'\u885B', u'\u885E'},  // 衛 衞
    {u'\u70BA', u'\u7232'},  // 為 爲
    {u'\u773E', u'\u8846'},  // 眾 衆
    {u'\u8457', u'\u7740'},  // 著 着
    {u'\u555F', u'\u5553'},  // 啟 啓
    {u'\u5E8A', u'\u7240'},  // 床 牀
    {u'\u5D19', u'\u5D18'},  // 崙 崘
    {u'\u96DE', u'\u9DC4'},  // 雞 鷄
    {u'\u6751', u'\u90A8'},  // 村 邨
    {u'\u7955', u'\u79D8'},  // 祕 秘
    {u'\u9EB5', u'\u9EAA'},  // 麵 麪
    {u'\u8525', u'\u8471'},  // 蔥 葱
    {u'\u5433', u'\u5449'},  // 吳 呉
    {u'\u9EC3', u'\u9EC4'},  // 黃 黄
    {u'\u9264', u'\u920E'},  // 鉤 鈎
};
constexpr int32_t kPairCount = static_cast<int32_t>(sizeof(kVariantPairs) / sizeof(VariantPair));

// Both directions of every pair, sorted by the first unit for bisection; built
// at compile time so that the table above stays in reading order.
struct VariantIndex {
    char16_t from[2 * kPairCount];
    char16_t to[2 * kPairCount];
};

constexpr VariantIndex BuildVariantIndex() {
    VariantIndex index{};
    for (int32_t k = 0; k < kPairCount; ++k) {
        index.from[2 * k] = kVariantPairs[k].usual;
        index.to[2 * k] = kVariantPairs[k].other;
        index.from[2 * k + 1] = kVariantPairs[k].other;
        index.to[2 * k + 1] = kVariantPairs[k].usual;
    }
    for (int32_t i = 1; i < 2 * kPairCount; ++i) {
        for (int32_t j = i; j > 0 && index.from[j - 1] > index.from[j]; --j) {
            const char16_t from = index.from[j];
            const char16_t to = index.to[j];
            index.from[j] = index.from[j - 1];
            index.to[j] = index.to[j - 1];
            index.from[j - 1] = from;
            index.to[j - 1] = to;
        }
    }
    return index;
}

constexpr VariantIndex kVariantIndex = BuildVariantIndex();

constexpr bool EveryUnitOnce() {
    for (int32_t i = 1; i < 2 * kPairCount; ++i) {
        if (kVariantIndex.from[i - 1] == kVariantIndex.from[i]) return false;
    }
    return true;
}
static_assert(EveryUnitOnce(), "a character may belong to one variant pair only");

constexpr char16_t kFullWidthFirst = u'\uFF01';  // full-width '!'
constexpr char16_t kFullWidthLast = u'\uFF5E';   // full-width '~'
constexpr char16_t kIdeographicSpace = u'\u3000';
constexpr int32_t kFullWidthShift = kFullWidthFirst - u'!';
constexpr char16_t kFullWidthZero = u'\uFF10';
constexpr char16_t kFullWidthNine = u'\uFF19';

bool InRange(char16_t unit, char16_t first, char16_t last) {
    return unit >= first && unit <= last;
}

}  // namespace

char16_t NarrowWidth(char16_t unit) {
    if (InRange(unit, kFullWidthFirst, kFullWidthLast)) {
        return static_cast<char16_t>(unit - kFullWidthShift);
    }
    return unit == kIdeographicSpace ? u' ' : unit;
}

char16_t WidthPartner(char16_t unit) {
    if (InRange(unit, u'!', u'~')) return static_cast<char16_t>(unit + kFullWidthShift);
    if (InRange(unit, kFullWidthFirst, kFullWidthLast)) {
        return static_cast<char16_t>(unit - kFullWidthShift);
    }
    return 0;
}

char16_t VariantPartner(char16_t unit) {
    int32_t lo = 0;
    int32_t hi = 2 * kPairCount;
    while (lo < hi) {
        const int32_t mid = lo + (hi - lo) / 2;
        if (kVariantIndex.from[mid] < unit) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    return lo < 2 * kPairCount && kVariantIndex.from[lo] == unit ? kVariantIndex.to[lo] : 0;
}

int32_t VariantPairCount() {
    return kPairCount;
}

void VariantPairAt(int32_t k, char16_t* usual, char16_t* other) {
    const bool inside = k >= 0 && k < kPairCount;
    *usual = inside ? kVariantPairs[k].usual : 0;
    *other = inside ? kVariantPairs[k].other : 0;
}

int32_t DecimalDigitValue(char16_t unit) {
    if (InRange(unit, u'0', u'9')) return unit - u'0';
    if (InRange(unit, kFullWidthZero, kFullWidthNine)) return unit - kFullWidthZero;
    return -1;
}

bool IsTextSeparator(char16_t unit) {
    const char16_t narrow = NarrowWidth(unit);
    if (narrow <= u' ' || narrow == u'\u007F') return true;  // blanks and controls
    if (narrow < u'\u0080') {
        const bool letterOrDigit = InRange(narrow, u'0', u'9') || InRange(narrow, u'A', u'Z') ||
                                   InRange(narrow, u'a', u'z');
        return !letterOrDigit;
    }
    return InRange(unit, u'\u0080', u'\u00BF') ||  // Latin-1 controls, signs, no-break space
           InRange(unit, u'\u2000', u'\u206F') ||  // general punctuation and spaces
           InRange(unit, u'\u3001', u'\u3003') ||  // 、。〃
           InRange(unit, u'\u3008', u'\u3011') ||  // CJK brackets
           InRange(unit, u'\u3014', u'\u301F') ||  // more CJK brackets and marks
           InRange(unit, u'\u30FB', u'\u30FB') ||  // katakana middle dot
           InRange(unit, u'\uFE10', u'\uFE6F') ||  // vertical and small forms
           InRange(unit, u'\uFF61', u'\uFF65') ||  // half-width CJK punctuation
           unit == u'\uFEFF';                      // byte-order mark
}

}  // namespace vantir
