#pragma once
// Song files on disk: reading one whole, and replacing one so that it is never left half written.

#include <optional>
#include <string>
#include <string_view>

namespace strumwell::songfile {

// The bytes of a file, or why it could not be read ("No such file or directory"). Files larger
// than any song (4 MiB) and anything but a regular file (a pipe, a device) are refused, the
// latter before it is opened.
struct FileBytes {
    std::optional<std::string> bytes;
    std::string error;
};
FileBytes ReadFileBytes(const std::string& path);

// Writes a new version of a file beside it and moves it over the old one only when it is whole
// on disk, so a failed or interrupted save leaves the earlier file as it was. A file that is not
// committed is removed again. The new file keeps the old one's permissions; a read-only file is
// not replaced (Open fails and writes nothing).
class ReplacingFile {
public:
    explicit ReplacingFile(std::string path);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    bool Open();
    bool Write(std::string_view bytes);
    bool Commit();
    // Why the last step failed, in the system's words.
    const std::string& Error() const { return error_; }

private:
    bool Fail();

    std::string path_;       // the file to replace (a link's target)
    std::string temporary_;  // the new version while it is written
    int fd_ = -1;
    std::string error_;
};

}  // namespace strumwell::songfile
