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

std::string ClipPath(std::string_view clipFolder, std::string_view clipName)
{
    return std::string(clipFolder) + std::string(clipName);
}

std::string WorksongClipPath(std::string_view clipFolder)
{
    // The folder above: the clip folder without its trailing separator, up to its last one.
    const std::string_view folder = clipFolder.substr(0, clipFolder.find_last_not_of("\\/") + 1);
    const std::size_t last = folder.find_last_of("\\/");
    return std::string(folder.substr(0, last == std::string_view::npos ? 0 : last)) + "/WorksongMedium.swf";
}

}  // namespace strumwell::clips
