// PLAY, PAUSE and STOP through real clicks, on the test clock: the transport's states and its
// transitions as tables, and what STOP puts back.

#include "playback_fixture.h"

#include "playback/clip_table.h"
#include "playback/step_clock.h"
#include "sheet/state_colours.h"

namespace strumwell::testing {
namespace {

namespace c = colours;

enum class State { Idle, Playing, Paused, Halted, Stopped };

const char* Name(State s)
{
    static const char* const names[] = {"idle", "playing", "paused", "halted", "stopped"};
    return names[static_cast<int>(s)];
}

// One row of the transport's state table, as the widgets show it.
struct StateRow {
    int stopFlag;
    std::string pauseFlag;
    int pauseValue;
    bool clockOn;
    forms::Colour playColour;
    std::string playCaption;
    bool pauseEnabled;
    forms::Colour pauseColour;
    bool stopEnabled;
    bool sheetLocked;
    friend bool operator==(const StateRow&, const StateRow&) = default;
};

std::ostream& operator<<(std::ostream& out, const StateRow& r)
{
    return out << "stop " << r.stopFlag << ", pause flag " << r.pauseFlag << ", PAUSE " << r.pauseValue
               << ", clock " << (r.clockOn ? "on" : "off") << ", PLAY " << std::hex << r.playColour << std::dec
               << " \"" << r.playCaption << "\", PAUSE " << (r.pauseEnabled ? "enabled " : "disabled ") << std::hex
               << r.pauseColour << std::dec << ", STOP " << (r.stopEnabled ? "enabled" : "disabled") << ", sheet "
               << (r.sheetLocked ? "locked" : "editable");
}

// Right after a state is reached: a clock that runs out is still on.
StateRow Expected(State s)
{
    switch (s) {
    case State::Idle: return {0, "0", 0, false, c::kIdle, "PLAY", false, c::kIdle, false, false};
    case State::Playing: return {0, "0", 0, true, c::kPlaying, "PLAY", true, c::kIdle, true, true};
    case State::Paused: return {0, "1", 1, true, c::kPlaying, "PLAY PAUSED", true, c::kSelected, true, true};
    case State::Halted: return {0, "0", 0, false, c::kPlaying, "PLAY", true, c::kIdle, true, true};
    case State::Stopped: return {1, "0", 0, true, c::kIdle, "PLAY", false, c::kIdle, false, false};
    }
    return {};
}

class Transport : public PlaybackTest {
protected:
    void SetUp() override
    {
        PlaybackTest::SetUp();
        FillSounding(w().VisibleRows());
    }

    StateRow Shown()
    {
        auto& t = w().transport;
        const bool locked = !w().palette.Picture2.Visible() && !w().noteLength.Picture1.Visible() &&
                            !w().palette.lblRest.Visible() && !Cell(1).Enabled() && !Cell(31).Enabled();
        return {w().playState.chkStop.Value(), w().playState.lblPauseOn.Caption(), t.chkPause.Value(),
                w().Timer1.Enabled(), t.cmdPlay.BackColor(), t.cmdPlay.Caption(), t.chkPause.Enabled(),
                t.chkPause.BackColor(), t.cmdStop.Enabled(), locked};
    }

    // Reaches a state: the last cell played (or saved at the pause) is cell 2.
    void Reach(State s)
    {
        switch (s) {
        case State::Idle: break;
        case State::Playing: Play(); NextTick(); break;
        case State::Paused: Play(); NextTick(); Pause(); break;
        case State::Halted: Play(); NextTick(); Pause(); Advance(seconds(6)); Pause(); break;
        case State::Stopped: Play(); NextTick(); Stop(); break;
        }
        ASSERT_EQ(Shown(), Expected(s)) << "reaching " << Name(s);
        flash->calls.clear();
    }

