#pragma once
// The one fingering of every chord on the sheet: the chord pictures draw these fret numbers and
// the clip generator strums exactly these notes, so what the learner sees is what they hear.

#include <array>
#include <string_view>

namespace strumwell {

// Fret per string, index 0 = string 1 (high E) .. index 5 = string 6 (low E); -1 = not played.
struct ChordVoicing {
    std::string_view token;
    std::array<int, 6> frets;
};

// Open-position shapes; F, F7, Bm and Bm7 are barre shapes.
inline constexpr std::array<ChordVoicing, 20> kChordVoicings{{
    {"A", {0, 2, 2, 2, 0, -1}},
    {"Am", {0, 1, 2, 2, 0, -1}},
    {"E", {0, 0, 1, 2, 2, 0}},
    {"Em", {0, 0, 0, 2, 2, 0}},
    {"D", {2, 3, 2, 0, -1, -1}},
    {"Dm", {1, 3, 2, 0, -1, -1}},
    {"C", {0, 1, 0, 2, 3, -1}},
    {"G", {3, 0, 0, 0, 2, 3}},
    {"F", {1, 1, 2, 3, 3, 1}},
    {"Bm", {2, 3, 4, 4, 2, -1}},
    {"A7", {0, 2, 0, 2, 0, -1}},
    {"Am7", {0, 1, 0, 2, 0, -1}},
    {"E7", {0, 0, 1, 0, 2, 0}},
    {"Em7", {0, 0, 0, 0, 2, 0}},
    {"D7", {2, 1, 2, 0, -1, -1}},
    {"Dm7", {1, 1, 2, 0, -1, -1}},
    {"C7", {0, 1, 3, 2, 3, -1}},
    {"G7", {1, 0, 0, 0, 2, 3}},
    {"F7", {1, 1, 2, 1, 3, 1}},
    {"Bm7", {2, 3, 2, 4, 2, -1}},
}};

// Open-string pitches as MIDI note numbers, string 1 .. string 6 (E4 B3 G3 D3 A2 E2).
inline constexpr std::array<int, 6> kOpenStringMidi{64, 59, 55, 50, 45, 40};

}  // namespace strumwell
