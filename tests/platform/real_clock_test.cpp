// The machine's clock: its alarms ring at their moment or after it, never before and never inside
// Set, once per setting; a timer on it keeps its ticks' due moments on the grid.
#include "platform/clock/clock.h"
#include "platform/clock/due_time.h"
#include "platform/forms/timer.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>

#include <chrono>
#include <vector>

namespace {

using namespace std::chrono_literals;
using platform::Clock;

// Runs the event loop until `done` or a generous bound passes (the fault caught is an alarm that
// never rings, not one a busy machine woke late).
template <typename Done>
void RunUntil(Done done)
{
    const auto until = std::chrono::steady_clock::now() + 5s;
    while (!done() && std::chrono::steady_clock::now() < until)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

TEST(RealClock, AlarmsRingAtTheirMomentNeverBefore)
{
    Clock& clock = platform::RealClock();
    struct Case {
        const char* what;
        std::chrono::milliseconds ahead;
    } const cases[] = {{"a moment ahead", 30ms}, {"a moment just ahead", 1ms}, {"a moment past", -5ms}};
    for (const Case& c : cases) {
        std::vector<Clock::TimePoint> rang;
        auto alarm = clock.NewAlarm([&] { rang.push_back(clock.Now()); });
        const auto due = clock.Now() + c.ahead;
        alarm->Set(due);
        EXPECT_TRUE(rang.empty()) << c.what << ": rang inside Set";
        RunUntil([&] { return !rang.empty(); });
        ASSERT_EQ(rang.size(), 1u) << c.what;
        EXPECT_GE(rang.front(), due) << c.what << ": rang early";
        const auto until = clock.Now() + 60ms;
        RunUntil([&] { return clock.Now() > until; });  // nothing more rings from one setting
        EXPECT_EQ(rang.size(), 1u) << c.what;
    }
}

TEST(RealClock, ANewSettingReplacesTheOldAndCancelStopsIt)
{
    Clock& clock = platform::RealClock();
    std::vector<Clock::TimePoint> rang;
    auto alarm = clock.NewAlarm([&] { rang.push_back(clock.Now()); });
    alarm->Set(clock.Now() + 10ms);
    const auto later = clock.Now() + 80ms;
    alarm->Set(later);
    RunUntil([&] { return !rang.empty(); });
    ASSERT_EQ(rang.size(), 1u);
    EXPECT_GE(rang.front(), later) << "the earlier setting rang";

    auto cancelled = clock.NewAlarm([&] { rang.push_back(clock.Now()); });
    cancelled->Set(clock.Now() + 10ms);
    cancelled->Cancel();
    const auto until = clock.Now() + 100ms;
    RunUntil([&] { return clock.Now() > until; });
    EXPECT_EQ(rang.size(), 1u) << "a cancelled alarm rang";
}

// The ticks of a timer on the machine's clock fall due on its grid, each after its moment.
TEST(RealClock, TimerTicksFallDueOnTheGrid)
{
    forms::Timer timer;
    std::vector<Clock::TimePoint> dues, ran;
    timer.OnTimer([&] {
        ran.push_back(platform::RealClock().Now());
        dues.push_back(platform::RunningDue().value_or(Clock::TimePoint{}));
    });
    const auto origin = platform::RealClock().Now();
    timer.SetInterval(20);
    timer.StartFrom(origin);
    RunUntil([&] { return dues.size() >= 6; });
    timer.SetEnabled(false);
    ASSERT_GE(dues.size(), 6u);
    for (std::size_t i = 0; i < dues.size(); ++i) {
        // A tick a busy machine let pass is not made up: the next falls on a later grid point.
        const auto step = (dues[i] - origin) / 20ms;
        EXPECT_EQ(dues[i], origin + step * 20ms) << "tick " << i << " is off the grid";
        EXPECT_GE(ran[i], dues[i]) << "tick " << i << " ran early";
        if (i > 0) {
            EXPECT_GT(dues[i], dues[i - 1]);
        }
    }
}

}  // namespace
