// The coverage checks: the tags of every static word and the listed pairs between
// the tag groups that the grammar's steps test.
#include "tools/run/coverage.h"

#include "address/address_context.h"
#include "address/postal_blob.h"
#include "address/region_completion.h"
#include "bigram/scorers.h"
#include "tools/compile/session_view.h"

namespace vantir::tools {

namespace {

using WordGroup = std::vector<WordId>;

class CoverageProbe {
  public:
    explicit CoverageProbe(LoadedData& data)
        : data_(data), context_(SessionAddressContext(data.session.get())) {
        // Pairs are tested as the analysis tests them, in strict mode, through
        // that mode's scorer called directly: the model is only read.
        context_.sharedStrictScorer = StrictPairScorer(data.model.get());
        const int32_t words = Lexicon_GetStaticCount(data.lexicon.get());
        for (WordId id = 0; id < words; ++id)
            ids_.push_back(id);
    }

    bool Tagged(WordId word, int32_t tag) const { return vantir::Tagged(context_, word, tag); }

    WordGroup WithTags(std::initializer_list<int32_t> tags) const {
        WordGroup group;
        for (WordId id : ids_) {
            for (int32_t tag : tags) {
                if (Tagged(id, tag)) {
                    group.push_back(id);
                    break;
                }
            }
        }
        return group;
    }

    // Words of `group` that pass their pair with no word of `others`, tested
    // as group word first (`after` false) or second (`after` true).
    std::vector<std::string> Unpaired(const WordGroup& group, const WordGroup& others,
                                      bool after) const {
        std::vector<std::string> unpaired;
        for (WordId word : group) {
            bool paired = false;
            for (WordId other : others) {
                paired =
                    after ? PairPasses(context_, other, word) : PairPasses(context_, word, other);
                if (paired) break;
            }
            if (!paired) unpaired.push_back(Name(word));
        }
        return unpaired;
    }

    std::vector<std::string> LowerHeadsWithoutPair() const {
        std::vector<std::string> names;
        for (WordId word : WithTags({kTagLowerHead})) {
            if (FindLowerNameOfWord(context_, word) < 0) {
                names.push_back(Name(word));
            }
        }
        return names;
    }

    std::vector<std::string> RegionNamesWithoutWord() const {
        std::vector<std::string> names;
        for (uint32_t pair = 0; pair < context_.db->regionPairCount; ++pair) {
            for (RegionSide side : {RegionSide::kUpper, RegionSide::kLower}) {
                if (RegionNameWordId(context_, side, pair) >= 0) continue;
                char16_t name[kRegionNameCapacity];
                const bool copied =
                    CopyRegionName(*context_.db, side, pair, name, kRegionNameCapacity) >= 0;
                names.push_back(copied ? ToUtf8(std::u16string(name))
                                       : "(name of pair " + std::to_string(pair + 1) + ")");
            }
        }
        return names;
    }

  private:
    std::string Name(WordId word) const { return ToUtf8(WordText(data_.lexicon.get(), word)); }

    LoadedData& data_;
    AddressContext context_;
    std::vector<WordId> ids_;
};

void Keep(std::vector<CoverageCheck>& checks, const char* what, const char* means,
          std::vector<std::string> words) {
    if (!words.empty()) checks.push_back({what, means, std::move(words)});
}

}  // namespace

namespace {

// "county district road" of each road the postal blob keeps without ranges.
std::vector<std::string> PostalAbsentRoads(const LoadedData& data) {
    std::vector<std::string> roads;
    PostalView view;
    if (!ReadPostalBlob(data.postal.data(), &view)) return roads;
    auto name = [&view](uint32_t index) {
        int32_t length = 0;
        const unsigned char* units = PostalName(view, index, &length);
        std::u16string text;
        for (int32_t i = 0; i < length; ++i)
            text.push_back(static_cast<char16_t>(LoadU16(units + 2 * i)));
        return ToUtf8(text);
    };
    for (uint32_t a = 0; a < view.absentCount; ++a) {
        const uint32_t record = LoadU32(view.absent + uint64_t{a} * kPstAbsentBytes);
        const PostalDistrict district = DistrictAt(view, record & 0xFFFFu);
        roads.push_back(name(district.county) + " " + name(district.district) + " " +
                        name(record >> 16));
    }
    return roads;
}

}  // namespace

std::vector<CoverageCheck> CheckCoverage(LoadedData& data) {
    const CoverageProbe probe(data);
    const WordGroup uppers = probe.WithTags({kTagUpperHead});
    const WordGroup lowers = probe.WithTags({kTagLowerHead});
    const WordGroup followers = probe.WithTags({kTagUpperFollower});
    const WordGroup roads = probe.WithTags({kTagCompletionTrigger});
    const WordGroup numbers = probe.WithTags({kTagFirstPrefix, kTagSecondPrefix});
    const WordGroup numberKeys = probe.WithTags({kTagThirdLead, kTagThirdKey});
    const WordGroup sections = probe.WithTags({kTagBareFirstKey});
    const WordGroup openers = probe.WithTags({kTagHeadOpener});
    const WordGroup openerFollowers = probe.WithTags({kTagOpenerFollower});
    WordGroup afterUpper = followers;
    afterUpper.insert(afterUpper.end(), roads.begin(), roads.end());

    std::vector<CoverageCheck> checks;
    Keep(checks, "upper regions that no lower region or road may follow",
         "an address that starts with them keeps only the upper region; list their region "
         "pairs and roads",
         probe.Unpaired(uppers, afterUpper, false));
    Keep(checks, "lower regions that no road may follow",
         "a road after them refuses the address; add their roads to roads.tsv",
         probe.Unpaired(lowers, roads, false));
    Keep(checks, "roads in no district",
         "no lower region may precede them, so every address on them is refused; add them "
         "to roads.tsv",
         probe.Unpaired(roads, lowers, true));
    Keep(checks, "roads no upper region may precede",
         "an address that leaves out the lower region is refused; add them to roads.tsv",
         probe.Unpaired(roads, uppers, true));
    if (!numberKeys.empty()) {
        Keep(checks, "number words that can precede no key",
             "a house or alley number spelled with them is dropped; tag them and the keys, "
             "then rebuild",
             probe.Unpaired(numbers, numberKeys, false));
    }
    Keep(checks, "section words after no road",
         "the section is dropped from every address; list it in the road's sections",
         probe.Unpaired(sections, roads, true));
    Keep(checks, "opener followers after no opener",
         "the destination keeps only its opener; give it a head-opener word",
         probe.Unpaired(openerFollowers, openers, true));
    Keep(checks, "lower regions in no region pair",
         "said alone they get no upper region and rank below completed addresses; add a "
         "region pair",
         probe.LowerHeadsWithoutPair());
    Keep(checks, "region names missing from the vocabulary",
         "region completion cannot use their pairs; add them to vocabulary.tsv",
         probe.RegionNamesWithoutWord());
    if (!data.postal.empty()) {
        Keep(checks, "roads of the postal ranges that the vocabulary lacks",
             "their ranges match no result (named lanes, villages and places the grammar "
             "does not read); add them as roads to read their postcodes",
             PostalAbsentRoads(data));
    }
    return checks;
}

std::string CoverageSummary(const std::vector<CoverageCheck>& checks) {
    if (checks.empty()) return "coverage: no gaps found";
    std::string summary = "coverage:";
    for (size_t k = 0; k < checks.size(); ++k) {
        summary +=
            (k == 0 ? " " : ", ") + std::to_string(checks[k].words.size()) + " " + checks[k].what;
    }
    return summary;
}

}  // namespace vantir::tools
