// The output through PulseAudio's client library: one context, and a playback stream with a short
// queue while something sounds. Everything runs on the library's loop thread, with its lock held.

#include "platform/flash/output_backend.h"
#include "platform/flash/stream_clock.h"

#include <SDL.h>
#include <pulse/pulseaudio.h>
#include <pulse/rtclock.h>

#include <pthread.h>
#include <sched.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace platform::sound {
namespace {

constexpr pa_usec_t kWaitTick = 100'000;    // how often a wait for the server looks at the clock
constexpr pa_usec_t kIdleCheck = 100'000;   // how often an open stream is checked for silence
constexpr std::int64_t kTimingInterval = 100'000'000;
constexpr std::int64_t kStallNs = 20'000'000;  // silent this long beyond a request's worth: stalled
constexpr std::int64_t kRewriteMarginNs = 2'000'000;  // for the rewrite to reach the server on a busy machine
constexpr pa_usec_t kAheadCheckUs = 15'000;  // a sink that takes data reads a new stream's first within this
constexpr pa_usec_t kFarAheadUs = 200'000;   // a sink this far ahead of the clock runs a long block
// Asked for directly: below the sound server's own real-time priority (5 by default), above
// everything else. The desktop's real-time broker grants what it grants.
constexpr int kRealtimePriority = 4;
constexpr int kBytesPerFrame = static_cast<int>(sizeof(float));  // mono float

// Real-time scheduling for the calling (audio) thread where the system grants it: directly within
// RLIMIT_RTPRIO (or with the right to raise it), else through the desktop's real-time broker over
// D-Bus, which may take a while: never called with the loop locked. Refused, the thread simply
// runs on at its normal priority. Returns whether it runs in real time now.
bool RequestRealtime()
{
    sched_param param{};
    param.sched_priority = kRealtimePriority;
    if (pthread_setschedparam(pthread_self(), SCHED_FIFO | SCHED_RESET_ON_FORK, &param) == 0) return true;
    rlimit limit{};
    if (getrlimit(RLIMIT_RTPRIO, &limit) == 0 && limit.rlim_cur > 0) {
        param.sched_priority = static_cast<int>(std::min<rlim_t>(limit.rlim_cur, kRealtimePriority));
        if (pthread_setschedparam(pthread_self(), SCHED_FIFO | SCHED_RESET_ON_FORK, &param) == 0) return true;
    }
    return SDL_LinuxSetThreadPriorityAndPolicy(static_cast<Sint64>(gettid()), SDL_THREAD_PRIORITY_TIME_CRITICAL,
                                               SCHED_FIFO) == 0;
}

class PulseBackend final : public Backend {
public:
    explicit PulseBackend(BackendHost host) : host_(std::move(host)) {}

    ~PulseBackend() override
    {
        if (running_) pa_threaded_mainloop_stop(loop_);  // no callback runs after this
        DropStream();
        pa_mainloop_api* api = loop_ ? pa_threaded_mainloop_get_api(loop_) : nullptr;
        if (idleTimer_) api->time_free(idleTimer_);
        if (aheadTimer_) api->time_free(aheadTimer_);
        if (wakeEvent_) api->io_free(wakeEvent_);
        if (wakeFd_ >= 0) ::close(wakeFd_);
        if (context_) {
            pa_context_set_state_callback(context_, nullptr, nullptr);
            pa_context_disconnect(context_);
            pa_context_unref(context_);
        }
        if (loop_) pa_threaded_mainloop_free(loop_);
    }

    const char* Name() const override { return "pulseaudio"; }

    void Wake() override
    {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t put = ::write(wakeFd_, &one, sizeof one);
    }

    bool StreamOpen() const override { return streamOpen_.load(); }

