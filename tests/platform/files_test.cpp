// Reading a file whole and replacing one, as every part of the program that keeps files does.
// Save's own tests (tests/songfile/save_test.cpp) drive the writer through the window; these
// cover what Save does not ask for.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include "platform/files/read_file.h"
#include "platform/files/replacing_file.h"
#include "support/without_rights.h"

namespace platform::files {
namespace {

namespace fs = std::filesystem;

class Files : public ::testing::Test {
protected:
    fs::path Path(const std::string& name) const { return fs::path(temp.path().toStdString()) / name; }

    static void Write(const fs::path& path, const std::string& bytes)
    {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }
    static std::string Read(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::vector<std::string> Names(const fs::path& folder) const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
        return names;
    }

    QTemporaryDir temp;
};

TEST_F(Files, ReaderTakesRegularFilesWholeAndRefusesTheRest)
{
    Write(Path("four"), "1234");
    fs::create_symlink("four", Path("link"));
    ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0600), 0);  // read, it would wait for a writer
    struct Case {
        fs::path path;
        std::size_t largest;
        FileContents::Problem problem;
        int error;
    };
    using P = FileContents::Problem;
    const std::vector<Case> cases{
        {Path("four"), 4, P::None, 0},
        {Path("link"), kAnySize, P::None, 0},
        {Path("four"), 3, P::TooLarge, 0},
        {Path("missing"), kAnySize, P::Unreadable, ENOENT},
        {Path("four/inside"), kAnySize, P::Unreadable, ENOTDIR},
        {Path(""), kAnySize, P::Folder, EISDIR},
        {Path("pipe"), kAnySize, P::NotAFile, 0},
        {"/dev/zero", kAnySize, P::NotAFile, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.string() + " up to " + std::to_string(c.largest));
        const FileContents read = ReadWholeFile(c.path, c.largest);
        EXPECT_EQ(read.problem, c.problem);
        EXPECT_EQ(read.error, c.error);
        EXPECT_EQ(read.bytes.value_or("nothing"), c.problem == P::None ? "1234" : "nothing");
    }
}

// A file larger than the reader's chunks comes in whole.
TEST_F(Files, ReaderTakesALargeFileWhole)
{
    std::string bytes(300 * 1024 + 7, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 31 % 251);
    Write(Path("large"), bytes);
    const FileContents read = ReadWholeFile(Path("large"));
    ASSERT_TRUE(read.bytes);
    EXPECT_EQ(*read.bytes, bytes);
    EXPECT_EQ(ReadWholeFile(Path("large"), bytes.size() - 1).problem, FileContents::Problem::TooLarge);
}

// A new file's missing folders are made only where asked; a new file takes the umask's mode.
TEST_F(Files, MissingFoldersAreMadeWhereAsked)
{
    const fs::path file = Path("data/icons/48/song.png");
    const Replaced refused = ReplaceWhole(file, "icon");
    EXPECT_FALSE(refused.written);
    EXPECT_EQ(refused.error, "No such file or directory");
    EXPECT_FALSE(fs::exists(Path("data")));

    const mode_t mask = ::umask(027);
    const Replaced made = ReplaceWhole(file, "icon", {.makeFolders = true});
    ::umask(mask);
    EXPECT_TRUE(made.written) << made.error;
    EXPECT_EQ(Read(file), "icon");
    EXPECT_EQ(fs::status(file).permissions(), fs::perms(0640));
    EXPECT_EQ(Names(file.parent_path()), std::vector<std::string>{"song.png"});

    // A link to a missing file in a missing folder is not a new file: nothing is made for it.
    fs::create_symlink("elsewhere/list", Path("link"));
    const Replaced dangling = ReplaceWhole(Path("link"), "text", {.makeFolders = true});
    EXPECT_FALSE(dangling.written);
    EXPECT_FALSE(fs::exists(Path("elsewhere")));
}

// A file counts as read-only when its owner's write bit is off, as chmod u-w and a file
// manager's "read-only" leave it, also for root, whom the mode does not stop, and also where
// others may still write it; it stays as it was, mode and all.
TEST_F(Files, ReadOnlyIsTheOwnersMissingWriteBit)
{
    const std::vector<std::pair<mode_t, bool>> cases{
        {0444, false}, {0464, false}, {0466, false}, {0644, true}, {0600, true}, {0200, true}};
    for (const auto& [mode, replaced] : cases) {
        SCOPED_TRACE("mode " + std::to_string(mode >> 6) + std::to_string((mode >> 3) & 7) + std::to_string(mode & 7));
        const fs::path file = Path("list");
        fs::remove(file);
        Write(file, "old");
        ASSERT_EQ(::chmod(file.c_str(), mode), 0);
        const Replaced written = ReplaceWhole(file, "new");
        EXPECT_EQ(written.written, replaced) << written.error;
        EXPECT_EQ(written.error, replaced ? "" : "The file is read-only");
        EXPECT_EQ(fs::status(file).permissions(), fs::perms(mode));
        ::chmod(file.c_str(), 0600);
        EXPECT_EQ(Read(file), replaced ? "new" : "old");
    }
}

// Without writing in place, a file in a folder the user may not write is left as it is.
TEST_F(Files, LockedFolderWithoutWritingInPlace)
{
    using strumwell::testing::WithoutRights;
    if (!WithoutRights::Possible()) GTEST_SKIP() << "no user without rights to run as";
    fs::permissions(temp.path().toStdString(), fs::perms(0755));
    const fs::path folder = Path("locked");
    fs::create_directory(folder);
    Write(folder / "list", "old");
    ASSERT_EQ(::chmod((folder / "list").c_str(), 0666), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    Replaced kept, inPlace;
    {
        WithoutRights user;
        kept = ReplaceWhole(folder / "list", "new", {.inPlaceInLockedFolder = false});
        EXPECT_EQ(Read(folder / "list"), "old");
        inPlace = ReplaceWhole(folder / "list", "newer");
    }
    ::chmod(folder.c_str(), 0755);
    EXPECT_FALSE(kept.written);
    EXPECT_EQ(kept.error, "Permission denied");
    EXPECT_TRUE(inPlace.written) << inPlace.error;
    EXPECT_EQ(Read(folder / "list"), "newer");
    EXPECT_EQ(Names(folder), std::vector<std::string>{"list"});
}

// A replaced file keeps its owner and group, also when root saves another user's file, and its
// mode whole, the set-id bits too, which a change of owner would clear.
TEST_F(Files, ReplacedFileKeepsItsOwner)
{
    using strumwell::testing::WithoutRights;
    if (::geteuid() != 0 || !WithoutRights::Possible()) GTEST_SKIP() << "giving a file away takes root";
    const fs::path file = Path("song");
    Write(file, "old");
    WithoutRights::Give(file);
    ASSERT_EQ(::chmod(file.c_str(), 06755), 0);
    const Replaced written = ReplaceWhole(file, "new");
    ASSERT_TRUE(written.written) << written.error;
    struct stat now {};
    ASSERT_EQ(::stat(file.c_str(), &now), 0);
    EXPECT_EQ(now.st_uid, WithoutRights::Uid());
    EXPECT_EQ(now.st_gid, WithoutRights::Gid());
    EXPECT_EQ(now.st_mode & 07777, 06755u);
    EXPECT_EQ(Read(file), "new");
}

}  // namespace
}  // namespace platform::files
