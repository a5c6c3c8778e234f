#pragma once
// Small measuring tools for the sound tests: a WAV reader, a pitch detector (YIN's cumulative mean
// normalised difference) and the level of one frequency (a Hann-windowed single-bin DFT).

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

namespace sound_test {

struct Wav {
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    std::vector<float> samples;  // first channel, -1..1
    double seconds() const { return sampleRate ? static_cast<double>(samples.size()) / sampleRate : 0.0; }
    // How many samples `duration` seconds of it hold.
    std::size_t Frames(double duration) const { return static_cast<std::size_t>(std::lround(duration * sampleRate)); }
};

inline std::uint32_t ReadLe(const std::vector<unsigned char>& b, std::size_t at, int size)
{
    std::uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i) v = (v << 8) | b[at + static_cast<std::size_t>(i)];
    return v;
}

// Reads 16-bit PCM WAV; nullopt for anything else.
inline std::optional<Wav> ReadWav(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    const std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (b.size() < 12 || std::string(b.begin(), b.begin() + 4) != "RIFF" ||
        std::string(b.begin() + 8, b.begin() + 12) != "WAVE")
        return std::nullopt;
    Wav wav;
    for (std::size_t at = 12; at + 8 <= b.size();) {
        const std::string id(b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + 4));
        const std::size_t size = ReadLe(b, at + 4, 4);
        const std::size_t body = at + 8;
        if (body + size > b.size()) return std::nullopt;
        if (id == "fmt ") {
            if (ReadLe(b, body, 2) != 1) return std::nullopt;
            wav.channels = static_cast<int>(ReadLe(b, body + 2, 2));
            wav.sampleRate = static_cast<int>(ReadLe(b, body + 4, 4));
            wav.bitsPerSample = static_cast<int>(ReadLe(b, body + 14, 2));
        } else if (id == "data") {
            if (wav.bitsPerSample != 16 || wav.channels < 1) return std::nullopt;
            const std::size_t frame = 2 * static_cast<std::size_t>(wav.channels);
            for (std::size_t i = body; i + frame <= body + size; i += frame)
                wav.samples.push_back(static_cast<std::int16_t>(ReadLe(b, i, 2)) / 32768.0f);
            return wav;
        }
        at = body + size + (size & 1);
    }
    return std::nullopt;
}

inline std::vector<float> Slice(const std::vector<float>& x, std::size_t from, std::size_t count)
{
    if (from >= x.size()) return {};
    return {x.begin() + static_cast<std::ptrdiff_t>(from),
            x.begin() + static_cast<std::ptrdiff_t>(std::min(x.size(), from + count))};
}

inline double Rms(const std::vector<float>& x)
{
    double sum = 0.0;
    for (float v : x) sum += static_cast<double>(v) * v;
    return x.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(x.size()));
}

// Fundamental in Hz of a steady stretch, searched between minHz and maxHz; 0 when none is found.
inline double PitchHz(const std::vector<float>& x, int sampleRate, double minHz = 40.0, double maxHz = 2000.0)
{
    const int maxLag = static_cast<int>(sampleRate / minHz);
    const int minLag = static_cast<int>(sampleRate / maxHz);
    const int window = static_cast<int>(x.size()) - maxLag - 2;
    if (window < maxLag) return 0.0;
    std::vector<double> d(static_cast<std::size_t>(maxLag + 2), 0.0);
    for (int lag = 1; lag <= maxLag + 1; ++lag) {
        double sum = 0.0;
        for (int j = 0; j < window; ++j) {
            const double diff = x[static_cast<std::size_t>(j)] - x[static_cast<std::size_t>(j + lag)];
            sum += diff * diff;
        }
        d[static_cast<std::size_t>(lag)] = sum;
    }
    // Cumulative mean normalised difference; the first dip under the threshold is the period.
    std::vector<double> cmnd(d.size(), 1.0);
    double running = 0.0;
    for (std::size_t lag = 1; lag < d.size(); ++lag) {
        running += d[lag];
        cmnd[lag] = running > 0.0 ? d[lag] * static_cast<double>(lag) / running : 1.0;
    }
    for (int lag = std::max(2, minLag); lag <= maxLag; ++lag) {
        const auto l = static_cast<std::size_t>(lag);
        if (cmnd[l] < 0.15 && cmnd[l] <= cmnd[l + 1] && cmnd[l] <= cmnd[l - 1]) {
            const double a = d[l - 1], b = d[l], c = d[l + 1];
            const double shift = (a - 2 * b + c) != 0.0 ? 0.5 * (a - c) / (a - 2 * b + c) : 0.0;
            return sampleRate / (lag + shift);
        }
    }
    return 0.0;
}

// Amplitude of the component at hz (Hann window, so leakage from neighbours stays small).
inline double LevelAt(const std::vector<float>& x, int sampleRate, double hz)
{
    double re = 0.0, im = 0.0, weight = 0.0;
    const double n = static_cast<double>(x.size());
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double w = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * static_cast<double>(i) / n);
        const double phase = 2 * std::numbers::pi * hz * static_cast<double>(i) / sampleRate;
        re += w * x[i] * std::cos(phase);
        im -= w * x[i] * std::sin(phase);
        weight += w;
    }
    return 2.0 * std::hypot(re, im) / weight;
}

}  // namespace sound_test
