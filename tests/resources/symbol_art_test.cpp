// The symbol artwork: sizes and formats, the staff that joins from cell to cell, fret numbers on
// exactly the strings a chord sounds, the fixed colours, beams that meet, and the song-file icon
// that the build writes into drive C.

#include "resources/chord_voicings.h"
#include "resources/symbol_art.h"

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QRect>
#include <QString>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace art = strumwell::art;
using art::Mark;

namespace {

constexpr std::array<int, 6> kStringRows{17, 31, 43, 56, 69, 83};
constexpr int kShownRows = 89;  // a tab cell shows rows 0..88

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);
const QRgb kLightBlue = qRgb(166, 202, 240);

QRgb At(const QImage& image, int x, int y) { return image.pixel(x, y) | 0xFF000000u; }
bool Ink(const QImage& image, int x, int y) { return At(image, x, y) != kWhite; }

bool RowAllBlack(const QImage& image, int row, int fromX, int toX)
{
    for (int x = fromX; x <= toX; ++x)
        if (At(image, x, row) != kBlack)
            return false;
    return true;
}

// The pixels of rows [top, bottom] as text, so a mismatch prints readably.
std::string Band(const QImage& image, int top, int bottom)
{
    std::string out;
    for (int y = top; y <= bottom; ++y) {
        for (int x = 0; x < image.width(); ++x)
            out += Ink(image, x, y) ? '#' : '.';
        out += '\n';
    }
    return out;
}

std::string StringBand(const QImage& image, int string1to6)
{
    const int line = kStringRows[static_cast<std::size_t>(string1to6 - 1)];
    return Band(image, line - 5, line + 5);
}

std::set<QRgb> Colours(const QImage& image)
{
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(At(image, x, y));
    return colours;
}

