// The preview windows through the real capture layer and, on the test run's own print scheduler,
// the real printer: what the print button puts on paper, on each paper the queues hold, and what
// the user is told when the page does not come out.

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

// The preview windows printed by their button on the queues of the test run's own scheduler
// (tools/private-cups.sh), as a user prints: File > Print, then a click on the print button.
class RealPreviewOnPaper : public RealPreview {
protected:
    void SetUp() override
    {
        STRUMWELL_NEED_PRINT_SCHEDULER();
        RealPreview::SetUp();
        // Words under the last row of every preview, and under the one row of a one-page song.
        w().sheet.txtLyrics.SetText("words of the last row");
        w().stores.txtLyricsPage[3].SetText("words of the last row");
    }

    static std::string UniqueTitle(const std::string& what)
    {
        static int count = 0;
        return "Morning-Strum-" + what + "-" + std::to_string(QCoreApplication::applicationPid()) + "-" +
               std::to_string(++count);
    }

    // Prints the song with the page count given on the default printer, through the preview's
    // button; `prepare` may change the preview before the press. The preview.
    PrintPreviewWindow& PressPrint(int pages, const std::string& title,
                                   const std::function<void(PrintPreviewWindow&)>& prepare = {})
    {
        w().sheet.txtTitle.SetText(title);
        PrintPreviewWindow& preview = Preview(std::to_string(pages));
        if (prepare) prepare(preview);
        messages.texts.clear();
        ClickAt(preview.Command1);
        EXPECT_TRUE(preview.Command1.Visible());
        return preview;
    }

    // The song printed by the preview's button on the default printer `queue` comes out on the
    // paper `paperName` of the queue `described` (its printer description), turned on it by `turn`
    // quarters anticlockwise (landscape: 1, upside down: 2), and holds the whole sheet from the
    // printable area's corner.
    void ExpectWholeSheetOnPaper(const QString& queue, const QString& described, const QString& paperName, int turn,
                                 int pages);

    // The PDF the queue wrote for the title, "" when none came.
    QString Printed(const std::string& title)
    {
        const QString pdf = WaitForPdf(QueueOutput(), QString::fromStdString(title));
        EXPECT_FALSE(pdf.isEmpty()) << "no PDF of " << title << " in " << QueueOutput().toStdString();
        return pdf;
    }
};

// The ink of `image` within `part`, in the image's pixels; an empty rectangle when there is none.
QRect InkWithin(const QImage& image, const QRect& part)
{
    const QRect inside = part.intersected(image.rect());
    const QRect ink = InkedArea(image.copy(inside));
    return ink.isValid() ? ink.translated(inside.topLeft()) : QRect();
}

// The printed page, rendered as the paper comes out of the printer, holds the whole window as
// the capture shows it: from the corner of the printable area (`printable`, page pixels), scaled
// alike in both directions to the printable width, or to its height where the window is taller
// in proportion. Checked on the ink of the whole window, of the title and of the last row's
// lyrics; and where the print button stands the paper is white.
void ExpectWholeWindowOnPage(const QImage& page, const QRectF& printable, PrintPreviewWindow& preview)
{
    const QImage capture = preview.Picture1.GetPicture().Image()->convertToFormat(QImage::Format_RGB32);
    const double ratio = capture.devicePixelRatio();
    const QSizeF window(forms::TwipsToPixels(preview.ClientWidth()), forms::TwipsToPixels(preview.ClientHeight()));
    const double scale = std::min(printable.width() / window.width(), printable.height() / window.height());
    const auto onPage = [&](QPointF at) { return printable.topLeft() + at * scale; };
    const auto geometry = [](const forms::Control& c) { return QRectF(c.Widget()->geometry()); };

    const struct {
        const char* what;
        QRectF part;  // window pixels
    } parts[] = {
        {"the whole window", QRectF(QPointF(0, 0), window)},
        {"the title", geometry(preview.lblNewTitle)},
        {"the last row's lyrics", geometry(preview.LyricsLabel(preview.RowCount()))},
    };
    for (const auto& p : parts) {
        SCOPED_TRACE(p.what);
        const QRect captured = InkWithin(capture, QRectF(p.part.topLeft() * ratio, p.part.size() * ratio).toAlignedRect());
        ASSERT_TRUE(captured.isValid()) << "no ink in the capture";
        const QRectF expected(onPage(QPointF(captured.left(), captured.top()) / ratio),
                              onPage(QPointF(captured.right() + 1, captured.bottom() + 1) / ratio));
        // Where the part is printed, a page pixel inside its edges, which neighbours may touch.
        const QRectF printed(onPage(p.part.topLeft()), onPage(p.part.bottomRight()));
        const QRect ink = InkWithin(page, printed.adjusted(1, 1, -1, -1).toAlignedRect());
        ASSERT_TRUE(ink.isValid()) << "no ink on the page where it belongs";
        // Within a quarter of a millimetre at 100 dpi (an edge pixel of thin lines may turn dark).
        EXPECT_NEAR(ink.left(), expected.left(), 2.5);
        EXPECT_NEAR(ink.top(), expected.top(), 2.5);
        EXPECT_NEAR(ink.right() + 1, expected.right(), 2.5);
        EXPECT_NEAR(ink.bottom() + 1, expected.bottom(), 2.5);
    }
    // Nothing of the window is printed outside where the window goes.
    const QRect all = InkedArea(page);
    EXPECT_TRUE(QRectF(onPage(QPointF(0, 0)), onPage(QPointF(window.width(), window.height())))
                    .adjusted(-1, -1, 1, 1)
                    .contains(QRectF(all)))
        << "ink from " << all.left() << "," << all.top() << " to " << all.right() << "," << all.bottom();

    const QRectF button = geometry(preview.Command1);
    const QRect white = QRectF(onPage(button.topLeft()), onPage(button.bottomRight())).toAlignedRect().adjusted(2, 2, -2, -2);
    EXPECT_FALSE(InkWithin(page, white).isValid()) << "ink where the print button stands";
}

