#pragma once
// The program names its files by absolute "C:\..." paths. They resolve to one local folder that
// stands for drive C: $STRUMWELL_DRIVE_C when set, else the build tree's drive_c/ when the program
// runs from the build, else <prefix>/share/strumwell/drive_c/ when installed.

#include <filesystem>
#include <string_view>

namespace platform {

// The folder that stands for drive C.
std::filesystem::path DriveCFolder();

// "C:\Program Files\Fretlane\Strumwell\A.swf" -> <drive_c>/Program Files/Fretlane/Strumwell/A.swf.
// Backslashes and forward slashes both separate; the drive letter is matched without regard to case.
// A path that does not start with a drive letter is returned as it stands.
std::filesystem::path ResolveWindowsPath(std::string_view windowsPath);

}  // namespace platform
