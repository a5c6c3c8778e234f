#include "platform/flash/sound_output.h"

#include "platform/flash/output_backend.h"

namespace platform::sound {

std::int64_t SteadyNowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

SoundOutput::SoundOutput(OutputSource& source, OutputOptions options) : source_(source), options_(options)
{
    supervisor_ = std::thread([this] { Supervise(); });
}

SoundOutput::~SoundOutput()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    supervisor_.join();
}

// Connects, waits for the connection to break, drops it and connects again, until the output
// closes. Between attempts that found no server it sleeps `retryEvery`.
void SoundOutput::Supervise()
{
    std::atomic<bool> giveUp{false};  // read by an attempt while it waits: the output is closing
    std::thread watcher([&] {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return stopping_; });
        giveUp = true;
    });
    for (;;) {
        std::unique_ptr<Backend> backend;
        {
            std::unique_lock lock(mutex_);
            if (stopping_) break;
            lost_ = false;
        }
        const auto deadline = std::chrono::steady_clock::now() + options_.connectTimeout;
        BackendHost host{source_, options_,
                         [this] {
                             {
                                 std::lock_guard lock(mutex_);
                                 lost_ = true;
                             }
                             changed_.notify_all();
                         },
                         giveUp};
        // A PipeWire that answers without an audio sink yet (its session is still setting up) is
        // not passed by for its own pulse interface: the next attempt finds the sink.
        bool pipewireAnswered = false;
        if (options_.use != Interface::kPulse) backend = ConnectPipeWire(host, deadline, pipewireAnswered);
        if (!backend && options_.use != Interface::kPipeWire && !giveUp)
            backend = ConnectPulse(host, deadline, pipewireAnswered && options_.use == Interface::kAny);
        std::unique_lock lock(mutex_);
        tried_ = true;
        changed_.notify_all();
        if (!backend) {
            changed_.wait_for(lock, options_.retryEvery, [this] { return stopping_; });
            continue;
        }
        ++connections_;
        current_ = std::move(backend);
        current_->Wake();  // loads made while there was no server may want a stream
        changed_.wait(lock, [this] { return stopping_ || lost_; });
        pastUnderflows_ += current_->Underflows();
        backend = std::move(current_);
        lock.unlock();
        backend.reset();  // outside the lock: its thread may be waiting to report itself lost
    }
    watcher.join();
}

void SoundOutput::Wake()
{
    std::lock_guard lock(mutex_);
    if (current_) current_->Wake();
}

bool SoundOutput::WaitUntilTried(std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [this] { return tried_; });
}

std::string SoundOutput::Driver() const
{
    std::lock_guard lock(mutex_);
    return current_ ? current_->Name() : "";
}

bool SoundOutput::StreamOpen() const
{
    std::lock_guard lock(mutex_);
    return current_ && current_->StreamOpen();
}

std::uint64_t SoundOutput::Underflows() const
{
    std::lock_guard lock(mutex_);
    return pastUnderflows_ + (current_ ? current_->Underflows() : 0);
}

bool SoundOutput::Realtime() const
{
    std::lock_guard lock(mutex_);
    return current_ && current_->Realtime();
}

int SoundOutput::Connections() const
{
    std::lock_guard lock(mutex_);
    return connections_;
}

}  // namespace platform::sound
