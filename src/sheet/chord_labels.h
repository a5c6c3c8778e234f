#pragma once
// The ten chord labels of the palette: the design gives each its caption and resting colour, the
// palette's handlers pick and sound its tokens.

#include <array>
#include <string_view>

#include "sheet/state_colours.h"
#include "sheet/strumwellfrm.h"

namespace strumwell {

struct Strumwellfrm::ChordLabel {
    Label PaletteWidgets::*label;  // named "lbl" + plain
    std::string_view caption;
    forms::Colour resting;
    std::string_view plain;  // token, picture pct<token>chord, clip <token>.swf
    std::string_view seventh;
};

// In the order the 7th toggle tests them; ChordRow names the rows.
enum ChordRow {
    kChordA, kChordE, kChordD, kChordG, kChordC, kChordF, kChordAm, kChordEm, kChordDm, kChordBm
};
inline constexpr std::array<Strumwellfrm::ChordLabel, 10> kChordLabels{{
    {&PaletteWidgets::lblA, " A", colours::kMajorChord, "A", "A7"},
    {&PaletteWidgets::lblE, " E", colours::kMajorChord, "E", "E7"},
    {&PaletteWidgets::lblD, " D", colours::kMajorChord, "D", "D7"},
    {&PaletteWidgets::lblG, " G", colours::kMajorChord, "G", "G7"},
    {&PaletteWidgets::lblC, " C", colours::kMajorChord, "C", "C7"},
    {&PaletteWidgets::lblF, " F", colours::kMajorChord, "F", "F7"},
    {&PaletteWidgets::lblAm, "Am", colours::kMinorChord, "Am", "Am7"},
    {&PaletteWidgets::lblEm, "Em", colours::kMinorChord, "Em", "Em7"},
    {&PaletteWidgets::lblDm, "Dm", colours::kMinorChord, "Dm", "Dm7"},
    {&PaletteWidgets::lblBm, "Bm", colours::kMinorChord, "Bm", "Bm7"},
}};

}  // namespace strumwell
