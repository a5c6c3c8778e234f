// The real printer layer against a real print scheduler, the test run's own (tools/private-cups.sh):
// the capture of a window printed on its A4 queue, which writes PDF files; and printing with no
// default printer, and with no print service at all.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QStandardPaths>

#include <cups/cups.h>

#include <cmath>

#include "platform/gdi/gdi.h"
#include "platform/printer/printer.h"
#include "printing/printing_module.h"
#include "printing/print_check.h"

namespace strumwell {
namespace {

namespace PM = PrintingModule;
using namespace strumwell::testing;

// A title no other job has, which the PDF queue puts into the file's name.
QString UniqueTitle(const char* what)
{
    static int count = 0;
    return QStringLiteral("strumwell-%1-%2-%3").arg(QLatin1String(what)).arg(QCoreApplication::applicationPid()).arg(++count);
}

// The six staff lines of a tab cell, 16 x 105 pixels, one pixel thick.
QImage CellSymbol()
{
    QImage image(16, 105, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int line = 0; line < 6; ++line)
        for (int x = 0; x < 16; ++x) image.setPixel(x, 12 + 16 * line, qRgb(0, 0, 0));
    return image;
}

QImage Black(int size)
{
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(Qt::black);
    return image;
}

// A window of the three-page preview's size: black marks in two opposite corners, and a bar of
// eight tab cells laid 240 twips apart as the preview lays them.
class PrintedWindow {
public:
    PrintedWindow()
    {
        topLeft.SetPicture(forms::Picture(Black(8)));
        bottomRight.SetPicture(forms::Picture(Black(8)));
        cells.Reserve(1, 8);
        const forms::Picture cell(CellSymbol());
        for (int k = 1; k <= 8; ++k) {
            cells.Add(forms::PictureBox(form, "imgTab", {720 + 240 * (k - 1), 1320, 255, 1575}));
            cells[k].SetPicture(cell);
        }
        form.Show();
        forms::DoEvents();
    }
    forms::Form form{"Print Preview", 9795, 7800};
    forms::PictureBox topLeft{form, "topLeft", {0, 0, 120, 120}};
    forms::PictureBox bottomRight{form, "bottomRight", {9795 - 120, 7800 - 120, 120, 120}};
    forms::ControlArray<forms::PictureBox> cells;
};

class CupsQueue : public ::testing::Test {
protected:
    void SetUp() override
    {
        STRUMWELL_NEED_PRINT_SCHEDULER();
        paper = PaperOfQueue(kQueue);
        ASSERT_TRUE(paper) << "the A4 queue's printer description cannot be read";
        ASSERT_EQ(paper->name.toStdString(), "A4");
        ASSERT_GT(paper->printable.top(), 0) << "the A4 queue has margins";
    }

    // Prints the window's capture on the default printer and waits for the PDF the queue writes.
    QString PrintAndWait(const forms::Form& form, const QString& title)
    {
        platform::ScreenGdi gdi;
        platform::DefaultPrinter printer;
        printer.SetDocumentTitle(title.toStdString());
        PM::PrintPictureFitted(printer, PM::GrabFormClient(gdi, form));
        const platform::PrintOutcome outcome = printer.EndDoc();
        EXPECT_EQ(outcome.kind, platform::PrintOutcome::Kind::Printed) << outcome.message;
        EXPECT_EQ(outcome.printer, kQueue.toStdString());
        EXPECT_EQ(outcome.message, "");
        const QString pdf = WaitForPdf(QueueOutput(), title);
        EXPECT_FALSE(pdf.isEmpty()) << "no PDF with " << title.toStdString() << " in "
                                    << QueueOutput().toStdString();
        return pdf;
    }

