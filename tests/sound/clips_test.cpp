// The generated clips: every note at the pitch of its string and fret, every chord sounding the
// notes of its voicing and none of its muted strings, a silent rest, all clean 16-bit WAV.
#include "audio_analysis.h"
#include "platform/drive/drive_mapping.h"
#include "resources/chord_voicings.h"
#include "support/expected_tables.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

namespace {

using sound_test::Wav;

std::filesystem::path ClipFile(const std::string& name)
{
    return platform::ResolveWindowsPath("C:\\Program Files\\Fretlane\\Strumwell\\" + name);
}

double MidiHz(int midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }

// Open-string pitches, string 1 to 6 (E4 B3 G3 D3 A2 E2), written out to test the generator.
constexpr std::array<int, 6> kOpenMidi{64, 59, 55, 50, 45, 40};

// A sounding clip: mono 16-bit, 1.5 to 2.5 s, not clipped, starting and ending near silence.
void ExpectCleanClip(const std::string& name, const Wav& wav)
{
    EXPECT_EQ(wav.channels, 1) << name;
    EXPECT_GE(wav.seconds(), 1.5) << name;
    EXPECT_LE(wav.seconds(), 2.5) << name;
    float peak = 0.0f;
    for (float v : wav.samples) peak = std::max(peak, std::fabs(v));
    EXPECT_GT(peak, 0.3f) << name;
    EXPECT_LT(peak, 0.99f) << name;
    EXPECT_LT(std::fabs(wav.samples.front()), 0.01f) << name;
    const auto tail = sound_test::Slice(wav.samples, wav.samples.size() - wav.Frames(0.01), wav.Frames(1.0));
    EXPECT_LT(sound_test::Rms(tail), 0.001) << name << ": ends with a click";
}

TEST(GeneratedClips, EveryNoteSoundsAtThePitchOfItsStringAndFret)
{
    for (std::size_t string = 0; string < 6; ++string) {
        for (int fret = 0; fret <= 12; ++fret) {
            const std::string name = strumwell::testing::kNoteClips[static_cast<std::size_t>(fret)][string];
            const auto wav = sound_test::ReadWav(ClipFile(name));
            ASSERT_TRUE(wav) << name << " is missing or not 16-bit PCM WAV";
            ExpectCleanClip(name, *wav);
            const double expected = MidiHz(kOpenMidi[string] + fret);
            const auto steady = sound_test::Slice(wav->samples, wav->Frames(0.1), wav->Frames(0.25));
            const double heard = sound_test::PitchHz(steady, wav->sampleRate);
            EXPECT_NEAR(heard, expected, expected * 0.005) << name;
        }
    }
}

TEST(GeneratedClips, RestIsShortSilence)
{
    const auto wav = sound_test::ReadWav(ClipFile("rest.swf"));
    ASSERT_TRUE(wav);
    EXPECT_GT(wav->samples.size(), 0u);
    EXPECT_LE(wav->seconds(), 0.5);
    EXPECT_EQ(sound_test::Rms(wav->samples), 0.0);
}

// Every string of the voicing is heard (a peak at its pitch, well above the quarter tones beside
// it), and a muted string's open pitch is not.
TEST(GeneratedClips, ChordsSoundTheirVoicing)
{
    for (const auto& chord : strumwell::kChordVoicings) {
        const std::string name = std::string(chord.token) + ".swf";
        const auto wav = sound_test::ReadWav(ClipFile(name));
        ASSERT_TRUE(wav) << name;
        ExpectCleanClip(name, *wav);
        const auto body = sound_test::Slice(wav->samples, wav->Frames(0.1), wav->Frames(1.5));
        auto level = [&](double hz) { return sound_test::LevelAt(body, wav->sampleRate, hz); };
        const double quarterTone = std::pow(2.0, 1.0 / 24.0);
        double weakest = 1.0;
        for (std::size_t s = 0; s < 6; ++s) {
            if (chord.frets[s] < 0) continue;
            const double hz = MidiHz(strumwell::kOpenStringMidi[s] + chord.frets[s]);
            const double at = level(hz);
            weakest = std::min(weakest, at);
            EXPECT_GT(at, 3.0 * std::max(level(hz / quarterTone), level(hz * quarterTone)))
                << name << ": string " << s + 1 << " at " << hz << " Hz";
        }
        for (std::size_t s = 0; s < 6; ++s) {
            if (chord.frets[s] >= 0) continue;
            EXPECT_LT(level(MidiHz(strumwell::kOpenStringMidi[s])), 0.1 * weakest)
                << name << ": muted string " << s + 1 << " sounds";
        }
    }
}

}  // namespace
