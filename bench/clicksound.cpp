// Click-to-sound: 50 LoadMovie calls a quarter-second apart through the real player, while the
// default sink's monitor is recorded. Recorded samples are put on the monotonic clock by when the
// server hands them out (see MonitorRecorder::Clock), so the figure is the delay from the call to
// the moment the sink plays the clip's first sound. A rest follows each clip, so every onset
// rises out of silence. Needs a PulseAudio server (tools/pulse-null-sink.sh starts one with a null
// sink); the machine should be otherwise idle, as the server's scheduling is part of the figure.
//
//   eval "$(tools/pulse-null-sink.sh)" && build/bench/clicksound
//   CLICKSOUND_FRAMES=256 CLICKSOUND_DELAY_US=7000 build/bench/clicksound   # other player settings

#include "platform/drive/drive_mapping.h"
#include "platform/flash/sound_flash.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
constexpr int kRate = 48000;
constexpr int kCalls = 50;
constexpr auto kSpacing = 250ms;
constexpr auto kRestAfter = 150ms;  // silence before the next call, so each onset stands clear
constexpr float kThreshold = 0.01f;
const std::string kFolder = "C:\\Program Files\\Fretlane\\Strumwell\\";
const std::string kClip = "2ndStringB.swf";

std::int64_t NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

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
    // clock need not tick at exactly kRate per monotonic second, so its rate is fitted first.
    struct SampleClock {
        double zeroNs = 0.0;
        double nsPerSample = 1e9 / kRate;
        double At(std::size_t sample) const { return zeroNs + nsPerSample * static_cast<double>(sample); }
    };
    SampleClock Clock(std::int64_t sinceNs, std::int64_t untilNs = INT64_MAX)
    {
        std::lock_guard lock(mutex_);
        double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
        for (const Reading& r : readings_) {
            if (r.arrivalNs < sinceNs || r.arrivalNs > untilNs) continue;
            const double x = static_cast<double>(r.endSample), y = static_cast<double>(r.arrivalNs - sinceNs);
            n += 1;
            sx += x;
            sy += y;
            sxx += x * x;
            sxy += x * y;
        }
        SampleClock clock;
        if (n > 2) clock.nsPerSample = (n * sxy - sx * sy) / (n * sxx - sx * sx);
        double zero = 1e300;
        for (const Reading& r : readings_)
            if (r.arrivalNs >= sinceNs && r.arrivalNs <= untilNs)
                zero = std::min(zero, static_cast<double>(r.arrivalNs) - clock.nsPerSample * static_cast<double>(r.endSample));
        clock.zeroNs = zero + static_cast<double>(sinkLatencyUs_) * 1000.0;
        return clock;
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
        const pa_sample_spec spec{PA_SAMPLE_S16LE, kRate, 1};
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
                samples_.insert(samples_.end(), count, 0.0f);  // a hole in the recording
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
};

// Where the clip itself first passes the threshold, so its fade-in does not count as delay.
double ClipOnsetMs()
{
    std::ifstream in(platform::ResolveWindowsPath(kFolder + kClip), std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (std::size_t i = 44; i + 1 < bytes.size(); i += 2) {
        const auto sample = static_cast<std::int16_t>(static_cast<unsigned char>(bytes[i]) |
                                                      (static_cast<unsigned char>(bytes[i + 1]) << 8));
        if (std::abs(sample / 32768.0f) > kThreshold) return static_cast<double>(i - 44) / 2 * 1000.0 / kRate;
    }
    return 0.0;
}

double Percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(std::ceil(p * static_cast<double>(values.size()))) - 1;
    return values[std::min(index, values.size() - 1)];
}

}  // namespace

