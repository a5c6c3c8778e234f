#pragma once
// The cell tokens: the texts that say what a cell holds. They are the song's data, kept in each
// cell's tooltip and written to song files exactly as they stand, and compared as whole,
// case-sensitive strings.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace strumwell {

inline constexpr std::string_view kBlankToken = "";
inline constexpr std::string_view kCrotchetRestToken = "Rest 1";
inline constexpr std::string_view kQuaverRestToken = "Rest 1/2";

// The chord tokens in the order the token tables list them.
inline constexpr std::array<std::string_view, 20> kChordTokens{
    "A", "Am", "E", "Em", "D", "Dm", "C", "G", "F", "Bm",
    "A7", "Am7", "E7", "Em7", "D7", "Dm7", "C7", "G7", "F7", "Bm7"};

inline constexpr int kStrings = 6;
inline constexpr int kFrets = 13;  // frets 0 to 12

// Index of a chord token in kChordTokens, or -1.
int ChordIndex(std::string_view token);

// "1st" .. "6th".
std::string_view StringOrdinal(int string);

// The note at a string (1 = high E .. 6 = low E) and fret (0..12), sharps only: "F#"; fret 12 "Top E".
std::string NoteName(int string, int fret);

// "F# 1st String", "Top E 6th String".
std::string NoteToken(int string, int fret);

// The caption of fret button f while string n is selected: " E   0", "F#  2", " E  12".
std::string FretCaption(int string, int fret);

struct NotePosition {
    int string;
    int fret;
};
// The string and fret a note token names, or nothing for any other text.
std::optional<NotePosition> ParseNoteToken(std::string_view token);

}  // namespace strumwell
