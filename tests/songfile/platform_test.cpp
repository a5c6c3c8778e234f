// The real desktop layers of the song files: the file dialog, the shell, the registry's text form
// and how a registered command becomes a desktop entry's command.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <functional>

#include "platform/comdlg/common_dialog.h"
#include "platform/drive/drive_mapping.h"
#include "platform/registry/registry_tree.h"
#include "platform/registry/xdg_mirror.h"
#include "platform/shell/shell.h"
#include "songfile_fixture.h"

namespace strumwell::testing {
namespace {

TEST(FileDialogLayer, FilterBecomesNameFilters)
{
    EXPECT_EQ(platform::NameFilters("Strumwell (*.swl)|*.swl"), std::vector<std::string>{"Strumwell (*.swl)"});
    EXPECT_EQ(platform::NameFilters("Songs|*.swl;*.txt|All|*.*"),
              (std::vector<std::string>{"Songs (*.swl *.txt)", "All (*.*)"}));
    EXPECT_TRUE(platform::NameFilters("").empty());
}

// Answers the modal file dialog while `show` runs: again at every tick until the dialog is gone,
// since the dialog may not take an answer before its folder has been read. A dialog that will
// not close is cancelled after ten seconds, failing the test instead of hanging it.
void Answering(const std::function<void(QFileDialog&)>& answer, const std::function<void()>& show)
{
    QTimer timer;
    int ticks = 0;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        // The modal dialog need not become the active window on every platform: look for it
        // among the top-level windows.
        QFileDialog* dialog = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<QFileDialog*>(w); d && d->isVisible()) dialog = d;
        const bool overdue = ++ticks > 500;
        if (!dialog) {
            if (overdue) ADD_FAILURE() << "no file dialog appeared";
            return;
        }
        if (overdue) {
            ADD_FAILURE() << "the file dialog did not take the answer";
            dialog->reject();
            return;
        }
        answer(*dialog);
    });
    timer.start(20);
    show();
}

// Types a name into the dialog's file name box and presses its accept button, as a user does.
void Type(QFileDialog& d, const QString& name)
{
    d.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(name);
    static_cast<QDialog&>(d).accept();
}

TEST(FileDialogLayer, RealDialogGivesTheChosenNameOrNothing)
{
    QTemporaryDir folder;
    const QString song = folder.filePath(QStringLiteral("tune.swl"));
    WriteBytes(song.toStdString(), "x");
    platform::SongFolder songFolder;
    platform::FileDialog dialog(songFolder);
    dialog.Filter = "Strumwell (*.swl)|*.swl";

    QStringList filters;
    Answering([&](QFileDialog& d) {
        filters = d.nameFilters();
        Type(d, song);
    }, [&] { dialog.ShowOpen(); });
    EXPECT_EQ(filters, QStringList{QStringLiteral("Strumwell (*.swl)")});
    EXPECT_EQ(dialog.FileName, song.toStdString());

    Answering([](QFileDialog& d) { d.reject(); }, [&] { dialog.ShowOpen(); });
    EXPECT_EQ(dialog.FileName, "");

    // A name typed without its extension gets the filter's, in the folder of the last choice.
    QString startFolder;
    Answering([&](QFileDialog& d) {
        startFolder = d.directory().absolutePath();
        Type(d, QStringLiteral("new song"));
    }, [&] { dialog.ShowSave(); });
    EXPECT_EQ(startFolder, folder.path());
    EXPECT_EQ(dialog.FileName, folder.filePath(QStringLiteral("new song.swl")).toStdString());
}

