#pragma once
// The artwork of every symbol of the sheet and the palette, drawn pixel by pixel so that it is the
// same on every machine. Used once at start to build the window's hidden reference pictures.

#include <QImage>
#include <string_view>

namespace strumwell::art {

// Cell symbols: 16 x 105, 1 bit per pixel, black on white, six staff lines on rows 17, 31, 43, 56,
// 69 and 83 (string 1 at the top).
QImage Blank();
QImage CrotchetRest();
QImage QuaverRest();
QImage Chord(std::string_view token);
QImage Note(int string, int fret);

// Red rest twins: 16 x 105, 24 bits per pixel.
QImage CrotchetRestRed();
QImage QuaverRestRed();

// Chord-name symbols: 16 x 30, 24 bits per pixel, blue letters one under the other.
QImage ChordName(std::string_view token);

// Rhythm marks: 16 x 31, 8 bits per pixel, light blue or red.
enum class Mark { Crotchet, Quaver1, Quaver2, QuaverTail };
QImage RhythmMark(Mark mark, bool red);

// Barlines: 16 x 105.
QImage BarlineRepeat();
QImage BarlineContinue();
QImage BarlinePlain();

QImage TabClef();              // 34 x 105
QImage NoteLengthBackground(); // 235 x 76, 8 bits per pixel
QImage WindowIcon();           // 32 x 32, 256 colours

}  // namespace strumwell::art
