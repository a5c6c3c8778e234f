// Song files: File > Open of a three-page song (read, check, fill the load buffer, draw the sheet,
// with Sleep returning at once) and File > Save of it (stores, file written beside the old one,
// flushed to disk, moved over it), through the real window with scripted dialogs. Prints median,
// p99 and max of each over many runs; "open and paint" adds one synchronous repaint of the window.
// Also the check of the file alone, and the file-type registration of a second start.
// Hostile values: a 1 MB and a 3 MB non-number on line 4, from the command line through start-up
// and the window's first show until the message box it leads to has laid out its text; the check alone on values 3 MB long; and the tooltip of a cell whose
// token is 3 MB long, until it is shown.
//
//   bench/songfile [runs] [hostile runs]   (Qt's offscreen platform unless QT_QPA_PLATFORM says
//                                           otherwise; hostile runs default to 3)

#include <QApplication>
#include <QHelpEvent>
#include <QMainWindow>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QToolTip>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "installed_clips.h"
#include "bench_song.h"
#include "platform/comdlg/common_dialog.h"
#include "platform/flash/flash_control.h"
#include "platform/kernel/kernel.h"
#include "platform/registry/file_registry.h"
#include "sheet/strumwellfrm.h"
#include "songfile/file_association.h"
#include "songfile/song_check.h"
#include "songfile/song_file_format.h"

namespace {

using Clock = std::chrono::steady_clock;

void Report(const char* what, std::vector<double> ms, double target)
{
    std::sort(ms.begin(), ms.end());
    const auto at = [&](double q) { return ms[std::min(ms.size() - 1, static_cast<std::size_t>(q * static_cast<double>(ms.size())))]; };
    std::printf("%-30s median %7.3f ms   p99 %7.3f ms   max %7.3f ms", what, at(0.5), at(0.99), ms.back());
    if (target > 0) std::printf("   (target %.0f ms: %s)", target, at(0.99) < target ? "met" : "MISSED");
    std::printf("\n");
}

std::vector<double> Time(int runs, const std::function<void()>& step)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        step();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return ms;
}

// A message box that is shown for real, without waiting for its button.
class ShownMessageBox final : public platform::MessageBox {
public:
    void Show(const std::string& text) override
    {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Strumwell"), QString::fromStdString(text));
        box.show();  // lays the text out, as the modal box does before it waits
        ++shown;
    }
    int shown = 0;
};

// A song whose line `line` (1-based) holds `value`, and line `line2` `value2`.
std::string SongWithLine(int line, const std::string& value, int line2 = 0, const std::string& value2 = {})
{
    std::string bytes;
    int n = 1;
    std::istringstream lines(strumwell::songfile::SongFileText(bench::ThreePageSong()));
    for (std::string l; std::getline(lines, l); ++n)
        bytes += (n == line ? value : n == line2 ? value2 : l.substr(0, l.size() - 1)) + "\r\n";
    return bytes;
}

