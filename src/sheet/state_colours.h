#pragma once
// The background colours that hold the state of the palette, the note-length and page selectors and
// the transport. State is read back by comparing a BackColor with these values exactly; any other
// value (the system colour &H80000005 included) means "not selected".

#include "platform/forms/forms.h"

namespace strumwell::colours {

using forms::Colour;
inline constexpr Colour kSelected = 0x000000FF;     // red: the selected palette item, 7th on, PAUSE
inline constexpr Colour kActive = 0x0000FFFF;       // yellow: note length, tab of the page on show
inline constexpr Colour kChoice = 0x0080C0FF;       // orange: palette mode, string, fret
inline constexpr Colour kIdle = 0x00E0E0E0;         // light grey
inline constexpr Colour kPlain = 0x00FFFFFF;        // white
inline constexpr Colour kMajorChord = 0x00C0FFFF;   // light yellow
inline constexpr Colour kMinorChord = 0x00C0E0FF;   // light orange
inline constexpr Colour kRestLabel = 0x00FFC0C0;    // light blue
inline constexpr Colour kSeventhOff = 0x00C0FFC0;   // light green
inline constexpr Colour kPlaying = 0x00C0C0FF;      // pink

// Colours without state meaning.
inline constexpr Colour kSpeedBar = 0x00FF8080;
inline constexpr Colour kFaster = 0x00C0FFC0;
inline constexpr Colour kSlower = 0x00C0C0FF;
inline constexpr Colour kUpdatePanel = 0x00C0C0C0;
inline constexpr Colour kFretText = 0x00004080;
inline constexpr Colour kBlueText = 0x00FF0000;
inline constexpr Colour kRedText = 0x000000FF;

}  // namespace strumwell::colours
