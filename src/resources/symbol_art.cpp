// Pixel art of the symbol library. Each picture is first drawn on a small canvas of ink indices
// (paper, ink, accent) and then turned into the QImage format its family uses, so the shapes are
// written once and the black, red and blue twins share them. QImage buffers are cleared before
// any pixel is set, which keeps the padding bytes of every scan line deterministic too.

#include "resources/symbol_art.h"

#include "resources/chord_voicings.h"

#include <QList>
#include <QRgb>

#include <array>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

namespace strumwell::art {

namespace {

// ---------------------------------------------------------------------------------------------
// Canvas

enum Ink : std::uint8_t { kPaper = 0, kInk = 1, kAccent = 2, kShade = 3, kLight = 4, kDark = 5 };

// A hand-made glyph: one string per pixel row, '#' marks a set pixel.
using Glyph = std::span<const std::string_view>;

class Canvas {
public:
    Canvas(int width, int height)
        : width_(width), height_(height), pixels_(static_cast<std::size_t>(width * height), kPaper)
    {
    }

    int Width() const { return width_; }
    int Height() const { return height_; }

    std::uint8_t At(int x, int y) const { return pixels_[Index(x, y)]; }

    void Set(int x, int y, std::uint8_t ink)
    {
        if (x >= 0 && x < width_ && y >= 0 && y < height_)
            pixels_[Index(x, y)] = ink;
    }

    // Fills the rectangle between two corners, both included.
    void Fill(int x0, int y0, int x1, int y1, std::uint8_t ink)
    {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                Set(x, y, ink);
    }

    void Frame(int x0, int y0, int x1, int y1, std::uint8_t ink)
    {
        Fill(x0, y0, x1, y0, ink);
        Fill(x0, y1, x1, y1, ink);
        Fill(x0, y0, x0, y1, ink);
        Fill(x1, y0, x1, y1, ink);
    }

    void Draw(Glyph glyph, int left, int top, std::uint8_t ink)
    {
        for (int row = 0; row < static_cast<int>(glyph.size()); ++row) {
            const std::string_view line = glyph[static_cast<std::size_t>(row)];
            for (int col = 0; col < static_cast<int>(line.size()); ++col)
                if (line[static_cast<std::size_t>(col)] == '#')
                    Set(left + col, top + row, ink);
        }
    }

private:
    std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y * width_ + x); }

    int width_;
    int height_;
    std::vector<std::uint8_t> pixels_;
};

int GlyphWidth(Glyph glyph) { return glyph.empty() ? 0 : static_cast<int>(glyph.front().size()); }
int GlyphHeight(Glyph glyph) { return static_cast<int>(glyph.size()); }

// A new image with every byte zero, the padding at the end of each scan line included (QImage
// leaves it uninitialised, and fill() does not reach it).
QImage Cleared(int width, int height, QImage::Format format)
{
    QImage image(width, height, format);
    std::memset(image.bits(), 0, static_cast<std::size_t>(image.sizeInBytes()));
    return image;
}

// 1 bit per pixel, black on white: any ink is black.
QImage ToMono(const Canvas& canvas)
{
    QImage image = Cleared(canvas.Width(), canvas.Height(), QImage::Format_Mono);
    image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x)
            image.setPixel(x, y, canvas.At(x, y) == kPaper ? 1 : 0);
    return image;
}

// 24 bits per pixel; colours[i] is the colour of ink index i.
QImage ToRgb888(const Canvas& canvas, std::span<const QRgb> colours)
{
    QImage image = Cleared(canvas.Width(), canvas.Height(), QImage::Format_RGB888);
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x)
            image.setPixel(x, y, colours[canvas.At(x, y)]);
    return image;
}

// 8 bits per pixel; the ink index is the colour index into the given table.
QImage ToIndexed8(const Canvas& canvas, const QList<QRgb>& colourTable)
{
    QImage image = Cleared(canvas.Width(), canvas.Height(), QImage::Format_Indexed8);
    image.setColorTable(colourTable);
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x)
            image.setPixel(x, y, canvas.At(x, y));
    return image;
}

constexpr QRgb kWhite = 0xFFFFFFFFu;
constexpr QRgb kBlack = 0xFF000000u;
constexpr QRgb kRed = 0xFFFF0000u;
constexpr QRgb kBlue = 0xFF0000FFu;
constexpr QRgb kLightBlue = 0xFFA6CAF0u;  // 166, 202, 240

// ---------------------------------------------------------------------------------------------
// The tab staff

