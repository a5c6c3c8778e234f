#include "platform/forms/drawing.h"

#include <QApplication>
#include <QFontDatabase>
#include <QImage>
#include <QPalette>
#include <QPixmapCache>

#include <algorithm>
#include <cmath>

namespace forms {

namespace {

constexpr Colour kSystemColourBit = 0x80000000u;

// A system colour is known by its number, the low byte: the button face is number 15.
constexpr Colour SystemColourNumber(Colour colour) { return colour & 0xFFu; }

int Himetric(double devicePixels) { return static_cast<int>(std::lround(devicePixels * 2540.0 / kScreenPixelsPerInch)); }

}  // namespace

int TwipsToPixels(int twips)
{
    return static_cast<int>(std::lround(static_cast<double>(twips) / kTwipsPerPixel));
}

Picture::Picture(const QImage& image) : image_(std::make_shared<const QImage>(image)) {}

int Picture::Width() const { return image_ ? Himetric(image_->deviceIndependentSize().width()) : 0; }
int Picture::Height() const { return image_ ? Himetric(image_->deviceIndependentSize().height()) : 0; }

std::uint32_t ResolveColour(Colour colour)
{
    if (colour & kSystemColourBit) {
        // Only the window background and the button face occur in the design.
        const QPalette palette = QApplication::palette();
        const QColor c = SystemColourNumber(colour) == SystemColourNumber(kSystemButtonColour)
                             ? palette.color(QPalette::Button)
                             : palette.color(QPalette::Base);
        return static_cast<std::uint32_t>(c.red()) | (static_cast<std::uint32_t>(c.green()) << 8) |
               (static_cast<std::uint32_t>(c.blue()) << 16);
    }
    return colour & 0xFFFFFFu;
}

QFont DesignFont(const Font& font)
{
    static const bool hasVerdana = QFontDatabase::hasFamily(QStringLiteral("Verdana"));
    static const bool hasArial = QFontDatabase::hasFamily(QStringLiteral("Arial"));
    QString family;
    if (font.name == "Verdana")
        family = hasVerdana ? QStringLiteral("Verdana") : QStringLiteral("DejaVu Sans");
    else  // Arial, and MS Sans Serif, which has Arial's widths
        family = hasArial ? QStringLiteral("Arial") : QStringLiteral("Liberation Sans");
    QFont f(family);
    f.setPixelSize(static_cast<int>(std::lround(font.points * kScreenPixelsPerInch / kPointsPerInch)));
    f.setBold(font.bold);
    f.setStyleStrategy(QFont::PreferDefault);
    return f;
}

namespace detail {

QColor ToQColor(Colour colour)
{
    const std::uint32_t bgr = ResolveColour(colour);
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

QPixmap ScreenPixmap(const QImage& image)
{
    const QString key = QStringLiteral("forms-picture-%1").arg(image.cacheKey());
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        pixmap = QPixmap::fromImage(image);
        QPixmapCache::insert(key, pixmap);
    }
    return pixmap;
}

QString ShownText(const std::string& text)
{
    constexpr std::size_t kShown = 500;  // UTF-16 units; a UTF-8 character takes at most 4 bytes
    if (text.size() <= kShown) return ToQString(text);
    QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(std::min(text.size(), 4 * kShown)));
    if (static_cast<std::size_t>(shown.size()) <= kShown && text.size() <= 4 * kShown) return shown;
    qsizetype cut = std::min(shown.size(), static_cast<qsizetype>(kShown));
    if (shown.at(cut - 1).isHighSurrogate()) --cut;
    shown.truncate(cut);
    return shown + QChar(0x2026);
}

}  // namespace detail

}  // namespace forms
