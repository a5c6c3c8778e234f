#include "platform/flash/clip_mixer.h"

#include <algorithm>
#include <utility>

namespace platform::sound {

namespace {
constexpr Frame kKept = 48000;  // how far back starts are kept to render again
}  // namespace

void ClipMixer::Add(const Load& load, std::optional<Frame> floor)
{
    if (load.layer < 0 || load.layer >= kLayers) return;
    newest_[static_cast<std::size_t>(load.layer)] = load.id;
    Place(load.layer, load.clip, load.at, std::min(floor.value_or(next_), next_));
}

void ClipMixer::Fill(int layer, std::uint64_t id, const Clip* clip, Frame at, std::optional<Frame> floor)
{
    if (layer < 0 || layer >= kLayers || newest_[static_cast<std::size_t>(layer)] != id) return;
    Place(layer, clip, at, std::min(floor.value_or(next_), next_));
}

void ClipMixer::Place(int layer, const Clip* clip, Frame at, Frame floor)
{
    const bool stale = at < next_ - staleFrames_;
    const Frame frame = std::max(at, floor);
    const auto changes = [&](Frame f) {
        if (f < next_) changed_ = std::min(changed_.value_or(f), f);
    };
    changes(frame);
    std::erase_if(starts_, [&](const Start& s) {
        const bool dropped = s.layer == layer && s.frame >= floor;
        if (dropped) changes(s.frame);
        return dropped;
    });
    const auto after = std::upper_bound(starts_.begin(), starts_.end(), frame,
                                        [](Frame f, const Start& s) { return f < s.frame; });
    starts_.insert(after, Start{frame, layer, stale ? nullptr : clip});
}

Frame ClipMixer::EndOf(std::size_t i) const
{
    const Start& start = starts_[i];
    Frame end = start.clip ? start.frame + start.clip->Frames() : start.frame;
    for (std::size_t j = i + 1; j < starts_.size(); ++j)
        if (starts_[j].layer == start.layer) return std::min(end, starts_[j].frame);
    return end;
}

void ClipMixer::Render(float* out, int frames)
{
    std::fill(out, out + frames, 0.0f);
    const Frame first = next_, end = next_ + frames;
    constexpr float kScale = 1.0f / 32768.0f;
    for (std::size_t i = 0; i < starts_.size() && starts_[i].frame < end; ++i) {
        const Start& start = starts_[i];
        if (!start.clip) continue;
        const Frame from = std::max(first, start.frame), to = std::min(end, EndOf(i));
        const std::int16_t* samples = start.clip->samples.data();
        for (Frame f = from; f < to; ++f) out[f - first] += static_cast<float>(samples[f - start.frame]) * kScale;
    }
    next_ = end;
    Prune();
}

std::optional<Frame> ClipMixer::TakeChange() { return std::exchange(changed_, std::nullopt); }

void ClipMixer::Rewind(Frame frame) { next_ = std::clamp(frame, next_ - kKept, next_); }

// Forgets the starts that have begun and ended a while ago (they may still be rendered again). Each is judged before anything after it moves
// (EndOf looks only further on), and a start ends no later than its layer's next one begins, so
// a start kept never follows a forgotten one of its layer that it would need.
void ClipMixer::Prune()
{
    const Frame horizon = next_ - kKept;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < starts_.size(); ++i)
        if (starts_[i].frame >= horizon || EndOf(i) > horizon) starts_[kept++] = starts_[i];
    starts_.resize(kept);
}

bool ClipMixer::Sounding() const
{
    for (std::size_t i = 0; i < starts_.size(); ++i) {
        const Start& start = starts_[i];
        if (start.frame >= next_) return true;
        if (start.clip && !start.clip->silent && EndOf(i) > next_) return true;
    }
    return false;
}

void ClipMixer::Restart(Frame next)
{
    starts_.clear();
    next_ = next;
    changed_.reset();
}

}  // namespace platform::sound