// Both dialogs start in the folder of the song last opened or saved through either; before any,
// in the user's documents folder. A cancelled dialog changes nothing.
TEST(FileDialogLayer, DialogsStartInTheFolderOfTheLastSongElseInTheDocuments)
{
    QTemporaryDir home, first, second;
    const QString documents = home.filePath(QStringLiteral("My Documents"));
    QDir().mkpath(documents);
    QDir().mkpath(home.filePath(QStringLiteral("config")));
    WriteBytes(home.filePath(QStringLiteral("config/user-dirs.dirs")).toStdString(),
               "XDG_DOCUMENTS_DIR=\"" + documents.toStdString() + "\"\n");
    const QByteArray configBefore = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    QStandardPaths::setTestModeEnabled(false);  // the desktop's own documents folder
    WriteBytes(first.filePath(QStringLiteral("tune.swl")).toStdString(), "x");

    platform::SongFolder songFolder;
    platform::FileDialog open(songFolder), save(songFolder);
    open.Filter = save.Filter = "Strumwell (*.swl)|*.swl";
    struct Step {
        platform::FileDialog& dialog;
        bool saving;
        QString answer;  // empty: cancel
        QString startsIn;
    };
    const std::vector<Step> steps{
        {save, true, {}, documents},
        {open, false, first.filePath(QStringLiteral("tune.swl")), documents},
        {save, true, second.filePath(QStringLiteral("copy")), first.path()},
        {open, false, {}, second.path()},
        {open, false, first.filePath(QStringLiteral("tune.swl")), second.path()},
        {save, true, {}, first.path()},
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step& step = steps[i];
        QString startedIn;
        Answering([&](QFileDialog& d) {
            startedIn = d.directory().absolutePath();
            if (step.answer.isEmpty())
                d.reject();
            else
                Type(d, step.answer);
        }, [&] { step.saving ? step.dialog.ShowSave() : step.dialog.ShowOpen(); });
        EXPECT_EQ(startedIn, step.startsIn) << "step " << i;
    }
    QStandardPaths::setTestModeEnabled(true);
    if (configBefore.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", configBefore);
}

class UrlCatcher : public QObject {
    Q_OBJECT
public Q_SLOTS:
    void open(const QUrl& url) { urls.push_back(url.toString().toStdString()); }

public:
    std::vector<std::string> urls;
};

TEST(ShellLayer, OpenHandsWebAddressesToTheDesktop)
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher, "open");
    platform::DesktopShell shell;
    EXPECT_GT(shell.ShellExecuteA(0, "Open", "http://www.fretlane.example/", "", "/", 1), 32);
    EXPECT_LE(shell.ShellExecuteA(0, "print", "http://www.fretlane.example/x", "", "/", 1), 32);
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    EXPECT_EQ(catcher.urls, std::vector<std::string>{"http://www.fretlane.example/"});
}

TEST(RegistryText, KeysAndValuesSurviveTheFile)
{
    platform::registry::Tree tree;
    tree.Create(platform::registry::Tree::Join("", "A\\B"));
    tree.Set("a\\b", "", 1, std::string("x\"\\\n\xE9\0", 6));  // letter case does not matter
    tree.Set("A", "named", 4, std::string("\x01\0\0\0", 4));
    const std::string text = tree.Text();
    EXPECT_EQ(platform::registry::Tree::FromText(text).Text(), text);
    EXPECT_EQ(text, "; Keys under HKEY_CLASSES_ROOT and their values, in the order they were made.\n"
                    "[A]\n\"named\"=4:\"\\x01\\x00\\x00\\x00\"\n"
                    "[A\\B]\n@=1:\"x\\\"\\\\\\x0A\\xE9\\x00\"\n");
    EXPECT_EQ(platform::registry::Tree::Join("A\\", "\\\\B\\C\\"), "A\\B\\C");
}

TEST(RegistryMirror, RegisteredCommandToProgram)
{
    struct Case {
        std::string command, program;
        bool takesFile;
    };
    const std::vector<Case> cases{
        {"/opt/Fret lane\\Strumwell %1", "/opt/Fret lane/Strumwell", true},
        {"\"/usr/bin/Strumwell\" \"%1\"", "/usr/bin/Strumwell", true},
        {"/usr/bin/Strumwell", "/usr/bin/Strumwell", false},
        {"C:\\Program Files\\Fretlane\\Strumwell.exe %1",
         platform::ResolveWindowsPath("C:\\Program Files\\Fretlane\\Strumwell.exe").string(), true},
        {"", "", false},
    };
    for (const Case& c : cases) {
        const auto parsed = platform::registry::ParseCommand(c.command);
        EXPECT_EQ(parsed.program, c.program) << c.command;
        EXPECT_EQ(parsed.takesFile, c.takesFile) << c.command;
    }
    // Quoting keeps blanks, dollars, quotes, backslashes and percent signs in an Exec line.
    platform::registry::FileType type{"swl", "Strumwell", "", "/a b/$x\"y%/Strumwell %1", ""};
    const std::string entry = platform::registry::DesktopEntry(type, false);
    EXPECT_NE(entry.find("Exec=\"/a b/\\\\$x\\\\\"y%%/Strumwell\" %f\n"), std::string::npos) << entry;
}

}  // namespace
}  // namespace strumwell::testing

#include "platform_test.moc"
