#pragma once
// The moment the scheduled work now running on this thread fell due. A timer's tick publishes the
// grid point it was due on, so that what the tick sets off (a clip started by a playback step) can
// be placed on that moment rather than on whenever the busy machine let the tick run. Work that
// runs unscheduled (an input event, also one handled in a tick's event pump) sees none.

#include <optional>

#include "platform/clock/clock.h"

namespace platform {

// The due moment published on this thread, if any: the innermost DueScope's.
std::optional<Clock::TimePoint> RunningDue();

// Publishes `due` (or none) on this thread for its lifetime, then restores what was published.
class DueScope {
public:
    explicit DueScope(std::optional<Clock::TimePoint> due);
    ~DueScope();
    DueScope(const DueScope&) = delete;
    DueScope& operator=(const DueScope&) = delete;

private:
    std::optional<Clock::TimePoint> outer_;
};

}  // namespace platform
