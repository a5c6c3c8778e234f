#include "platform/flash/stream_clock.h"

#include "platform/flash/clip_cache.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace platform::sound {
namespace {
constexpr double kNsPerFrame = 1e9 / kRate;
}  // namespace

std::int64_t StreamClock::Update(std::int64_t frame, std::int64_t reading, std::int64_t earliest)
{
    const std::int64_t ns = std::max(reading, earliest);
    if (!zero_) {
        SetAt(frame, ns);
        return HeardAt(frame);
    }
    const std::int64_t predicted = HeardAt(frame);
    const std::int64_t error = ns - predicted;
    const bool behind = predicted < earliest - kTolerance;
    if (!behind && std::llabs(error) < kTolerance) {
        // The first readings are averaged, so that a new stream's clock settles at once.
        readings_ = std::min(readings_ + 1, kSmoothing);
        *zero_ += static_cast<double>(error) / readings_;
        jumps_ = 0;
    } else if (behind || std::llabs(error) >= kJump || ++jumps_ >= kJumpsInARow) {
        SetAt(frame, ns);
        jumped_ = true;
    }
    return HeardAt(frame);
}

std::int64_t StreamClock::HeardAt(std::int64_t frame) const
{
    return std::llround(*zero_ + static_cast<double>(frame) * kNsPerFrame);
}

std::int64_t StreamClock::FrameAt(std::int64_t ns) const
{
    return std::llround((static_cast<double>(ns) - *zero_) / kNsPerFrame);
}

void StreamClock::SetAt(std::int64_t frame, std::int64_t ns)
{
    zero_ = static_cast<double>(ns) - static_cast<double>(frame) * kNsPerFrame;
    readings_ = 1;
    jumps_ = 0;
}

void StreamClock::Reset()
{
    zero_.reset();
    readings_ = 0;
    jumps_ = 0;
    jumped_ = false;
}

}  // namespace platform::sound
