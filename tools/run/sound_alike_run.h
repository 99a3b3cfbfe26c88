// Sound-alike intake in the tools: attaching a data folder's sounds blob to
// sessions and the option bit of --sound-alike, refused without sounds.snd.
#ifndef VANTIR_TOOLS_SOUND_ALIKE_RUN_H
#define VANTIR_TOOLS_SOUND_ALIKE_RUN_H

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/run/data_dir.h"

namespace vantir::tools {

// Gives the session the folder's sounds blob (none: detaches).
void AttachSoundsOf(const LoadedData& data, FilterSession* session);

// VANTIR_OPTION_SOUND_ALIKE when `wanted`, else 0. Fails with a ToolError
// naming sounds.snd when it is wanted and the folder has none.
uint32_t SoundAlikeOption(const LoadedData& data, bool wanted,
                          const std::filesystem::path& directory);

// What `vantir segment` prints after a word that was read by sound.
constexpr const char* kSoundReadMarker = "~";

// The words the text splits into with sound-alike reading, as UTF-8, each read
// by sound followed by kSoundReadMarker; throws ToolError naming `where` when
// the text is not UTF-8 or the data has no sounds.
std::vector<std::string> SegmentWordsBySound(const LoadedData& data, const std::string& text,
                                             const std::string& where);

}  // namespace vantir::tools

#endif  // VANTIR_TOOLS_SOUND_ALIKE_RUN_H
