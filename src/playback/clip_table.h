#pragma once
// The clip table: for every token that sounds, the clips a playback step loads for it, in order
// (named as sheet/clip_names.h names them), and the item shown in the pick box while it plays.

#include <string>
#include <string_view>
#include <vector>

#include "sheet/clip_names.h"

namespace strumwell::clips {

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
