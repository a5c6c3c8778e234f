#include "songfile/song_io.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/files/write_target.h"

namespace strumwell::songfile {
namespace {

constexpr std::size_t kLargestSong = 4u << 20;

std::string SystemError(int code) { return std::strerror(code); }

// A file the user may not write stays as it is, although the folder would let a new file take
// its place. Asked for the effective user, as the writing is done by it. Root may write anything,
// so a file whose owner has no write bit (what chmod a-w and "read-only" in a file manager leave)
// counts as read-only for everyone.
bool IsReadOnly(mode_t mode, const std::string& path)
{
    return (mode & S_IWUSR) == 0 || ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0;
}

mode_t NewFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Why a path cannot be read as a song before it is opened, or nothing. Only a regular file (a
// link's target counts) is opened: reading a pipe or a device could wait forever, at start-up too.
std::optional<std::string> NotASongFile(const std::string& path)
{
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error) return SystemError(error.value());
    if (std::filesystem::is_directory(status)) return SystemError(EISDIR);
    if (!std::filesystem::is_regular_file(status)) return std::string("it is not a song file");
    return std::nullopt;
}

// 64-bit FNV-1a: the same in every run, so a later program finds an earlier one's leftovers.
std::uint64_t NameHash(std::string_view text)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

// What a save of `songName` calls its new version while writing it (six unique characters
// follow), so that a later save can tell its own leftovers from everything else in the folder.
// A name too long for the folder's limit is cut and a hash of the whole name follows the cut, so
// that two long names sharing their start do not share a prefix; a cut name's part is longer than
// any uncut one's. The prefix stays the same for every save.
std::string SavingPrefix(const std::string& songName, long processId)
{
    constexpr std::size_t kLongestTail = sizeof(".saving.") - 1 + 10 + 1 + 6;  // up to 10 digits
    constexpr std::size_t kLongestName = NAME_MAX - 1 - kLongestTail;
    constexpr std::size_t kHashLength = 1 + 16;  // "~" and 16 hex digits
    std::string name = songName;
    if (name.size() > kLongestName - kHashLength) {
        char hash[kHashLength + 1];
        std::snprintf(hash, sizeof hash, "~%016llx", static_cast<unsigned long long>(NameHash(songName)));
        name = songName.substr(0, kLongestName - kHashLength) + hash;
    }
    return "." + name + ".saving." + std::to_string(processId) + ".";
}

// The process id in the name of an earlier save's new version of `songName`, or nothing when the
// name is not one.
std::optional<long> LeftoverOf(const std::string& name, const std::string& songName)
{
    const std::string start = SavingPrefix(songName, 0);
    const std::string head = start.substr(0, start.size() - 2);  // up to ".saving."
    if (name.compare(0, head.size(), head) != 0) return std::nullopt;
    const std::string rest = name.substr(head.size());  // "<pid>.XXXXXX"
    const auto dot = rest.find('.');
    if (dot == std::string::npos || dot == 0 || dot > 10 || rest.size() != dot + 7) return std::nullopt;
    long pid = 0;
    for (std::size_t i = 0; i < dot; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(rest[i]))) return std::nullopt;
        pid = pid * 10 + (rest[i] - '0');
    }
    for (std::size_t i = dot + 1; i < rest.size(); ++i)
        if (!std::isalnum(static_cast<unsigned char>(rest[i]))) return std::nullopt;
    return pid;
}

bool StillRunning(long pid)
{
    if (pid == ::getpid()) return false;  // saves run one at a time in this program
    if (pid <= 0 || pid > INT_MAX) return true;  // no process of ours: left alone
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

// Removes the new versions of `songName` that saves killed part-way left in `folder`: plain files
// of this user, named as a save names them, whose program has ended and which nobody holds.
void RemoveLeftovers(const std::filesystem::path& folder, const std::string& songName)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        const std::optional<long> pid = LeftoverOf(name, songName);
        if (!pid || StillRunning(*pid)) continue;
        const int fd = ::open(entry.path().c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(entry.path().c_str());
        ::close(fd);
    }
}

// Writes all of `bytes` at `offset`, or at the file's position when it is negative.
bool WriteAt(int fd, std::string_view bytes, off_t offset)
{
    while (!bytes.empty()) {
        const ssize_t wrote = offset < 0 ? ::write(fd, bytes.data(), bytes.size())
                                         : ::pwrite(fd, bytes.data(), bytes.size(), offset);
        if (wrote < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(wrote));
        if (offset >= 0) offset += wrote;
    }
    return true;
}

}  // namespace

