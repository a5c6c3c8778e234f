#pragma once
// The registry of the program's file types, kept in <config>/strumwell/registry (XDG config
// folder) and mirrored into the desktop's database (xdg_mirror.h). Only HKEY_CLASSES_ROOT and keys
// opened below it are known. The file is rewritten only when a call changes it; the mirror runs
// once the event loop is up (or when the registry is destroyed), after the first call of the run
// and after later changes, so registering at every start costs start-up almost nothing.

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "platform/registry/registry.h"
#include "platform/registry/registry_tree.h"
#include "platform/registry/xdg_mirror.h"

class QObject;

namespace platform {

class FileRegistry final : public Registry {
public:
    // `installedLauncher`: the file name of the program's installed launcher, to which the mirror
    // leaves the file types it opens.
    explicit FileRegistry(XdgFolders folders, ToolRunner runTool = StartToolDetached, std::string installedLauncher = {});
    ~FileRegistry() override;
    FileRegistry(const FileRegistry&) = delete;
    FileRegistry& operator=(const FileRegistry&) = delete;

    long RegCreateKeyExA(HKEY hKey, const std::string& lpSubKey, std::uint32_t Reserved,
                         const char* lpClass, std::uint32_t dwOptions, std::uint32_t samDesired,
                         const void* lpSecurityAttributes, HKEY* phkResult,
                         std::uint32_t* lpdwDisposition) override;
    long RegOpenKeyExA(HKEY hKey, const std::string& lpSubKey, std::uint32_t ulOptions,
                       std::uint32_t samDesired, HKEY* phkResult) override;
    long RegSetValueExA(HKEY hKey, const std::string& lpValueName, std::uint32_t Reserved,
                        std::uint32_t dwType, const void* lpData, std::uint32_t cbData) override;
    long RegCloseKey(HKEY hKey) override;

    // Brings the desktop's files in line with the registry at once.
    registry::MirrorReport MirrorNow();
    std::filesystem::path File() const;
    const registry::Tree& Tree() const { return tree_; }
    // How many times this object wrote its file.
    int FileWrites() const { return fileWrites_; }

private:
    // The path of an open key or the root; false for an unknown handle.
    bool KeyPath(HKEY key, std::string& path) const;
    HKEY OpenHandle(const std::string& path);
    bool Save();  // false when the file could not be written
    void ScheduleMirror();

    XdgFolders folders_;
    ToolRunner runTool_;
    std::string installedLauncher_;
    registry::Tree tree_;
    std::map<HKEY, std::string> open_;
    HKEY next_ = 1;
    bool fileUnreadable_ = false;
    bool mirrorPending_ = false;
    bool mirrorScheduled_ = false;
    int fileWrites_ = 0;
    std::unique_ptr<QObject> context_;  // ends the scheduled mirror with this object
};

}  // namespace platform
