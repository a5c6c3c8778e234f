// File > Save through the real window: the bytes written, the round trip, and that a save never
// destroys a song.

#include "songfile_fixture.h"

#include <QDir>

#include <algorithm>
#include <fcntl.h>
#include <iostream>

#include <csignal>
#include <filesystem>
#include <map>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "songfile/song_io.h"
#include "support/without_rights.h"

namespace strumwell::testing {
namespace {

class Save : public SongFileTest {
protected:
    // The names in the temporary folder, to see that no half-written file is left behind.
    std::vector<std::string> FolderEntries() const
    {
        std::vector<std::string> names;
        for (const QString& n : QDir(temp.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
            names.push_back(n.toStdString());
        return names;
    }

    // Every entry under the temporary folder with what it is: a file's bytes, a link's target,
    // or its kind; to see that a refused save changed nothing.
    std::map<std::string, std::string> Everything() const
    {
        std::map<std::string, std::string> out;
        AddEverything(std::filesystem::path(temp.path().toStdString()), "", out);
        return out;
    }
    static void AddEverything(const std::filesystem::path& folder, const std::string& prefix,
                              std::map<std::string, std::string>& out)
    {
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            const std::string name = prefix + entry.path().filename().string();
            struct stat st {};
            EXPECT_EQ(::lstat(entry.path().c_str(), &st), 0);
            std::string what = S_ISLNK(st.st_mode)    ? "link to " + std::filesystem::read_symlink(entry.path()).string()
                               : S_ISREG(st.st_mode)  ? "file " + ReadBytes(entry.path().string())
                               : S_ISDIR(st.st_mode)  ? "folder"
                               : S_ISFIFO(st.st_mode) ? "pipe"
                               : S_ISSOCK(st.st_mode) ? "socket"
                                                      : "device";
            out[name] = what + " mode " + std::to_string(st.st_mode & 07777) + " inode " + std::to_string(st.st_ino);
            if (S_ISDIR(st.st_mode)) AddEverything(entry.path(), name + "/", out);
        }
    }

    static ino_t Inode(const std::string& path)
    {
        struct stat st {};
        EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
        return st.st_ino;
    }
};

TEST_F(Save, WritesTheThreePageLayoutByteForByte)
{
    OpenByMenu(Fixture("three_page_v25.swl"));
    w().numberofpagesone_Click();
    const std::string path = TempPath("saved.swl");
    SaveByMenu(path);
    EXPECT_EQ(ReadBytes(path), ReadBytes(Fixture("saved_one_page.swl")));
    ASSERT_EQ(saveDialog.shown.size(), 1u);
    EXPECT_EQ(saveDialog.shown[0].kind, "save");
    EXPECT_EQ(saveDialog.shown[0].filter, "Strumwell (*.swl)|*.swl");
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(Save, TwoPageSongWritesPageThreeEmpty)
{
    OpenByMenu(Fixture("three_page_v25.swl"));
    w().numberofpagestwo_Click();
    const std::string path = TempPath("two.swl");
    SaveByMenu(path);
    EXPECT_EQ(FileTokens(path, 2), FileTokens(Fixture("three_page_v25.swl"), 2));
    EXPECT_EQ(FileTokens(path, 3), EmptyPageTokens());
    EXPECT_EQ(FileLines(ReadBytes(path))[43], ":third page words");
}

// A song made by clicks, saved while page 3 is on show, comes back whole; saving and opening it
// again and again gives the same file, lyrics included.
TEST_F(Save, RoundTripKeepsTheWholeSong)
{
    w().sheet.txtTitle.SetText("Round Trip");
    w().sheet.txtAuthor.SetText("Tester");
    w().sheet.txtLyrics.SetText("one two");
    w().lblA_Click();
    w().imgRest_Click(1);
    w().lblQuaver_Click();
    w().lblEm_Click();
    w().imgRest_Click(9);
    w().imgRest_Click(10);
    w().numberofpagesthree_Click();
    w().lblPage2_Click();
    w().lblCrotchet_Click();
    w().lblG_Click();
    w().imgRest_Click(3);
    w().sheet.txtLyrics.SetText(":page two starts with a colon");
    w().lblPage3_Click();
    w().lblSolos_Click();
    w().lblString_Click(2);
    w().lblNoteName_Click(5);
    w().imgRest_Click(5);
    w().sheet.txtLyrics.SetText("  page three");
    w().lblFaster_Click();
    w().lblFaster_Click();
    w().lblSlower_Click();
    w().lblFaster_Click();

    const std::string first = TempPath("first.swl");
    SaveByMenu(first);
    std::vector<std::vector<std::string>> pages;
    for (int p = 1; p <= 3; ++p) pages.push_back(StoreTokens(p));
    EXPECT_EQ(pages[0][0], "A");
    EXPECT_EQ(pages[1][2], "G");
    EXPECT_EQ(pages[2][4], "E 2nd String");
    const int noteLength = w().NoteLength;
    const int height = w().tempo.lblSpeed.Height(), top = w().tempo.lblSpeed.Top();

    std::string previous = first;
    for (int round = 1; round <= 3; ++round) {
        SCOPED_TRACE(round);
        Start("");
        OpenByMenu(previous);
        EXPECT_EQ(w().sheet.txtTitle.Text(), "Round Trip");
        EXPECT_EQ(w().sheet.txtAuthor.Text(), "Tester");
        EXPECT_EQ(w().sheet.txtLyrics.Text(), "one two");
        EXPECT_EQ(w().stores.txtLyricsPage[2].Text(), ":page two starts with a colon");
        EXPECT_EQ(w().stores.txtLyricsPage[3].Text(), "  page three");
        EXPECT_EQ(VisibleTokens(), pages[0]);
        EXPECT_EQ(StoreTokens(2), pages[1]);
        EXPECT_EQ(StoreTokens(3), pages[2]);
        EXPECT_EQ(w().NoteLength, noteLength);
        EXPECT_EQ(w().tempo.lblSpeed.Height(), height);
        EXPECT_EQ(w().tempo.lblSpeed.Top(), top);
        EXPECT_EQ(w().tabs.lblTotalPages.Caption(), "3");
        const std::string again = TempPath("again" + std::to_string(round) + ".swl");
        SaveByMenu(again);
        EXPECT_EQ(ReadBytes(again), ReadBytes(first));
        previous = again;
    }
}

TEST_F(Save, CancelledDialogWritesNothing)
{
    OpenByMenu(Fixture("three_page_v25.swl"));
    SaveByMenu("");
    EXPECT_TRUE(FolderEntries().empty());
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(Save, FailedSaveIsReportedAndLeavesNothingBehind)
{
    const std::string folder = TempPath("a folder");
    std::filesystem::create_directory(folder);
    struct Case {
        std::string path, reason, outcome;
    };
    const std::vector<Case> cases{
        {TempPath("no such folder/song.swl"), "No such file or directory", "No file was written."},
        {folder, "Is a directory", "The file is as it was before."},
    };
    OpenByMenu(Fixture("three_page_v25.swl"));
    for (const Case& c : cases) {
        messages.texts.clear();
        SaveByMenu(c.path);
        ASSERT_EQ(messages.texts.size(), 1u) << c.path;
        EXPECT_EQ(messages.texts[0], "Could not save the song to \"" + c.path + "\": " + c.reason + ". " + c.outcome);
    }
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"a folder"});
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

// A save that breaks off part-way (here the system's file-size limit stops the write) leaves
// the earlier file whole.
TEST_F(Save, InterruptedSaveKeepsTheEarlierFile)
{
    const std::string path = TempPath("song.swl");
    const std::string earlier = ReadBytes(Fixture("one_page_v23.swl"));
    WriteBytes(path, earlier);
    OpenByMenu(Fixture("three_page_v25.swl"));

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 200;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    SaveByMenu(path);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(ReadBytes(path), earlier);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"song.swl"});
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0],
              "Could not save the song to \"" + path + "\": File too large. The file is as it was before.");
}

