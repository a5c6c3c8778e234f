#pragma once
// The clip player's decoder and cache: clip files decoded to mono 16-bit samples at the output
// rate, once, and kept for the life of the cache, so that the output's thread may hold plain
// pointers to them. A background thread decodes the preload folder at construction; a clip asked
// for that is not decoded yet is decoded there before the rest of the preload, and handed to the
// one who asked.
// A missing or damaged clip, or anything but a regular file (a FIFO is never waited on), decodes
// to silence.

#include "platform/flash/clip_mixer.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>

namespace platform::sound {

inline constexpr int kRate = 48000;  // the output's rate, and so the clips'

// The clip in `file`, or silence.
std::unique_ptr<Clip> DecodeClip(const std::filesystem::path& file);

class ClipCache {
public:
    using Ready = std::function<void(const Clip*)>;

    // `preloadFolder`: a "C:\..." folder whose clips are decoded at once (none when empty).
    explicit ClipCache(std::string preloadFolder);
    ~ClipCache();
    ClipCache(const ClipCache&) = delete;
    ClipCache& operator=(const ClipCache&) = delete;

    // The decoded clip of a program path ("C:\..."), without touching the disk; nullptr when it
    // is not decoded yet.
    const Clip* Find(const std::string& path);
    // Decodes the clip of `path` in the background, ahead of the preload, and calls `ready` with
    // it on the decoding thread (at once, here, if it is decoded already).
    void Request(const std::string& path, Ready ready);
    // Blocks until the preload folder is decoded or `timeout` passes; returns whether it is.
    bool WaitUntilPreloaded(std::chrono::milliseconds timeout) const;
    // Ends the decoding thread: no `ready` is called after this, and the clips stay.
    void StopDecoding();

private:
    struct Job {
        std::string path;
        Ready ready;
    };
    void Work();
    bool ServeOneJob(bool wait);
    const Clip* Decode(const std::string& file);
    bool Stopping() const;

    const std::string preloadFolder_;

    // Lock order: jobMutex_ and cacheMutex_ are never held together.
    std::mutex cacheMutex_;
    std::unordered_map<std::string, std::unique_ptr<Clip>> byFile_;  // never shrinks
    std::unordered_map<std::string, const Clip*> byPath_;            // the program's paths, resolved once

    mutable std::mutex jobMutex_;  // guards jobs_, preloaded_, stopping_
    std::condition_variable jobReady_;
    mutable std::condition_variable preloadedChanged_;
    std::deque<Job> jobs_;
    bool preloaded_ = false;
    bool stopping_ = false;

    std::thread worker_;  // last: starts after every member above exists
};

}  // namespace platform::sound
