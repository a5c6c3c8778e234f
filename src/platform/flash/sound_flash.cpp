#include "platform/flash/sound_flash.h"

#include "platform/clock/due_time.h"
#include "platform/drive/drive_mapping.h"

#include <SDL.h>
#include <pulse/pulseaudio.h>
#include <pulse/rtclock.h>

#include <fcntl.h>
#include <sys/eventfd.h>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <limits>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
#include <vector>

namespace platform {
namespace {

namespace fs = std::filesystem;

constexpr int kRate = 48000;
constexpr int kLayers = 4;              // the program only uses layer 0
constexpr std::size_t kMaxPending = 64;  // loads not yet placed in the stream; more than enough
constexpr const char* kClipFolder = "C:\\Program Files\\Fretlane\\Strumwell\\";
constexpr auto kConnectTimeout = std::chrono::seconds(3);
constexpr pa_usec_t kWaitTick = 100'000;  // how often a wait for the server looks at the clock
// Asked for directly: below the sound server's own real-time priority (5 by default), above
// everything else. The desktop's real-time broker grants what it grants.
constexpr int kRealtimePriority = 4;
constexpr pa_usec_t kIdleCheck = 250'000;  // how often an open stream is checked for silence
constexpr std::size_t kMaxStarts = 256;     // starts kept per stream; pruned long before this
// The server's timing of the stream, between updates, is trusted to this much; a reading further
// off, several times in a row, means the stream's clock moved (a new sink, a stalled server).
constexpr std::int64_t kTimingTolerance = 2'000'000;
constexpr int kTimingJumps = 3;
constexpr std::int64_t kTimingInterval = 50'000'000;
constexpr int kTimingSmoothing = 8;  // each reading moves the stream's clock by 1/8 of its error
// A start never lies closer to what is heard now than the sink plays ahead (it takes the server's
// data a request at a time) plus a millisecond for the rewrite to reach the server.
constexpr std::int64_t kLeadMarginNs = 1'000'000;

std::int64_t NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::int64_t ToNs(SoundFlash::TimePoint t)
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
}

// A decoded clip: mono 16-bit samples at kRate (half the memory of floats for all 99 clips).
// Empty for a missing or damaged file, which then plays as silence.
struct Clip {
    std::vector<std::int16_t> samples;
    bool silent = true;  // nothing but zeros (a rest), or nothing at all
};

// The whole file, if it is a regular file. Opened without blocking and checked once open, so that
// a FIFO or a device in its place (or put there meanwhile) is never waited on.
std::optional<std::vector<Uint8>> ReadRegularFile(const fs::path& file)
{
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    std::optional<std::vector<Uint8>> bytes;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        bytes.emplace();
        std::array<Uint8, 65536> chunk;
        for (;;) {
            const ssize_t got = ::read(fd, chunk.data(), chunk.size());
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;
            bytes->insert(bytes->end(), chunk.begin(), chunk.begin() + got);
        }
    }
    ::close(fd);
    return bytes;
}

std::unique_ptr<Clip> DecodeClip(const fs::path& file)
{
    auto clip = std::make_unique<Clip>();
    const auto bytes = ReadRegularFile(file);
    if (!bytes || bytes->empty()) return clip;
    SDL_AudioSpec spec;
    Uint8* data = nullptr;
    Uint32 length = 0;
    SDL_RWops* source = SDL_RWFromConstMem(bytes->data(), static_cast<int>(bytes->size()));
    if (!source || !SDL_LoadWAV_RW(source, 1, &spec, &data, &length)) return clip;
    SDL_AudioCVT cvt;
    if (SDL_BuildAudioCVT(&cvt, spec.format, spec.channels, spec.freq, AUDIO_S16SYS, 1, kRate) >= 0) {
        std::vector<Uint8> work(static_cast<std::size_t>(length) * static_cast<std::size_t>(std::max(1, cvt.len_mult)));
        std::memcpy(work.data(), data, length);
        cvt.buf = work.data();
        cvt.len = static_cast<int>(length);
        if (SDL_ConvertAudio(&cvt) == 0) {
            clip->samples.resize(static_cast<std::size_t>(cvt.len_cvt) / sizeof(std::int16_t));
            std::memcpy(clip->samples.data(), work.data(), clip->samples.size() * sizeof(std::int16_t));
            clip->silent = std::all_of(clip->samples.begin(), clip->samples.end(), [](std::int16_t v) { return v == 0; });
        }
    }
    SDL_FreeWAV(data);
    return clip;
}

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

