// The window as the program starts it: design values, start-up steps and the sheet's geometry.

#include "support/window_fixture.h"

#include "sheet/state_colours.h"
#include "sheet/tokens.h"

#include "platform/comdlg/common_dialog.h"
#include "printing/preview_windows.h"

#include <QDir>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <map>

namespace strumwell::testing {
namespace {

namespace c = colours;

class StartState : public WindowTest {};

TEST_F(StartState, EmptyOnePageSheetInCrotchetEntry)
{
    for (int k = 1; k <= 32; ++k) {
        SCOPED_TRACE(k);
        const PictureBox& cell = w().sheet.imgRest[k];
        if (k % 2 == 1) {
            EXPECT_EQ(cell.ToolTipText(), "Rest 1");
            EXPECT_EQ(cell.GetPicture(), w().symbols.pictureCrotchetRest.GetPicture());
            EXPECT_TRUE(cell.Enabled());
        } else {
            EXPECT_EQ(cell.ToolTipText(), "");
            EXPECT_EQ(cell.GetPicture(), w().symbols.pctBlank.GetPicture());
            EXPECT_FALSE(cell.Enabled());
        }
        EXPECT_EQ(w().sheet.imgNoteRhythm[k].GetPicture(), w().symbols.pctEmpty.GetPicture());
        EXPECT_EQ(w().sheet.imgChordName[k].GetPicture(), w().symbols.pctEmpty.GetPicture());
        EXPECT_EQ(w().sheet.lblChordNameCheck[k].Caption(), "");
    }
    EXPECT_FALSE(w().tabs.Picture3.Visible());
    EXPECT_EQ(w().tabs.lblCurrentPage.Caption(), "1");
    EXPECT_EQ(w().tabs.lblTotalPages.Caption(), "1");
    EXPECT_EQ(w().sheet.imgBarline[3].GetPicture(), w().symbols.pctBarlineRepeat.GetPicture());
    EXPECT_EQ(w().sheet.txtTitle.Text(), "");
    EXPECT_EQ(w().sheet.txtAuthor.Text(), "");
    EXPECT_EQ(w().sheet.txtLyrics.Text(), "");
}

TEST_F(StartState, StartUpSelectsRestCrotchetAndStopsTheClock)
{
    Start("");  // look at the loads start-up itself makes
    EXPECT_EQ(w().palette.lblRest.BackColor(), c::kSelected);
    EXPECT_EQ(w().palette.imgClickedChord.ToolTipText(), "Rest 1");
    EXPECT_EQ(w().palette.imgClickedChord.GetPicture(), w().symbols.pictureCrotchetRest.GetPicture());
    EXPECT_EQ(w().noteLength.lblCrotchet.BackColor(), c::kActive);
    EXPECT_EQ(w().noteLength.lblQuaver.BackColor(), c::kIdle);
    EXPECT_EQ(w().palette.lblChords.BackColor(), c::kChoice);
    EXPECT_EQ(w().palette.lblSolos.BackColor(), c::kIdle);
    EXPECT_EQ(w().palette.lbl7th.BackColor(), c::kSeventhOff);
    EXPECT_FALSE(w().Timer1.Enabled());
    EXPECT_EQ(w().NoteLength, 1400);
    EXPECT_EQ(w().PlayPosition, 1);
}

TEST_F(StartState, StartUpLoadsTheRestClip)
{
    window.reset();
    flash = std::make_unique<platform::RecordingFlash>();
    services.flash = flash.get();
    window = std::make_unique<Strumwellfrm>(services, "", kClips);
    EXPECT_TRUE(flash->calls.empty());
    window->Form_Load();
    ASSERT_EQ(flash->calls.size(), 1u);
    EXPECT_EQ(flash->calls[0].first, 0);
    EXPECT_EQ(flash->calls[0].second, kClips + "rest.swf");
}

TEST_F(StartState, NonNumericStartTempoFallsBackTo1400)
{
    window.reset();
    window = std::make_unique<Strumwellfrm>(services, "", kClips);
    for (const auto& [caption, expected] : std::vector<std::pair<std::string, int>>{
             {"2100", 2100}, {" 600 ", 600}, {"1401.5", 1402}, {"1400.5", 1400}, {"abc", 1400},
             {"", 1400}, {"99999", 1400}, {"-300", -300}}) {
        window->playState.lblNoteLengthStart.SetCaption(caption);
        window->Form_Load();
        EXPECT_EQ(window->NoteLength, expected) << '"' << caption << '"';
    }
}

TEST_F(StartState, DesignColoursOfTheSelectors)
{
    for (int n = 2; n <= 6; ++n)
        EXPECT_EQ(w().solo.lblString[static_cast<std::size_t>(n)].BackColor(), forms::kSystemWindowColour);
    EXPECT_EQ(w().solo.lblString[1].BackColor(), c::kChoice);
    EXPECT_EQ(w().tabs.lblPage1.BackColor(), c::kActive);
    EXPECT_FALSE(w().tabs.lblPage1.Enabled());
    EXPECT_EQ(w().tabs.lblPage2.BackColor(), forms::kSystemWindowColour);
    EXPECT_EQ(w().tabs.lblPage3.BackColor(), forms::kSystemWindowColour);
    for (int f = 0; f <= 12; ++f) EXPECT_EQ(w().solo.lblNoteName[f].BackColor(), c::kIdle);
    EXPECT_EQ(w().transport.cmdPlay.BackColor(), c::kIdle);
    EXPECT_FALSE(w().transport.cmdStop.Enabled());
    EXPECT_FALSE(w().transport.chkPause.Enabled());
    EXPECT_FALSE(w().solo.pctSoloButtons1.Visible());
    EXPECT_FALSE(w().solo.pctSoloButtons2.Visible());
}

TEST_F(StartState, CellsLineUpWithTheBarlines)
{
    const auto right = [](const forms::Control& c) { return c.Left() + c.Width(); };
    EXPECT_EQ(right(w().sheet.imgRest[8]), 3015);
    EXPECT_EQ(w().sheet.imgBarline[0].Left(), 3000);
    EXPECT_EQ(right(w().sheet.imgBarline[0]), 3240);
    EXPECT_EQ(w().sheet.imgRest[9].Left(), 3240);
    EXPECT_EQ(w().sheet.imgRest[17].Left(), 5400);
    EXPECT_EQ(w().sheet.imgRest[25].Left(), 7560);
    EXPECT_EQ(w().sheet.imgRest[32].Left(), 9240);
    EXPECT_EQ(w().sheet.imgBarline[3].Left(), 9480);
    for (int k = 1; k <= 32; ++k) {
        EXPECT_EQ(w().sheet.imgChordName[k].Left(), w().sheet.imgRest[k].Left());
        EXPECT_EQ(w().sheet.imgNoteRhythm[k].Left(), w().sheet.imgRest[k].Left());
    }
    // On screen, in pixels: the cells of a bar abut and the barline fills the gap.
    EXPECT_EQ(w().sheet.imgRest[9].Widget()->x(), w().sheet.imgBarline[0].Widget()->x() + 16);
}

TEST_F(StartState, TabClefCannotBeClicked)
{
    int clicks = 0;
    w().sheet.imgRest[0].OnClick([&] { ++clicks; });
    ClickAt(w().sheet.imgRest[0]);
    w().sheet.imgRest[0].Click();
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(w().sheet.imgRest[0].ToolTipText(), "Tab");
}

TEST_F(StartState, MenusInOrder)
{
    std::vector<std::string> seen;
    for (const forms::Menu& m : w().Menus()) {
        std::string line = m.Caption() + ":";
        for (const MenuItem& item : m.Items()) line += " [" + item.Caption() + "]";
        seen.push_back(line);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "File: [Open] [Print] [Save]",
                        "Number of pages: [1 page (4 bars)] [2 pages (8 bars)] [3 pages (12 bars)]",
                        "Options: [Clear Page] [__________] [Visit Website]"}));
    EXPECT_EQ(w().Caption(), "Fretlane Strumwell");
}

