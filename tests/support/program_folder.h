#pragma once
// A temporary folder for the real program to use (its XDG home, a prefix it is installed at),
// removed only once no process has a path in it on its command line any more: the program
// itself, when a launcher started it, and the desktop tools its start-up leaves running in the
// background (update-mime-database <home>/data/mime), which would make the folder again.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QThread>

#include <unistd.h>

namespace strumwell::testing {

class ProgramFolder {
public:
    ProgramFolder() = default;
    ~ProgramFolder() { EXPECT_TRUE(WaitForItsProcesses()) << path().toStdString() << " is still in use"; }
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    QString path() const { return dir_.path(); }
    QString filePath(const QString& name) const { return dir_.filePath(name); }

    // Waits up to a minute for the processes to end; false when one is still running.
    bool WaitForItsProcesses() const
    {
        QElapsedTimer waited;
        waited.start();
        while (AnyProcessUsesIt()) {
            if (waited.elapsed() > 60000) return false;
            QThread::msleep(20);
        }
        return true;
    }

private:
    bool AnyProcessUsesIt() const
    {
        const QByteArray inside = QFile::encodeName(path()) + '/';
        const QString self = QString::number(::getpid());
        for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            if (pid == self || pid.toULongLong() == 0) continue;
            QFile cmdline(QStringLiteral("/proc/") + pid + QStringLiteral("/cmdline"));
            if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains(inside)) return true;
        }
        return false;
    }

    QTemporaryDir dir_;
};

}  // namespace strumwell::testing