// A request to the audio thread: from the moment `startNs` (steady clock) on, `layer` plays `clip`
// (nullptr: silence).
struct Command {
    int layer = 0;
    const Clip* clip = nullptr;
    std::int64_t startNs = 0;
};

// A clip placed in the stream: from `frame` on, `layer` plays `clip` (nullptr: silence) until the
// layer's next start.
struct Start {
    std::int64_t frame = 0;
    int layer = 0;
    const Clip* clip = nullptr;
};

// A clip asked for before it was decoded: started when ready unless its layer has moved on.
struct DecodeJob {
    std::string file;
    int layer = 0;
    std::uint64_t generation = 0;
    std::int64_t startNs = 0;  // when the load wanted it to start; it never starts earlier
};

}  // namespace

SoundFlash::TimePoint SoundFlash::StartOf(TimePoint now, std::optional<TimePoint> due, const Options& options)
{
    if (!due) return now + options.startDelay;
    // A due moment that lies ahead (it cannot, on this clock) counts as now; a step later than the
    // playback latency starts at once (as soon as the stream can still be changed).
    return std::clamp(*due + options.playbackLatency, now, now + options.playbackLatency);
}

struct SoundFlash::Impl {
    explicit Impl(Options o) : options(std::move(o)), startDelayNs(options.startDelay.count() * 1000)
    {
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");  // the program handles its own signals
        worker = std::thread([this] { Work(); });
    }

    ~Impl()
    {
        {
            std::lock_guard lock(jobMutex);
            stopping = true;
        }
        jobReady.notify_all();
        worker.join();
    }

    void LoadMovie(int layer, const std::string& path)
    {
        if (layer < 0 || layer >= kLayers) return;
        const auto now = std::chrono::steady_clock::now();
        const std::int64_t startNs = ToNs(StartOf(now, RunningDue(), options));
        const Clip* clip = nullptr;
        bool decoded = false;
        {
            std::lock_guard lock(cacheMutex);
            if (const auto found = byWindowsPath.find(path); found != byWindowsPath.end()) {
                clip = found->second;
                decoded = true;
            }
        }
        std::string file;
        if (!decoded) {
            file = ResolveWindowsPath(path).string();
            std::lock_guard lock(cacheMutex);
            if (const auto found = cache.find(file); found != cache.end()) {
                clip = found->second.get();
                decoded = true;
                byWindowsPath.emplace(path, clip);
            }
        }
        std::uint64_t generation = 0;
        {
            // A newer load and a late decode never interleave: whichever takes the lock last plays.
            std::lock_guard lock(loadMutex);
            generation = ++generations[static_cast<std::size_t>(layer)];
            Push({layer, clip, startNs});  // an undecoded clip silences the layer until it is ready
        }
        if (!decoded) {
            {
                std::lock_guard lock(jobMutex);
                jobs.push_back({std::move(file), layer, generation, startNs});
            }
            jobReady.notify_all();
        }
    }

    bool WaitUntilReady(std::chrono::milliseconds timeout) const
    {
        std::unique_lock lock(jobMutex);
        return readyChanged.wait_for(lock, timeout, [this] { return ready; });
    }

    std::string DriverName() const
    {
        std::lock_guard lock(jobMutex);
        return driverName;
    }

    // --- the worker thread: connects to the server, decodes, disconnects at the end ---

