#pragma once
// The clip player's options for a sound bench, with the experiments the environment asks for:
//   STRUMWELL_BENCH_INTERFACE=pulse|pipewire   one interface only (default: as the program picks)
//   STRUMWELL_BENCH_PULSE_FRAMES=N             the PulseAudio stream's target length in frames
//   STRUMWELL_BENCH_PULSE_REQUEST=N            what PulseAudio asks for at a time
//   STRUMWELL_BENCH_QUANTUM=N                  the quantum asked of PipeWire
// (each for the quick pace; with _STEADY after the name, for the steady one)
//   STRUMWELL_BENCH_DELAY_US=N                 a click's start after its call

#include "platform/flash/sound_flash.h"

#include "installed_clips.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

namespace bench {

inline platform::SoundFlash::Options PlayerOptions()
{
    platform::SoundFlash::Options options;
    options.preloadFolder = bench::InstalledClips();
    const auto number = [](const char* name, int& into) {
        if (const char* text = std::getenv(name)) into = std::atoi(text);
    };
    for (auto [pace, suffix] : {std::pair{&options.output.quick, ""}, std::pair{&options.output.steady, "_STEADY"}}) {
        number(("STRUMWELL_BENCH_PULSE_FRAMES" + std::string(suffix)).c_str(), pace->pulseBufferFrames);
        number(("STRUMWELL_BENCH_PULSE_REQUEST" + std::string(suffix)).c_str(), pace->pulseRequestFrames);
        number(("STRUMWELL_BENCH_QUANTUM" + std::string(suffix)).c_str(), pace->pipewireQuantum);
    }
    if (const char* delay = std::getenv("STRUMWELL_BENCH_DELAY_US")) options.startDelay = std::chrono::microseconds(std::atoi(delay));
    const std::string use = std::getenv("STRUMWELL_BENCH_INTERFACE") ? std::getenv("STRUMWELL_BENCH_INTERFACE") : "";
    if (use == "pulse") options.output.use = platform::sound::Interface::kPulse;
    if (use == "pipewire") options.output.use = platform::sound::Interface::kPipeWire;
    return options;
}

// One line that says how the player is set up.
inline void PrintPlayerOptions(const platform::SoundFlash::Options& options, const platform::SoundFlash& player)
{
    const auto& quick = options.output.quick;
    const auto& steady = options.output.steady;
    std::printf("  player: through %s; PulseAudio queue %d/%d frames, asked for %d/%d at a time; PipeWire quantum"
                " %d/%d (quick/steady); a click starts %lld us after its call; audio thread %s\n",
                player.DriverName().c_str(), quick.pulseBufferFrames, steady.pulseBufferFrames, quick.pulseRequestFrames,
                steady.pulseRequestFrames, quick.pipewireQuantum, steady.pipewireQuantum,
                static_cast<long long>(options.startDelay.count()),
                player.RealtimeAudio() ? "in real time" : "at normal priority (real time refused)");
}

}  // namespace bench
