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
// committed is removed again, and a save removes what earlier saves of the same file left behind
// when they were killed. The new file keeps the old one's permissions.
//
// Only plain files are written: a symbolic link is followed and its last target replaced in that
// target's folder; a pipe, a device, a folder, a link to nothing or a loop of links is refused,
// as is a read-only file (Open fails and changes nothing). Where the folder lets no new file be
// made, or no file of another be replaced, but the file itself may be written, the file is
// written over in place; should that break off, the part already written is put back.
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
    // After a failure: the file may hold part of the new version (a write in place that could
    // not be undone).
    bool Damaged() const { return damaged_; }

private:
    bool Fail();
    bool OpenInPlace();
    bool CommitInPlace();

    std::string path_;       // the file to replace (a link's last target, once open)
    std::string temporary_;  // the new version while it is written
    int fd_ = -1;
    bool replacesFile_ = false;  // a file is there to be replaced
    bool inPlace_ = false;
    std::string pending_;    // in place: the new version, written over the file at Commit
    bool damaged_ = false;
    std::string error_;
};

}  // namespace strumwell::songfile
