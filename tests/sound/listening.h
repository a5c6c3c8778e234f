#pragma once
// What the real-server sound tests share: the run's sound server (PulseAudio, or PipeWire with its
// pulse interface, as the environment names it), which a test may stop, kill, stall and start
// again through the scripts that started it; a recording of the default sink's monitor; and the
// readings of what was heard in it.
#include "audio_analysis.h"

#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace sound_test {

using namespace std::chrono_literals;

inline constexpr int kRate = 48000;
inline constexpr float kAudible = 0.01f;
inline const std::string kFolder = "C:\\Program Files\\Fretlane\\Strumwell\\";
inline constexpr double kA2 = 110.0, kA3 = 220.0, kE4 = 329.63;

// Sets an environment variable for one test and puts back the old value.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name)) old_ = old;
        setenv(name, value, 1);
    }
    ~ScopedEnv()
    {
        if (old_) setenv(name_, old_->c_str(), 1);
        else unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

// Records the default sink's monitor (mono, 16-bit, kRate) into a file while a test plays.
class MonitorRecording {
public:
    bool Start()
    {
        if (!dir_.isValid()) return false;
        file_ = dir_.filePath(QStringLiteral("monitor.raw")).toStdString();
        parec_.setStandardOutputFile(QString::fromStdString(file_));
        parec_.start(QStringLiteral("parec"),
                     {QStringLiteral("--device=@DEFAULT_MONITOR@"), QStringLiteral("--raw"),
                      QStringLiteral("--format=s16le"), QStringLiteral("--rate=48000"), QStringLiteral("--channels=1"),
                      QStringLiteral("--latency-msec=10")});
        if (!parec_.waitForStarted(3000)) return false;
        // An idle null sink renders in 2-second blocks: wait for the first data before playing.
        for (int i = 0; i < 500; ++i) {
            std::error_code error;
            if (std::filesystem::file_size(file_, error) > 0 && !error) return true;
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }

    std::vector<float> Stop()
    {
        parec_.terminate();
        parec_.waitForFinished(3000);
        std::vector<float> samples;
        std::ifstream in(file_, std::ios::binary);
        for (char b[2]; in.read(b, 2);)
            samples.push_back(static_cast<std::int16_t>(static_cast<unsigned char>(b[0]) |
                                                        (static_cast<unsigned char>(b[1]) << 8)) / 32768.0f);
        return samples;
    }

    ~MonitorRecording()
    {
        if (parec_.state() != QProcess::NotRunning) {
            parec_.kill();
            parec_.waitForFinished(3000);
        }
    }

private:
    QTemporaryDir dir_;
    std::string file_;
    QProcess parec_;
};

inline std::size_t FirstAudible(const std::vector<float>& x, std::size_t from = 0)
{
    for (std::size_t i = from; i < x.size(); ++i)
        if (std::fabs(x[i]) > kAudible) return i;
    return x.size();
}

inline std::size_t LastAudible(const std::vector<float>& x)
{
    for (std::size_t i = x.size(); i > 0; --i)
        if (std::fabs(x[i - 1]) > kAudible) return i - 1;
    return 0;
}

inline std::size_t Ms(int ms) { return static_cast<std::size_t>(ms) * kRate / 1000; }

// Pitch read in short windows from `from` on: each window's pitch (0 for none), or nullopt for a
// window that a dropout spoiled (1 ms or more of digital silence inside it). A busy machine's
// sound server may drop a few milliseconds here and there; that is a figure of the benches, and
// the windows it spoils are left out of every verdict here.
inline std::vector<std::optional<double>> PitchTrack(const std::vector<float>& heard, std::size_t from, std::size_t to,
                                              double lowHz, double highHz)
{
    std::vector<std::optional<double>> track;
    for (std::size_t at = from; at + Ms(30) <= std::min(to, heard.size()); at += Ms(15)) {
        const auto window = Slice(heard, at, Ms(30));
        std::size_t zeros = 0, longest = 0;
        for (float v : window) longest = std::max(longest, zeros = v == 0.0f ? zeros + 1 : 0);
        if (longest >= Ms(1)) track.emplace_back();
        else track.emplace_back(PitchHz(window, kRate, lowHz, highHz));
    }
    return track;
}

inline bool Near(std::optional<double> hz, double target) { return hz && std::fabs(*hz - target) < target * 0.01; }

// The share of the unspoiled windows that read `hz`.
inline double ShareAt(const std::vector<std::optional<double>>& track, double hz)
{
    int judged = 0, hits = 0;
    for (const auto& reading : track) {
        if (!reading) continue;
        ++judged;
        hits += Near(reading, hz);
    }
    return judged ? static_cast<double>(hits) / judged : 0.0;
}


// --- the run's sound server ---

enum class ServerKind { kNone, kPulseAudio, kPipeWire };

// What `pactl info` says of the server the environment names; empty when it does not answer.
inline std::string PactlInfo()
{
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), {QStringLiteral("info")});
    if (!pactl.waitForFinished(10000) || pactl.exitStatus() != QProcess::NormalExit || pactl.exitCode() != 0)
        return {};
    return pactl.readAllStandardOutput().toStdString();
}

