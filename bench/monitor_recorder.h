#pragma once
// Records the default sink's monitor for the sound benches and puts every recorded sample on the
// monotonic clock, in one of two ways (STRUMWELL_BENCH_RECORDER=pulse|pipewire; by default
// PipeWire's own when the player is on PipeWire, else libpulse):
//   libpulse  (PulseAudio, or PipeWire's pulse interface) a sample is put where the delivery that
//             held it reached this recorder: on PipeWire that is 2-5 ms after the graph played it,
//             as late as the pulse interface's thread, which runs at normal priority, gets to it
//   pipewire  a native capture stream in PipeWire's data thread (real time where granted): each
//             buffer is stamped with when the graph cycle that carried it began, by the graph's own
//             clock. A cycle's monitor buffer holds what the sink took in the cycle before, so the
//             buffer ends at that stamp and a sample is put at the stamp less the samples after it
//             in the buffer: when the sink played it, by the graph. (Counting forward from the
//             stamp would put a click a quantum later than the libpulse recorder already had it in
//             hand, 13.8 ms after its call against deliveries from 8.7 ms on, which cannot be.)
// The recorder in use and what its times mean are printed by Describe().

#include "recorder/pipewire_monitor.h"

#include <pulse/pulseaudio.h>

#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <limits>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace bench {

inline std::int64_t NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

inline constexpr int kMonitorRate = 48000;

enum class RecorderKind { Pulse, PipeWire };

// STRUMWELL_BENCH_RECORDER=pulse|pipewire, or else PipeWire's own recorder when the player is on
// PipeWire (its driver `playerDriver`).
inline RecorderKind ChooseRecorder(const std::string& playerDriver)
{
    const char* asked = std::getenv("STRUMWELL_BENCH_RECORDER");
    if (asked && std::string(asked) == "pulse") return RecorderKind::Pulse;
    if (asked && std::string(asked) == "pipewire") return RecorderKind::PipeWire;
    return playerDriver == "pipewire" ? RecorderKind::PipeWire : RecorderKind::Pulse;
}

// Records the default sink's monitor, mono 16-bit, and notes when each delivery of samples
// arrived (libpulse) or when the graph cycle of each buffer began (pipewire). The libpulse
// recording thread runs in real time where the system grants it, so that a busy machine delays
// the arrivals as little as it can.
class MonitorRecorder {
public:
    // `fragmentUs`: how much the server gathers before it delivers, which also holds the sink to
    // about that latency; 0 asks for nothing, so the sink keeps the latency it would have without
    // this recorder and may be suspended when nothing else plays (for figures on a sink with no
    // other client). PipeWire's pulse interface holds a recorder to no less than 256 frames
    // (pulse.min.frag), so the native recorder asks the graph for that.
    explicit MonitorRecorder(RecorderKind kind, int fragmentUs = 2000) : kind_(kind), fragmentUs_(fragmentUs) {}

    // Which recorder this is and what its times mean, for the benches' output.
    const char* Describe() const { return Describe(kind_); }
    static const char* Describe(RecorderKind kind)
    {
        return kind == RecorderKind::PipeWire
                   ? "recorder: PipeWire capture stream of the sink's monitor, in PipeWire's data thread; \"delivered\" is when"
                     " the sink played the sample by the graph's clock: the start of the cycle that carried its buffer"
                     " (pw_stream_get_time_n), where that buffer ends, less the samples after it"
                   : "recorder: libpulse record stream of the sink's monitor; \"delivered\" is when the delivery holding"
                     " the sample reached the recorder (on PipeWire, through its pulse interface)";
    }

