#include "platform/clock/clock.h"

#include <QObject>
#include <QTimer>

#include <cerrno>
#include <ctime>

namespace platform {

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

// How long before its moment an alarm's Qt timer wakes it; the rest is slept out on the spot.
// Qt's precise timers wake within about a millisecond, never early.
constexpr auto kWakeLead = std::chrono::microseconds(3000);
// The last stretch before the moment is waited out awake: a sleeper takes tens of microseconds to
// get the processor back.
constexpr auto kAwakeStretch = std::chrono::microseconds(150);

// Sleeps on the system's monotonic clock (the steady clock's) until `due`. A sleeper woken by the
// kernel's high-resolution timer gets the processor back within tens of microseconds even on a
// busy machine, where a busy wait would be preempted.
void SleepUntil(steady_clock::time_point due)
{
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(due.time_since_epoch()).count();
    timespec at{};
    at.tv_sec = static_cast<time_t>(ns / 1000000000);
    at.tv_nsec = static_cast<long>(ns % 1000000000);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
    }
}

class RealAlarm final : public Alarm {
public:
    explicit RealAlarm(std::function<void()> ring) : ring_(std::move(ring))
    {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { Wake(); });
    }

    void Set(TimePoint due) override
    {
        due_ = due;
        armed_ = true;
        StartQtTimer();
    }

    void Cancel() override
    {
        armed_ = false;
        timer_.stop();
    }

private:
    void StartQtTimer()
    {
        const auto lead = due_ - steady_clock::now() - kWakeLead;
        const auto ms = lead > steady_clock::duration::zero()
                            ? std::chrono::duration_cast<milliseconds>(lead).count()
                            : 0;
        timer_.start(static_cast<int>(std::min<long long>(ms, 24LL * 3600 * 1000)));
    }

    void Wake()
    {
        if (!armed_) return;
        const auto left = due_ - steady_clock::now();
        if (left > kWakeLead * 2) {  // a long wait cut short by the timer's range
            StartQtTimer();
            return;
        }
        SleepUntil(due_ - kAwakeStretch);
        while (steady_clock::now() < due_) {
        }
        armed_ = false;
        ring_();  // may set this alarm again
    }

    std::function<void()> ring_;
    QTimer timer_;
    TimePoint due_{};
    bool armed_ = false;
};

class SteadyClock final : public Clock {
public:
    TimePoint Now() const override { return steady_clock::now(); }
    WallTime WallNow() const override
    {
        return wallAtStart_ + std::chrono::duration_cast<std::chrono::system_clock::duration>(
                                  steady_clock::now() - steadyAtStart_);
    }
    std::unique_ptr<Alarm> NewAlarm(std::function<void()> ring) override
    {
        return std::make_unique<RealAlarm>(std::move(ring));
    }

private:
    TimePoint steadyAtStart_ = steady_clock::now();
    WallTime wallAtStart_ = std::chrono::system_clock::now();
};

}  // namespace

Clock& RealClock()
{
    static SteadyClock clock;
    return clock;
}

}  // namespace platform