    const QString kQueue = QStringLiteral("A4");
    DefaultQueue queue{kQueue};
    std::optional<QueuePaper> paper;
};

TEST_F(CupsQueue, CaptureFillsThePrintableWidthFromItsTopLeftCorner)
{
    PrintedWindow window;
    const QString pdf = PrintAndWait(window.form, UniqueTitle("fit"));
    ASSERT_FALSE(pdf.isEmpty());

    const int dpi = 100;
    const QImage page = RenderPdf(pdf, dpi);
    const double px = dpi / 72.0;  // pixels a point
    ASSERT_NEAR(page.width(), paper->paper.width() * px, 1.5);
    ASSERT_NEAR(page.height(), paper->paper.height() * px, 1.5);
    // The corner marks span the picture: from the printable area's top-left corner, the printable
    // width wide, with the window's proportions.
    const QRect inked = InkedArea(page);
    const QRectF printable(paper->printable.x() * px, paper->printable.y() * px,
                           paper->printable.width() * px, paper->printable.height() * px);
    EXPECT_NEAR(inked.left(), printable.left(), 1.5);
    EXPECT_NEAR(inked.top(), printable.top(), 1.5);
    EXPECT_NEAR(inked.width(), printable.width(), 2.0);
    EXPECT_NEAR(inked.height(), printable.width() * 7800.0 / 9795.0, 2.0);

    // The page holds the capture at four times the window's pixels.
    const QList<PdfImage> images = PdfImages(pdf);
    ASSERT_EQ(images.size(), 1);
    EXPECT_FALSE(images[0].interpolate);  // symbol art is not smoothed into grey
    EXPECT_GE(images[0].width, 653 * 4);
}

TEST_F(CupsQueue, StaffLinesPrintSolidBlackAcrossTheCells)
{
    PrintedWindow window;
    const QString pdf = PrintAndWait(window.form, UniqueTitle("staff"));
    ASSERT_FALSE(pdf.isEmpty());

    const int dpi = 300;
    const QImage page = RenderPdf(pdf, dpi);
    const double px = dpi / 72.0;
    const double scale = paper->printable.width() * px / 653.0;  // paper pixels a window pixel
    const QPointF origin(paper->printable.x() * px, paper->printable.y() * px);
    // The cells of the bar, in page pixels, a little inside their outer edges.
    const int left = static_cast<int>(std::ceil(origin.x() + 48 * scale)) + 1;
    const int right = static_cast<int>(std::floor(origin.x() + (48 + 8 * 16) * scale)) - 2;
    for (int line = 0; line < 6; ++line) {
        SCOPED_TRACE("staff line " + std::to_string(line + 1));
        const double centre = origin.y() + (88 + 12 + 16 * line + 0.5) * scale;
        int solidRows = 0;
        for (int y = static_cast<int>(centre - scale); y <= static_cast<int>(centre + scale); ++y) {
            bool solid = true;
            for (int x = left; x <= right && solid; ++x) solid = qGray(page.pixel(x, y)) <= 40;
            solidRows += solid;
        }
        EXPECT_GE(solidRows, 2);  // a screen pixel is about four paper pixels at 300 dpi
    }
}

TEST_F(CupsQueue, TwoPressesAreTwoDocuments)
{
    PrintedWindow window;
    const QString title = UniqueTitle("twice");
    const QString first = PrintAndWait(window.form, title + QStringLiteral("-a"));
    const QString second = PrintAndWait(window.form, title + QStringLiteral("-b"));
    EXPECT_FALSE(first.isEmpty());
    EXPECT_FALSE(second.isEmpty());
    EXPECT_NE(first, second);
}

// Printing where no page can go to a printer: the page goes into a PDF in the documents folder,
// which comes from a home and desktop settings made for the test.
class WithoutPrinter : public ::testing::Test {
protected:
    void SetUp() override
    {
        home.emplace();
        ASSERT_TRUE(home->ready);
    }
    void TearDown() override { home.reset(); }

    platform::PrintOutcome Print(const std::string& title)
    {
        PrintedWindow window;
        platform::ScreenGdi gdi;
        platform::DefaultPrinter printer;
        printer.SetDocumentTitle(title);
        PM::PrintPictureFitted(printer, PM::GrabFormClient(gdi, window.form));
        return printer.EndDoc();
    }