void HostileValues(int runs, const QTemporaryDir& folder)
{
    const std::string huge(3u << 20, 'x');
    platform::RecordingFlash flash;
    ShownMessageBox messages;
    platform::InstantKernel kernel;
    platform::Services services;
    services.flash = &flash;
    services.messageBox = &messages;
    services.kernel = &kernel;
    for (const auto& [what, size] : {std::pair{"1 MB line 4, start to message", 1u << 20},
                                     std::pair{"3 MB line 4, start to message", 3u << 20}}) {
        const std::string path = folder.filePath(QStringLiteral("line 4.swl")).toStdString();
        std::ofstream(path, std::ios::binary | std::ios::trunc) << SongWithLine(4, huge.substr(0, size));
        messages.shown = 0;
        Report(what, Time(runs, [&] {
                   strumwell::Strumwellfrm window(services, path, bench::InstalledClips());
                   window.Form_Load();
                   window.Show();  // the refusal is told once the window is on screen
                   QApplication::processEvents();
               }), 0);
        if (messages.shown != runs)
            std::printf("the long line 4 was told in %d of %d runs, not in each\n", messages.shown, runs);
    }

    // The check alone, on values that are long in other ways: a number of 3 MB of digits, a page
    // count behind 3 MB of zeros, a 3 MB token.
    const std::string digits(3u << 20, '7');
    const std::vector<std::pair<const char*, std::string>> checks{
        {"check, 3 MB text on line 4", SongWithLine(4, huge)},
        {"check, 3 MB number on line 4", SongWithLine(4, digits)},
        {"check, 3 MB fraction line 6", SongWithLine(6, "0." + std::string(3u << 20, '0') + "1")},
        {"check, 3 MB page count", SongWithLine(7, std::string(3u << 20, '0') + "3")},
        {"check, 3 MB token", SongWithLine(11, huge)}};
    for (const auto& [what, bytes] : checks)
        Report(what, Time(runs, [&text = bytes] {
                   (void)strumwell::songfile::CheckSongFile(text, strumwell::songfile::Entry::FileMenu);
               }), 0);

    // A 3 MB title, opened by File > Open into the shown window, until it is painted.
    {
        const std::string longTitle = folder.filePath(QStringLiteral("long title.swl")).toStdString();
        std::ofstream(longTitle, std::ios::binary) << SongWithLine(1, huge);
        platform::ScriptedDialog openDialog;
        services.openDialog = &openDialog;
        strumwell::Strumwellfrm window(services, "", bench::InstalledClips());
        window.Form_Load();
        window.Show();
        QApplication::processEvents();
        Report("3 MB title, open and paint", Time(runs, [&] {
                   openDialog.answers.push_back(longTitle);
                   window.Open_Click();
                   window.Window()->repaint();
               }), 0);
        if (window.sheet.txtTitle.Text() != huge) std::printf("the 3 MB title did not stay whole\n");
        services.openDialog = nullptr;
    }

    const std::string longToken = folder.filePath(QStringLiteral("long token.swl")).toStdString();
    std::ofstream(longToken, std::ios::binary) << SongWithLine(11, huge, 13, std::string(1u << 19, 'y'));
    strumwell::Strumwellfrm window(services, longToken, bench::InstalledClips());
    window.Form_Load();
    window.Show();
    QApplication::processEvents();
    if (window.sheet.imgRest[1].ToolTipText().size() != huge.size()) std::printf("the 3 MB token is not on cell 1\n");
    // Hovering cells 1 and 3 (a 512 KB token) in turn: a tooltip on show with the same text is kept.
    int hovered = 0;
    Report("3 MB token, tooltip shown", Time(runs, [&] {
               QWidget* cell = window.sheet.imgRest[hovered++ % 2 == 0 ? 1 : 3].Widget();
               const QPoint centre = cell->rect().center();
               QHelpEvent hover(QEvent::ToolTip, centre, cell->mapToGlobal(centre));
               QApplication::sendEvent(cell, &hover);
           }), 0);
    if (!QToolTip::isVisible() || QToolTip::text().size() > 1000) std::printf("the tooltip was not shown cut\n");
    QToolTip::hideText();
}

std::string Bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(10, std::atoi(argv[1])) : 500;
    const int hostileRuns = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    QTemporaryDir folder;
    const std::string song = bench::WriteThreePageSong(folder);

    bench::WindowDoubles doubles;
    auto& saveDialog = doubles.saveDialog;
    auto& openDialog = doubles.openDialog;
    auto& messages = doubles.messages;
    strumwell::Strumwellfrm window(doubles.services, "", bench::InstalledClips());
    window.Form_Load();
    window.Show();
    QApplication::processEvents();

    auto open = [&] {
        openDialog.answers.push_back(song);
        window.Open_Click();
    };
    open();  // warm up, and see that the song is on the sheet
    if (window.sheet.imgRest[1].ToolTipText() != "A" || window.stores.imgPage[3][5].ToolTipText() != "Am7") {
        std::printf("the song did not reach the sheet\n");
        return 1;
    }
    Report("open (read, check, draw)", Time(runs, open), 2);
    Report("open and paint", Time(runs, [&] {
               open();
               window.Window()->repaint();
           }), 2);

    const std::string saved = folder.filePath(QStringLiteral("saved.swl")).toStdString();
    Report("save (written, synced)", Time(runs, [&] {
               saveDialog.answers.push_back(saved);
               window.Save_Click();
           }), 5);

    const std::string bytes = Bytes(song);
    Report("check of the file alone", Time(runs * 10, [&] {
               (void)strumwell::songfile::CheckSongFile(bytes, strumwell::songfile::Entry::FileMenu);
           }), 0);

    QTemporaryDir home;
    const platform::XdgFolders folders{home.filePath(QStringLiteral("config")).toStdString(),
                                       home.filePath(QStringLiteral("data")).toStdString()};
    auto registerOnce = [&] {
        platform::FileRegistry registry(folders, [](const std::string&, const std::vector<std::string>&) {});
        strumwell::FileAssociation::RegisterFileType(registry, platform::RunningProgram(), "Strumwell", "swl",
                                                     "Strumwell File", "C:\\Program Files\\Fretlane\\DUVEDI.ico");
        registry.MirrorNow();
    };
    registerOnce();
    Report("registration, second start", Time(runs, registerOnce), 0);
    if (!messages.texts.empty()) std::printf("unexpected message: %s\n", messages.texts.front().c_str());
    HostileValues(hostileRuns, folder);
    return 0;
}
