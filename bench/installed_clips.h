#pragma once
// The benches sound the installed program's clips, from the folder the program itself hands to
// its window and its clip player.

#include <string>
#include <string_view>

#include "sheet/clip_names.h"

namespace bench {

inline std::string InstalledClips() { return std::string(strumwell::clips::kInstalledClipFolder); }

inline std::string InstalledClip(std::string_view clipName)
{
    return strumwell::clips::ClipPath(strumwell::clips::kInstalledClipFolder, clipName);
}

}  // namespace bench