    // Connects to the server (never starting one) and waits for its answer.
    bool Start(Deadline deadline, bool notPipeWire)
    {
        loop_ = pa_threaded_mainloop_new();
        if (!loop_) return false;
        pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_);
        pa_proplist* properties = pa_proplist_new();
        pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "Strumwell");
        context_ = pa_context_new_with_proplist(api, "Strumwell", properties);
        pa_proplist_free(properties);
        if (!context_) return false;
        pa_context_set_state_callback(context_, [](pa_context*, void* self) {
            static_cast<PulseBackend*>(self)->ContextChanged();
        }, this);
        if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return false;
        // Loads reach the loop through this, so that a load never waits for the loop's lock.
        wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        if (wakeFd_ < 0) return false;
        wakeEvent_ = api->io_new(api, wakeFd_, PA_IO_EVENT_INPUT,
            [](pa_mainloop_api*, pa_io_event*, int fd, pa_io_event_flags_t, void* self) {
                std::uint64_t count = 0;
                [[maybe_unused]] const ssize_t got = ::read(fd, &count, sizeof count);
                static_cast<PulseBackend*>(self)->OpenIfWanted();
            }, this);
        if (!wakeEvent_ || pa_threaded_mainloop_start(loop_) < 0) return false;
        running_ = true;
        pa_threaded_mainloop_lock(loop_);
        bool ready = WaitForContext(deadline);
        if (ready) {
            pipewire_ = OnPipeWire(deadline);
            ready = !(notPipeWire && pipewire_);
        }
        if (ready) {
            answered_ = true;
            pa_threaded_mainloop_once_unlocked(loop_, [](pa_threaded_mainloop*, void* self) {
                static_cast<PulseBackend*>(self)->realtime_ = RequestRealtime();
            }, this);
        }
        pa_threaded_mainloop_unlock(loop_);
        return ready;
    }

