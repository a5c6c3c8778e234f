// The real desktop layers of the song files: the file dialog, the shell, the registry's text form
// and how a registered command becomes a desktop entry's command.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>
#include <QUrl>

#include <fcntl.h>
#include <unistd.h>

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

// The question before closing over unsaved work, answered as a user answers it: each button, the
// Escape key and the Return key (Save is the default).
TEST(SaveQuestionLayer, ButtonsAndKeysGiveTheirAnswers)
{
    using platform::SaveAnswer;
    struct Case {
        const char* how;
        std::function<void(QMessageBox&)> answer;
        SaveAnswer expected;
    };
    auto button = [](const char* text) {
        return [text](QMessageBox& box) {
            for (QAbstractButton* b : box.buttons())
                if (b->text() == QLatin1String(text)) b->click();
        };
    };
    const std::vector<Case> cases{
        {"Save", button("Save"), SaveAnswer::Save},
        {"Don't Save", button("Don't Save"), SaveAnswer::DontSave},
        {"Cancel", button("Cancel"), SaveAnswer::Cancel},
        {"Escape", [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); }, SaveAnswer::Cancel},
        {"Return", [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Return); }, SaveAnswer::Save},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        QStringList seen;
        SaveAnswer got = SaveAnswer::Cancel;
        QTimer timer;
        int ticks = 0;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(w);
                if (!box || !box->isVisible()) continue;
                seen = QStringList{box->windowTitle(), box->text(), box->informativeText()};
                for (QAbstractButton* b : box->buttons()) seen << b->text();
                c.answer(*box);
                return;
            }
            if (++ticks > 500) ADD_FAILURE() << "no question appeared";
        });
        timer.start(20);
        platform::SaveQuestionBox question;
        got = question.Ask("Save the changes?", "They will be lost.");
        EXPECT_EQ(got, c.expected);
        QStringList expected{QCoreApplication::applicationName(), QStringLiteral("Save the changes?"),
                             QStringLiteral("They will be lost.")};
        ASSERT_GE(seen.size(), 3);
        EXPECT_EQ(seen.mid(0, 3), expected);
        QStringList buttons = seen.mid(3);
        buttons.sort();
        EXPECT_EQ(buttons, (QStringList{QStringLiteral("Cancel"), QStringLiteral("Don't Save"), QStringLiteral("Save")}));
    }
}

// The desktop's opener gets the address in a session of its own, its input and output away from
// the program's terminal: nothing it says reaches the program's standard output or error.
TEST(ShellLayer, OpenerRunsApartFromTheProgramsTerminal)
{
    QTemporaryDir bin;
    const QString mark = bin.filePath(QStringLiteral("mark"));
    const QString opener = bin.filePath(QStringLiteral("xdg-open"));
    WriteBytes(opener.toStdString(),
               "#!/bin/sh\n"
               "echo 'opener on stdout'\n"
               "echo 'opener on stderr' >&2\n"
               "i=$(readlink /proc/$$/fd/0); o=$(readlink /proc/$$/fd/1); e=$(readlink /proc/$$/fd/2)\n"
               "printf '%s\\n' \"$1\" \"$i\" \"$o\" \"$e\" \"$(cut -d' ' -f6 /proc/$$/stat)\" > '" +
                   mark.toStdString() + ".part'\n"
               "mv '" + mark.toStdString() + ".part' '" + mark.toStdString() + "'\n");
    QFile::setPermissions(opener, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray pathBefore = qgetenv("PATH");
    qputenv("PATH", bin.path().toLocal8Bit() + ":" + pathBefore);

    // The program's own output goes to a file while the opener runs.
    const QString captured = bin.filePath(QStringLiteral("program output"));
    std::fflush(stdout);
    std::fflush(stderr);
    const int savedOut = ::dup(STDOUT_FILENO), savedErr = ::dup(STDERR_FILENO);
    const int file = ::open(captured.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(file, STDOUT_FILENO);
    ::dup2(file, STDERR_FILENO);
    platform::DesktopShell shell;
    const std::intptr_t opened = shell.ShellExecuteA(0, "Open", "http://www.fretlane.example/", "", "/", 1);
    const std::intptr_t printed = shell.ShellExecuteA(0, "print", "http://www.fretlane.example/x", "", "/", 1);
    for (int waited = 0; !QFile::exists(mark) && waited < 10000; waited += 20) QTest::qWait(20);
    QTest::qWait(100);  // anything the opener wrote after its mark would show now
    ::dup2(savedOut, STDOUT_FILENO);
    ::dup2(savedErr, STDERR_FILENO);
    ::close(file);
    ::close(savedOut);
    ::close(savedErr);

    EXPECT_GT(opened, 32);
    EXPECT_LE(printed, 32);
    const std::string said = ReadBytes(mark.toStdString());
    const QStringList fields = QString::fromStdString(said).split(QLatin1Char('\n'));
    ASSERT_GE(fields.size(), 5) << said;
    EXPECT_EQ(fields[0].toStdString(), "http://www.fretlane.example/");
    for (int fd = 1; fd <= 3; ++fd) EXPECT_EQ(fields[fd].toStdString(), "/dev/null") << "fd " << fd - 1;
    EXPECT_NE(fields[4].toLongLong(), static_cast<long long>(::getsid(0)));
    const std::string output = ReadBytes(captured.toStdString());
    EXPECT_EQ(output.find("opener"), std::string::npos) << output;

    // Without an opener on the path nothing is handed over.
    qputenv("PATH", QTemporaryDir().path().toLocal8Bit());
    EXPECT_LE(shell.ShellExecuteA(0, "Open", "http://www.fretlane.example/", "", "/", 1), 32);
    qputenv("PATH", pathBefore);
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

