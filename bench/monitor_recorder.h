#pragma once
// Records the default sink's monitor through libpulse for the sound benches, and puts every
// recorded sample on the monotonic clock.

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <limits>
#include <mutex>
#include <vector>

namespace bench {

inline std::int64_t NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

inline constexpr int kMonitorRate = 48000;

// Records the default sink's monitor, mono 16-bit, and notes for every read what the server says
// the stream's time is, to map sample numbers to the monotonic clock.
class MonitorRecorder {
public:
    bool Start()
    {
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

    // Monotonic time of recorded samples since `sinceNs`. The server mixes a whole block of the
    // sink's latency at once and the block's last sample reaches us first at that moment, so the
    // earliest (arrival - sample time) puts the samples on the clock one block ahead of their place
    // in the sink's output; adding the sink's latency gives when each is played. The sink's sample
    // clock need not tick at exactly kMonitorRate per monotonic second, so its rate is fitted first.
    struct SampleClock {
        double zeroNs = 0.0;
        double nsPerSample = 1e9 / kMonitorRate;
        double At(std::size_t sample) const { return zeroNs + nsPerSample * static_cast<double>(sample); }
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
        clock.zeroNs = zero + static_cast<double>(sinkLatencyUs_) * 1000.0;
        return clock;
    }

    // Samples the recording lost (NaN in Samples()).
    std::size_t Holes()
    {
        std::lock_guard lock(mutex_);
        return holes_;
    }

    std::uint64_t SinkLatencyUs()
    {
        std::lock_guard lock(mutex_);
        return sinkLatencyUs_;
    }

    // Asks the server for the default sink's configured latency (blocks until it answers).
    bool QuerySinkLatency()
    {
        pa_threaded_mainloop_lock(loop_);
        pa_operation* op = pa_context_get_sink_info_by_name(context_, "@DEFAULT_SINK@",
            [](pa_context*, const pa_sink_info* info, int eol, void* self) {
                auto* me = static_cast<MonitorRecorder*>(self);
                if (!eol && info) {
                    std::lock_guard lock(me->mutex_);
                    me->sinkLatencyUs_ = info->configured_latency;
                }
                pa_threaded_mainloop_signal(me->loop_, 0);
            }, this);
        while (op && pa_operation_get_state(op) == PA_OPERATION_RUNNING) pa_threaded_mainloop_wait(loop_);
        if (op) pa_operation_unref(op);
        pa_threaded_mainloop_unlock(loop_);
        return op != nullptr;
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
        stream_ = pa_stream_new(context_, "monitor", &spec, nullptr);
        if (!stream_) return false;
        pa_stream_set_read_callback(stream_, [](pa_stream*, std::size_t, void* self) {
            static_cast<MonitorRecorder*>(self)->Read();
        }, this);
        pa_buffer_attr attr{};
        attr.maxlength = static_cast<std::uint32_t>(-1);
        attr.fragsize = static_cast<std::uint32_t>(pa_usec_to_bytes(2000, &spec));
        const auto flags = PA_STREAM_ADJUST_LATENCY;
        return pa_stream_connect_record(stream_, "@DEFAULT_MONITOR@", &attr, flags) == 0;
    }

    void Read()
    {
        const void* data = nullptr;
        std::size_t bytes = 0;
        while (pa_stream_readable_size(stream_) > 0 && pa_stream_peek(stream_, &data, &bytes) == 0 && bytes > 0) {
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
            readings_.push_back({NowNs(), samples_.size()});
        }
    }

    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    std::mutex mutex_;
    std::vector<float> samples_;
    struct Reading {
        std::int64_t arrivalNs;
        std::size_t endSample;  // samples received so far
    };
    std::vector<Reading> readings_;
    std::uint64_t sinkLatencyUs_ = 0;
    std::size_t holes_ = 0;
};

}  // namespace bench
