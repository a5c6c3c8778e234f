// Printing, for a song of one, two and three pages: File > Print until the preview window has
// painted (loaded afresh after the user closed it, and refilled while it stays open), and the
// preview's print button from the press until the button is back (the page is drawn and handed to
// the printer) and until the PDF is written: by a queue of the print scheduler of the test run's
// own (tools/private-cups.sh; its A4 queue unless LPDEST names another) or, with no printer, by
// the program into the documents folder. Real window, real capture layer and real printer. With a
// printer it also times a bare page of one white pixel from EndDoc to the queue's PDF: what the
// queue itself takes. Prints median, p90 and max of each, and the machine's load. It never prints
// on the machine's own printers.
//
//   tools/private-cups.sh build/bench/print [runs]     (run it under an X server: DISPLAY=:91
//                                                       after `Xvfb :91 &`; Qt's offscreen
//                                                       platform when there is no DISPLAY)
//   CUPS_SERVER=/nonexistent build/bench/print [runs]  the same with no print service

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "installed_clips.h"
#include "bench_song.h"
#include "platform/comdlg/common_dialog.h"
#include "platform/flash/flash_control.h"
#include "platform/gdi/gdi.h"
#include "platform/kernel/kernel.h"
#include "platform/printer/printer.h"
#include "printing/preview_windows.h"
#include "sheet/strumwellfrm.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point from) { return std::chrono::duration<double, std::milli>(Clock::now() - from).count(); }

void Report(const char* what, std::vector<double> ms, double target)
{
    if (ms.empty()) return;
    std::sort(ms.begin(), ms.end());
    const auto at = [&](double q) { return ms[std::min(ms.size() - 1, static_cast<std::size_t>(q * static_cast<double>(ms.size())))]; };
    std::printf("%-46s median %8.2f ms   p90 %8.2f ms   max %8.2f ms   (%zu runs", what, at(0.5), at(0.9),
                ms.back(), ms.size());
    if (target > 0) std::printf("; target median < %.0f ms: %s", target, at(0.5) < target ? "met" : "MISSED");
    std::printf(")\n");
}

std::string LoadAverage()
{
    std::ifstream in("/proc/loadavg");
    std::string load;
    std::getline(in, load);
    return load;
}

// Notes the first paint of a widget after it is armed.
class PaintWatch : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) painted = true;
        return false;
    }
};

// Handles events until `done` or five seconds have passed; false on time-out.
template <class Done>
bool PumpUntil(Done done)
{
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > 5000) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return true;
}

