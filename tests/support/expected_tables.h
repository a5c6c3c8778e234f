#pragma once
// The sheet's tables written out by hand, to test the code that derives them against.

#include <array>

namespace strumwell::testing {

// [string-1][fret]: the note token of each string and fret.
inline const std::array<std::array<const char*, 13>, 6> kNoteTokens{{
    {"E 1st String", "F 1st String", "F# 1st String", "G 1st String", "G# 1st String", "A 1st String", "A# 1st String", "B 1st String", "C 1st String", "C# 1st String", "D 1st String", "D# 1st String", "Top E 1st String"},
    {"B 2nd String", "C 2nd String", "C# 2nd String", "D 2nd String", "D# 2nd String", "E 2nd String", "F 2nd String", "F# 2nd String", "G 2nd String", "G# 2nd String", "A 2nd String", "A# 2nd String", "Top B 2nd String"},
    {"G 3rd String", "G# 3rd String", "A 3rd String", "A# 3rd String", "B 3rd String", "C 3rd String", "C# 3rd String", "D 3rd String", "D# 3rd String", "E 3rd String", "F 3rd String", "F# 3rd String", "Top G 3rd String"},
    {"D 4th String", "D# 4th String", "E 4th String", "F 4th String", "F# 4th String", "G 4th String", "G# 4th String", "A 4th String", "A# 4th String", "B 4th String", "C 4th String", "C# 4th String", "Top D 4th String"},
    {"A 5th String", "A# 5th String", "B 5th String", "C 5th String", "C# 5th String", "D 5th String", "D# 5th String", "E 5th String", "F 5th String", "F# 5th String", "G 5th String", "G# 5th String", "Top A 5th String"},
    {"E 6th String", "F 6th String", "F# 6th String", "G 6th String", "G# 6th String", "A 6th String", "A# 6th String", "B 6th String", "C 6th String", "C# 6th String", "D 6th String", "D# 6th String", "Top E 6th String"},
}};

// [fret][string-1]: the caption of each fret button.
inline const std::array<std::array<const char*, 6>, 13> kFretCaptions{{
    {" E   0", " B   0", " G   0", " D   0", " A   0", " E   0"},
    {" F   1", " C   1", "G#  1", "D#  1", "A#  1", " F   1"},
    {"F#  2", "C#  2", " A   2", " E   2", " B   2", "F#  2"},
    {" G   3", " D   3", "A#  3", " F   3", " C   3", " G   3"},
    {"G#  4", "D#  4", " B   4", "F#  4", "C#  4", "G#  4"},
    {" A   5", " E   5", " C   5", " G   5", " D   5", " A   5"},
    {"A#  6", " F   6", "C#  6", "G#  6", "D#  6", "A#  6"},
    {" B   7", "F#  7", " D   7", " A   7", " E   7", " B   7"},
    {" C   8", " G   8", "D#  8", "A#  8", " F   8", " C   8"},
    {"C#  9", "G#  9", " E   9", " B   9", "F#  9", "C#  9"},
    {" D  10", " A  10", " F  10", " C  10", " G  10", " D  10"},
    {"D# 11", "A# 11", "F# 11", "C# 11", "G# 11", "D# 11"},
    {" E  12", " B  12", " G  12", " D  12", " A  12", " E  12"},
}};

// [fret][string-1]: the clip file of each string and fret.
inline const std::array<std::array<const char*, 6>, 13> kNoteClips{{
    {"1stStringE.swf", "2ndStringB.swf", "3rdStringG.swf", "4thStringD.swf", "5thStringA.swf", "6thStringE.swf"},
    {"1stStringF.swf", "2ndStringC.swf", "3rdStringG#.swf", "4thStringD#.swf", "5thStringA#.swf", "6thStringF.swf"},
    {"1stStringF#.swf", "2ndStringC#.swf", "3rdStringA.swf", "4thStringE.swf", "5thStringB.swf", "6thStringF#.swf"},
    {"1stStringG.swf", "2ndStringD.swf", "3rdStringA#.swf", "4thStringF.swf", "5thStringC.swf", "6thStringG.swf"},
    {"1stStringG#.swf", "2ndStringD#.swf", "3rdStringB.swf", "4thStringF#.swf", "5thStringC#.swf", "6thStringG#.swf"},
    {"1stStringA.swf", "2ndStringE.swf", "3rdStringC.swf", "4thStringG.swf", "5thStringD.swf", "6thStringA.swf"},
    {"1stStringA#.swf", "2ndStringF.swf", "3rdStringC#.swf", "4thStringG#.swf", "5thStringD#.swf", "6thStringA#.swf"},
    {"1stStringB.swf", "2ndStringF#.swf", "3rdStringD.swf", "4thStringA.swf", "5thStringE.swf", "6thStringB.swf"},
    {"1stStringC.swf", "2ndStringG.swf", "3rdStringD#.swf", "4thStringA#.swf", "5thStringF.swf", "6thStringC.swf"},
    {"1stStringC#.swf", "2ndStringG#.swf", "3rdStringE.swf", "4thStringB.swf", "5thStringF#.swf", "6thStringC#.swf"},
    {"1stStringD.swf", "2ndStringA.swf", "3rdStringF.swf", "4thStringC.swf", "5thStringG.swf", "6thStringD.swf"},
    {"1stStringD#.swf", "2ndStringA#.swf", "3rdStringF#.swf", "4thStringC#.swf", "5thStringG#.swf", "6thStringD#.swf"},
    {"1stStringTopE.swf", "2ndStringTopB.swf", "3rdStringTopG.swf", "4thStringTopD.swf", "5thStringTopA.swf", "6thStringTopE.swf"},
}};

}  // namespace strumwell::testing
