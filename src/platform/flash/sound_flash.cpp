#include "platform/flash/sound_flash.h"

#include "platform/clock/due_time.h"
#include "platform/flash/clip_cache.h"
#include "platform/flash/clip_mixer.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <limits>
#include <mutex>
#include <vector>

namespace platform {
namespace {

using sound::Clip;
using sound::kRate;

constexpr std::size_t kMaxWaiting = 64;  // commands not yet taken by the output; more than enough

std::int64_t ToNs(SoundFlash::TimePoint t)
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
}

// A load, or a clip decoded late for an earlier load, on its way to the output's thread.
struct Command {
    enum Kind { kLoad, kFill } kind = kLoad;
    int layer = 0;
    const Clip* clip = nullptr;  // nullptr: silence, or not decoded yet
    std::int64_t startNs = 0;    // steady clock
    std::uint64_t id = 0;
    bool Sounds() const { return clip && !clip->silent; }
};

}  // namespace

SoundFlash::TimePoint SoundFlash::StartOf(TimePoint now, std::optional<TimePoint> due, const Options& options)
{
    if (!due) return now + options.startDelay;
    // A due moment that lies ahead (it cannot, on this clock) counts as now; a step later than the
    // playback latency starts at once (as soon as the stream can take it).
    return std::clamp(*due + options.playbackLatency, now, now + options.playbackLatency);
}

// Lock order: commandMutex is held only to move commands in or out, and nothing is called with it
// held; the output's own locks are never taken under it. Where it renders (Render, Revise, Busy)
// the audio thread only tries it: a thread that holds it and is preempted on a busy machine must
// not make the server skip a buffer (what waits is then taken a buffer later).
struct SoundFlash::Impl final : sound::OutputSource {
    explicit Impl(Options o)
        : options(std::move(o)),
          cache(options.preloadFolder),
          mixer(std::chrono::duration_cast<std::chrono::seconds>(options.staleAfter * kRate).count())
    {
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");  // the program handles its own signals
        waiting.reserve(kMaxWaiting);
        output = std::make_unique<sound::SoundOutput>(*this, options.output);
    }

    ~Impl() override
    {
        cache.StopDecoding();  // no late clip is handed to the output any more
        output.reset();        // no buffer is rendered any more; the clips may go
    }

    void LoadMovie(int layer, const std::string& path)
    {
        if (layer < 0 || layer >= sound::kLayers) return;
        const auto now = std::chrono::steady_clock::now();
        const std::optional<TimePoint> due = RunningDue();
        const std::int64_t startNs = ToNs(StartOf(now, due, options));
        if (!due) lastClickNs = ToNs(now);
        const Clip* clip = cache.Find(path);
        const std::uint64_t id = ++lastId;
        // An undecoded clip silences the layer until it is ready.
        Push({Command::kLoad, layer, clip, startNs, id});
        if (clip) return;
        const std::int64_t startDelayNs = std::chrono::nanoseconds(options.startDelay).count();
        cache.Request(path, [this, layer, id, startNs, startDelayNs](const Clip* decoded) {
            // Never before its placeholder, which would then start later and cut it off.
            Push({Command::kFill, layer, decoded, std::max(startNs, sound::SteadyNowNs() + startDelayNs), id});
        });
    }

    // Hands a command to the output's thread, and wakes the output if it needs a stream for it.
    // A layer's new load makes whatever else of that layer still waits pointless (the mixer
    // would drop it), so that goes.
    void Push(const Command& command)
    {
        {
            std::lock_guard lock(commandMutex);
            if (command.kind == Command::kLoad)
                std::erase_if(waiting, [&](const Command& c) { return c.layer == command.layer; });
            if (waiting.size() == kMaxWaiting) waiting.erase(waiting.begin());
            waiting.push_back(command);
        }
        if (command.Sounds()) output->Wake();
    }

    // --- what the output asks, on its audio thread ---

    void StreamStarted() override
    {
        mixer.Restart(0);
        expectedNs.reset();
    }

    void Render(float* out, int frames, std::optional<std::int64_t> heardNs) override
    {
        if (heardNs) {
            // The stream resumes long after it left off (the server stalled): what sounded then
            // would only sound late now.
            if (expectedNs && *heardNs - *expectedNs > staleNs) mixer.Restart(mixer.Next());
            Place(*heardNs);
            expectedNs = *heardNs + static_cast<std::int64_t>(frames) * 1'000'000'000 / kRate;
        }
        mixer.Render(out, frames);
    }

