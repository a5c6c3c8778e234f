#include "platform/forms/timer.h"

#include <QTimer>

namespace forms {

struct Timer::Impl {
    QTimer timer;
    int interval = 0;
    bool enabled = false;
    std::string tag;
    std::function<void()> handler;

    void Apply()
    {
        if (enabled && interval > 0)
            timer.start(interval);
        else
            timer.stop();
    }
};

Timer::Timer() : impl_(std::make_unique<Impl>())
{
    impl_->timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&impl_->timer, &QTimer::timeout, &impl_->timer, [this] {
        if (impl_->handler) impl_->handler();
    });
}

Timer::~Timer() = default;

int Timer::Interval() const { return impl_->interval; }
void Timer::SetInterval(int milliseconds)
{
    impl_->interval = milliseconds;
    impl_->Apply();
}
bool Timer::Enabled() const { return impl_->enabled; }
void Timer::SetEnabled(bool enabled)
{
    impl_->enabled = enabled;
    impl_->Apply();
}
const std::string& Timer::Tag() const { return impl_->tag; }
void Timer::SetTag(const std::string& tag) { impl_->tag = tag; }
void Timer::OnTimer(std::function<void()> handler) { impl_->handler = std::move(handler); }

}  // namespace forms
