// The form's timer on the test clock: the grid it keeps, how re-arming moves it, and one tick at a
// time however long a handler takes.

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "platform/clock/manual_clock.h"
#include "platform/forms/timer.h"

namespace {

using std::chrono::milliseconds;

class TimerOnTestClock : public ::testing::Test {
protected:
    void SetUp() override
    {
        timer.UseClock(clock);
        start = clock.Now();
        timer.OnTimer([this] {
            ++depth;
            maxDepth = std::max(maxDepth, depth);
            ticks.push_back(Elapsed());
            if (work) work(static_cast<int>(ticks.size()));
            --depth;
        });
    }
    long long Elapsed() const { return std::chrono::duration_cast<milliseconds>(clock.Now() - start).count(); }
    void RunFor(int ms) { clock.Advance(milliseconds(ms)); }

    platform::ManualClock clock;
    forms::Timer timer;
    platform::Clock::TimePoint start;
    std::vector<long long> ticks;  // ms from the start of each tick
    std::function<void(int tick)> work;
    int depth = 0, maxDepth = 0;
};

TEST_F(TimerOnTestClock, TicksEveryIntervalFromWhereItWasEnabled)
{
    RunFor(30);
    timer.SetInterval(100);
    timer.SetEnabled(true);
    RunFor(350);
    EXPECT_EQ(ticks, (std::vector<long long>{130, 230, 330}));
    timer.SetEnabled(false);
    RunFor(1000);
    EXPECT_EQ(ticks.size(), 3u);
}

TEST_F(TimerOnTestClock, NoIntervalNoTicks)
{
    timer.SetEnabled(true);
    RunFor(1000);
    EXPECT_TRUE(ticks.empty());
}

TEST_F(TimerOnTestClock, ReArmingWithTheSameIntervalInsideTheTickKeepsTheGrid)
{
    work = [this](int) {
        clock.Advance(milliseconds(30));  // the handler's work
        timer.SetInterval(100);
        timer.SetEnabled(true);
    };
    timer.SetInterval(100);
    timer.SetEnabled(true);
    RunFor(550);
    EXPECT_EQ(ticks, (std::vector<long long>{100, 200, 300, 400, 500}));
}

TEST_F(TimerOnTestClock, SwitchedOffAndOnInsideOneTickKeepsTheGrid)
{
    work = [this](int) {
        timer.SetEnabled(false);
        clock.Advance(milliseconds(20));
        timer.SetEnabled(true);
    };
    timer.SetInterval(100);
    timer.SetEnabled(true);
    RunFor(350);
    EXPECT_EQ(ticks, (std::vector<long long>{100, 200, 300}));
}

TEST_F(TimerOnTestClock, AChangedIntervalCountsFromTheTickThatChangedIt)
{
    work = [this](int tick) {
        clock.Advance(milliseconds(30));
        if (tick == 2) timer.SetInterval(150);
    };
    timer.SetInterval(100);
    timer.SetEnabled(true);
    RunFor(600);
    EXPECT_EQ(ticks, (std::vector<long long>{100, 200, 350, 500}));
}

TEST_F(TimerOnTestClock, AChangedIntervalOutsideATickCountsFromNow)
{
    timer.SetInterval(100);
    timer.SetEnabled(true);
    RunFor(140);
    timer.SetInterval(200);
    RunFor(500);
    EXPECT_EQ(ticks, (std::vector<long long>{100, 340, 540}));
}

TEST_F(TimerOnTestClock, StartFromCountsTheGridFromTheGivenMoment)
{
    timer.SetInterval(100);
    RunFor(40);
    timer.StartFrom(start + milliseconds(10));
    RunFor(300);
    EXPECT_EQ(ticks, (std::vector<long long>{110, 210, 310}));
}

TEST_F(TimerOnTestClock, ATickDueWhileTheHandlerRunsWaitsForItsReturnAndMissedOnesAreNotMadeUp)
{
    work = [this](int tick) {
        if (tick != 2) return;
        timer.SetEnabled(false);  // off and on again, as the tick at the deadline and its step do
        timer.SetEnabled(true);
        clock.Advance(milliseconds(250));  // past the ticks due at 300 and 400
    };
    timer.SetInterval(100);
    timer.SetEnabled(true);
    RunFor(700);
    EXPECT_EQ(maxDepth, 1);
    // The tick due at 300 and the one at 400 run as one, at 450, when the long one returns; then
    // the grid goes on.
    EXPECT_EQ(ticks, (std::vector<long long>{100, 200, 450, 500, 600, 700}));
}

TEST_F(TimerOnTestClock, ALateTickDoesNotShiftTheGrid)
{
    work = [this](int tick) {
        if (tick == 1) clock.Advance(milliseconds(130));  // past the tick due at 200
    };
    timer.SetInterval(100);
    timer.SetEnabled(true);
    RunFor(450);
    EXPECT_EQ(ticks, (std::vector<long long>{100, 230, 300, 400}));
}

}  // namespace
