#pragma once
// The form's timer: while Enabled and Interval > 0 it runs its handler every Interval milliseconds
// on the user-interface thread. Tag is a free text the program keeps with it.
//
// It keeps time as a metronome does: every tick falls due on a grid counted from one moment on a
// steady clock, so the time a handler takes never shifts the ticks after it.
// - Arming it from rest (Enabled False to True), or changing Interval while it runs, starts a new
//   grid: inside the timer's own handler from the moment that tick was due, elsewhere from now.
//   StartFrom() starts a grid from a moment of the caller's choosing.
// - Setting the Interval it already has, or Enabled True while it runs, keeps the grid.
// - One tick at a time: a tick that falls due while the handler runs (in an event pump called
//   from the handler) waits until the handler returns, and runs then, late. Ticks that a long
//   handler lets pass altogether are not made up: the next tick falls on the latest grid point
//   passed, and the one after on the grid again.
// - While the handler runs, the grid point its tick fell due on is published (platform::RunningDue).

#include <functional>
#include <memory>
#include <string>

#include "platform/clock/clock.h"

namespace forms {

class Timer {
public:
    using TimePoint = platform::Clock::TimePoint;

    // On the machine's clock until UseClock() says otherwise.
    Timer();
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    int Interval() const;
    void SetInterval(int milliseconds);
    bool Enabled() const;
    void SetEnabled(bool enabled);
    const std::string& Tag() const;
    void SetTag(const std::string& tag);
    void OnTimer(std::function<void()> handler);

    // Enables the timer with its ticks counted from `origin`: the first falls due at origin plus
    // Interval (at once when that has passed).
    void StartFrom(TimePoint origin);
    // True while the handler runs.
    bool InTick() const;
    // The clock the ticks are timed on; a running timer starts a new grid on it from now.
    void UseClock(platform::Clock& clock);
    platform::Clock& GetClock() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace forms
