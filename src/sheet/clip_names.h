#pragma once
// The sound clips' names: every pick and every playback step sounds a clip of the clip folder,
// named after the token it sounds. The program only names the clips and never checks that they
// exist. The clip folder is an absolute "C:\..." path ending in a backslash, handed to the window
// by whoever makes it.

#include <string>
#include <string_view>

namespace strumwell::clips {

// Silence: loaded first, it cuts off whatever sounds.
inline constexpr std::string_view kRestClip = "rest.swf";

// "Am7" -> "Am7.swf".
std::string ChordClip(std::string_view chordToken);
// String n (1..6) at fret f (0..12): "1stStringF#.swf"; at fret 12 "1stStringTopE.swf".
std::string NoteClip(int string, int fret);
// The clip's full path: the clip folder followed by its name.
std::string ClipPath(std::string_view clipFolder, std::string_view clipName);
// The worksong clip, which lies in the folder above the clip folder and is named after a "/":
// "C:\Program Files\Fretlane\Strumwell\" -> "C:\Program Files\Fretlane/WorksongMedium.swf".
std::string WorksongClipPath(std::string_view clipFolder);

// The installed program's clip folder, as the drive mapping names the program's folders, which
// main hands to the window and the clip player.
inline constexpr std::string_view kInstalledClipFolder = "C:\\Program Files\\Fretlane\\Strumwell\\";

}  // namespace strumwell::clips
