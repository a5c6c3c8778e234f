#pragma once
// The real clip player: one output stream on the desktop's sound server (PulseAudio, or PipeWire's
// pulse interface), through the server's own client library. The connection is made in the
// background at construction, and every clip of the preload folder is decoded there too, so
// LoadMovie never touches the disk for them; the stream itself opens with the first load.
//
// LoadMovie timestamps the request and places the clip at the frame of the output stream that the
// sink plays at that moment, rewriting what the server already holds from there on (the stream
// keeps a long queue at the server, so a busy machine does not starve it, while every clip still
// starts a short, fixed time after its load):
// - a load made by scheduled work (a playback step, see platform::RunningDue) starts at the moment
//   that work fell due plus `playbackLatency`: a step late by up to `playbackLatency` (less the
//   few milliseconds by which the sink plays ahead of the stream) still sounds on its grid point,
//   a later one starts as soon as the stream can take it;
// - any other load (a click) starts `startDelay` after the call.
// The newest load of a layer wins: it drops whatever that layer still had to start (beyond the
// few milliseconds the sink plays ahead), even a load that would have started sooner. A clip that
// is not decoded yet is decoded in the background and takes the place of the silence loaded for
// it meanwhile: it starts when that load asked, or as soon as it is ready if that is later,
// unless a later load has replaced it. After `idleAfter` without a clip sounding or a load
// starting (a rest counts as a load) the stream is closed, so silence costs neither the program
// nor the server anything (a corked stream would still hold the server's output to its short
// buffer); the next load opens one again, and its clip is placed as soon as the server has told
// the new stream's timing, so that it starts as exactly as any other.
// No server, a missing or damaged clip, anything but a regular file: silence, nothing reported.

#include "platform/flash/flash_control.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace platform {

class SoundFlash final : public FlashControl {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    struct Options {
        std::string preloadFolder;      // a "C:\..." folder whose clips are decoded at start
        int bufferFrames = 1920;        // frames the stream keeps queued at the server
        int requestFrames = 128;        // frames the server asks for at a time (and the sink's latency)
        std::chrono::microseconds startDelay{8500};        // from a click's LoadMovie to its first frame
        std::chrono::microseconds playbackLatency{25000};  // from a step's due moment to its first frame
        std::chrono::milliseconds idleAfter{2000};         // quiet time before the stream is closed
    };

    SoundFlash();
    explicit SoundFlash(Options options);
    ~SoundFlash() override;
    SoundFlash(const SoundFlash&) = delete;
    SoundFlash& operator=(const SoundFlash&) = delete;

    void LoadMovie(int layer, const std::string& path) override;

    // For tests and benches: blocks until the connection to the server is made or given up and the
    // preload folder decoded (or the timeout passes); returns whether that happened. The stream
    // itself opens only with a load.
    bool WaitUntilReady(std::chrono::milliseconds timeout) const;
    // "pulseaudio" once connected to a server, whether a stream is open or not; empty when there is
    // no output.
    std::string DriverName() const;
    // For benches: how often the server ran out of data, whether a stream is open now, and whether
    // the audio thread got real-time scheduling.
    std::uint64_t Underflows() const;
    bool StreamOpen() const;
    bool RealtimeAudio() const;

    // When a clip loaded at `now` starts in the stream, for a load made by work due at `due`.
    static TimePoint StartOf(TimePoint now, std::optional<TimePoint> due, const Options& options);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
