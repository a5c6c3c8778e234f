// The newer-edition panel and the web links.

#include "songfile_fixture.h"

#include "platform/kernel/kernel.h"

#include <QLineEdit>
#include <QMainWindow>

namespace strumwell::testing {
namespace {

class NewerEditionPanel : public SongFileTest {
protected:
    std::string PanelState()
    {
        const auto& panel = w().songFiles.pctUpdate;
        return std::string(panel.Visible() ? "shown " : "hidden ") + std::to_string(panel.Height());
    }
    platform::RecordingShell::Call ShellCall(const std::string& address)
    {
        return {reinterpret_cast<platform::HWND>(w().Window()), "Open", address, "",
                platform::RunningProgram().Path, 1};
    }
};

TEST_F(NewerEditionPanel, StatesThroughReadsAndButtons)
{
    const std::vector<std::pair<std::function<void()>, std::string>> steps{
        {[] {}, "hidden 15"},
        {[&] { OpenByMenu(Fixture("newer_v3.swl")); }, "shown 1500"},
        {[&] { OpenByMenu(Fixture("three_page_v25.swl")); }, "shown 1500"},
        {[&] { ClickAt(w().songFiles.cmdUpdate); }, "shown 1500"},
        {[&] { ClickAt(w().songFiles.cmdCloseUpdate); }, "hidden 1500"},
        {[&] { OpenByMenu(Fixture("one_page_v23.swl")); }, "hidden 1500"},
        {[&] { SaveByMenu(TempPath("x.swl")); }, "hidden 1500"},
        {[&] { OpenByMenu(Fixture("newer_v3.swl")); }, "shown 1500"},
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        steps[i].first();
        EXPECT_EQ(PanelState(), steps[i].second) << "step " << i;
    }
    // The ordinary song opened while the panel was shown was drawn.
    OpenByMenu(Fixture("three_page_v25.swl"));
    EXPECT_EQ(VisibleTokens(), kFixturePage1);
    EXPECT_EQ(PanelState(), "shown 1500");
}

TEST_F(NewerEditionPanel, PanelTextsAndButtons)
{
    const auto& f = w().songFiles;
    EXPECT_EQ(f.Label2.Caption(), "This file was made with a newer version of the Strumwell.");
    EXPECT_EQ(f.Label3.Caption(), "Would you like to download the newer version now?");
    EXPECT_EQ(f.cmdUpdate.Caption(), "Yes, download now.");
    EXPECT_EQ(f.cmdCloseUpdate.Caption(), "No, thankyou.");
}

TEST_F(NewerEditionPanel, DownloadAndWebsiteGoToTheShell)
{
    OpenByMenu(Fixture("newer_v3.swl"));
    ClickAt(w().songFiles.cmdUpdate);
    ClickAt(w().songFiles.cmdUpdate);
    w().menu.WebLink.Click();
    ClickAt(w().songFiles.cmdCloseUpdate);
    w().menu.WebLink.Click();  // the same with the panel hidden
    const auto download = ShellCall("http://www.fretlane.example/StrumwellFretlane.exe");
    const auto home = ShellCall("http://www.fretlane.example/");
    EXPECT_EQ(shell.calls, (std::vector<platform::RecordingShell::Call>{download, download, home, home}));
    EXPECT_EQ(w().menu.WebLink.Caption(), "Visit Website");
}

// A focus move the user did not ask for selects no text: when the button that has the focus goes
// away (the panel closes, STOP disables itself), the focus goes back where it was, with the text
// box's cursor where it stood, or to no text box.
TEST_F(NewerEditionPanel, FocusThatMovesByItselfSelectsNoText)
{
    const auto edit = [](const TextBox& box) { return box.Widget()->findChild<QLineEdit*>(); };
    const auto typeKey = [] {
        QWidget* target = QApplication::focusWidget();
        QTest::keyClick(target ? target : QApplication::activeWindow(), Qt::Key_X);
    };
    struct Case {
        const char* name;
        bool typingInAuthor;
        std::function<void()> leave;
    };
    const std::vector<Case> cases{
        {"No, thankyou.", false, [&] { ClickAt(w().songFiles.cmdCloseUpdate); }},
        {"No, thankyou. while typing the author", true, [&] { ClickAt(w().songFiles.cmdCloseUpdate); }},
        {"STOP", false, [&] {
             ClickAt(w().transport.cmdPlay);
             ClickAt(w().transport.cmdStop);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Start("");
        w().Window()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w().Window()));
        w().sheet.txtTitle.SetText("Title");
        w().sheet.txtAuthor.SetText("Author");
        if (c.typingInAuthor) {
            edit(w().sheet.txtAuthor)->setFocus(Qt::MouseFocusReason);
            edit(w().sheet.txtAuthor)->setCursorPosition(2);
        }
        OpenByMenu(Fixture("newer_v3.swl"));
        w().sheet.txtTitle.SetText("Title");
        w().sheet.txtAuthor.SetText("Author");
        edit(w().sheet.txtAuthor)->setCursorPosition(2);
        c.leave();
        for (const TextBox* box : {&w().sheet.txtTitle, &w().sheet.txtAuthor, &w().sheet.txtLyrics})
            EXPECT_FALSE(edit(*box)->hasSelectedText()) << box->Name();
        typeKey();
        EXPECT_EQ(w().sheet.txtTitle.Text(), "Title");
        EXPECT_EQ(w().sheet.txtAuthor.Text(), c.typingInAuthor ? "Auxthor" : "Author");
        EXPECT_EQ(w().sheet.txtLyrics.Text(), "newer words");
    }
}

}  // namespace
}  // namespace strumwell::testing
