#include "recorder/pipewire_monitor.h"

#include "platform/flash/pipewire_calls.h"
#include "platform/flash/sound_output.h"

#include <pipewire/pipewire.h>
#include <spa/param/audio/raw.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <vector>

namespace bench {
namespace {

constexpr std::uint32_t kRate = 48000;
// One slot holds a whole cycle up to the graph's quantum limit; the ring holds 1024 cycles, over
// 5 s at a quantum of 256, for the drain to fall behind by before samples are lost.
constexpr std::size_t kSlotFrames = 8192;
constexpr std::size_t kSlots = 1024;

}  // namespace

struct PipeWireMonitor::Impl {
    struct Slot {
        std::int64_t cycleNs = 0;
        std::size_t count = 0;
        std::size_t lostBefore = 0;
        std::int16_t samples[kSlotFrames];
    };

    Deliver deliver;
    pw_thread_loop* loop = nullptr;
    pw_context* context = nullptr;
    pw_core* core = nullptr;
    pw_stream* stream = nullptr;
    spa_hook streamListener{};
    spa_source* drainEvent = nullptr;
    std::atomic<pw_stream_state> state{PW_STREAM_STATE_CONNECTING};

    // Filled in the real-time thread, emptied on the loop: one writer, one reader, no lock, so
    // that the graph's cycle never waits on whoever reads the recording.
    std::vector<Slot> ring = std::vector<Slot>(kSlots);
    std::atomic<std::size_t> written{0};
    std::atomic<std::size_t> read{0};
    std::size_t lost = 0;  // real-time thread only

    ~Impl()
    {
        if (loop) pw_thread_loop_stop(loop);
        if (stream) {
            spa_hook_remove(&streamListener);
            pw_stream_destroy(stream);
        }
        if (core) pw_core_disconnect(core);
        if (context) pw_context_destroy(context);
        if (loop) pw_thread_loop_destroy(loop);
    }

    // In PipeWire's real-time thread, once a graph cycle.
    void Process()
    {
        pw_buffer* buffer = pw_stream_dequeue_buffer(stream);
        if (!buffer) return;
        pw_time time{};
        const bool timed = pw_stream_get_time_n(stream, &time, sizeof time) == 0 && time.now > 0;
        const spa_data& data = buffer->buffer->datas[0];
        const std::uint32_t offset = std::min(data.chunk->offset, data.maxsize);
        const std::size_t count = std::min(data.chunk->size, data.maxsize - offset) / sizeof(std::int16_t);
        const std::size_t at = written.load(std::memory_order_relaxed);
        if (!data.data || count > kSlotFrames || at - read.load(std::memory_order_acquire) >= kSlots) {
            lost += count;
        } else {
            Slot& slot = ring[at % kSlots];
            // `now` is when the graph's driver began this cycle, on the monotonic clock.
            slot.cycleNs = timed ? time.now : platform::sound::SteadyNowNs();
            slot.count = count;
            slot.lostBefore = lost;
            lost = 0;
            std::copy_n(reinterpret_cast<const std::int16_t*>(static_cast<const std::uint8_t*>(data.data) + offset), count,
                        slot.samples);
            written.store(at + 1, std::memory_order_release);
        }
        pw_stream_queue_buffer(stream, buffer);
        platform::sound::pipewire::SignalEvent(loop, drainEvent);
    }

    // On the loop: hands on what the real-time thread recorded.
    void Drain()
    {
        const std::size_t until = written.load(std::memory_order_acquire);
        for (std::size_t at = read.load(std::memory_order_relaxed); at != until; ++at) {
            const Slot& slot = ring[at % kSlots];
            deliver(slot.samples, slot.count, slot.lostBefore, slot.cycleNs);
            read.store(at + 1, std::memory_order_release);
        }
    }

    bool Connect(int latencyFrames)
    {
        core = pw_context_connect(context, pw_properties_new(PW_KEY_APP_NAME, "strumwell-bench", nullptr), 0);
        if (!core) return false;
        drainEvent = platform::sound::pipewire::AddEvent(loop, [](void* self, std::uint64_t) {
            static_cast<Impl*>(self)->Drain();
        }, this);
        if (!drainEvent) return false;
        pw_properties* props = pw_properties_new(PW_KEY_MEDIA_TYPE, "Audio", PW_KEY_MEDIA_CATEGORY, "Capture",
                                                 PW_KEY_NODE_NAME, "strumwell-bench-monitor",
                                                 PW_KEY_STREAM_CAPTURE_SINK, "true", nullptr);
        if (latencyFrames > 0)
            pw_properties_setf(props, PW_KEY_NODE_LATENCY, "%d/%u", latencyFrames, kRate);
        else
            pw_properties_set(props, PW_KEY_NODE_PASSIVE, "true");
        stream = pw_stream_new(core, "monitor", props);
        if (!stream) return false;
        static const pw_stream_events events = [] {
            pw_stream_events e{};
            e.version = PW_VERSION_STREAM_EVENTS;
            e.state_changed = [](void* self, pw_stream_state, pw_stream_state now, const char* error) {
                auto* me = static_cast<Impl*>(self);
                if (now == PW_STREAM_STATE_ERROR) std::fprintf(stderr, "pipewire monitor: %s\n", error ? error : "error");
                me->state = now;
                pw_thread_loop_signal(me->loop, false);
            };
            e.process = [](void* self) { static_cast<Impl*>(self)->Process(); };
            return e;
        }();
        pw_stream_add_listener(stream, &streamListener, &events, this);
        std::uint8_t pod[512];
        const spa_pod* params[] = {platform::sound::pipewire::MonoFormat(SPA_AUDIO_FORMAT_S16, kRate, pod, sizeof pod)};
        const auto flags = static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS |
                                                        PW_STREAM_FLAG_RT_PROCESS);
        if (pw_stream_connect(stream, PW_DIRECTION_INPUT, PW_ID_ANY, flags, params, 1) < 0) return false;
        // Linked, or refused: the session manager links a new stream within a moment.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (state == PW_STREAM_STATE_CONNECTING && std::chrono::steady_clock::now() < deadline)
            platform::sound::pipewire::WaitAtMost(loop, 100'000'000);
        return state == PW_STREAM_STATE_PAUSED || state == PW_STREAM_STATE_STREAMING;
    }
};

PipeWireMonitor::PipeWireMonitor() = default;
PipeWireMonitor::~PipeWireMonitor() = default;

bool PipeWireMonitor::Start(int latencyFrames, Deliver deliver)
{
    pw_init(nullptr, nullptr);
    impl_ = std::make_unique<Impl>();
    impl_->deliver = std::move(deliver);
    impl_->loop = pw_thread_loop_new("bench-monitor", nullptr);
    if (!impl_->loop) return false;
    // The client configuration that gives the stream's data thread real-time scheduling.
    impl_->context = pw_context_new(pw_thread_loop_get_loop(impl_->loop),
                                    pw_properties_new(PW_KEY_CONFIG_NAME, "client-rt.conf", nullptr), 0);
    if (!impl_->context || pw_thread_loop_start(impl_->loop) < 0) return false;
    pw_thread_loop_lock(impl_->loop);
    const bool ok = impl_->Connect(latencyFrames);
    pw_thread_loop_unlock(impl_->loop);
    return ok;
}

}  // namespace bench