// The PDF whose name holds `mark` in `folder`, once it has a complete trailer.
bool PdfWritten(const QString& folder, const QString& mark, QString* found)
{
    for (const QFileInfo& file : QDir(folder).entryInfoList({QStringLiteral("*.pdf")}, QDir::Files)) {
        if (!file.fileName().contains(mark)) continue;
        QFile pdf(file.filePath());
        if (!pdf.open(QIODevice::ReadOnly) || pdf.size() < 16) return false;
        pdf.seek(pdf.size() - 16);
        if (!pdf.readAll().contains("%%EOF")) return false;
        *found = file.filePath();
        return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    // The queues of the scheduler of the test run's own write into its out/ folder. Any other
    // scheduler is a real one, the machine's or another's: only a socket that is not there (no
    // print service at all) will do instead.
    const QString ownScheduler = qEnvironmentVariable("STRUMWELL_CUPS_DIR");
    const QString server = qEnvironmentVariable("CUPS_SERVER");
    const bool onOwnScheduler = !ownScheduler.isEmpty() && server == ownScheduler + QStringLiteral("/run/cups.sock");
    const bool noService = server.startsWith(QLatin1Char('/')) && !QFileInfo::exists(server);
    if (!onOwnScheduler && !noService) {
        std::printf("this would print on a real printer: run it as tools/private-cups.sh build/bench/print, or with "
                    "CUPS_SERVER=/nonexistent for the path without a printer\n");
        return 2;
    }
    if (onOwnScheduler && qEnvironmentVariableIsEmpty("LPDEST")) qputenv("LPDEST", "A4");
    const QString queueFolder = ownScheduler + QStringLiteral("/out");
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(5, std::atoi(argv[1])) : 40;
    QTemporaryDir folder;
    const std::string song = bench::WriteThreePageSong(folder);

    bench::WindowDoubles doubles;
    auto& openDialog = doubles.openDialog;
    auto& messages = doubles.messages;
    platform::ScreenGdi gdi;
    platform::DefaultPrinter printer;
    doubles.services.gdi = &gdi;
    doubles.services.printer = &printer;
    strumwell::Strumwellfrm window(doubles.services, "", bench::InstalledClips());
    window.Form_Load();
    window.Show();
    openDialog.answers.push_back(song);
    window.Open_Click();
    QApplication::processEvents();
    if (window.tabs.lblTotalPages.Caption() != "3") {
        std::printf("the song did not open\n");
        return 1;
    }
    std::printf("platform %s, load %s\n", qPrintable(QApplication::platformName()), LoadAverage().c_str());

    std::string where;
    forms::MenuItem* counts[] = {&window.menu.numberofpagesone, &window.menu.numberofpagestwo,
                                 &window.menu.numberofpagesthree};
    for (int pages = 1; pages <= 3; ++pages) {
        counts[pages - 1]->Click();
        QApplication::processEvents();
        const auto loaded = [&]() -> strumwell::PrintPreviewWindow* {
            if (pages == 1) return window.Previews().LoadedOnePage();
            if (pages == 2) return window.Previews().LoadedTwoPages();
            return window.Previews().LoadedThreePages();
        };

        // File > Print until the preview has painted.
        auto printToPaint = [&](bool closeFirst) {
            if (closeFirst) {
                if (auto* open = loaded()) open->Window()->close();
                QApplication::processEvents();
            }
            PaintWatch watch;
            const auto start = Clock::now();
            window.menu.Print.Click();
            strumwell::PrintPreviewWindow* preview = loaded();
            if (!preview) return -1.0;
            preview->ContainerWidget()->installEventFilter(&watch);
            const bool painted = PumpUntil([&] { return watch.painted; });
            const double ms = Ms(start);
            preview->ContainerWidget()->removeEventFilter(&watch);
            return painted ? ms : -1.0;
        };
        std::vector<double> fresh, refill;
        printToPaint(true);  // warm up
        for (int i = 0; i < runs; ++i) {
            fresh.push_back(printToPaint(true));
            // A refill paints only what changed: change the title so that there is something to paint.
            window.sheet.txtTitle.SetText("Bench Song " + std::to_string(i));
            refill.push_back(printToPaint(false));
        }
        if (std::count(fresh.begin(), fresh.end(), -1.0) || std::count(refill.begin(), refill.end(), -1.0)) {
            std::printf("a preview did not paint within five seconds\n");
            return 1;
        }
        const std::string label = std::to_string(pages) + (pages == 1 ? " page: " : " pages: ");
        Report((label + "print to preview painted, fresh").c_str(), fresh, 50);
        Report((label + "print to preview painted, open").c_str(), refill, 50);

        // The print button: press until the button is back, and press until the PDF is written.
        std::vector<double> pressed, written;
        for (int i = 0; i < std::max(5, runs / 2); ++i) {
            const QString mark =
                QStringLiteral("strumwell-bench-%1-%2-%3").arg(QCoreApplication::applicationPid()).arg(pages).arg(i);
            window.sheet.txtTitle.SetText(mark.toStdString());
            window.menu.Print.Click();
            strumwell::PrintPreviewWindow* preview = loaded();
            QApplication::processEvents();
            messages.texts.clear();
            const auto start = Clock::now();
            preview->Command1.Click();
            pressed.push_back(Ms(start));
            // With no printer the message box names the file; else the queue writes it.
            const bool toQueue = messages.texts.empty();
            QString pdf;
            if (toQueue) {
                QElapsedTimer waited;
                waited.start();
                while (!PdfWritten(queueFolder, mark, &pdf) && waited.elapsed() < 30000) QThread::usleep(500);
            } else {
                const std::string& text = messages.texts.front();
                if (text.find("PDF file:\n") != std::string::npos)
                    pdf = QString::fromStdString(text.substr(text.find(":\n") + 2));
            }
            if (pdf.isEmpty()) {
                std::printf("no PDF written: %s\n", messages.texts.empty() ? "timed out" : messages.texts.front().c_str());
                return 1;
            }
            written.push_back(Ms(start));
            where = toQueue ? "on the queue " + qEnvironmentVariable("LPDEST").toStdString()
                            : "into the documents folder (no printer)";
            QFile::remove(pdf);
        }
        Report((label + "press to button back").c_str(), pressed, 0);
        Report((label + "press to PDF written").c_str(), written, 300);
    }
    std::printf("printing %s\n", where.c_str());

    // The queue alone: a page of one white pixel, from EndDoc until the queue has written it.
    if (where.rfind("on the queue ", 0) == 0) {
        QImage dot(1, 1, QImage::Format_RGB32);
        dot.fill(Qt::white);
        const forms::Picture bare(dot);
        std::vector<double> queued;
        for (int i = 0; i < std::max(5, runs / 2); ++i) {
            const QString mark =
                QStringLiteral("strumwell-bench-%1-bare-%2").arg(QCoreApplication::applicationPid()).arg(i);
            platform::DefaultPrinter alone;
            alone.SetDocumentTitle(mark.toStdString());
            alone.PaintPicture(bare, 0, 0, 1440, 1440);
            const auto start = Clock::now();
            if (alone.EndDoc().kind != platform::PrintOutcome::Kind::Printed) break;
            QString pdf;
            QElapsedTimer waited;
            waited.start();
            while (!PdfWritten(queueFolder, mark, &pdf) && waited.elapsed() < 30000) QThread::usleep(500);
            if (pdf.isEmpty()) break;
            queued.push_back(Ms(start));
            QFile::remove(pdf);
        }
        Report("bare page: EndDoc to PDF written", queued, 0);
    }
    std::printf("load %s\n", LoadAverage().c_str());
    return 0;
}