    bool Start()
    {
        if (kind_ == RecorderKind::PipeWire) {
            pipewire_ = std::make_unique<PipeWireMonitor>();
            return pipewire_->Start(fragmentUs_ > 0 ? 256 : 0, [this](const std::int16_t* pcm, std::size_t count,
                                                                       std::size_t lostBefore, std::int64_t cycleNs) {
                std::lock_guard lock(mutex_);
                samples_.insert(samples_.end(), lostBefore, std::numeric_limits<float>::quiet_NaN());
                holes_ += lostBefore;
                for (std::size_t i = 0; i < count; ++i) samples_.push_back(pcm[i] / 32768.0f);
                if (count > 0) readings_.push_back({cycleNs, samples_.size()});
            });
        }
        loop_ = pa_threaded_mainloop_new();
        if (!loop_) return false;
        context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "clicksound");
        pa_context_set_state_callback(context_, [](pa_context*, void* l) {
            pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(l), 0);
        }, loop_);
        if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return false;
        pa_threaded_mainloop_lock(loop_);
        pa_threaded_mainloop_start(loop_);
        bool ok = WaitContext() && OpenStream();
        pa_threaded_mainloop_unlock(loop_);
        return ok;
    }

    ~MonitorRecorder()
    {
        pipewire_.reset();  // no buffer is delivered after this
        if (!loop_) return;
        pa_threaded_mainloop_stop(loop_);
        if (stream_) pa_stream_unref(stream_);
        if (context_) {
            pa_context_disconnect(context_);
            pa_context_unref(context_);
        }
        pa_threaded_mainloop_free(loop_);
    }

    std::size_t Frames()
    {
        std::lock_guard lock(mutex_);
        return samples_.size();
    }

    std::vector<float> Samples()
    {
        std::lock_guard lock(mutex_);
        return samples_;
    }

    // The sink's sample clock over the deliveries that arrived from `sinceNs` to `untilNs`: At(n)
    // is the earliest moment at which the first n samples can all have been delivered, the line
    // under every delivery's arrival (a delivery that arrived late, because the machine was busy,
    // lies above it). Between deliveries it runs on by the sink's rate, which need not be exactly
    // kMonitorRate per monotonic second and is fitted first. The server makes no claim in it: the
    // sink's reported latency plays no part (PipeWire's pulse interface reports 0). With the
    // pipewire recorder the line lies under the cycles' stamps, each at the end of its buffer.
    struct SampleClock {
        double zeroNs = 0.0;
        double nsPerSample = 1e9 / kMonitorRate;
        double At(std::size_t samples) const { return zeroNs + nsPerSample * static_cast<double>(samples); }
    };
    SampleClock Clock(std::int64_t sinceNs, std::int64_t untilNs = INT64_MAX)
    {
        std::lock_guard lock(mutex_);
        std::vector<const Reading*> window;
        for (const Reading& r : readings_)
            if (r.arrivalNs >= sinceNs && r.arrivalNs <= untilNs) window.push_back(&r);
        SampleClock clock;
        if (window.empty()) return clock;
        // The rate is fitted through the readings that came with the least delay, one from each of
        // up to 16 stretches of the window: a busy machine delays some reads more than others,
        // which would tilt a fit through all of them.
        constexpr std::size_t kStretches = 16;
        const double first = static_cast<double>(window.front()->endSample);
        const double span = static_cast<double>(window.back()->endSample) - first + 1;
        std::array<const Reading*, kStretches> quickest{};
        const auto delay = [&](const Reading* r) {
            return static_cast<double>(r->arrivalNs - sinceNs) - clock.nsPerSample * static_cast<double>(r->endSample);
        };
        for (const Reading* r : window) {
            auto bin = static_cast<std::size_t>((static_cast<double>(r->endSample) - first) / span * kStretches);
            bin = std::min(bin, kStretches - 1);
            if (!quickest[bin] || delay(r) < delay(quickest[bin])) quickest[bin] = r;
        }
        double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
        for (const Reading* r : quickest) {
            if (!r) continue;
            const double x = static_cast<double>(r->endSample), y = static_cast<double>(r->arrivalNs - sinceNs);
            n += 1;
            sx += x;
            sy += y;
            sxx += x * x;
            sxy += x * y;
        }
        if (n > 2) clock.nsPerSample = (n * sxy - sx * sy) / (n * sxx - sx * sx);
        double zero = 1e300;
        for (const Reading* r : window)
            zero = std::min(zero, static_cast<double>(r->arrivalNs) - clock.nsPerSample * static_cast<double>(r->endSample));
        clock.zeroNs = zero;
        return clock;
    }

    // The clock of `rate`, its line laid under the deliveries within 50 ms of `sample` only: a
    // sink that skipped a cycle somewhere else in the run (PipeWire's graph does, when a client
    // wakes too late for it) delivered fewer samples than the time that passed, which moves the
    // line of a whole run off here. With the pipewire recorder, through the stamp of the cycle
    // that carried `sample` alone: every cycle has its own, and a skipped one nearby would move a
    // line laid under several.
    SampleClock Around(std::size_t sample, const SampleClock& rate)
    {
        constexpr std::size_t kNear = kMonitorRate / 20;
        std::lock_guard lock(mutex_);
        SampleClock clock = rate;
        if (kind_ == RecorderKind::PipeWire) {
            const auto holding = std::upper_bound(readings_.begin(), readings_.end(), sample,
                                                  [](std::size_t s, const Reading& r) { return s < r.endSample; });
            if (holding != readings_.end())
                clock.zeroNs = static_cast<double>(holding->arrivalNs) - clock.nsPerSample * static_cast<double>(holding->endSample);
            return clock;
        }
        double zero = 1e300;
        for (const Reading& r : readings_)
            if (r.endSample + kNear >= sample && r.endSample <= sample + kNear)
                zero = std::min(zero, static_cast<double>(r.arrivalNs) - clock.nsPerSample * static_cast<double>(r.endSample));
        if (zero < 1e300) clock.zeroNs = zero;
        return clock;
    }

    // libpulse: when the delivery that held `sample` arrived, on `clock` (so without the delay a
    // busy machine put on this recorder's own thread): what a listener at the sink's monitor hears
    // of it, at the earliest. pipewire: when the sink played it, the stamp of the cycle that
    // carried its buffer less the samples after it there, at `clock`'s rate.
    double DeliveredNs(std::size_t sample, const SampleClock& clock)
    {
        std::lock_guard lock(mutex_);
        const auto holding = std::upper_bound(readings_.begin(), readings_.end(), sample,
                                              [](std::size_t s, const Reading& r) { return s < r.endSample; });
        if (holding == readings_.end()) return clock.At(sample + 1);
        if (kind_ == RecorderKind::PipeWire)
            return static_cast<double>(holding->arrivalNs) - clock.nsPerSample * static_cast<double>(holding->endSample - sample - 1);
        return clock.At(holding->endSample);
    }

    // Samples the recording lost (NaN in Samples()).
    std::size_t Holes()
    {
        std::lock_guard lock(mutex_);
        return holes_;
    }

