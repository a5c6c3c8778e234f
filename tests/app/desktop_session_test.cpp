// The real program started without a desktop session says so in one line and ends with status 1,
// unless the platform it is asked for needs none.

#include <gtest/gtest.h>

#include <QProcess>

#include <string>
#include <vector>

#include "support/program_folder.h"

namespace {

using strumwell::testing::ProgramFolder;

TEST(DesktopSession, WithoutADisplayTheProgramSaysWhatIsMissing)
{
    struct Case {
        std::vector<std::pair<QString, QString>> set;  // beside DISPLAY and WAYLAND_DISPLAY unset
        std::string message;                           // empty: the program starts
    };
    const std::string needs = "Strumwell needs a graphical desktop session to show its window, but ";
    const std::vector<Case> cases{
        {{}, needs + "neither DISPLAY nor WAYLAND_DISPLAY is set.\n"},
        {{{QStringLiteral("DISPLAY"), QString()}}, needs + "neither DISPLAY nor WAYLAND_DISPLAY is set.\n"},
        {{{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb")}}, needs + "DISPLAY is not set.\n"},
        {{{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb")}, {QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-0")}},
         needs + "DISPLAY is not set.\n"},
        {{{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland")}}, needs + "WAYLAND_DISPLAY is not set.\n"},
        {{{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland;xcb")}}, needs + "neither DISPLAY nor WAYLAND_DISPLAY is set.\n"},
        {{{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen")}}, ""},
        {{{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb;offscreen")}}, ""},
    };
    ProgramFolder home;
    for (const Case& c : cases) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("STRUMWELL_REPORT_FIRST_PAINT"), QStringLiteral("1"));  // ends at the first paint
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        std::string trace;
        for (const auto& [name, value] : c.set) {
            env.insert(name, value);
            trace += name.toStdString() + "=" + value.toStdString() + " ";
        }
        SCOPED_TRACE(trace);
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(STRUMWELL_PROGRAM), {});
        ASSERT_TRUE(program.waitForFinished(30000));
        const std::string err = program.readAllStandardError().toStdString();
        if (c.message.empty()) {
            EXPECT_EQ(program.exitCode(), 0) << err;
            EXPECT_TRUE(program.readAllStandardOutput().startsWith("first-paint "));
        } else {
            EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(program.exitCode(), 1);
            EXPECT_EQ(err, c.message);
        }
    }
}

}  // namespace