// A read-only song is not replaced, although its folder would allow it. The tests run as root,
// who may write any file, so the missing owner's write bit is what makes it read-only here.
TEST_F(Save, ReadOnlyFileIsKeptAndReported)
{
    const std::string path = TempPath("kept.swl");
    const std::string link = TempPath("link.swl");
    WriteBytes(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    std::filesystem::create_symlink(path, link);
    OpenByMenu(Fixture("three_page_v25.swl"));
    for (const std::string& target : {path, link}) {
        messages.texts.clear();
        SaveByMenu(target);
        EXPECT_EQ(messages.texts, std::vector<std::string>{"Could not save the song to \"" + target +
                                                           "\": The file is read-only. The file is as it was before."});
    }
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"kept.swl", "link.swl"}));
}

TEST_F(Save, ReplacedFileKeepsItsPermissions)
{
    const std::string path = TempPath("shared.swl");
    WriteBytes(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    SaveByMenu(path);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(FileLines(ReadBytes(path)).size(), 122u);
}

// Only plain files are written. A pipe, a socket, a device, a link to nothing and a loop of links
// are refused with a message and stay exactly as they were (a pipe is never opened, so nothing
// hangs), and the song's pages are not touched.
TEST_F(Save, AnythingButAPlainFileIsRefused)
{
    namespace fs = std::filesystem;
    ASSERT_EQ(::mkfifo(TempPath("pipe.swl").c_str(), 0644), 0);
    {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_GE(fd, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string socketPath = TempPath("socket.swl");
        ASSERT_LT(socketPath.size(), sizeof address.sun_path);
        socketPath.copy(address.sun_path, socketPath.size());
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
    }
    const bool device = ::mknod(TempPath("null.swl").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    fs::create_symlink("missing/nowhere.swl", TempPath("dangling.swl"));
    fs::create_symlink("loop b.swl", TempPath("loop a.swl"));
    fs::create_symlink("loop a.swl", TempPath("loop b.swl"));
    fs::create_symlink("pipe.swl", TempPath("to pipe.swl"));

    struct Case {
        std::string name, reason, outcome;
    };
    std::vector<Case> cases{
        {"pipe.swl", "It is a named pipe, not a file", "The file is as it was before."},
        {"to pipe.swl", "It is a named pipe, not a file", "The file is as it was before."},
        {"socket.swl", "It is a socket, not a file", "The file is as it was before."},
        {"dangling.swl", "It is a link to \"" + TempPath("missing/nowhere.swl") + "\", which does not exist",
         "No file was written."},
        {"loop a.swl", "Too many levels of symbolic links", "No file was written."},
    };
    if (device) cases.push_back({"null.swl", "It is a device, not a file", "The file is as it was before."});
    else std::cout << "[   NOTE   ] no device node: mknod is not allowed here\n";

    OpenByMenu(Fixture("three_page_v25.swl"));
    w().numberofpagesone_Click();  // a save that went ahead would clear pages 2 and 3
    w().StoreVisiblePage(1);       // what every save does first
    const auto song = SongState();
    const auto files = Everything();
    for (const Case& c : cases) {
        messages.texts.clear();
        SaveByMenu(TempPath(c.name));
        EXPECT_EQ(messages.texts, std::vector<std::string>{"Could not save the song to \"" + TempPath(c.name) +
                                                           "\": " + c.reason + ". " + c.outcome});
    }
    EXPECT_EQ(Everything(), files);
    EXPECT_EQ(Differences(SongState(), song), std::vector<std::string>{});
}

// A song saved through links (a chain of them, relative ones) is written where the last one
// leads: that file is replaced whole in its own folder with its permissions, the links stay
// links, and neither folder keeps anything of the save.
TEST_F(Save, LinkIsFollowedToItsTarget)
{
    namespace fs = std::filesystem;
    fs::create_directory(TempPath("dotfiles"));
    fs::create_directory(TempPath("songs"));
    const std::string real = TempPath("dotfiles/real.swl");
    WriteBytes(real, "old song");
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    fs::create_symlink("../dotfiles/real.swl", TempPath("songs/link.swl"));
    fs::create_symlink("link.swl", TempPath("songs/chain.swl"));
    const ino_t before = Inode(real);

    OpenByMenu(Fixture("three_page_v25.swl"));
    SaveByMenu(TempPath("songs/chain.swl"));
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(ReadBytes(real), ReadBytes(Fixture("three_page_v25.swl")));
    EXPECT_NE(Inode(real), before);  // a new file moved into place, not the old one written over
    auto files = Everything();
    for (auto& [name, what] : files) what = what.rfind("folder", 0) == 0 ? "folder" : what.substr(0, what.find(" inode"));
    const std::map<std::string, std::string> expected{
        {"dotfiles", "folder"},
        {"dotfiles/real.swl", "file " + ReadBytes(Fixture("three_page_v25.swl")) + " mode 416"},  // 0640
        {"songs", "folder"},
        {"songs/chain.swl", "link to link.swl mode 511"},
        {"songs/link.swl", "link to ../dotfiles/real.swl mode 511"},
    };
    EXPECT_EQ(files, expected);
}

// A song the user may write, in a folder where the user may make no file (or, in a shared folder
// with the sticky bit, replace no other user's file), is written over in place without a word.
// Should that write break off, the old song is put back and the message says so. A new file
// where none may be made says why.
TEST_F(Save, WritableSongInAFolderTheUserMayNotWrite)
{
    if (!WithoutRights::Possible()) GTEST_SKIP() << "no user without rights to run as";
    namespace fs = std::filesystem;
    fs::permissions(temp.path().toStdString(), fs::perms(0755));
    struct Case {
        std::string folder;
        mode_t mode;
    };
    std::vector<Case> cases{{TempPath("locked"), 0555}};
    if (::geteuid() == 0) cases.push_back({TempPath("shared"), 01777});  // another user's song there
    // Read while the test is still itself: the checkout may lie where nobody else may read.
    const std::string earlier = ReadBytes(Fixture("one_page_v23.swl"));
    const std::string opened = ReadBytes(Fixture("three_page_v25.swl"));
    OpenByMenu(Fixture("three_page_v25.swl"));

    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        const std::string song = c.folder + "/song.swl";
        fs::create_directory(c.folder);
        WriteBytes(song, earlier);
        ASSERT_EQ(::chmod(song.c_str(), 0666), 0);
        ASSERT_EQ(::chmod(c.folder.c_str(), c.mode), 0);
        const ino_t inode = Inode(song);
        {
            WithoutRights user;
            if (c.mode == 0555) {
                const int probe = ::open((c.folder + "/probe").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
                ASSERT_LT(probe, 0) << "the folder is writable after all";
            }

            // Writing in place breaks off at the file-size limit: the old song comes back.
            messages.texts.clear();
            rlimit saved{};
            ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
            const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
            rlimit small = saved;
            small.rlim_cur = earlier.size() + 100;
            ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
            SaveByMenu(song);
            setrlimit(RLIMIT_FSIZE, &saved);
            std::signal(SIGXFSZ, oldHandler);
            EXPECT_EQ(messages.texts, std::vector<std::string>{"Could not save the song to \"" + song +
                                                               "\": File too large. The file is as it was before."});
            EXPECT_EQ(ReadBytes(song), earlier);

            messages.texts.clear();
            SaveByMenu(song);
            EXPECT_TRUE(messages.texts.empty());
            EXPECT_EQ(ReadBytes(song), opened);

            if (c.mode == 0555) {
                SaveByMenu(c.folder + "/new.swl");
                EXPECT_EQ(messages.texts, std::vector<std::string>{"Could not save the song to \"" + c.folder +
                                                                   "/new.swl\": Permission denied. No file was written."});
            }
        }
        EXPECT_EQ(Inode(song), inode);
        EXPECT_EQ(fs::status(song).permissions(), fs::perms(0666));
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(c.folder)) names.push_back(entry.path().filename().string());
        EXPECT_EQ(names, std::vector<std::string>{"song.swl"});
        ::chmod(c.folder.c_str(), 0755);
    }
}

// A save killed part-way leaves its new version beside the song. The next save of that song
// removes such leftovers and nothing else: not another song's, not one whose program still runs,
// not a link or a name of another shape.
TEST_F(Save, LaterSaveRemovesItsOwnLeftoversOnly)
{
    namespace fs = std::filesystem;
    const std::string song = TempPath("song.swl");
    WriteBytes(song, ReadBytes(Fixture("one_page_v23.swl")));

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        songfile::ReplacingFile file(song);
        if (file.Open() && file.Write("the first half of a song")) ::raise(SIGKILL);
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the save did not get as far as writing";
    const std::vector<std::string> afterKill = FolderEntries();
    ASSERT_EQ(afterKill.size(), 2u);
    const std::string killed = afterKill[0];
    const std::string dead = std::to_string(child);
    EXPECT_EQ(killed.rfind(".song.swl.saving." + dead + ".", 0), 0u) << killed;

    const std::string ownEarlier = ".song.swl.saving." + std::to_string(::getpid()) + ".Ab12Cd";
    const std::vector<std::string> kept{
        ".other.swl.saving." + dead + ".Ab12Cd",  // another song's
        ".song.swl.saving.1.Ab12Cd",             // its program still runs
        ".song.swl.saving." + dead + ".Ab12",    // not the shape a save gives
        ".song.swl.saving." + dead + ".Ab12Cd.bak",
        "song.swl.saving." + dead + ".Ab12Cd",
        ".song.swl.saving." + dead + ".link12",  // a link, made by someone else
        "song.swl~",
    };
    for (const std::string& name : kept)
        if (name.find("link") == std::string::npos) WriteBytes(TempPath(name), "keep me");
    WriteBytes(TempPath("target"), "keep me");
    fs::create_symlink("target", TempPath(".song.swl.saving." + dead + ".link12"));
    WriteBytes(TempPath(ownEarlier), "half");

    OpenByMenu(Fixture("three_page_v25.swl"));
    SaveByMenu(song);
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(ReadBytes(song), ReadBytes(Fixture("three_page_v25.swl")));
    std::vector<std::string> expected = kept;
    expected.push_back("song.swl");
    expected.push_back("target");
    std::sort(expected.begin(), expected.end());
    std::vector<std::string> names = FolderEntries();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, expected);
    for (const std::string& name : kept) EXPECT_EQ(ReadBytes(TempPath(name)), "keep me") << name;
}

// Names too long to stand whole in a save's temporary name: a save of one song leaves the
// leftovers of another whose name starts the same alone, and removes its own.
TEST_F(Save, LeftoversOfLongNamesSharingTheirStart)
{
    const std::string start(240, 'n');
    const std::string one = TempPath(start + " one.swl"), two = TempPath(start + " two.swl");
    for (const std::string& song : {one, two}) WriteBytes(song, ReadBytes(Fixture("one_page_v23.swl")));

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        songfile::ReplacingFile file(two);
        if (file.Open() && file.Write("the first half of a song")) ::raise(SIGKILL);
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the save did not get as far as writing";
    std::vector<std::string> names = FolderEntries();
    ASSERT_EQ(names.size(), 3u);
    const std::string leftover = names[0];
    ASSERT_EQ(leftover.rfind("." + start.substr(0, 200), 0), 0u) << leftover;

    OpenByMenu(Fixture("three_page_v25.swl"));
    SaveByMenu(one);
    EXPECT_TRUE(messages.texts.empty());
    names = FolderEntries();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{leftover, start + " one.swl", start + " two.swl"}));

    SaveByMenu(two);
    EXPECT_TRUE(messages.texts.empty());
    names = FolderEntries();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{start + " one.swl", start + " two.swl"}));
    EXPECT_EQ(ReadBytes(two), ReadBytes(Fixture("three_page_v25.swl")));
}

