#include "platform/files/write_target.h"

#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform::files {

namespace fs = std::filesystem;

namespace {

// As many links as the kernel follows before it calls the chain a loop.
constexpr int kMostLinks = 40;

}  // namespace

WriteTarget FindWriteTarget(const fs::path& path)
{
    WriteTarget target;
    target.path = path;
    for (int links = 0;; ++links) {
        struct stat st {};
        if (::lstat(target.path.c_str(), &st) != 0) {
            if (errno == ENOENT) {
                target.kind = target.viaLink ? WriteTarget::Kind::Dangling : WriteTarget::Kind::Missing;
            } else {
                target.kind = WriteTarget::Kind::Unreachable;
                target.error = errno;
            }
            return target;
        }
        if (!S_ISLNK(st.st_mode)) {
            target.kind = S_ISREG(st.st_mode)   ? WriteTarget::Kind::Plain
                          : S_ISDIR(st.st_mode) ? WriteTarget::Kind::Folder
                                                : WriteTarget::Kind::Special;
            target.mode = st.st_mode;
            target.owner = st.st_uid;
            target.group = st.st_gid;
            return target;
        }
        if (links == kMostLinks) {
            target.kind = WriteTarget::Kind::Unreachable;
            target.error = ELOOP;
            return target;
        }
        std::vector<char> buffer(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
        const ssize_t length = ::readlink(target.path.c_str(), buffer.data(), buffer.size());
        if (length < 0 || static_cast<std::size_t>(length) >= buffer.size()) {
            target.kind = WriteTarget::Kind::Unreachable;
            target.error = length < 0 ? errno : ENAMETOOLONG;
            return target;
        }
        const fs::path next(std::string(buffer.data(), static_cast<std::size_t>(length)));
        target.path = next.is_absolute() ? next : target.path.parent_path() / next;
        target.viaLink = true;
    }
}

std::string SpecialKindName(mode_t mode)
{
    if (S_ISFIFO(mode)) return "a named pipe";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISSOCK(mode)) return "a socket";
    return "a special file";
}

}  // namespace platform::files