FileBytes ReadFileBytes(const std::string& path)
{
    FileBytes result;
    if (auto refused = NotASongFile(path)) {
        result.error = std::move(*refused);
        return result;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        result.error = SystemError(errno);
        return result;
    }
    std::string bytes;
    std::vector<char> chunk(64 * 1024);
    while (true) {
        const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), file);
        bytes.append(chunk.data(), got);
        if (bytes.size() > kLargestSong) {
            result.error = "it is larger than any song file";
            break;
        }
        if (got < chunk.size()) {
            if (std::ferror(file)) result.error = SystemError(errno);
            break;
        }
    }
    std::fclose(file);
    if (result.error.empty()) result.bytes = std::move(bytes);
    return result;
}

ReplacingFile::ReplacingFile(std::string path) : path_(std::move(path)) {}

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

bool ReplacingFile::Open()
{
    using Kind = platform::files::WriteTarget::Kind;
    const platform::files::WriteTarget target = platform::files::FindWriteTarget(path_);
    switch (target.kind) {
    case Kind::Missing: break;
    case Kind::Plain:
        if (IsReadOnly(target.mode, target.path.string())) {
            error_ = "The file is read-only";
            return false;
        }
        break;
    case Kind::Folder: error_ = SystemError(EISDIR); return false;
    case Kind::Special: error_ = "It is " + platform::files::SpecialKindName(target.mode) + ", not a file"; return false;
    case Kind::Dangling:
        error_ = "It is a link to \"" + target.path.string() + "\", which does not exist";
        return false;
    case Kind::Unreachable: error_ = SystemError(target.error); return false;
    }
    path_ = target.path.string();

    const std::filesystem::path folder = target.path.has_parent_path() ? target.path.parent_path() : ".";
    const std::string name = target.path.filename().string();
    RemoveLeftovers(folder, name);
    std::string pattern = (folder / (SavingPrefix(name, ::getpid()) + "XXXXXX")).string();
    replacesFile_ = target.kind == Kind::Plain;
    fd_ = ::mkstemp(pattern.data());
    if (fd_ < 0) {
        // A folder the user may not write: the file itself may still be written.
        if ((errno == EACCES || errno == EPERM) && replacesFile_) return OpenInPlace();
        return Fail();
    }
    temporary_ = pattern;
    // Held until the new version is in place, so that another save of the same file knows it
    // is still being written.
    ::flock(fd_, LOCK_EX | LOCK_NB);
    const mode_t mode = target.kind == Kind::Plain ? (target.mode & 07777) : NewFileMode();
    if (::fchmod(fd_, mode) != 0) return Fail();
    return true;
}

bool ReplacingFile::OpenInPlace()
{
    fd_ = ::open(path_.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return Fail();
    struct stat now {};
    if (::fstat(fd_, &now) != 0) return Fail();
    if (!S_ISREG(now.st_mode)) {
        error_ = "It is " + platform::files::SpecialKindName(now.st_mode) + ", not a file";
        return false;
    }
    inPlace_ = true;
    return true;
}

bool ReplacingFile::Write(std::string_view bytes)
{
    pending_.append(bytes);  // a song is small; kept for writing in place should the move fail
    if (inPlace_) return true;
    if (!WriteAt(fd_, bytes, -1)) return Fail();
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
        if ((errno != EACCES && errno != EPERM) || !replacesFile_) return Fail();
        ::unlink(temporary_.c_str());
        temporary_.clear();
        return OpenInPlace() && CommitInPlace();
    }
    temporary_.clear();
    return true;
}

// The new version goes over the old bytes from the start and the file is cut to its length only
// once all of it is written; until then the whole old content is kept in memory to be put back
// (the cut may already have happened when a later step fails).
bool ReplacingFile::CommitInPlace()
{
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return Fail();
    std::string old(static_cast<std::size_t>(st.st_size), '\0');
    std::size_t got = 0;
    while (got < old.size()) {
        const ssize_t n = ::pread(fd_, old.data() + got, old.size() - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Fail();
        if (n == 0) {
            old.resize(got);  // shorter than it was a moment ago
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    if (WriteAt(fd_, pending_, 0) && ::ftruncate(fd_, static_cast<off_t>(pending_.size())) == 0 &&
        ::fsync(fd_) == 0) {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) return Fail();
        return true;
    }
    const int error = errno;
    damaged_ = !(WriteAt(fd_, old, 0) && ::ftruncate(fd_, static_cast<off_t>(old.size())) == 0 &&
                 ::fsync(fd_) == 0);
    errno = error;
    return Fail();
}

}  // namespace strumwell::songfile
