#include "platform/clock/manual_clock.h"

#include <algorithm>

namespace platform {

class ManualAlarm final : public Alarm {
public:
    ManualAlarm(ManualClock& clock, std::function<void()> ring) : clock_(clock), ring_(std::move(ring)) {}
    ~ManualAlarm() override { clock_.CancelAlarm(this); }
    void Set(TimePoint due) override { clock_.SetAlarm(this, due); }
    void Cancel() override { clock_.CancelAlarm(this); }
    void Ring() { ring_(); }

private:
    ManualClock& clock_;
    std::function<void()> ring_;
};

ManualClock::ManualClock(WallTime wallStart) : wallStart_(wallStart) {}

ManualClock::~ManualClock() = default;

ManualClock::WallTime ManualClock::DefaultWallStart()
{
    using namespace std::chrono;
    return sys_days{year{2024} / March / 4} + hours(10) + milliseconds(250);
}

Clock::WallTime ManualClock::WallNow() const
{
    return wallStart_ + std::chrono::duration_cast<std::chrono::system_clock::duration>(now_ - start_);
}

std::unique_ptr<Alarm> ManualClock::NewAlarm(std::function<void()> ring)
{
    return std::make_unique<ManualAlarm>(*this, std::move(ring));
}

void ManualClock::SetAlarm(ManualAlarm* alarm, TimePoint due)
{
    CancelAlarm(alarm);
    pending_.push_back({alarm, due, order_++});
}

void ManualClock::CancelAlarm(ManualAlarm* alarm)
{
    std::erase_if(pending_, [alarm](const Pending& p) { return p.alarm == alarm; });
}

ManualClock::TimePoint ManualClock::NextAlarm() const
{
    TimePoint next = TimePoint::max();
    for (const Pending& p : pending_) next = std::min(next, p.due);
    return next;
}

// Rings the earliest alarm due by `limit` (ties in the order they were set), moving the time to
// its moment; false when none is due.
bool ManualClock::RingOneDueBy(TimePoint limit)
{
    const auto first = std::min_element(pending_.begin(), pending_.end(), [](const Pending& a, const Pending& b) {
        return a.due != b.due ? a.due < b.due : a.order < b.order;
    });
    if (first == pending_.end() || first->due > limit) return false;
    ManualAlarm* alarm = first->alarm;
    now_ = std::max(now_, first->due);
    pending_.erase(first);
    alarm->Ring();
    return true;
}

void ManualClock::Advance(Duration by)
{
    const TimePoint target = now_ + by;
    while (RingOneDueBy(std::max(target, now_))) {
    }
    now_ = std::max(now_, target);
}

bool ManualClock::RunNextAlarm()
{
    const TimePoint next = NextAlarm();
    if (next == TimePoint::max()) return false;
    return RingOneDueBy(std::max(next, now_));
}

}  // namespace platform
