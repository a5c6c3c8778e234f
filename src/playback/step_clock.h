#pragma once
// The step clock's inner workings, shared by the playback step and the tempo code.

#include <optional>
#include <string>

#include "platform/clock/clock.h"

namespace strumwell {
class Strumwellfrm;
}

namespace strumwell::playback {

// The shortest step the clock keeps: a song file can bring any tempo, and a step of nothing
// (a tempo below 2) would leave no time between steps for anything else.
inline constexpr int kShortestStepMs = 50;

// Timer1.Interval for a step of `interval` ms: to the nearest whole ms, a half to the even one,
// and never below the shortest step.
int StepInterval(double interval);

// What StartStepTimer does. A step that runs outside the clock's own tick (PLAY's first step)
// starts the run's grid at `stepStarted`, the moment it began; a step inside a tick keeps the
// grid, or starts a new one from that tick when the interval changes.
void ArmStepTimer(Strumwellfrm& w, double interval, int seconds,
                  std::optional<platform::Clock::TimePoint> stepStarted);

// The deadline text: the date and time in UTC to the whole second, "2024-03-04 10:00:05 UTC".
std::string DeadlineText(platform::Clock::WallTime at);
// The whole seconds from `now` (cut to its second) to a deadline text; 0 for a text that is not one.
long long SecondsLeft(const std::string& deadline, platform::Clock::WallTime now);

}  // namespace strumwell::playback