// On every paper the queues hold, the page is the queue's paper, and the whole sheet lies on it
// from the printable area's corner: the title at the top and the last row's lyrics included.
TEST_F(RealPreviewOnPaper, TheWholeSheetPrintsOnTheDefaultPrintersOwnPaper)
{
    const struct {
        const char* queue;
        const char* paper;  // the queue's default paper
        int turn;           // the page turned on it by default: quarters anticlockwise (landscape: 1)
        int pages;
    } cases[] = {
        {"A4", "A4", 0, 3},         {"Letter", "Letter", 0, 3},   {"Letter", "Letter", 0, 1},
        {"Legal", "Legal", 0, 3},   {"A5", "A5", 0, 2},           {"Ledger", "Ledger", 0, 3},
        {"Landscape", "A4", 1, 3},  {"Landscape", "A4", 1, 1},    {"ReverseLandscape", "A4", -1, 3},
        {"ReversePortrait", "A4", 2, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.queue) + ", " + std::to_string(c.pages) + " pages");
        const QString queue = QString::fromLatin1(c.queue);
        ExpectWholeSheetOnPaper(queue, queue, QString::fromLatin1(c.paper), c.turn, c.pages);
    }
}

// The user's own settings for the printer (lpoptions: here instances of the A4 queue) choose the
// paper and the turn, for the page's layout and for the job alike.
TEST_F(RealPreviewOnPaper, TheUsersOwnPrinterSettingsChooseThePaper)
{
    const PrinterSettings settings("Dest A4/letter PageSize=Letter\nDest A4/turned orientation-requested=4\n");
    ASSERT_TRUE(settings.Written());
    const struct {
        const char* queue;
        const char* paper;
        int turn;
    } cases[] = {{"A4/letter", "Letter", 0}, {"A4/turned", "A4", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.queue);
        ExpectWholeSheetOnPaper(QString::fromLatin1(c.queue), QStringLiteral("A4"), QString::fromLatin1(c.paper),
                                c.turn, 3);
    }
}

void RealPreviewOnPaper::ExpectWholeSheetOnPaper(const QString& queue, const QString& described,
                                                 const QString& paperName, int turn, int pages)
{
    const DefaultQueue chosen{queue};
    const std::optional<QueuePaper> paper = PaperOfQueue(described, paperName);
    ASSERT_TRUE(paper) << "the queue's printer description cannot be read";

    const std::string title = UniqueTitle(described.toStdString());
    PrintPreviewWindow& preview = PressPrint(pages, title);
    EXPECT_EQ(messages.texts, std::vector<std::string>{});
    const QString pdf = Printed(title);
    if (pdf.isEmpty()) return;

    const int dpi = 100;
    const double px = dpi / 72.0;  // pixels a point
    QImage page = RenderPdf(pdf, dpi);
    ASSERT_NEAR(page.width(), paper->paper.width() * px, 1.5);
    ASSERT_NEAR(page.height(), paper->paper.height() * px, 1.5);
    // Turned back, the paper reads as the window does; so does the printable area on it.
    QRectF printable(paper->printable.topLeft() * px, paper->printable.size() * px);
    if (turn == 1)
        printable = QRectF(page.height() - printable.bottom(), printable.left(), printable.height(), printable.width());
    else if (turn == -1)
        printable = QRectF(printable.top(), page.width() - printable.right(), printable.height(), printable.width());
    else if (turn == 2)
        printable = QRectF(page.width() - printable.right(), page.height() - printable.bottom(), printable.width(),
                           printable.height());
    if (turn != 0) page = page.transformed(QTransform().rotate(90 * turn));
    ExpectWholeWindowOnPage(page, printable, preview);
}

