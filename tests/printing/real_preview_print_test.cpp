// The preview windows through the real capture layer and, on the real print scheduler, the real
// printer: what the print button puts on paper.

#include "songfile/songfile_fixture.h"

#include <QImage>
#include <QMainWindow>

#include <cmath>
#include <functional>

#include "platform/forms/scale_units.h"
#include "platform/gdi/gdi.h"
#include "platform/printer/printer.h"
#include "printing/preview_windows.h"
#include "printing/print_check.h"
#include "printing/printing_module.h"

namespace strumwell::testing {
namespace {

class RealPreview : public SongFileTest {
protected:
    void ConfigureServices(platform::Services& s) override
    {
        SongFileTest::ConfigureServices(s);
        s.gdi = &gdi;
        s.printer = &printer;
    }
    void SetUp() override { Start(Fixture("three_page_v25.swl")); }
    void TearDown() override { window.reset(); }

    // Print with the page count given: the preview window it fills and shows.
    PrintPreviewWindow& Preview(const std::string& pages)
    {
        w().tabs.lblTotalPages.SetCaption(pages);
        w().menu.Print.Click();
        forms::DoEvents();
        PrintPreviewWindow* shown = pages == "1"   ? static_cast<PrintPreviewWindow*>(w().Previews().LoadedOnePage())
                                    : pages == "2" ? static_cast<PrintPreviewWindow*>(w().Previews().LoadedTwoPages())
                                                   : static_cast<PrintPreviewWindow*>(w().Previews().LoadedThreePages());
        EXPECT_NE(shown, nullptr);
        return *shown;
    }

    platform::ScreenGdi gdi;
    platform::DefaultPrinter printer;
};

TEST_F(RealPreview, CaptureOfEachWindowIsFourTimesFinerAtTheWindowsSize)
{
    for (const char* pages : {"1", "2", "3"}) {
        SCOPED_TRACE(std::string("pages ") + pages);
        PrintPreviewWindow& preview = Preview(pages);
        const forms::Picture picture = PrintingModule::GrabFormClient(gdi, preview);
        const QSize client(forms::TwipsToPixels(preview.ClientWidth()), forms::TwipsToPixels(preview.ClientHeight()));
        ASSERT_NE(picture.Image(), nullptr);
        EXPECT_GE(picture.Image()->width(), client.width() * 4);
        EXPECT_GE(picture.Image()->height(), client.height() * 4);
        const auto himetric = [](int twips) {
            return static_cast<int>(std::lround(forms::ConvertScale(static_cast<float>(twips), forms::vbTwips, forms::vbHimetric)));
        };
        EXPECT_EQ(picture.Width(), himetric(preview.ClientWidth()));
        EXPECT_EQ(picture.Height(), himetric(preview.ClientHeight()));
    }
}

// The three-page window printed by its button on the PDF queue of tools/start-cups.sh.
class RealPreviewOnPaper : public RealPreview {
protected:
    void SetUp() override
    {
        if (const std::string why = WhyNotOnThePdfQueue(); !why.empty()) GTEST_SKIP() << why;
        paper = PaperOfQueue(kPdfQueue);
        ASSERT_TRUE(paper);
        RealPreview::SetUp();
    }

    // Presses the print button of the three-page preview; the PDF the queue wrote.
    QString PressPrint(const std::function<void(PrintPreviewWindow&)>& prepare = {})
    {
        static int count = 0;
        const std::string title = "Morning-Strum-" + std::to_string(QCoreApplication::applicationPid()) + "-" +
                                  std::to_string(++count);
        w().sheet.txtTitle.SetText(title);
        PrintPreviewWindow& preview = Preview("3");
        if (prepare) prepare(preview);
        preview.Command1.Click();
        EXPECT_TRUE(messages.texts.empty()) << messages.texts.front();
        EXPECT_TRUE(preview.Command1.Visible());
        captured = *preview.Picture1.GetPicture().Image();
        const QString pdf = WaitForPdf(PdfQueueFolder(), QString::fromStdString(title));
        if (!pdf.isEmpty()) written.push_back(pdf);
        return pdf;
    }