int main()
{
    platform::SoundFlash::Options options;
    options.preloadFolder = kFolder;
    // Experiments: CLICKSOUND_FRAMES and CLICKSOUND_DELAY_US override the player's defaults.
    if (const char* frames = std::getenv("CLICKSOUND_FRAMES")) options.bufferFrames = std::atoi(frames);
    if (const char* delay = std::getenv("CLICKSOUND_DELAY_US")) options.startDelay = std::chrono::microseconds(std::atoi(delay));
    platform::SoundFlash flash(options);
    if (!flash.WaitUntilReady(5s) || flash.DriverName() != "pulseaudio") {
        std::printf("clicksound: no PulseAudio server reachable (driver \"%s\"); start one with "
                    "eval \"$(tools/pulse-null-sink.sh)\"\n", flash.DriverName().c_str());
        return 1;
    }
    MonitorRecorder recorder;
    if (!recorder.Start()) {
        std::printf("clicksound: cannot record the default sink's monitor\n");
        return 1;
    }
    // An idle null sink renders in long blocks; wait for the first data, then let it settle.
    flash.LoadMovie(0, kFolder + "rest.swf");
    for (int i = 0; i < 500 && recorder.Frames() == 0; ++i) std::this_thread::sleep_for(10ms);
    if (recorder.Frames() == 0) {
        std::printf("clicksound: the monitor delivers no data\n");
        return 1;
    }
    std::this_thread::sleep_for(500ms);

    std::vector<std::int64_t> callNs;
    std::vector<double> callCostUs;
    auto next = std::chrono::steady_clock::now();
    for (int i = 0; i < kCalls; ++i) {
        std::this_thread::sleep_until(next);
        const std::int64_t before = NowNs();
        flash.LoadMovie(0, kFolder + kClip);
        const std::int64_t after = NowNs();
        callNs.push_back(before);
        callCostUs.push_back(static_cast<double>(after - before) / 1000.0);
        std::this_thread::sleep_until(next + kRestAfter);
        flash.LoadMovie(0, kFolder + "rest.swf");
        next += kSpacing;
    }
    std::this_thread::sleep_for(500ms);

    const std::vector<float> samples = recorder.Samples();
    const std::int64_t since = callNs.front() - 200'000'000;
    recorder.QuerySinkLatency();
    const auto overall = recorder.Clock(since);
    const double clipOnsetMs = ClipOnsetMs();
    std::vector<double> delays;
    for (const std::int64_t call : callNs) {
        // A clock fitted around each call: the sink's rate may wander a little over the run.
        const auto clock = recorder.Clock(call - 200'000'000, call + 200'000'000);
        const double first = (static_cast<double>(call) - clock.zeroNs) / clock.nsPerSample - kRate / 1000.0;
        for (auto i = static_cast<std::size_t>(std::max(0.0, first)); i < samples.size(); ++i) {
            if (std::fabs(samples[i]) > kThreshold) {
                delays.push_back((clock.At(i) - static_cast<double>(call)) / 1e6 - clipOnsetMs);
                break;
            }
        }
    }
    if (delays.size() != callNs.size()) {
        std::printf("clicksound: only %zu of %zu clips were heard\n", delays.size(), callNs.size());
        return 1;
    }
    const auto [lowest, highest] = std::minmax_element(delays.begin(), delays.end());
    std::printf("click-to-sound over %d calls, %lld ms apart (PulseAudio default sink, latency %.2f ms,"
                " sample clock %+.0f ppm):\n", kCalls, static_cast<long long>(kSpacing.count()),
                static_cast<double>(recorder.SinkLatencyUs()) / 1000.0, (1e9 / kRate / overall.nsPerSample - 1.0) * 1e6);
    std::printf("  delay  median %.2f ms  p99 %.2f ms  max %.2f ms  min %.2f ms\n", Percentile(delays, 0.5),
                Percentile(delays, 0.99), *highest, *lowest);
    std::printf("  spread (max - min) %.2f ms   targets: p99 <= 10 ms, spread <= 1 ms\n", *highest - *lowest);
    std::ifstream loadavg("/proc/loadavg");
    std::string load;
    std::getline(loadavg, load);
    std::printf("  player: %d frames a buffer, start %lld us after the call; load average %s\n", options.bufferFrames,
                static_cast<long long>(options.startDelay.count()), load.c_str());
    std::printf("  LoadMovie call  median %.1f us  max %.1f us   target: <= 200 us\n", Percentile(callCostUs, 0.5),
                *std::max_element(callCostUs.begin(), callCostUs.end()));
    return 0;
}
