#pragma once
// The sound clips' names: every pick and every playback step sounds a clip of the clip folder,
// named after the token it sounds. The program only names the clips and never checks that they
// exist.

#include <string>
#include <string_view>

namespace strumwell::clips {

// The clip folder, an absolute path whatever the program's own location.
inline constexpr std::string_view kClipFolder = "C:\\Program Files\\Fretlane\\Strumwell\\";
// Silence: loaded first, it cuts off whatever sounds.
inline constexpr std::string_view kRestClip = "rest.swf";

// "Am7" -> "Am7.swf".
std::string ChordClip(std::string_view chordToken);
// String n (1..6) at fret f (0..12): "1stStringF#.swf"; at fret 12 "1stStringTopE.swf".
std::string NoteClip(int string, int fret);
// The clip's full path: the clip folder followed by its name.
std::string ClipPath(std::string_view clipName);

}  // namespace strumwell::clips
