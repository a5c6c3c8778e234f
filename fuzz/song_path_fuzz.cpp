// Any bytes as a song file, from the disk into the real main window (offscreen) and out again
// through Save. The first byte picks the way in: File > Open over the song the window already
// holds, or the command line of a fresh start. Besides the sanitizers' own findings it stops on a
// broken promise of the open-and-save path:
//  - a file the check refuses changes nothing that Save would write, and the user is told (or,
//    for a newer edition's file, shown the panel);
//  - whatever the window holds afterwards saves as a song that reads back, and saving that again
//    after opening it gives the same bytes;
//  - the tempo buttons then work on whatever tempo and speed bar the file brought.

#include <QApplication>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>

#include "platform/comdlg/common_dialog.h"
#include "platform/flash/flash_control.h"
#include "platform/kernel/kernel.h"
#include "platform/services.h"
#include "sheet/strumwellfrm.h"
#include "songfile/song_check.h"

using namespace strumwell;

namespace {

void Require(bool condition)
{
    if (!condition) std::abort();
}

std::string Bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct Harness {
    Harness()
    {
        services.flash = &flash;
        services.openDialog = &openDialog;
        services.saveDialog = &saveDialog;
        services.messageBox = &messages;
        services.kernel = &kernel;
        song = folder.filePath(QStringLiteral("fuzzed.swl")).toStdString();
        saved = folder.filePath(QStringLiteral("saved.swl")).toStdString();
        again = folder.filePath(QStringLiteral("saved again.swl")).toStdString();
        Start("");
    }

    // As the program starts: the start-up, then the window shown (offscreen) and what the start-up
    // left for the event loop handled, which is where a refused command-line song is told.
    void Start(const std::string& commandLine)
    {
        window.reset();
        window = std::make_unique<Strumwellfrm>(services, commandLine, kClipFolder);
        window->Form_Load();
        window->Show();
        QCoreApplication::processEvents();
    }
    void Open(const std::string& path)
    {
        openDialog.answers.push_back(path);
        window->menu.Open.Click();
    }
    std::string Save(const std::string& path)
    {
        saveDialog.answers.push_back(path);
        window->menu.Save.Click();
        Require(messages.texts.empty());  // saving into the fuzzer's own folder never fails
        return Bytes(path);
    }

    // The clips are only recorded, never read.
    static constexpr const char* kClipFolder = "C:\\Clips\\";
    platform::RecordingFlash flash;
    platform::ScriptedDialog openDialog, saveDialog;
    platform::RecordingMessageBox messages;
    platform::InstantKernel kernel;
    platform::Services services;
    QTemporaryDir folder;
    std::string song, saved, again;
    std::unique_ptr<Strumwellfrm> window;
};

Harness* harness = nullptr;

}  // namespace

// Caches that the desktop's font libraries fill once and keep until the process ends.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\nleak:libfreetype\n"; }

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The application and the shown window live until the process ends and are never torn down:
    // by the time the exit handlers would destroy them, Qt's per-thread data is already gone.
    new QApplication(*argc, *argv);
    harness = new Harness;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    Harness& h = *harness;
    const bool commandLine = data[0] & 1;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::ofstream(h.song, std::ios::binary | std::ios::trunc) << bytes;
    const auto entry = commandLine ? songfile::Entry::CommandLine : songfile::Entry::FileMenu;
    const songfile::CheckResult checked = songfile::CheckSongFile(bytes, entry);

    h.messages.texts.clear();
    std::string before;  // what Save wrote before a refused file was opened
    if (commandLine) {
        h.Start("");
        if (!checked.song) before = h.Save(h.saved);
        h.Start(h.song);
    } else {
        if (!checked.song) before = h.Save(h.saved);
        h.Open(h.song);
    }
    if (!checked.song) {
        // Refused: told once (or the panel shown instead), and nothing Save writes has changed.
        const bool panel = h.window->songFiles.pctUpdate.Visible();
        Require(h.messages.texts.size() == (checked.newerEdition ? 0u : 1u));
        Require(checked.newerEdition ? panel : true);
        h.messages.texts.clear();
        Require(h.Save(h.saved) == before);
        return 0;
    }
    Require(h.messages.texts.empty());

    // Whatever was read saves as a song that reads back and saves again to the same bytes.
    const std::string first = h.Save(h.saved);
    const songfile::CheckResult back = songfile::CheckSongFile(first, songfile::Entry::FileMenu);
    Require(back.song && back.song->layout == songfile::Layout::ThreePage);
    h.Open(h.saved);
    Require(h.messages.texts.empty());
    Require(h.Save(h.again) == first);

    // The tempo buttons on whatever tempo and speed bar the file brought.
    for (int i = 0; i < 2; ++i) h.window->tempo.lblFaster.Click();
    for (int i = 0; i < 3; ++i) h.window->tempo.lblSlower.Click();
    return 0;
}
