#pragma once
// Plucked-string synthesis for the program's sound clips: a tuned Karplus-Strong string (delay
// line, linear-phase loss filter and an all-pass that sets the exact pitch), a chord strummed from
// low string to high, and 16-bit PCM WAV output. Everything is deterministic: the same bytes on
// every run.

#include <array>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace clipgen {

inline constexpr int kSampleRate = 48000;
inline constexpr double kClipSeconds = 2.0;
inline constexpr double kRestSeconds = 0.1;
inline constexpr double kStrumStepSeconds = 0.007;  // between two strings of a strum

// Equal temperament, A4 (MIDI 69) = 440 Hz.
double MidiToHz(int midi);

// One plucked note of `samples` length; `seed` picks the pluck's noise.
std::vector<float> PluckNote(double hz, int samples, std::uint32_t seed);

// Frets per string (index 0 = string 1), -1 = not played; strummed from string 6 to string 1.
std::vector<float> StrumChord(const std::array<int, 6>& frets, int samples);

// Scales so the loudest sample reaches `peak` (of full scale), then rounds to 16 bits.
std::vector<std::int16_t> ToPcm16(const std::vector<float>& signal, float peak);

// Mono 16-bit PCM WAV at kSampleRate.
bool WriteWav(const std::filesystem::path& file, const std::vector<std::int16_t>& pcm);

}  // namespace clipgen
