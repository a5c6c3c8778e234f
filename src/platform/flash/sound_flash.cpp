#include "platform/flash/sound_flash.h"

#include "platform/clock/due_time.h"
#include "platform/drive/drive_mapping.h"

#include <SDL.h>
#include <pulse/pulseaudio.h>
#include <pulse/rtclock.h>

#include <fcntl.h>
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
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

namespace platform {
namespace {

namespace fs = std::filesystem;

constexpr int kRate = 48000;
constexpr int kLayers = 4;              // the program only uses layer 0
constexpr std::size_t kMaxPending = 64;  // loads not yet started; more than enough for clicks
constexpr const char* kClipFolder = "C:\\Program Files\\Fretlane\\Strumwell\\";
constexpr auto kConnectTimeout = std::chrono::seconds(3);
constexpr pa_usec_t kWaitTick = 100'000;  // how often a wait for the server looks at the clock
// Below the sound server's own real-time priority (5 by default), above everything else.
constexpr int kRealtimePriority = 4;
constexpr pa_usec_t kIdleCheck = 250'000;  // how often an open stream is checked for silence

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
// RLIMIT_RTPRIO (or with the right to raise it), else through the desktop's real-time broker.
// Refused, the thread simply runs on at its normal priority.
void RequestRealtime()
{
    sched_param param{};
    param.sched_priority = kRealtimePriority;
    if (pthread_setschedparam(pthread_self(), SCHED_FIFO | SCHED_RESET_ON_FORK, &param) == 0) return;
    rlimit limit{};
    if (getrlimit(RLIMIT_RTPRIO, &limit) == 0 && limit.rlim_cur > 0) {
        param.sched_priority = static_cast<int>(std::min<rlim_t>(limit.rlim_cur, kRealtimePriority));
        if (pthread_setschedparam(pthread_self(), SCHED_FIFO | SCHED_RESET_ON_FORK, &param) == 0) return;
    }
    SDL_LinuxSetThreadPriorityAndPolicy(static_cast<Sint64>(gettid()), SDL_THREAD_PRIORITY_TIME_CRITICAL, SCHED_FIFO);
}

// A request to the audio thread: from the stream time `startNs` on, `layer` plays `clip`
// (nullptr: silence).
struct Command {
    int layer = 0;
    const Clip* clip = nullptr;
    std::int64_t startNs = 0;
};

struct Voice {
    const Clip* clip = nullptr;
    std::size_t position = 0;
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
    const TimePoint soonest = now + options.startDelay;
    if (!due) return soonest;
    // A due moment that lies ahead (it cannot, on this clock) counts as now.
    return std::clamp(*due + options.playbackLatency, soonest, std::max(soonest, now + options.playbackLatency));
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

    // --- the worker thread: opens the stream, decodes, closes the stream at the end ---

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
        if (pa_threaded_mainloop_start(loop) < 0) return false;
        loopRunning = true;
        pa_threaded_mainloop_lock(loop);
        const bool ok =
            WaitFor([this] { return pa_context_get_state(context) == PA_CONTEXT_READY; },
                    [this] { return !PA_CONTEXT_IS_GOOD(pa_context_get_state(context)); });
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
        pa_stream_set_latency_update_callback(stream, [](pa_stream* s, void* self) {
            auto* me = static_cast<Impl*>(self);
            const std::size_t writable = pa_stream_writable_size(s);
            if (me->awaitingTiming && writable != static_cast<std::size_t>(-1) && writable > 0) me->Write(writable);
        }, this);
        // The buffer holds what a busy machine may keep the server from asking for in time; the
        // server asks for a little at a time, keeps the sink's latency to match, and tells the
        // stream's timing, by which each clip starts at its own moment whatever the buffer.
        pa_buffer_attr attr{};
        attr.maxlength = static_cast<std::uint32_t>(-1);
        attr.tlength = static_cast<std::uint32_t>(std::clamp(options.bufferFrames, 16, 4096) * sizeof(float));
        attr.prebuf = static_cast<std::uint32_t>(-1);
        attr.minreq = static_cast<std::uint32_t>(std::clamp(options.requestFrames, 16, 4096) * sizeof(float));
        attr.fragsize = static_cast<std::uint32_t>(-1);
        const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_INTERPOLATE_TIMING |
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
        for (Voice& voice : voices) voice = {};
    }

    // Opens the stream for a load (called with the loop locked), and watches it for silence.
    void OpenPlayback()
    {
        awaitingTiming = true;
        clockLocked = false;
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
        bool sounding = false;
        for (const Voice& voice : voices) sounding = sounding || voice.clip;
        const std::int64_t now = NowNs();
        if (sounding) lastSoundNs = now;
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

    // Queues a command, and opens the stream if silence had closed it. Silence (a rest, or a clip
    // still being decoded) asked for while the stream is closed is what plays already.
    // The newest load of a layer wins: whatever the layer was still to start is dropped, even if it
    // would have started earlier (a click just after a step's load, which starts later).
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
        if (open || !connected) return;
        pa_threaded_mainloop_lock(loop);
        {
            std::lock_guard lock(commandMutex);
            open = streamOpen;
            streamOpen = true;
        }
        if (!open && PA_CONTEXT_IS_GOOD(pa_context_get_state(context))) OpenPlayback();
        else if (!open) {
            std::lock_guard lock(commandMutex);
            streamOpen = false;
        }
        pa_threaded_mainloop_unlock(loop);
    }

    // --- the audio thread (the client library's loop) ---

