#include "sheet/clip_names.h"

#include <algorithm>

#include "sheet/tokens.h"

namespace strumwell::clips {

std::string ChordClip(std::string_view chordToken) { return std::string(chordToken) + ".swf"; }

std::string NoteClip(int string, int fret)
{
    std::string note = NoteName(string, fret);  // "F#", or "Top E" at fret 12
    std::erase(note, ' ');
    return std::string(StringOrdinal(string)) + "String" + note + ".swf";
}

std::string ClipPath(std::string_view clipName) { return std::string(kClipFolder) + std::string(clipName); }

}  // namespace strumwell::clips
