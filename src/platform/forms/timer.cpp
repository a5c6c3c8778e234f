#include "platform/forms/timer.h"

#include "platform/clock/due_time.h"

namespace forms {

struct Timer::Impl {
    using Duration = platform::Clock::Duration;

    platform::Clock* clock = nullptr;
    std::unique_ptr<platform::Alarm> alarm;
    std::unique_ptr<platform::Alarm> retired;  // kept while it may still be ringing us
    int interval = 0;
    bool enabled = false;
    std::string tag;
    std::function<void()> handler;

    TimePoint origin{};      // the grid's first point
    TimePoint next{};        // the next grid point a tick falls due on
    TimePoint currentDue{};  // the grid point of the tick that is running
    int ticking = 0;         // how many runs of the handler are on the stack (0 or 1)

    Duration Step() const { return std::chrono::milliseconds(interval); }
    bool Runs() const { return enabled && interval > 0; }

    void Attach(platform::Clock& c)
    {
        clock = &c;
        retired = std::move(alarm);
        if (retired) retired->Cancel();
        alarm = c.NewAlarm([this] { Ring(); });
    }

    // A new grid: inside a tick from the moment that tick was due, elsewhere from now.
    void RestartGrid() { StartGridAt(ticking > 0 ? currentDue : clock->Now()); }

    void StartGridAt(TimePoint at)
    {
        origin = at;
        next = at + Step();
    }

    // While a tick runs the alarm is left alone: the tick sets it when it returns.
    void Schedule()
    {
        if (ticking > 0) return;
        if (Runs())
            alarm->Set(next);
        else
            alarm->Cancel();
    }

    void Ring()
    {
        if (!Runs() || ticking > 0) return;  // a tick due during a tick waits for its return
        const TimePoint now = clock->Now();
        if (now < next) {
            alarm->Set(next);
            return;
        }
        // The latest grid point passed; any skipped ones are not made up.
        const auto passed = (now - origin) / Step();
        currentDue = origin + passed * Step();
        next = currentDue + Step();
        ++ticking;
        if (handler) {
            const platform::DueScope due(currentDue);
            auto run = handler;  // the handler may replace itself
            run();
        }
        --ticking;
        Schedule();
    }
};

Timer::Timer() : impl_(std::make_unique<Impl>()) { impl_->Attach(platform::RealClock()); }

Timer::~Timer() = default;

int Timer::Interval() const { return impl_->interval; }

void Timer::SetInterval(int milliseconds)
{
    if (milliseconds == impl_->interval) return;
    impl_->interval = milliseconds;
    if (impl_->enabled) impl_->RestartGrid();
    impl_->Schedule();
}

bool Timer::Enabled() const { return impl_->enabled; }

void Timer::SetEnabled(bool enabled)
{
    if (enabled == impl_->enabled) return;
    impl_->enabled = enabled;
    if (enabled) impl_->RestartGrid();
    impl_->Schedule();
}

const std::string& Timer::Tag() const { return impl_->tag; }
void Timer::SetTag(const std::string& tag) { impl_->tag = tag; }
void Timer::OnTimer(std::function<void()> handler) { impl_->handler = std::move(handler); }

void Timer::StartFrom(TimePoint origin)
{
    impl_->enabled = true;
    impl_->StartGridAt(origin);
    impl_->Schedule();
}

bool Timer::InTick() const { return impl_->ticking > 0; }

void Timer::UseClock(platform::Clock& clock)
{
    if (&clock == impl_->clock) return;
    impl_->Attach(clock);
    if (impl_->enabled) impl_->StartGridAt(clock.Now());
    impl_->Schedule();
}

platform::Clock& Timer::GetClock() const { return *impl_->clock; }

}  // namespace forms
