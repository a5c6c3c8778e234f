#pragma once
// The clip table: for every token that sounds, the clip files a playback step loads for it, in
// order, and the item shown in the pick box while it plays. The clips are files in one fixed
// folder; the program only names them and never checks that they exist.

#include <string>
#include <string_view>
#include <vector>

namespace strumwell::clips {

// The clip folder, an absolute path whatever the program's own location.
inline constexpr std::string_view kClipFolder = "C:\\Program Files\\Fretlane\\Strumwell\\";
inline constexpr std::string_view kRestClip = "rest.swf";

// "Am7" -> "Am7.swf".
std::string ChordClip(std::string_view chordToken);
// String n (1..6) at fret f (0..12): "1stStringF#.swf"; at fret 12 "1stStringTopE.swf".
std::string NoteClip(int string, int fret);
// The clip's full path: the clip folder followed by its name.
std::string ClipPath(std::string_view clipName);

// The item a row shows in the pick box.
enum class ShownItem { Chord, CrotchetRest, QuaverRest, Blank, Note };

struct ClipRow {
    std::string token;
    std::vector<std::string> clips;  // names in the clip folder, in the order they are loaded
    ShownItem shown;
    int chord = -1;  // ShownItem::Chord: index into kChordTokens
    int string = 0;  // ShownItem::Note: string 1..6 and fret 0..12
    int fret = 0;
};

// The 101 rows: the 20 chords, "Rest 1", "Rest 1/2", "Tab", then the 78 notes string by string,
// fret by fret.
const std::vector<ClipRow>& ClipTable();
// The row whose token equals `token` exactly, or nullptr ("" and any text outside the table).
const ClipRow* FindClipRow(std::string_view token);

}  // namespace strumwell::clips
