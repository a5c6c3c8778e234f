#include "platform/flash/sdl_flash.h"

#include "platform/drive/drive_mapping.h"

#include <SDL.h>

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

std::int64_t NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// A decoded clip: mono 16-bit samples at kRate (half the memory of floats for all 99 clips).
// Empty for a missing or damaged file, which then plays as silence.
struct Clip {
    std::vector<std::int16_t> samples;
};

std::unique_ptr<Clip> DecodeClip(const fs::path& file)
{
    auto clip = std::make_unique<Clip>();
    SDL_AudioSpec spec;
    Uint8* data = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV(file.c_str(), &spec, &data, &length)) return clip;
    SDL_AudioCVT cvt;
    if (SDL_BuildAudioCVT(&cvt, spec.format, spec.channels, spec.freq, AUDIO_S16SYS, 1, kRate) >= 0) {
        std::vector<Uint8> work(static_cast<std::size_t>(length) * static_cast<std::size_t>(std::max(1, cvt.len_mult)));
        std::memcpy(work.data(), data, length);
        cvt.buf = work.data();
        cvt.len = static_cast<int>(length);
        if (SDL_ConvertAudio(&cvt) == 0) {
            clip->samples.resize(static_cast<std::size_t>(cvt.len_cvt) / sizeof(std::int16_t));
            std::memcpy(clip->samples.data(), work.data(), clip->samples.size() * sizeof(std::int16_t));
        }
    }
    SDL_FreeWAV(data);
    return clip;
}

// A request to the audio callback: from the stream time `startNs` on, `layer` plays `clip`
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
};

}  // namespace

struct SoundFlash::Impl {
    explicit Impl(Options o) : options(std::move(o)), startDelayNs(options.startDelay.count() * 1000)
    {
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
        const std::int64_t startNs = NowNs() + startDelayNs;
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
                jobs.push_back({std::move(file), layer, generation});
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

    // --- the worker thread: opens the device, decodes, closes the device at the end ---

    void Work()
    {
        OpenDevice();
        Preload();
        {
            std::lock_guard lock(jobMutex);
            ready = true;
        }
        readyChanged.notify_all();
        while (ServeOneJob(true)) {
        }
        if (device) SDL_CloseAudioDevice(device);  // waits for a running callback to return
        if (audioInitialised) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    void OpenDevice()
    {
        // The program ends on SIGTERM, SIGINT and SIGHUP by itself; SDL's own handlers would
        // swallow them.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Strumwell");
        SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, "Clips");
        // The desktop's sound server first; SDL's silent "dummy" driver keeps every later call
        // working where there is none.
        std::vector<std::string> drivers;
        if (!options.driver.empty()) drivers.push_back(options.driver);
        else if (const char* chosen = std::getenv("SDL_AUDIODRIVER"); chosen && *chosen) drivers.emplace_back(chosen);
        else drivers = {"pulseaudio", "pipewire"};
        drivers.emplace_back("dummy");
        for (const std::string& driver : drivers)
            if (TryDriver(driver)) return;
    }

    bool TryDriver(const std::string& driver)
    {
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, driver.c_str(), SDL_HINT_OVERRIDE);
        const bool initialised = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
        SDL_ResetHint(SDL_HINT_AUDIODRIVER);
        if (!initialised) return false;
        SDL_AudioSpec want{};
        want.freq = kRate;
        want.format = AUDIO_F32SYS;
        want.channels = 1;
        want.samples = static_cast<Uint16>(std::clamp(options.bufferFrames, 16, 4096));
        want.callback = [](void* self, Uint8* stream, int bytes) {
            static_cast<Impl*>(self)->Render(reinterpret_cast<float*>(stream), bytes / static_cast<int>(sizeof(float)));
        };
        want.userdata = this;
        SDL_AudioSpec have{};
        device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (!device) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return false;
        }
        audioInitialised = true;
        {
            std::lock_guard lock(jobMutex);
            driverName = SDL_GetCurrentAudioDriver() ? SDL_GetCurrentAudioDriver() : "";
        }
        SDL_PauseAudioDevice(device, 0);
        return true;
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
        if (generations[static_cast<std::size_t>(job.layer)] == job.generation)
            Push({job.layer, clip, NowNs() + startDelayNs});
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

    void Push(const Command& command)
    {
        std::lock_guard lock(commandMutex);
        if (pending.size() == kMaxPending) pending.erase(pending.begin());
        pending.push_back(command);
    }

    // --- the audio callback ---

    // The stream time of this buffer's first frame. The server asks for data as it plays, with
    // little slack, so callbacks that keep coming late mean the output itself slipped: follow as
    // soon as a second callback confirms it (one late wake-up alone moves nothing). Callbacks that
    // come early are a burst catching up, or the sound card's clock running a little fast: follow
    // slowly, or clip starts would jitter with every burst.
    std::int64_t BufferStart(int frames)
    {
        const std::int64_t now = NowNs();
        const auto bufferNs = static_cast<std::int64_t>(frames * 1e9 / kRate);
        const std::int64_t expected = nextBufferNs;
        const std::int64_t late = now - expected;
        std::int64_t start = now;
        if (clockLocked && std::llabs(late) < 8 * bufferNs) {
            start = late > 0 ? expected + std::min(late, lastLate) : expected + late / 16;
            lastLate = std::max<std::int64_t>(late, 0);
        }
        clockLocked = true;
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

    std::mutex commandMutex;  // held only to copy a few commands in or out
    std::vector<Command> pending = [] {
        std::vector<Command> v;
        v.reserve(kMaxPending);
        return v;
    }();

    // Owned by the worker thread.
    SDL_AudioDeviceID device = 0;
    bool audioInitialised = false;

    // Owned by the audio callback.
    std::array<Voice, kLayers> voices{};
    std::int64_t nextBufferNs = 0;
    bool clockLocked = false;
    std::int64_t lastLate = 0;  // how late the previous callback came

    std::thread worker;  // last: starts after every member above exists
};

SoundFlash::SoundFlash() : SoundFlash(Options{}) {}

SoundFlash::SoundFlash(Options options) : impl_(std::make_unique<Impl>(std::move(options))) {}

SoundFlash::~SoundFlash() = default;

void SoundFlash::LoadMovie(int layer, const std::string& path) { impl_->LoadMovie(layer, path); }

bool SoundFlash::WaitUntilReady(std::chrono::milliseconds timeout) const { return impl_->WaitUntilReady(timeout); }

std::string SoundFlash::DriverName() const { return impl_->DriverName(); }

std::unique_ptr<FlashControl> CreateFlashControl()
{
    SoundFlash::Options options;
    options.preloadFolder = kClipFolder;
    return std::make_unique<SoundFlash>(std::move(options));
}

}  // namespace platform
