// The tools' side of sound-alike intake: one place that attaches sounds and
// that refuses --sound-alike on a folder built without them.
#include "tools/run/sound_alike_run.h"

#include <memory>

#include "segment/sound_blob.h"
#include "segment/text_segmenter.h"
#include "tools/compile/data_build.h"

namespace vantir::tools {

void AttachSoundsOf(const LoadedData& data, FilterSession* session) {
    Vantir_AttachSounds(session, data.sounds.empty() ? nullptr : data.sounds.data());
}

uint32_t SoundAlikeOption(const LoadedData& data, bool wanted,
                          const std::filesystem::path& directory) {
    if (!wanted) return 0u;
    if (data.sounds.empty()) {
        Fail((directory / kSoundsBlobName).string(), 0,
             "--sound-alike needs this file; build the data with 'vantir build --sounds'");
    }
    return VANTIR_OPTION_SOUND_ALIKE;
}

std::vector<std::string> SegmentWordsBySound(const LoadedData& data, const std::string& text,
                                             const std::string& where) {
    const Expected<std::u16string> units = ToUtf16(text);
    if (!units) throw ToolError(where + ": " + units.error().message);
    SoundsView view;
    if (data.sounds.empty() || !ReadSoundsBlob(data.sounds.data(), &view)) {
        throw ToolError(where + ": the data has no sounds blob");
    }
    // Up to two ids per unit (a digit spells two numerals at most per unit).
    const size_t room = 2 * units->size() + 1;
    std::vector<WordId> ids(room);
    std::unique_ptr<bool[]> bySound(new bool[room]());
    WordSink sink{ids.data(), static_cast<int32_t>(room), 0, bySound.get()};
    const int32_t code = SegmentText(data.lexicon.get(), data.model.get(), units->data(),
                                     static_cast<int32_t>(units->size()), &sink, &view);
    if (code != VANTIR_OK) {
        throw ToolError(where + ": " + Vantir_ErrorMessage(code) + " (code " +
                        std::to_string(code) + ")");
    }
    std::vector<std::string> words;
    for (int64_t k = 0; k < sink.count && k < sink.capacity; ++k) {
        words.push_back(ToUtf8(WordText(data.lexicon.get(), ids[static_cast<size_t>(k)])) +
                        (bySound[static_cast<size_t>(k)] ? kSoundReadMarker : ""));
    }
    return words;
}

}  // namespace vantir::tools
