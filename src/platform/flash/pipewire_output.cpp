// The output through PipeWire's own interface: a stream whose buffers are rendered in PipeWire's
// real-time thread, in the graph cycle that plays them. The connection, the stream's creation and
// its end run on a thread loop of our own.

#include "platform/flash/output_backend.h"
#include "platform/flash/pipewire_calls.h"
#include "platform/flash/stream_clock.h"

#include <pipewire/pipewire.h>
#include <spa/param/audio/raw.h>

#include <sched.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>
#include <set>

namespace platform::sound {
namespace {

constexpr std::int64_t kWaitTickNs = 100'000'000;  // how often a wait for the server looks at the clock
// A cycle is processed this long after it began at the latest; one that claims to have begun
// earlier is the graph working off a stall.
constexpr std::int64_t kLateWake = 5'000'000;

void InitPipeWire()
{
    static std::once_flag once;
    std::call_once(once, [] { pw_init(nullptr, nullptr); });
}

class PipeWireBackend final : public Backend {
public:
    explicit PipeWireBackend(BackendHost host) : host_(std::move(host)) {}

    ~PipeWireBackend() override
    {
        if (loop_) pw_thread_loop_stop(loop_);  // no callback runs after this
        DropStream();
        if (registry_) {
            spa_hook_remove(&registryListener_);
            pw_proxy_destroy(reinterpret_cast<pw_proxy*>(registry_));
        }
        if (core_) {
            spa_hook_remove(&coreListener_);
            pw_core_disconnect(core_);
        }
        if (context_) pw_context_destroy(context_);
        if (loop_) pw_thread_loop_destroy(loop_);
    }

    const char* Name() const override { return "pipewire"; }

    void Wake() override { pipewire::SignalEvent(loop_, wakeEvent_); }

    bool StreamOpen() const override { return streamOpen_.load(); }

    // Connects (never starting a server), and waits until the server has answered and told its
    // objects: it must have an audio sink.
    bool Start(Deadline deadline, bool& answered)
    {
        InitPipeWire();
        loop_ = pw_thread_loop_new("strumwell-sound", nullptr);
        if (!loop_) return false;
        // The client configuration that gives the stream's thread real-time scheduling.
        context_ = pw_context_new(pw_thread_loop_get_loop(loop_),
                                  pw_properties_new(PW_KEY_CONFIG_NAME, "client-rt.conf", nullptr), 0);
        if (!context_ || pw_thread_loop_start(loop_) < 0) return false;
        pw_thread_loop_lock(loop_);
        if (Handshake(deadline)) {
            wakeEvent_ = pipewire::AddEvent(loop_, [](void* self, std::uint64_t) {
                static_cast<PipeWireBackend*>(self)->OnWake();
            }, this);
            answered_ = true;
            if (!sinks_.empty()) OpenStream(false);
        }
        pw_thread_loop_unlock(loop_);
        answered = answered_;
        return answered_ && wakeEvent_ && !sinks_.empty();
    }

private:
    bool Handshake(Deadline deadline)
    {
        core_ = pw_context_connect(context_, pw_properties_new(PW_KEY_APP_NAME, "Strumwell", nullptr), 0);
        if (!core_) return false;
        static const pw_core_events coreEvents = [] {
            pw_core_events events{};
            events.version = PW_VERSION_CORE_EVENTS;
            events.done = [](void* self, std::uint32_t id, int seq) {
                auto* me = static_cast<PipeWireBackend*>(self);
                if (id == PW_ID_CORE && seq == me->syncSeq_) me->synced_ = true;
                pw_thread_loop_signal(me->loop_, false);
            };
            events.error = [](void* self, std::uint32_t id, int, int, const char*) {
                auto* me = static_cast<PipeWireBackend*>(self);
                if (id == PW_ID_CORE) me->ConnectionBroke();
                pw_thread_loop_signal(me->loop_, false);
            };
            return events;
        }();
        pipewire::AddCoreListener(core_, &coreListener_, &coreEvents, this);
        static const pw_registry_events registryEvents = [] {
            pw_registry_events events{};
            events.version = PW_VERSION_REGISTRY_EVENTS;
            events.global = [](void* self, std::uint32_t id, std::uint32_t, const char* type, std::uint32_t,
                               const spa_dict* props) {
                const char* kind = props ? spa_dict_lookup(props, PW_KEY_MEDIA_CLASS) : nullptr;
                if (std::strcmp(type, PW_TYPE_INTERFACE_Node) == 0 && kind && std::strcmp(kind, "Audio/Sink") == 0)
                    static_cast<PipeWireBackend*>(self)->sinks_.insert(id);
            };
            events.global_remove = [](void* self, std::uint32_t id) { static_cast<PipeWireBackend*>(self)->sinks_.erase(id); };
            return events;
        }();
        registry_ = pw_core_get_registry(core_, PW_VERSION_REGISTRY, 0);
        if (!registry_) return false;
        pipewire::AddRegistryListener(registry_, &registryListener_, &registryEvents, this);
        syncSeq_ = pipewire::SyncCore(core_, 0);
        // A server that accepts and never answers sends nothing: the wait looks at the clock.
        while (!synced_ && !broken_ && !host_.giveUp && std::chrono::steady_clock::now() < deadline)
            pipewire::WaitAtMost(loop_, kWaitTickNs);
        return synced_ && !broken_;
    }

