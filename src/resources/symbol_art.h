#pragma once
// The program's symbol artwork: every picture of the symbol library, drawn pixel by pixel from
// small hand-made glyphs, so each call gives the same bytes on every machine (no fonts, no
// antialiasing). The main window calls these once at start to build its reference pictures.
//
// Tab staff pictures (cells, rest twins, barlines, clef) are 105 rows high and carry the six
// staff lines, one pixel high, on rows 17, 31, 43, 56, 69 and 83 (string 1 .. string 6), across
// the full width, so pictures placed 16 px apart join into one staff. Only rows 0..88 are shown
// in a cell, and everything that matters is drawn there.

#include <QImage>
#include <string_view>

namespace strumwell::art {

// Cell symbols: 16 x 105, QImage::Format_Mono, colour table {black, white}, black on white.
QImage Blank();
QImage CrotchetRest();
QImage QuaverRest();
// One of the 20 chord tokens ("A" .. "Bm7"): the voicing's fret number on each played string's
// line, unplayed strings bare. Any other token gives the bare staff.
QImage Chord(std::string_view token);
// String 1..6 (1 = high E) at fret 0..12: the fret number on that string's line. Out of range
// gives the bare staff.
QImage Note(int string1to6, int fret0to12);

// The red rest twins: 16 x 105, Format_RGB888, the rest sign in red (255,0,0) over the black staff.
QImage CrotchetRestRed();
QImage QuaverRestRed();

// Chord name: 16 x 30, Format_RGB888, blue (0,0,255) letters set one under the other on white
// ("A", "m", "7" from the top). Characters without a glyph are left out.
QImage ChordName(std::string_view token);

// Rhythm marks: 16 x 31, Format_Indexed8, light blue (166,202,240) or red (255,0,0) on white.
// All ink lies in rows 0..22, above the tab cells that the mark row overlaps. A Quaver1 and a
// Quaver2 placed 16 px apart join into one beam.
enum class Mark { Crotchet, Quaver1, Quaver2, QuaverTail };
QImage RhythmMark(Mark mark, bool red);

// Barlines, 16 x 105, Format_Mono: the staff ending in a repeat sign, the staff ending in a single
// bar line, and the plain barline between bars with the staff running through it.
QImage BarlineRepeat();
QImage BarlineContinue();
QImage BarlinePlain();

// The staff start: 34 x 105, Format_Mono, the letters T A B stacked, staff lines to the right edge.
// The letters lie within x 8..20, y 24..72, under the letter labels of the print previews.
QImage TabClef();

// The note-length box background: 235 x 76, Format_Indexed8, a pale panel with thin borders.
QImage NoteLengthBackground();

// The window icon: 32 x 32, Format_Indexed8 (colour index 0 is fully transparent).
QImage WindowIcon();

}  // namespace strumwell::art
