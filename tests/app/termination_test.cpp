// The real program ends on the signals a desktop sends to end it, as after its window closed.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "platform/comdlg/common_dialog.h"
#include "platform/kernel/kernel.h"
#include "platform/kernel/quit_signals.h"
#include "support/program_folder.h"
#include "support/window_fixture.h"

#include <QApplication>
#include <QFile>
#include <QMainWindow>

#include <csignal>
#include <iostream>
#include <string>

namespace {

using strumwell::testing::ProgramFolder;

// True once the process handles `signal` itself (its handler is installed).
bool CatchesSignal(qint64 pid, int signal)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) return false;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1U;
    return false;
}

QProcessEnvironment ProgramEnvironment(const ProgramFolder& home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("STRUMWELL_REPORT_FIRST_PAINT"), QStringLiteral("stay"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    return env;
}

TEST(Termination, TermIntAndHupEndTheProgramWithStatusZero)
{
    ProgramFolder home;
    const QString missing = home.filePath(QStringLiteral("no such song.swl"));
    struct Case {
        int signal;
        const char* name;
        QString commandLine;  // a song that cannot be read leaves a message box open
    };
    for (const Case& c : {Case{SIGTERM, "SIGTERM", {}}, Case{SIGINT, "SIGINT", {}},
                          Case{SIGHUP, "SIGHUP", {}}, Case{SIGTERM, "SIGTERM over the message", missing}}) {
        SCOPED_TRACE(c.name);
        QProcess program;
        program.setProcessEnvironment(ProgramEnvironment(home));
        program.start(QStringLiteral(STRUMWELL_PROGRAM),
                      c.commandLine.isEmpty() ? QStringList() : QStringList{c.commandLine});
        ASSERT_TRUE(program.waitForStarted(30000));
        // Painted means the event loop runs: the window's, or the message box's own.
        const QByteArray shown = c.commandLine.isEmpty() ? "first-paint" : "window-painted QMessageBox";
        QByteArray output;
        QElapsedTimer waited;
        waited.start();
        while (!output.contains(shown) && waited.elapsed() < 30000) {
            program.waitForReadyRead(1000);
            output += program.readAllStandardOutput();
        }
        ASSERT_TRUE(output.contains(shown)) << output.toStdString();
        ASSERT_EQ(program.state(), QProcess::Running);

        QElapsedTimer ending;
        ending.start();
        ASSERT_EQ(::kill(static_cast<pid_t>(program.processId()), c.signal), 0);
        EXPECT_TRUE(program.waitForFinished(10000));
        std::cout << c.name << ": ended " << ending.elapsed() << " ms after the signal\n";
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0);
        if (program.state() != QProcess::NotRunning) program.kill();
        program.waitForFinished();
    }
}

// A three-page song on the command line keeps the start-up in the read's pauses for seconds; a
// SIGTERM then cuts the pauses short, the read finishes and the program ends at once.
TEST(Termination, TermDuringASongReadEndsTheProgramWithoutWaitingOutThePauses)
{
    ProgramFolder home;
    QProcess program;
    program.setProcessEnvironment(ProgramEnvironment(home));
    program.start(QStringLiteral(STRUMWELL_PROGRAM),
                  {QStringLiteral(STRUMWELL_FIXTURES "/three_page_v25.swl")});
    ASSERT_TRUE(program.waitForStarted(30000));
    QElapsedTimer waited;
    waited.start();
    while (!CatchesSignal(program.processId(), SIGTERM) && waited.elapsed() < 30000) QTest::qWait(5);
    ASSERT_TRUE(CatchesSignal(program.processId(), SIGTERM));

    QElapsedTimer ending;
    ending.start();
    ASSERT_EQ(::kill(static_cast<pid_t>(program.processId()), SIGTERM), 0);
    // The song's pauses alone take over 5 s.
    EXPECT_TRUE(program.waitForFinished(60000));
    std::cout << "SIGTERM during the read: ended " << ending.elapsed() << " ms after the signal\n";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    if (program.state() != QProcess::NotRunning) program.kill();
    program.waitForFinished();
}

// In this process, through the real window over unsaved work: a termination signal closes it
// without asking, also while the question is open; once the signal is noted, a pause returns at
// once instead of blocking. (What a taken signal leaves holds for the whole process: one test.)
class SignalOverUnsavedWork : public strumwell::testing::WindowTest {
protected:
    void ConfigureServices(platform::Services& s) override { s.saveQuestion = &question; }
    void MakeAChange() { w().lblFaster_Click(); }
    platform::ScriptedSaveQuestion question;
};

TEST_F(SignalOverUnsavedWork, ClosesTheWindowWithoutAskingAndCutsPausesShort)
{
    if (platform::EndingOnSignal()) GTEST_SKIP() << "this process has taken its signal already (a repeated run)";
    platform::QuitOnTerminationSignals(*QCoreApplication::instance());
    MakeAChange();
    question.during = [] {
        ASSERT_EQ(::raise(SIGTERM), 0);
        QCoreApplication::processEvents();  // the signal is taken while the question is open
    };
    EXPECT_TRUE(w().Window()->close());
    EXPECT_FALSE(w().Window()->isVisible());
    EXPECT_EQ(question.asked.size(), 1u);

    Start("");
    MakeAChange();
    question.asked.clear();
    EXPECT_TRUE(w().Window()->close());
    EXPECT_TRUE(question.asked.empty());

    ASSERT_EQ(::raise(SIGTERM), 0);  // noted, not yet taken by the event loop
    platform::SystemKernel kernel;
    QElapsedTimer paused;
    paused.start();
    kernel.Sleep(120000);
    EXPECT_LT(paused.elapsed(), 60000);
    QCoreApplication::processEvents();
}

}  // namespace
