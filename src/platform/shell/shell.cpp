#include "platform/shell/shell.h"

#include "platform/drive/drive_mapping.h"

#include <QStandardPaths>
#include <QString>
#include <QUrl>

#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {
namespace {
constexpr std::intptr_t kHandedOver = 42;
constexpr std::intptr_t kNoAssociation = 31;  // the shell's "no program for this" result

// Starts the desktop's opener on `address` in a session of its own, with its input and output on
// /dev/null: neither its messages nor a text-mode browser reach the program's terminal. Nobody
// waits for it (it is handed to init); it runs in `folder` when that names one. False when there
// is no opener to start.
bool StartOpener(const std::string& address, const std::string& folder)
{
    const QString found = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (found.isEmpty()) return false;
    const std::string opener = found.toStdString();
    const char* const argv[] = {opener.c_str(), address.c_str(), nullptr};
    const pid_t child = ::fork();
    if (child < 0) return false;
    if (child == 0) {
        // Only calls that are safe after a fork in a threaded program from here on.
        ::setsid();
        if (!folder.empty() && ::chdir(folder.c_str()) != 0) {
            // started elsewhere, the opener still opens the address
        }
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0) {
            ::dup2(null, STDIN_FILENO);
            ::dup2(null, STDOUT_FILENO);
            ::dup2(null, STDERR_FILENO);
            if (null > STDERR_FILENO) ::close(null);
        }
        if (::fork() != 0) ::_exit(0);  // the opener runs on, orphaned, and can take no terminal
        ::execv(opener.c_str(), const_cast<char* const*>(argv));
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return true;
}

}  // namespace

// Only "Open" is known (also as the default verb ""); the parameters and show command mean
// nothing to a URL handler.
std::intptr_t DesktopShell::ShellExecuteA(HWND, const std::string& lpOperation,
                                          const std::string& lpFile, const std::string&,
                                          const std::string& lpDirectory, int)
{
    if (!lpOperation.empty() && QString::fromStdString(lpOperation).compare(
                                    QStringLiteral("open"), Qt::CaseInsensitive) != 0)
        return kNoAssociation;
    QUrl url(QString::fromStdString(lpFile));
    if (url.scheme().size() <= 1)  // no scheme: a path, "C:\..." or local
        url = QUrl::fromLocalFile(QString::fromStdString(ResolveWindowsPath(lpFile).string()));
    if (!url.isValid()) return kNoAssociation;
    const std::string folder = lpDirectory.empty() ? std::string()
                                                   : ResolveWindowsPath(lpDirectory).string();
    return StartOpener(url.toString(QUrl::FullyEncoded).toStdString(), folder) ? kHandedOver
                                                                                : kNoAssociation;
}

}  // namespace platform
