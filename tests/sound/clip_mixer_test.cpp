// The clip player's timeline and mixer on plain sample buffers, without a server: which clip each
// output frame holds for a sequence of loads, fills and renders.
#include "platform/flash/clip_mixer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace {

using platform::sound::Clip;
using platform::sound::ClipMixer;
using platform::sound::Frame;
using platform::sound::Load;

constexpr Frame kStale = 1000;

// Clip k's sample n is k * 1000 + n, so every output frame tells which clip it holds and where.
Clip Numbered(int k, int frames)
{
    Clip clip;
    for (int n = 0; n < frames; ++n) clip.samples.push_back(static_cast<std::int16_t>(k * 1000 + n));
    clip.silent = false;
    return clip;
}

const std::map<char, Clip>& Clips()
{
    static const std::map<char, Clip> clips = [] {
        std::map<char, Clip> c;
        c['A'] = Numbered(1, 100);
        c['B'] = Numbered(2, 100);
        c['C'] = Numbered(3, 100);
        c['L'] = Numbered(4, 900);  // a long clip
        c['R'] = Clip{std::vector<std::int16_t>(100, 0), true};  // the rest clip: zeros
        return c;
    }();
    return clips;
}

// '-' is silence (no clip at all, as for a missing file or a clip not decoded yet).
const Clip* ClipOf(char name) { return name == '-' ? nullptr : &Clips().at(name); }

