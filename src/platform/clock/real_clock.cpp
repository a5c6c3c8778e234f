#include "platform/clock/clock.h"

#include <QCoreApplication>
#include <QObject>
#include <QTimer>

namespace platform {

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

// How long before its moment an alarm's Qt timer wakes it. Qt's precise timers wake within about
// a millisecond, never early; a thread woken from sleep on a busy machine may wait several
// milliseconds more for a processor. So the alarm wakes early and stays awake to its moment: it
// goes on handling events (input, paints) until just before it, so that the user interface stays
// live and little is left pending for the event pump of whatever the alarm runs, and waits out the
// last stretch without handling anything.
constexpr auto kWakeLead = std::chrono::microseconds(3000);
constexpr auto kQuietStretch = std::chrono::microseconds(200);

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
        if (!armed_ || waking_) return;  // while waking, an event handled here may set it again
        waking_ = true;
        // Events handled here may set the alarm again or cancel it: due_ and armed_ are read afresh.
        while (armed_ && due_ - steady_clock::now() > kQuietStretch) {
            if (due_ - steady_clock::now() > kWakeLead * 2) {  // set later meanwhile, or cut short
                waking_ = false;
                StartQtTimer();
                return;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        }
        waking_ = false;
        if (!armed_) return;
        while (steady_clock::now() < due_) {
        }
        armed_ = false;
        timer_.stop();  // a restart made while waking is served by this ring
        ring_();        // may set this alarm again
    }

    std::function<void()> ring_;
    QTimer timer_;
    TimePoint due_{};
    bool armed_ = false;
    bool waking_ = false;
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
