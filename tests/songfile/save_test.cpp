// File > Save through the real window: the bytes written, the round trip, and that a save never
// destroys a song.

#include "songfile_fixture.h"

#include <QDir>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>

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

}  // namespace
}  // namespace strumwell::testing