TEST_F(StartState, HiddenStateLabelsHoldTheirDesignCaptions)
{
    EXPECT_EQ(w().playState.lblConstant.Caption(), "1");
    EXPECT_EQ(w().playState.lblPauseOn.Caption(), "0");
    EXPECT_EQ(w().playState.lblPauseBar.Caption(), "1");
    EXPECT_EQ(w().playState.lblResetPlay.Caption(), "");
    EXPECT_EQ(w().playState.lblCurrentNoteValue.Caption(), "1");
    EXPECT_EQ(w().playState.lblNoteLengthStart.Caption(), "1400");
    EXPECT_EQ(w().playState.Check1.Caption(), "PLAY");
    for (int i = 0; i <= 96; ++i) EXPECT_EQ(w().songFiles.Text1[i].Text(), "Text1");
    EXPECT_FALSE(w().songFiles.pctUpdate.Visible());
    EXPECT_EQ(w().songFiles.pctUpdate.Height(), 15);
}

// A message box that, like the real one, runs an event loop until the user answers: it handles
// what is waiting, lets the machine's clock run on a little (playback's timer has an interval of
// 1 ms in the design) and notes what the window looked like then.
class PumpingMessageBox final : public platform::MessageBox {
public:
    void Show(const std::string& text) override
    {
        shown.push_back({text, window && window->Window()->isVisible(),
                         window && window->Timer1.Enabled()});
        QTest::qWait(100);
    }
    struct Shown {
        std::string text;
        bool windowOnScreen, timerRunning;
    };
    std::vector<Shown> shown;
    const Strumwellfrm* window = nullptr;
};

