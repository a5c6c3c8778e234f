// The real device layer: a capture is the window's client area as it shows, four device pixels to
// a screen pixel, with text drawn at that resolution and pictures enlarged by whole pixels.

#include <gtest/gtest.h>

#include <QImage>
#include <QMainWindow>
#include <QWidget>

#include <cmath>

#include "platform/forms/scale_units.h"
#include "platform/gdi/gdi.h"
#include "printing/printing_module.h"

namespace strumwell {
namespace {

namespace PM = PrintingModule;

// A staff-like symbol: 16 x 21 white pixels with a one-pixel black line on rows 0, 10 and 20.
QImage StaffSymbol()
{
    QImage image(16, 21, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y : {0, 10, 20})
        for (int x = 0; x < 16; ++x) image.setPixel(x, y, qRgb(0, 0, 0));
    return image;
}

class RealCapture : public ::testing::Test {
protected:
    RealCapture()
    {
        form.AddMenu("File", "File");  // a menu bar above the client area, which is not captured
        staff.SetPicture(forms::Picture(StaffSymbol()));
        label.SetFont({"Verdana", 12, true});
        hidden.SetVisible(false);
        form.Show();
        forms::DoEvents();
    }

    platform::ScreenGdi gdi;
    forms::Form form{"capture", 9795, 7800};
    forms::PictureBox staff{form, "staff", {0, 0, 240, 315}};
    forms::Label label{form, "label", {1500, 1500, 1500, 600}, "TAB 123"};
    forms::CommandButton hidden{form, "hidden", {4500, 1500, 1335, 1095}, "Click Here To Print"};
};

TEST_F(RealCapture, IsFourTimesFinerAndKeepsTheWindowsSize)
{
    const forms::Picture picture = PM::GrabFormClient(gdi, form);
    const QImage* image = picture.Image();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->size(), QSize(653 * 4, 520 * 4));
    EXPECT_EQ(image->devicePixelRatio(), 4.0);
    const auto himetric = [](float twips) {
        return static_cast<int>(std::lround(forms::ConvertScale(twips, forms::vbTwips, forms::vbHimetric)));
    };
    EXPECT_EQ(picture.Width(), himetric(9795));
    EXPECT_EQ(picture.Height(), himetric(7800));
}

TEST_F(RealCapture, PicturesAreEnlargedByWholePixelsNeverSmoothed)
{
    const forms::Picture picture = PM::GrabFormClient(gdi, form);
    const QImage image = picture.Image()->convertToFormat(QImage::Format_RGB32);
    const QImage symbol = StaffSymbol();
    // Each symbol pixel is a 4 x 4 block of exactly its colour, from the client's top-left corner.
    for (int y = 0; y < symbol.height() * 4; ++y)
        for (int x = 0; x < symbol.width() * 4; ++x)
            ASSERT_EQ(image.pixel(x, y), symbol.pixel(x / 4, y / 4)) << x << "," << y;
}

TEST_F(RealCapture, TextIsDrawnAtTheFinerResolution)
{
    const forms::Picture picture = PM::GrabFormClient(gdi, form);
    const QImage fine = picture.Image()->convertToFormat(QImage::Format_RGB32);
    // The screen's own rendering, enlarged by repeating pixels, is what a capture at screen
    // resolution would print; the fine capture must differ from it inside the label's text.
    const QImage screen = form.ContainerWidget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(screen.size(), QSize(653, 520));
    const QRect text(100, 100, 100, 40);  // the label, in screen pixels
    int differing = 0, inked = 0;
    for (int y = text.top() * 4; y < text.bottom() * 4; ++y)
        for (int x = text.left() * 4; x < text.right() * 4; ++x) {
            const QRgb f = fine.pixel(x, y);
            inked += qGray(f) < 128;
            differing += f != screen.pixel(x / 4, y / 4);
        }
    EXPECT_GT(inked, 500);
    EXPECT_GT(differing, inked / 4);
}

TEST_F(RealCapture, HiddenControlsAreNotInIt)
{
    const forms::Picture picture = PM::GrabFormClient(gdi, form);
    const QImage image = picture.Image()->convertToFormat(QImage::Format_RGB32);
    const QRect button(300 * 4, 100 * 4, 89 * 4, 73 * 4);
    for (int y = button.top(); y <= button.bottom(); y += 3)
        for (int x = button.left(); x <= button.right(); x += 3)
            ASSERT_EQ(image.pixel(x, y), qRgb(255, 255, 255)) << x << "," << y;
}

TEST_F(RealCapture, LeavesOnlyThePicturesBitmapBehind)
{
    {
        const forms::Picture picture = PM::GrabFormClient(gdi, form);
        EXPECT_EQ(gdi.LiveHandles(), 1u);
    }
    EXPECT_EQ(gdi.LiveHandles(), 0u);
}

TEST_F(RealCapture, WholeWindowIncludesTheMenuBar)
{
    QMainWindow* window = form.Window();
    const QSize size = window->size();
    const forms::Picture picture =
        PM::GrabWindowArea(gdi, form.hWnd(), false, 0, 0, size.width(), size.height());
    EXPECT_EQ(picture.Image()->deviceIndependentSize().toSize(), size);
    // The client area starts below the menu bar: the staff's top line is lower by the bar's height.
    const int barHeight = form.ContainerWidget()->mapTo(window, QPoint(0, 0)).y();
    ASSERT_GT(barHeight, 0);
    const QImage image = picture.Image()->convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(image.pixel(8, barHeight * 4), qRgb(0, 0, 0));
}

TEST(RealCaptureHandles, AClosedWindowOrUnknownHandleGivesNoContext)
{
    platform::ScreenGdi gdi;
    EXPECT_EQ(gdi.GetDC(12345), 0u);
    EXPECT_EQ(gdi.GetWindowDC(0), 0u);
    // The capture still runs to its end and hands back an empty picture.
    const forms::Picture picture = PM::GrabWindowArea(gdi, 12345, true, 0, 0, 10, 10);
    EXPECT_EQ(picture.Width(), 0);
    EXPECT_EQ(gdi.LiveHandles(), 0u);
}

}  // namespace
}  // namespace strumwell
