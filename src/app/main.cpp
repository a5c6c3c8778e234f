// The program: the main window over the real platform services, with the whole command line as
// one song path.

#include <QApplication>
#include <QFileInfo>
#include <QMainWindow>

#include "platform/clock/clock.h"
#include "platform/flash/flash_control.h"
#include "platform/comdlg/common_dialog.h"
#include "platform/gdi/gdi.h"
#include "platform/kernel/kernel.h"
#include "platform/printer/printer.h"
#include "platform/kernel/quit_signals.h"
#include "platform/registry/file_registry.h"
#include "platform/shell/shell.h"
#include "app/desktop_session.h"
#include "app/first_paint_probe.h"
#include "sheet/clip_names.h"
#include "sheet/strumwellfrm.h"

#include <cstdio>
#include <memory>

namespace {
// The whole command line as one song path: the arguments joined with single blanks, so that a path
// with blanks opens whether or not the shell quoted it. Read before Qt takes its own options out.
std::string JoinedArguments(int argc, char** argv)
{
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line += ' ';
        line += argv[i];
    }
    return line;
}
}  // namespace

int main(int argc, char** argv)
{
    const std::string commandLine = JoinedArguments(argc, argv);
    if (const auto missing = strumwell::MissingDesktopSession()) {
        std::fprintf(stderr, "%s\n", missing->c_str());
        return 1;
    }
    auto displayCheck = std::make_unique<strumwell::DisplayAnswerCheck>();
    QApplication app(argc, argv);
    displayCheck.reset();
    // On X11 the window's class is the application name ("Strumwell"), which the launcher names
    // as its StartupWMClass; Wayland desktops match the window to its launcher by the launcher's
    // name given here.
    QApplication::setApplicationName(QStringLiteral("Strumwell"));
    QGuiApplication::setDesktopFileName(QStringLiteral(STRUMWELL_APP_ID));
    platform::QuitOnTerminationSignals(app);
    // The installed program's clips: the window sounds them, and the clip player preloads them.
    const std::string clipFolder(strumwell::clips::kInstalledClipFolder);
    const std::unique_ptr<platform::FlashControl> flash = platform::CreateFlashControl(clipFolder);
    platform::Services services;
    services.flash = flash.get();
    // The dialogs start in the folder of the song last opened or saved, the command line's first.
    platform::SongFolder songFolder;
    if (QFileInfo(QString::fromStdString(commandLine)).isFile()) songFolder.Remember(commandLine);
    platform::FileDialog saveDialog(songFolder), openDialog(songFolder);
    platform::WarningBox messageBox;
    platform::SaveQuestionBox saveQuestion;
    platform::FileRegistry registry(platform::XdgFolders::FromEnvironment(), platform::StartToolDetached,
                                    STRUMWELL_APP_ID ".desktop");
    platform::DesktopShell shell;
    platform::SystemKernel kernel;
    services.saveDialog = &saveDialog;
    services.openDialog = &openDialog;
    services.messageBox = &messageBox;
    services.saveQuestion = &saveQuestion;
    services.registry = &registry;
    services.shell = &shell;
    services.kernel = &kernel;
    platform::ScreenGdi gdi;
    platform::DefaultPrinter printer;
    services.gdi = &gdi;
    services.printer = &printer;
    services.clock = &platform::RealClock();
    strumwell::Strumwellfrm window(services, commandLine, clipFolder);
    window.Form_Load();
    window.Show();
    strumwell::FirstPaintProbe::InstallIfAsked(window.Window());
    return QApplication::exec();
}
