#pragma once
// The real main window with its preview windows, a capture layer over the real widgets, a printer
// double that lets a test look on at each call, and a message box that remembers what it said.

#include "pages/pages_fixture.h"

#include <QMainWindow>

#include <functional>
#include <string>
#include <vector>

#include "platform/comdlg/common_dialog.h"
#include "platform/forms/scale_units.h"
#include "platform/gdi/gdi.h"
#include "platform/printer/printer.h"
#include "printing/preview_windows.h"

namespace strumwell::testing {

// A printer with an A4-like printable area of 190 x 270 mm at 600 dots to the inch. `observe` runs
// inside PaintPicture and EndDoc, with the call's name.
class ObservingPrinter final : public platform::Printer {
public:
    std::function<void(const std::string& call)> observe;
    platform::PrintOutcome outcome{platform::PrintOutcome::Kind::Printed, "PDF", "", ""};
    std::vector<forms::Picture> painted;
    int documents = 0;

    int ScaleMode() const override { return forms::vbTwips; }
    float ScaleWidth() const override { return ScaleX(19000.0f, forms::vbHimetric, forms::vbTwips); }
    float ScaleHeight() const override { return ScaleY(27000.0f, forms::vbHimetric, forms::vbTwips); }
    float ScaleX(float width, int from, int to) const override
    {
        return forms::ConvertScale(width, from, to, 600.0);
    }
    float ScaleY(float height, int from, int to) const override
    {
        return forms::ConvertScale(height, from, to, 600.0);
    }
    void PaintPicture(const forms::Picture& picture, float, float, float, float) override
    {
        painted.push_back(picture);
        if (observe) observe("PaintPicture");
    }
    platform::PrintOutcome EndDoc() override
    {
        ++documents;
        if (observe) observe("EndDoc");
        return outcome;
    }
};

class PreviewTest : public PagesTest {
protected:
    void ConfigureServices(platform::Services& s) override
    {
        s.gdi = printingServices ? captureLayer : nullptr;
        s.printer = printingServices ? &printer : nullptr;
        s.messageBox = &messages;
    }
    void TearDown() override { window.reset(); }  // the windows go before the services they use

    void SetCaptions(const std::string& totalPages, const std::string& currentPage)
    {
        w().tabs.lblTotalPages.SetCaption(totalPages);
        w().tabs.lblCurrentPage.SetCaption(currentPage);
    }
    void Print() { w().menu.Print.Click(); }

    // The loaded window of a page count (1..3), or nullptr.
    PrintPreviewWindow* Loaded(int pages)
    {
        PrintPreviews& p = w().Previews();
        return pages == 1   ? static_cast<PrintPreviewWindow*>(p.LoadedOnePage())
               : pages == 2 ? static_cast<PrintPreviewWindow*>(p.LoadedTwoPages())
                            : static_cast<PrintPreviewWindow*>(p.LoadedThreePages());
    }
    // The window of a page count, loaded (design state) if it is not.
    PrintPreviewWindow& Preview(int pages)
    {
        PrintPreviews& p = w().Previews();
        return pages == 1   ? static_cast<PrintPreviewWindow&>(p.OnePage())
               : pages == 2 ? static_cast<PrintPreviewWindow&>(p.TwoPages())
                            : static_cast<PrintPreviewWindow&>(p.ThreePages());
    }
    // The user closes the window.
    static void Close(PrintPreviewWindow& preview) { preview.Window()->close(); }

    // Row r of a preview as a page snapshot: the picture handles of its cells (tokens and lyrics
    // stay empty: the preview has none).
    static PageSnapshot Row(PrintPreviewWindow& preview, int row)
    {
        PageSnapshot page;
        for (int k = 1; k <= 32; ++k) {
            const int i = 32 * (row - 1) + k;
            const auto s = static_cast<std::size_t>(k);
            page.cell[s] = preview.imgTab[i].GetPicture().Handle();
            page.chordName[s] = preview.imgChordName[i].GetPicture().Handle();
            page.rhythm[s] = preview.imgChordRhythm[i].GetPicture().Handle();
        }
        return page;
    }
    // A page snapshot with only what a preview row shows: the pictures.
    static PageSnapshot PicturesOf(PageSnapshot page)
    {
        page.token = {};
        page.lyrics.clear();
        return page;
    }

    bool printingServices = true;  // read by the next Start()
    platform::ScreenGdi gdi;
    platform::Gdi* captureLayer = &gdi;  // read by the next Start()
    ObservingPrinter printer;
    platform::RecordingMessageBox messages;
};

}  // namespace strumwell::testing
