// The step clock and the tempo on the test clock: the interval and deadline a step arms, the
// tick's rules, the wind-down, the tempo buttons with the speed bar, and the grid the steps keep.

#include "platform/clock/due_time.h"
#include "playback_fixture.h"

#include "playback/clip_table.h"
#include "playback/step_clock.h"

namespace strumwell::testing {
namespace {

using platform::Clock;

struct Tempo {
    int noteLength, height, top;
    friend bool operator==(const Tempo&, const Tempo&) = default;
};

std::ostream& operator<<(std::ostream& out, const Tempo& t)
{
    return out << "tempo " << t.noteLength << ", bar " << t.height << " high at " << t.top;
}

class StepClock : public PlaybackTest {
protected:
    void SetUp() override
    {
        PlaybackTest::SetUp();
        FillSounding(w().VisibleRows());
    }
    std::string ClipOf(int k) { return Clip(clips::FindClipRow(Cell(k).ToolTipText())->clips.back()); }
    void SetTempo(int noteLength, int height, int top)
    {
        w().NoteLength = static_cast<std::int16_t>(noteLength);
        w().tempo.lblSpeed.SetHeight(height);
        w().tempo.lblSpeed.SetTop(top);
    }
    Tempo Now() { return {w().NoteLength, w().tempo.lblSpeed.Height(), w().tempo.lblSpeed.Top()}; }
    // The interval that a playback step arms at the tempo of the moment.
    int ArmedInterval()
    {
        w().playState.lblConstant.SetCaption("3");
        FlipTrigger();
        return w().Timer1.Interval();
    }
};

TEST_F(StepClock, StartStepTimerRoundsHalvesToEvenAndSetsTheDeadlineToTheSecond)
{
    const std::pair<double, int> cases[] = {
        {700.5, 700}, {701.5, 702}, {700.0, 700}, {700.4, 700}, {700.6, 701}, {1700.0, 1700},
        {100.0, 100}, {50.5, 50}, {49.5, 50}, {0.5, 50}, {0.0, 50}, {-16384.0, 50}, {16383.5, 16384},
    };
    for (const auto& [interval, expected] : cases) {
        w().StartStepTimer(interval, 5);
        EXPECT_EQ(w().Timer1.Interval(), expected) << interval;
        EXPECT_TRUE(w().Timer1.Enabled());
    }
    // The test clock starts at 10:00:00.250.
    EXPECT_EQ(w().Timer1.Tag(), "2024-03-04 10:00:05 UTC");
    Advance(milliseconds(800));
    w().StartStepTimer(700, 5);
    EXPECT_EQ(w().Timer1.Tag(), "2024-03-04 10:00:06 UTC");
}

TEST_F(StepClock, SecondsLeftCountsWholeSecondsToTheDeadline)
{
    using namespace std::chrono;
    const auto at = [](int day, int h, int m, int s, int ms) {
        return Clock::WallTime(sys_days{year{2024} / March / day} + hours(h) + minutes(m) + seconds(s) +
                               milliseconds(ms));
    };
    const struct {
        const char* deadline;
        Clock::WallTime now;
        long long left;
    } cases[] = {
        {"2024-03-04 10:00:05 UTC", at(4, 10, 0, 0, 250), 5},
        {"2024-03-04 10:00:05 UTC", at(4, 10, 0, 4, 999), 1},
        {"2024-03-04 10:00:05 UTC", at(4, 10, 0, 5, 0), 0},
        {"2024-03-04 10:00:05 UTC", at(4, 10, 0, 9, 500), -4},
        {"2024-03-05 00:00:02 UTC", at(4, 23, 59, 59, 900), 3},  // across midnight
        {"", at(4, 10, 0, 0, 0), 0},  // no deadline counts as passed
        {"soon", at(4, 10, 0, 0, 0), 0},
    };
    for (const auto& c : cases) EXPECT_EQ(playback::SecondsLeft(c.deadline, c.now), c.left) << c.deadline;
    EXPECT_EQ(playback::SecondsLeft(playback::DeadlineText(at(4, 12, 30, 7, 0)), at(4, 12, 30, 2, 10)), 5);
}

TEST_F(StepClock, FasterAndSlowerWalkTheWholeGridWithTheBarAndTheSteps)
{
    ASSERT_EQ(Now(), (Tempo{1400, 2055, 2160}));
    for (int presses = 1; presses <= 13; ++presses) {
        ClickAt(w().tempo.lblFaster);
        const int tempo = std::max(200, 1400 - 100 * presses);
        EXPECT_EQ(Now(), (Tempo{tempo, 3455 - tempo, tempo + 760})) << presses;
        EXPECT_EQ(ArmedInterval(), tempo / 2);
    }
    for (int presses = 1; presses <= 33; ++presses) {
        ClickAt(w().tempo.lblSlower);
        const int tempo = std::min(3400, 200 + 100 * presses);
        EXPECT_EQ(Now(), (Tempo{tempo, 3455 - tempo, tempo + 760})) << presses;
        EXPECT_EQ(ArmedInterval(), tempo / 2);
    }
    EXPECT_EQ(Now(), (Tempo{3400, 55, 4160}));
}

TEST_F(StepClock, TempoValuesOnlyAFileCanBring)
{
    struct Case {
        Tempo file;
        bool faster;
        int presses;
        Tempo after;
        int interval;
    };
    const Case cases[] = {
        {{1450, 2055, 2160}, true, 20, {150, 3355, 860}, 75},    // the last press starts from 250
        {{1450, 2055, 2160}, false, 30, {3350, 155, 4060}, 1675},  // 3350 is not below 3350
        // A bar shorter than its tempo needs shrinks to nothing at its bottom edge, never below.
        {{200, 2055, 2160}, false, 40, {3400, 0, 4215}, 1700},
        {{1400, -40, 2160}, false, 1, {1500, -40, 2160}, 750},
        {{1401, 2055, 2160}, false, 0, {1401, 2055, 2160}, 700},
        {{1403, 2055, 2160}, false, 0, {1403, 2055, 2160}, 702},
        {{1, 2055, 2160}, false, 0, {1, 2055, 2160}, 50},
        {{-32768, 2055, 2160}, true, 3, {-32768, 2055, 2160}, 50},
        {{32767, 2055, 2160}, true, 1, {32667, 2155, 2060}, 16334},
        // Speed-bar values at the ends of what a file can bring: the bar moves as far as int
        // lets both its height and its top go, and then stays.
        {{1400, 2147483520, -2147483520}, true, 3, {1100, 2147483647, -2147483647}, 550},
        {{1400, 2055, -2147483520}, true, 2, {1200, 2183, -2147483647 - 1}, 600},
        {{1400, 2147483520, 2147483520}, false, 3, {1700, 2147483393, 2147483647}, 850},
        {{1400, -2147483520, 2147483520}, false, 2, {1600, -2147483520, 2147483520}, 800},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.file));
        SetTempo(c.file.noteLength, c.file.height, c.file.top);
        for (int i = 0; i < c.presses; ++i) ClickAt(c.faster ? w().tempo.lblFaster : w().tempo.lblSlower);
        EXPECT_EQ(Now(), c.after);
        EXPECT_EQ(ArmedInterval(), c.interval);
    }
}