// What the frames [from, to) hold: clip `clip` from its sample `offset` on, or silence ('-').
struct Segment {
    Frame from, to;
    char clip;
    Frame offset;
    bool operator==(const Segment&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Segment& s)
{
    return out << "[" << s.from << "," << s.to << ") " << s.clip << "@" << s.offset;
}

// The output read back as segments.
std::vector<Segment> Segments(const std::vector<float>& out)
{
    std::vector<Segment> segments;
    for (Frame f = 0; f < static_cast<Frame>(out.size()); ++f) {
        const long v = std::lround(out[static_cast<std::size_t>(f)] * 32768.0f);
        const char clip = v == 0 ? '-' : "?ABCL"[std::min(v / 1000, 5L) % 5];
        const Frame offset = v == 0 ? 0 : v % 1000;
        if (!segments.empty()) {
            Segment& last = segments.back();
            if (last.clip == clip && (clip == '-' || last.offset + (f - last.from) == offset)) {
                last.to = f + 1;
                continue;
            }
        }
        segments.push_back({f, f + 1, clip, offset});
    }
    return segments;
}

// One thing done to the mixer: a load, a fill of an earlier load, a render of some frames, or a
// revision of what was rendered (the first frame that changed and on, rendered again), as an
// output that keeps a queue at the server makes it.
struct Step {
    enum Kind { kLoad, kFill, kRender, kRevise } kind;
    char clip = '-';
    Frame at = 0;
    std::uint64_t id = 0;
    int frames = 0;
    std::optional<Frame> floor;
    int layer = 0;
};

Step LoadAt(char clip, Frame at, std::uint64_t id = 0) { return {Step::kLoad, clip, at, id, 0, std::nullopt}; }
Step FillAt(char clip, Frame at, std::uint64_t id) { return {Step::kFill, clip, at, id, 0, std::nullopt}; }
Step Render(int frames) { return {Step::kRender, '-', 0, 0, frames, std::nullopt}; }
// A load into what is queued: frames from `floor` on may still change.
Step LoadInQueue(char clip, Frame at, Frame floor) { return {Step::kLoad, clip, at, 0, 0, floor}; }
Step Revise() { return {Step::kRevise, '-', 0, 0, 0, std::nullopt}; }

// The output as the sink would play it: a revision overwrites what was rendered from its frame on.
std::vector<float> Play(const std::vector<Step>& steps, ClipMixer& mixer)
{
    std::vector<float> out;
    const auto render = [&](int frames) {
        const auto at = static_cast<std::size_t>(mixer.Next());
        out.resize(std::max(out.size(), at + static_cast<std::size_t>(frames)), 99.0f);
        mixer.Render(out.data() + at, frames);
    };
    for (const Step& step : steps) {
        switch (step.kind) {
        case Step::kLoad: mixer.Add(Load{step.layer, ClipOf(step.clip), step.at, step.id}, step.floor); break;
        case Step::kFill: mixer.Fill(step.layer, step.id, ClipOf(step.clip), step.at, step.floor); break;
        case Step::kRender: render(step.frames); break;
        case Step::kRevise:
            if (const auto from = mixer.TakeChange()) {
                const Frame end = mixer.Next();
                mixer.Rewind(*from);
                render(static_cast<int>(end - *from));
            }
            break;
        }
    }
    return out;
}

struct Case {
    const char* what;
    std::vector<Step> steps;
    std::vector<Segment> heard;
};

TEST(ClipMixer, WhichClipEachFrameHolds)
{
    const Case cases[] = {
        {"a clip plays from its frame to its end", {LoadAt('A', 10), Render(200)},
         {{0, 10, '-', 0}, {10, 110, 'A', 0}, {110, 200, '-', 0}}},
        {"rendered a little at a time, the same", {LoadAt('A', 10), Render(7), Render(64), Render(1), Render(128)},
         {{0, 10, '-', 0}, {10, 110, 'A', 0}, {110, 200, '-', 0}}},
        {"a later load ends the clip before it", {LoadAt('A', 0), Render(10), LoadAt('B', 50), Render(190)},
         {{0, 50, 'A', 0}, {50, 150, 'B', 0}, {150, 200, '-', 0}}},
        {"a rest cuts the clip off", {LoadAt('L', 0), Render(20), LoadAt('R', 30), Render(80)},
         {{0, 30, 'L', 0}, {30, 100, '-', 0}}},
        {"silence (no clip) cuts it off the same", {LoadAt('L', 0), Render(20), LoadAt('-', 30), Render(80)},
         {{0, 30, 'L', 0}, {30, 100, '-', 0}}},
        {"a step's rest, rest and chord on one frame: the chord sounds",
         {LoadAt('L', 0), Render(10), LoadAt('R', 40), LoadAt('R', 40), LoadAt('A', 40), Render(190)},
         {{0, 40, 'L', 0}, {40, 140, 'A', 0}, {140, 200, '-', 0}}},
        {"the newest load wins over a start still to come, even a later one",
         {LoadAt('A', 60), LoadAt('B', 20), Render(200)}, {{0, 20, '-', 0}, {20, 120, 'B', 0}, {120, 200, '-', 0}}},
        {"the newest load wins over a start still to come, even a sooner one",
         {LoadAt('A', 20), LoadAt('B', 60), Render(200)}, {{0, 60, '-', 0}, {60, 160, 'B', 0}, {160, 200, '-', 0}}},
        {"a click inside a queued step: the click sounds and the step's clip never",
         {LoadAt('L', 0), Render(10), LoadAt('R', 80), LoadAt('R', 80), LoadAt('A', 80), Render(30), LoadAt('B', 50),
          Render(160)},
         {{0, 50, 'L', 0}, {50, 150, 'B', 0}, {150, 200, '-', 0}}},
        {"a step's load after a queued click: the click never sounds, what played goes on to the step",
         {LoadAt('L', 0), Render(10), LoadAt('B', 30), Render(10), LoadAt('R', 80), LoadAt('A', 80), Render(180)},
         {{0, 80, 'L', 0}, {80, 180, 'A', 0}, {180, 200, '-', 0}}},
        {"a late load starts at once, from its first sample", {Render(100), LoadAt('A', 40), Render(150)},
         {{0, 100, '-', 0}, {100, 200, 'A', 0}, {200, 250, '-', 0}}},
        {"a late load of the clip that sounds starts it again, whole",
         {LoadAt('A', 0), Render(30), LoadAt('A', 10), Render(170)},
         {{0, 30, 'A', 0}, {30, 130, 'A', 0}, {130, 200, '-', 0}}},
        {"a start already begun is not dropped by a newer load", {LoadAt('L', 0), Render(50), LoadAt('A', 80), Render(150)},
         {{0, 80, 'L', 0}, {80, 180, 'A', 0}, {180, 200, '-', 0}}},
        {"a stale load silences the layer at once and never sounds",
         {LoadAt('L', 2000), Render(2100), LoadAt('A', 900), Render(100)},
         {{0, 2000, '-', 0}, {2000, 2100, 'L', 0}, {2100, 2200, '-', 0}}},
        {"a load just inside the stale limit still sounds, late and whole",
         {LoadAt('L', 2000), Render(2100), LoadAt('A', 1100), Render(100)},
         {{0, 2000, '-', 0}, {2000, 2100, 'L', 0}, {2100, 2200, 'A', 0}}},
        {"a clip decoded late takes its placeholder's frame",
         {LoadAt('-', 50, 1), Render(10), FillAt('A', 50, 1), Render(190)},
         {{0, 50, '-', 0}, {50, 150, 'A', 0}, {150, 200, '-', 0}}},
        {"a placeholder that has begun: the clip starts when decoded, whole, after the silence",
         {LoadAt('L', 0, 1), Render(10), LoadAt('-', 30, 2), Render(40), FillAt('A', 45, 2), Render(150)},
         {{0, 30, 'L', 0}, {30, 50, '-', 0}, {50, 150, 'A', 0}, {150, 200, '-', 0}}},
        {"a clip decoded late never starts before its load asked",
         {LoadAt('-', 80, 1), FillAt('A', 20, 1), Render(200)},  // Fill asks sooner than the load
         {{0, 20, '-', 0}, {20, 120, 'A', 0}, {120, 200, '-', 0}}},
        {"a clip decoded after a newer load is not heard",
         {LoadAt('-', 20, 1), LoadAt('B', 40, 2), FillAt('A', 20, 1), Render(200)},
         {{0, 40, '-', 0}, {40, 140, 'B', 0}, {140, 200, '-', 0}}},
        // What an output that keeps a queue does: frames rendered but not yet taken by the sink
        // (from the floor on) are changed and rendered again.
        {"a click inside the queue starts on its frame, over what was queued",
         {LoadAt('L', 0), Render(100), LoadInQueue('B', 40, 30), Revise(), Render(100)},
         {{0, 40, 'L', 0}, {40, 140, 'B', 0}, {140, 200, '-', 0}}},
        {"a click before the floor starts at the floor, whole",
         {LoadAt('L', 0), Render(100), LoadInQueue('B', 20, 30), Revise(), Render(100)},
         {{0, 30, 'L', 0}, {30, 130, 'B', 0}, {130, 200, '-', 0}}},
        {"a click drops a queued step's clip that was rendered already, and what played goes on",
         {LoadAt('L', 0), Render(10), LoadAt('A', 80), Render(90), LoadInQueue('B', 120, 50), Revise(), Render(100)},
         {{0, 120, 'L', 0}, {120, 200, 'B', 0}}},
        {"a load beyond what was rendered changes nothing rendered",
         {LoadAt('L', 0), Render(100), LoadInQueue('B', 150, 30), Revise(), Render(100)},
         {{0, 150, 'L', 0}, {150, 200, 'B', 0}}},
        {"a start before the floor is not dropped by a newer load in the queue",
         {LoadAt('L', 0), Render(10), LoadAt('A', 20), Render(90), LoadInQueue('B', 60, 50), Revise(), Render(100)},
         {{0, 20, 'L', 0}, {20, 60, 'A', 0}, {60, 160, 'B', 0}, {160, 200, '-', 0}}},
    };
    for (const Case& c : cases) {
        ClipMixer mixer(kStale);
        const std::vector<float> out = Play(c.steps, mixer);
        EXPECT_EQ(Segments(out), c.heard) << c.what;
    }
}

// The loads of other layers neither end nor drop a layer's clip: the layers sound together.
TEST(ClipMixer, LayersSoundTogether)
{
    ClipMixer mixer(kStale);
    mixer.Add(Load{0, ClipOf('A'), 0, 1});
    mixer.Add(Load{1, ClipOf('B'), 0, 2});
    std::vector<float> out(100);
    mixer.Render(out.data(), 10);
    mixer.Add(Load{1, ClipOf('R'), 50, 3});
    mixer.Add(Load{7, ClipOf('C'), 20, 4});  // no such layer: ignored
    mixer.Add(Load{-1, ClipOf('C'), 20, 5});
    mixer.Render(out.data() + 10, 90);
    for (int f = 0; f < 100; ++f) {
        const long expected = 1000 + f + (f < 50 ? 2000 + f : 0);
        EXPECT_EQ(std::lround(out[static_cast<std::size_t>(f)] * 32768.0f), expected) << "frame " << f;
    }
}

// Sounding() decides when the output may close: a clip that plays, or anything still to start,
// even a rest; a silent clip that plays on does not count.
TEST(ClipMixer, SoundingWhileAClipPlaysOrAStartWaits)
{
    struct Sound {
        const char* what;
        std::vector<Step> steps;
        bool sounding;
    } const cases[] = {
        {"nothing loaded", {}, false},
        {"a rest still to start", {LoadAt('R', 50)}, true},
        {"a clip playing", {LoadAt('A', 0), Render(50)}, true},
        {"a clip played out", {LoadAt('A', 0), Render(100)}, false},
        {"a clip cut off by a rest", {LoadAt('L', 0), LoadAt('R', 20), Render(30)}, false},
        {"the rest clip playing", {LoadAt('R', 0), Render(30)}, false},
    };
    for (const Sound& c : cases) {
        ClipMixer mixer(kStale);
        Play(c.steps, mixer);
        EXPECT_EQ(mixer.Sounding(), c.sounding) << c.what;
    }
}

// A new stream: what sounded and what waited are gone, and loads go on the new count of frames.
TEST(ClipMixer, RestartBeginsAFreshCount)
{
    ClipMixer mixer(kStale);
    Play({LoadAt('L', 0), LoadAt('A', 500), Render(100)}, mixer);
    mixer.Restart(0);
    EXPECT_EQ(mixer.Next(), 0);
    EXPECT_FALSE(mixer.Sounding());
    EXPECT_EQ(Segments(Play({LoadAt('B', 10), Render(200)}, mixer)),
              (std::vector<Segment>{{0, 10, '-', 0}, {10, 110, 'B', 0}, {110, 200, '-', 0}}));
}

}  // namespace
