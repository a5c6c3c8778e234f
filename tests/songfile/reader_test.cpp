// Opening songs through the real window: File > Open and the command-line open, every layout.

#include "songfile_fixture.h"

#include <QCursor>
#include <QGuiApplication>
#include <QTimer>

#include <filesystem>

namespace strumwell::testing {
namespace {

using Tokens = std::vector<std::string>;

class SongReader : public SongFileTest {
protected:
    // Opens a song either way: by the menu in the running window, or as the command line of a
    // new start.
    void OpenEither(bool commandLine, const std::string& path)
    {
        kernel.sleeps.clear();
        if (commandLine)
            Start(path);
        else
            OpenByMenu(path);
    }
};

TEST_F(SongReader, ThreePageSongOpensWholeEitherWay)
{
    for (const bool commandLine : {false, true}) {
        SCOPED_TRACE(commandLine ? "command line" : "File > Open");
        Start("");
        w().PlayPosition = 7;
        OpenEither(commandLine, Fixture("three_page_v25.swl"));
        EXPECT_EQ(w().sheet.txtTitle.Text(), "Morning Strum");
        EXPECT_EQ(w().sheet.txtAuthor.Text(), "J. Learner");
        EXPECT_EQ(w().sheet.txtLyrics.Text(), "first page words");
        EXPECT_EQ(w().stores.txtLyricsPage[2].Text(), "second page words");
        EXPECT_EQ(w().stores.txtLyricsPage[3].Text(), "third page words");
        EXPECT_EQ(VisibleTokens(), kFixturePage1);
        EXPECT_EQ(StoreTokens(2), FileTokens(Fixture("three_page_v25.swl"), 2));
        EXPECT_EQ(StoreTokens(3), FileTokens(Fixture("three_page_v25.swl"), 3));
        EXPECT_EQ(w().tabs.lblTotalPages.Caption(), "3");
        EXPECT_EQ(w().tabs.lblCurrentPage.Caption(), "1");
        EXPECT_TRUE(w().tabs.Picture3.Visible());
        EXPECT_EQ(w().NoteLength, 1200);
        EXPECT_EQ(w().tempo.lblSpeed.Height(), 2255);
        EXPECT_EQ(w().tempo.lblSpeed.Top(), 1960);
        EXPECT_EQ(w().playState.lblNoteLengthStart.Caption(), "1200 ");
        EXPECT_EQ(w().songFiles.txtFileVersionNumber.Text(), "version 2.5");
        if (!commandLine) {
            EXPECT_EQ(w().PlayPosition, 7);  // an open leaves playback alone
        }
        EXPECT_TRUE(messages.texts.empty());
    }
}

// A page count written with blanks or leading zeros counts as its number: page 3 is drawn, and
// the next Save keeps it.
TEST_F(SongReader, PageCountWithBlanksOrLeadingZeros)
{
    std::vector<std::string> lines = FileLines(ReadBytes(Fixture("three_page_v25.swl")));
    for (const char* count : {"3 ", "03", "003  ", "  3"}) {
        lines[6] = count;
        const std::string path = SongWith(JoinLines(lines));
        for (const bool commandLine : {false, true}) {
            SCOPED_TRACE(std::string("\"") + count + (commandLine ? "\" on the command line" : "\" by File > Open"));
            Start("");
            OpenEither(commandLine, path);
            EXPECT_TRUE(messages.texts.empty());
            EXPECT_EQ(w().tabs.lblTotalPages.Caption(), "3");
            EXPECT_EQ(StoreTokens(3), FileTokens(path, 3));
            const std::string saved = TempPath("saved.swl");
            SaveByMenu(saved);
            EXPECT_EQ(FileTokens(saved, 3), FileTokens(path, 3));
            EXPECT_EQ(FileLines(ReadBytes(saved))[6], "3");
        }
    }
    // A one-page file's count by File > Open likewise.
    lines = FileLines(ReadBytes(Fixture("one_page_v23.swl")));
    lines[6] = "01 ";
    OpenByMenu(SongWith(JoinLines(lines)));
    EXPECT_EQ(w().tabs.lblTotalPages.Caption(), "1");
}

// A token megabytes long stays whole in the song; only its tooltip, as shown, is cut. A title
// longer than a line edit's own limit stays whole too.
TEST_F(SongReader, HugeValuesStayWholeButATooltipIsCut)
{
    std::vector<std::string> lines = FileLines(ReadBytes(Fixture("three_page_v25.swl")));
    lines[10] = std::string(3u << 20, 'G');
    lines[0] = std::string(40000, 'T');
    OpenByMenu(SongWith(JoinLines(lines)));
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(w().sheet.txtTitle.Text(), lines[0]);
    EXPECT_EQ(w().sheet.imgRest[1].ToolTipText(), lines[10]);
    const QString shown = w().sheet.imgRest[1].Widget()->toolTip();
    EXPECT_LE(shown.size(), 501);
    EXPECT_TRUE(shown.startsWith(QString(100, QLatin1Char('G'))));
    EXPECT_TRUE(shown.endsWith(QChar(0x2026)));
    const std::string saved = TempPath("saved.swl");
    SaveByMenu(saved);
    EXPECT_EQ(FileLines(ReadBytes(saved))[10], lines[10]);
    EXPECT_EQ(FileLines(ReadBytes(saved))[0], lines[0]);
    // A short token is shown as it is.
    EXPECT_EQ(w().sheet.imgRest[2].Widget()->toolTip().toStdString(), lines[11]);
}

TEST_F(SongReader, Version24ReadsExactlyAsVersion25)
{
    for (const bool commandLine : {false, true}) {
        SCOPED_TRACE(commandLine ? "command line" : "File > Open");
        OpenEither(commandLine, Fixture("three_page_v25.swl"));
        const auto expected = SongState();
        OpenEither(commandLine, Fixture("three_page_v24.swl"));
        EXPECT_EQ(Differences(SongState(), expected), std::vector<std::string>{});
    }
}

// Pages the file does not fill come out empty, whatever song or design text was there before.
TEST_F(SongReader, OnePageSongsLeaveNothingOfTheEarlierSong)
{
    for (const char* name : {"one_page_v23.swl", "first_edition.swl"}) {
        SCOPED_TRACE(name);
        OpenByMenu(Fixture("three_page_v25.swl"));
        OpenByMenu(Fixture(name));
        w().numberofpagesthree_Click();
        w().lblPage2_Click();
        EXPECT_EQ(VisibleTokens(), EmptyPageTokens());
        EXPECT_EQ(w().sheet.txtLyrics.Text(), "");
        w().lblPage3_Click();
        EXPECT_EQ(VisibleTokens(), EmptyPageTokens());
        EXPECT_EQ(w().sheet.txtLyrics.Text(), "");
        for (int e = 33; e <= 96; ++e) EXPECT_NE(w().songFiles.Text1[e].Text(), "Text1");
    }
    Start("");  // the design text "Text1" after start-up
    OpenByMenu(Fixture("one_page_v23.swl"));
    EXPECT_EQ(StoreTokens(2), EmptyPageTokens());
}

TEST_F(SongReader, OnePageLayout)
{
    OpenByMenu(Fixture("one_page_v23.swl"));
    EXPECT_EQ(w().sheet.txtTitle.Text(), "Evening Song");
    EXPECT_EQ(w().sheet.txtLyrics.Text(), "only page words");
    EXPECT_EQ(VisibleTokens(), FileTokens(Fixture("three_page_v25.swl"), 2));  // the same cells
    EXPECT_EQ(w().tabs.lblTotalPages.Caption(), "1");
    EXPECT_FALSE(w().tabs.Picture3.Visible());
    EXPECT_EQ(w().NoteLength, 1600);
    EXPECT_EQ(w().tempo.lblSpeed.Height(), 1855);
    EXPECT_EQ(w().songFiles.txtFileVersionNumber.Text(), "version 2.3");
}

TEST_F(SongReader, FirstEditionPutsBeatsOnTheOnBeatCells)
{
    OpenByMenu(Fixture("first_edition.swl"));
    const Tokens beats{"A", "Rest 1", "C", "C", "G", "Rest 1", "Dm", "Em",
                       "E", "Rest 1", "Am", "D", "G", "G", "Rest 1", "C"};
    for (int b = 1; b <= 16; ++b) {
        EXPECT_EQ(w().sheet.imgRest[2 * b - 1].ToolTipText(), beats[static_cast<std::size_t>(b - 1)]) << b;
        EXPECT_EQ(w().sheet.imgRest[2 * b].ToolTipText(), "") << b;
    }
    EXPECT_EQ(w().sheet.txtLyrics.Text(), "old words");
    EXPECT_EQ(w().NoteLength, 1400);
    EXPECT_EQ(w().tempo.lblSpeed.Height(), 2055);
    EXPECT_EQ(w().tempo.lblSpeed.Top(), 2160);
    EXPECT_EQ(w().tabs.lblTotalPages.Caption(), "1");
    EXPECT_EQ(w().songFiles.txtFileVersionNumber.Text(), "version 2");
}

// A first edition is drawn as one page whatever its line 7 holds: the file opens either way and
// the page count is 1.
TEST_F(SongReader, FirstEditionOpensWhateverItsLineSeven)
{
    std::vector<std::string> lines = FileLines(ReadBytes(Fixture("first_edition.swl")));
    for (const char* count : {"9", "0", "three"}) {
        lines[6] = count;
        const std::string path = SongWith(JoinLines(lines));
        for (const bool commandLine : {false, true}) {
            SCOPED_TRACE(std::string("\"") + count + (commandLine ? "\" on the command line" : "\" by File > Open"));
            Start("");
            OpenEither(commandLine, path);
            EXPECT_TRUE(messages.texts.empty());
            EXPECT_EQ(w().sheet.txtTitle.Text(), "Old Tune");
            EXPECT_EQ(w().sheet.imgRest[1].ToolTipText(), "A");
            EXPECT_EQ(w().tabs.lblTotalPages.Caption(), "1");
            EXPECT_EQ(w().songFiles.txtFileVersionNumber.Text(), "version 2");
        }
    }
}

// Speed-bar values at the ends of what the reader takes (the largest single-precision numbers
// within int), from a file into the window either way, then the tempo buttons: the bar moves as
// far as int lets its height and top go, and then stays.
TEST_F(SongReader, SpeedBarAtTheEndsOfIntFromAFileThenTheTempoButtons)
{
    struct Case {
        std::string height, top;
        bool faster;
        int presses;
        int noteLength, heightAfter, topAfter;
    };
    const std::vector<Case> cases{
        {"2147483520", "-2147483520", true, 3, 1100, 2147483647, -2147483647},
        {"2055", "-2147483520", true, 2, 1200, 2183, -2147483647 - 1},
        {"2147483520", "2147483520", false, 3, 1700, 2147483393, 2147483647},
        {"-2147483520", "2147483520", false, 2, 1600, -2147483520, 2147483520},
        {"2.1474835e9", "-2.1474835e9", true, 3, 1100, 2147483647, -2147483647},
    };
    std::vector<std::string> lines = FileLines(ReadBytes(Fixture("three_page_v25.swl")));
    lines[5] = "1400";
    for (const Case& c : cases) {
        lines[3] = c.height;
        lines[4] = c.top;
        const std::string path = SongWith(JoinLines(lines));
        for (const bool commandLine : {false, true}) {
            SCOPED_TRACE(c.height + "/" + c.top + (commandLine ? " on the command line" : " by File > Open"));
            Start("");
            OpenEither(commandLine, path);
            ASSERT_TRUE(messages.texts.empty()) << messages.texts.front();
            EXPECT_EQ(w().NoteLength, 1400);
            for (int i = 0; i < c.presses; ++i) ClickAt(c.faster ? w().tempo.lblFaster : w().tempo.lblSlower);
            EXPECT_EQ(w().NoteLength, c.noteLength);
            EXPECT_EQ(w().tempo.lblSpeed.Height(), c.heightAfter);
            EXPECT_EQ(w().tempo.lblSpeed.Top(), c.topAfter);
        }
    }
}

// A newer edition's file draws nothing; what each entry point writes before it sees that differs.
TEST_F(SongReader, NewerEditionTags)
{
    struct Case {
        std::string file;
        bool commandLine;
        std::string title, pages, tagBox, speed, startTempo;
        int noteLength;
    };
    const std::vector<Case> cases{
        {"newer_v3.swl", false, "From Tomorrow", "2", "version 3", "2055/2160", "1400", 1400},
        {"newer_v3.swl", true, "From Tomorrow", "1", "", "2155/2060", "1300 ", 1300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file + (c.commandLine ? " on the command line" : " by File > Open"));
        Start("");
        const Tokens before = VisibleTokens();
        OpenEither(c.commandLine, Fixture(c.file));
        EXPECT_EQ(VisibleTokens(), before);  // nothing drawn
        EXPECT_TRUE(w().songFiles.pctUpdate.Visible());
        EXPECT_EQ(w().sheet.txtTitle.Text(), c.title);
        EXPECT_EQ(w().tabs.lblTotalPages.Caption(), c.pages);
        EXPECT_EQ(w().songFiles.txtFileVersionNumber.Text(), c.tagBox);
        EXPECT_EQ(std::to_string(w().tempo.lblSpeed.Height()) + "/" + std::to_string(w().tempo.lblSpeed.Top()), c.speed);
        EXPECT_EQ(w().playState.lblNoteLengthStart.Caption(), c.startTempo);
        EXPECT_EQ(w().NoteLength, c.noteLength);
        EXPECT_EQ(w().songFiles.Text1[1].Text(), c.commandLine ? FileLines(ReadBytes(Fixture(c.file)))[10] : "Text1");
        EXPECT_TRUE(messages.texts.empty());
    }
}

// The two entry points side by side: page count, tag box, tempo and the pauses.
TEST_F(SongReader, EntryPointsDiffer)
{
    struct Case {
        std::string file;
        bool commandLine;
        std::string pages, tagBox;
        int noteLength;
        std::vector<unsigned> sleeps;
    };
    const std::vector<Case> cases{
        {"three_page_v25.swl", false, "3", "version 2.5", 1200, {1000, 2000, 2000}},
        {"three_page_v25.swl", true, "3", "version 2.5", 1200, {1000, 1000, 1000, 2000}},
        {"one_page_v23.swl", false, "1", "version 2.3", 1600, {1000, 2000}},
        {"one_page_v23.swl", true, "1", "", 1600, {1000, 1000, 1000, 1000}},  // read twice
        {"first_edition.swl", false, "1", "version 2", 1400, {1000, 2000}},
        {"first_edition.swl", true, "1", "version 2", 1400, {1000, 2000}},
        {"newer_v3.swl", false, "2", "version 3", 1400, {}},
        {"newer_v3.swl", true, "1", "", 1300, {1000}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file + (c.commandLine ? " on the command line" : " by File > Open"));
        Start("");
        OpenEither(c.commandLine, Fixture(c.file));
        EXPECT_EQ(w().tabs.lblTotalPages.Caption(), c.pages);
        EXPECT_EQ(w().songFiles.txtFileVersionNumber.Text(), c.tagBox);
        EXPECT_EQ(w().NoteLength, c.noteLength);
        EXPECT_EQ(kernel.sleeps, c.sleeps);
    }
}

// What the window holds at each pause: the buffer fills around the pauses, and the sheet is
// drawn only between the last two.
TEST_F(SongReader, PausesComeAroundTheBufferAndTheRender)
{
    struct Moment {
        unsigned ms;
        std::string page1, page3, cell1;  // Text1(1), Text1(65), imgRest(1) token
    };
    std::vector<Moment> seen;
    kernel.onSleep = [&](unsigned ms) {
        seen.push_back({ms, w().songFiles.Text1[1].Text(), w().songFiles.Text1[65].Text(),
                        w().sheet.imgRest[1].ToolTipText()});
    };
    OpenByMenu(Fixture("three_page_v25.swl"));
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].page1, "A");
    EXPECT_EQ(seen[0].page3, "Text1");  // page 3 comes after the first pause
    EXPECT_EQ(seen[1].page3, "D7");
    EXPECT_EQ(seen[1].cell1, "Rest 1");  // not drawn yet
    EXPECT_EQ(seen[2].cell1, "A");