QByteArray Bytes(const QImage& image)
{
    QByteArray bytes(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
    for (QRgb c : image.colorTable())
        bytes.append(reinterpret_cast<const char*>(&c), sizeof c);
    return bytes;
}

struct Symbol {
    std::string name;
    std::function<QImage()> make;
    int width;
    int height;
    QImage::Format format;
};

std::vector<Symbol> AllSymbols()
{
    std::vector<Symbol> all{
        {"Blank", art::Blank, 16, 105, QImage::Format_Mono},
        {"CrotchetRest", art::CrotchetRest, 16, 105, QImage::Format_Mono},
        {"QuaverRest", art::QuaverRest, 16, 105, QImage::Format_Mono},
        {"CrotchetRestRed", art::CrotchetRestRed, 16, 105, QImage::Format_RGB888},
        {"QuaverRestRed", art::QuaverRestRed, 16, 105, QImage::Format_RGB888},
        {"BarlineRepeat", art::BarlineRepeat, 16, 105, QImage::Format_Mono},
        {"BarlineContinue", art::BarlineContinue, 16, 105, QImage::Format_Mono},
        {"BarlinePlain", art::BarlinePlain, 16, 105, QImage::Format_Mono},
        {"TabClef", art::TabClef, 34, 105, QImage::Format_Mono},
        {"NoteLengthBackground", art::NoteLengthBackground, 235, 76, QImage::Format_Indexed8},
        {"WindowIcon", art::WindowIcon, 32, 32, QImage::Format_Indexed8},
    };
    for (bool red : {false, true})
        for (Mark m : {Mark::Crotchet, Mark::Quaver1, Mark::Quaver2, Mark::QuaverTail})
            all.push_back({"RhythmMark" + std::to_string(static_cast<int>(m)) + (red ? "red" : "blue"),
                           [m, red] { return art::RhythmMark(m, red); }, 16, 31, QImage::Format_Indexed8});
    for (const auto& v : strumwell::kChordVoicings) {
        const std::string token(v.token);
        all.push_back({"Chord " + token, [token] { return art::Chord(token); }, 16, 105, QImage::Format_Mono});
        all.push_back({"ChordName " + token, [token] { return art::ChordName(token); }, 16, 30,
                       QImage::Format_RGB888});
    }
    for (int s = 1; s <= 6; ++s)
        for (int f = 0; f <= 12; ++f)
            all.push_back({"Note " + std::to_string(s) + "/" + std::to_string(f),
                           [s, f] { return art::Note(s, f); }, 16, 105, QImage::Format_Mono});
    return all;
}

// The 16 x 105 cell symbols, with the string whose line a fret number interrupts (0: none).
struct Cell {
    std::string name;
    QImage image;
    std::set<int> frettedStrings;
};

std::vector<Cell> CellSymbols()
{
    std::vector<Cell> cells{{"Blank", art::Blank(), {}},
                            {"CrotchetRest", art::CrotchetRest(), {}},
                            {"QuaverRest", art::QuaverRest(), {}},
                            {"BarlinePlain", art::BarlinePlain(), {}}};
    for (const auto& v : strumwell::kChordVoicings) {
        std::set<int> played;
        for (int s = 0; s < 6; ++s)
            if (v.frets[static_cast<std::size_t>(s)] >= 0)
                played.insert(s + 1);
        cells.push_back({"Chord " + std::string(v.token), art::Chord(v.token), played});
    }
    for (int s = 1; s <= 6; ++s)
        for (int f = 0; f <= 12; ++f)
            cells.push_back({"Note " + std::to_string(s) + "/" + std::to_string(f), art::Note(s, f), {s}});
    return cells;
}

TEST(SymbolArt, EverySymbolHasItsSizeAndFormatAndIsTheSameOnEveryCall)
{
    for (const Symbol& symbol : AllSymbols()) {
        SCOPED_TRACE(symbol.name);
        const QImage first = symbol.make();
        EXPECT_EQ(first.width(), symbol.width);
        EXPECT_EQ(first.height(), symbol.height);
        EXPECT_EQ(first.format(), symbol.format);
        EXPECT_EQ(Bytes(first), Bytes(symbol.make()));
    }
    EXPECT_EQ(art::Blank().colorTable(), (QList<QRgb>{0xFF000000u, 0xFFFFFFFFu}));
    EXPECT_EQ(art::WindowIcon().colorTable().size(), 256);
}

TEST(SymbolArt, StaffLinesRunAcrossEveryCellExceptWhereAFretNumberStands)
{
    for (const Cell& cell : CellSymbols()) {
        SCOPED_TRACE(cell.name);
        for (int s = 1; s <= 6; ++s) {
            const int row = kStringRows[static_cast<std::size_t>(s - 1)];
            if (cell.frettedStrings.count(s)) {
                EXPECT_FALSE(RowAllBlack(cell.image, row, 0, 15)) << "string " << s << " not interrupted";
                // The line still reaches both edges, so it joins the neighbouring cells.
                EXPECT_EQ(At(cell.image, 0, row), kBlack);
                EXPECT_EQ(At(cell.image, 15, row), kBlack);
            } else {
                EXPECT_TRUE(RowAllBlack(cell.image, row, 0, 15)) << "string " << s;
            }
        }
        // Nothing but the staff touches the edges, and nothing lies below the shown rows.
        for (int y = 0; y < cell.image.height(); ++y) {
            const bool staffRow = std::find(kStringRows.begin(), kStringRows.end(), y) != kStringRows.end();
            EXPECT_EQ(Ink(cell.image, 0, y), staffRow) << "row " << y;
            EXPECT_EQ(Ink(cell.image, 15, y), staffRow) << "row " << y;
        }
        EXPECT_EQ(Band(cell.image, kShownRows, 104), Band(art::Blank(), kShownRows, 104));
    }
}

TEST(SymbolArt, RestSignsStandBetweenTheStaffLinesInTheShownRows)
{
    for (const QImage& rest : {art::CrotchetRest(), art::QuaverRest()}) {
        EXPECT_NE(Bytes(rest), Bytes(art::Blank()));
        EXPECT_EQ(Band(rest, 0, 30), Band(art::Blank(), 0, 30));
        EXPECT_EQ(Band(rest, 70, 104), Band(art::Blank(), 70, 104));
    }
    EXPECT_NE(Bytes(art::CrotchetRest()), Bytes(art::QuaverRest()));
}

TEST(SymbolArt, ChordPicturesShowTheVoicingFretsOnThePlayedStringsOnly)
{
    const QImage blank = art::Blank();
    for (const auto& v : strumwell::kChordVoicings) {
        SCOPED_TRACE(std::string(v.token));
        const QImage chord = art::Chord(v.token);
        for (int s = 1; s <= 6; ++s) {
            const int fret = v.frets[static_cast<std::size_t>(s - 1)];
            const QImage expected = fret >= 0 ? art::Note(s, fret) : blank;
            EXPECT_EQ(StringBand(chord, s), StringBand(expected, s)) << "string " << s << " fret " << fret;
        }
    }
}

TEST(SymbolArt, FretNumbersAreDistinctAndCentredOnTheirLine)
{
    const QImage blank = art::Blank();
    for (int s = 1; s <= 6; ++s) {
        const int line = kStringRows[static_cast<std::size_t>(s - 1)];
        std::set<std::string> seen;
        for (int f = 0; f <= 12; ++f) {
            SCOPED_TRACE("string " + std::to_string(s) + " fret " + std::to_string(f));
            const QImage note = art::Note(s, f);
            EXPECT_TRUE(seen.insert(StringBand(note, s)).second) << "looks like another fret";
            // The digits change only rows line-3 .. line+3 and use both the top and bottom one.
            EXPECT_EQ(Band(note, 0, line - 4), Band(blank, 0, line - 4));
            EXPECT_EQ(Band(note, line + 4, 104), Band(blank, line + 4, 104));
            EXPECT_NE(Band(note, line - 3, line - 3), Band(blank, line - 3, line - 3));
            EXPECT_NE(Band(note, line + 3, line + 3), Band(blank, line + 3, line + 3));
        }
    }
}

TEST(SymbolArt, UnknownTokensAndOutOfRangeNotesGiveTheBareStaff)
{
    const QByteArray blank = Bytes(art::Blank());
    for (std::string_view token : {"", "a", "am", "A ", " A", "Tab", "H7"})
        EXPECT_EQ(Bytes(art::Chord(token)), blank) << token;
    for (auto [s, f] : std::vector<std::pair<int, int>>{{0, 3}, {7, 3}, {1, -1}, {1, 13}})
        EXPECT_EQ(Bytes(art::Note(s, f)), blank) << s << "/" << f;
    EXPECT_EQ(Colours(art::ChordName("x")), std::set<QRgb>{kWhite});
}

TEST(SymbolArt, RedRestTwinsAreTheRestSignInRedOverTheBlackStaff)
{
    const std::array<std::pair<QImage, QImage>, 2> twins{{{art::CrotchetRest(), art::CrotchetRestRed()},
                                                           {art::QuaverRest(), art::QuaverRestRed()}}};
    for (const auto& [mono, red] : twins) {
        EXPECT_EQ(Colours(red), (std::set<QRgb>{kWhite, kBlack, kRed}));
        for (int y = 0; y < 105; ++y)
            for (int x = 0; x < 16; ++x) {
                EXPECT_EQ(Ink(mono, x, y), Ink(red, x, y)) << x << "," << y;
                const bool staffRow = std::find(kStringRows.begin(), kStringRows.end(), y) != kStringRows.end();
                if (Ink(red, x, y) && !staffRow) {
                    EXPECT_EQ(At(red, x, y), kRed) << x << "," << y;
                }
                if (At(red, x, y) == kBlack) {
                    EXPECT_TRUE(staffRow) << x << "," << y;
                }
            }
    }
}

TEST(SymbolArt, ChordNamesAreBlueLettersOneUnderTheOther)
{
    // Letter slots from the top: rows 2..8, 11..17, 20..26.
    const std::array<std::pair<int, int>, 3> slots{{{2, 8}, {11, 17}, {20, 26}}};
    for (const auto& v : strumwell::kChordVoicings) {
        SCOPED_TRACE(std::string(v.token));
        const QImage name = art::ChordName(v.token);
        EXPECT_EQ(Colours(name), (std::set<QRgb>{kWhite, kBlue}));
        const std::string blankRow(16, '.');
        for (std::size_t i = 0; i < slots.size(); ++i) {
            const std::string band = Band(name, slots[i].first, slots[i].second);
            const bool used = i < v.token.size();
            EXPECT_EQ(band.find('#') != std::string::npos, used) << "slot " << i;
        }
    }
    // The same letter looks the same wherever it stands: "A" heads "A", "Am", "A7" and "Am7".
    const std::string a = Band(art::ChordName("A"), 0, 9);
    for (std::string_view token : {"Am", "A7", "Am7"})
        EXPECT_EQ(Band(art::ChordName(token), 0, 9), a) << token;
    EXPECT_EQ(Band(art::ChordName("Am7"), 19, 29), Band(art::ChordName("Bm7"), 19, 29));
    EXPECT_NE(Band(art::ChordName("A7"), 10, 18), Band(art::ChordName("Am"), 10, 18));
}

TEST(SymbolArt, RhythmMarksAreLightBlueOrRedWithTheSameShapes)
{
    for (Mark m : {Mark::Crotchet, Mark::Quaver1, Mark::Quaver2, Mark::QuaverTail}) {
        SCOPED_TRACE(static_cast<int>(m));
        const QImage blue = art::RhythmMark(m, false);
        const QImage red = art::RhythmMark(m, true);
        EXPECT_EQ(Colours(blue), (std::set<QRgb>{kWhite, kLightBlue}));
        EXPECT_EQ(Colours(red), (std::set<QRgb>{kWhite, kRed}));
        EXPECT_EQ(Band(blue, 0, 30), Band(red, 0, 30));
        // The mark row overlaps the tab row from its 25th pixel row on: keep the ink above it.
        EXPECT_EQ(Band(blue, 23, 30).find('#'), std::string::npos);
    }
    std::set<std::string> shapes;
    for (Mark m : {Mark::Crotchet, Mark::Quaver1, Mark::Quaver2, Mark::QuaverTail})
        shapes.insert(Band(art::RhythmMark(m, false), 0, 30));
    EXPECT_EQ(shapes.size(), 4u);
}

TEST(SymbolArt, FirstAndSecondQuaverBeamsMeetAcrossNeighbouringCells)
{
    auto inkRows = [](const QImage& image, int x) {
        std::vector<int> rows;
        for (int y = 0; y < image.height(); ++y)
            if (Ink(image, x, y))
                rows.push_back(y);
        return rows;
    };
    const QImage first = art::RhythmMark(Mark::Quaver1, false);
    const QImage second = art::RhythmMark(Mark::Quaver2, false);
    EXPECT_FALSE(inkRows(first, 15).empty());
    EXPECT_EQ(inkRows(first, 15), inkRows(second, 0));
    // Nothing else reaches an edge, so no beam sticks out of a pair.
    EXPECT_TRUE(inkRows(first, 0).empty());
    EXPECT_TRUE(inkRows(second, 15).empty());
    for (Mark m : {Mark::Crotchet, Mark::QuaverTail}) {
        EXPECT_TRUE(inkRows(art::RhythmMark(m, false), 0).empty());
        EXPECT_TRUE(inkRows(art::RhythmMark(m, false), 15).empty());
    }
}

// Columns black from the top staff line to the bottom one.
std::vector<int> BarColumns(const QImage& image)
{
    std::vector<int> columns;
    for (int x = 0; x < image.width(); ++x) {
        bool full = true;
        for (int y = kStringRows.front(); y <= kStringRows.back(); ++y)
            full = full && Ink(image, x, y);
        if (full)
            columns.push_back(x);
    }
    return columns;
}

TEST(SymbolArt, BarlinesEndOrCrossTheStaff)
{
    const QImage repeat = art::BarlineRepeat();
    const QImage single = art::BarlineContinue();
    const QImage plain = art::BarlinePlain();
    for (int row : kStringRows) {
        // Each starts where the last cell ends; only the plain barline runs on to the next cell.
        EXPECT_EQ(At(repeat, 0, row), kBlack);
        EXPECT_EQ(At(single, 0, row), kBlack);
        EXPECT_EQ(At(repeat, 15, row), kWhite);
        EXPECT_EQ(At(single, 15, row), kWhite);
        EXPECT_TRUE(RowAllBlack(plain, row, 0, 15));
    }
    EXPECT_EQ(BarColumns(single).size(), 1u);
    EXPECT_EQ(BarColumns(plain).size(), 1u);
    // A thin bar, a gap, and a thick bar of adjacent columns.
    const std::vector<int> bars = BarColumns(repeat);
    ASSERT_GE(bars.size(), 3u);
    EXPECT_GT(bars[1] - bars[0], 1);
    for (std::size_t i = 2; i < bars.size(); ++i)
        EXPECT_EQ(bars[i] - bars[i - 1], 1);
    // Two dots: ink between the lines, left of the bars, in two separate spaces.
    std::set<int> dotSpaces;
    for (int y = 0; y < 105; ++y)
        for (int x = 0; x < bars[0]; ++x)
            if (Ink(repeat, x, y) && std::find(kStringRows.begin(), kStringRows.end(), y) == kStringRows.end())
                dotSpaces.insert(static_cast<int>(std::upper_bound(kStringRows.begin(), kStringRows.end(), y) -
                                                  kStringRows.begin()));
    EXPECT_EQ(dotSpaces.size(), 2u);
}

TEST(SymbolArt, TabClefStartsTheStaffAndRunsItIntoTheFirstCell)
{
    const QImage clef = art::TabClef();
    EXPECT_FALSE(BarColumns(clef).empty());
    EXPECT_LT(BarColumns(clef).front(), 8);
    for (int row : kStringRows) {
        EXPECT_TRUE(RowAllBlack(clef, row, 26, 33)) << row;
        EXPECT_EQ(At(clef, 0, row), kWhite) << row;
    }
    // The letters lie inside the staff, in the shown rows.
    EXPECT_EQ(Band(clef, 0, kStringRows.front() - 1).find('#'), std::string::npos);
    EXPECT_EQ(Band(clef, kStringRows.back() + 1, 104).find('#'), std::string::npos);
}

// A print preview shows the same clef picture with white letter labels over it (13 x 17 pixels at
// x 8, y 24, 40 and 56): every letter pixel, and the space cleared around it, lies under a label,
// so no second letter peeps out beside the preview's own.
TEST(SymbolArt, TabClefLettersLieUnderThePreviewLabels)
{
    const QImage clef = art::TabClef();
    const int bar = BarColumns(clef).front();
    const QRect labels(8, 24, 13, 49);
    std::array<int, 3> letterInk{};
    for (int y = 0; y < 105; ++y)
        for (int x = 0; x < 34; ++x) {
            const bool line = std::find(kStringRows.begin(), kStringRows.end(), y) != kStringRows.end() && x >= bar;
            const bool startBar = x >= bar && x <= bar + 1 && y >= kStringRows.front() && y <= kStringRows.back();
            if (!labels.contains(x, y))
                EXPECT_EQ(Ink(clef, x, y), line || startBar) << x << "," << y;
            else if (!line && !startBar && Ink(clef, x, y))
                ++letterInk[static_cast<std::size_t>(std::min((y - 24) / 16, 2))];
        }
    for (int ink : letterInk) EXPECT_GT(ink, 20);
}

TEST(SymbolArt, NoteLengthBackgroundIsPale)
{
    const QImage background = art::NoteLengthBackground();
    for (QRgb c : Colours(background))
        EXPECT_GE(qGray(c), 190) << std::hex << c;
}

TEST(SymbolArt, WindowIconIsAPickOnATransparentGround)
{
    const QImage icon = art::WindowIcon();
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(icon.pixel(31, 31)), 0);
    EXPECT_EQ(qAlpha(icon.pixel(16, 16)), 255);
    EXPECT_GE(Colours(icon).size(), 4u);
}

