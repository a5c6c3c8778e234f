#include "platform/clock/clock.h"

#include <QObject>
#include <QSocketNotifier>

#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>

namespace platform {

namespace {

using std::chrono::steady_clock;

// An alarm over a kernel timer (timerfd, on CLOCK_MONOTONIC, which the steady clock reads) set for
// its exact moment, watched by the event loop: the thread sleeps until the kernel wakes it, at the
// moment or later, never earlier. A busy machine may wake it a few milliseconds late; what a timer
// built on it runs still sees its grid point (platform::RunningDue), which is what the clip player
// places a playback step's sound on.
class RealAlarm final : public Alarm {
public:
    explicit RealAlarm(std::function<void()> ring)
        : ring_(std::move(ring)), fd_(timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC))
    {
        if (fd_ < 0) return;
        notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] { Wake(); });
    }

    ~RealAlarm() override
    {
        notifier_.reset();
        if (fd_ >= 0) ::close(fd_);
    }

    void Set(TimePoint due) override
    {
        due_ = due;
        armed_ = true;
        Arm(due);
    }

    void Cancel() override
    {
        armed_ = false;
        Arm(std::nullopt);
    }

private:
    // The kernel timer for `due` (a moment already past fires at once, in the event loop), or off.
    void Arm(std::optional<TimePoint> due)
    {
        if (fd_ < 0) return;
        itimerspec when{};
        if (due) {
            const auto ns = std::max<long long>(
                1, std::chrono::duration_cast<std::chrono::nanoseconds>(due->time_since_epoch()).count());
            when.it_value.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
            when.it_value.tv_nsec = static_cast<long>(ns % 1'000'000'000);
        }
        timerfd_settime(fd_, TFD_TIMER_ABSTIME, &when, nullptr);
    }

    void Wake()
    {
        std::uint64_t expirations = 0;
        [[maybe_unused]] const ssize_t got = ::read(fd_, &expirations, sizeof expirations);
        if (!armed_) return;
        if (steady_clock::now() < due_) {  // set later meanwhile
            Arm(due_);
            return;
        }
        armed_ = false;
        ring_();  // may set this alarm again
    }

    std::function<void()> ring_;
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
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