    seen.clear();
    Start(Fixture("three_page_v25.swl"));
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].page1, "Text1");  // page 1 after the first pause
    EXPECT_EQ(seen[1].page1, "A");
    EXPECT_EQ(seen[1].page3, "Text1");
    EXPECT_EQ(seen[2].page3, "D7");
    EXPECT_EQ(seen[2].cell1, "Rest 1");
    EXPECT_EQ(seen[3].cell1, "A");
}

// The window does not look hung while a read pauses: it is painted as it stands before each pause,
// under the busy cursor from the dialog's close to the end of the read, and nothing else runs
// meanwhile (no input, no timer tick, nothing queued).
TEST_F(SongReader, PausesRepaintTheWindowUnderTheBusyCursorAndRunNothingElse)
{
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Paint) ++paints;
            return false;
        }
    } cell;
    w().sheet.imgRest[1].Widget()->installEventFilter(&cell);
    bool queuedRan = false;
    struct Pause {
        int paints;
        bool busy, queuedRan;
        std::string cell1;
    };
    std::vector<Pause> pauses;
    kernel.onSleep = [&](unsigned) {
        const QCursor* cursor = QGuiApplication::overrideCursor();
        pauses.push_back({cell.paints, cursor && cursor->shape() == Qt::WaitCursor, queuedRan,
                          w().sheet.imgRest[1].ToolTipText()});
        cell.paints = 0;
    };
    QTimer::singleShot(0, [&] { queuedRan = true; });
    OpenByMenu(Fixture("three_page_v25.swl"));
    ASSERT_EQ(pauses.size(), 3u);
    for (const Pause& p : pauses) {
        EXPECT_GE(p.paints, 1);
        EXPECT_TRUE(p.busy);
        EXPECT_FALSE(p.queuedRan);
    }
    EXPECT_EQ(pauses[2].cell1, "A");  // the last pause comes after the song is drawn, and shows it
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    QCoreApplication::processEvents();
    EXPECT_TRUE(queuedRan);
}

