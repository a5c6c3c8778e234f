// Song files: File > Open of a three-page song (read, check, fill the load buffer, draw the sheet,
// with Sleep returning at once) and File > Save of it (stores, file written beside the old one,
// flushed to disk, moved over it), through the real window with scripted dialogs. Prints median,
// p99 and max of each over many runs; "open and paint" adds one synchronous repaint of the window.
// Also the check of the file alone, and the file-type registration of a second start.
//
//   bench/songfile [runs]      (Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise)

#include <QApplication>
#include <QMainWindow>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

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
    const auto at = [&](double q) { return ms[std::min(ms.size() - 1, static_cast<std::size_t>(q * ms.size()))]; };
    std::printf("%-28s median %7.3f ms   p99 %7.3f ms   max %7.3f ms", what, at(0.5), at(0.99), ms.back());
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
    QTemporaryDir folder;
    const std::string song = folder.filePath(QStringLiteral("three pages.swl")).toStdString();
    std::ofstream(song, std::ios::binary) << strumwell::songfile::SongFileText(bench::ThreePageSong());

    platform::RecordingFlash flash;
    platform::ScriptedDialog saveDialog, openDialog;
    platform::RecordingMessageBox messages;
    platform::InstantKernel kernel;
    platform::Services services;
    services.flash = &flash;
    services.saveDialog = &saveDialog;
    services.openDialog = &openDialog;
    services.messageBox = &messages;
    services.kernel = &kernel;
    strumwell::Strumwellfrm window(services, "");
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
    return 0;
}
