#pragma once
// Test clock: time stands still until the test moves it. Moving it rings every alarm that falls
// due on the way, each at its own moment and in the order of their moments, inside Advance(). A
// handler run by an alarm may itself move the time on (to stand for work that takes time); the
// alarms that fall due then ring nested inside it, as a timer event handled in an event pump would.

#include <cstdint>
#include <vector>

#include "platform/clock/clock.h"

namespace platform {

class ManualAlarm;

class ManualClock final : public Clock {
public:
    // The steady time starts at an arbitrary moment; the date and time of day at `wallStart`.
    explicit ManualClock(WallTime wallStart = DefaultWallStart());
    ~ManualClock() override;

    TimePoint Now() const override { return now_; }
    WallTime WallNow() const override;
    std::unique_ptr<Alarm> NewAlarm(std::function<void()> ring) override;

    // Moves the time on by `by` (at least to where a nested call has already moved it), ringing
    // the alarms due on the way.
    void Advance(Duration by);
    // Moves the time to the next alarm's moment and rings it; false when no alarm is set.
    bool RunNextAlarm();
    // The moment of the next alarm, or TimePoint::max() when none is set.
    TimePoint NextAlarm() const;

    // 2024-03-04 10:00:00.250 UTC: a quarter second past a whole second, so tests see the
    // deadline's rounding to the second.
    static WallTime DefaultWallStart();

private:
    friend class ManualAlarm;
    struct Pending {
        ManualAlarm* alarm;
        TimePoint due;
        std::uint64_t order;
    };
    void SetAlarm(ManualAlarm* alarm, TimePoint due);
    void CancelAlarm(ManualAlarm* alarm);
    bool RingOneDueBy(TimePoint limit);

    TimePoint start_ = TimePoint() + std::chrono::hours(1000);
    TimePoint now_ = start_;
    WallTime wallStart_;
    std::vector<Pending> pending_;
    std::uint64_t order_ = 0;
};

}  // namespace platform
