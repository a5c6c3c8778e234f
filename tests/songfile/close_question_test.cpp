// Closing the real window: a song that differs from what was last opened or saved (or from the
// empty start) is not closed over without asking; Save, Don't Save and Cancel do what they say.

#include "songfile_fixture.h"

#include "platform/kernel/code_page.h"

#include <QLineEdit>
#include <QMainWindow>

#include <functional>
#include <string>
#include <vector>

namespace strumwell::testing {
namespace {

using platform::SaveAnswer;

const std::string kDetail = "\nIf you don't save, your changes will be lost.";
const std::string kUntitled = "Save the changes to this song before closing?" + kDetail;

class CloseQuestion : public SongFileTest {
protected:
    void ConfigureServices(platform::Services& s) override
    {
        SongFileTest::ConfigureServices(s);
        s.saveQuestion = &question;
    }

    // Closes the window as its close button does; true when it closed.
    bool Close() { return w().Window()->close(); }

    void TypeTitle(const QString& text)
    {
        QTest::keyClicks(w().sheet.txtTitle.Widget()->findChild<QLineEdit*>(), text);
    }
    void PlaceChordInFirstCell()
    {
        ClickAt(w().palette.lblG);
        ClickAt(w().sheet.imgRest[1]);
    }

    // Changes a user can make, each of which Save would write.
    struct Change {
        const char* name;
        std::function<void()> make;
    };
    std::vector<Change> Changes()
    {
        return {
            {"title typed", [this] { TypeTitle(QStringLiteral("Blue")); }},
            {"cell placed", [this] { PlaceChordInFirstCell(); }},
            {"page count", [this] { w().menu.numberofpagestwo.Click(); }},
            {"tempo", [this] { ClickAt(w().tempo.lblFaster); }},
            {"lyrics of another page", [this] {
                 w().menu.numberofpagestwo.Click();
                 ClickAt(w().tabs.lblPage2);
                 QTest::keyClicks(w().sheet.txtLyrics.Widget()->findChild<QLineEdit*>(), QStringLiteral("la"));
                 ClickAt(w().tabs.lblPage1);
             }},
        };
    }

