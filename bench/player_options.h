#pragma once
// The clip player's options for a sound bench, with the experiments the environment asks for:
//   STRUMWELL_BENCH_INTERFACE=pulse|pipewire   one interface only (default: as the program picks)
//   STRUMWELL_BENCH_PULSE_SINK=N               how far ahead the PulseAudio sink takes frames
//   STRUMWELL_BENCH_PULSE_REQUEST=N            what PulseAudio asks for at a time
//   STRUMWELL_BENCH_QUANTUM=N                  the quantum asked of PipeWire
// (each for the quick pace; with _STEADY after the name, for the steady one)
//   STRUMWELL_BENCH_DELAY_US=N                 a click's start after its call
//   STRUMWELL_BENCH_QUICK_FOR_MS=N             how long a click keeps the quick pace (0: clicks come
//                                              in the steady pace, as one made while a song plays)

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
        number(("STRUMWELL_BENCH_PULSE_SINK" + std::string(suffix)).c_str(), pace->pulseSinkFrames);
        number(("STRUMWELL_BENCH_PULSE_REQUEST" + std::string(suffix)).c_str(), pace->pulseRequestFrames);
        number(("STRUMWELL_BENCH_QUANTUM" + std::string(suffix)).c_str(), pace->pipewireQuantum);
    }
    if (const char* delay = std::getenv("STRUMWELL_BENCH_DELAY_US")) options.startDelay = std::chrono::microseconds(std::atoi(delay));
    if (const char* quick = std::getenv("STRUMWELL_BENCH_QUICK_FOR_MS"))
        options.quickAfterClick = std::chrono::milliseconds(std::atoi(quick));
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
    std::printf("  player: through %s; PulseAudio sink %d/%d frames ahead, asked for %d/%d at a time; PipeWire quantum"
                " %d/%d (quick/steady); a click starts %lld us after its call and keeps the quick pace %lld ms; audio thread %s\n",
                player.DriverName().c_str(), quick.pulseSinkFrames, steady.pulseSinkFrames, quick.pulseRequestFrames,
                steady.pulseRequestFrames, quick.pipewireQuantum, steady.pipewireQuantum,
                static_cast<long long>(options.startDelay.count()), static_cast<long long>(options.quickAfterClick.count()),
                player.RealtimeAudio() ? "in real time" : "at normal priority (real time refused)");
}

}  // namespace bench