TEST_F(SongReader, CommandLinePathIsTakenWhole)
{
    const std::filesystem::path folder = TempPath("my songs");
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "morning strum.swl").string();
    std::filesystem::copy_file(Fixture("three_page_v25.swl"), path);
    Start(path);
    EXPECT_EQ(w().sheet.txtTitle.Text(), "Morning Strum");

    Start("\"" + path + "\"");  // quotes stay part of the path
    EXPECT_EQ(w().sheet.txtTitle.Text(), "");
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_NE(messages.texts[0].find("\"\"" + path + "\"\""), std::string::npos) << messages.texts[0];
    EXPECT_EQ(w().NoteLength, 1400);  // the start goes on
}

TEST_F(SongReader, CancelledOpenChangesNothingAndSaysNothing)
{
    OpenByMenu(Fixture("three_page_v25.swl"));
    const auto before = SongState();
    openDialog.answers.push_back("");
    w().Open_Click();
    EXPECT_EQ(Differences(SongState(), before), std::vector<std::string>{});
    EXPECT_TRUE(messages.texts.empty());
    ASSERT_EQ(openDialog.shown.size(), 2u);
    EXPECT_EQ(openDialog.shown[1].filter, "Strumwell (*.swl)|*.swl");
    EXPECT_EQ(openDialog.shown[1].kind, "open");
}

