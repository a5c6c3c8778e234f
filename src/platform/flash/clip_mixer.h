#pragma once
// The clip player's timeline and mixer: which clip each output frame holds. It knows nothing of
// time, threads or sound servers; frames are counted from the start of an output stream, and the
// output asks for them in order, a buffer at a time (Render). Everything the player decides about
// when a clip sounds is decided here, once:
// - A load asks for its layer to play a clip (or silence) from a frame on. It starts there, or at
//   the next frame still to be rendered if that has passed (a late load starts at once, whole),
//   unless it comes so late that it is stale (`staleFrames` past its frame): then the layer falls
//   silent at once, as the clip would have had to start long ago and would only sound late.
// - The newest load of a layer wins: it drops whatever the layer was still to start, even a start
//   earlier than its own, and ends what the layer plays from its own start on.
// - Silence (a rest, a missing clip, a clip not decoded yet) is a load like any other: it ends what
//   the layer plays.
// - A clip decoded after its load was made takes that load's place (Fill), if it is still the
//   layer's newest load; it never starts before that load's frame.
// An output that keeps a queue at the server may change what it has rendered but the sink has not
// taken yet: loads are then placed from a lower `floor` than the next frame, and the output
// renders again from the first frame that changed (TakeChange, Rewind).
// Not thread-safe: one thread (the output's) owns it.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace platform::sound {

using Frame = std::int64_t;

// A decoded clip: mono 16-bit samples at the output rate. `silent`: nothing but zeros (a rest), or
// nothing at all (a missing or damaged file).
struct Clip {
    std::vector<std::int16_t> samples;
    bool silent = true;
    Frame Frames() const { return static_cast<Frame>(samples.size()); }
};

inline constexpr int kLayers = 4;  // the program only uses layer 0

struct Load {
    int layer = 0;
    const Clip* clip = nullptr;  // nullptr: silence
    Frame at = 0;                // the frame it asks to start at
    std::uint64_t id = 0;        // tells a later Fill which load it completes
};

class ClipMixer {
public:
    explicit ClipMixer(Frame staleFrames) : staleFrames_(staleFrames) { starts_.reserve(64); }

    // `floor`: the first frame that may still change (Next() unless the output can replace what
    // it has rendered).
    void Add(const Load& load, std::optional<Frame> floor = std::nullopt);
    // The clip that load `id` of `layer` stood for, decoded now; to start at `at` at the earliest.
    void Fill(int layer, std::uint64_t id, const Clip* clip, Frame at, std::optional<Frame> floor = std::nullopt);
    // The first rendered frame that the loads since the last call changed, if any.
    std::optional<Frame> TakeChange();
    // Renders again from `frame` on (no later than Next(), no earlier than what was rendered
    // in the last second).
    void Rewind(Frame frame);
    // Writes the frames [Next(), Next() + frames) into `out` (mono, -1..1) and moves on.
    void Render(float* out, int frames);
    // The next frame to be rendered.
    Frame Next() const { return next_; }
    // Whether anything sounds at Next() or is still to start.
    bool Sounding() const;
    // A new output stream counts its frames from `next` (0 for a fresh stream): what sounded
    // stops, nothing is waiting any more, and later loads are placed on the new count.
    void Restart(Frame next);

private:
    struct Start {
        Frame frame = 0;
        int layer = 0;
        const Clip* clip = nullptr;
    };
    void Place(int layer, const Clip* clip, Frame at, Frame floor);
    Frame EndOf(std::size_t i) const;  // where starts_[i] stops sounding
    void Prune();

    const Frame staleFrames_;
    Frame next_ = 0;
    std::optional<Frame> changed_;
    std::vector<Start> starts_;  // by frame; a layer's start ends at its next one
    std::array<std::uint64_t, kLayers> newest_{};
};

}  // namespace platform::sound
