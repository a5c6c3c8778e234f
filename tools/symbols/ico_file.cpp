#include "ico_file.h"

#include <QtEndian>

namespace strumwell::tools {

namespace {

void Put16(QByteArray& out, quint16 value)
{
    const quint16 le = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&le), sizeof le);
}

void Put32(QByteArray& out, quint32 value)
{
    const quint32 le = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&le), sizeof le);
}

constexpr int kHeaderSize = 6;
constexpr int kEntrySize = 16;
constexpr int kInfoSize = 40;
constexpr int kPaletteEntries = 256;

int Padded32(int bytes) { return (bytes + 3) / 4 * 4; }

}  // namespace

QByteArray EncodeIco(const QImage& source)
{
    const QImage image = source.format() == QImage::Format_Indexed8
                             ? source
                             : source.convertToFormat(QImage::Format_Indexed8);
    const int width = image.width();
    const int height = image.height();
    const int pixelRow = Padded32(width);
    const int maskRow = Padded32((width + 7) / 8);
    const int bitmapSize = kInfoSize + kPaletteEntries * 4 + pixelRow * height + maskRow * height;

    QByteArray out;
    out.reserve(kHeaderSize + kEntrySize + bitmapSize);
    // Icon directory with one entry; 0 stands for 256 in the size and colour-count bytes.
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, 1);
    out.append(static_cast<char>(width >= 256 ? 0 : width));
    out.append(static_cast<char>(height >= 256 ? 0 : height));
    out.append(static_cast<char>(0));
    out.append(static_cast<char>(0));
    Put16(out, 1);
    Put16(out, 8);
    Put32(out, static_cast<quint32>(bitmapSize));
    Put32(out, kHeaderSize + kEntrySize);

    // The bitmap header counts the height twice: the colour rows and the mask rows.
    Put32(out, kInfoSize);
    Put32(out, static_cast<quint32>(width));
    Put32(out, static_cast<quint32>(height * 2));
    Put16(out, 1);
    Put16(out, 8);
    Put32(out, 0);
    Put32(out, static_cast<quint32>(pixelRow * height + maskRow * height));
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);

    const QList<QRgb> table = image.colorTable();
    for (int i = 0; i < kPaletteEntries; ++i) {
        const QRgb c = i < table.size() ? table[i] : qRgb(0, 0, 0);
        out.append(static_cast<char>(qBlue(c)));
        out.append(static_cast<char>(qGreen(c)));
        out.append(static_cast<char>(qRed(c)));
        out.append(static_cast<char>(0));
    }

    // Rows run from the bottom up.
    for (int y = height - 1; y >= 0; --y) {
        const uchar* line = image.constScanLine(y);
        out.append(reinterpret_cast<const char*>(line), width);
        out.append(QByteArray(pixelRow - width, '\0'));
    }
    for (int y = height - 1; y >= 0; --y) {
        QByteArray mask(maskRow, '\0');
        for (int x = 0; x < width; ++x)
            if (qAlpha(image.pixel(x, y)) < 128)
                mask[x / 8] = static_cast<char>(mask[x / 8] | (0x80 >> (x % 8)));
        out.append(mask);
    }
    return out;
}

}  // namespace strumwell::tools
