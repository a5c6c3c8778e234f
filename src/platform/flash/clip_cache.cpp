#include "platform/flash/clip_cache.h"

#include "platform/drive/drive_mapping.h"
#include "platform/files/read_file.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace platform::sound {

namespace fs = std::filesystem;

// The clips are a few hundred kilobytes; anything far larger named like one is not a clip, and is
// not read into memory.
constexpr std::size_t kLargestClip = 64u << 20;

std::unique_ptr<Clip> DecodeClip(const fs::path& file)
{
    auto clip = std::make_unique<Clip>();
    // Only a regular file is read, so a pipe or a device named like a clip is never waited on.
    const files::FileContents read = files::ReadWholeFile(file, kLargestClip);
    if (!read.bytes || read.bytes->empty()) return clip;
    const std::string& bytes = *read.bytes;
    SDL_AudioSpec spec;
    Uint8* data = nullptr;
    Uint32 length = 0;
    SDL_RWops* source = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
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

ClipCache::ClipCache(std::string preloadFolder) : preloadFolder_(std::move(preloadFolder))
{
    worker_ = std::thread([this] { Work(); });
}

ClipCache::~ClipCache() { StopDecoding(); }

void ClipCache::StopDecoding()
{
    {
        std::lock_guard lock(jobMutex_);
        stopping_ = true;
    }
    jobReady_.notify_all();
    if (worker_.joinable()) worker_.join();
}

const Clip* ClipCache::Find(const std::string& path)
{
    {
        std::lock_guard lock(cacheMutex_);
        if (const auto found = byPath_.find(path); found != byPath_.end()) return found->second;
    }
    const std::string file = ResolveWindowsPath(path).string();
    std::lock_guard lock(cacheMutex_);
    const auto found = byFile_.find(file);
    if (found == byFile_.end()) return nullptr;
    byPath_.emplace(path, found->second.get());
    return found->second.get();
}

void ClipCache::Request(const std::string& path, Ready ready)
{
    if (const Clip* clip = Find(path)) {
        ready(clip);
        return;
    }
    {
        std::lock_guard lock(jobMutex_);
        jobs_.push_back({path, std::move(ready)});
    }
    jobReady_.notify_all();
}

bool ClipCache::WaitUntilPreloaded(std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(jobMutex_);
    return preloadedChanged_.wait_for(lock, timeout, [this] { return preloaded_; });
}

void ClipCache::Work()
{
    if (!preloadFolder_.empty()) {
        std::vector<fs::path> files;
        std::error_code error;
        for (fs::directory_iterator it(ResolveWindowsPath(preloadFolder_), error), end; !error && it != end;
             it.increment(error))
            if (it->is_regular_file(error)) files.push_back(it->path());
        std::sort(files.begin(), files.end());
        std::string folder = preloadFolder_;
        if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
        for (const fs::path& file : files) {
            while (ServeOneJob(false)) {  // a clip asked for goes first
            }
            if (Stopping()) break;
            const Clip* clip = Decode(file.string());
            // The program's own name for the clip finds it without resolving the path again.
            std::lock_guard lock(cacheMutex_);
            byPath_.emplace(folder + file.filename().string(), clip);
        }
    }
    {
        std::lock_guard lock(jobMutex_);
        preloaded_ = true;
    }
    preloadedChanged_.notify_all();
    while (ServeOneJob(true)) {
    }
}

// Decodes one requested clip and hands it over. With `wait`, blocks for a job; returns false when
// there is none (or when stopping).
bool ClipCache::ServeOneJob(bool wait)
{
    Job job;
    {
        std::unique_lock lock(jobMutex_);
        if (wait) jobReady_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (stopping_ || jobs_.empty()) return false;
        job = std::move(jobs_.front());
        jobs_.pop_front();
    }
    const Clip* clip = Decode(ResolveWindowsPath(job.path).string());
    {
        std::lock_guard lock(cacheMutex_);
        byPath_.emplace(job.path, clip);
    }
    job.ready(clip);
    return true;
}

const Clip* ClipCache::Decode(const std::string& file)
{
    {
        std::lock_guard lock(cacheMutex_);
        if (const auto found = byFile_.find(file); found != byFile_.end()) return found->second.get();
    }
    auto clip = DecodeClip(file);
    std::lock_guard lock(cacheMutex_);
    return byFile_.emplace(file, std::move(clip)).first->second.get();
}

bool ClipCache::Stopping() const
{
    std::lock_guard lock(jobMutex_);
    return stopping_;
}

}  // namespace platform::sound