private:
    bool WaitContext()
    {
        for (;;) {
            const pa_context_state_t state = pa_context_get_state(context_);
            if (state == PA_CONTEXT_READY) return true;
            if (!PA_CONTEXT_IS_GOOD(state)) return false;
            pa_threaded_mainloop_wait(loop_);
        }
    }

    bool OpenStream()
    {
        const pa_sample_spec spec{PA_SAMPLE_S16LE, kMonitorRate, 1};
        // A recorder that holds nothing keeps no sink awake: on PulseAudio by its flag, on
        // PipeWire, whose pulse interface passes stream properties on to the node, as a passive one.
        pa_proplist* properties = pa_proplist_new();
        if (fragmentUs_ == 0) pa_proplist_sets(properties, "node.passive", "true");
        stream_ = pa_stream_new_with_proplist(context_, "monitor", &spec, nullptr, properties);
        pa_proplist_free(properties);
        if (!stream_) return false;
        pa_stream_set_read_callback(stream_, [](pa_stream*, std::size_t, void* self) {
            static_cast<MonitorRecorder*>(self)->Read();
        }, this);
        pa_buffer_attr attr{};
        attr.maxlength = static_cast<std::uint32_t>(-1);
        attr.fragsize = fragmentUs_ > 0 ? static_cast<std::uint32_t>(pa_usec_to_bytes(static_cast<pa_usec_t>(fragmentUs_), &spec))
                                        : static_cast<std::uint32_t>(-1);
        const auto flags = fragmentUs_ > 0 ? PA_STREAM_ADJUST_LATENCY : PA_STREAM_DONT_INHIBIT_AUTO_SUSPEND;
        return pa_stream_connect_record(stream_, "@DEFAULT_MONITOR@", &attr, flags) == 0;
    }

    // Everything readable now is one delivery: its samples arrived together.
    void Read()
    {
        if (!realtimeAsked_) {
            realtimeAsked_ = true;
            sched_param param{};
            param.sched_priority = 3;  // below the player's audio thread and the server
            pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
        }
        const std::int64_t arrivalNs = NowNs();
        const void* data = nullptr;
        std::size_t bytes = 0;
        bool read = false;
        while (pa_stream_readable_size(stream_) > 0 && pa_stream_peek(stream_, &data, &bytes) == 0 && bytes > 0) {
            read = true;
            std::lock_guard lock(mutex_);
            const std::size_t count = bytes / 2;
            if (data) {
                const auto* pcm = static_cast<const std::int16_t*>(data);
                for (std::size_t i = 0; i < count; ++i) samples_.push_back(pcm[i] / 32768.0f);
            } else {
                // A hole in the recording (this reader fell behind): not silence at the sink.
                samples_.insert(samples_.end(), count, std::numeric_limits<float>::quiet_NaN());
                holes_ += count;
            }
            pa_stream_drop(stream_);
        }
        if (!read) return;
        std::lock_guard lock(mutex_);
        readings_.push_back({arrivalNs, samples_.size()});
    }

    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    std::mutex mutex_;
    std::vector<float> samples_;
    // libpulse: a delivery, which arrived at `arrivalNs` with the samples up to `endSample`;
    // pipewire: a cycle's buffer, ending at `endSample`, whose cycle began at `arrivalNs`.
    struct Reading {
        std::int64_t arrivalNs;
        std::size_t endSample;  // samples received so far
    };
    std::vector<Reading> readings_;
    std::size_t holes_ = 0;
    const RecorderKind kind_;
    const int fragmentUs_;
    bool realtimeAsked_ = false;
    std::unique_ptr<PipeWireMonitor> pipewire_;
};

}  // namespace bench
