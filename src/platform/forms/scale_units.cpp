#include "platform/forms/scale_units.h"

#include <stdexcept>
#include <string>

namespace forms {

namespace {
double UnitsPerInch(int unit, double pixelsPerInch)
{
    switch (unit) {
    case vbTwips: return kTwipsPerInch;
    case vbPoints: return kPointsPerInch;
    case vbPixels: return pixelsPerInch;
    case vbInches: return 1.0;
    case vbMillimeters: return 25.4;
    case vbCentimeters: return 2.54;
    case vbHimetric: return 2540.0;
    default: throw std::invalid_argument("unknown scale unit " + std::to_string(unit));
    }
}
}  // namespace

float ConvertScale(float value, int from, int to, double pixelsPerInch)
{
    const double inches = static_cast<double>(value) / UnitsPerInch(from, pixelsPerInch);
    return static_cast<float>(inches * UnitsPerInch(to, pixelsPerInch));
}

}  // namespace forms
