// The characters of a written address that the library reads by themselves: the
// keys that close its numbered parts, the endings of road names, numeral variants.
#ifndef VANTIR_TEXTUTIL_ADDRESS_WORDS_H
#define VANTIR_TEXTUTIL_ADDRESS_WORDS_H

namespace vantir {

// The words are the data set's (their tags say what they do in the grammar);
// these are only the characters that text is read or rewritten by, where no
// word has been found yet (text intake) or a text's spelling is chosen.

// ---- Keys of the numbered parts, in address order ---------------------------
constexpr char16_t kSectionKey = u'\u6BB5';      // 段, a road's section
constexpr char16_t kLaneKey = u'\u5DF7';         // 巷
constexpr char16_t kAlleyKey = u'\u5F04';        // 弄
constexpr char16_t kNumberPartKey = u'\u4E4B';   // 之, 12之1號: a part of the house number
constexpr char16_t kHouseNumberKey = u'\u865F';  // 號
constexpr char16_t kFloorKey = u'\u6A13';        // 樓
// Simplified spellings a recogniser writes for two of them.
constexpr char16_t kHouseNumberKeySimplified = u'\u53F7';  // 号
constexpr char16_t kFloorKeySimplified = u'\u697C';        // 楼

// Keys whose number a canonical text writes in digits; sections keep Chinese
// numerals (四段), as the postal service writes them.
constexpr char16_t kDigitKeys[] = {kLaneKey, kAlleyKey, kHouseNumberKey, kFloorKey};

// A village's neighbourhood before the road (3鄰), no part of an address.
constexpr char16_t kNeighbourhoodKey = u'\u9130';  // 鄰

// ---- Endings of road names ----------------------------------------------------
constexpr char16_t kRoadEnding = u'\u8DEF';    // 路
constexpr char16_t kStreetEnding = u'\u8857';  // 街
constexpr char16_t kWayEnding = u'\u9053';     // 道, and 大道 (大 is kAvenueLead)
constexpr char16_t kAvenueLead = u'\u5927';    // 大

// ---- Numerals of digit strings beside the numeral table ---------------------
constexpr char16_t kSpokenOne = u'\u5E7A';    // 幺, one as said in digit strings
constexpr char16_t kCircleZero = u'\u3007';   // 〇, zero as written in digit strings
constexpr char16_t kWhiteCircle = u'\u25CB';  // ○, written for 〇
constexpr char16_t kPhoneticOne = u'\u3127';  // ㄧ, the phonetic sign written for 一

}  // namespace vantir

#endif  // VANTIR_TEXTUTIL_ADDRESS_WORDS_H