    platform::ScriptedSaveQuestion question;
};

TEST_F(CloseQuestion, UntouchedSongClosesWithoutAQuestion)
{
    EXPECT_TRUE(Close());
    EXPECT_TRUE(question.asked.empty());

    // Opened from the menu or the command line and looked through page by page: nothing to ask.
    Start("");
    OpenByMenu(Fixture("three_page_v25.swl"));
    ClickAt(w().tabs.lblPage2);
    ClickAt(w().tabs.lblPage3);
    EXPECT_TRUE(Close());
    Start(Fixture("three_page_v25.swl"));
    ClickAt(w().tabs.lblPage2);
    EXPECT_TRUE(Close());
    EXPECT_TRUE(question.asked.empty());
}

TEST_F(CloseQuestion, EveryChangeIsAskedAboutAndCancelKeepsTheWindow)
{
    for (const Change& change : Changes()) {
        SCOPED_TRACE(change.name);
        Start("");
        question.asked.clear();
        change.make();
        question.answers = {SaveAnswer::Cancel};
        EXPECT_FALSE(Close());
        EXPECT_TRUE(w().Window()->isVisible());
        const std::string expected = std::string(change.name) == "title typed"
                                         ? "Save the changes to the song \"Blue\" before closing?" + kDetail
                                         : kUntitled;
        EXPECT_EQ(question.asked, std::vector<std::string>{expected});

        question.answers = {SaveAnswer::DontSave};
        EXPECT_TRUE(Close());
        EXPECT_FALSE(w().Window()->isVisible());
        EXPECT_TRUE(saveDialog.shown.empty());
    }
}

// What counts is the song, not whether something was done: undoing a change by hand leaves
// nothing to ask about, and a change to an opened song is asked about.
TEST_F(CloseQuestion, TheSongDecidesNotTheHandlers)
{
    TypeTitle(QStringLiteral("x"));
    QTest::keyClick(w().sheet.txtTitle.Widget()->findChild<QLineEdit*>(), Qt::Key_Backspace);
    ClickAt(w().tempo.lblFaster);
    ClickAt(w().tempo.lblSlower);
    EXPECT_TRUE(Close());
    EXPECT_TRUE(question.asked.empty());

    Start("");
    OpenByMenu(Fixture("three_page_v25.swl"));
    ClickAt(w().tabs.lblPage3);
    PlaceChordInFirstCell();
    EXPECT_FALSE(Close());
    EXPECT_EQ(question.asked.size(), 1u);
}

TEST_F(CloseQuestion, AfterSaveTheWindowClosesAtOnce)
{
    PlaceChordInFirstCell();
    SaveByMenu(TempPath("song.swl"));
    EXPECT_TRUE(Close());
    EXPECT_TRUE(question.asked.empty());
    // What Save wrote, read back, is what the comparison takes for the song.
    EXPECT_EQ(platform::FromAnsiCodePage(ReadBytes(TempPath("song.swl"))), w().SongAsSaved());
}

// A character the song file cannot hold is written as "?" (Save says so): on screen it is still
// unsaved work, so the question's Save leaves the window open over it, and a close after any
// later Save still asks. A "?" typed as such is kept.
TEST_F(CloseQuestion, CharactersTheFileCannotHoldStayUnsaved)
{
    struct Case {
        QString title;
        std::string inFile;
        bool kept;
    };
    const std::vector<Case> cases{
        {QStringLiteral("\u0141za"), "?za", false},    // "Łza": no Ł in the code page
        {QStringLiteral("Caf\u00E9 ?"), "Caf\xE9 ?", true},  // "Café ?": all of it there
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.inFile);
        Start("");
        messages.texts.clear();
        question.asked.clear();
        w().sheet.txtTitle.Widget()->findChild<QLineEdit*>()->insert(c.title);  // as a paste does
        const std::string path = TempPath("song.swl");
        question.answers = {SaveAnswer::Save};
        saveDialog.answers = {path};
        EXPECT_EQ(Close(), c.kept);
        EXPECT_EQ(FileLines(ReadBytes(path))[0], c.inFile);
        EXPECT_EQ(messages.texts.size(), c.kept ? 0u : 1u);  // which characters became "?"
        if (c.kept) continue;

        // Saved again from the menu: still "?" in the file, still asked about.
        SaveByMenu(path);
        question.answers = {SaveAnswer::DontSave};
        EXPECT_TRUE(Close());
        EXPECT_EQ(question.asked.size(), 2u);
    }
}

// Save in the question runs File > Save; the window closes only once the song is written.
TEST_F(CloseQuestion, SaveClosesOnlyWhenTheSongWasWritten)
{
    struct Case {
        const char* name;
        std::string path;  // the save dialog's answer; "" = cancelled
        bool closes;
        std::size_t messages;
    };
    const std::vector<Case> cases{
        {"dialog cancelled", "", false, 0},
        {"folder missing", TempPath("no such folder/song.swl"), false, 1},
        {"written", TempPath("saved.swl"), true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Start("");
        messages.texts.clear();
        PlaceChordInFirstCell();
        question.answers = {SaveAnswer::Save};
        saveDialog.answers = {c.path};
        EXPECT_EQ(Close(), c.closes);
        EXPECT_EQ(w().Window()->isVisible(), !c.closes);
        EXPECT_EQ(messages.texts.size(), c.messages);
        if (c.closes) {
            EXPECT_EQ(FileTokens(c.path, 1)[0], "G");
        }
    }
}

// A newer edition's song is read only in part: the work before it still counts as unsaved.
TEST_F(CloseQuestion, ASongReadOnlyInPartLeavesTheWorkBeforeItUnsaved)
{
    PlaceChordInFirstCell();
    OpenByMenu(Fixture("newer_v3.swl"));
    EXPECT_FALSE(Close());
    EXPECT_EQ(question.asked.size(), 1u);
}

}  // namespace
}  // namespace strumwell::testing
