// The playback step: what a cell loads by its kind and beat position, the guards, the wrap and the
// page cycle.

#include "playback_fixture.h"

#include "playback/step_clock.h"
#include "sheet/state_colours.h"

namespace strumwell::testing {
namespace {

namespace c = colours;

class Step : public PlaybackTest {
protected:
    // Runs one step for cell k, as a tick does after advancing the position.
    void StepAt(int k)
    {
        w().playState.lblConstant.SetCaption(std::to_string(k));
        flash->calls.clear();
        FlipTrigger();
    }
};

struct LoadCase {
    int cell;
    const char* token;
    std::vector<std::string> loads;
};

TEST_F(Step, ACellLoadsByItsKindAndItsPlaceInTheBeat)
{
    const LoadCase cases[] = {
        {3, "G", {"rest.swf", "rest.swf", "G.swf"}},
        {31, "F# 1st String", {"rest.swf", "rest.swf", "1stStringF#.swf"}},
        {4, "Am7", {"rest.swf", "Am7.swf"}},
        {32, "Top G 3rd String", {"rest.swf", "3rdStringTopG.swf"}},
        {1, "Rest 1", {"rest.swf", "rest.swf"}},
        {5, "Rest 1/2", {"rest.swf", "rest.swf"}},
        {7, "Tab", {"rest.swf", "rest.swf"}},
        {6, "Rest 1/2", {"rest.swf"}},
        {8, "Tab", {"rest.swf"}},
        {9, "Text1", {"rest.swf"}},  // no row: only the beat-start rest
        {11, "", {"rest.swf"}},
        {10, "", {}},  // the blank half of a crotchet: the beat's sound goes on
        {12, "Text1", {}},
    };
    for (const LoadCase& lc : cases) {
        SCOPED_TRACE(std::to_string(lc.cell) + " [" + lc.token + "]");
        Put(lc.cell, lc.token);
        StepAt(lc.cell);
        std::vector<std::string> expected;
        for (const auto& clip : lc.loads) expected.push_back(Clip(clip));
        EXPECT_EQ(Loads(), expected);
        EXPECT_EQ(w().PlayPosition, lc.cell);
    }
}

TEST_F(Step, AStepMarksLocksThePaletteAndArmsTheClockForHalfABeat)
{
    Put(5, "C", &w().symbols.pctCrotchetBlue);
    StepAt(5);
    EXPECT_TRUE(Shows(Rhythm(5), w().symbols.pctCrotchetRed));
    EXPECT_TRUE(Shows(w().palette.imgClickedChord, w().ChordPicture("C")));
    for (const Label* label : {&w().palette.lblA, &w().palette.lblBm, &w().palette.lblRest, &w().palette.lbl7th})
        EXPECT_FALSE(label->Enabled()) << label->Name();
    EXPECT_TRUE(w().Timer1.Enabled());
    EXPECT_EQ(w().Timer1.Interval(), 700);
    EXPECT_EQ(w().Timer1.Tag(), playback::DeadlineText(clock.WallNow() + seconds(5)));
}

TEST_F(Step, WhileStoppedOrPausedAStepChangesNothing)
{
    for (const bool stopped : {true, false}) {
        SCOPED_TRACE(stopped ? "stopped" : "paused");
        Start("");
        Put(5, "C", &w().symbols.pctCrotchetBlue);
        if (stopped)
            w().playState.chkStop.SetValue(1);
        else
            w().playState.lblPauseOn.SetCaption("1");
        StepAt(5);
        EXPECT_TRUE(Loads().empty());
        EXPECT_TRUE(Shows(Rhythm(5), w().symbols.pctCrotchetBlue));
        EXPECT_TRUE(w().palette.lblA.Enabled());
        EXPECT_EQ(w().PlayPosition, 1);
        EXPECT_FALSE(w().Timer1.Enabled());
        EXPECT_EQ(w().Timer1.Tag(), "");
    }
}

TEST_F(Step, TheStepThatReads33PlaysCellOneAfterClearingTheMarks)
{
    FillSounding(w().VisibleRows());
    for (int k = 1; k <= 32; ++k) w().MarkCellPlayed(k);
    w().tabs.lblTotalPages.SetCaption("1");
    StepAt(33);
    EXPECT_EQ(Position(), "1");
    EXPECT_EQ(w().PlayPosition, 1);
    EXPECT_EQ(Loads(), (std::vector<std::string>{Clip("rest.swf"), Clip("rest.swf"), Clip("A.swf")}));
    EXPECT_TRUE(Shows(Rhythm(1), w().symbols.pctQuaver1Red));
    for (int k = 2; k <= 32; ++k)
        EXPECT_FALSE(Shows(Rhythm(k), w().symbols.pctQuaver1Red) || Shows(Rhythm(k), w().symbols.pctQuaver2red)) << k;
    EXPECT_EQ(w().tabs.lblCurrentPage.Caption(), "1");
    EXPECT_EQ(w().playState.lblResetPlay.Caption(), "");
}

// ---- the page cycle ----

struct CycleCase {
    const char* pages;
    const char* current;
    const char* resetBefore;
    int shown;  // page shown afterwards, 0: no turn
    const char* resetAfter;
    // Tab states afterwards, [1..3]: 'Y' yellow and disabled, 'W' white and enabled, '-' untouched.
    const char* tabs;
};

class Cycle : public Step {
protected:
    static constexpr forms::Colour kUntouched = 0x00123456;
    // A different chord in cell 5 of each page, and its lyrics.
    void MarkPages()
    {
        Put(5, "C");
        w().sheet.txtLyrics.SetText("on show");
        for (int p = 1; p <= 3; ++p) {
            PutIn(w().StoreRows(p), 5, std::string(kChordTokens[static_cast<std::size_t>(p)]));
            w().stores.txtLyricsPage[static_cast<std::size_t>(p)].SetText("store " + std::to_string(p));
        }
        for (Label* tab : {&w().tabs.lblPage1, &w().tabs.lblPage2, &w().tabs.lblPage3}) {
            tab->SetBackColor(kUntouched);
            tab->SetEnabled(false);
        }
    }
    Label& TabLabel(int p) { return p == 1 ? w().tabs.lblPage1 : p == 2 ? w().tabs.lblPage2 : w().tabs.lblPage3; }
};

TEST_F(Cycle, TheTableOfPageTurns)
{
    const CycleCase cases[] = {
        {"1", "1", "", 0, "", "---"},
        {"2", "1", "", 2, "reset", "WY-"},
        {"2", "2", "", 1, "", "YW-"},
        {"3", "1", "", 2, "reset", "WY-"},
        {"3", "2", "", 3, "reset", "WWY"},
        {"3", "3", "", 1, "", "YWW"},
        {"2", "3", "", 0, "", "---"},
        {"3", "2", "reset", 0, "reset", "---"},  // a page just shown does not turn again
        {"2", "2", "reset", 0, "reset", "---"},
        {"3", "1", "reset", 2, "reset", "WY-"},  // the first test of a count ignores the flag
        {"", "1", "", 0, "", "---"},
    };
    for (const CycleCase& cc : cases) {
        SCOPED_TRACE(std::string(cc.pages) + " pages, on page " + cc.current + ", flag " + cc.resetBefore);
        Start("");
        MarkPages();
        w().tabs.lblTotalPages.SetCaption(cc.pages);
        w().tabs.lblCurrentPage.SetCaption(cc.current);
        w().playState.lblResetPlay.SetCaption(cc.resetBefore);
        w().PageCycle();

        EXPECT_EQ(w().playState.lblResetPlay.Caption(), cc.resetAfter);
        if (cc.shown == 0) {
            EXPECT_EQ(w().tabs.lblCurrentPage.Caption(), cc.current);
            EXPECT_EQ(Cell(5).ToolTipText(), "C");
            EXPECT_EQ(w().sheet.txtLyrics.Text(), "on show");
        } else {
            const int from = std::stoi(cc.current);
            EXPECT_EQ(w().tabs.lblCurrentPage.Caption(), std::to_string(cc.shown));
            EXPECT_EQ(w().stores.imgPage[static_cast<std::size_t>(from)][5].ToolTipText(), "C");
            EXPECT_EQ(w().stores.txtLyricsPage[static_cast<std::size_t>(from)].Text(), "on show");
            EXPECT_EQ(Cell(5).ToolTipText(), std::string(kChordTokens[static_cast<std::size_t>(cc.shown)]));
            EXPECT_TRUE(Shows(Cell(5), w().ChordPicture(std::string(kChordTokens[static_cast<std::size_t>(cc.shown)]))));
            EXPECT_EQ(w().sheet.txtLyrics.Text(), "store " + std::to_string(cc.shown));
        }
        for (int p = 1; p <= 3; ++p) {
            SCOPED_TRACE("tab " + std::to_string(p));
            const Label& tab = TabLabel(p);
            switch (cc.tabs[p - 1]) {
            case 'Y': EXPECT_EQ(tab.BackColor(), c::kActive); EXPECT_FALSE(tab.Enabled()); break;
            case 'W': EXPECT_EQ(tab.BackColor(), c::kPlain); EXPECT_TRUE(tab.Enabled()); break;
            default: EXPECT_EQ(tab.BackColor(), kUntouched); EXPECT_FALSE(tab.Enabled()); break;
            }
        }
    }
}

TEST_F(Cycle, AWrapTurnsOnePageKeepsTheBarlineAndTheEffectiveChordsAndPlaysCellOne)
{
    w().tabs.lblTotalPages.SetCaption("2");
    w().tabs.lblCurrentPage.SetCaption("1");
    FillSounding(w().StoreRows(2), 5);
    Put(1, "G", &w().symbols.pctCrotchetBlue);
    w().MarkCellPlayed(1);
    w().sheet.lblChordNameCheck[7].SetCaption("G");
    w().sheet.imgBarline[3].SetPicture(w().symbols.pctBarlineContinue.GetPicture());

    StepAt(33);
    EXPECT_EQ(w().tabs.lblCurrentPage.Caption(), "2");
    EXPECT_EQ(w().playState.lblResetPlay.Caption(), "");
    EXPECT_TRUE(Shows(w().stores.imgRhythmPage[1][1], w().symbols.pctCrotchetBlue));  // stored unmarked
    EXPECT_EQ(Loads().back(), Clip(std::string(kChordTokens[5]) + ".swf"));  // cell 1 of page 2
    EXPECT_TRUE(Shows(Rhythm(1), w().symbols.pctQuaver1Red));
    EXPECT_EQ(w().sheet.lblChordNameCheck[7].Caption(), "G");
    EXPECT_TRUE(Shows(w().sheet.imgBarline[3], w().symbols.pctBarlineContinue));
}

TEST_F(Cycle, AThreePageSongStartedOnPageTwoPlaysPagesTwoThreeOne)
{
    w().tabs.lblTotalPages.SetCaption("3");
    w().tabs.lblCurrentPage.SetCaption("2");
    std::vector<std::string> pages;
    for (int turn = 0; turn < 4; ++turn) {
        StepAt(33);
        pages.push_back(w().tabs.lblCurrentPage.Caption());
    }
    EXPECT_EQ(pages, (std::vector<std::string>{"3", "1", "2", "3"}));
}

}  // namespace
}  // namespace strumwell::testing