    std::string ClipOf(int k) { return Clip(clips::FindClipRow(Cell(k).ToolTipText())->clips.back()); }
    std::string LastLoad() { return Loads().empty() ? "" : Loads().back(); }
};

TEST_F(Transport, EachStateShowsItsRow)
{
    for (const State s : {State::Idle, State::Playing, State::Paused, State::Halted, State::Stopped}) {
        SCOPED_TRACE(Name(s));
        Start("");
        FillSounding(w().VisibleRows());
        Reach(s);
    }
}

TEST_F(Transport, TheClockRunsOutWhilePausedOrStopped)
{
    for (const State s : {State::Paused, State::Stopped}) {
        SCOPED_TRACE(Name(s));
        Start("");
        FillSounding(w().VisibleRows());
        Reach(s);
        Advance(seconds(6));
        EXPECT_FALSE(w().Timer1.Enabled());
        EXPECT_TRUE(Loads().empty());
    }
}

enum class Event { Play, PauseClick, PauseClickAfterTheClockStopped, Stop };

struct Transition {
    State from;
    Event event;
    State to;
    int cellPlayed;  // the cell the event plays at once (0: none); -1: the saved cell again
    int nextTick;    // the cell the next tick plays (0: none)
};

TEST_F(Transport, TheTableOfTransitions)
{
    const Transition cases[] = {
        {State::Idle, Event::Play, State::Playing, 1, 2},
        {State::Stopped, Event::Play, State::Playing, 1, 2},
        {State::Playing, Event::Play, State::Playing, 1, 2},
        {State::Halted, Event::Play, State::Playing, 1, 2},
        {State::Paused, Event::Play, State::Playing, 2, 3},  // resumed: the saved cell again
        {State::Playing, Event::PauseClick, State::Paused, 0, 0},
        {State::Halted, Event::PauseClick, State::Paused, 0, 0},
        {State::Paused, Event::PauseClick, State::Playing, 0, 3},
        {State::Paused, Event::PauseClickAfterTheClockStopped, State::Halted, 0, 0},
        {State::Playing, Event::Stop, State::Stopped, 0, 0},
        {State::Paused, Event::Stop, State::Stopped, 0, 0},
        {State::Halted, Event::Stop, State::Stopped, 0, 0},
    };
    for (const Transition& t : cases) {
        SCOPED_TRACE(std::string(Name(t.from)) + " -> " + Name(t.to) + " by event " +
                     std::to_string(static_cast<int>(t.event)));
        Start("");
        FillSounding(w().VisibleRows());
        Reach(t.from);
        switch (t.event) {
        case Event::Play: Play(); break;
        case Event::PauseClick: Pause(); break;
        case Event::PauseClickAfterTheClockStopped: Advance(seconds(6)); Pause(); break;
        case Event::Stop: Stop(); break;
        }
        StateRow expected = Expected(t.to);
        if (t.from == State::Halted) expected.clockOn = t.to == State::Playing;  // off stays off
        EXPECT_EQ(Shown(), expected);
        EXPECT_EQ(LastLoad(), t.cellPlayed ? ClipOf(t.cellPlayed) : "");
        flash->calls.clear();
        Advance(milliseconds(700));
        EXPECT_EQ(LastLoad(), t.nextTick ? ClipOf(t.nextTick) : "");
    }
}

TEST_F(Transport, PauseThenPlayAtAnyTimeReplaysTheSavedCell)
{
    for (const auto wait : {milliseconds(0), milliseconds(2000), milliseconds(9000)}) {
        SCOPED_TRACE(wait.count());
        Start("");
        FillSounding(w().VisibleRows());
        Play();
        for (int k = 2; k <= 6; ++k) NextTick();
        Pause();
        EXPECT_EQ(w().playState.lblPauseBar.Caption(), "6");
        EXPECT_EQ(Position(), "20");
        Advance(wait);
        flash->calls.clear();
        Play();
        EXPECT_EQ(LastLoad(), ClipOf(6));
        EXPECT_EQ(Position(), "6");
        EXPECT_EQ(w().transport.cmdPlay.Caption(), "PLAY");
        NextTick();
        EXPECT_EQ(LastLoad(), ClipOf(7));
    }
}

TEST_F(Transport, PauseTwiceAfterTheDeadlineLeavesTheTransportHalted)
{
    Play();
    NextTick();
    Pause();
    Advance(seconds(6));
    Pause();
    flash->calls.clear();
    Advance(seconds(30));
    EXPECT_TRUE(Loads().empty());
    EXPECT_EQ(w().transport.cmdPlay.BackColor(), c::kPlaying);
    EXPECT_EQ(w().transport.cmdPlay.Caption(), "PLAY");
    Play();  // PAUSE is off: a fresh start
    EXPECT_EQ(LastLoad(), ClipOf(1));
}

TEST_F(Transport, StopWhilePausedEndsThePauseAtPositionOne)
{
    Play();
    NextTick();
    Pause();
    Stop();
    EXPECT_EQ(Position(), "1");
    EXPECT_EQ(w().transport.chkPause.Value(), 0);
    EXPECT_EQ(w().playState.lblPauseOn.Caption(), "0");
    EXPECT_EQ(w().playState.lblPauseBar.Caption(), "1");
}

TEST_F(Transport, StopPutsBackRestInCrotchetEntryThePaletteAndTheMarks)
{
    auto& p = w().palette;
    ClickAt(w().noteLength.lblQuaver);
    ClickAt(p.lbl7th);
    ClickAt(p.lblBm);
    Put(7, "Rest 1", &w().symbols.pctCrotchetBlue);
    Play();
    for (int k = 2; k <= 9; ++k) NextTick();
    ASSERT_TRUE(Shows(Cell(7), w().symbols.pctCrotchetRestRed));
    Stop();

    EXPECT_EQ(p.imgClickedChord.ToolTipText(), "Rest 1");
    EXPECT_TRUE(Shows(p.imgClickedChord, w().symbols.pictureCrotchetRest));
    EXPECT_EQ(p.lblRest.BackColor(), c::kSelected);
    for (const Label* major : {&p.lblA, &p.lblE, &p.lblD, &p.lblC, &p.lblG, &p.lblF})
        EXPECT_EQ(major->BackColor(), c::kMajorChord) << major->Name();
    for (const Label* minor : {&p.lblAm, &p.lblEm, &p.lblDm, &p.lblBm})
        EXPECT_EQ(minor->BackColor(), c::kMinorChord) << minor->Name();
    EXPECT_EQ(p.lbl7th.BackColor(), c::kSeventhOff);
    for (const Label* label : {&p.lblA, &p.lblAm, &p.lblE, &p.lblEm, &p.lblD, &p.lblDm, &p.lblC, &p.lblG,
                               &p.lblF, &p.lblBm, &p.lblRest, &p.lbl7th})
        EXPECT_TRUE(label->Enabled()) << label->Name();
    EXPECT_EQ(w().noteLength.lblCrotchet.BackColor(), c::kActive);
    EXPECT_EQ(w().noteLength.lblQuaver.BackColor(), c::kIdle);
    EXPECT_TRUE(Shows(w().noteLength.pictureNoteLengthSelect, w().symbols.pctCrotchetRed));
    for (int k = 1; k <= 32; ++k) {
        EXPECT_EQ(Cell(k).Enabled(), k % 2 == 1) << k;
        EXPECT_FALSE(Shows(Rhythm(k), w().symbols.pctQuaver1Red) || Shows(Rhythm(k), w().symbols.pctQuaver2red) ||
                     Shows(Rhythm(k), w().symbols.pctCrotchetRed))
            << k;
    }
    EXPECT_TRUE(Shows(Cell(7), w().symbols.pictureCrotchetRest));
    EXPECT_TRUE(w().noteLength.Picture1.Visible());
    EXPECT_TRUE(p.Picture2.Visible());
    EXPECT_TRUE(p.lblRest.Visible());

    // The clock runs out on its own; its steps sound and mark nothing.
    flash->calls.clear();
    Advance(seconds(6));
    EXPECT_TRUE(Loads().empty());
    EXPECT_FALSE(Shows(Rhythm(1), w().symbols.pctQuaver1Red));
    EXPECT_FALSE(w().Timer1.Enabled());
}

TEST_F(Transport, PlayWhilePlayingTurnsRedRhythmMarksBlueAtOnceButLeavesRedRests)
{
    Put(3, "Rest 1/2", &w().symbols.pctQuaverTailBlue);
    Play();
    for (int k = 2; k <= 5; ++k) NextTick();
    ASSERT_TRUE(Shows(Rhythm(4), w().symbols.pctQuaver2red));
    Play();
    EXPECT_TRUE(Shows(Rhythm(1), w().symbols.pctQuaver1Red));  // cell 1, played again
    EXPECT_TRUE(Shows(Rhythm(3), w().symbols.pctQuaverTailBlue));
    EXPECT_TRUE(Shows(Rhythm(4), w().symbols.pctQuaver2Blue));
    EXPECT_TRUE(Shows(Rhythm(5), w().symbols.pctQuaver1Blue));
    EXPECT_TRUE(Shows(Cell(3), w().symbols.pctQuaverRestRed));
}

TEST_F(Transport, PlayHidesOnlyTheChordAndNoteLengthBoxesAndRest)
{
    ClickAt(w().palette.lblSolos);
    const bool strings = w().solo.pctSoloButtons1.Visible(), frets = w().solo.pctSoloButtons2.Visible();
    Play();
    EXPECT_FALSE(w().palette.Picture2.Visible());
    EXPECT_EQ(w().solo.pctSoloButtons1.Visible(), strings);
    EXPECT_EQ(w().solo.pctSoloButtons2.Visible(), frets);
    EXPECT_TRUE(w().palette.lblSolos.Visible());
    EXPECT_TRUE(w().tempo.lblFaster.Visible());
    EXPECT_TRUE(w().tempo.lblSlower.Visible());
    EXPECT_TRUE(w().sheet.txtLyrics.Visible());
}

TEST_F(Transport, PauseAndStopIgnoreClicksUntilTheFirstPlay)
{
    Pause();
    Stop();
    EXPECT_EQ(w().transport.chkPause.Value(), 0);
    EXPECT_EQ(w().playState.chkStop.Value(), 0);
    EXPECT_EQ(Position(), "1");
    Play();
    Stop();
    Pause();
    Stop();
    EXPECT_EQ(w().transport.chkPause.Value(), 0);
}

TEST_F(Transport, StopOrPauseClickedDuringAStepsPumpTakesEffectFromTheNextStep)
{
    for (const bool stop : {true, false}) {
        SCOPED_TRACE(stop ? "STOP" : "PAUSE");
        Start("");
        FillSounding(w().VisibleRows());
        Play();
        hooked.hook = [&, cell4 = ClipOf(4)](const std::string& path) {
            if (path != cell4) return;
            if (stop)
                PostClick(w().transport.cmdStop);
            else
                PostClick(w().transport.chkPause);
        };
        for (int k = 2; k <= 4; ++k) NextTick();
        hooked.hook = nullptr;
        // The step that played cell 4 still re-armed the clock, with a fresh deadline.
        EXPECT_TRUE(w().Timer1.Enabled());
        EXPECT_EQ(w().Timer1.Tag(), playback::DeadlineText(clock.WallNow() + seconds(5)));
        EXPECT_EQ(LastLoad(), ClipOf(4));
        if (!stop) {
            EXPECT_EQ(w().playState.lblPauseBar.Caption(), "4");
        }
        flash->calls.clear();
        Advance(seconds(3));
        EXPECT_TRUE(Loads().empty());
        EXPECT_FALSE(Shows(Rhythm(5), w().symbols.pctQuaver1Red));
        if (!stop) {
            Play();
            EXPECT_EQ(LastLoad(), ClipOf(4));
        }
    }
}

TEST_F(Transport, RestartPlaybackRunsStepsAtCellOne)
{
    Play();
    NextTick();
    Stop();
    flash->calls.clear();
    w().RestartPlayback();
    EXPECT_EQ(w().playState.chkStop.Value(), 0);
    EXPECT_EQ(LastLoad(), ClipOf(1));
    EXPECT_TRUE(w().Timer1.Enabled());
}

}  // namespace
}  // namespace strumwell::testing