    std::optional<DocumentsAtHome> home;
};

// No print service answers: run by ctest as printing_without_print_service, whose scheduler
// socket leads nowhere.
class NoPrintService : public WithoutPrinter {
protected:
    void SetUp() override
    {
        if (SchedulerAnswers())
            GTEST_SKIP() << "a print service answers; ctest's printing_without_print_service runs this without one";
        WithoutPrinter::SetUp();
    }
};

// The run's own scheduler answers, and no printer is the default.
class NoDefaultPrinter : public WithoutPrinter {
protected:
    void SetUp() override
    {
        STRUMWELL_NEED_PRINT_SCHEDULER();
        WithoutPrinter::SetUp();  // a home without the user's printer settings
    }
    DefaultQueue none{QString()};
};

// The print service goes away after the printer was looked up, before the page is sent to it.
class ServiceGoneBeforeSending : public WithoutPrinter {
protected:
    void SetUp() override
    {
        STRUMWELL_NEED_PRINT_SCHEDULER();
        WithoutPrinter::SetUp();
    }
    void TearDown() override
    {
        cupsSetServer(nullptr);  // back to CUPS_SERVER
        WithoutPrinter::TearDown();
    }
    DefaultQueue a4{QStringLiteral("A4")};
};

TEST_F(ServiceGoneBeforeSending, SaysTheServiceDoesNotAnswerAndSavesThePageAsAPdf)
{
    PrintedWindow window;
    platform::ScreenGdi gdi;
    platform::DefaultPrinter printer;
    printer.SetDocumentTitle("Gone");
    PM::PrintPictureFitted(printer, PM::GrabFormClient(gdi, window.form));  // the A4 queue is looked up
    const QByteArray nowhere = home->home.filePath(QStringLiteral("no-scheduler.sock")).toLocal8Bit();
    cupsSetServer(nowhere.constData());
    const platform::PrintOutcome outcome = printer.EndDoc();
    ASSERT_EQ(outcome.kind, platform::PrintOutcome::Kind::SavedAsPdf) << outcome.message;
    EXPECT_EQ(outcome.message, "The print service does not answer, so the page was saved as a PDF file:\n" + outcome.path);
    EXPECT_EQ(QFileInfo(QString::fromStdString(outcome.path)).absolutePath(), home->Documents());
    // Laid out for the printer looked up: its paper, from its printable area's corner.
    const std::optional<QueuePaper> paper = PaperOfQueue(QStringLiteral("A4"));
    ASSERT_TRUE(paper);
    const int dpi = 100;
    const double px = dpi / 72.0;
    const QImage page = RenderPdf(QString::fromStdString(outcome.path), dpi);
    EXPECT_NEAR(page.width(), paper->paper.width() * px, 1.5);
    EXPECT_NEAR(page.height(), paper->paper.height() * px, 1.5);
    const QRect inked = InkedArea(page);
    EXPECT_NEAR(inked.left(), paper->printable.left() * px, 1.5);
    EXPECT_NEAR(inked.top(), paper->printable.top() * px, 1.5);
}

TEST_F(NoDefaultPrinter, SaysSoAndSavesThePageAsAPdf)
{
    const platform::PrintOutcome outcome = Print("No Default");
    ASSERT_EQ(outcome.kind, platform::PrintOutcome::Kind::SavedAsPdf) << outcome.message;
    EXPECT_EQ(outcome.message, "No printer is set up, so the page was saved as a PDF file:\n" + outcome.path);
    EXPECT_EQ(QFileInfo(QString::fromStdString(outcome.path)).absolutePath(), home->Documents());
}

TEST_F(NoPrintService, SaysSoAndSavesThePageAsAPdfInTheDocumentsFolder)
{
    const QString papers = home->Documents();
    const platform::PrintOutcome first = Print("Sunny Day / take 2");
    ASSERT_EQ(first.kind, platform::PrintOutcome::Kind::SavedAsPdf) << first.message;
    const QFileInfo file(QString::fromStdString(first.path));
    EXPECT_EQ(file.absolutePath(), papers);
    EXPECT_TRUE(file.fileName().startsWith(QStringLiteral("Sunny Day _ take 2 ") +
                                           QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))))
        << file.fileName().toStdString();
    EXPECT_TRUE(file.fileName().endsWith(QStringLiteral(".pdf")));
    EXPECT_EQ(first.message, "The print service does not answer, so the page was saved as a PDF file:\n" + first.path);
    EXPECT_EQ(first.printer, "");

    // A real PDF with the capture in it, at the window's proportions.
    const QImage page = RenderPdf(file.filePath(), 100);
    ASSERT_FALSE(page.isNull());
    const QRect inked = InkedArea(page);
    EXPECT_NEAR(static_cast<double>(inked.height()) / inked.width(), 7800.0 / 9795.0, 0.01);
    // The capture is stored as it is: four times the window's pixels, coded without loss.
    const QList<PdfImage> images = PdfImages(file.filePath());
    ASSERT_EQ(images.size(), 1);
    EXPECT_GE(images[0].width, 653 * 4);
    EXPECT_EQ(images[0].encoding.toStdString(), "image");
    EXPECT_FALSE(images[0].interpolate);

    // The same title again, within the same second or not, never replaces the first file.
    const platform::PrintOutcome second = Print("Sunny Day / take 2");
    ASSERT_EQ(second.kind, platform::PrintOutcome::Kind::SavedAsPdf) << second.message;
    EXPECT_NE(second.path, first.path);
    EXPECT_TRUE(QFileInfo::exists(file.filePath()));
}

TEST_F(NoPrintService, AnUntitledSongGetsTheProgramsName)
{
    const platform::PrintOutcome outcome = Print("  ");
    ASSERT_EQ(outcome.kind, platform::PrintOutcome::Kind::SavedAsPdf) << outcome.message;
    EXPECT_TRUE(QFileInfo(QString::fromStdString(outcome.path)).fileName().startsWith(QStringLiteral("Strumwell ")));
}

TEST_F(NoPrintService, ADocumentsFolderThatCannotBeMadeIsReported)
{
    QFile blocker(home->Documents());  // a file where the folder should be
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const platform::PrintOutcome outcome = Print("Blocked");
    EXPECT_EQ(outcome.kind, platform::PrintOutcome::Kind::Failed);
    EXPECT_EQ(outcome.message, "The print service does not answer, and the page could not be saved as a PDF file in " +
                                   home->Documents().toStdString() + ": the folder could not be made.");
}

}  // namespace
}  // namespace strumwell
