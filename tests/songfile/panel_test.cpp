// The newer-edition panel and the web links.

#include "songfile_fixture.h"

#include "platform/kernel/kernel.h"

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

}  // namespace
}  // namespace strumwell::testing
