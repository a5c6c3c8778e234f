// The program: the main window over the real platform services, with the whole command line as
// one song path.

#include <QApplication>
#include <QMainWindow>
#include <QStringList>

#include "platform/clock/clock.h"
#include "platform/flash/flash_control.h"
#include "platform/comdlg/common_dialog.h"
#include "platform/kernel/kernel.h"
#include "platform/registry/file_registry.h"
#include "platform/shell/shell.h"
#include "app/first_paint_probe.h"
#include "sheet/strumwellfrm.h"

#include <memory>

namespace {
std::string JoinedArguments(const QStringList& arguments)
{
    return arguments.mid(1).join(QLatin1Char(' ')).toStdString();
}

// Until the sound server player is in, picks are silent.
class SilentFlash final : public platform::FlashControl {
public:
    void LoadMovie(int, const std::string&) override {}
};
}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Strumwell"));
    SilentFlash flash;
    platform::Services services;
    services.flash = &flash;
    platform::FileDialog saveDialog, openDialog;
    platform::WarningBox messageBox;
    platform::FileRegistry registry(platform::XdgFolders::FromEnvironment());
    platform::DesktopShell shell;
    platform::SystemKernel kernel;
    services.saveDialog = &saveDialog;
    services.openDialog = &openDialog;
    services.messageBox = &messageBox;
    services.registry = &registry;
    services.shell = &shell;
    services.kernel = &kernel;
    services.clock = &platform::RealClock();
    strumwell::Strumwellfrm window(services, JoinedArguments(QApplication::arguments()));
    window.Form_Load();
    window.Show();
    strumwell::FirstPaintProbe::InstallIfAsked(window.Window());
    return QApplication::exec();
}