    void Work()
    {
        const bool open = OpenStream();
        if (!open) CloseStream();
        {
            std::lock_guard lock(jobMutex);
            if (open) driverName = "pulseaudio";
        }
        Preload();
        {
            std::lock_guard lock(jobMutex);
            ready = true;
        }
        readyChanged.notify_all();
        while (ServeOneJob(true)) {
        }
        CloseStream();
    }

    // Connects to the server (never starting one). The stream itself opens with the first load.
    bool OpenStream()
    {
        loop = pa_threaded_mainloop_new();
        if (!loop) return false;
        pa_proplist* properties = pa_proplist_new();
        pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "Strumwell");
        context = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop), "Strumwell", properties);
        pa_proplist_free(properties);
        if (!context) return false;
        pa_context_set_state_callback(context, [](pa_context*, void* self) {
            pa_threaded_mainloop_signal(static_cast<Impl*>(self)->loop, 0);
        }, this);
        if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return false;
        // Loads reach the audio thread through this, so that LoadMovie never waits for its lock.
        wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        if (wakeFd < 0) return false;
        pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop);
        wakeEvent = api->io_new(api, wakeFd, PA_IO_EVENT_INPUT,
            [](pa_mainloop_api*, pa_io_event*, int fd, pa_io_event_flags_t, void* self) {
                std::uint64_t count = 0;
                [[maybe_unused]] const ssize_t got = ::read(fd, &count, sizeof count);
                static_cast<Impl*>(self)->PlacePending();
            }, this);
        if (!wakeEvent) return false;
        if (pa_threaded_mainloop_start(loop) < 0) return false;
        loopRunning = true;
        pa_threaded_mainloop_lock(loop);
        const bool ok =
            WaitFor([this] { return pa_context_get_state(context) == PA_CONTEXT_READY; },
                    [this] { return !PA_CONTEXT_IS_GOOD(pa_context_get_state(context)); });
        if (ok)
            pa_threaded_mainloop_once_unlocked(loop, [](pa_threaded_mainloop*, void* self) {
                static_cast<Impl*>(self)->realtime = RequestRealtime();
            }, this);
        pa_threaded_mainloop_unlock(loop);
        connected = ok;
        return ok;
    }

    // Waits (with the loop locked) until `ready` or `failed` says so, the time is up, or the player
    // is being destroyed. A server that accepts and never answers sends no event at all, so a timer
    // of the loop wakes the wait now and then to look at the clock.
    template <typename Ready, typename Failed>
    bool WaitFor(Ready isReady, Failed hasFailed)
    {
        const auto until = std::chrono::steady_clock::now() + kConnectTimeout;
        pa_time_event* wake = pa_context_rttime_new(context, pa_rtclock_now() + kWaitTick,
            [](pa_mainloop_api*, pa_time_event* event, const timeval*, void* self) {
                auto* me = static_cast<Impl*>(self);
                pa_context_rttime_restart(me->context, event, pa_rtclock_now() + kWaitTick);
                pa_threaded_mainloop_signal(me->loop, 0);
            }, this);
        bool ok = true;
        while (!isReady()) {
            if (!wake || hasFailed() || std::chrono::steady_clock::now() > until || IsStopping()) {
                ok = false;
                break;
            }
            pa_threaded_mainloop_wait(loop);
        }
        if (wake) pa_threaded_mainloop_get_api(loop)->time_free(wake);
        return ok;
    }

    bool ConnectStream()
    {
        const pa_sample_spec spec{PA_SAMPLE_FLOAT32NE, kRate, 1};
        stream = pa_stream_new(context, "Clips", &spec, nullptr);
        if (!stream) return false;
        pa_stream_set_state_callback(stream, [](pa_stream*, void* self) {
            pa_threaded_mainloop_signal(static_cast<Impl*>(self)->loop, 0);
        }, this);
        pa_stream_set_write_callback(stream, [](pa_stream*, std::size_t bytes, void* self) {
            static_cast<Impl*>(self)->Write(bytes);
        }, this);
        pa_stream_set_underflow_callback(stream, [](pa_stream*, void* self) {
            static_cast<Impl*>(self)->underflows.fetch_add(1, std::memory_order_relaxed);
        }, this);
        pa_stream_set_latency_update_callback(stream, [](pa_stream*, void* self) {
            static_cast<Impl*>(self)->ReadTiming();
        }, this);
        // The stream keeps a long queue at the server, so that a busy machine can leave the audio
        // thread (and the server's own main thread) waiting a good while without a gap, while the
        // sink itself plays only a short way behind what it takes from the queue. A clip that must
        // start sooner than the queue's end rewrites the queue from its first frame on: it still
        // starts a short, fixed delay after its load. Playback never stops for want of data (no
        // prebuffering), so the stream's frames keep one fixed relation to the clock.
        pa_buffer_attr attr{};
        attr.maxlength = static_cast<std::uint32_t>(-1);
        attr.tlength = static_cast<std::uint32_t>(std::clamp(options.bufferFrames, 16, 96000) * sizeof(float));
        attr.prebuf = 0;
        attr.minreq = static_cast<std::uint32_t>(std::clamp(options.requestFrames, 16, 4096) * sizeof(float));
        attr.fragsize = static_cast<std::uint32_t>(-1);
        const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_EARLY_REQUESTS | PA_STREAM_INTERPOLATE_TIMING |
                                                          PA_STREAM_AUTO_TIMING_UPDATE);
        if (pa_stream_connect_playback(stream, nullptr, &attr, flags, nullptr, nullptr) == 0) return true;
        DropStream();
        return false;
    }

    // Called with the loop locked (or stopped).
    void DropStream()
    {
        if (!stream) return;
        pa_stream_set_state_callback(stream, nullptr, nullptr);
        pa_stream_set_write_callback(stream, nullptr, nullptr);
        pa_stream_set_underflow_callback(stream, nullptr, nullptr);
        pa_stream_set_latency_update_callback(stream, nullptr, nullptr);
        if (PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) pa_stream_disconnect(stream);
        pa_stream_unref(stream);
        stream = nullptr;
        starts.clear();
        writeFrame = 0;
        frameZeroNs.reset();
        timingJumps = 0;
        timingReadings = 0;
        leadFrames = requestLead;
    }

    // Opens the stream for a load (called with the loop locked), and watches it for silence.
    void OpenPlayback()
    {
        lastSoundNs = NowNs();
        if (!ConnectStream()) {
            std::lock_guard lock(commandMutex);
            streamOpen = false;
            return;
        }
        const pa_usec_t at = pa_rtclock_now() + kIdleCheck;
        if (idleTimer)
            pa_context_rttime_restart(context, idleTimer, at);
        else
            idleTimer = pa_context_rttime_new(context, at, [](pa_mainloop_api*, pa_time_event*, const timeval*, void* self) {
                static_cast<Impl*>(self)->CheckIdle();
            }, this);
    }

    // After `idleAfter` with nothing sounding and nothing to start, the stream is closed: a corked
    // stream would still hold the server's output to its short buffer, which costs the server as
    // much as playing. The next load opens a new one.
    void CheckIdle()
    {
        const bool failed = stream && !PA_STREAM_IS_GOOD(pa_stream_get_state(stream));
        const std::int64_t now = NowNs();
        if (Sounding(now)) lastSoundNs = now;
        const bool quiet = now - lastSoundNs >= std::chrono::nanoseconds(options.idleAfter).count();
        bool close = false;
        if (failed || quiet) {
            // Decided and marked closed in one step: a load queued before this keeps the stream
            // open, one queued after it sees the stream closed and opens a new one as soon as
            // this callback lets go of the loop.
            std::lock_guard lock(commandMutex);
            close = failed || pending.empty();
            if (close) {
                pending.clear();  // only a failed stream has any
                streamOpen = false;
            }
        }
        if (!close) {
            pa_context_rttime_restart(context, idleTimer, pa_rtclock_now() + kIdleCheck);
            return;
        }
        DropStream();
    }

    void CloseStream()
    {
        if (loopRunning) pa_threaded_mainloop_stop(loop);  // no callback runs after this
        DropStream();
        if (idleTimer) pa_threaded_mainloop_get_api(loop)->time_free(idleTimer);
        idleTimer = nullptr;
        if (wakeEvent) pa_threaded_mainloop_get_api(loop)->io_free(wakeEvent);
        wakeEvent = nullptr;
        if (wakeFd >= 0) ::close(wakeFd);
        wakeFd = -1;
        if (context) {
            pa_context_disconnect(context);
            pa_context_unref(context);
            context = nullptr;
        }
        if (loop) pa_threaded_mainloop_free(loop);
        loop = nullptr;
        loopRunning = false;
    }

    void Preload()
    {
        if (options.preloadFolder.empty()) return;
        std::vector<fs::path> files;
        std::error_code error;
        for (fs::directory_iterator it(ResolveWindowsPath(options.preloadFolder), error), end; !error && it != end;
             it.increment(error))
            if (it->is_regular_file(error)) files.push_back(it->path());
        std::sort(files.begin(), files.end());
        std::string folder = options.preloadFolder;
        if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
        for (const fs::path& file : files) {
            while (ServeOneJob(false)) {  // a clip the user asked for goes first
            }
            if (IsStopping()) return;
            const Clip* clip = Decode(file.string());
            // The program's own name for the clip finds it without resolving the path again.
            std::lock_guard lock(cacheMutex);
            byWindowsPath.emplace(folder + file.filename().string(), clip);
        }
    }

    // Decodes one requested clip and starts it if its layer still wants it. With `wait`, blocks
    // for a job; returns false when there is none (or when stopping).
    bool ServeOneJob(bool wait)
    {
        DecodeJob job;
        {
            std::unique_lock lock(jobMutex);
            if (wait) jobReady.wait(lock, [this] { return stopping || !jobs.empty(); });
            if (stopping || jobs.empty()) return false;
            job = std::move(jobs.front());
            jobs.pop_front();
        }
        const Clip* clip = Decode(job.file);
        std::lock_guard lock(loadMutex);
        // The clip takes its silent placeholder's place: never before it, or the placeholder
        // would start later and cut the clip off.
        if (generations[static_cast<std::size_t>(job.layer)] == job.generation)
            Push({job.layer, clip, std::max(job.startNs, NowNs() + startDelayNs)});
        return true;
    }

    const Clip* Decode(const std::string& file)
    {
        {
            std::lock_guard lock(cacheMutex);
            if (const auto found = cache.find(file); found != cache.end()) return found->second.get();
        }
        auto clip = DecodeClip(file);
        std::lock_guard lock(cacheMutex);
        return cache.emplace(file, std::move(clip)).first->second.get();
    }

    bool IsStopping() const
    {
        std::lock_guard lock(jobMutex);
        return stopping;
    }

    // Queues a command and hands it to the stream, opening the stream if silence had closed it.
    // Silence (a rest, or a clip still being decoded) asked for while the stream is closed is what
    // plays already. The newest load of a layer wins: whatever the layer was still to start (more
    // than the lead ahead of what is heard) is dropped, even if it would have started earlier (a
    // click just after a step's load, which starts later).
    void Push(const Command& command)
    {
        bool open = false;
        {
            std::lock_guard lock(commandMutex);
            std::erase_if(pending, [&](const Command& c) { return c.layer == command.layer; });
            if (!streamOpen && (!command.clip || command.clip->silent)) return;
            if (pending.size() == kMaxPending) pending.erase(pending.begin());
            pending.push_back(command);
            open = streamOpen;
        }
        if (!connected) return;
        if (open) {
            const std::uint64_t one = 1;
            [[maybe_unused]] const ssize_t put = ::write(wakeFd, &one, sizeof one);
            return;
        }
        // Only a load opens a stream, and loads come one at a time (under loadMutex).
        pa_threaded_mainloop_lock(loop);
        {
            std::lock_guard lock(commandMutex);
            streamOpen = true;
        }
        if (PA_CONTEXT_IS_GOOD(pa_context_get_state(context))) OpenPlayback();
        else {
            std::lock_guard lock(commandMutex);
            streamOpen = false;
        }
        pa_threaded_mainloop_unlock(loop);
    }

    // --- the stream's frames (everything below runs with the loop locked) ---

    // The server's reading of which frame is heard now, folded into the stream's clock: the first
    // reading sets it, later ones nudge it (their jitter would move every start), and a clock
    // that keeps reading far off is set afresh.
    void ReadTiming()
    {
        if (!stream) return;
        pa_usec_t heardUs = 0;
        if (pa_stream_get_time(stream, &heardUs) != 0) return;
        const std::int64_t reading = NowNs() - static_cast<std::int64_t>(heardUs) * 1000;
        if (!frameZeroNs) {
            frameZeroNs = reading;
            timingReadings = 1;
        } else if (const std::int64_t error = reading - *frameZeroNs; std::llabs(error) < kTimingTolerance) {
            // The first readings are averaged, so that a new stream's clock settles at once.
            timingReadings = std::min(timingReadings + 1, kTimingSmoothing);
            *frameZeroNs += error / timingReadings;
            timingJumps = 0;
        } else if (++timingJumps >= kTimingJumps) {
            frameZeroNs = reading;
            timingReadings = 1;
            timingJumps = 0;
        }
        // A sink that will not go down to our request size plays further ahead: a start must
        // stay beyond what it has taken, or its first frames are lost.
        if (const pa_timing_info* timing = pa_stream_get_timing_info(stream)) {
            const auto sinkNs = static_cast<std::int64_t>(std::max(timing->sink_usec, timing->configured_sink_usec)) * 1000;
            leadFrames = std::max(requestLead, FramesIn(sinkNs) + FramesIn(kLeadMarginNs));
        }
        PlacePending();
    }

    // Moves the queued commands into the stream at their frames, and rewrites what the server
    // already holds from the first frame that changed.
    void PlacePending()
    {
        if (!stream || !frameZeroNs) return;
        std::array<Command, kMaxPending> taken;
        std::size_t count = 0;
        {
            std::lock_guard lock(commandMutex);
            for (const Command& command : pending) taken[count++] = command;
            pending.clear();
        }
        if (count == 0) return;
        const std::int64_t heard = FrameOf(NowNs());
        const std::int64_t soonest = heard + leadFrames;
        std::int64_t changedFrom = writeFrame;
        for (std::size_t i = 0; i < count; ++i) {
            const Command& command = taken[i];
            const std::int64_t frame = std::max(FrameOf(command.startNs), soonest);
            std::erase_if(starts, [&](const Start& s) {
                const bool dropped = s.layer == command.layer && s.frame >= soonest;
                if (dropped) changedFrom = std::min(changedFrom, s.frame);
                return dropped;
            });
            if (starts.size() == kMaxStarts) starts.erase(starts.begin());
            const auto at = std::upper_bound(starts.begin(), starts.end(), frame,
                                             [](std::int64_t f, const Start& s) { return f < s.frame; });
            starts.insert(at, Start{frame, command.layer, command.clip});
            changedFrom = std::min(changedFrom, frame);
        }
        lastSoundNs = NowNs();
        if (changedFrom < writeFrame) Rewrite(std::max(changedFrom, soonest));
    }

    // Replaces the frames from `from` up to the end of what was written.
    void Rewrite(std::int64_t from)
    {
        std::int64_t offset = writeFrame - from;
        while (from < writeFrame) {
            const auto frames = static_cast<int>(std::min<std::int64_t>(writeFrame - from, scratch.size()));
            Render(from, scratch.data(), frames);
            const auto bytes = static_cast<std::size_t>(frames) * sizeof(float);
            if (pa_stream_write(stream, scratch.data(), bytes, nullptr, -offset * static_cast<std::int64_t>(sizeof(float)),
                                PA_SEEK_RELATIVE) < 0)
                return;
            from += frames;
            offset = 0;
        }
    }

    std::int64_t FrameOf(std::int64_t ns) const
    {
        return static_cast<std::int64_t>(std::llround(static_cast<double>(ns - *frameZeroNs) * kRate / 1e9));
    }

    static std::int64_t FramesIn(std::int64_t ns) { return ns * kRate / 1'000'000'000; }

    // Whether a clip sounds at `ns` or is still to start.
    bool Sounding(std::int64_t ns) const
    {
        if (!frameZeroNs) {
            std::lock_guard lock(commandMutex);
            return !pending.empty();
        }
        const std::int64_t heard = FrameOf(ns);
        for (std::size_t i = 0; i < starts.size(); ++i) {
            const Start& start = starts[i];
            if (start.frame > heard) return true;
            if (start.clip && !start.clip->silent && start.frame + ClipFrames(start.clip) > heard &&
                NextStartOfLayer(i) > heard)
                return true;
        }
        return false;
    }

    static std::int64_t ClipFrames(const Clip* clip)
    {
        return clip ? static_cast<std::int64_t>(clip->samples.size()) : 0;
    }

    // The frame at which the layer of starts[i] moves on to its next start.
    std::int64_t NextStartOfLayer(std::size_t i) const
    {
        for (std::size_t j = i + 1; j < starts.size(); ++j)
            if (starts[j].layer == starts[i].layer) return starts[j].frame;
        return std::numeric_limits<std::int64_t>::max();
    }

    // Forgets starts that can no longer be heard or rewritten: those whose layer moved on, or
    // whose clip ended, before `horizon`.
    void Prune(std::int64_t horizon)
    {
        std::size_t kept = 0;
        for (std::size_t i = 0; i < starts.size(); ++i) {
            const Start& start = starts[i];
            const bool over = NextStartOfLayer(i) <= horizon || start.frame + ClipFrames(start.clip) <= horizon;
            if (!over) starts[kept++] = start;
        }
        starts.resize(kept);
    }

    // --- the audio thread (the client library's loop) ---

    void Write(std::size_t bytes)
    {
        const std::int64_t now = NowNs();
        if (now - lastTimingAskNs >= kTimingInterval) {
            // The server's own updates come ever more rarely, and the sink's clock may run a little
            // off ours: ask often enough that the stream's clock never falls behind by much.
            lastTimingAskNs = now;
            if (pa_operation* asked = pa_stream_update_timing_info(stream, nullptr, nullptr)) pa_operation_unref(asked);
        }
        if (frameZeroNs) Prune(FrameOf(now) - kRate / 10);
        while (bytes >= sizeof(float)) {
            void* data = nullptr;
            std::size_t size = bytes;
            if (pa_stream_begin_write(stream, &data, &size) < 0 || !data) return;
            size -= size % sizeof(float);
            const auto frames = static_cast<int>(size / sizeof(float));
            Render(writeFrame, static_cast<float*>(data), frames);
            if (pa_stream_write(stream, data, size, nullptr, 0, PA_SEEK_RELATIVE) < 0) return;
            writeFrame += frames;
            bytes -= std::min(bytes, size);
        }
    }

    // --- rendering ---

    // The stream's frames [first, first + frames): every layer plays the clip of its latest start.
    void Render(std::int64_t first, float* out, int frames)
    {
        std::fill(out, out + frames, 0.0f);
        const std::int64_t end = first + frames;
        constexpr float kScale = 1.0f / 32768.0f;
        for (std::size_t i = 0; i < starts.size(); ++i) {
            const Start& start = starts[i];
            if (!start.clip || start.frame >= end) continue;
            const std::int64_t from = std::max(first, start.frame);
            const std::int64_t to = std::min({end, NextStartOfLayer(i), start.frame + ClipFrames(start.clip)});
            const std::int16_t* samples = start.clip->samples.data();
            for (std::int64_t f = from; f < to; ++f) out[f - first] += static_cast<float>(samples[f - start.frame]) * kScale;
        }
    }

    const Options options;
    const std::int64_t startDelayNs;
    const std::int64_t requestLead = std::clamp(options.requestFrames, 16, 4096) + FramesIn(kLeadMarginNs);
    std::int64_t leadFrames = requestLead;  // more where the sink plays further ahead than a request

    // Decoded clips by local file name; entries are never removed while the player exists, so
    // the callback may hold plain pointers to them.
    std::mutex cacheMutex;
    std::unordered_map<std::string, std::unique_ptr<Clip>> cache;
    std::unordered_map<std::string, const Clip*> byWindowsPath;  // the program's paths, resolved once

    // Loads per layer, so a clip decoded late starts only if nothing replaced it meanwhile.
    std::array<std::atomic<std::uint64_t>, kLayers> generations{};
    std::mutex loadMutex;  // orders a layer's generation with the start it pushes

    mutable std::mutex jobMutex;  // also guards ready, stopping and driverName
    std::condition_variable jobReady;
    mutable std::condition_variable readyChanged;
    std::deque<DecodeJob> jobs;
    bool ready = false;
    bool stopping = false;
    std::string driverName;

    mutable std::mutex commandMutex;  // held only to copy a few commands in or out
    std::vector<Command> pending = [] {
        std::vector<Command> v;
        v.reserve(kMaxPending);
        return v;
    }();

    // The connection is set up and torn down by the worker thread; the stream is opened by a load
    // and dropped by the idle check, and used only under the loop's lock.
    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    bool loopRunning = false;
    std::atomic<bool> connected{false};  // the context is ready (set once, by the worker)
    bool streamOpen = false;  // guarded by commandMutex: a stream exists or is being opened
    pa_time_event* idleTimer = nullptr;
    int wakeFd = -1;  // written by Push, read by the loop
    pa_io_event* wakeEvent = nullptr;
    std::atomic<std::uint64_t> underflows{0};
    std::atomic<bool> realtime{false};  // the audio thread got real-time scheduling

    // The open stream's contents, used with the loop locked.
    std::vector<Start> starts = [] {  // ordered by frame; a layer's later start replaces its earlier
        std::vector<Start> v;
        v.reserve(kMaxStarts);
        return v;
    }();
    std::int64_t writeFrame = 0;              // frames written to the stream so far
    std::optional<std::int64_t> frameZeroNs;  // when the stream's first frame was (or would have been) heard
    int timingJumps = 0;                      // readings in a row far off the stream's clock
    int timingReadings = 0;                   // readings behind the clock, up to kTimingSmoothing
    std::int64_t lastTimingAskNs = 0;         // when the server was last asked for its timing
    std::vector<float> scratch = std::vector<float>(4096);  // a rewrite is rendered here, piece by piece
    std::int64_t lastSoundNs = 0;  // when something last sounded or was started

    std::thread worker;  // last: starts after every member above exists
};

SoundFlash::SoundFlash() : SoundFlash(Options{}) {}

SoundFlash::SoundFlash(Options options) : impl_(std::make_unique<Impl>(std::move(options))) {}

SoundFlash::~SoundFlash() = default;

void SoundFlash::LoadMovie(int layer, const std::string& path) { impl_->LoadMovie(layer, path); }

bool SoundFlash::WaitUntilReady(std::chrono::milliseconds timeout) const { return impl_->WaitUntilReady(timeout); }

std::string SoundFlash::DriverName() const { return impl_->DriverName(); }

std::uint64_t SoundFlash::Underflows() const { return impl_->underflows.load(std::memory_order_relaxed); }

bool SoundFlash::RealtimeAudio() const { return impl_->realtime.load(); }

bool SoundFlash::StreamOpen() const
{
    std::lock_guard lock(impl_->commandMutex);
    return impl_->streamOpen;
}

std::unique_ptr<FlashControl> CreateFlashControl()
{
    SoundFlash::Options options;
    options.preloadFolder = kClipFolder;
    return std::make_unique<SoundFlash>(std::move(options));
}

}  // namespace platform