// The file holds one byte a character. A song with characters beyond that is still written as
// the format has it, each such character a "?", and the user is told which characters they were.
TEST_F(Save, CharactersTheFileCannotHoldAreNamed)
{
    struct Case {
        std::string title, lyricsPage2, line1, message;  // message "" for none
    };
    const std::string path = TempPath("song.swl");
    const std::string saved = "The song is saved to \"" + path + "\", but a song file cannot hold ";
    const std::vector<Case> cases{
        {"\xC5\xBB\xC3\xB3\xC5\x82w \xE6\x97\xA5\xE6\x9C\xAC", "",  // Żółw 日本
         "?\xF3?w ??",
         saved + "these characters, so each was written as a question mark: \"\xC5\xBB\", \"\xC5\x82\", \"\xE6\x97\xA5\", \"\xE6\x9C\xAC\"."},
        {"Caf\xC3\xA9 \xE2\x80\x9C\xE2\x82\xAC\xE2\x80\x9D \xC3\x9F", "\xC5\x93uvre \xE2\x80\x93 na\xC3\xAFve",  // the code page has them all
         "Caf\xE9 \x93\x80\x94 \xDF", ""},
        {"A \xF0\x9F\x8E\xB8 and another \xF0\x9F\x8E\xB8", "zero\xE2\x80\x8Bwidth",  // a guitar twice; a zero-width blank
         "A ? and another ?",
         saved + "these characters, so each was written as a question mark: \"\xF0\x9F\x8E\xB8\", U+200B."},
        {"plain", "\xD0\xA9", "plain", saved + "this character, so it was written as a question mark: \"\xD0\xA9\"."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        Start("");
        w().sheet.txtTitle.SetText(c.title);
        w().numberofpagestwo_Click();
        w().lblPage2_Click();
        w().sheet.txtLyrics.SetText(c.lyricsPage2);
        w().lblPage1_Click();
        messages.texts.clear();
        SaveByMenu(path);
        const std::vector<std::string> lines = FileLines(ReadBytes(path));
        ASSERT_EQ(lines.size(), 122u);
        EXPECT_EQ(lines[0], c.line1);
        EXPECT_EQ(messages.texts, c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message});
    }
    // A save that fails says only that.
    messages.texts.clear();
    SaveByMenu(TempPath("no such folder/song.swl"));
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0].rfind("Could not save the song", 0), 0u);
}

}  // namespace
}  // namespace strumwell::testing
