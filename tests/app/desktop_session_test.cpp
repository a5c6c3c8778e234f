// The real program started without a desktop session, or with a display that does not answer,
// says so in one line and ends with status 1, unless the platform it is asked for needs none.

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

#include <string>
#include <vector>

#include "support/program_folder.h"

namespace {

using strumwell::testing::ProgramFolder;

// An X display number no server on this machine has taken (no socket, no lock file).
QString DisplayNobodyServes()
{
    for (int n = 977; n < 1100; ++n)
        if (!QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)) && !QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
            return QStringLiteral(":%1").arg(n);
    ADD_FAILURE() << "every display from :977 to :1099 is taken";
    return {};
}

TEST(DesktopSession, WithoutADisplayTheProgramSaysWhatIsMissing)
{
    struct Case {
        std::vector<std::pair<QString, QString>> set;  // beside DISPLAY and WAYLAND_DISPLAY unset
        std::string message;                           // empty: the program starts
    };
    const std::string needs = "Strumwell needs a graphical desktop session to show its window, but ";
    const QString noDisplay = DisplayNobodyServes();
    const std::vector<Case> cases{
        {{}, needs + "neither DISPLAY nor WAYLAND_DISPLAY is set.\n"},
        {{{QStringLiteral("DISPLAY"), QString()}}, needs + "neither DISPLAY nor WAYLAND_DISPLAY is set.\n"},
        {{{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb")}}, needs + "DISPLAY is not set.\n"},
        {{{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb")}, {QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-0")}},
         needs + "DISPLAY is not set.\n"},
        {{{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland")}}, needs + "WAYLAND_DISPLAY is not set.\n"},
        {{{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland;xcb")}}, needs + "neither DISPLAY nor WAYLAND_DISPLAY is set.\n"},
        // Set, but nothing answers there.
        {{{QStringLiteral("DISPLAY"), noDisplay}},
         needs + "the display \"" + noDisplay.toStdString() + "\" (DISPLAY) did not answer and WAYLAND_DISPLAY is not set.\n"},
        {{{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb")}, {QStringLiteral("DISPLAY"), noDisplay}},
         needs + "the display \"" + noDisplay.toStdString() + "\" (DISPLAY) did not answer.\n"},
        {{{QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("strumwell-no-display")}},
         needs + "DISPLAY is not set and the Wayland display \"strumwell-no-display\" (WAYLAND_DISPLAY) could not be used.\n"},
        {{{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen")}}, ""},
        {{{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb;offscreen")}}, ""},
    };
    ProgramFolder home;
    for (const Case& c : cases) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE"})
            env.remove(QString::fromLatin1(name));
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