constexpr int kCellWidth = 16;
constexpr int kStaffHeight = 105;
constexpr std::array<int, 6> kStringRows{17, 31, 43, 56, 69, 83};
constexpr int kTopLine = 17;
constexpr int kBottomLine = 83;

Canvas Staff(int width, int fromX = 0, int toX = -1)
{
    Canvas canvas(width, kStaffHeight);
    if (toX < 0)
        toX = width - 1;
    for (int row : kStringRows)
        canvas.Fill(fromX, row, toX, row, kInk);
    return canvas;
}

// Fret digits, 4 x 7, set with their middle row on the string's line.
constexpr std::string_view kDigit0[] = {".##.", "#..#", "#..#", "#..#", "#..#", "#..#", ".##."};
constexpr std::string_view kDigit1[] = {"..#.", ".##.", "..#.", "..#.", "..#.", "..#.", ".###"};
constexpr std::string_view kDigit2[] = {".##.", "#..#", "...#", "..#.", ".#..", "#...", "####"};
constexpr std::string_view kDigit3[] = {"###.", "...#", "...#", ".##.", "...#", "...#", "###."};
constexpr std::string_view kDigit4[] = {"...#", "..##", ".#.#", "#..#", "####", "...#", "...#"};
constexpr std::string_view kDigit5[] = {"####", "#...", "###.", "...#", "...#", "#..#", ".##."};
constexpr std::string_view kDigit6[] = {".##.", "#...", "#...", "###.", "#..#", "#..#", ".##."};
constexpr std::string_view kDigit7[] = {"####", "...#", "..#.", "..#.", ".#..", ".#..", ".#.."};
constexpr std::string_view kDigit8[] = {".##.", "#..#", "#..#", ".##.", "#..#", "#..#", ".##."};
constexpr std::string_view kDigit9[] = {".##.", "#..#", "#..#", ".###", "...#", "...#", ".##."};
constexpr std::array<Glyph, 10> kDigits{kDigit0, kDigit1, kDigit2, kDigit3, kDigit4,
                                        kDigit5, kDigit6, kDigit7, kDigit8, kDigit9};
constexpr int kDigitWidth = 4;
constexpr int kDigitGap = 1;

// Writes the fret number centred on its string's line, with a one-pixel white gap cut into the
// line on either side so the number reads as standing on the string.
void DrawFret(Canvas& canvas, int string1to6, int fret)
{
    const std::string digits = std::to_string(fret);
    const int count = static_cast<int>(digits.size());
    const int width = count * kDigitWidth + (count - 1) * kDigitGap;
    const int left = (canvas.Width() - width) / 2;
    const int line = kStringRows[static_cast<std::size_t>(string1to6 - 1)];
    canvas.Fill(left - 1, line, left + width, line, kPaper);
    for (int i = 0; i < count; ++i) {
        const Glyph glyph = kDigits[static_cast<std::size_t>(digits[static_cast<std::size_t>(i)] - '0')];
        canvas.Draw(glyph, left + i * (kDigitWidth + kDigitGap), line - GlyphHeight(glyph) / 2, kInk);
    }
}

// Rest signs, drawn across the middle of the staff.
constexpr std::string_view kCrotchetRestSign[] = {
    "..#.....",
    "..##....",
    "...##...",
    "...###..",
    "....###.",
    "...####.",
    "..####..",
    ".####...",
    ".###....",
    "..##....",
    "...##...",
    "...###..",
    "....###.",
    "...####.",
    "..###...",
    ".##.....",
    ".##.....",
    ".###....",
    "..###...",
    "...##...",
};
constexpr std::string_view kQuaverRestSign[] = {
    ".##......",
    "####....#",
    "####...##",
    ".#######.",
    "......##.",
    ".....##..",
    ".....#...",
    "....##...",
    "....#....",
    "...##....",
    "...#.....",
};

// `drop` moves the sign down from the middle of the staff, so that a sign that fills a space keeps
// clear of the line above it (a blob touching a line reads as a fret number).
Canvas RestCanvas(Glyph sign, int drop = 0)
{
    Canvas canvas = Staff(kCellWidth);
    const int middle = (kStringRows[2] + kStringRows[3]) / 2;
    const int left = (kCellWidth - GlyphWidth(sign) + 1) / 2;
    canvas.Draw(sign, left, middle - GlyphHeight(sign) / 2 + drop, kAccent);
    return canvas;
}

constexpr std::array<QRgb, 3> kRedOverStaff{kWhite, kBlack, kRed};

