#include "platform/printer/printer.h"

#include <cstdio>

#include "platform/forms/scale_units.h"

namespace platform {

namespace {
std::string Number(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}
}  // namespace

float RecordingPrinter::ScaleWidth() const
{
    return forms::ConvertScale(widthHimetric, forms::vbHimetric, scaleMode, pixelsPerInch);
}

float RecordingPrinter::ScaleHeight() const
{
    return forms::ConvertScale(heightHimetric, forms::vbHimetric, scaleMode, pixelsPerInch);
}

float RecordingPrinter::ScaleX(float width, int fromScale, int toScale) const
{
    calls.push_back("ScaleX(" + Number(width) + ", " + std::to_string(fromScale) + ", " +
                    std::to_string(toScale) + ")");
    return forms::ConvertScale(width, fromScale, toScale, pixelsPerInch);
}

float RecordingPrinter::ScaleY(float height, int fromScale, int toScale) const
{
    calls.push_back("ScaleY(" + Number(height) + ", " + std::to_string(fromScale) + ", " +
                    std::to_string(toScale) + ")");
    return forms::ConvertScale(height, fromScale, toScale, pixelsPerInch);
}

void RecordingPrinter::PaintPicture(const forms::Picture& picture, float x, float y, float width,
                                    float height)
{
    calls.push_back("PaintPicture");
    paints.push_back({picture, x, y, width, height});
}

PrintOutcome RecordingPrinter::EndDoc()
{
    calls.push_back("EndDoc");
    return outcome;
}

}  // namespace platform
