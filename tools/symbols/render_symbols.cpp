// render_symbols <folder>     writes every symbol as a PNG, plus contact sheets for review:
//                             sheet_1x.png (a whole page laid out as the main window places it),
//                             sheet_start_4x.png and sheet_end_4x.png (its ends, enlarged) and
//                             gallery_4x.png (every symbol side by side)
// render_symbols --ico <path> writes the window icon as a Windows .ico file
// render_symbols --icon-png <size> <path>
//                             writes the window icon as a square PNG of that many pixels, for the
//                             desktop's icon theme; may be given again for more sizes
// All may be given together. Exit status 1 on bad arguments or a file that cannot be written.

#include "ico_file.h"
#include "resources/chord_voicings.h"
#include "resources/symbol_art.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QString>

#include <array>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace art = strumwell::art;

namespace {

struct Named {
    QString name;
    QImage image;
};

const std::array<const char*, 6> kOrdinals{"1st", "2nd", "3rd", "4th", "5th", "6th"};

QString Text(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

std::vector<Named> AllSymbols()
{
    using art::Mark;
    std::vector<Named> all{
        {QStringLiteral("pctBlank"), art::Blank()},
        {QStringLiteral("pictureCrotchetRest"), art::CrotchetRest()},
        {QStringLiteral("pctQuaverRest"), art::QuaverRest()},
        {QStringLiteral("pctCrotchetRestRed"), art::CrotchetRestRed()},
        {QStringLiteral("pctQuaverRestRed"), art::QuaverRestRed()},
        {QStringLiteral("pctCrotchetBlue"), art::RhythmMark(Mark::Crotchet, false)},
        {QStringLiteral("pctQuaver1Blue"), art::RhythmMark(Mark::Quaver1, false)},
        {QStringLiteral("pctQuaver2Blue"), art::RhythmMark(Mark::Quaver2, false)},
        {QStringLiteral("pctQuaverTailBlue"), art::RhythmMark(Mark::QuaverTail, false)},
        {QStringLiteral("pctCrotchetRed"), art::RhythmMark(Mark::Crotchet, true)},
        {QStringLiteral("pctQuaver1Red"), art::RhythmMark(Mark::Quaver1, true)},
        {QStringLiteral("pctQuaver2red"), art::RhythmMark(Mark::Quaver2, true)},
        {QStringLiteral("pctQuaverTailRed"), art::RhythmMark(Mark::QuaverTail, true)},
        {QStringLiteral("pctBarlineRepeat"), art::BarlineRepeat()},
        {QStringLiteral("pctBarlineContinue"), art::BarlineContinue()},
        {QStringLiteral("imgBarline"), art::BarlinePlain()},
        {QStringLiteral("imgRest0_clef"), art::TabClef()},
        {QStringLiteral("Picture1_background"), art::NoteLengthBackground()},
        {QStringLiteral("window_icon"), art::WindowIcon()},
    };
    for (const auto& voicing : strumwell::kChordVoicings) {
        all.push_back({QStringLiteral("pct%1chord").arg(Text(voicing.token)), art::Chord(voicing.token)});
        all.push_back({QStringLiteral("pctChordName%1").arg(Text(voicing.token)), art::ChordName(voicing.token)});
    }
    int s = 0;  // strings 1 (high E) to 6, in the order of kOrdinals
    for (const char* ordinal : kOrdinals) {
        ++s;
        for (int f = 0; f <= 12; ++f)
            all.push_back({QStringLiteral("pct%1String_%2").arg(QLatin1String(ordinal)).arg(f), art::Note(s, f)});
    }
    return all;
}

// ----- A page as the window lays it out (pixels; 15 twips = 1 px) -----------------------------

struct DemoCell {
    QImage cell;
    std::optional<art::Mark> mark;
    std::string_view chordName;  // empty: no chord name above the cell
};

std::vector<DemoCell> DemoPage()
{
    using art::Mark;
    const QImage blank = art::Blank();
    auto chord = [](std::string_view t, std::optional<Mark> m) { return DemoCell{art::Chord(t), m, t}; };
    auto note = [](int s, int f, std::optional<Mark> m) { return DemoCell{art::Note(s, f), m, {}}; };
    return {
        chord("A", Mark::Crotchet), {blank, {}, {}}, chord("Am", Mark::Quaver1), chord("Am", Mark::Quaver2),
        {art::CrotchetRest(), {}, {}}, {blank, {}, {}}, chord("E", Mark::Quaver1), chord("Em7", Mark::Quaver2),
        note(1, 12, Mark::Quaver1), note(2, 10, Mark::Quaver2), note(3, 11, Mark::QuaverTail),
        {art::QuaverRest(), {}, {}}, note(6, 3, Mark::Crotchet), {blank, {}, {}}, note(5, 7, Mark::Quaver1),
        note(4, 9, Mark::Quaver2),
        chord("G", Mark::Crotchet), {blank, {}, {}}, chord("C", Mark::Crotchet), {blank, {}, {}},
        chord("F", Mark::Quaver1), chord("F7", Mark::Quaver2), chord("Bm", Mark::Crotchet), {blank, {}, {}},
        chord("Bm7", Mark::Crotchet), {blank, {}, {}}, chord("D7", Mark::Quaver1), chord("Dm7", Mark::Quaver2),
        chord("Dm", Mark::Crotchet), {blank, {}, {}}, {art::CrotchetRest(), {}, {}}, {blank, {}, {}},
    };
}

int CellLeft(int k) { return (1080 + 240 * (k - 1) + 240 * ((k - 1) / 8)) / 15; }

// Draws a picture box: its white background, then the picture clipped to the box.
void Box(QPainter& p, int left, int top, int width, int height, const QImage& picture)
{
    p.fillRect(left, top, width, height, Qt::white);
    p.drawImage(QPoint(left, top), picture, QRect(0, 0, width, height));
}

QImage PageSheet(bool continues)
{
    constexpr int originX = 40 - 8;   // the clef's left edge, less a margin
    constexpr int originY = 304 - 8; // the chord-name row's top, less a margin
    QImage sheet(624, 170, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    p.translate(-originX, -originY);
    const std::vector<DemoCell> page = DemoPage();
    // Created in the window's order: chord names, rhythm marks, then the tab row above them.
    for (int k = 1; k <= 32; ++k)
        if (const auto& c = page[static_cast<std::size_t>(k - 1)]; !c.chordName.empty())
            Box(p, CellLeft(k), 304, 17, 33, art::ChordName(c.chordName));
    for (int k = 1; k <= 32; ++k)
        if (const auto& c = page[static_cast<std::size_t>(k - 1)]; c.mark)
            Box(p, CellLeft(k), 336, 17, 33, art::RhythmMark(*c.mark, false));
    Box(p, 40, 360, 33, 89, art::TabClef());
    for (int k = 1; k <= 32; ++k)
        Box(p, CellLeft(k), 360, 17, 89, page[static_cast<std::size_t>(k - 1)].cell);
    for (int left : {200, 344, 488})
        Box(p, left, 360, 16, 89, art::BarlinePlain());
    Box(p, 632, 360, 16, 97, continues ? art::BarlineContinue() : art::BarlineRepeat());
    return sheet;
}

QImage Enlarge(const QImage& image, int factor)
{
    return image.scaled(image.width() * factor, image.height() * factor, Qt::IgnoreAspectRatio,
                        Qt::FastTransformation);
}

// Every symbol on a grey ground, 4 px apart, rows by family.
QImage Gallery()
{
    using art::Mark;
    std::vector<std::vector<QImage>> rows;
    for (int s = 1; s <= 6; ++s) {
        rows.emplace_back();
        for (int f = 0; f <= 12; ++f)
            rows.back().push_back(art::Note(s, f));
    }
    rows.emplace_back();
    for (const auto& v : strumwell::kChordVoicings)
        rows.back().push_back(art::Chord(v.token));
    rows.emplace_back();
    for (const auto& v : strumwell::kChordVoicings)
        rows.back().push_back(art::ChordName(v.token));
    rows.emplace_back();
    for (bool red : {false, true})
        for (Mark m : {Mark::Crotchet, Mark::Quaver1, Mark::Quaver2, Mark::QuaverTail})
            rows.back().push_back(art::RhythmMark(m, red));
    rows.push_back({art::TabClef(), art::Blank(), art::CrotchetRest(), art::QuaverRest(), art::CrotchetRestRed(),
                    art::QuaverRestRed(), art::BarlinePlain(), art::BarlineContinue(), art::BarlineRepeat()});
    rows.push_back({art::WindowIcon(), art::NoteLengthBackground()});

    constexpr int gap = 4;
    int width = 0;
    int height = gap;
    for (const auto& row : rows) {
        int w = gap;
        int h = 0;
        for (const QImage& img : row) {
            w += img.width() + gap;
            h = std::max(h, img.height());
        }
        width = std::max(width, w);
        height += h + gap;
    }
    QImage sheet(width, height, QImage::Format_RGB32);
    sheet.fill(QColor(128, 128, 128));
    QPainter p(&sheet);
    int y = gap;
    for (const auto& row : rows) {
        int x = gap;
        int h = 0;
        for (const QImage& img : row) {
            p.drawImage(x, y, img);
            x += img.width() + gap;
            h = std::max(h, img.height());
        }
        y += h + gap;
    }
    return sheet;
}

bool Save(const QImage& image, const QString& path)
{
    if (image.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "render_symbols: cannot write %s\n", qPrintable(path));
    return false;
}

bool WritePngs(const QString& folder)
{
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "render_symbols: cannot create %s\n", qPrintable(folder));
        return false;
    }
    const QDir dir(folder);
    bool ok = true;
    for (const Named& symbol : AllSymbols())
        ok = Save(symbol.image, dir.filePath(symbol.name + QStringLiteral(".png"))) && ok;
    const QImage page = PageSheet(false);
    ok = Save(page, dir.filePath(QStringLiteral("sheet_1x.png"))) && ok;
    ok = Save(PageSheet(true), dir.filePath(QStringLiteral("sheet_continue_1x.png"))) && ok;
    ok = Save(Enlarge(page.copy(0, 0, 240, 170), 4), dir.filePath(QStringLiteral("sheet_start_4x.png"))) && ok;
    ok = Save(Enlarge(page.copy(440, 0, 184, 170), 4), dir.filePath(QStringLiteral("sheet_end_4x.png"))) && ok;
    ok = Save(Enlarge(Gallery(), 4), dir.filePath(QStringLiteral("gallery_4x.png"))) && ok;
    return ok;
}

bool WriteIco(const QString& path)
{
    QFile file(path);
    const QByteArray bytes = strumwell::tools::EncodeIco(art::WindowIcon());
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush())
        return true;
    std::fprintf(stderr, "render_symbols: cannot write %s\n", qPrintable(path));
    return false;
}