    void Write(std::size_t bytes)
    {
        if (!realtimeAsked) {
            realtimeAsked = true;
            RequestRealtime();
        }
        if (awaitingTiming) {
            // Until the server has told the stream's timing, nothing says when data would play;
            // its first report (asked for as the stream opens) comes within a round trip.
            pa_usec_t latency = 0;
            int negative = 0;
            if (pa_stream_get_latency(stream, &latency, &negative) != 0) return;
            awaitingTiming = false;
        }
        while (bytes >= sizeof(float)) {
            void* data = nullptr;
            std::size_t size = bytes;
            if (pa_stream_begin_write(stream, &data, &size) < 0 || !data) return;
            size -= size % sizeof(float);
            Render(static_cast<float*>(data), static_cast<int>(size / sizeof(float)));
            if (pa_stream_write(stream, data, size, nullptr, 0, PA_SEEK_RELATIVE) < 0) return;
            bytes -= std::min(bytes, size);
        }
    }

    // --- rendering ---

    // The stream time of this buffer's first frame: now plus the time the server says the data
    // written next takes to reach the sink's output (its timing, interpolated between updates).
    // Before the server has sent any timing, the callbacks' own rhythm stands in: the server asks
    // for data as it plays, with little slack, so callbacks that keep coming late mean the output
    // itself slipped (follow as soon as a second callback confirms it), and callbacks that come
    // early are a burst catching up (follow slowly, or clip starts would jitter with every burst).
    std::int64_t BufferStart(int frames)
    {
        const std::int64_t now = NowNs();
        const auto bufferNs = static_cast<std::int64_t>(frames * 1e9 / kRate);
        pa_usec_t latency = 0;
        int negative = 0;
        std::int64_t start = now;
        if (pa_stream_get_latency(stream, &latency, &negative) == 0) {
            start = now + (negative ? -1 : 1) * static_cast<std::int64_t>(latency) * 1000;
        } else {
            const std::int64_t expected = nextBufferNs;
            const std::int64_t late = now - expected;
            if (clockLocked && std::llabs(late) < 8 * bufferNs) {
                start = late > 0 ? expected + std::min(late, lastLate) : expected + late / 16;
                lastLate = std::max<std::int64_t>(late, 0);
            }
            clockLocked = true;
        }
        nextBufferNs = start + bufferNs;
        return start;
    }

    void Render(float* out, int frames)
    {
        std::fill(out, out + frames, 0.0f);
        const std::int64_t bufferStart = BufferStart(frames);
        const std::int64_t bufferEnd = nextBufferNs;

        // Take the commands that start within this buffer, in order, without allocating.
        std::array<Command, kMaxPending> due;
        std::size_t dueCount = 0;
        {
            std::lock_guard lock(commandMutex);
            auto keep = pending.begin();
            for (auto it = pending.begin(); it != pending.end(); ++it) {
                if (it->startNs < bufferEnd) due[dueCount++] = *it;
                else *keep++ = *it;
            }
            pending.erase(keep, pending.end());
        }
        if (dueCount > 0) lastSoundNs = NowNs();

        std::array<int, kLayers> rendered{};
        for (std::size_t i = 0; i < dueCount; ++i) {
            const Command& command = due[i];
            const double offset = static_cast<double>(command.startNs - bufferStart) * kRate / 1e9;
            const int frame = std::clamp(static_cast<int>(std::lround(offset)), 0, frames);
            Mix(command.layer, out, rendered[static_cast<std::size_t>(command.layer)], frame);
            rendered[static_cast<std::size_t>(command.layer)] = std::max(rendered[static_cast<std::size_t>(command.layer)], frame);
            voices[static_cast<std::size_t>(command.layer)] = {command.clip, 0};
        }
        for (int layer = 0; layer < kLayers; ++layer) Mix(layer, out, rendered[static_cast<std::size_t>(layer)], frames);
    }

    void Mix(int layer, float* out, int from, int to)
    {
        Voice& voice = voices[static_cast<std::size_t>(layer)];
        if (!voice.clip) return;
        const std::vector<std::int16_t>& samples = voice.clip->samples;
        constexpr float kScale = 1.0f / 32768.0f;
        for (int i = from; i < to && voice.position < samples.size(); ++i)
            out[i] += static_cast<float>(samples[voice.position++]) * kScale;
        if (voice.position >= samples.size()) voice.clip = nullptr;
    }

    const Options options;
    const std::int64_t startDelayNs;

    // Decoded clips by local file name; entries are never removed while the device is open, so
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

    // Set up and torn down by the worker thread; the stream is used under the loop's lock.
    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    bool loopRunning = false;
    std::atomic<bool> connected{false};  // the context is ready (set once, by the worker)
    bool streamOpen = false;  // guarded by commandMutex: a stream exists or is being opened
    pa_time_event* idleTimer = nullptr;
    std::atomic<std::uint64_t> underflows{0};

    // Owned by the audio thread.
    std::array<Voice, kLayers> voices{};
    bool realtimeAsked = false;
    std::int64_t lastSoundNs = 0;  // when something last sounded or was started
    std::int64_t nextBufferNs = 0;
    bool clockLocked = false;
    bool awaitingTiming = false;  // a new stream writes nothing before the server's first timing
    std::int64_t lastLate = 0;  // how late the previous callback came

    std::thread worker;  // last: starts after every member above exists
};

SoundFlash::SoundFlash() : SoundFlash(Options{}) {}

SoundFlash::SoundFlash(Options options) : impl_(std::make_unique<Impl>(std::move(options))) {}

SoundFlash::~SoundFlash() = default;

void SoundFlash::LoadMovie(int layer, const std::string& path) { impl_->LoadMovie(layer, path); }

bool SoundFlash::WaitUntilReady(std::chrono::milliseconds timeout) const { return impl_->WaitUntilReady(timeout); }

std::string SoundFlash::DriverName() const { return impl_->DriverName(); }

std::uint64_t SoundFlash::Underflows() const { return impl_->underflows.load(std::memory_order_relaxed); }

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
