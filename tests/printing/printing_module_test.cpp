// The capture-and-print module over the recording device layer and printer: the order of the
// device calls, the palette rule, the units and the fitting rule with its tie.

#include <gtest/gtest.h>

#include <QImage>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QSize>
#include <QString>

#include <optional>
#include <string>
#include <vector>

#include "platform/forms/scale_units.h"
#include "platform/gdi/recording_gdi.h"
#include "platform/printer/printer.h"
#include "printing/printing_module.h"

namespace strumwell {
namespace {

using platform::RecordingGdi;
using platform::RecordingPrinter;
namespace PM = PrintingModule;

// A picture of the given size in screen pixels (96 to the inch).
forms::Picture PictureOfPixels(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return forms::Picture(image);
}

std::string N(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

struct FitCase {
    const char* name;
    int pictureWidth, pictureHeight;  // screen pixels
    int scaleMode;
    float pageWidth, pageHeight;  // printable area, hundredths of a millimetre
    float printedWidth, printedHeight;  // expected, hundredths of a millimetre
    bool widthFirst;  // the width rule: the width is converted back first
};

// 96 x 48 pixels are 2540 x 1270 hundredths of a millimetre: exactly twice as wide as high.
const FitCase kFitCases[] = {
    {"twice as wide on 190 x 270 mm", 96, 48, forms::vbHimetric, 19000, 27000, 19000, 9500, true},
    {"twice as wide, printer in twips", 96, 48, forms::vbTwips, 19000, 27000, 19000, 9500, true},
    {"twice as wide, printer in pixels", 96, 48, forms::vbPixels, 19000, 27000, 19000, 9500, true},
    {"taller than the page fills the height", 48, 96, forms::vbHimetric, 19000, 27000, 13500, 27000,
     false},
    {"taller, printer in twips", 48, 96, forms::vbTwips, 19000, 27000, 13500, 27000, false},
    {"equal ratios take the width rule", 96, 48, forms::vbHimetric, 20000, 10000, 20000, 10000, true},
    {"equal ratios in twips", 96, 48, forms::vbTwips, 20000, 10000, 20000, 10000, true},
    {"square on a wide page", 96, 96, forms::vbHimetric, 30000, 20000, 20000, 20000, false},
};

TEST(PrintPictureFitted, FillsThePrintableWidthOrHeightFromTheTopLeft)
{
    for (const FitCase& c : kFitCases) {
        SCOPED_TRACE(c.name);
        RecordingPrinter printer;
        printer.scaleMode = c.scaleMode;
        printer.widthHimetric = c.pageWidth;
        printer.heightHimetric = c.pageHeight;
        PM::PrintPictureFitted(printer, PictureOfPixels(c.pictureWidth, c.pictureHeight));

        ASSERT_EQ(printer.paints.size(), 1u);
        const RecordingPrinter::Paint& paint = printer.paints[0];
        EXPECT_EQ(paint.x, 0.0f);
        EXPECT_EQ(paint.y, 0.0f);
        const auto back = [&](float himetric) {
            return forms::ConvertScale(himetric, forms::vbHimetric, c.scaleMode, printer.pixelsPerInch);
        };
        EXPECT_NEAR(paint.width, back(c.printedWidth), back(c.printedWidth) * 1e-5);
        EXPECT_NEAR(paint.height, back(c.printedHeight), back(c.printedHeight) * 1e-5);

        // The printable area is read in hundredths of a millimetre, width then height; the printed
        // size goes back to the printer's unit, the side the rule fixed first.
        const std::string mode = std::to_string(c.scaleMode);
        ASSERT_EQ(printer.calls.size(), 5u);
        EXPECT_EQ(printer.calls[0], "ScaleX(" + N(printer.ScaleWidth()) + ", " + mode + ", 8)");
        EXPECT_EQ(printer.calls[1], "ScaleY(" + N(printer.ScaleHeight()) + ", " + mode + ", 8)");
        const std::string toMode = ", 8, " + mode + ")";
        const std::string w = "ScaleX(" + N(c.printedWidth) + toMode;
        const std::string h = "ScaleY(" + N(c.printedHeight) + toMode;
        EXPECT_EQ(printer.calls[2], c.widthFirst ? w : h);
        EXPECT_EQ(printer.calls[3], c.widthFirst ? h : w);
        EXPECT_EQ(printer.calls[4], "PaintPicture");
    }
}

TEST(PrintPictureFitted, NeitherCentresNorEndsTheDocument)
{
    RecordingPrinter printer;
    const forms::Picture picture = PictureOfPixels(96, 48);
    PM::PrintPictureFitted(printer, picture);
    ASSERT_EQ(printer.paints.size(), 1u);
    EXPECT_EQ(printer.paints[0].picture, picture);  // the same picture, not a copy
    for (const std::string& call : printer.calls) EXPECT_NE(call, "EndDoc");
}

TEST(PrintPictureFitted, EmptyPictureOrPagePaintsNothing)
{
    struct EmptyCase {
        const char* name;
        forms::Picture picture;
        float pageWidth, pageHeight;
    };
    const EmptyCase cases[] = {
        {"no picture", forms::Picture(), 19000, 27000},
        {"null image", forms::Picture(QImage()), 19000, 27000},
        {"zero width", PictureOfPixels(0, 48), 19000, 27000},
        {"zero height", PictureOfPixels(96, 0), 19000, 27000},
        {"printable height zero", PictureOfPixels(96, 48), 19000, 0},
        {"printable width zero", PictureOfPixels(96, 48), 0, 27000},
    };
    for (const EmptyCase& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingPrinter printer;
        printer.widthHimetric = c.pageWidth;
        printer.heightHimetric = c.pageHeight;
        PM::PrintPictureFitted(printer, c.picture);
        EXPECT_TRUE(printer.paints.empty());
    }
}

// The recording device layer's handles count up from 100 in the order they are made.
std::vector<std::string> ExpectedCapture(const std::string& getDc, bool palette, int caps, int size,
                                         int x, int y, int cx, int cy)
{
    // GetDC = 100, memory context = 101, bitmap = 102, palette = 103; 1 and 2 are the stock
    // bitmap and palette of a new memory context.
    std::vector<std::string> calls = {
        getDc + "(7) = 100",
        "CreateCompatibleDC(100) = 101",
        "CreateCompatibleBitmap(100, " + std::to_string(cx) + ", " + std::to_string(cy) + ") = 102",
        "SelectObject(101, 102) = 1",
        "GetDeviceCaps(100, 38) = " + std::to_string(caps),
        "GetDeviceCaps(100, 104) = " + std::to_string(size),
    };
    if (palette) {
        calls.insert(calls.end(), {"GetSystemPaletteEntries(100, 0, 256) = 256",
                                   "CreatePalette(768, 256) = 103", "SelectPalette(101, 103, 0) = 2",
                                   "RealizePalette(101) = 256"});
    }
    calls.push_back("BitBlt(101, 0, 0, " + std::to_string(cx) + ", " + std::to_string(cy) +
                    ", 100, " + std::to_string(x) + ", " + std::to_string(y) + ", " +
                    std::to_string(platform::SRCCOPY) + ") = 1");
    calls.push_back("SelectObject(101, 1) = 102");
    if (palette) calls.push_back("SelectPalette(101, 2, 0) = 103");
    calls.push_back("DeleteDC(101) = 1");
    calls.push_back("ReleaseDC(7, 100) = 1");
    // The picture description: its size, the bitmap type, the bitmap, the palette (0: none), 0.
    calls.push_back(std::string("OleCreatePictureIndirect({20, 1, 102, ") + (palette ? "103" : "0") +
                    ", 0}, IDispatch, 1) = 0");
    return calls;
}

TEST(GrabWindowArea, CallsInOrderAndMakesAPaletteOnlyOnA256ColourPaletteDisplay)
{
    struct PaletteCase {
        const char* name;
        int caps, size;
        bool palette;
    };
    const PaletteCase cases[] = {
        {"256-colour palette display", platform::RC_PALETTE, 256, true},
        {"palette bit among others", platform::RC_PALETTE | 0x8 | 0x1, 256, true},
        {"true colour, no palette", 0x1, 0, false},
        {"palette of 16 entries", platform::RC_PALETTE, 16, false},
        {"palette of 512 entries", platform::RC_PALETTE, 512, false},
        {"256 entries without the palette bit", 0x1, 256, false},
    };
    for (const PaletteCase& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingGdi gdi;
        gdi.rasterCaps = c.caps;
        gdi.sizePalette = c.size;
        {
            const forms::Picture picture = PM::GrabWindowArea(gdi, 7, true, 3, 5, 40, 30);
            EXPECT_EQ(gdi.calls, ExpectedCapture("GetDC", c.palette, c.caps, c.size, 3, 5, 40, 30));
            EXPECT_EQ(picture.Width(), 1058);  // 40 pixels at 96 to the inch
            EXPECT_EQ(picture.Height(), 794);
            gdi.calls.clear();
        }
        // The picture owns the bitmap and the palette it was given, and frees them when it goes.
        std::vector<std::string> freed = {"DeleteObject(102) = 1"};
        if (c.palette) freed.push_back("DeleteObject(103) = 1");
        EXPECT_EQ(gdi.calls, freed);
        if (c.palette) {
            EXPECT_EQ(gdi.createdPalette.palVersion, 0x300);
            EXPECT_EQ(gdi.createdPalette.palNumEntries, 256);
            for (unsigned i = 0; i < 256; ++i) {
                const platform::PALETTEENTRY e = gdi.createdPalette.palPalEntry[i];
                const platform::PALETTEENTRY s = RecordingGdi::SystemEntry(i);
                ASSERT_EQ(std::vector<int>({e.peRed, e.peGreen, e.peBlue, e.peFlags}),
                          std::vector<int>({s.peRed, s.peGreen, s.peBlue, s.peFlags}))
                    << "entry " << i;
            }
        }
    }
}

TEST(GrabWindowArea, WholeWindowUsesTheWindowContext)
{
    RecordingGdi gdi;
    const forms::Picture picture = PM::GrabWindowArea(gdi, 7, false, 0, 0, 10, 20);
    EXPECT_EQ(gdi.calls, ExpectedCapture("GetWindowDC", false, 0, 0, 0, 0, 10, 20));
}

TEST(GrabFormClient, CapturesTheWholeClientAreaInPixels)
{
    // Client sizes in twips and the pixels they round to (15 twips a pixel, nearest whole).
    const struct {
        int width, height, cx, cy;
    } cases[] = {{9795, 7800, 653, 520}, {9555, 6870, 637, 458}, {100, 112, 7, 7}, {97, 38, 6, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        forms::Form form("capture", c.width, c.height);
        RecordingGdi gdi;
        const forms::Picture picture = PM::GrabFormClient(gdi, form);
        ASSERT_GE(gdi.calls.size(), 3u);
        EXPECT_EQ(gdi.calls[0], "GetDC(" + std::to_string(form.hWnd()) + ") = 100");
        EXPECT_EQ(gdi.calls[2], "CreateCompatibleBitmap(100, " + std::to_string(c.cx) + ", " +
                                    std::to_string(c.cy) + ") = 102");
        const std::string blit = "BitBlt(101, 0, 0, " + std::to_string(c.cx) + ", " +
                                 std::to_string(c.cy) + ", 100, 0, 0, ";
        bool found = false;
        for (const std::string& call : gdi.calls) found = found || call.rfind(blit, 0) == 0;
        EXPECT_TRUE(found);
    }
}

TEST(BitmapToPicture, OwnsItsHandlesForAsLongAsACopyLives)
{
    RecordingGdi gdi;
    const platform::HDC dc = gdi.GetDC(1);
    const platform::HBITMAP bitmap = gdi.CreateCompatibleBitmap(dc, 12, 8);
    gdi.calls.clear();
    forms::Picture copy;
    {
        const forms::Picture picture = PM::BitmapToPicture(gdi, bitmap, 555);
        EXPECT_EQ(gdi.calls, std::vector<std::string>{"OleCreatePictureIndirect({20, 1, " + std::to_string(bitmap) +
                                                      ", 555, 0}, IDispatch, 1) = 0"});
        gdi.calls.clear();
        copy = picture;
    }
    EXPECT_TRUE(gdi.calls.empty());  // a copy still holds it
    EXPECT_EQ(copy.Width(), 318);
    EXPECT_EQ(copy.Height(), 212);
    copy = forms::Picture();
    EXPECT_EQ(gdi.calls, (std::vector<std::string>{"DeleteObject(" + std::to_string(bitmap) + ") = 1",
                                                    "DeleteObject(555) = 1"}));
}

TEST(BitmapToPicture, OutlivingTheDeviceLayerIsHarmless)
{
    forms::Picture picture;
    {
        RecordingGdi gdi;
        picture = PM::BitmapToPicture(gdi, gdi.CreateCompatibleBitmap(gdi.GetDC(1), 4, 4), 0);
    }
    EXPECT_EQ(picture.Width(), 106);
    picture = forms::Picture();  // frees nothing: the layer is gone
}

TEST(ScaleUnits, ConvertThroughTheInch)
{
    const struct {
        float value;
        int from, to;
        double ppi;
        float expected;
    } cases[] = {
        {1440, forms::vbTwips, forms::vbHimetric, 96, 2540},
        {9795, forms::vbTwips, forms::vbPixels, 96, 653},
        {653, forms::vbPixels, forms::vbTwips, 96, 9795},
        {2540, forms::vbHimetric, forms::vbPixels, 600, 600},
        {19000, forms::vbHimetric, forms::vbMillimeters, 96, 190},
        {72, forms::vbPoints, forms::vbInches, 96, 1},
        {1, forms::vbCentimeters, forms::vbMillimeters, 96, 10},
    };
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(forms::ConvertScale(c.value, c.from, c.to, c.ppi), c.expected)
            << c.value << " from " << c.from << " to " << c.to;
    EXPECT_THROW(forms::ConvertScale(1, 4, forms::vbTwips), std::invalid_argument);
    EXPECT_THROW(forms::ConvertScale(1, forms::vbTwips, 0), std::invalid_argument);
}

TEST(FormScale, ClientAreaInTwipsAndScreenPixels)
{
    forms::Form form("scale", 9795, 7800);
    EXPECT_EQ(form.ScaleMode(), forms::vbTwips);
    EXPECT_EQ(form.ScaleWidth(), 9795.0f);
    EXPECT_EQ(form.ScaleHeight(), 7800.0f);
    EXPECT_FLOAT_EQ(form.ScaleX(form.ScaleWidth(), form.ScaleMode(), forms::vbPixels), 653.0f);
    EXPECT_FLOAT_EQ(form.ScaleY(form.ScaleHeight(), form.ScaleMode(), forms::vbPixels), 520.0f);
    EXPECT_FLOAT_EQ(form.ScaleX(1440, forms::vbTwips, forms::vbHimetric), 2540.0f);
}

// A picture without size and a paper without printable area both leave the page blank; the user
// is told which of the two it was.
TEST(DefaultPrinterDocument, WithNothingPaintedSendsNothingAndSaysWhy)
{
    // A strip of paper 595 points wide whose 40 points of height are all margin.
    const QPageLayout noHeight(QPageSize(QSize(595, 40), QString(), QPageSize::ExactMatch),
                               QPageLayout::Portrait, QMarginsF(20, 20, 20, 20), QPageLayout::Point);
    QImage pixels(40, 30, QImage::Format_RGB32);
    pixels.fill(Qt::black);
    const struct {
        const char* name;
        std::optional<QPageLayout> paper;
        forms::Picture picture;
        const char* said;
    } cases[] = {
        {"empty picture", std::nullopt, forms::Picture(), "Nothing was printed: the picture of the window was empty."},
        {"picture of no height", std::nullopt, forms::Picture(QImage(40, 0, QImage::Format_RGB32)),
         "Nothing was printed: the picture of the window was empty."},
        {"paper without printable height", noHeight, forms::Picture(pixels),
         "Nothing was printed: the printer reports no printable area on its paper."},
        {"paper of no size", QPageLayout(), forms::Picture(pixels),
         "Nothing was printed: the printer reports no printable area on its paper."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        platform::DefaultPrinter printer("/nonexistent-folder", c.paper);
        if (c.paper && c.paper->isValid()) {
            EXPECT_GT(printer.ScaleWidth(), 0.0f);
            EXPECT_EQ(printer.ScaleHeight(), 0.0f);
        }
        PM::PrintPictureFitted(printer, c.picture);
        const platform::PrintOutcome outcome = printer.EndDoc();
        EXPECT_EQ(outcome.kind, platform::PrintOutcome::Kind::NothingPrinted);
        EXPECT_EQ(outcome.message, c.said);
    }
}

// The printable area in twips is the paper's less its margins, to the point (20 twips a point).
TEST(DefaultPrinterDocument, PrintableAreaIsThePapersToThePoint)
{
    const QPageLayout a4(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(18, 24, 18, 36), QPageLayout::Point);
    platform::DefaultPrinter printer("/nonexistent-folder", a4);
    EXPECT_FLOAT_EQ(printer.ScaleWidth(), (595 - 18 - 18) * 20.0f);
    EXPECT_FLOAT_EQ(printer.ScaleHeight(), (842 - 24 - 36) * 20.0f);
}

}  // namespace
}  // namespace strumwell