    // A point of the window (screen pixels) on a page rendered at `dpi`.
    QPointF OnPage(QPointF at, int dpi) const
    {
        const double px = dpi / 72.0;
        const double scale = paper->printable.width() * px / 653.0;
        return QPointF(paper->printable.x() * px + at.x() * scale, paper->printable.y() * px + at.y() * scale);
    }

    void TearDown() override
    {
        RealPreview::TearDown();
        for (const QString& pdf : written) QFile::remove(pdf);
    }

    std::optional<QueuePaper> paper;
    QImage captured;
    QStringList written;  // the queue's PDFs, removed after the test
};

TEST_F(RealPreviewOnPaper, PageShowsTheWindowAcrossThePrintableWidthWithoutTheButton)
{
    const QString pdf = PressPrint();
    ASSERT_FALSE(pdf.isEmpty());

    const QList<PdfImage> images = PdfImages(pdf);
    ASSERT_EQ(images.size(), 1);
    EXPECT_FALSE(images[0].interpolate);  // symbol art is not smoothed into grey
    EXPECT_GE(images[0].width, 2612);

    // The ink on the page is the ink of the capture, placed from the printable area's corner and
    // scaled to the printable width in both directions.
    const int dpi = 100;
    const QImage page = RenderPdf(pdf, dpi);
    const QRect capturedInk = InkedArea(captured.convertToFormat(QImage::Format_RGB32));
    ASSERT_TRUE(capturedInk.isValid());
    const double ratio = captured.devicePixelRatio();
    const QPointF topLeft = OnPage(QPointF(capturedInk.left() / ratio, capturedInk.top() / ratio), dpi);
    const QPointF bottomRight = OnPage(QPointF((capturedInk.right() + 1) / ratio, (capturedInk.bottom() + 1) / ratio), dpi);
    const QRect pageInk = InkedArea(page);
    // Within a quarter of a millimetre (an edge pixel of thin lines may turn dark).
    EXPECT_NEAR(pageInk.left(), topLeft.x(), 2.5);
    EXPECT_NEAR(pageInk.top(), topLeft.y(), 2.5);
    EXPECT_NEAR(pageInk.right() + 1, bottomRight.x(), 2.5);
    EXPECT_NEAR(pageInk.bottom() + 1, bottomRight.y(), 2.5);

    // Where the print button stands on screen (120, 120, 855 x 1215 twips: window pixels 8 to 65
    // across and 8 to 89 down, left of the title and above the first row) the paper is white, all
    // of it.
    const QPointF from = OnPage(QPointF(8, 8), dpi), to = OnPage(QPointF(8 + 57, 8 + 81), dpi);
    for (int y = static_cast<int>(from.y()); y < static_cast<int>(std::ceil(to.y())); ++y)
        for (int x = static_cast<int>(from.x()); x < static_cast<int>(std::ceil(to.x())); ++x)
            ASSERT_GE(qGray(page.pixel(x, y)), 250) << "ink at " << x << "," << y;
}

TEST_F(RealPreviewOnPaper, StaffLinesAreSolidBlackAcrossARowOfBlankCells)
{
    // Fret numbers and rests stand on the lines; a row of blank cells shows the bare staff.
    const Picture blank = w().symbols.pctBlank.GetPicture();
    const QString pdf = PressPrint([&](PrintPreviewWindow& preview) {
        for (int i = 1; i <= 96; ++i) preview.imgTab[i].SetPicture(blank);
    });
    ASSERT_FALSE(pdf.isEmpty());
    const int dpi = 300;
    const QImage page = RenderPdf(pdf, dpi);

    // The staff lines of the blank cell symbol: its black rows.
    const QImage cell = w().symbols.pctBlank.GetPicture().Image()->convertToFormat(QImage::Format_RGB32);
    std::vector<int> lines;
    for (int y = 0; y < cell.height(); ++y)
        if (qGray(cell.pixel(cell.width() / 2, y)) < 64) lines.push_back(y);
    ASSERT_FALSE(lines.empty());

    // Rows of the three-page window: left edge and tab-cell top, in screen pixels.
    const struct {
        int x0, top;
    } rows[] = {{72, 88}, {48, 248}, {48, 408}};
    for (const auto& row : rows) {
        for (int line : lines) {
            if (line >= 89) continue;  // the cell boxes are 89 pixels high
            SCOPED_TRACE("row at " + std::to_string(row.top) + ", staff line " + std::to_string(line));
            // From the first cell's left edge to the last cell's right edge, barlines between.
            const QPointF left = OnPage(QPointF(row.x0, row.top + line + 0.5), dpi);
            const QPointF right = OnPage(QPointF(row.x0 + 16 * 35, row.top + line + 0.5), dpi);
            int solidRows = 0;
            for (int y = static_cast<int>(left.y() - 2); y <= static_cast<int>(left.y() + 2); ++y) {
                bool solid = true;
                for (int x = static_cast<int>(std::ceil(left.x())) + 1; x <= static_cast<int>(right.x()) - 2 && solid; ++x)
                    solid = qGray(page.pixel(x, y)) <= 40;
                solidRows += solid;
            }
            EXPECT_GE(solidRows, 2);
        }
    }
}

// The three-page window printed by its button with no printer at all: run by ctest as
// printing_without_printer, where no scheduler answers.
class NoDefaultPrinterPreview : public RealPreview {
protected:
    void SetUp() override
    {
        if (!DefaultQueue().isEmpty())
            GTEST_SKIP() << "a default printer is set up; ctest's printing_without_printer runs this without one";
        home.emplace();
        ASSERT_TRUE(home->ready);
        RealPreview::SetUp();
    }
    void TearDown() override
    {
        RealPreview::TearDown();
        home.reset();
    }
    std::optional<DocumentsAtHome> home;
};

TEST_F(NoDefaultPrinterPreview, ButtonSavesThePageInTheDocumentsFolderAndSaysWhere)
{
    PrintPreviewWindow& preview = Preview("3");
    const QRect button = preview.Command1.Widget()->geometry();
    preview.Command1.Click();
    EXPECT_TRUE(preview.Command1.Visible());
    EXPECT_TRUE(preview.Window()->isVisible());

    ASSERT_EQ(messages.texts.size(), 1u);
    const std::string& said = messages.texts.front();
    const std::string lead = "No printer is set up, so the page was saved as a PDF file:\n";
    ASSERT_EQ(said.rfind(lead, 0), 0u) << said;
    const QFileInfo pdf(QString::fromStdString(said.substr(lead.size())));
    EXPECT_EQ(pdf.absolutePath(), home->Documents());
    EXPECT_TRUE(pdf.fileName().startsWith(QStringLiteral("Morning Strum "))) << pdf.fileName().toStdString();
    ASSERT_TRUE(pdf.exists());

    const QList<PdfImage> images = PdfImages(pdf.filePath());
    ASSERT_EQ(images.size(), 1);
    EXPECT_GE(images[0].width, 2612);
    EXPECT_EQ(images[0].encoding.toStdString(), "image");

    // The page's ink is the capture's ink, scaled alike in both directions; the margins left and
    // right of the window are equal, so it spans the printable width.
    const int dpi = 100;
    const QImage page = RenderPdf(pdf.filePath(), dpi);
    const QImage captured = preview.Picture1.GetPicture().Image()->convertToFormat(QImage::Format_RGB32);
    const double ratio = captured.devicePixelRatio();
    const QRect capturedInk = InkedArea(captured);
    const QRect pageInk = InkedArea(page);
    ASSERT_TRUE(capturedInk.isValid() && pageInk.isValid());
    const double scale = pageInk.width() / (capturedInk.width() / ratio);  // paper pixels a window pixel
    EXPECT_NEAR(pageInk.height(), capturedInk.height() / ratio * scale, 2.5);
    const QPointF origin(pageInk.left() - capturedInk.left() / ratio * scale,
                         pageInk.top() - capturedInk.top() / ratio * scale);
    const double windowWidth = forms::TwipsToPixels(preview.ClientWidth());
    EXPECT_NEAR(origin.x(), page.width() - (origin.x() + windowWidth * scale), 3.0);
    // Where the button stands on screen the paper is white.
    for (int y = static_cast<int>(origin.y() + button.top() * scale) + 1; y < origin.y() + button.bottom() * scale; ++y)
        for (int x = static_cast<int>(origin.x() + button.left() * scale) + 1; x < origin.x() + button.right() * scale; ++x)
            ASSERT_GE(qGray(page.pixel(x, y)), 250) << "ink at " << x << "," << y;
}

}  // namespace
}  // namespace strumwell::testing