// The window icon at `size` pixels. Whole multiples of its own size keep the hand-set pixels
// sharp; other sizes are smoothed down from the largest sharp enlargement.
QImage IconAtSize(int size)
{
    const QImage icon = art::WindowIcon().convertToFormat(QImage::Format_ARGB32);
    if (size % icon.width() == 0) return Enlarge(icon, size / icon.width());
    return Enlarge(icon, 8).scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

bool WriteIconPng(int size, const QString& path)
{
    const QString folder = QFileInfo(path).path();
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "render_symbols: cannot create %s\n", qPrintable(folder));
        return false;
    }
    return Save(IconAtSize(size), path);
}

struct IconPng {
    int size;
    QString path;
};

}  // namespace

int main(int argc, char** argv)
{
    std::optional<QString> folder;
    std::optional<QString> ico;
    std::vector<IconPng> pngs;
    const char* usage = "usage: render_symbols [<png folder>] [--ico <path>] [--icon-png <size> <path>]...\n";
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        bool sized = false;
        if (arg == QLatin1String("--ico") && i + 1 < argc)
            ico = QString::fromLocal8Bit(argv[++i]);
        else if (arg == QLatin1String("--icon-png") && i + 2 < argc) {
            const int size = QString::fromLocal8Bit(argv[++i]).toInt(&sized);
            if (!sized || size < 1 || size > 1024) {
                std::fprintf(stderr, "%s", usage);
                return 1;
            }
            pngs.push_back({size, QString::fromLocal8Bit(argv[++i])});
        } else if (!arg.startsWith(QLatin1Char('-')) && !folder)
            folder = arg;
        else {
            std::fprintf(stderr, "%s", usage);
            return 1;
        }
    }
    if (!folder && !ico && pngs.empty()) {
        std::fprintf(stderr, "%s", usage);
        return 1;
    }
    bool ok = true;
    if (folder)
        ok = WritePngs(*folder) && ok;
    if (ico)
        ok = WriteIco(*ico) && ok;
    for (const IconPng& png : pngs) ok = WriteIconPng(png.size, png.path) && ok;
    return ok ? 0 : 1;
}
