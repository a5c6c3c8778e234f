#pragma once
// The time the program reads. A steady clock paces playback: it never jumps when the date or the
// time zone changes. The date and time of day serve only texts to the whole second.
//
// An Alarm calls its owner back on the user-interface thread once the clock has reached a given
// moment. Timers are built on alarms so that, on a test clock, they fire exactly when the test
// moves the time past them.

#include <chrono>
#include <functional>
#include <memory>

namespace platform {

class Alarm {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    virtual ~Alarm() = default;
    // Rings once, as soon as the clock reads `due` or later; a moment already past rings as soon as
    // the event loop (or the test clock) gets to it, never inside this call. Replaces any earlier
    // setting.
    virtual void Set(TimePoint due) = 0;
    virtual void Cancel() = 0;
};

class Clock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    using Duration = std::chrono::steady_clock::duration;
    using WallTime = std::chrono::system_clock::time_point;

    virtual ~Clock() = default;
    virtual TimePoint Now() const = 0;
    // The date and time of day.
    virtual WallTime WallNow() const = 0;
    // An alarm that runs `ring` each time it rings. It must not outlive the clock.
    virtual std::unique_ptr<Alarm> NewAlarm(std::function<void()> ring) = 0;
};

// The machine's clock: steady time from the system's monotonic clock; alarms over kernel timers
// set for their exact moments, which the event loop watches: the thread sleeps until its moment
// and rings at it or a little later, never earlier. Its date and time of day is the system's at
// start-up carried on by the steady clock, so that a change of the system date during a run moves
// nothing.
Clock& RealClock();

}  // namespace platform