TEST_F(StepClock, ATickThatReads33NeitherAdvancesNorRunsAStep)
{
    Play();
    w().playState.lblConstant.SetCaption("33");
    const int trigger = w().playState.Check1.Value();
    flash->calls.clear();
    NextTick();
    EXPECT_EQ(Position(), "33");
    EXPECT_EQ(w().playState.Check1.Value(), trigger);
    EXPECT_TRUE(Loads().empty());
    EXPECT_EQ(w().playState.lblTimer.Caption(), "5");
}

TEST_F(StepClock, ATickThatFindsNoSecondLeftStillAdvancesAndRunsAStepWhichReArms)
{
    Play();
    w().Timer1.SetTag(playback::DeadlineText(clock.WallNow()));
    w().playState.cmdTimer.SetEnabled(false);
    flash->calls.clear();
    NextTick();
    EXPECT_EQ(w().playState.lblTimer.Caption(), "0");
    EXPECT_TRUE(w().playState.cmdTimer.Enabled());
    EXPECT_EQ(Position(), "2");
    EXPECT_EQ(Loads().back(), ClipOf(2));
    EXPECT_TRUE(w().Timer1.Enabled());  // the step armed it again
}

TEST_F(StepClock, AfterPauseTheTicksCountTheParkedPositionUpAndTheClockDiesAtTheDeadline)
{
    struct Case {
        int noteLength;
        int steps;  // steps the ticks run after the pause, each doing nothing
    };
    // The last real step, two ticks after PLAY, set the deadline; the first case starts the clock
    // at 10:00:00.250, so that step ran at 10:00:01.650 and the deadline is 10:00:06.
    for (const Case c : {Case{1400, 7}, Case{200, 13}}) {
        SCOPED_TRACE(c.noteLength);
        Start("");
        FillSounding(w().VisibleRows());
        w().NoteLength = static_cast<std::int16_t>(c.noteLength);
        Play();
        NextTick();
        NextTick();
        Pause();
        flash->calls.clear();
        const std::string deadline = w().Timer1.Tag();
        if (c.noteLength == 1400) {
            EXPECT_EQ(deadline, "2024-03-04 10:00:06 UTC");
        }
        std::vector<std::string> positions;
        int steps = 0;
        Clock::WallTime lastTick{};
        while (w().Timer1.Enabled()) {
            const int trigger = w().playState.Check1.Value();
            NextTick();
            lastTick = clock.WallNow();
            steps += w().playState.Check1.Value() != trigger;
            positions.push_back(Position());
        }
        EXPECT_TRUE(Loads().empty());
        EXPECT_EQ(steps, c.steps);
        for (std::size_t i = 0; i < positions.size(); ++i) EXPECT_EQ(positions[i], std::to_string(std::min(21 + static_cast<int>(i), 33)));
        // The first tick at or after the deadline switched it off: the one before was short of it.
        const auto step = milliseconds(c.noteLength / 2);
        EXPECT_LE(playback::SecondsLeft(deadline, lastTick), 0);
        EXPECT_GE(playback::SecondsLeft(deadline, lastTick - step), 1);
        EXPECT_FALSE(clock.RunNextAlarm());
    }
}