private:
    // Sends a request whose answer, if any, comes to its callback.
    static void Ask(pa_operation* asked)
    {
        if (asked) pa_operation_unref(asked);
    }

    // Waits (with the loop locked) until `done` says so, the deadline passes or the output gives
    // up. A server that accepts and never answers sends no event at all, so a timer of the loop
    // wakes the wait now and then to look at the clock.
    template <typename Done>
    void WaitUntil(Done done, Deadline deadline)
    {
        pa_time_event* tick = pa_context_rttime_new(context_, pa_rtclock_now() + kWaitTick,
            [](pa_mainloop_api*, pa_time_event* event, const timeval*, void* self) {
                auto* me = static_cast<PulseBackend*>(self);
                pa_context_rttime_restart(me->context_, event, pa_rtclock_now() + kWaitTick);
                pa_threaded_mainloop_signal(me->loop_, 0);
            }, this);
        while (tick && !done() && !host_.giveUp && std::chrono::steady_clock::now() < deadline)
            pa_threaded_mainloop_wait(loop_);
        if (tick) pa_threaded_mainloop_get_api(loop_)->time_free(tick);
    }

    bool WaitForContext(Deadline deadline)
    {
        WaitUntil([this] { return !PA_CONTEXT_IS_GOOD(pa_context_get_state(context_)) ||
                                  pa_context_get_state(context_) == PA_CONTEXT_READY; }, deadline);
        return pa_context_get_state(context_) == PA_CONTEXT_READY;
    }

    // Whether the server is PipeWire's pulse interface (asked with the loop locked).
    bool OnPipeWire(Deadline deadline)
    {
        struct Answer {
            PulseBackend* me;
            bool done = false;
            bool pipewire = false;
        } answer{this};
        pa_operation* asked = pa_context_get_server_info(context_, [](pa_context*, const pa_server_info* info, void* data) {
            auto* a = static_cast<Answer*>(data);
            a->pipewire = info && info->server_name && std::strstr(info->server_name, "PipeWire");
            a->done = true;
            pa_threaded_mainloop_signal(a->me->loop_, 0);
        }, &answer);
        if (!asked) return false;
        WaitUntil([&] { return answer.done || pa_operation_get_state(asked) != PA_OPERATION_RUNNING; }, deadline);
        if (!answer.done) pa_operation_cancel(asked);
        pa_operation_unref(asked);
        return answer.pipewire;
    }

    void ContextChanged()
    {
        pa_threaded_mainloop_signal(loop_, 0);
        if (answered_ && !PA_CONTEXT_IS_GOOD(pa_context_get_state(context_))) ReportLost();
    }

    void ReportLost()
    {
        if (lost_) return;
        lost_ = true;
        DropStream();
        host_.lost();
    }

    // Something waits to be played: a stream is opened for it, or the open stream takes it into
    // its queue at once rather than at the server's next request, which may come a request's
    // length later (the later a click is written over the queue, the nearer it comes to what the
    // sink is already playing).
    void OpenIfWanted()
    {
        if (lost_ || !PA_CONTEXT_IS_GOOD(pa_context_get_state(context_))) return;
        if (stream_) {
            // Only while the server keeps asking: the timing of one that stalls runs on as if it
            // played, and a rewrite would reach it only when it resumes.
            const std::int64_t now = SteadyNowNs();
            if (pa_stream_get_state(stream_) == PA_STREAM_READY && now - lastWriteNs_ < AnsweringWithinNs()) Follow(now);
            return;
        }
        if (host_.source.WantsStream()) OpenStream();
    }

    // The stream keeps a queue of a few requests at the server, which asks for one at a time;
    // playback never stops for want of data (no prebuffering), so that every frame of the stream
    // keeps one fixed relation to the clock.
    void OpenStream()
    {
        const pa_sample_spec spec{PA_SAMPLE_FLOAT32NE, kRate, 1};
        stream_ = pa_stream_new(context_, "Clips", &spec, nullptr);
        if (!stream_) return;
        pa_stream_set_state_callback(stream_, [](pa_stream* s, void* self) {
            auto* me = static_cast<PulseBackend*>(self);
            const pa_stream_state_t state = pa_stream_get_state(s);
            if (state == PA_STREAM_READY) me->AskTiming();
            // Dropped by the next check, outside the stream's own callback.
            else if (!PA_STREAM_IS_GOOD(state)) me->streamFailed_ = true;
        }, this);
        pa_stream_set_write_callback(stream_, [](pa_stream*, std::size_t bytes, void* self) {
            static_cast<PulseBackend*>(self)->Write(bytes);
        }, this);
        pa_stream_set_underflow_callback(stream_, [](pa_stream*, void* self) {
            static_cast<PulseBackend*>(self)->underflows_.fetch_add(1, std::memory_order_relaxed);
        }, this);
        pa_stream_set_latency_update_callback(stream_, [](pa_stream*, void* self) {
            static_cast<PulseBackend*>(self)->FirstTiming();
        }, this);
        quick_ = host_.source.Quick();
        const pa_buffer_attr attr = Attributes(quick_);
        // Neither early requests nor an adjusted latency: then the server gives the sink what the
        // target length leaves beyond two requests, so the sink's latency and how often the
        // server asks are set apart (with early requests the sink's latency is one request).
        const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE);
        if (pa_stream_connect_playback(stream_, nullptr, &attr, flags, nullptr, nullptr) != 0) {
            DropStream();
            return;
        }
        writeFrame_ = 0;
        clock_.Reset();
        started_ = false;
        stalled_ = false;
        lastWriteNs_ = 0;
        quietSinceNs_ = SteadyNowNs();
        streamOpen_ = true;
        SetTimer(idleTimer_, kIdleCheck, [](pa_mainloop_api*, pa_time_event*, const timeval*, void* self) {
            static_cast<PulseBackend*>(self)->CheckIdle();
        });
        SetTimer(aheadTimer_, kAheadCheckUs, [](pa_mainloop_api*, pa_time_event*, const timeval*, void* self) {
            static_cast<PulseBackend*>(self)->CheckFarAhead();
        });
    }

    // Sets `timer` (made at its first use) to call `ring` `after` from now.
    void SetTimer(pa_time_event*& timer, pa_usec_t after, pa_time_event_cb_t ring)
    {
        const pa_usec_t at = pa_rtclock_now() + after;
        if (timer) pa_context_rttime_restart(context_, timer, at);
        else timer = pa_context_rttime_new(context_, at, ring, this);
    }

    // The stream's queue holds two requests beyond what the sink takes, so that a request is
    // answered while the sink still has a request's worth and more to play.
    pa_buffer_attr Attributes(bool quick) const
    {
        const Pace& pace = quick ? host_.options.quick : host_.options.steady;
        const int request = std::clamp(pace.pulseRequestFrames, 16, 4096);
        const int sink = std::clamp(pace.pulseSinkFrames, 16, 4096);
        pa_buffer_attr attr{};
        attr.maxlength = static_cast<std::uint32_t>(-1);
        attr.tlength = static_cast<std::uint32_t>((sink + 2 * request) * kBytesPerFrame);
        attr.prebuf = 0;
        attr.minreq = static_cast<std::uint32_t>(request * kBytesPerFrame);
        attr.fragsize = static_cast<std::uint32_t>(-1);
        return attr;
    }

    // Gives the stream the queue of the pace the source wants now.
    void KeepPace()
    {
        const bool quick = host_.source.Quick();
        if (quick == quick_) return;
        quick_ = quick;
        const pa_buffer_attr attr = Attributes(quick);
        Ask(pa_stream_set_buffer_attr(stream_, &attr, nullptr, nullptr));
    }

    void DropStream()
    {
        if (!stream_) return;
        pa_stream_set_state_callback(stream_, nullptr, nullptr);
        pa_stream_set_write_callback(stream_, nullptr, nullptr);
        pa_stream_set_underflow_callback(stream_, nullptr, nullptr);
        pa_stream_set_latency_update_callback(stream_, nullptr, nullptr);
        if (PA_STREAM_IS_GOOD(pa_stream_get_state(stream_))) pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
        stream_ = nullptr;
        streamFailed_ = false;
        streamOpen_ = false;
    }

    // After `idleAfter` with nothing sounding and nothing to start the stream is closed: an open
    // stream holds the server to its short queue, which costs it as much as playing. The next
    // load opens a new one.
    void CheckIdle()
    {
        const std::int64_t now = SteadyNowNs();
        if (host_.source.Busy()) quietSinceNs_ = now;
        if (streamFailed_ || now - quietSinceNs_ >= std::chrono::nanoseconds(host_.options.idleAfter).count()) {
            DropStream();
            OpenIfWanted();
            return;
        }
        pa_context_rttime_restart(context_, idleTimer_, pa_rtclock_now() + kIdleCheck);
    }

    void AskTiming()
    {
        lastTimingAskNs_ = SteadyNowNs();
        Ask(pa_stream_update_timing_info(stream_, nullptr, nullptr));
    }

    // What waits and must start within what is queued at the server is written over it, from
    // the first frame that changed on: no earlier than the sink has taken (its latency, plus
    // kRewriteMarginNs for the rewrite to reach the server).
    void Revise(std::int64_t now)
    {
        // Only on a clock that agrees with the server: right after a stall the sink may take what
        // is queued faster than the clock says, and a rewrite would cut a start.
        if (!clock_.Settled()) return;
        const std::int64_t lead = std::max(SinkLatencyNs(), PaceSinkNs()) + kRewriteMarginNs;
        const std::int64_t floor = clock_.FrameAt(now + lead);
        // Room for all that is queued beyond the floor: a sink whose latency will not go short
        // makes the server keep that latency and two requests more queued.
        if (const std::int64_t queued = writeFrame_ - floor; queued > static_cast<std::int64_t>(scratch_.size()))
            scratch_.resize(static_cast<std::size_t>(queued));
        const auto from = host_.source.Revise(clock_.HeardAt(writeFrame_), floor, scratch_.data(),
                                              static_cast<int>(scratch_.size()));
        if (!from) return;
        const auto bytes = (writeFrame_ - *from) * static_cast<std::int64_t>(sizeof(float));
        pa_stream_write(stream_, scratch_.data(), static_cast<std::size_t>(bytes), nullptr, -bytes, PA_SEEK_RELATIVE);
    }

    // A new stream's first request comes before the server's first timing, so what waits is not
    // placed in it: it is written over the queue as soon as that timing arrives, rather than at
    // the end of the queue a request later.
    void FirstTiming()
    {
        if (started_ && !clock_.Set() && pa_stream_get_state(stream_) == PA_STREAM_READY) Follow(SteadyNowNs());
    }

    // Folds the server's latest timing into the stream's clock and writes what waits over the
    // queue where it must start within it.
    void Follow(std::int64_t now)
    {
        pa_usec_t latency = 0;
        int negative = 0;
        if (pa_stream_get_latency(stream_, &latency, &negative) != 0) return;
        std::int64_t reading = now + (negative ? -1 : 1) * static_cast<std::int64_t>(latency) * 1000;
        // After a PulseAudio server stalled, the library's interpolation is off for the rest of the
        // stream: a few ms later than the sink, or, where the server worked off the time it stood
        // still (the read index leaps ahead and the interpolation never goes back), standing still
        // for seconds, ever later. A click written over the queue by it lands on frames already
        // taken and loses its start; the server's latest timing says better when frames are heard.
        if (stalled_)
            if (const auto timed = TimedReading(now)) reading = *timed;
        clock_.Update(writeFrame_, reading, now);
        Revise(now);
    }

    // When the next frame written is heard by the server's latest timing: what the sink takes next
    // (the read index) is heard the sink's latency after the moment of the timing.
    std::optional<std::int64_t> TimedReading(std::int64_t now) const
    {
        const pa_timing_info* timing = pipewire_ ? nullptr : pa_stream_get_timing_info(stream_);
        if (!timing || timing->read_index_corrupt) return std::nullopt;
        const auto ageNs = static_cast<std::int64_t>(pa_timeval_age(&timing->timestamp)) * 1000;
        const std::int64_t readHeardNs = now - ageNs + static_cast<std::int64_t>(timing->sink_usec) * 1000;
        const std::int64_t ahead = writeFrame_ - timing->read_index / kBytesPerFrame;
        return readHeardNs + ahead * 1'000'000'000 / kRate;
    }

    // A sink that no client held short renders far ahead of the clock (a null sink: up to 2 s),
    // and a new stream waits that out: the rewind the server asks for at its first data is bounded
    // by the short latency the stream has just given the sink. Suspended and let go again, the
    // sink starts afresh from now. Only where that takes nothing from anyone: the sink is still
    // far ahead, has read nothing of this stream and plays no other one; a recorder of its monitor
    // attached since it rendered has had nothing of it yet, and a sink working off a stall is
    // behind the clock, never ahead.
    void CheckFarAhead()
    {
        if (pipewire_ || !stream_) return;
        if (pa_stream_get_state(stream_) == PA_STREAM_CREATING) {
            pa_context_rttime_restart(context_, aheadTimer_, pa_rtclock_now() + kAheadCheckUs);
            return;
        }
        if (pa_stream_get_state(stream_) != PA_STREAM_READY) return;
        aheadSink_ = pa_stream_get_device_index(stream_);
        if (aheadSink_ == PA_INVALID_INDEX) return;
        Ask(pa_context_get_sink_info_by_index(context_, aheadSink_, [](pa_context*, const pa_sink_info* info, int eol, void* self) {
            auto* me = static_cast<PulseBackend*>(self);
            // Only a sink whose latency follows its clients: one whose latency is high by itself
            // (a wireless or network sink) gains nothing, and its device would be closed for it.
            if (!eol && info && me->stream_ && (info->flags & PA_SINK_DYNAMIC_LATENCY) && info->latency > kFarAheadUs)
                me->AskReadIndex();
        }, this));
    }

    void AskReadIndex()
    {
        Ask(pa_stream_update_timing_info(stream_, [](pa_stream* s, int ok, void* self) {
            auto* me = static_cast<PulseBackend*>(self);
            const pa_timing_info* timing = ok ? pa_stream_get_timing_info(s) : nullptr;
            if (s == me->stream_ && timing && !timing->read_index_corrupt && timing->read_index == 0) me->AskOtherStreams();
        }, this));
    }

    void AskOtherStreams()
    {
        aheadOthers_ = 0;
        Ask(pa_context_get_sink_input_info_list(context_, [](pa_context*, const pa_sink_input_info* input, int eol, void* self) {
            auto* me = static_cast<PulseBackend*>(self);
            if (eol < 0 || !me->stream_) return;
            if (!eol) {
                if (input && input->sink == me->aheadSink_ && input->index != pa_stream_get_index(me->stream_)) ++me->aheadOthers_;
                return;
            }
            if (me->aheadOthers_ > 0) return;
            for (const int suspend : {1, 0})
                Ask(pa_context_suspend_sink_by_index(me->context_, me->aheadSink_, suspend, nullptr, nullptr));
        }, this));
    }

    static std::int64_t FramesNs(int frames) { return static_cast<std::int64_t>(frames) * 1'000'000'000 / kRate; }

    // How far ahead the sink takes the stream's frames, by the server's latest timing.
    std::int64_t SinkLatencyNs() const
    {
        const pa_timing_info* timing = pa_stream_get_timing_info(stream_);
        return timing ? static_cast<std::int64_t>(std::max(timing->sink_usec, timing->configured_sink_usec)) * 1000 : 0;
    }

    // The sink's latency the pace asks for, the least the lead may be where the server reports
    // less than it gave.
    std::int64_t PaceSinkNs() const
    {
        return FramesNs(std::clamp((quick_ ? host_.options.quick : host_.options.steady).pulseSinkFrames, 16, 4096));
    }

    // A server that plays asks for data at least once a request's worth has gone, of either pace
    // (a new pace takes effect a little after it is asked for), or once the sink has taken a block
    // of its latency, where that is longer.
    std::int64_t AnsweringWithinNs() const
    {
        const int request = std::max(host_.options.quick.pulseRequestFrames, host_.options.steady.pulseRequestFrames);
        const pa_timing_info* timing = pa_stream_get_timing_info(stream_);
        const std::int64_t blockNs = timing ? static_cast<std::int64_t>(timing->configured_sink_usec) * 1000 : 0;
        return std::max(FramesNs(std::clamp(request, 16, 4096)), blockNs) + kStallNs;
    }

    // The server asks for `bytes`: each piece is rendered with the moment its first frame is
    // heard, which the library interpolates from the server's latest timing.
    void Write(std::size_t bytes)
    {
        if (!started_) {
            host_.source.StreamStarted();
            started_ = true;
        }
        if (pa_stream_get_state(stream_) == PA_STREAM_READY) KeepPace();
        const std::int64_t now = SteadyNowNs();
        // The server's own updates come ever more rarely: ask often enough that the stream's
        // clock follows the sink's.
        if (now - lastTimingAskNs_ >= kTimingInterval) AskTiming();
        if (lastWriteNs_ != 0 && now - lastWriteNs_ >= AnsweringWithinNs()) stalled_ = true;
        lastWriteNs_ = now;
        Follow(now);
        while (stream_ && bytes >= sizeof(float)) {
            void* data = nullptr;
            std::size_t size = bytes;
            if (pa_stream_begin_write(stream_, &data, &size) < 0 || !data) return;
            size = std::min(size, bytes);
            size -= size % sizeof(float);
            const auto frames = static_cast<int>(size / sizeof(float));
            host_.source.Render(static_cast<float*>(data), frames,
                                clock_.Set() ? std::optional(clock_.HeardAt(writeFrame_)) : std::nullopt);
            if (pa_stream_write(stream_, data, size, nullptr, 0, PA_SEEK_RELATIVE) < 0) return;
            writeFrame_ += frames;
            bytes -= size;
        }
    }

    BackendHost host_;
    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    pa_io_event* wakeEvent_ = nullptr;
    pa_time_event* idleTimer_ = nullptr;
    pa_time_event* aheadTimer_ = nullptr;
    int wakeFd_ = -1;
    bool running_ = false;
    bool pipewire_ = false;  // the server is PipeWire's pulse interface
    bool answered_ = false;  // the context was ready once: a later failure means the server went
    bool lost_ = false;
    std::atomic<bool> streamOpen_{false};

    // The open stream, used on the loop thread.
    std::int64_t writeFrame_ = 0;
    StreamClock clock_;
    bool started_ = false;
    bool quick_ = false;
    bool streamFailed_ = false;
    bool stalled_ = false;  // the server stopped asking for data for a while since the stream opened
    std::int64_t quietSinceNs_ = 0;
    std::int64_t lastTimingAskNs_ = 0;
    std::int64_t lastWriteNs_ = 0;  // when the server last asked for data
    std::uint32_t aheadSink_ = PA_INVALID_INDEX;  // the sink looked at by CheckFarAhead
    int aheadOthers_ = 0;                         // other streams found on it
    std::vector<float> scratch_ = std::vector<float>(4096);  // what a revision renders again
};

}  // namespace

std::unique_ptr<Backend> ConnectPulse(BackendHost host, Deadline deadline, bool notPipeWire)
{
    auto backend = std::make_unique<PulseBackend>(std::move(host));
    if (!backend->Start(deadline, notPipeWire)) return nullptr;
    return backend;
}

}  // namespace platform::sound
