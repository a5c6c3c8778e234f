#pragma once
// Song files on disk: reading one whole, and replacing one so that it is never left half written
// (platform/files/replacing_file.h has the rules Save relies on).

#include <optional>
#include <string>

#include "platform/files/replacing_file.h"

namespace strumwell::songfile {

// The bytes of a file, or why it could not be read ("No such file or directory"). Files larger
// than any song (4 MiB) and anything but a regular file (a pipe, a device) are refused, the
// latter before it is opened.
struct FileBytes {
    std::optional<std::string> bytes;
    std::string error;
};
FileBytes ReadFileBytes(const std::string& path);

// Save writes a song file by the rules every replaced file follows.
using ReplacingFile = platform::files::ReplacingFile;

}  // namespace strumwell::songfile