inline ServerKind AnsweringServer()
{
    const std::string info = PactlInfo();
    if (info.empty()) return ServerKind::kNone;
    return info.find("on PipeWire") != std::string::npos ? ServerKind::kPipeWire : ServerKind::kPulseAudio;
}

// The name the player gives the interface it uses with such a server.
inline std::string DriverFor(ServerKind kind)
{
    return kind == ServerKind::kPipeWire ? "pipewire" : kind == ServerKind::kPulseAudio ? "pulseaudio" : "";
}

// The process listening on the unix socket `path`, asked of the socket itself; 0 when none.
inline pid_t SocketOwner(const std::string& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return 0;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    pid_t owner = 0;
    if (path.size() < sizeof address.sun_path) {
        std::strcpy(address.sun_path, path.c_str());
        ucred peer{};
        socklen_t size = sizeof peer;
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
            ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0)
            owner = peer.pid;
    }
    ::close(fd);
    return owner;
}

// Whether `pid` is still a running (or stopped) process, not one that has ended.
inline bool Alive(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    std::getline(stat, text);
    const auto close = text.rfind(')');
    return close != std::string::npos && close + 2 < text.size() && text[close + 2] != 'Z';
}

// A server of either kind in a folder of its own, started and stopped by the script of its kind
// (tools/pulse-null-sink.sh, tools/pipewire-null-sink.sh). Made from the environment it is the
// run's own server, the one PULSE_SERVER names.
class SoundServer {
public:
    SoundServer() : kind_(AnsweringServer())
    {
        std::string socket = qEnvironmentVariable("PULSE_SERVER").toStdString();
        if (socket.rfind("unix:", 0) == 0) socket = socket.substr(5);
        const std::filesystem::path path(socket);
        dir_ = (kind_ == ServerKind::kPipeWire ? path.parent_path().parent_path() : path.parent_path()).string();
    }
    SoundServer(ServerKind kind, std::string dir) : kind_(kind), dir_(std::move(dir)) {}

    ServerKind Kind() const { return kind_; }
    const std::string& Dir() const { return dir_; }
    // What the player's environment names for this server.
    std::string PulseServer() const { return "unix:" + dir_ + (kind_ == ServerKind::kPipeWire ? "/pulse/native" : "/native"); }

    // The process that serves the player: PulseAudio, or the PipeWire daemon (whose pulse
    // interface and session manager end with it).
    pid_t Pid() const
    {
        return SocketOwner(kind_ == ServerKind::kPipeWire ? dir_ + "/pipewire-0" : PulseServer().substr(5));
    }

    bool Signal(int signal) const
    {
        const pid_t pid = Pid();
        return pid > 0 && ::kill(pid, signal) == 0;
    }

    // Ends the server with `signal` and waits until it has gone.
    bool End(int signal) const
    {
        const pid_t pid = Pid();
        if (pid <= 0 || ::kill(pid, signal) != 0) return false;
        ::kill(pid, SIGCONT);
        for (int i = 0; i < 100 && Alive(pid); ++i) std::this_thread::sleep_for(50ms);
        return !Alive(pid);
    }

    // Starts what is missing of the server and waits until it answers.
    bool Start() const { return Script({}); }
    // Stops all of it.
    bool Stop() const { return Script({QStringLiteral("stop")}); }

private:
    bool Script(const QStringList& arguments) const
    {
        const bool pipewire = kind_ == ServerKind::kPipeWire;
        QProcess script;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(pipewire ? QStringLiteral("STRUMWELL_PIPEWIRE_DIR") : QStringLiteral("STRUMWELL_PULSE_DIR"),
                           QString::fromStdString(dir_));
        script.setProcessEnvironment(environment);
        script.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        script.setStandardOutputFile(QProcess::nullDevice());
        const QString tools = QStringLiteral(STRUMWELL_TOOLS);
        script.start(QStringLiteral("bash"), QStringList{tools + (pipewire ? QStringLiteral("/pipewire-null-sink.sh")
                                                                           : QStringLiteral("/pulse-null-sink.sh"))} +
                                                 arguments);
        return script.waitForFinished(30000) && script.exitStatus() == QProcess::NormalExit && script.exitCode() == 0;
    }

    ServerKind kind_;
    std::string dir_;
};

// Makes sure, however a test ends, that the server it stalled or stopped runs again.
class ServerComesBack {
public:
    explicit ServerComesBack(const SoundServer& server) : server_(server) {}
    ~ServerComesBack()
    {
        server_.Signal(SIGCONT);
        server_.Start();
    }
    ServerComesBack(const ServerComesBack&) = delete;
    ServerComesBack& operator=(const ServerComesBack&) = delete;

private:
    const SoundServer& server_;
};

}  // namespace sound_test
