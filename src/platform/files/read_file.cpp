#include "platform/files/read_file.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files/descriptor_io.h"

namespace platform::files {

namespace {

FileContents Refused(FileContents::Problem problem, int error = 0)
{
    FileContents refused;
    refused.problem = problem;
    refused.error = error;
    return refused;
}

// Why a file of this type is not read, or nothing for a regular file.
std::optional<FileContents> RefusedType(mode_t mode)
{
    if (S_ISREG(mode)) return std::nullopt;
    if (S_ISDIR(mode)) return Refused(FileContents::Problem::Folder, EISDIR);
    return Refused(FileContents::Problem::NotAFile);
}

}  // namespace

FileContents ReadWholeFile(const std::filesystem::path& path, std::size_t largest)
{
    using Problem = FileContents::Problem;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return Refused(Problem::Unreadable, errno);
    if (std::optional<FileContents> refused = RefusedType(st.st_mode)) return *refused;

    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return Refused(Problem::Unreadable, errno);
    FileContents read;
    if (::fstat(fd, &st) != 0) {
        read = Refused(Problem::Unreadable, errno);
    } else if (std::optional<FileContents> refused = RefusedType(st.st_mode)) {
        read = *refused;
    } else if (static_cast<std::uintmax_t>(st.st_size) > largest) {
        read = Refused(Problem::TooLarge);  // known before a byte is read; a file that grows is caught below
    } else if (std::optional<std::string> bytes = ReadAll(fd, largest); !bytes) {
        read = Refused(Problem::Unreadable, errno);
    } else if (bytes->size() > largest) {
        read = Refused(Problem::TooLarge);
    } else {
        read.bytes = std::move(bytes);
    }
    ::close(fd);
    return read;
}

}  // namespace platform::files
