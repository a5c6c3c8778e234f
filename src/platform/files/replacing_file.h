#pragma once
// Replacing a file so that it is never left half written: the new version is written beside it,
// made durable (fsync) and moved over the old one only when it is whole on disk, and the move is
// made durable in its folder too. A failed or interrupted write leaves the earlier file as it
// was. A new version that is not committed is removed again, and a write removes what earlier
// writes of the same file left behind when they were killed (see leftovers.h). The new file
// keeps the old one's permissions; a new file gets those the umask leaves.
//
// Only plain files are written: a symbolic link is followed (FindWriteTarget) and its last target
// replaced in that target's folder; a pipe, a device, a folder, a link to nothing or a loop of
// links is refused, as is a read-only file (Open fails and changes nothing). Where the folder
// lets no new file be made, or no file of another be replaced, but the file itself may be
// written, the file is written over in place; should that break off, the whole old content is
// put back.

#include <filesystem>
#include <string>
#include <string_view>

namespace platform::files {

struct ReplaceOptions {
    // A new file's missing folders are made (where the path is no link).
    bool makeFolders = false;
    // A file in a folder that lets it be written but not replaced is written over in place.
    bool inPlaceInLockedFolder = true;
};

class ReplacingFile {
public:
    explicit ReplacingFile(std::filesystem::path path, ReplaceOptions options = ReplaceOptions());
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    bool Open();
    bool Write(std::string_view bytes);
    bool Commit();
    // Why the last step failed, in plain words ("The file is read-only", the system's
    // "Permission denied").
    const std::string& Error() const { return error_; }
    // After a failure: the file may hold part of the new version (a write in place that could
    // not be undone).
    bool Damaged() const { return damaged_; }

private:
    bool Fail();
    bool OpenInPlace();
    bool CommitInPlace();
    bool Refuse(std::string why);

    std::filesystem::path path_;  // the file to replace (a link's last target, once open)
    ReplaceOptions options_;
    std::string temporary_;       // the new version while it is written
    int fd_ = -1;
    bool replacesFile_ = false;   // a file is there to be replaced
    bool inPlace_ = false;
    std::string pending_;         // in place: the new version, written over the file at Commit
    bool damaged_ = false;
    std::string error_;
};

// Replaces the file at `path` with `bytes` by the rules of ReplacingFile, in one call.
struct Replaced {
    bool written = false;
    std::string error;     // when not written
    bool damaged = false;  // see ReplacingFile::Damaged
};
Replaced ReplaceWhole(const std::filesystem::path& path, std::string_view bytes,
                      ReplaceOptions options = ReplaceOptions());

}  // namespace platform::files
