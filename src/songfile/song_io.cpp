#include "songfile/song_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace strumwell::songfile {
namespace {

constexpr std::size_t kLargestSong = 4u << 20;

std::string SystemError(int code) { return std::strerror(code); }

// The path a save really replaces: the target of a link, so the link stays a link.
std::string ReplacedPath(const std::string& path)
{
    std::error_code error;
    if (std::filesystem::is_symlink(path, error)) {
        const auto target = std::filesystem::canonical(path, error);
        if (!error) return target.string();
    }
    return path;
}

// A file the user may not write stays as it is, although the folder would let a new file take
// its place. access() alone lets root write anything, so a file whose owner has no write bit
// (what chmod a-w and "read-only" in a file manager leave) counts as read-only for everyone.
bool IsReadOnly(const struct stat& file, const std::string& path)
{
    return (file.st_mode & S_IWUSR) == 0 || ::access(path.c_str(), W_OK) != 0;
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

ReplacingFile::ReplacingFile(std::string path) : path_(ReplacedPath(path)) {}

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
    struct stat old {};
    const bool exists = ::stat(path_.c_str(), &old) == 0;
    if (exists && S_ISREG(old.st_mode) && IsReadOnly(old, path_)) {
        error_ = "The file is read-only";
        return false;
    }
    const std::filesystem::path target(path_);
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    fd_ = ::mkstemp(pattern.data());
    if (fd_ < 0) return Fail();
    temporary_ = pattern;
    const mode_t mode = exists ? (old.st_mode & 07777) : NewFileMode();
    if (::fchmod(fd_, mode) != 0) return Fail();
    return true;
}

bool ReplacingFile::Write(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t wrote = ::write(fd_, bytes.data(), bytes.size());
        if (wrote < 0) {
            if (errno == EINTR) continue;
            return Fail();
        }
        bytes.remove_prefix(static_cast<std::size_t>(wrote));
    }
    return true;
}

bool ReplacingFile::Commit()
{
    if (::fsync(fd_) != 0) return Fail();
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return Fail();
    if (::rename(temporary_.c_str(), path_.c_str()) != 0) return Fail();
    temporary_.clear();
    return true;
}

}  // namespace strumwell::songfile
