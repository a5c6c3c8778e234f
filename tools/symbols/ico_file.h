#pragma once
// Windows icon files, written by hand so that no image plugin is needed: one image entry holding
// an 8-bit bitmap with its 256-colour table and a transparency mask.

#include <QByteArray>
#include <QImage>

namespace strumwell::tools {

// The .ico bytes for an image of at most 256 x 256 pixels. Colours whose alpha is below 128 are
// transparent in the mask. Images that are not 8-bit indexed are converted first.
QByteArray EncodeIco(const QImage& image);

}  // namespace strumwell::tools
