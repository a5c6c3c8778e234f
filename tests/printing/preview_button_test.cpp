// The preview's print button: it hides itself, lets the window repaint, captures the window into
// the hidden Picture1, prints that picture fitted to the paper and ends the document, lets events
// run again and shows itself; a job that did not reach the printer is explained; the window stays.

#include "preview_fixture.h"

#include <QCoreApplication>
#include <QImage>

#include <new>
#include <stdexcept>
#include <utility>

namespace strumwell::testing {
namespace {

using Kind = platform::PrintOutcome::Kind;

class PreviewButton : public PreviewTest {
protected:
    PrintPreviewWindow& PrintedPreview(int pages)
    {
        Start(std::string(STRUMWELL_FIXTURES) + "/three_page_v25.swl");
        SetCaptions(std::to_string(pages), "1");
        Print();
        return *Loaded(pages);
    }

    // Runs `what` at the next event pump, as a paint or a timer tick waiting in the queue would.
    static void Queue(std::function<void()> what)
    {
        QMetaObject::invokeMethod(qApp, std::move(what), Qt::QueuedConnection);
    }
};

TEST_F(PreviewButton, HidesItselfWhileTheWindowIsCapturedAndPrinted)
{
    PrintPreviewWindow& preview = PrintedPreview(3);
    std::vector<std::string> log;
    auto button = [&] { return preview.Command1.Visible() ? "shown" : "hidden"; };
    Queue([&] { log.push_back(std::string("event waiting before the press: button ") + button()); });
    printer.observe = [&](const std::string& call) {
        log.push_back(call + ": button " + button());
        if (call == "PaintPicture")
            Queue([&] { log.push_back(std::string("event of the printing: button ") + button()); });
    };

    preview.Command1.Click();

    EXPECT_EQ(log, (std::vector<std::string>{
                       "event waiting before the press: button hidden",
                       "PaintPicture: button hidden",
                       "EndDoc: button hidden",
                       "event of the printing: button hidden",
                   }));
    EXPECT_TRUE(preview.Command1.Visible());
    EXPECT_TRUE(preview.Window()->isVisible());
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(printer.documents, 1);
}

// The picture printed is the one kept in Picture1: the whole client area, without the button.
TEST_F(PreviewButton, PrintsTheCaptureItKeepsWithoutTheButton)
{
    for (int pages = 1; pages <= 3; ++pages) {
        PrintPreviewWindow& preview = PrintedPreview(pages);
        ClickAt(preview.Command1);

        ASSERT_EQ(printer.painted.size(), 1u) << pages;
        const Picture capture = preview.Picture1.GetPicture();
        EXPECT_EQ(printer.painted[0], capture);
        EXPECT_EQ(preview.Picture1.Width(), preview.ClientWidth()) << "auto-sized";
        EXPECT_EQ(preview.Picture1.Height(), preview.ClientHeight());
        const QImage image = capture.Image()->convertToFormat(QImage::Format_RGB32);
        const double scale = image.devicePixelRatio();
        const QRect button(preview.Command1.Widget()->geometry());
        for (int y = static_cast<int>(button.top() * scale); y < (button.bottom() + 1) * scale; ++y)
            for (int x = static_cast<int>(button.left() * scale); x < (button.right() + 1) * scale; ++x)
                ASSERT_EQ(image.pixel(x, y), qRgb(255, 255, 255)) << pages << " pages, " << x << "," << y;
        // The song is in it: the blue of the title.
        const QRect title = preview.lblNewTitle.Widget()->geometry();
        bool blue = false;
        for (int y = static_cast<int>(title.top() * scale); y < title.bottom() * scale && !blue; ++y)
            for (int x = static_cast<int>(title.left() * scale); x < title.right() * scale && !blue; ++x)
                blue = qBlue(image.pixel(x, y)) > 200 && qRed(image.pixel(x, y)) < 80;
        EXPECT_TRUE(blue) << pages;
        printer.painted.clear();
    }
}

TEST_F(PreviewButton, EveryPressPrintsADocumentOfItsOwn)
{
    PrintPreviewWindow& preview = PrintedPreview(1);
    ClickAt(preview.Command1);
    const Picture first = preview.Picture1.GetPicture();
    ClickAt(preview.Command1);
    EXPECT_EQ(printer.documents, 2);
    ASSERT_EQ(printer.painted.size(), 2u);
    EXPECT_NE(printer.painted[1], first);
    EXPECT_EQ(preview.Picture1.GetPicture(), printer.painted[1]);
}

// Whatever became of the job, the button is back and the window stays open; what did not reach
// the printer is said in a message box, in the printer layer's words.
TEST_F(PreviewButton, SaysWhatBecameOfAJobThatDidNotReachThePrinter)
{
    struct Case {
        platform::PrintOutcome outcome;
        std::vector<std::string> said;
    };
    const std::vector<Case> cases{
        {{Kind::Printed, "PDF", "", ""}, {}},
        {{Kind::SavedAsPdf, "", "/home/u/Documents/Song.pdf", "saved as /home/u/Documents/Song.pdf"},
         {"saved as /home/u/Documents/Song.pdf"}},
        {{Kind::Waiting, "PDF", "", "The page waits in the queue of the printer \"PDF\"."},
         {"The page waits in the queue of the printer \"PDF\"."}},
        {{Kind::Failed, "PDF", "", "The printer PDF refused the job: stopped"},
         {"The printer PDF refused the job: stopped"}},
        {{Kind::NothingPrinted, "", "", "Nothing was printed."}, {"Nothing was printed."}},
    };
    for (const Case& c : cases) {
        PrintPreviewWindow& preview = PrintedPreview(2);
        printer.outcome = c.outcome;
        messages.texts.clear();
        printer.observe = [&](const std::string&) { EXPECT_TRUE(messages.texts.empty()); };
        ClickAt(preview.Command1);
        EXPECT_EQ(messages.texts, c.said) << c.outcome.message;
        EXPECT_TRUE(preview.Command1.Visible());
        EXPECT_EQ(Loaded(2), &preview);
        EXPECT_TRUE(preview.Window()->isVisible());
    }
}

// A capture layer that runs out of memory making its first bitmap, and later makes empty ones.
class ExhaustedGdi final : public platform::Gdi {
public:
    bool exhausted = true;
    platform::HDC GetDC(platform::HWND) override { return 1; }
    platform::HDC GetWindowDC(platform::HWND) override { return 1; }
    int ReleaseDC(platform::HWND, platform::HDC) override { return 1; }
    platform::HDC CreateCompatibleDC(platform::HDC) override { return 2; }
    platform::HBITMAP CreateCompatibleBitmap(platform::HDC, int, int) override
    {
        if (std::exchange(exhausted, false)) throw std::bad_alloc();
        return 3;
    }
    platform::HGDIOBJ SelectObject(platform::HDC, platform::HGDIOBJ) override { return 0; }
    int GetDeviceCaps(platform::HDC, int) override { return 0; }
    unsigned GetSystemPaletteEntries(platform::HDC, unsigned, unsigned, platform::PALETTEENTRY*) override
    {
        return 0;
    }
    platform::HPALETTE CreatePalette(const platform::LOGPALETTE&) override { return 0; }
    platform::HPALETTE SelectPalette(platform::HDC, platform::HPALETTE, bool) override { return 0; }
    unsigned RealizePalette(platform::HDC) override { return 0; }
    bool BitBlt(platform::HDC, int, int, int, int, platform::HDC, int, int, std::uint32_t) override
    {
        return false;
    }
    bool DeleteDC(platform::HDC) override { return true; }
    bool DeleteObject(platform::HGDIOBJ) override { return true; }

protected:
    QImage BitmapImage(platform::HBITMAP) const override { return {}; }
};

// An error in the capture, the painting or the sending does not leave the window without its
// button: the button comes back, the window can print again, and the user is told in plain words.
TEST_F(PreviewButton, AnErrorWhilePrintingBringsTheButtonBackAndIsExplained)
{
    struct Case {
        const char* where;  // "capture", "PaintPicture" or "EndDoc"
        std::function<void()> fail;
        std::string said;
    };
    const std::vector<Case> cases{
        {"capture", [] { throw std::bad_alloc(); },
         "The page could not be printed: there was not enough memory to copy the window for the printer."},
        {"PaintPicture", [] { throw std::bad_alloc(); },
         "The page could not be printed: there was not enough memory to copy the window for the printer."},
        {"EndDoc", [] { throw std::invalid_argument("unknown scale unit"); },
         "The page could not be printed because something went wrong while preparing it (unknown scale "
         "unit)."},
    };
    ExhaustedGdi exhausted;
    for (const Case& c : cases) {
        captureLayer = std::string(c.where) == "capture" ? static_cast<platform::Gdi*>(&exhausted) : &gdi;
        PrintPreviewWindow& preview = PrintedPreview(3);
        messages.texts.clear();
        printer.observe = [&](const std::string& call) {
            if (call == c.where) c.fail();
        };
        ClickAt(preview.Command1);
        EXPECT_EQ(messages.texts, std::vector<std::string>{c.said}) << c.where;
        EXPECT_TRUE(preview.Command1.Visible()) << c.where;
        EXPECT_FALSE(preview.Printing()) << c.where;
        EXPECT_TRUE(preview.Window()->isVisible()) << c.where;

        // Once the fault is gone, the next press prints as usual.
        printer.observe = nullptr;
        messages.texts.clear();
        const int documents = printer.documents;
        ClickAt(preview.Command1);
        EXPECT_EQ(printer.documents, documents + 1) << c.where;
        EXPECT_TRUE(messages.texts.empty()) << c.where;
    }
}

TEST_F(PreviewButton, DocumentIsNamedAfterTheSongsTitle)
{
    PrintPreviewWindow& preview = PrintedPreview(3);
    ClickAt(preview.Command1);
    EXPECT_EQ(printer.DocumentTitle(), "Morning Strum");
}

TEST_F(PreviewButton, WithoutPrintingServicesTheButtonStillComesBack)
{
    printingServices = false;
    Start("");
    Print();
    PrintPreviewWindow& preview = *Loaded(1);
    ClickAt(preview.Command1);
    EXPECT_TRUE(preview.Command1.Visible());
    EXPECT_TRUE(preview.Picture1.GetPicture().IsEmpty());
    EXPECT_TRUE(messages.texts.empty());
}

// The user may close the window and print again while the button's handler waits in an event
// pump; the closed window lives until its handler is done.
TEST_F(PreviewButton, ClosingAndPrintingAgainWhilePrintingIsSafe)
{
    PrintPreviewWindow& preview = PrintedPreview(3);
    printer.observe = [&](const std::string& call) {
        if (call != "EndDoc") return;
        Queue([&] {
            Close(preview);
            Print();
        });
    };
    preview.Command1.Click();
    EXPECT_FALSE(preview.Loaded());
    EXPECT_TRUE(preview.Command1.Visible());
    PrintPreviewWindow* fresh = Loaded(3);
    ASSERT_NE(fresh, nullptr);
    EXPECT_NE(fresh, &preview);
    printer.observe = nullptr;
    Print();  // the old window is let go now
    EXPECT_EQ(Loaded(3), fresh);
}

}  // namespace
}  // namespace strumwell::testing