    void ConnectionBroke()
    {
        broken_ = true;
        if (!answered_ || lost_) return;
        lost_ = true;
        DropStream();
        host_.lost();
    }

    // On the loop: a load wants a stream, or the stream's thread found it quiet or broken. A
    // quiet stream is only made inactive: it takes no part in the graph's cycles then, but stays
    // linked to its sink, so that the next click need not wait for a new stream to be linked.
    void OnWake()
    {
        if (lost_) return;
        if (stream_ && streamBroken_) DropStream();
        KeepPace();
        if (stream_ && active_ && closeWanted_) {
            pw_stream_set_active(stream_, false);
            active_ = false;
            streamOpen_ = false;
        }
        if (!host_.source.WantsStream()) return;
        if (!stream_) {
            OpenStream(true);
        } else if (!active_) {
            closeWanted_ = false;
            resumed_ = true;
            pw_stream_set_active(stream_, true);
            active_ = true;
            streamOpen_ = true;
        }
    }

    // A new stream takes the session manager a while to link (about 25 ms here): the first one
    // is made inactive as soon as the server answers, so that the first click only wakes it.
    void OpenStream(bool active)
    {
        pw_properties* props = pw_properties_new(PW_KEY_MEDIA_TYPE, "Audio", PW_KEY_MEDIA_CATEGORY, "Playback",
                                                 PW_KEY_MEDIA_ROLE, "Music", PW_KEY_NODE_NAME, "Strumwell",
                                                 PW_KEY_APP_NAME, "Strumwell", nullptr);
        quick_ = host_.source.Quick();
        pw_properties_setf(props, PW_KEY_NODE_LATENCY, "%d/%d", Quantum(quick_), kRate);
        stream_ = pw_stream_new(core_, "Clips", props);
        if (!stream_) return;
        static const pw_stream_events streamEvents = [] {
            pw_stream_events events{};
            events.version = PW_VERSION_STREAM_EVENTS;
            events.state_changed = [](void* self, pw_stream_state, pw_stream_state state, const char*) {
                auto* me = static_cast<PipeWireBackend*>(self);
                if (state == PW_STREAM_STATE_ERROR || state == PW_STREAM_STATE_UNCONNECTED) {
                    me->streamBroken_ = true;  // dropped on the loop, outside the stream's callback
                    pipewire::SignalEvent(me->loop_, me->wakeEvent_);
                }
            };
            events.process = [](void* self) { static_cast<PipeWireBackend*>(self)->Process(); };
            return events;
        }();
        pw_stream_add_listener(stream_, &streamListener_, &streamEvents, this);
        std::uint8_t buffer[512];
        const spa_pod* params[] = {pipewire::MonoFormat(SPA_AUDIO_FORMAT_F32, kRate, buffer, sizeof buffer)};
        started_ = false;
        closeWanted_ = false;
        streamBroken_ = false;
        quietSinceNs_ = SteadyNowNs();
        clock_.Reset();
        lastTicks_.reset();
        const auto flags = static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS |
                                                        PW_STREAM_FLAG_RT_PROCESS |
                                                        (active ? 0 : PW_STREAM_FLAG_INACTIVE));
        if (pw_stream_connect(stream_, PW_DIRECTION_OUTPUT, PW_ID_ANY, flags, params, 1) < 0) {
            DropStream();
            return;
        }
        active_ = active;
        streamOpen_ = active;
    }

    int Quantum(bool quick) const
    {
        return std::clamp((quick ? host_.options.quick : host_.options.steady).pipewireQuantum, 16, 8192);
    }

    // On the loop: asks the graph for the quantum of the pace the source wants now.
    void KeepPace()
    {
        const bool quick = quickWanted_;
        if (!stream_ || quick == quick_) return;
        quick_ = quick;
        char latency[32];
        std::snprintf(latency, sizeof latency, "%d/%d", Quantum(quick), kRate);
        const spa_dict_item item{PW_KEY_NODE_LATENCY, latency};
        const spa_dict dict{0, 1, &item};
        pw_stream_update_properties(stream_, &dict);
    }

    void DropStream()
    {
        if (!stream_) return;
        spa_hook_remove(&streamListener_);
        pw_stream_destroy(stream_);
        stream_ = nullptr;
        streamOpen_ = false;
    }

