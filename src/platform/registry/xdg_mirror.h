#pragma once
// The file registry's file types, mirrored into the desktop's own database so that a file
// manager shows the type's icon and opens its files with the registered command:
//   <data>/mime/packages/<name>.xml            shared-mime-info package: glob, description, icon
//   <data>/icons/hicolor/<W>x<H>/mimetypes/    the type's icon, from the registered icon file
//   <data>/applications/<name>.desktop         a desktop entry that runs the command with the file
//   <config>/mimeapps.list                     that entry among the type's applications, and its
//                                              default where no mimeapps.list the desktop reads
//                                              names one
// Where the program's installed launcher opens the type already, the type is left to it: no
// entry of our own, nothing added to mimeapps.list.
// A file is written only when its content differs, and never where the user made it read-only
// (its owner's write bit off, or this user may not write it); update-mime-database and
// update-desktop-database run only after their folder changed. A file that is a symbolic link is
// written where the link leads; a file that cannot be read whole, or is no plain file, is left as
// it is and its entry skipped.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry/registry_tree.h"

namespace platform {

struct XdgFolders {
    std::filesystem::path config;  // $XDG_CONFIG_HOME, default ~/.config
    std::filesystem::path data;    // $XDG_DATA_HOME, default ~/.local/share
    // Read only, for the choices made there: the system's folders in their order ($XDG_CONFIG_DIRS,
    // default /etc/xdg; $XDG_DATA_DIRS, default /usr/local/share:/usr/share) and the desktops
    // of the session ($XDG_CURRENT_DESKTOP, in lower case: "gnome").
    std::vector<std::filesystem::path> configDirs{}, dataDirs{};
    std::vector<std::string> desktops{};
    static XdgFolders FromEnvironment();

    // Every mimeapps.list the desktop reads, in the order it reads them: the desktops' own lists
    // before the common one, in each of the config folders, then in the applications folders of
    // the data folders (an older place).
    std::vector<std::filesystem::path> MimeAppsLists() const;
};

// Runs a desktop tool with its arguments; the real one starts it in the background when it is
// installed and does not wait.
using ToolRunner = std::function<void(const std::string& program, const std::vector<std::string>& arguments)>;
void StartToolDetached(const std::string& program, const std::vector<std::string>& arguments);

namespace registry {

// One file type as the registry holds it (texts in UTF-8): ".swl" -> "Strumwell" -> description,
// "\shell\open\command" and "\DefaultIcon".
struct FileType {
    std::string extension;  // "swl"
    std::string typeName;   // "Strumwell"
    std::string description, command, icon;
};
std::vector<FileType> FileTypes(const Tree& tree);

// "application/x-strumwell", "application-x-strumwell", "strumwell".
std::string MimeTypeName(const FileType& type);
std::string IconName(const FileType& type);
std::string BaseName(const FileType& type);

// The program and arguments of a registered command, with "%1" standing for the file: unquoted,
// everything before " %1" is the program (the registry's paths use backslashes; "C:\..." paths
// go through the drive mapping); a quoted program path also works.
struct Command {
    std::string program;
    bool takesFile = false;
};
Command ParseCommand(const std::string& command);

std::string MimePackage(const FileType& type, bool withIcon);
std::string DesktopEntry(const FileType& type, bool withIcon);
// `mimeappsList` with the desktop entry among the type's applications ([Added Associations]) and
// its default where the list names none ([Default Applications]); a default the user chose
// stays, and an entry the user removed from the type ([Removed Associations]) is not added back.
// Everything else is kept byte for byte, also CR LF line ends.
// `defaultElsewhere`: another list the desktop reads names the type's default already, which
// stays the default too.
std::string WithOurAssociation(const std::string& mimeappsList, const std::string& mimeType,
                               const std::string& desktopFile, bool defaultElsewhere = false);

// Whether a list other than <config>/mimeapps.list, among those the desktop reads, names a
// default application for the type.
bool DefaultNamedElsewhere(const XdgFolders& folders, const std::string& mimeType);
// Whether the desktop entry `desktopFile` (the program's installed launcher) is installed in the
// data folders, not deleted (Hidden), and opens the type.
bool InstalledEntryOpens(const XdgFolders& folders, const std::string& desktopFile, const std::string& mimeType);

struct MirrorReport {
    std::vector<std::filesystem::path> written;
};
// `installedLauncher`: the file name of the program's installed launcher ("" for none).
MirrorReport MirrorToDesktop(const Tree& tree, const XdgFolders& folders, const ToolRunner& runTool,
                             const std::string& installedLauncher = {});

// Writes `content` as the file at `path` by the rules of files::ReplacingFile (a new version
// beside the file, synced and renamed over it; a link's last target replaced; the old file's
// permissions kept; missing folders made for a new file), except that a read-only file, or one
// in a folder the user may not write, is left as it is. True when it worked.
bool WriteFileWhole(const std::filesystem::path& path, const std::string& content);
// The same, unless the file already holds exactly that; true when it wrote.
bool WriteIfChanged(const std::filesystem::path& path, const std::string& content);
// Writes what `edit` makes of the file's text ("" for a file not there yet), when that differs.
// A file that cannot be read whole is left alone; true when it wrote.
bool UpdateFile(const std::filesystem::path& path, const std::function<std::string(const std::string&)>& edit);
// The whole text of the file a write to `path` would replace, "" when there is none yet; nothing
// when it cannot be read whole (no access, a pipe, a link to nothing), which a caller then leaves
// alone.
std::optional<std::string> ReplaceableText(const std::filesystem::path& path);

}  // namespace registry
}  // namespace platform
