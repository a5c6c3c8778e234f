#pragma once
// A native PipeWire capture of the default sink's monitor for the sound benches. Its buffers are
// taken in PipeWire's real-time thread, in the graph cycle that carries them, and stamped with the
// monotonic time that cycle began by the graph's own clock; so a busy machine, which delays when
// a recorder's thread gets to run, moves none of the stamps.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace bench {

class PipeWireMonitor {
public:
    // One graph cycle's buffer: its mono 16-bit samples at 48 kHz, the samples lost just before it
    // (this recorder fell behind; 0 as a rule) and the monotonic time its cycle began, in ns.
    // Called on a thread of the recorder's own, never in the real-time thread.
    using Deliver = std::function<void(const std::int16_t* samples, std::size_t count, std::size_t lostBefore,
                                       std::int64_t cycleNs)>;

    PipeWireMonitor();
    ~PipeWireMonitor();
    PipeWireMonitor(const PipeWireMonitor&) = delete;
    PipeWireMonitor& operator=(const PipeWireMonitor&) = delete;

    // Connects (starting no server) and links to the default sink's monitor. `latencyFrames`: the
    // latency the stream asks of the graph; 0 makes it passive, holding the sink to nothing and
    // keeping it from no suspend.
    bool Start(int latencyFrames, Deliver deliver);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace bench
