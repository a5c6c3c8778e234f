#pragma once
// Scale units of windows and the printer, by the codes ScaleMode, ScaleX and ScaleY take. Pixels
// depend on the device: 96 to the inch on the screen (15 twips each), the printer's resolution on
// paper.

namespace forms {

inline constexpr int vbTwips = 1;
inline constexpr int vbPoints = 2;
inline constexpr int vbPixels = 3;
inline constexpr int vbInches = 5;
inline constexpr int vbMillimeters = 6;
inline constexpr int vbCentimeters = 7;
inline constexpr int vbHimetric = 8;  // hundredths of a millimetre

inline constexpr double kTwipsPerInch = 1440.0;
inline constexpr double kPointsPerInch = 72.0;
inline constexpr double kScreenPixelsPerInch = 96.0;
// A screen pixel in twips: 15.
inline constexpr int kTwipsPerPixel = static_cast<int>(kTwipsPerInch / kScreenPixelsPerInch);

// `value` in unit `from` converted to unit `to`, pixels being 1/pixelsPerInch of an inch. An unknown
// unit code throws std::invalid_argument.
float ConvertScale(float value, int from, int to, double pixelsPerInch = kScreenPixelsPerInch);

}  // namespace forms