class RefusedCommandLineSong : public WindowTest {
protected:
    void ConfigureServices(platform::Services& s) override { s.messageBox = &box; }

    // What a user can see or reach of the window, and the state playback reads, by widget.
    std::map<std::string, std::string> State()
    {
        std::map<std::string, std::string> s;
        std::map<std::string, int> seen;
        for (const QWidget* widget : w().Window()->findChildren<QWidget*>()) {
            const std::string name = widget->objectName().toStdString();
            if (name.empty()) continue;
            const std::string key = name + "#" + std::to_string(seen[name]++);
            s[key] = forms::CaptionOf(widget).caption + "|" + widget->toolTip().toStdString() + "|" +
                     std::to_string(widget->isEnabled()) + std::to_string(widget->isVisibleTo(w().Window()));
        }
        const auto colour = [&](const std::string& name, const forms::Control& c) {
            s[name + " colour"] = std::to_string(c.BackColor());
        };
        const auto& p = w().palette;
        for (const Label* l : {&p.lblA, &p.lblAm, &p.lblE, &p.lblEm, &p.lblD, &p.lblDm, &p.lblC, &p.lblG,
                               &p.lblF, &p.lblBm, &p.lbl7th, &p.lblRest})
            colour(l->Name(), *l);
        colour("lblCrotchet", w().noteLength.lblCrotchet);
        colour("lblQuaver", w().noteLength.lblQuaver);
        colour("cmdPlay", w().transport.cmdPlay);
        colour("chkPause", w().transport.chkPause);
        for (int k = 1; k <= 32; ++k) {
            const std::string at = std::to_string(k);
            s["cell " + at] = std::to_string(w().sheet.imgRest[k].GetPicture().Handle());
            s["rhythm " + at] = std::to_string(w().sheet.imgNoteRhythm[k].GetPicture().Handle());
            s["chord " + at] = std::to_string(w().sheet.imgChordName[k].GetPicture().Handle());
        }
        s["pick"] = std::to_string(p.imgClickedChord.GetPicture().Handle());
        const auto& state = w().playState;
        for (const Label* l : {&state.lblConstant, &state.lblPauseOn, &state.lblPauseBar, &state.lblTimer,
                               &state.lblNoteLengthStart, &state.lblCurrentNoteValue})
            s[l->Name()] = l->Caption();
        s["stop flag"] = std::to_string(w().playState.chkStop.Value());
        s["Check1"] = std::to_string(w().playState.Check1.Value());
        s["timer"] = std::to_string(w().Timer1.Enabled());
        s["NoteLength"] = std::to_string(w().NoteLength);
        s["PlayPosition"] = std::to_string(w().PlayPosition);
        s["loads"] = std::to_string(flash->calls.size());
        return s;
    }

