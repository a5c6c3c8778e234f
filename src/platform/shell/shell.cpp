#include "platform/shell/shell.h"

#include "platform/drive/drive_mapping.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

namespace platform {
namespace {
constexpr std::intptr_t kHandedOver = 42;
constexpr std::intptr_t kNoAssociation = 31;  // the shell's "no program for this" result
}  // namespace

// Only "Open" is known (also as the default verb ""); the parameters, folder and show command
// mean nothing to a URL handler.
std::intptr_t DesktopShell::ShellExecuteA(HWND, const std::string& lpOperation,
                                          const std::string& lpFile, const std::string&,
                                          const std::string&, int)
{
    if (!lpOperation.empty() && QString::fromStdString(lpOperation).compare(
                                    QStringLiteral("open"), Qt::CaseInsensitive) != 0)
        return kNoAssociation;
    QUrl url(QString::fromStdString(lpFile));
    if (url.scheme().size() <= 1)  // no scheme: a path, "C:\..." or local
        url = QUrl::fromLocalFile(QString::fromStdString(ResolveWindowsPath(lpFile).string()));
    return QDesktopServices::openUrl(url) ? kHandedOver : kNoAssociation;
}

}  // namespace platform
