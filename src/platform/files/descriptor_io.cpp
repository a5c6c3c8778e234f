#include "platform/files/descriptor_io.h"

#include <cerrno>
#include <unistd.h>
#include <vector>

namespace platform::files {

bool WriteAll(int fd, std::string_view bytes, off_t offset)
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

std::optional<std::string> ReadAll(int fd, std::size_t largest)
{
    std::string bytes;
    std::vector<char> chunk(64 * 1024);
    while (bytes.size() <= largest) {
        const ssize_t got = ::pread(fd, chunk.data(), chunk.size(), static_cast<off_t>(bytes.size()));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        if (got == 0) break;
        bytes.append(chunk.data(), static_cast<std::size_t>(got));
    }
    return bytes;
}

}  // namespace platform::files
