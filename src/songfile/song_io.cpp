#include "songfile/song_io.h"

#include <cstring>

#include "platform/files/read_file.h"

namespace strumwell::songfile {

namespace {

constexpr std::size_t kLargestSong = 4u << 20;

// Why a song file could not be read, in the words of the message that names it.
std::string Why(const platform::files::FileContents& read)
{
    using Problem = platform::files::FileContents::Problem;
    switch (read.problem) {
    case Problem::NotAFile: return "it is not a song file";
    case Problem::TooLarge: return "it is larger than any song file";
    case Problem::None:
    case Problem::Unreadable:
    case Problem::Folder: break;
    }
    return std::strerror(read.error);
}

}  // namespace

FileBytes ReadFileBytes(const std::string& path)
{
    platform::files::FileContents read = platform::files::ReadWholeFile(path, kLargestSong);
    FileBytes result;
    if (read.bytes)
        result.bytes = std::move(read.bytes);
    else
        result.error = Why(read);
    return result;
}

}  // namespace strumwell::songfile
