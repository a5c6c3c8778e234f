// The step clock and the tempo. Every playback step re-arms Timer1 with half a beat and a deadline
// five seconds ahead; each tick advances the position and flips Check1 to run the next step. STOP
// and PAUSE leave the clock alone: their steps no longer re-arm it, and it switches itself off at
// the first tick at or after the deadline.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>

#include "playback/captions.h"
#include "playback/step_clock.h"
#include "sheet/strumwellfrm.h"

namespace strumwell {

namespace playback {

int StepInterval(double interval)
{
    const double rounded = std::nearbyint(interval);  // the default rounding: a half to even
    return static_cast<int>(std::clamp(rounded, static_cast<double>(kShortestStepMs), 1.0e9));
}

std::string DeadlineText(platform::Clock::WallTime at)
{
    const std::time_t seconds = std::chrono::system_clock::to_time_t(
        std::chrono::floor<std::chrono::seconds>(at));
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &utc);
    return text;
}

long long SecondsLeft(const std::string& deadline, platform::Clock::WallTime now)
{
    std::tm utc{};
    char zone[4] = {};
    if (std::sscanf(deadline.c_str(), "%4d-%2d-%2d %2d:%2d:%2d %3s", &utc.tm_year, &utc.tm_mon,
                    &utc.tm_mday, &utc.tm_hour, &utc.tm_min, &utc.tm_sec, zone) != 7)
        return 0;
    utc.tm_year -= 1900;
    utc.tm_mon -= 1;
    const long long due = timegm(&utc);
    const long long current = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::floor<std::chrono::seconds>(now).time_since_epoch()).count();
    return due - current;
}

void ArmStepTimer(Strumwellfrm& w, double interval, int seconds,
                  std::optional<platform::Clock::TimePoint> stepStarted)
{
    forms::Timer& timer = w.Timer1;
    platform::Clock& clock = w.StepClock();
    timer.UseClock(clock);
    timer.SetTag(DeadlineText(clock.WallNow() + std::chrono::seconds(seconds)));
    timer.SetInterval(StepInterval(interval));
    if (stepStarted && !timer.InTick())
        timer.StartFrom(*stepStarted);
    else
        timer.SetEnabled(true);
}

}  // namespace playback

platform::Clock& Strumwellfrm::StepClock() const
{
    return *services.clock;
}

void Strumwellfrm::StartStepTimer(double interval, int seconds)
{
    playback::ArmStepTimer(*this, interval, seconds, std::nullopt);
}

void Strumwellfrm::Timer1_Timer()
{
    forms::DoEvents();
    const long long left = playback::SecondsLeft(Timer1.Tag(), StepClock().WallNow());
    playState.lblTimer.SetCaption(std::to_string(left));
    if (left < 1) {
        Timer1.SetEnabled(false);
        playState.cmdTimer.SetEnabled(true);
    }
    // Past the last cell the tick waits for a step to wrap; a caption the program cannot have
    // written counts the same.
    const auto position = playback::CaptionNumber(playState.lblConstant.Caption());
    if (!position || *position >= playback::kPastLastCell) return;
    playState.lblConstant.SetCaption(std::to_string(*position + 1));
    forms::DoEvents();
    playState.Check1.SetValue(playState.Check1.Value() == 0 ? 1 : 0);
}

// ---- tempo ----
// The speed bar keeps its bottom edge: a faster tempo shows as a taller bar. A bar that a song
// file has left shorter than its tempo would need shrinks to nothing and stays there, never below.
// A song file may also bring a height or top near the ends of int: the bar then moves only as far
// as both values can go, and stops there.

namespace {
constexpr int kFastest = 200;   // Faster stops here
constexpr int kSlowBound = 3350; // Slower goes on while below this, so 3400 is the slowest
constexpr int kTempoStep = 100;

// How far the bar may grow (Faster) or shrink (Slower) by one step, within int and, when
// shrinking, down to a height of 0.
int Growth(int height, int top)
{
    const long long room = std::min(static_cast<long long>(std::numeric_limits<int>::max()) - height,
                                    static_cast<long long>(top) - std::numeric_limits<int>::min());
    return static_cast<int>(std::clamp<long long>(room, 0, kTempoStep));
}
int Shrink(int height, int top)
{
    const long long room = std::min(static_cast<long long>(height),
                                    static_cast<long long>(std::numeric_limits<int>::max()) - top);
    return static_cast<int>(std::clamp<long long>(room, 0, kTempoStep));
}
}  // namespace

void Strumwellfrm::lblFaster_Click()
{
    if (NoteLength <= kFastest) return;
    NoteLength = static_cast<std::int16_t>(NoteLength - kTempoStep);
    const int grow = Growth(tempo.lblSpeed.Height(), tempo.lblSpeed.Top());
    tempo.lblSpeed.SetHeight(tempo.lblSpeed.Height() + grow);
    tempo.lblSpeed.SetTop(tempo.lblSpeed.Top() - grow);
}

void Strumwellfrm::lblSlower_Click()
{
    if (NoteLength >= kSlowBound) return;
    NoteLength = static_cast<std::int16_t>(NoteLength + kTempoStep);
    const int shrink = Shrink(tempo.lblSpeed.Height(), tempo.lblSpeed.Top());
    tempo.lblSpeed.SetHeight(tempo.lblSpeed.Height() - shrink);
    tempo.lblSpeed.SetTop(tempo.lblSpeed.Top() + shrink);
}

}  // namespace strumwell
