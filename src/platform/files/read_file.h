#pragma once
// Reading a file whole. Only a regular file is read (a link's target counts): anything else is
// refused before it is opened, so that a pipe or a device in its place is never waited on, and
// checked once more when open, should one have been put there meanwhile.

#include <cstddef>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>

namespace platform::files {

struct FileContents {
    enum class Problem {
        None,
        Unreadable,  // the system's error: see error
        Folder,      // a directory (error is EISDIR)
        NotAFile,    // a pipe, a device or a socket
        TooLarge     // more bytes than the reader takes
    };
    std::optional<std::string> bytes;  // the whole file, where it was read
    Problem problem = Problem::None;
    int error = 0;  // errno, for Unreadable and Folder
};

inline constexpr std::size_t kAnySize = std::numeric_limits<std::size_t>::max();

// The file's bytes, or why not; a file of more than `largest` bytes is refused.
FileContents ReadWholeFile(const std::filesystem::path& path, std::size_t largest = kAnySize);

}  // namespace platform::files