    std::optional<std::int64_t> Revise(std::int64_t heardNs, std::int64_t floor, float* out, int room) override
    {
        Place(heardNs, floor);
        const auto from = mixer.TakeChange();
        if (!from) return std::nullopt;
        const sound::Frame end = mixer.Next();
        const sound::Frame start = std::max(*from, end - room);
        mixer.Rewind(start);
        mixer.Render(out, static_cast<int>(end - start));
        return start;
    }

    // Moves the waiting commands into the mixer, at the frames of the stream that are heard at
    // their moments; the mixer's next frame is heard at `heardNs`, and frames from `floor` on may
    // still change.
    void Place(std::int64_t heardNs, std::optional<sound::Frame> floor = std::nullopt)
    {
        std::array<Command, kMaxWaiting> taken;
        std::size_t count = 0;
        {
            const std::unique_lock lock(commandMutex, std::try_to_lock);
            if (!lock.owns_lock()) return;
            for (const Command& command : waiting) taken[count++] = command;
            waiting.clear();
        }
        for (std::size_t i = 0; i < count; ++i) {
            const Command& c = taken[i];
            const sound::Frame frame =
                mixer.Next() + std::llround(static_cast<double>(c.startNs - heardNs) * kRate / 1e9);
            if (c.kind == Command::kLoad) mixer.Add({c.layer, c.clip, frame, c.id}, floor);
            else mixer.Fill(c.layer, c.id, c.clip, frame, floor);
        }
    }

    bool Busy() override
    {
        if (mixer.Sounding()) return true;
        const std::unique_lock lock(commandMutex, std::try_to_lock);
        return !lock.owns_lock() || !waiting.empty();  // held: a command is on its way
    }

    bool Quick() override
    {
        return sound::SteadyNowNs() - lastClickNs.load(std::memory_order_relaxed) <
               std::chrono::nanoseconds(options.quickAfterClick).count();
    }

    bool WantsStream() override
    {
        std::lock_guard lock(commandMutex);
        return std::any_of(waiting.begin(), waiting.end(), [](const Command& c) { return c.Sounds(); });
    }

    const Options options;
    sound::ClipCache cache;
    std::atomic<std::uint64_t> lastId{0};
    std::atomic<std::int64_t> lastClickNs{std::numeric_limits<std::int64_t>::min() / 2};

    mutable std::mutex commandMutex;
    std::vector<Command> waiting;  // guarded by commandMutex

    // The output's audio thread's alone.
    sound::ClipMixer mixer;
    std::optional<std::int64_t> expectedNs;  // when the frame after the last rendered is heard
    const std::int64_t staleNs = std::chrono::nanoseconds(options.staleAfter).count();
    std::unique_ptr<sound::SoundOutput> output;
};

SoundFlash::SoundFlash() : SoundFlash(Options{}) {}

SoundFlash::SoundFlash(Options options) : impl_(std::make_unique<Impl>(std::move(options))) {}

SoundFlash::~SoundFlash() = default;

void SoundFlash::LoadMovie(int layer, const std::string& path) { impl_->LoadMovie(layer, path); }

bool SoundFlash::WaitUntilReady(std::chrono::milliseconds timeout) const
{
    const auto until = std::chrono::steady_clock::now() + timeout;
    if (!impl_->output->WaitUntilTried(timeout)) return false;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
    return impl_->cache.WaitUntilPreloaded(std::max(left, std::chrono::milliseconds(0)));
}

std::string SoundFlash::DriverName() const { return impl_->output->Driver(); }

std::uint64_t SoundFlash::Underflows() const { return impl_->output->Underflows(); }

bool SoundFlash::StreamOpen() const { return impl_->output->StreamOpen(); }

bool SoundFlash::RealtimeAudio() const { return impl_->output->Realtime(); }

int SoundFlash::Connections() const { return impl_->output->Connections(); }

std::unique_ptr<FlashControl> CreateFlashControl(std::string clipFolder)
{
    SoundFlash::Options options;
    options.preloadFolder = std::move(clipFolder);
    return std::make_unique<SoundFlash>(std::move(options));
}

}  // namespace platform
