// Every caption of the main window and of the newer-edition panel shows whole at its design
// geometry, in the fonts the program installs, in every caption it takes.

#include "support/caption_check.h"
#include "support/window_fixture.h"

#include <QMainWindow>

#include <set>

namespace strumwell::testing {
namespace {

class Captions : public WindowTest {
protected:
    std::set<std::string> CheckAll() { return CheckCaptionsFit(w().Window()); }
};

TEST_F(Captions, EveryCaptionFitsItsBox)
{
    const std::set<std::string> seen = CheckAll();
    for (const char* name : {"lblTitle", "lblAuthor", "Label1", "lblSpeed", "lblFaster", "lblSlower",
                             "cmdPlay", "chkPause", "cmdStop", "lblChords", "lblSolos", "lblRest",
                             "Label2", "Label3", "cmdUpdate", "cmdCloseUpdate", "lblPage1"})
        EXPECT_TRUE(seen.count(name)) << name;

    // The captions playback gives: "PLAY PAUSED" is the only sign of the pause.
    w().transport.cmdPlay.Click();
    w().transport.chkPause.Click();
    ASSERT_EQ(w().transport.cmdPlay.Caption(), "PLAY PAUSED");
    CheckAll();
    w().transport.cmdStop.Click();
}

}  // namespace
}  // namespace strumwell::testing
