#include "platform/flash/sound_output.h"

#include "platform/flash/output_backend.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace platform::sound {
namespace {

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Whether the socket a client of the interface would connect to takes connections (for a server
// elsewhere than a local socket, as if it did): an attempt costs a client's set-up, a look little.
bool SocketThere(Interface kind)
{
    std::string path;
    if (kind == Interface::kPipeWire) {
        const std::string remote = Environment("PIPEWIRE_REMOTE");
        std::string dir = Environment("PIPEWIRE_RUNTIME_DIR");
        if (dir.empty()) dir = Environment("XDG_RUNTIME_DIR");
        path = !remote.empty() && remote.front() == '/' ? remote : dir + "/" + (remote.empty() ? "pipewire-0" : remote);
    } else {
        const std::string server = Environment("PULSE_SERVER");
        if (server.rfind("unix:", 0) == 0) path = server.substr(5);
        else if (!server.empty() && server.front() == '/') path = server;
        else if (!server.empty()) return true;
        else path = Environment("XDG_RUNTIME_DIR") + "/pulse/native";
    }
    // A socket left behind by a server that was killed refuses the connection.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return true;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    bool there = false;
    if (path.size() < sizeof address.sun_path) {
        std::strcpy(address.sun_path, path.c_str());
        there = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 || errno == EAGAIN;
    }
    ::close(fd);
    return there;
}

}  // namespace

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
        if (options_.use != Interface::kPulse && SocketThere(Interface::kPipeWire))
            backend = ConnectPipeWire(host, deadline, pipewireAnswered);
        if (!backend && options_.use != Interface::kPipeWire && !giveUp && SocketThere(Interface::kPulse))
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
