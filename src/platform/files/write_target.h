#pragma once
// Where a write to a path lands. A symbolic link is followed to the end of its chain, so that a
// file kept elsewhere (a dotfiles folder, a shared folder) is replaced where it lives and the link
// stays a link. Nothing is opened: a pipe or a device is only looked at, never read or written.

#include <filesystem>
#include <string>
#include <sys/types.h>

namespace platform::files {

struct WriteTarget {
    enum class Kind {
        Missing,     // nothing there and no link leading there: a new file
        Plain,       // a regular file
        Folder,      // a directory
        Special,     // a pipe, device or socket
        Dangling,    // a link whose last target does not exist
        Unreachable  // the chain cannot be followed (a loop, a folder without access); see error
    };
    std::filesystem::path path;  // the path itself, or the last target of its links
    Kind kind = Kind::Missing;
    mode_t mode = 0;             // type and permission bits, for Plain, Folder and Special
    uid_t owner = 0;             // for Plain, Folder and Special
    gid_t group = 0;
    int error = 0;               // errno, for Unreachable
    bool viaLink = false;
};

WriteTarget FindWriteTarget(const std::filesystem::path& path);

// "a named pipe", "a device", "a socket": what a Special target is, in plain words.
std::string SpecialKindName(mode_t mode);

}  // namespace platform::files