const ChordVoicing* FindVoicing(std::string_view token)
{
    for (const ChordVoicing& voicing : kChordVoicings)
        if (voicing.token == token)
            return &voicing;
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Chord names: bold capitals 6 x 7, a 7 x 5 lower-case m and a 6 x 7 seven.

constexpr std::string_view kLetterA[] = {".####.", "##..##", "##..##", "######", "##..##", "##..##", "##..##"};
constexpr std::string_view kLetterB[] = {"#####.", "##..##", "##..##", "#####.", "##..##", "##..##", "#####."};
constexpr std::string_view kLetterC[] = {".####.", "##..##", "##....", "##....", "##....", "##..##", ".####."};
constexpr std::string_view kLetterD[] = {"####..", "##.##.", "##..##", "##..##", "##..##", "##.##.", "####.."};
constexpr std::string_view kLetterE[] = {"######", "##....", "##....", "#####.", "##....", "##....", "######"};
constexpr std::string_view kLetterF[] = {"######", "##....", "##....", "#####.", "##....", "##....", "##...."};
constexpr std::string_view kLetterG[] = {".####.", "##..##", "##....", "##.###", "##..##", "##..##", ".#####"};
constexpr std::string_view kLetterM[] = {"#######.", "##.##.##", "##.##.##", "##.##.##", "##.##.##"};
constexpr std::string_view kLetter7[] = {"######", "....##", "...##.", "..##..", "..##..", ".##...", ".##..."};

Glyph LetterGlyph(char c)
{
    switch (c) {
    case 'A': return kLetterA;
    case 'B': return kLetterB;
    case 'C': return kLetterC;
    case 'D': return kLetterD;
    case 'E': return kLetterE;
    case 'F': return kLetterF;
    case 'G': return kLetterG;
    case 'm': return kLetterM;
    case '7': return kLetter7;
    default: return {};
    }
}

constexpr int kNameTop = 2;      // first letter row
constexpr int kNameSlot = 9;     // rows from one letter slot to the next
constexpr int kNameCapHeight = 7;

// ---------------------------------------------------------------------------------------------
// Rhythm marks. Every mark shares the head, the stem column and the beam rows, so a first and a
// second quaver 16 px apart meet in one beam.

constexpr std::string_view kNoteHead[] = {"..###.", ".#####", "######", "#####.", ".###.."};
constexpr std::string_view kQuaverTail[] = {"#...", "##..", "###.", ".###", "..##", "...#", "...#", "..##", "..#."};
constexpr int kHeadLeft = 3;
constexpr int kHeadTop = 17;
constexpr int kStemX = 8;
constexpr int kStemTop = 3;
constexpr int kStemBottom = 19;
constexpr int kBeamTop = 3;
constexpr int kBeamBottom = 5;

// ---------------------------------------------------------------------------------------------
// Tab clef: bold T, A and B, 11 x 13.

constexpr std::string_view kClefT[] = {
    "###########", "###########", "....###....", "....###....", "....###....",
    "....###....", "....###....", "....###....", "....###....", "....###....",
    "....###....", "....###....", "...#####...",
};
constexpr std::string_view kClefA[] = {
    "....###....", "...#####...", "...##.##...", "..###.###..", "..##...##..",
    ".###...###.", ".#########.", ".#########.", ".##.....##.", "###.....###",
    "##.......##", "##.......##", "###.....###",
};
constexpr std::string_view kClefB[] = {
    "#########..", "##########.", ".###....###", ".###.....##", ".###....###",
    ".#########.", ".########..", ".#########.", ".###....###", ".###.....##",
    ".###....###", "##########.", "#########..",
};
constexpr int kClefWidth = 34;
// Each letter with the pixel cleared around it lies within the 13 x 17 box at (8, 24 + 16i): the
// box of the white letter label that a print preview lays over the same picture, so there the
// labels hide the drawn letters whole.
constexpr int kClefLetterLeft = 9;
constexpr std::array<int, 3> kClefLetterTops{26, 42, 58};
constexpr int kClefStartBar = 3;  // the double-width bar where the staff begins

// ---------------------------------------------------------------------------------------------
// Window icon: a guitar pick with a short tab staff on it.

constexpr int kIconSize = 32;
constexpr int kPickTop = 2;
// Half widths of the pick, row by row from kPickTop, around the middle of the icon.
constexpr std::array<int, 28> kPickHalfWidth{7,  10, 12, 13, 13, 14, 14, 14, 14, 14, 13, 13, 13, 12,
                                             12, 11, 11, 10, 10, 9,  9,  8,  7,  7,  6,  5,  4,  2};
constexpr std::string_view kIconDigit0[] = {"###", "#.#", "#.#", "#.#", "###"};
constexpr std::string_view kIconDigit2[] = {"###", "..#", "###", "#..", "###"};
constexpr std::string_view kIconDigit3[] = {"###", "..#", ".##", "..#", "###"};

bool InPick(int x, int y)
{
    const int row = y - kPickTop;
    if (row < 0 || row >= static_cast<int>(kPickHalfWidth.size()))
        return false;
    const int half = kPickHalfWidth[static_cast<std::size_t>(row)];
    return x >= kIconSize / 2 - half && x < kIconSize / 2 + half;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Cell symbols

QImage Blank() { return ToMono(Staff(kCellWidth)); }

QImage CrotchetRest() { return ToMono(RestCanvas(kCrotchetRestSign)); }

QImage QuaverRest() { return ToMono(RestCanvas(kQuaverRestSign, 1)); }

QImage Chord(std::string_view token)
{
    Canvas canvas = Staff(kCellWidth);
    if (const ChordVoicing* voicing = FindVoicing(token))
        for (int s = 0; s < 6; ++s)
            if (const int fret = voicing->frets[static_cast<std::size_t>(s)]; fret >= 0)
                DrawFret(canvas, s + 1, fret);
    return ToMono(canvas);
}

QImage Note(int string1to6, int fret0to12)
{
    Canvas canvas = Staff(kCellWidth);
    if (string1to6 >= 1 && string1to6 <= 6 && fret0to12 >= 0 && fret0to12 <= 12)
        DrawFret(canvas, string1to6, fret0to12);
    return ToMono(canvas);
}

QImage CrotchetRestRed() { return ToRgb888(RestCanvas(kCrotchetRestSign), kRedOverStaff); }

QImage QuaverRestRed() { return ToRgb888(RestCanvas(kQuaverRestSign, 1), kRedOverStaff); }

// ---------------------------------------------------------------------------------------------
// Chord names

QImage ChordName(std::string_view token)
{
    Canvas canvas(16, 30);
    int slot = 0;
    for (char c : token) {
        const Glyph glyph = LetterGlyph(c);
        if (glyph.empty())
            continue;
        const int top = kNameTop + slot * kNameSlot + (kNameCapHeight - GlyphHeight(glyph));
        canvas.Draw(glyph, (canvas.Width() - GlyphWidth(glyph)) / 2, top, kInk);
        ++slot;
    }
    constexpr std::array<QRgb, 2> colours{kWhite, kBlue};
    return ToRgb888(canvas, colours);
}

// ---------------------------------------------------------------------------------------------
// Rhythm marks

QImage RhythmMark(Mark mark, bool red)
{
    Canvas canvas(16, 31);
    canvas.Draw(kNoteHead, kHeadLeft, kHeadTop, kInk);
    canvas.Fill(kStemX, kStemTop, kStemX, kStemBottom, kInk);
    switch (mark) {
    case Mark::Crotchet:
        break;
    case Mark::Quaver1:
        canvas.Fill(kStemX, kBeamTop, canvas.Width() - 1, kBeamBottom, kInk);
        break;
    case Mark::Quaver2:
        canvas.Fill(0, kBeamTop, kStemX, kBeamBottom, kInk);
        break;
    case Mark::QuaverTail:
        canvas.Draw(kQuaverTail, kStemX + 1, kStemTop, kInk);
        break;
    }
    return ToIndexed8(canvas, {kWhite, red ? kRed : kLightBlue});
}

// ---------------------------------------------------------------------------------------------
// Barlines and clef

QImage BarlineRepeat()
{
    constexpr int thin = 9;
    constexpr int thickLeft = 11;
    constexpr int thickRight = 13;
    Canvas canvas = Staff(kCellWidth, 0, thickRight);
    // The dots sit in the second and fourth spaces of the staff.
    const int upperDot = (kStringRows[1] + kStringRows[2]) / 2;
    const int lowerDot = (kStringRows[3] + kStringRows[4]) / 2;
    canvas.Fill(4, upperDot - 1, 6, upperDot + 1, kInk);
    canvas.Fill(4, lowerDot - 1, 6, lowerDot + 1, kInk);
    canvas.Fill(thin, kTopLine, thin, kBottomLine, kInk);
    canvas.Fill(thickLeft, kTopLine, thickRight, kBottomLine, kInk);
    return ToMono(canvas);
}

QImage BarlineContinue()
{
    constexpr int bar = 8;
    Canvas canvas = Staff(kCellWidth, 0, bar);
    canvas.Fill(bar, kTopLine, bar, kBottomLine, kInk);
    return ToMono(canvas);
}

QImage BarlinePlain()
{
    Canvas canvas = Staff(kCellWidth);
    canvas.Fill(kCellWidth / 2 - 1, kTopLine, kCellWidth / 2 - 1, kBottomLine, kInk);
    return ToMono(canvas);
}

QImage TabClef()
{
    Canvas canvas = Staff(kClefWidth, kClefStartBar);
    canvas.Fill(kClefStartBar, kTopLine, kClefStartBar + 1, kBottomLine, kInk);
    const std::array<Glyph, 3> letters{kClefT, kClefA, kClefB};
    for (std::size_t i = 0; i < letters.size(); ++i) {
        const int top = kClefLetterTops[i];
        // Clear the lines behind the letter, one pixel around it, then set the letter.
        canvas.Fill(kClefLetterLeft - 1, top - 1, kClefLetterLeft + GlyphWidth(letters[i]),
                    top + GlyphHeight(letters[i]), kPaper);
        canvas.Draw(letters[i], kClefLetterLeft, top, kInk);
    }
    return ToMono(canvas);
}

// ---------------------------------------------------------------------------------------------
// Note-length box background and window icon

QImage NoteLengthBackground()
{
    // Only the top-left 201 x 49 pixels show inside the box: two label rows of 25 px on the left
    // and the note-length indicator (25 x 33 at 176, 8) on the right.
    Canvas canvas(235, 76);
    canvas.Fill(0, 0, 234, 75, kShade);
    canvas.Frame(0, 0, 234, 75, kInk);
    canvas.Frame(0, 0, 200, 48, kInk);
    canvas.Fill(1, 24, 199, 24, kLight);
    canvas.Fill(172, 4, 200, 44, kPaper);
    canvas.Frame(172, 4, 200, 44, kInk);
    const QList<QRgb> colours{kWhite, kLightBlue, kWhite, qRgb(240, 246, 253), qRgb(222, 235, 250)};
    return ToIndexed8(canvas, colours);
}

QImage WindowIcon()
{
    Canvas canvas(kIconSize, kIconSize);
    for (int y = 0; y < kIconSize; ++y)
        for (int x = 0; x < kIconSize; ++x)
            if (InPick(x, y))
                canvas.Set(x, y, kShade);
    // Outline: pick pixels with a neighbour outside the pick.
    for (int y = 0; y < kIconSize; ++y)
        for (int x = 0; x < kIconSize; ++x)
            if (InPick(x, y) && (!InPick(x - 1, y) || !InPick(x + 1, y) || !InPick(x, y - 1) ||
                                 !InPick(x, y + 1)))
                canvas.Set(x, y, kInk);
    // A highlight along the upper left, then three strings with fret numbers on them.
    canvas.Fill(7, 4, 12, 4, kLight);
    canvas.Fill(5, 5, 7, 5, kLight);
    constexpr std::array<int, 3> lines{10, 16, 22};
    for (int row : lines)
        for (int x = 0; x < kIconSize; ++x)
            if (InPick(x - 1, row) && InPick(x + 1, row))
                canvas.Set(x, row, kAccent);
    const std::array<std::pair<Glyph, std::array<int, 2>>, 3> numbers{{
        {kIconDigit3, {9, 8}}, {kIconDigit0, {17, 14}}, {kIconDigit2, {13, 20}}}};
    for (const auto& [glyph, at] : numbers) {
        canvas.Fill(at[0] - 1, at[1], at[0] + GlyphWidth(glyph), at[1] + GlyphHeight(glyph) - 1, kShade);
        canvas.Draw(glyph, at[0], at[1], kDark);
    }
    // 256 colours: index 0 is transparent, the unused entries are black.
    QList<QRgb> colours(256, kBlack);
    colours[kPaper] = qRgba(0, 0, 0, 0);
    colours[kInk] = qRgb(128, 48, 8);
    colours[kShade] = qRgb(240, 128, 32);
    colours[kLight] = qRgb(255, 200, 130);
    colours[kDark] = qRgb(64, 24, 0);
    colours[kAccent] = qRgb(255, 244, 224);
    return ToIndexed8(canvas, colours);
}

}  // namespace strumwell::art
