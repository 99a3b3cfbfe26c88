// Tag codes of the address database and the pair-score limits that the address
// grammar, region completion, ranking and text composition apply to them.
#ifndef VANTIR_ADDRESS_TAG_CODES_H
#define VANTIR_ADDRESS_TAG_CODES_H

#include <cstdint>

namespace vantir {

constexpr int32_t kTagFallbackWord = 0;        // the whole result when no head is found
constexpr int32_t kTagHeadOpener = 5;          // opens a head; a tag-7 word may follow
constexpr int32_t kTagBoundHeadOpener = 6;     // opens a head only before a tag-8 word
constexpr int32_t kTagOpenerFollower = 7;      // second head word after a tag-5 word
constexpr int32_t kTagLowerHead = 8;           // lower region; a head by itself
constexpr int32_t kTagCompletionTrigger = 17;  // sends the head to region completion
constexpr int32_t kTagBareFirstKey = 18;       // a first segment on its own
constexpr int32_t kTagFirstKey = 19;           // closes a first segment
constexpr int32_t kTagBareSecondKey = 20;      // a second segment on its own
constexpr int32_t kTagSecondKey = 21;          // closes a second segment
constexpr int32_t kTagThirdLead = 22;          // optional opening part of a third segment
constexpr int32_t kTagThirdKey = 23;           // closes a third segment
constexpr int32_t kTagSecondPrefix = 24;       // optional word before a segment key
constexpr int32_t kTagFirstPrefix = 25;        // optional first word before a segment key
constexpr int32_t kTagClosing = 32;            // ends the analysis; loses its last unit in text
constexpr int32_t kTagUpperHead = 33;          // upper region; opens a head
constexpr int32_t kTagUpperFollower = 34;      // second head word after a tag-33 word

// A pair passes at this score or above. The two stricter tests of region
// completion want a score above it.
constexpr int32_t kLowestPassingScore = -255;

}  // namespace vantir

#endif  // VANTIR_ADDRESS_TAG_CODES_H