// The build writes the window icon into drive C as the song-file icon.
TEST(SymbolArt, SongFileIconInDriveCHoldsTheWindowIcon)
{
    const QByteArray driveC = qgetenv("STRUMWELL_DRIVE_C");
    if (driveC.isEmpty())
        GTEST_SKIP() << "STRUMWELL_DRIVE_C not set";
    QFile file(QString::fromLocal8Bit(driveC) + QStringLiteral("/Program Files/Fretlane/DUVEDI.ico"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    const QByteArray bytes = file.readAll();
    ASSERT_GE(bytes.size(), 22);
    auto u16 = [&](int at) { return static_cast<int>(static_cast<uchar>(bytes[at]) | static_cast<uchar>(bytes[at + 1]) << 8); };
    EXPECT_EQ(u16(0), 0);
    EXPECT_EQ(u16(2), 1);  // icon
    EXPECT_EQ(u16(4), 1);  // one image
    EXPECT_EQ(static_cast<uchar>(bytes[6]), 32);
    EXPECT_EQ(static_cast<uchar>(bytes[7]), 32);
    EXPECT_EQ(u16(12), 8);  // bits per pixel
    const int size = u16(14) | u16(16) << 16;
    const int offset = u16(18) | u16(20) << 16;
    EXPECT_EQ(offset + size, bytes.size());

    if (!QImageReader::supportedImageFormats().contains("ico"))
        GTEST_SKIP() << "no ico reader to decode the pixels";
    const QImage decoded = QImage::fromData(bytes, "ICO").convertToFormat(QImage::Format_ARGB32);
    const QImage icon = art::WindowIcon().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(decoded.size(), icon.size());
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const QRgb want = icon.pixel(x, y);
            const QRgb got = decoded.pixel(x, y);
            EXPECT_EQ(qAlpha(got), qAlpha(want)) << x << "," << y;
            if (qAlpha(want) == 255) {
                EXPECT_EQ(got, want) << x << "," << y;
            }
        }
}

}  // namespace
