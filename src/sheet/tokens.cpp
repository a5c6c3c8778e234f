#include "sheet/tokens.h"

#include <algorithm>

namespace strumwell {

namespace {
constexpr std::array<std::string_view, 12> kScale{"C", "C#", "D", "D#", "E", "F",
                                                   "F#", "G", "G#", "A", "A#", "B"};
constexpr std::array<int, 6> kOpenNoteIndex{4, 11, 7, 2, 9, 4};  // E B G D A E
constexpr std::array<std::string_view, 6> kOrdinals{"1st", "2nd", "3rd", "4th", "5th", "6th"};
}  // namespace

int ChordIndex(std::string_view token)
{
    const auto it = std::find(kChordTokens.begin(), kChordTokens.end(), token);
    return it == kChordTokens.end() ? -1 : static_cast<int>(it - kChordTokens.begin());
}

std::string_view StringOrdinal(int string) { return kOrdinals.at(static_cast<std::size_t>(string - 1)); }

std::string NoteName(int string, int fret)
{
    const int open = kOpenNoteIndex.at(static_cast<std::size_t>(string - 1));
    if (fret == 12) return "Top " + std::string(kScale[static_cast<std::size_t>(open)]);
    return std::string(kScale[static_cast<std::size_t>((open + fret) % 12)]);
}

std::string NoteToken(int string, int fret)
{
    return NoteName(string, fret) + " " + std::string(StringOrdinal(string)) + " String";
}

std::string FretCaption(int string, int fret)
{
    const int open = kOpenNoteIndex.at(static_cast<std::size_t>(string - 1));
    const std::string note(kScale[static_cast<std::size_t>((open + fret) % 12)]);
    std::string number = std::to_string(fret);
    // A natural note stands after one blank with the fret right-aligned in 4 characters; a sharp
    // takes the blank's place and leaves the fret 3.
    const std::size_t field = note.size() == 1 ? 4 : 3;
    number.insert(0, field - number.size(), ' ');
    return (note.size() == 1 ? " " + note : note) + number;
}

std::optional<NotePosition> ParseNoteToken(std::string_view token)
{
    for (int string = 1; string <= kStrings; ++string)
        for (int fret = 0; fret < kFrets; ++fret)
            if (token == NoteToken(string, fret)) return NotePosition{string, fret};
    return std::nullopt;
}

}  // namespace strumwell
