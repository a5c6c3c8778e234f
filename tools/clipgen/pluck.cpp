#include "pluck.h"

#include "resources/chord_voicings.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <numbers>

namespace clipgen {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kLowE = 82.40689;  // pitch of the open 6th string

// Small deterministic noise source (xorshift32), uniform in [-1, 1).
class Noise {
public:
    explicit Noise(std::uint32_t seed) : state_(seed ? seed : 0x9e3779b9u) {}
    double Next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<double>(state_) / 2147483648.0 - 1.0;
    }

private:
    std::uint32_t state_;
};

// Low notes ring longer and sound darker, as on a real guitar.
double RingSeconds(double hz) { return 5.0 * std::pow(kLowE / hz, 0.3); }
double LossTapWeight(double hz) { return std::clamp(0.22 - 0.07 * std::log2(hz / kLowE), 0.05, 0.22); }

// Phase delay in samples of the first-order all-pass (c + z^-1) / (1 + c z^-1) at w radians/sample.
double AllpassDelay(double c, double w)
{
    const double phase = std::atan2(-std::sin(w), c + std::cos(w)) -
                         std::atan2(-c * std::sin(w), 1.0 + c * std::cos(w));
    return -phase / w;
}

// The all-pass coefficient whose phase delay at w is `delay` (0 < delay < 2), by bisection:
// tuning at the fundamental itself, not only at low frequencies.
double AllpassForDelay(double delay, double w)
{
    double lo = -0.999, hi = 0.999;  // delay falls as c rises
    for (int i = 0; i < 60; ++i) {
        const double mid = 0.5 * (lo + hi);
        (AllpassDelay(mid, w) > delay ? lo : hi) = mid;
    }
    return 0.5 * (lo + hi);
}

// Pluck excitation: noise, softened by a low-pass, with the comb of a pick a fifth of the way
// along the string, and no DC (a DC offset would linger and end in a click).
std::vector<double> Excitation(int length, double hz, std::uint32_t seed)
{
    Noise noise(seed);
    std::vector<double> raw(static_cast<std::size_t>(length));
    const double smoothing = std::clamp(0.55 - 0.12 * std::log2(hz / kLowE), 0.15, 0.55);
    double state = 0.0;
    for (double& x : raw) {
        state = (1.0 - smoothing) * noise.Next() + smoothing * state;
        x = state;
    }
    const int pick = std::max(1, static_cast<int>(std::lround(0.2 * length)));
    std::vector<double> out(raw.size());
    for (int n = 0; n < length; ++n)
        out[static_cast<std::size_t>(n)] = raw[static_cast<std::size_t>(n)] -
                                           (n >= pick ? raw[static_cast<std::size_t>(n - pick)] : 0.0);
    double mean = 0.0;
    for (double x : out) mean += x;
    mean /= length;
    for (double& x : out) x -= mean;
    return out;
}

// Raised-cosine fade in over the first samples and out over the last, so a clip starts and ends
// without a click.
void ShapeEnds(std::vector<float>& signal, int fadeIn, int fadeOut)
{
    const int size = static_cast<int>(signal.size());
    for (int n = 0; n < std::min(fadeIn, size); ++n)
        signal[static_cast<std::size_t>(n)] *= static_cast<float>(0.5 - 0.5 * std::cos(kPi * n / fadeIn));
    for (int n = 0; n < std::min(fadeOut, size); ++n)
        signal[static_cast<std::size_t>(size - 1 - n)] *= static_cast<float>(0.5 - 0.5 * std::cos(kPi * n / fadeOut));
}

}  // namespace

double MidiToHz(int midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }

std::vector<float> PluckNote(double hz, int samples, std::uint32_t seed)
{
    const double period = kSampleRate / hz;
    const double w = 2.0 * kPi / period;

    // Loop: delay line of `length` samples, a symmetric 3-tap loss filter (delay exactly 1) and an
    // all-pass for the fraction left, so the loop's delay at the fundamental is exactly one period.
    const int length = static_cast<int>(std::floor(period - 1.0 - 0.2));
    const double allpass = AllpassForDelay(period - 1.0 - length, w);
    const double b0 = LossTapWeight(hz);
    const double b1 = 1.0 - 2.0 * b0;
    const double lossAtPitch = b1 + 2.0 * b0 * std::cos(w);
    const double gain = std::min(0.99995, std::pow(10.0, -3.0 / (hz * RingSeconds(hz))) / lossAtPitch);

    std::vector<double> line = Excitation(length, hz, seed);
    std::vector<float> out(static_cast<std::size_t>(samples));
    double tap1 = 0.0, tap2 = 0.0;     // the loss filter's two previous inputs
    double apIn = 0.0, apOut = 0.0;    // the all-pass's previous input and output
    double dcIn = 0.0, dcOut = 0.0;    // DC blocker state
    double smooth = 0.0;               // gentle output low-pass against the pluck's hiss
    int cursor = 0;
    for (int n = 0; n < samples; ++n) {
        const double delayed = line[static_cast<std::size_t>(cursor)];
        const double lossy = gain * (b0 * delayed + b1 * tap1 + b0 * tap2);
        tap2 = tap1;
        tap1 = delayed;
        const double tuned = allpass * lossy + apIn - allpass * apOut;
        apIn = lossy;
        apOut = tuned;
        line[static_cast<std::size_t>(cursor)] = tuned;
        cursor = (cursor + 1) % length;

        dcOut = delayed - dcIn + 0.995 * dcOut;
        dcIn = delayed;
        smooth += 0.6 * (dcOut - smooth);
        out[static_cast<std::size_t>(n)] = static_cast<float>(smooth);
    }
    ShapeEnds(out, kSampleRate / 1000, kSampleRate / 4);
    return out;
}

std::vector<float> StrumChord(const std::array<int, 6>& frets, int samples)
{
    std::vector<float> mix(static_cast<std::size_t>(samples), 0.0f);
    int offset = 0;
    for (int string = 5; string >= 0; --string) {
        const int fret = frets[static_cast<std::size_t>(string)];
        if (fret < 0) continue;
        const int midi = strumwell::kOpenStringMidi[static_cast<std::size_t>(string)] + fret;
        const auto note = PluckNote(MidiToHz(midi), samples - offset,
                                    static_cast<std::uint32_t>(1000 + 37 * string + midi));
        for (std::size_t i = 0; i < note.size(); ++i) mix[i + static_cast<std::size_t>(offset)] += note[i];
        offset += static_cast<int>(std::lround(kStrumStepSeconds * kSampleRate));
    }
    ShapeEnds(mix, 0, kSampleRate / 4);
    return mix;
}

std::vector<std::int16_t> ToPcm16(const std::vector<float>& signal, float peak)
{
    float loudest = 0.0f;
    for (float x : signal) loudest = std::max(loudest, std::fabs(x));
    const double scale = loudest > 0.0f ? peak / loudest : 0.0;
    std::vector<std::int16_t> pcm(signal.size());
    for (std::size_t i = 0; i < signal.size(); ++i)
        pcm[i] = static_cast<std::int16_t>(std::clamp(std::lround(signal[i] * scale * 32767.0), -32767L, 32767L));
    return pcm;
}

bool WriteWav(const std::filesystem::path& file, const std::vector<std::int16_t>& pcm)
{
    std::vector<unsigned char> bytes;
    auto put = [&bytes](std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i) bytes.push_back(static_cast<unsigned char>((value >> (8 * i)) & 0xff));
    };
    auto tag = [&bytes](const char* text) { bytes.insert(bytes.end(), text, text + 4); };
    const auto dataBytes = static_cast<std::uint32_t>(pcm.size() * 2);
    tag("RIFF");
    put(36 + dataBytes, 4);
    tag("WAVE");
    tag("fmt ");
    put(16, 4);
    put(1, 2);                    // PCM
    put(1, 2);                    // mono
    put(kSampleRate, 4);
    put(kSampleRate * 2, 4);      // bytes per second
    put(2, 2);                    // bytes per frame
    put(16, 2);                   // bits per sample
    tag("data");
    put(dataBytes, 4);
    for (std::int16_t sample : pcm) put(static_cast<std::uint16_t>(sample), 2);

    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace clipgen
