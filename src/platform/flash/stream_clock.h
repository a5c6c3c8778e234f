#pragma once
// When the frames of an output stream (or the ticks of a server's graph) are heard, on the steady
// clock: position p at zero + p / rate. The output reads the server's timing with every buffer it
// renders ("position p is heard at ns"); the readings jitter by the server's and the machine's
// scheduling, and the sink's clock may run a little off ours, so the clock follows them slowly,
// and only a reading that stays far off (a stalled or restarted server, a new sink) sets it
// afresh. No reading is taken for earlier than `earliest`: a buffer still to be rendered is not
// heard before it exists. A server that resumes after a stall may claim so, as it works off the
// time it stood still as fast as it can; the clock then starts afresh from now.
// Not thread-safe: the output's thread owns it.

#include <cstdint>
#include <optional>

namespace platform::sound {

class StreamClock {
public:
    // The clock's reading of when `frame` is heard, after folding in the server's `reading` for
    // it, which cannot be before `earliest`.
    std::int64_t Update(std::int64_t frame, std::int64_t reading, std::int64_t earliest);
    // When `frame` is heard on the clock as it stands (Update must have been called once).
    std::int64_t HeardAt(std::int64_t frame) const;
    // The frame heard at `ns` (rounded to the nearest).
    std::int64_t FrameAt(std::int64_t ns) const;
    bool Set() const { return zero_.has_value(); }
    // Whether the clock can be trusted to the tolerance: its first reading, or the last few
    // readings agreed with it; not just set afresh after a jump (while a server works off a
    // stall, its readings jump again and again).
    bool Settled() const { return zero_ && (!jumped_ || readings_ >= kSettledAfter); }
    void Reset();

    // A reading this close to the clock is jitter; one further off, several times in a row, or
    // very far off once, means the stream's timing moved.
    static constexpr std::int64_t kTolerance = 2'000'000;
    static constexpr std::int64_t kJump = 20'000'000;
    static constexpr int kJumpsInARow = 3;
    static constexpr int kSmoothing = 16;  // a reading moves the clock by 1/16 of its error
    static constexpr int kSettledAfter = 4;

private:
    void SetAt(std::int64_t frame, std::int64_t ns);
    std::optional<double> zero_;  // when frame 0 is (or would have been) heard
    int readings_ = 0;            // readings behind the clock, up to kSmoothing
    int jumps_ = 0;
    bool jumped_ = false;  // set afresh since its first reading
};

}  // namespace platform::sound
