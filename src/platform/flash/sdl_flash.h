#pragma once
// The real clip player: SDL2 audio through the desktop's sound server (PulseAudio, or PipeWire's
// pulse interface). One output device is opened once, in the background, at construction; every
// clip of the preload folder is decoded there too, so LoadMovie never touches the disk for them.
//
// LoadMovie only timestamps the request and hands it to the audio callback, which starts the
// clip exactly `startDelay` after the call in the output stream, whatever buffer boundary comes
// next: clicks and playback steps sound as evenly as they were made. A clip that is not decoded
// yet is decoded in the background and started as soon as it is ready, unless a later load has
// replaced it. No device, no server, a missing or damaged clip: silence, nothing reported.

#include "platform/flash/flash_control.h"

#include <chrono>
#include <memory>
#include <string>

namespace platform {

class SoundFlash final : public FlashControl {
public:
    struct Options {
        std::string preloadFolder;      // a "C:\..." folder whose clips are decoded at start
        int bufferFrames = 128;         // frames per audio callback
        std::chrono::microseconds startDelay{4500};  // from LoadMovie to the clip's first frame in the stream
        std::string driver;             // SDL audio driver to use; empty: SDL's choice, then "dummy"
    };

    SoundFlash();
    explicit SoundFlash(Options options);
    ~SoundFlash() override;
    SoundFlash(const SoundFlash&) = delete;
    SoundFlash& operator=(const SoundFlash&) = delete;

    void LoadMovie(int layer, const std::string& path) override;

    // For tests and benches: blocks until the device is open and the preload folder decoded (or
    // the timeout passes); returns whether that happened.
    bool WaitUntilReady(std::chrono::milliseconds timeout) const;
    // The SDL driver that plays ("pulseaudio", "dummy", ...), empty when there is no output.
    std::string DriverName() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
