#pragma once
// The real clip player, in three parts: the decoder and cache (clip_cache.h), the timeline and
// mixer (clip_mixer.h), and the output to the desktop's sound server (sound_output.h), which
// renders each buffer the server asks for and comes back by itself when the server does. Every
// clip of the preload folder is decoded in the background at construction, so LoadMovie never
// touches the disk for them.
//
// LoadMovie timestamps the request and hands it to the output's thread, which places the clip at
// the frame of the output stream heard at that moment:
// - a load made by scheduled work (a playback step, see platform::RunningDue) starts at the moment
//   that work fell due plus `playbackLatency`: a step late by up to `playbackLatency` still sounds
//   on its grid point, a later one starts as soon as the stream can take it;
// - any other load (a click) starts `startDelay` after the call, or as soon as the sink allows
//   where it plays further ahead than that (its start is never cut);
// - a load that reaches a stream only `staleAfter` after its moment (the server was stalled or
//   gone meanwhile) silences its layer instead of sounding late.
// For `quickAfterClick` after a click the output renders at its quick pace; otherwise at the
// steadier one, which costs fewer wake-ups while a song plays.
// The newest load of a layer wins (ClipMixer). A clip that is not decoded yet is decoded in the
// background and takes the place of the silence loaded for it meanwhile: it starts when that load
// asked, or as soon as it is ready if that is later, unless a later load has replaced it. After
// `idleAfter` without a clip sounding or a load waiting the output closes its stream, so silence
// costs neither the program nor the server anything; the next load opens one again.
// No server, a missing or damaged clip, anything but a regular file: silence, nothing reported.

#include "platform/flash/flash_control.h"
#include "platform/flash/sound_output.h"

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
        std::string preloadFolder;  // a "C:\..." folder whose clips are decoded at start
        std::chrono::microseconds startDelay{8500};        // from a click's LoadMovie to its first frame
        std::chrono::microseconds playbackLatency{25000};  // from a step's due moment to its first frame
        std::chrono::milliseconds staleAfter{250};
        std::chrono::milliseconds quickAfterClick{3000};  // how long the output keeps its quick pace
        sound::OutputOptions output;  // the server's side: interface, buffer sizes, idle close, retries
    };

    SoundFlash();
    explicit SoundFlash(Options options);
    ~SoundFlash() override;
    SoundFlash(const SoundFlash&) = delete;
    SoundFlash& operator=(const SoundFlash&) = delete;

    void LoadMovie(int layer, const std::string& path) override;

    // For tests and benches: blocks until the first attempt to connect to a server has ended
    // (either way) and the preload folder is decoded, or the timeout passes; returns whether that
    // happened. The stream itself opens only with a load.
    bool WaitUntilReady(std::chrono::milliseconds timeout) const;
    // "pulseaudio" or "pipewire" while connected to a server, whether a stream is open or not;
    // empty while there is none.
    std::string DriverName() const;
    // For benches: how often the server ran out of data, whether a stream is open now, whether
    // the audio thread got real-time scheduling, and how many connections were made so far.
    std::uint64_t Underflows() const;
    bool StreamOpen() const;
    bool RealtimeAudio() const;
    int Connections() const;

    // When a clip loaded at `now` starts in the stream, for a load made by work due at `due`.
    static TimePoint StartOf(TimePoint now, std::optional<TimePoint> due, const Options& options);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
