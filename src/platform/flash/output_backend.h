#pragma once
// One connection of the output to a sound server, through one interface. Made by a Connect
// function, which blocks until the server has answered (or not); it then runs a thread of its own
// that opens a stream when woken with something to play, renders each buffer the server asks for
// from the source, and closes the stream after a while of silence. When the connection breaks it
// says so (Host::Lost, from its own thread) and does nothing more; the output destroys it.

#include "platform/flash/clip_cache.h"
#include "platform/flash/sound_output.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

namespace platform::sound {

struct BackendHost {
    OutputSource& source;
    const OutputOptions& options;
    std::function<void()> lost;              // called once, from the backend's thread
    const std::atomic<bool>& giveUp;         // the output is closing: stop waiting
};

class Backend {
public:
    virtual ~Backend() = default;
    virtual const char* Name() const = 0;
    // Thread-safe and never blocks: the backend's thread opens a stream if the source wants one.
    virtual void Wake() = 0;
    virtual bool StreamOpen() const = 0;
    std::uint64_t Underflows() const { return underflows_.load(std::memory_order_relaxed); }
    bool Realtime() const { return realtime_.load(std::memory_order_relaxed); }

protected:
    std::atomic<std::uint64_t> underflows_{0};
    std::atomic<bool> realtime_{false};
};

using Deadline = std::chrono::steady_clock::time_point;

// nullptr when no such server answers by `deadline` (or the host gives up), and, with
// `notPipeWire`, when the server is PipeWire's pulse interface.
std::unique_ptr<Backend> ConnectPulse(BackendHost host, Deadline deadline, bool notPipeWire);
// nullptr also when the PipeWire server has no audio sink; `answered` says whether it answered.
std::unique_ptr<Backend> ConnectPipeWire(BackendHost host, Deadline deadline, bool& answered);

}  // namespace platform::sound
