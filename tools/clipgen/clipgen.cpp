// Writes the 99 sound clips into the folder given on the command line: "rest.swf", the 20 chord
// clips and the 78 note clips (strings 1 to 6, frets 0 to 12). The files are 16-bit PCM WAV
// whatever their name says; the player reads them by their content.

#include "pluck.h"
#include "resources/chord_voicings.h"

#include <array>
#include <cstdio>
#include <string>
#include <system_error>

namespace {

constexpr std::array<const char*, 12> kNoteNames{"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
constexpr std::array<const char*, 6> kOrdinals{"1st", "2nd", "3rd", "4th", "5th", "6th"};

// "1stStringF#.swf" for frets 0..11; fret 12 names the open note after "Top": "1stStringTopE.swf".
std::string NoteClipName(int string, int fret)
{
    const int midi = strumwell::kOpenStringMidi[static_cast<std::size_t>(string)] + fret;
    const std::string note = kNoteNames[static_cast<std::size_t>(midi % 12)];
    return std::string(kOrdinals[static_cast<std::size_t>(string)]) + "String" + (fret == 12 ? "Top" : "") + note + ".swf";
}

bool Write(const std::filesystem::path& folder, const std::string& name, const std::vector<std::int16_t>& pcm)
{
    if (clipgen::WriteWav(folder / name, pcm)) return true;
    std::fprintf(stderr, "clipgen: cannot write %s\n", (folder / name).c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <clip folder>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder(argv[1]);
    std::error_code error;
    std::filesystem::create_directories(folder, error);

    constexpr int kClipSamples = static_cast<int>(clipgen::kClipSeconds * clipgen::kSampleRate);
    constexpr float kNotePeak = 0.6f;
    constexpr float kChordPeak = 0.7f;
    bool ok = Write(folder, "rest.swf",
                    std::vector<std::int16_t>(static_cast<std::size_t>(clipgen::kRestSeconds * clipgen::kSampleRate), 0));
    for (const auto& chord : strumwell::kChordVoicings)
        ok &= Write(folder, std::string(chord.token) + ".swf",
                    clipgen::ToPcm16(clipgen::StrumChord(chord.frets, kClipSamples), kChordPeak));
    for (int string = 0; string < 6; ++string) {
        for (int fret = 0; fret <= 12; ++fret) {
            const int midi = strumwell::kOpenStringMidi[static_cast<std::size_t>(string)] + fret;
            const auto note = clipgen::PluckNote(clipgen::MidiToHz(midi), kClipSamples,
                                                 static_cast<std::uint32_t>(7919 * (string + 1) + fret));
            ok &= Write(folder, NoteClipName(string, fret), clipgen::ToPcm16(note, kNotePeak));
        }
    }
    return ok ? 0 : 1;
}