    // Picture handles differ between windows: compare them by which reference picture they are.
    std::map<std::string, std::string> NamedState()
    {
        std::map<std::string, std::string> s = State();
        const auto& l = w().symbols;
        std::map<std::string, std::string> names{{"0", "empty"}};
        const auto name = [&](const PictureBox& reference, const std::string& n) {
            names[std::to_string(reference.GetPicture().Handle())] = n;
        };
        name(l.pctBlank, "blank");
        name(l.pictureCrotchetRest, "crotchet rest");
        name(l.pctCrotchetRestRed, "red crotchet rest");
        name(l.pctQuaverRestRed, "red quaver rest");
        name(l.pctCrotchetRed, "red crotchet");
        for (auto& [key, value] : s)
            if (key.rfind("cell ", 0) == 0 || key.rfind("rhythm ", 0) == 0 || key.rfind("chord ", 0) == 0 ||
                key == "pick")
                value = names.count(value) ? names[value] : "other";
        return s;
    }

    // A start as the program makes it: start-up, the window shown, then the event loop running for
    // a while (the message box, if any, runs in there).
    std::map<std::string, std::string> StartWith(const std::string& commandLine)
    {
        box.shown.clear();
        window.reset();
        flash = std::make_unique<platform::RecordingFlash>();
        services.flash = flash.get();
        ConfigureServices(services);
        window = std::make_unique<Strumwellfrm>(services, commandLine, kClips);
        box.window = window.get();
        window->Form_Load();
        window->Show();
        QTest::qWait(100);
        return NamedState();
    }

    PumpingMessageBox box;
};

// A song on the command line that cannot be read is told once the start-up has ended and the
// window is on screen; the window comes up exactly as a plain start's, whatever the box lets run.
TEST_F(RefusedCommandLineSong, StartsAsAPlainStartWithTheMessageOnTop)
{
    QTemporaryDir temp;
    const std::string damaged = temp.filePath(QStringLiteral("damaged.swl")).toStdString();
    std::ofstream(damaged) << "Title\r\nAuthor\r\n:words\r\ntall\r\n";
    const auto plain = StartWith("");
    EXPECT_TRUE(box.shown.empty());
    for (const std::string& path : {temp.filePath(QStringLiteral("missing.swl")).toStdString(), damaged,
                                    temp.path().toStdString()}) {
        SCOPED_TRACE(path);
        const auto refused = StartWith(path);
        ASSERT_EQ(box.shown.size(), 1u);
        EXPECT_NE(box.shown[0].text.find("\"" + path + "\""), std::string::npos) << box.shown[0].text;
        EXPECT_TRUE(box.shown[0].windowOnScreen);
        EXPECT_FALSE(box.shown[0].timerRunning);
        std::vector<std::string> differences;
        for (const auto& [key, value] : refused)
            if (plain.at(key) != value) differences.push_back(key + ": " + value + " / " + plain.at(key));
        EXPECT_EQ(differences, std::vector<std::string>{});
    }
}

// A window given no service at all runs on the stand-ins: it starts over a song it cannot read,
// takes picks and plays without a sound, opens and saves nothing, prints nothing, and closes over
// unsaved work unasked.
TEST(WithoutServices, TheWindowRunsOnTheStandIns)
{
    QTemporaryDir temp;
    Strumwellfrm w(platform::Services{}, temp.filePath(QStringLiteral("missing.swl")).toStdString(), "C:\\Clips\\");
    w.Form_Load();
    w.Show();
    QCoreApplication::processEvents();
    w.palette.lblA.Click();
    w.sheet.imgRest[1].Click();
    EXPECT_EQ(w.sheet.imgRest[1].ToolTipText(), "A");
    w.transport.cmdPlay.Click();
    w.transport.cmdStop.Click();
    w.menu.Open.Click();
    w.menu.Save.Click();
    EXPECT_TRUE(QDir(temp.path()).isEmpty());
    EXPECT_EQ(w.sheet.imgRest[1].ToolTipText(), "A");
    w.menu.Print.Click();
    PrintPreviewWindow* preview = w.Previews().LoadedOnePage();
    ASSERT_NE(preview, nullptr);
    preview->Command1.Click();
    EXPECT_TRUE(preview->Command1.Visible());
    EXPECT_TRUE(preview->Picture1.GetPicture().IsEmpty());
    int cancel = 0;
    w.Form_QueryUnload(cancel);
    EXPECT_EQ(cancel, 0);
}

}  // namespace
}  // namespace strumwell::testing