    // In PipeWire's real-time thread, once a graph cycle: the buffer this cycle plays.
    void Process()
    {
        pw_buffer* buffer = pw_stream_dequeue_buffer(stream_);
        if (!buffer) {
            underflows_.fetch_add(1, std::memory_order_relaxed);
            return;
        }
        spa_data& data = buffer->buffer->datas[0];
        auto* out = static_cast<float*>(data.data);
        if (!out) return;
        // An inactive stream takes no part in the graph's cycles: the ticks it missed while
        // resting are no underflow.
        const bool resumed = resumed_.exchange(false);
        if (resumed) lastTicks_.reset();
        if (!started_) {
            started_ = true;
            host_.source.StreamStarted();
            const int policy = sched_getscheduler(0);
            realtime_ = (policy & ~SCHED_RESET_ON_FORK) == SCHED_FIFO || (policy & ~SCHED_RESET_ON_FORK) == SCHED_RR;
        }
        const std::uint32_t room = data.maxsize / sizeof(float);
        const auto frames = static_cast<int>(std::min<std::uint64_t>(
            room, buffer->requested ? buffer->requested : static_cast<std::uint64_t>(Quantum(quick_))));
        pw_time time{};
        if (pw_stream_get_time_n(stream_, &time, sizeof time) == 0 && time.rate.denom == kRate && time.now > 0) {
            // The graph's cycle at `ticks` (its own count of frames) began at `now`; what this
            // stream gives now reaches the sink after the delay of everything on the way. The
            // clock runs on the graph's ticks rather than on this stream's frames: a cycle the
            // graph had to skip (this thread woke too late for it) moves both on alike.
            const std::int64_t cycle = clock_.Update(static_cast<std::int64_t>(time.ticks), time.now, SteadyNowNs() - kLateWake);
            // (While the graph works off a stall the delay it reports is nonsense.)
            const std::int64_t ahead = std::clamp<std::int64_t>(time.delay + static_cast<std::int64_t>(time.buffered), 0, kRate);
            host_.source.Render(out, frames, cycle + ahead * 1'000'000'000 / kRate);
            if (lastTicks_ && time.ticks > *lastTicks_ + static_cast<std::uint64_t>(lastFrames_))
                underflows_.fetch_add(1, std::memory_order_relaxed);  // the sink played a cycle without us
            lastTicks_ = time.ticks;
            lastFrames_ = frames;
        } else {
            host_.source.Render(out, frames, std::nullopt);
        }
        data.chunk->offset = 0;
        data.chunk->stride = sizeof(float);
        data.chunk->size = static_cast<std::uint32_t>(frames) * sizeof(float);
        pw_stream_queue_buffer(stream_, buffer);

        const std::int64_t now = SteadyNowNs();
        if (const bool quick = host_.source.Quick(); quick != quickWanted_) {
            quickWanted_ = quick;
            pipewire::SignalEvent(loop_, wakeEvent_);
        }
        if (resumed || host_.source.Busy()) quietSinceNs_ = now;
        if (!closeWanted_ && now - quietSinceNs_ >= std::chrono::nanoseconds(host_.options.idleAfter).count()) {
            closeWanted_ = true;  // an open stream keeps the graph running at our short quantum
            pipewire::SignalEvent(loop_, wakeEvent_);
        }
    }

    BackendHost host_;
    pw_thread_loop* loop_ = nullptr;
    pw_context* context_ = nullptr;
    pw_core* core_ = nullptr;
    pw_registry* registry_ = nullptr;
    spa_hook coreListener_{};
    spa_hook registryListener_{};
    spa_hook streamListener_{};
    spa_source* wakeEvent_ = nullptr;
    int syncSeq_ = 0;
    bool synced_ = false;
    bool broken_ = false;
    bool answered_ = false;
    bool lost_ = false;
    std::set<std::uint32_t> sinks_;  // the audio sinks the server has
    pw_stream* stream_ = nullptr;
    bool active_ = false;
    std::atomic<bool> streamOpen_{false};    // the stream is there and active
    std::atomic<bool> closeWanted_{false};   // set by the stream's thread, read on the loop
    std::atomic<bool> resumed_{false};       // set on the loop, read by the stream's thread
    std::atomic<bool> quickWanted_{false};   // set by the stream's thread, read on the loop
    std::atomic<bool> quick_{false};         // the pace the stream has
    std::atomic<bool> streamBroken_{false};

    // Used in the stream's thread only.
    bool started_ = false;
    StreamClock clock_;  // on the graph's ticks
    std::optional<std::uint64_t> lastTicks_;
    int lastFrames_ = 0;
    std::int64_t quietSinceNs_ = 0;
};

}  // namespace

std::unique_ptr<Backend> ConnectPipeWire(BackendHost host, Deadline deadline, bool& answered)
{
    auto backend = std::make_unique<PipeWireBackend>(std::move(host));
    if (!backend->Start(deadline, answered)) return nullptr;
    return backend;
}

}  // namespace platform::sound
