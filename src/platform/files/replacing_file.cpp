#include "platform/files/replacing_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files/descriptor_io.h"
#include "platform/files/leftovers.h"
#include "platform/files/read_file.h"
#include "platform/files/write_target.h"

namespace platform::files {

namespace fs = std::filesystem;

namespace {

std::string SystemError(int code) { return std::strerror(code); }

fs::path FolderOf(const fs::path& file) { return file.has_parent_path() ? file.parent_path() : fs::path("."); }

// A file the user may not write stays as it is, although the folder would let a new file take
// its place. Asked for the effective user, as the writing is done by it. Root may write anything,
// so a file whose owner has no write bit (what chmod a-w and "read-only" in a file manager leave)
// counts as read-only for everyone.
bool IsReadOnly(const WriteTarget& target)
{
    return (target.mode & S_IWUSR) == 0 || ::faccessat(AT_FDCWD, target.path.c_str(), W_OK, AT_EACCESS) != 0;
}

// The new version belongs to whoever owned the old one, where this user may give it so (root
// may; another user may keep the old file's group if it is one of theirs), so that saving a song
// as root does not take it from the user it belongs to. Where neither may be, it is this user's,
// as any file they make. Before the mode is set, which a change of owner may clear bits of.
void KeepOwner(int fd, const WriteTarget& target)
{
    struct stat made {};
    if (::fstat(fd, &made) != 0 || (made.st_uid == target.owner && made.st_gid == target.group)) return;
    if (::fchown(fd, target.owner, target.group) == 0) return;
    if (made.st_gid != target.group) (void)::fchown(fd, static_cast<uid_t>(-1), target.group);
}

mode_t NewFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The rename is durable once the folder is. By then the new version is in place, so a folder
// that cannot be synced (some file systems do not sync folders) does not make the write fail.
void SyncFolder(const fs::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// A refusal of the folder (no new file may be made there, or no file of another replaced) that
// leaves writing the file itself.
bool FolderRefused(int error) { return error == EACCES || error == EPERM; }

}  // namespace

ReplacingFile::ReplacingFile(fs::path path, ReplaceOptions options)
    : path_(std::move(path)), options_(options)
{
}

ReplacingFile::~ReplacingFile()
{
    if (fd_ >= 0) ::close(fd_);
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

bool ReplacingFile::Fail()
{
    error_ = SystemError(errno);
    return false;
}

bool ReplacingFile::Refuse(std::string why)
{
    error_ = std::move(why);
    return false;
}

bool ReplacingFile::Open()
{
    using Kind = WriteTarget::Kind;
    const WriteTarget target = FindWriteTarget(path_);
    switch (target.kind) {
    case Kind::Missing: break;
    case Kind::Plain:
        if (IsReadOnly(target)) return Refuse("The file is read-only");
        break;
    case Kind::Folder: return Refuse(SystemError(EISDIR));
    case Kind::Special: return Refuse("It is " + SpecialKindName(target.mode) + ", not a file");
    case Kind::Dangling: return Refuse("It is a link to \"" + target.path.string() + "\", which does not exist");
    case Kind::Unreachable: return Refuse(SystemError(target.error));
    }
    path_ = target.path;

    const fs::path folder = FolderOf(path_);
    const std::string name = path_.filename().string();
    if (target.kind == Kind::Missing && options_.makeFolders) {
        std::error_code ignored;  // a folder that cannot be made fails the file's creation below
        fs::create_directories(folder, ignored);
    }
    RemoveLeftovers(folder, name);
    std::string pattern = (folder / (NewVersionPrefix(name, ::getpid()) + "XXXXXX")).string();
    replacesFile_ = target.kind == Kind::Plain;
    fd_ = ::mkstemp(pattern.data());
    if (fd_ < 0) {
        if (FolderRefused(errno) && replacesFile_ && options_.inPlaceInLockedFolder) return OpenInPlace();
        return Fail();
    }
    temporary_ = pattern;
    // Held until the new version is in place, so that another write of the same file knows it
    // is still being written.
    ::flock(fd_, LOCK_EX | LOCK_NB);
    if (replacesFile_) KeepOwner(fd_, target);
    const mode_t mode = replacesFile_ ? (target.mode & 07777) : NewFileMode();
    if (::fchmod(fd_, mode) != 0) return Fail();
    return true;
}

bool ReplacingFile::OpenInPlace()
{
    fd_ = ::open(path_.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return Fail();
    struct stat now {};
    if (::fstat(fd_, &now) != 0) return Fail();
    if (!S_ISREG(now.st_mode)) return Refuse("It is " + SpecialKindName(now.st_mode) + ", not a file");
    inPlace_ = true;
    return true;
}

bool ReplacingFile::Write(std::string_view bytes)
{
    // Kept for writing in place should the move be refused.
    if (options_.inPlaceInLockedFolder) pending_.append(bytes);
    if (inPlace_) return true;
    if (!WriteAll(fd_, bytes)) return Fail();
    return true;
}

bool ReplacingFile::Commit()
{
    if (inPlace_) return CommitInPlace();
    if (::fsync(fd_) != 0) return Fail();
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return Fail();
    if (::rename(temporary_.c_str(), path_.c_str()) != 0) {
        // A folder that lets the user make files but not replace another's (the sticky bit of a
        // shared folder): the file itself may still be written.
        if (!FolderRefused(errno) || !replacesFile_ || !options_.inPlaceInLockedFolder) return Fail();
        ::unlink(temporary_.c_str());
        temporary_.clear();
        return OpenInPlace() && CommitInPlace();
    }
    temporary_.clear();
    SyncFolder(FolderOf(path_));
    return true;
}

// The new version goes over the old bytes from the start and the file is cut to its length only
// once all of it is written; until then the whole old content is kept in memory to be put back
// (the cut may already have happened when a later step fails).
bool ReplacingFile::CommitInPlace()
{
    const std::optional<std::string> old = ReadAll(fd_, kAnySize);
    if (!old) return Fail();
    if (WriteAll(fd_, pending_, 0) && ::ftruncate(fd_, static_cast<off_t>(pending_.size())) == 0 &&
        ::fsync(fd_) == 0) {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) return Fail();
        return true;
    }
    const int error = errno;
    damaged_ = !(WriteAll(fd_, *old, 0) && ::ftruncate(fd_, static_cast<off_t>(old->size())) == 0 &&
                 ::fsync(fd_) == 0);
    errno = error;
    return Fail();
}

Replaced ReplaceWhole(const fs::path& path, std::string_view bytes, ReplaceOptions options)
{
    ReplacingFile file(path, options);
    Replaced replaced;
    replaced.written = file.Open() && file.Write(bytes) && file.Commit();
    if (!replaced.written) {
        replaced.error = file.Error();
        replaced.damaged = file.Damaged();
    }
    return replaced;
}

}  // namespace platform::files