// Where the command-line open does not set NoteLength, the tempo line may hold any text: it
// goes into the start caption as it stands, and start-up then keeps its own tempo.
TEST_F(SongReader, CommandLineTakesAnyTempoTextWhereItDoesNotSetTheTempo)
{
    for (const char* name : {"one_page_v23.swl", "newer_v3.swl"}) {
        SCOPED_TRACE(name);
        std::vector<std::string> lines = FileLines(ReadBytes(Fixture(name)));
        lines[5] = "fast";
        messages.texts.clear();
        Start(SongWith(JoinLines(lines)));
        EXPECT_TRUE(messages.texts.empty());
        EXPECT_EQ(w().sheet.txtTitle.Text(), lines[0]);
        EXPECT_EQ(w().playState.lblNoteLengthStart.Caption(), "fast");
        EXPECT_EQ(w().NoteLength, 1400);
    }
}

// A tempo outside the tempo buttons' range comes in as the file gives it.
TEST_F(SongReader, TempoIsTakenWithoutRangeTest)
{
    std::vector<std::string> lines = FileLines(ReadBytes(Fixture("three_page_v25.swl")));
    for (const auto& [text, value] : std::vector<std::pair<std::string, int>>{
             {" 50 ", 50}, {" 5000 ", 5000}, {"-300 ", -300}, {" 0 ", 0}, {"1400.5", 1400}}) {
        lines[5] = text;
        OpenByMenu(SongWith(JoinLines(lines)));
        EXPECT_EQ(w().NoteLength, value) << text;
    }
}

TEST_F(SongReader, LyricsLoseExactlyOneColon)
{
    std::vector<std::string> lines = FileLines(ReadBytes(Fixture("three_page_v25.swl")));
    lines[2] = "::two colons";
    lines[42] = "no colon";
    lines[43] = ":  blanks after the colon";
    OpenByMenu(SongWith(JoinLines(lines)));
    EXPECT_EQ(w().sheet.txtLyrics.Text(), ":two colons");
    EXPECT_EQ(w().stores.txtLyricsPage[2].Text(), "no colon");
    EXPECT_EQ(w().stores.txtLyricsPage[3].Text(), "  blanks after the colon");
}

}  // namespace
}  // namespace strumwell::testing
