// The installed program: `cmake --install` into a staging folder (DESTDIR), then what a desktop
// finds there, checked with the desktop's own tools, and the installed program started from it.

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <string>
#include <vector>

#include "support/program_folder.h"

namespace {

using strumwell::testing::ProgramFolder;

struct ToolRun {
    int status = -1;
    std::string output;
};

ToolRun RunTool(const QString& program, const QStringList& args, const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(120000)) return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAll().toStdString()};
}

QString Tool(const char* name)
{
    const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
    if (found.isEmpty()) ADD_FAILURE() << name << " is not installed (tools/install-deps.sh test)";
    return found;
}

std::string ReadText(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}

// What the installed program runs with here: its own files, not the build's; headless, ending at
// its first paint; its XDG home in `home`, and system folders of its own there, so that the
// program installed on this machine as a package does not take the songs.
QProcessEnvironment ProgramEnvironment(const QString& home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_DIRS"), home + QStringLiteral("/system/config"));
    env.insert(QStringLiteral("XDG_DATA_DIRS"), home + QStringLiteral("/system/data"));
    env.remove(QStringLiteral("STRUMWELL_DRIVE_C"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("STRUMWELL_REPORT_FIRST_PAINT"), QStringLiteral("1"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    return env;
}

// Valid for the desktop's own checker, without even a hint.
void ExpectValidLauncher(const QString& launcher)
{
    const ToolRun valid = RunTool(Tool("desktop-file-validate"), {launcher});
    EXPECT_EQ(valid.status, 0) << valid.output;
    EXPECT_EQ(valid.output, "");
}

class Installed : public ::testing::Test {
protected:
    void SetUp() override
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DESTDIR"), stage.path());
        const ToolRun install = RunTool(QStringLiteral(STRUMWELL_CMAKE),
                                    {QStringLiteral("--install"), QStringLiteral(STRUMWELL_BUILD_DIR),
                                     QStringLiteral("--prefix"), QStringLiteral("/usr")}, env);
        ASSERT_EQ(install.status, 0) << install.output;
    }
    QString Usr(const QString& path) const { return stage.filePath(QStringLiteral("usr/") + path); }

    QTemporaryDir stage;
};

TEST_F(Installed, TreeHoldsADesktopProgram)
{
    const QString id = QStringLiteral(STRUMWELL_APP_ID);
    EXPECT_TRUE(QFileInfo(Usr(QStringLiteral("bin/Strumwell"))).isExecutable());
    const QString drive = Usr(QStringLiteral("share/strumwell/drive_c/Program Files/Fretlane/"));
    EXPECT_TRUE(QFile::exists(drive + QStringLiteral("DUVEDI.ico")));
    EXPECT_EQ(QDir(drive + QStringLiteral("Strumwell")).entryList({QStringLiteral("*.swf")}, QDir::Files).size(), 99);

    // The launcher: valid, shown in menus, opening songs with the program.
    const QString launcher = Usr(QStringLiteral("share/applications/") + id + QStringLiteral(".desktop"));
    ExpectValidLauncher(launcher);
    const std::string entry = ReadText(launcher);
    for (const std::string& line : std::vector<std::string>{"Name=Strumwell\n", "TryExec=/usr/bin/Strumwell\n",
                                                             "Exec=/usr/bin/Strumwell %f\n", "StartupWMClass=Strumwell\n",
                                                             "Icon=" + id.toStdString() + "\n",
                                                             "MimeType=application/x-strumwell;\n",
                                                             "Categories=Education;Music;\n"})
        EXPECT_NE(entry.find(line), std::string::npos) << line;
    EXPECT_EQ(entry.find("NoDisplay"), std::string::npos);
    EXPECT_NE(entry.find("\nComment="), std::string::npos);

    // The icon in the hicolor theme, for the launcher and for song files, at every usual size.
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("share/icons/hicolor/%1x%1/").arg(size);
        for (const QString& name : {QStringLiteral("apps/") + id, QStringLiteral("mimetypes/application-x-strumwell")}) {
            const QImage icon(Usr(folder + name + QStringLiteral(".png")), "PNG");
            EXPECT_EQ(icon.size(), QSize(size, size)) << (folder + name).toStdString();
            EXPECT_TRUE(icon.hasAlphaChannel());
        }
    }

    // The file type, as the desktop's database makes it from the package.
    const QString mime = Usr(QStringLiteral("share/mime"));
    EXPECT_TRUE(QFile::exists(mime + QStringLiteral("/packages/") + id + QStringLiteral(".xml")));
    const ToolRun database = RunTool(Tool("update-mime-database"), {mime});
    ASSERT_EQ(database.status, 0) << database.output;
    EXPECT_NE(ReadText(mime + QStringLiteral("/globs2")).find("application/x-strumwell:*.swl"), std::string::npos);
}

// The installed program finds its own files under the prefix: its start-up registration turns
// the installed song-file icon into the user's icons and names the installed program.
TEST_F(Installed, ProgramFindsItsFilesUnderThePrefix)
{
    ProgramFolder home;
    const QString program = Usr(QStringLiteral("bin/Strumwell"));
    const ToolRun started = RunTool(program, {}, ProgramEnvironment(home.path()));
    ASSERT_EQ(started.status, 0) << started.output;
    EXPECT_EQ(QImage(home.filePath(QStringLiteral("data/icons/hicolor/32x32/mimetypes/application-x-strumwell.png"))).size(),
              QSize(32, 32));
    const std::string entry = ReadText(home.filePath(QStringLiteral("data/applications/strumwell.desktop")));
    EXPECT_NE(entry.find("Exec=\"" + program.toStdString() + "\" %f\n"), std::string::npos) << entry;
}

// Installed at a prefix off the PATH, with characters the launcher must quote: the launcher,
// started as the desktop starts it, runs the program installed there with the song.
TEST(InstalledElsewhere, LauncherStartsTheProgramAtItsPrefix)
{
    ProgramFolder folder;
    const QString prefix = folder.filePath(QStringLiteral("Fret lane $HOME"));
    const ToolRun install = RunTool(QStringLiteral(STRUMWELL_CMAKE),
                                    {QStringLiteral("--install"), QStringLiteral(STRUMWELL_BUILD_DIR),
                                     QStringLiteral("--prefix"), prefix});
    ASSERT_EQ(install.status, 0) << install.output;
    const QString launcher = prefix + QStringLiteral("/share/applications/") + QStringLiteral(STRUMWELL_APP_ID) +
                             QStringLiteral(".desktop");
    ExpectValidLauncher(launcher);

    // The program outlives gio and writes where gio's output went: a file, not a pipe that closes.
    QProcess gio;
    gio.setProcessEnvironment(ProgramEnvironment(folder.filePath(QStringLiteral("home"))));
    gio.setStandardOutputFile(folder.filePath(QStringLiteral("launched.log")));
    gio.setStandardErrorFile(folder.filePath(QStringLiteral("launched.log")), QIODevice::Append);
    gio.start(Tool("gio"), {QStringLiteral("launch"), launcher, QStringLiteral(STRUMWELL_FIXTURES "/three_page_v25.swl")});
    ASSERT_TRUE(gio.waitForFinished(60000));
    ASSERT_EQ(gio.exitCode(), 0) << ReadText(folder.filePath(QStringLiteral("launched.log")));
    // The program's start-up registration names the program that runs.
    const QString entry = folder.filePath(QStringLiteral("home/data/applications/strumwell.desktop"));
    QElapsedTimer waited;
    waited.start();
    while (!QFile::exists(entry) && waited.elapsed() < 60000) QThread::msleep(20);
    const std::string program = (prefix + QStringLiteral("/bin/Strumwell")).toStdString();
    EXPECT_NE(ReadText(entry).find("TryExec=" + program + "\n"), std::string::npos) << ReadText(entry);
}

}  // namespace