TEST_F(StepClock, ATempoChangeTakesEffectWhenTheNextStepReArms)
{
    Play();
    Advance(milliseconds(300));
    ClickAt(w().tempo.lblFaster);
    flash->calls.clear();
    Advance(milliseconds(399));
    EXPECT_TRUE(Loads().empty());  // the 700 ms already running is not cut short
    Advance(milliseconds(1));
    EXPECT_EQ(Loads().back(), ClipOf(2));
    flash->calls.clear();
    Advance(milliseconds(649));
    EXPECT_TRUE(Loads().empty());
    Advance(milliseconds(1));
    EXPECT_EQ(Loads().back(), ClipOf(3));
}

// Steps that take time, even longer than a step, leave the ticks on the grid of the run.
TEST_F(StepClock, StepsFallOnTheGridWhateverTheirWorkTakes)
{
    const Clock::TimePoint start = clock.Now();
    std::vector<long long> firstLoads;  // ms from PLAY of each step's first load
    std::vector<long long> dues;        // the grid point each load is to sound on, ms from PLAY
    bool previousWasRest = false;
    hooked.hook = [&](const std::string& path) {
        const bool rest = path == Clip("rest.swf");
        if (rest && !previousWasRest)
            firstLoads.push_back(std::chrono::duration_cast<milliseconds>(clock.Now() - start).count());
        previousWasRest = rest;
        const auto due = platform::RunningDue();
        dues.push_back(due ? std::chrono::duration_cast<milliseconds>(*due - start).count() : -1);
        // Each load takes 40 ms; the clip of cell 3 takes 800 ms, past the next step's moment.
        clock.Advance(path == ClipOf(3) ? milliseconds(800) : milliseconds(40));
    };
    Play();
    for (int i = 0; i < 6; ++i) NextTick();
    hooked.hook = nullptr;
    // Cell 3 starts at 1400 and ends at 2280; cell 4, due at 2100, waits for it and runs at once,
    // and cell 5 is back on the grid.
    EXPECT_EQ(firstLoads, (std::vector<long long>{0, 700, 1400, 2280, 2800, 3500, 4200}));
    // Every load of a step, a late one's too, is to sound on the step's own grid point.
    std::vector<long long> stepDues;
    for (long long due : dues)
        if (stepDues.empty() || stepDues.back() != due) stepDues.push_back(due);
    EXPECT_EQ(stepDues, (std::vector<long long>{0, 700, 1400, 2100, 2800, 3500, 4200}));
    for (int k = 1; k <= 7; ++k)
        EXPECT_TRUE(Shows(Rhythm(k), k % 2 ? w().symbols.pctQuaver1Red : w().symbols.pctQuaver2red)) << k;
}

}  // namespace
}  // namespace strumwell::testing
