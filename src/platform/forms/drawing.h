#pragma once
// The design's values as the widget layer draws them: &H00BBGGRR colours, design fonts, pictures
// and texts of any length. Shared by the controls and the form, not part of the layer's interface.

#include <QColor>
#include <QPixmap>
#include <QString>

#include <string>

#include "platform/forms/forms.h"

namespace forms::detail {

QColor ToQColor(Colour colour);

inline QString ToQString(const std::string& text) { return QString::fromStdString(text); }

// A picture in the screen's own pixel format, made once per image: the symbols come in formats
// (one bit, indexed, 24-bit) that the painter would otherwise convert at every paint.
QPixmap ScreenPixmap(const QImage& image);

// A caption or tooltip as shown: a text of any length may be stored (a song file can bring one
// megabytes long), but laying out more than a screenful would freeze the window for nothing.
QString ShownText(const std::string& text);

}  // namespace forms::detail
