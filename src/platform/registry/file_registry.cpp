#include "platform/registry/file_registry.h"

#include <QCoreApplication>
#include <QObject>
#include <QTimer>

#include <optional>

namespace platform {

namespace fs = std::filesystem;

FileRegistry::FileRegistry(XdgFolders folders, ToolRunner runTool, std::string installedLauncher)
    : folders_(std::move(folders)), runTool_(std::move(runTool)), installedLauncher_(std::move(installedLauncher)),
      context_(std::make_unique<QObject>())
{
    // A file that is there but cannot be read whole is never replaced: rewriting it from an empty
    // tree would drop every key it holds. The registry then refuses writes, as without rights.
    if (const std::optional<std::string> text = registry::ReplaceableText(File()))
        tree_ = registry::Tree::FromText(*text);
    else
        fileUnreadable_ = true;
}

FileRegistry::~FileRegistry()
{
    if (mirrorPending_) MirrorNow();
}

fs::path FileRegistry::File() const { return folders_.config / "strumwell" / "registry"; }

bool FileRegistry::KeyPath(HKEY key, std::string& path) const
{
    if (key == HKEY_CLASSES_ROOT) {
        path.clear();
        return true;
    }
    const auto it = open_.find(key);
    if (it == open_.end()) return false;
    path = it->second;
    return true;
}

HKEY FileRegistry::OpenHandle(const std::string& path)
{
    const HKEY handle = next_++;
    open_[handle] = path;
    return handle;
}

long FileRegistry::RegCreateKeyExA(HKEY hKey, const std::string& lpSubKey, std::uint32_t,
                                   const char*, std::uint32_t, std::uint32_t, const void*,
                                   HKEY* phkResult, std::uint32_t* lpdwDisposition)
{
    std::string base;
    if (!KeyPath(hKey, base)) return ERROR_INVALID_HANDLE;
    const std::string path = registry::Tree::Join(base, lpSubKey);
    if (!registry::Tree::ValidPath(path) || path.empty()) return ERROR_ACCESS_DENIED;
    ScheduleMirror();
    const registry::Tree before = tree_;
    const bool made = tree_.Create(path);
    if (made && !Save()) {
        tree_ = before;
        return ERROR_ACCESS_DENIED;
    }
    if (phkResult) *phkResult = OpenHandle(path);
    if (lpdwDisposition) *lpdwDisposition = made ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

long FileRegistry::RegOpenKeyExA(HKEY hKey, const std::string& lpSubKey, std::uint32_t,
                                 std::uint32_t, HKEY* phkResult)
{
    std::string base;
    if (!KeyPath(hKey, base)) return ERROR_INVALID_HANDLE;
    const std::string path = registry::Tree::Join(base, lpSubKey);
    if (!path.empty() && !tree_.Find(path)) return ERROR_FILE_NOT_FOUND;
    if (phkResult) *phkResult = OpenHandle(path);
    return ERROR_SUCCESS;
}

long FileRegistry::RegSetValueExA(HKEY hKey, const std::string& lpValueName, std::uint32_t,
                                  std::uint32_t dwType, const void* lpData, std::uint32_t cbData)
{
    std::string path;
    if (hKey == HKEY_CLASSES_ROOT || !KeyPath(hKey, path)) return ERROR_INVALID_HANDLE;
    const auto* bytes = static_cast<const char*>(lpData);
    ScheduleMirror();
    const registry::Tree before = tree_;
    if (!tree_.Set(path, lpValueName, dwType, bytes ? std::string(bytes, cbData) : std::string()))
        return ERROR_SUCCESS;
    if (Save()) return ERROR_SUCCESS;
    tree_ = before;
    return ERROR_ACCESS_DENIED;
}

long FileRegistry::RegCloseKey(HKEY hKey)
{
    return open_.erase(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

bool FileRegistry::Save()
{
    if (fileUnreadable_) return false;
    ++fileWrites_;
    return registry::WriteFileWhole(File(), tree_.Text());
}

void FileRegistry::ScheduleMirror()
{
    mirrorPending_ = true;
    if (mirrorScheduled_ || !QCoreApplication::instance()) return;
    mirrorScheduled_ = true;
    QTimer::singleShot(0, context_.get(), [this] { MirrorNow(); });
}

registry::MirrorReport FileRegistry::MirrorNow()
{
    mirrorPending_ = false;
    mirrorScheduled_ = false;
    return registry::MirrorToDesktop(tree_, folders_, runTool_, installedLauncher_);
}

}  // namespace platform