// A page that the printer does not print at once is reported: which printer, and that the page
// waits in its queue; it waits there, and comes out once the printer is resumed or the job
// released.
TEST_F(RealPreviewOnPaper, APageThatWaitsInItsQueueIsReported)
{
    const auto jobsOf = [](const QString& queue) {
        QStringList ids;
        for (const QString& line : RunTool(QStringLiteral("lpstat"), {QStringLiteral("-o"), queue}).split(QLatin1Char('\n')))
            if (!line.isEmpty()) ids << line.section(QLatin1Char(' '), 0, 0);
        return ids;
    };
    const struct {
        const char* queue;
        const char* said;
        std::function<void()> release, putBack;
    } cases[] = {
        {"Paused",
         "The page waits in the queue of the printer \"Paused\": the printer is paused, and the page prints when it "
         "is resumed.",
         [] { RunTool(QStringLiteral("cupsenable"), {QStringLiteral("Paused")}); },
         [] {
             RunTool(QStringLiteral("cupsdisable"),
                     {QStringLiteral("-r"), QStringLiteral("paused for the tests"), QStringLiteral("Paused")});
         }},
        {"Held", "The page waits in the queue of the printer \"Held\": the printer holds it until the job is released.",
         [&] {
             for (const QString& id : jobsOf(QStringLiteral("Held")))
                 RunTool(QStringLiteral("lp"), {QStringLiteral("-i"), id, QStringLiteral("-H"), QStringLiteral("resume")});
         },
         [] {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.queue);
        const QString name = QString::fromLatin1(c.queue);
        const DefaultQueue queue{name};
        CancelJobs(name);
        const std::string title = UniqueTitle(c.queue);
        PrintPreviewWindow& preview = PressPrint(3, title);
        EXPECT_EQ(messages.texts, std::vector<std::string>{c.said});
        EXPECT_TRUE(preview.Window()->isVisible());
        EXPECT_EQ(WaitingJobs(name), 1);
        c.release();
        const QString pdf = Printed(title);
        c.putBack();
        if (!pdf.isEmpty()) {
            EXPECT_FALSE(InkedArea(RenderPdf(pdf, 50)).isEmpty()) << "the page came out blank";
        }
        CancelJobs(name);
    }
}

TEST_F(RealPreviewOnPaper, ARefusedPageIsReportedWithThePrintersReason)
{
    const DefaultQueue queue{QStringLiteral("Refusing")};
    PrintPreviewWindow& preview = PressPrint(1, UniqueTitle("refused"));
    EXPECT_EQ(messages.texts, std::vector<std::string>{"The printer \"Refusing\" did not take the page: Destination "
                                                       "\"Refusing\" is not accepting jobs."});
    EXPECT_TRUE(preview.Window()->isVisible());
}

TEST_F(RealPreviewOnPaper, StaffLinesAreSolidBlackAcrossARowOfBlankCells)
{
    // Fret numbers and rests stand on the lines; a row of blank cells shows the bare staff.
    const DefaultQueue queue{QStringLiteral("A4")};
    const std::optional<QueuePaper> paper = PaperOfQueue(QStringLiteral("A4"));
    ASSERT_TRUE(paper);
    const Picture blank = w().symbols.pctBlank.GetPicture();
    const std::string title = UniqueTitle("staff");
    PressPrint(3, title, [&](PrintPreviewWindow& preview) {
        for (int i = 1; i <= 96; ++i) preview.imgTab[i].SetPicture(blank);
    });
    const QString pdf = Printed(title);
    ASSERT_FALSE(pdf.isEmpty());
    const int dpi = 300;
    const QImage page = RenderPdf(pdf, dpi);
    // A point of the window (screen pixels) on the page.
    const auto onPage = [&](QPointF at) {
        const double px = dpi / 72.0;
        const double scale = paper->printable.width() * px / 653.0;
        return QPointF(paper->printable.x() * px + at.x() * scale, paper->printable.y() * px + at.y() * scale);
    };

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
            const QPointF left = onPage(QPointF(row.x0, row.top + line + 0.5));
            const QPointF right = onPage(QPointF(row.x0 + 16 * 35, row.top + line + 0.5));
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

// The three-page window printed by its button with no print service at all: run by ctest as
// printing_without_print_service, whose scheduler socket leads nowhere.
class NoPrintServicePreview : public RealPreview {
protected:
    void SetUp() override
    {
        if (SchedulerAnswers())
            GTEST_SKIP() << "a print service answers; ctest's printing_without_print_service runs this without one";
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

TEST_F(NoPrintServicePreview, ButtonSavesThePageInTheDocumentsFolderAndSaysWhere)
{
    PrintPreviewWindow& preview = Preview("3");
    const QRect button = preview.Command1.Widget()->geometry();
    preview.Command1.Click();
    EXPECT_TRUE(preview.Command1.Visible());
    EXPECT_TRUE(preview.Window()->isVisible());

    ASSERT_EQ(messages.texts.size(), 1u);
    const std::string& said = messages.texts.front();
    const std::string lead = "The print service does not answer, so the page was saved as a PDF file:\n";
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
