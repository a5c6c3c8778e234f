// The cost of silence: starts the program (Qt's offscreen platform unless QT_QPA_PLATFORM says
// otherwise) against the sound server of the environment (PulseAudio, or PipeWire and its pulse
// interface), and beside it plays a click through the program's own clip player in this process. Once the click has sounded and the player has closed
// its stream, it lets both settle for 3 s, then measures the processor time the program, the
// player (this process) and the sound server use over 10 s in which nothing sounds, from /proc.
// Target: program and server together at most 1 % of one core, and the player after sound as
// cheap as the program that never sounded. Then the cost of playing: the program's window in
// this process plays a song, every cell sounding, for 20 s at tempo 200 and at 1400, on the
// machine as it is and then beside `stress-ng --cpu N`; target: the program at most 2 % and 1 %
// of a core. Where the playing cost goes is printed too: the thread that wakes most often (the
// one the sound server wakes for each buffer), its wake-ups per second, and the other threads,
// beside what a thread that only waits for a timer as often costs on this machine.
//
//   eval "$(tools/pulse-null-sink.sh)" && build/bench/idle [path/to/Strumwell]
//   eval "$(tools/pipewire-null-sink.sh)" && build/bench/idle [path/to/Strumwell]

#include "platform/flash/sound_flash.h"
#include "platform/services.h"
#include "sheet/strumwellfrm.h"

#include "installed_clips.h"
#include "listening.h"
#include "machine_load.h"
#include "player_options.h"
#include "sounding_song.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <signal.h>
#include <sys/socket.h>
#include <sys/timerfd.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr auto kSettle = 3s;
const std::string kFolder = bench::InstalledClips();

// Plays a click and waits until the player has closed its stream after it; says how it went.
bool ClickThenSilence(platform::SoundFlash& flash)
{
    if (!flash.WaitUntilReady(10s) || flash.DriverName().empty()) {
        std::printf("idle: the clip player found no sound server\n");
        return false;
    }
    const auto click = std::chrono::steady_clock::now();
    flash.LoadMovie(0, kFolder + "3rdStringA.swf");
    for (int i = 0; i < 1000 && !flash.StreamOpen(); ++i) std::this_thread::sleep_for(1ms);
    if (!flash.StreamOpen()) {
        std::printf("idle: the click opened no stream\n");
        return false;
    }
    for (int i = 0; i < 3000 && flash.StreamOpen(); ++i) std::this_thread::sleep_for(10ms);
    if (flash.StreamOpen()) {
        std::printf("idle: the player's stream stayed open 30 s after the click\n");
        return false;
    }
    std::printf("click played; the player closed its stream %.1f s after it\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - click).count());
    return true;
}
constexpr auto kMeasure = 10s;

// What a thread has used so far: processor time, and how often it went to sleep and was woken.
struct ThreadUse {
    double cpuNs = 0;
    double wakeUps = 0;
};

// Every thread of a process, by thread id (schedstat: time on the processor, time waiting for
// one, times it was put on one).
std::map<pid_t, ThreadUse> Threads(pid_t pid)
{
    std::map<pid_t, ThreadUse> threads;
    std::error_code error;
    for (fs::directory_iterator it("/proc/" + std::to_string(pid) + "/task", error), end; !error && it != end;
         it.increment(error)) {
        std::ifstream in(it->path() / "schedstat");
        double cpu = 0, waited = 0, runs = 0;
        if (in >> cpu >> waited >> runs) threads[std::atoi(it->path().filename().c_str())] = {cpu, runs};
    }
    return threads;
}

// Processor time of every thread of a process so far, in nanoseconds.
double CpuNs(pid_t pid)
{
    double total = 0;
    for (const auto& [tid, use] : Threads(pid)) total += use.cpuNs;
    return total;
}

// Of the threads' use between two readings: the thread woken most often, and the rest together.
struct Breakdown {
    ThreadUse busiest;
    ThreadUse rest;
};

Breakdown Between(const std::map<pid_t, ThreadUse>& before, const std::map<pid_t, ThreadUse>& after)
{
    std::vector<ThreadUse> used;
    for (const auto& [tid, now] : after) {
        const auto then = before.find(tid);
        const ThreadUse start = then != before.end() ? then->second : ThreadUse{};
        used.push_back({now.cpuNs - start.cpuNs, now.wakeUps - start.wakeUps});
    }
    Breakdown b;
    const auto busiest = std::max_element(used.begin(), used.end(),
                                          [](const ThreadUse& x, const ThreadUse& y) { return x.wakeUps < y.wakeUps; });
    for (auto it = used.begin(); it != used.end(); ++it) {
        if (it == busiest) continue;
        b.rest.cpuNs += it->cpuNs;
        b.rest.wakeUps += it->wakeUps;
    }
    if (busiest != used.end()) b.busiest = *busiest;
    return b;
}

std::string ReadAll(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The sound server's processes: the one behind PULSE_SERVER's socket (PulseAudio, or PipeWire's
// pulse interface) and, on PipeWire, the PipeWire daemon of the same runtime folder.
std::vector<pid_t> SoundServer()
{
    std::vector<pid_t> pids;
    const char* server = std::getenv("PULSE_SERVER");
    std::string socket = server ? server : "";
    if (socket.rfind("unix:", 0) == 0) socket = socket.substr(5);
    const char* runtime = std::getenv("PIPEWIRE_RUNTIME_DIR") ? std::getenv("PIPEWIRE_RUNTIME_DIR") : std::getenv("XDG_RUNTIME_DIR");
    if (socket.empty() && runtime) socket = std::string(runtime) + "/pulse/native";
    if (const pid_t pulse = sound_test::SocketOwner(socket)) pids.push_back(pulse);
    if (runtime)
        if (const pid_t pipewire = sound_test::SocketOwner(std::string(runtime) + "/pipewire-0"); pipewire && !pids.empty())
            if (pipewire != pids.front()) pids.push_back(pipewire);
    return pids;
}

std::string Names(const std::vector<pid_t>& pids)
{
    std::string names;
    for (const pid_t pid : pids) {
        std::string comm = ReadAll("/proc/" + std::to_string(pid) + "/comm");
        if (!comm.empty() && comm.back() == '\n') comm.pop_back();
        names += (names.empty() ? "" : " + ") + comm + " " + std::to_string(pid);
    }
    return names;
}

double CpuNs(const std::vector<pid_t>& pids)
{
    double total = 0;
    for (const pid_t pid : pids) total += CpuNs(pid);
    return total;
}

// What a thread that does nothing but wait for a kernel timer costs on this machine when woken
// `perSecond` times a second, in % of a core: the least any output that wakes as often can cost
// (on a virtual machine a wake-up alone may cost a hundred microseconds).
double WakeUpFloor(double perSecond)
{
    double percent = 0;
    std::thread sleeper([&] {
        const int fd = timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC);
        if (fd < 0) return;
        const auto period = static_cast<long>(1e9 / perSecond);
        const itimerspec every{{period / 1'000'000'000, period % 1'000'000'000}, {period / 1'000'000'000, period % 1'000'000'000}};
        timerfd_settime(fd, 0, &every, nullptr);
        const int wakeUps = static_cast<int>(perSecond * 5);  // 5 s
        const auto cpuNow = [] {
            timespec t{};
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
            return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
        };
        const auto start = std::chrono::steady_clock::now();
        const double before = cpuNow();
        std::uint64_t expirations = 0;
        for (int i = 0; i < wakeUps; ++i)
            if (::read(fd, &expirations, sizeof expirations) < 0) break;
        const double wallNs = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
        percent = (cpuNow() - before) / wallNs * 100;
        ::close(fd);
    });
    sleeper.join();
    return percent;
}

// The cost of playing: the window of the program, in this process with its clip player, plays a
// song in which every cell sounds; what this process and the server use over kPlaying of it.
struct Tempo {
    int noteLength;
    double targetPercent;
};
constexpr Tempo kTempos[] = {{200, 2.0}, {1400, 1.0}};
constexpr auto kPlaying = 20s;

bool MeasurePlaying(platform::SoundFlash& flash, const Tempo& tempo, const std::vector<pid_t>& server, const char* when)
{
    platform::Services services;
    services.flash = &flash;
    strumwell::Strumwellfrm w(services, "", bench::InstalledClips());
    w.Form_Load();
    w.Show();
    bench::PutSoundingSong(w, tempo.noteLength);
    const auto wait = [](std::chrono::milliseconds span) {
        QEventLoop loop;
        QTimer::singleShot(span, &loop, &QEventLoop::quit);
        loop.exec();
    };
    w.cmdPlay_Click();
    wait(2000ms);  // the stream opens and settles
    const pid_t self = getpid();
    const auto start = std::chrono::steady_clock::now();
    const auto programBefore = Threads(self);
    const double serverBefore = CpuNs(server);
    const std::string loadBefore = bench::LoadAverage();
    wait(std::chrono::duration_cast<std::chrono::milliseconds>(kPlaying));
    const auto programAfter = Threads(self);
    const double serverAfter = CpuNs(server);
    const double wallNs = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
    w.cmdStop_Click();
    const Breakdown used = Between(programBefore, programAfter);
    const auto share = [wallNs](double ns) { return ns / wallNs * 100; };
    const double program = share(used.busiest.cpuNs + used.rest.cpuNs);
    const double wakeUps = used.busiest.wakeUps / (wallNs / 1e9);
    const bool met = program <= tempo.targetPercent;
    std::printf("playing %s at tempo %d (a step every %d ms) for %.0f s, through %s (load average %s, then %s):"
                " program %.2f %% of a core, sound server %.2f %%   target: program <= %.0f %%: %s\n",
                when, tempo.noteLength, tempo.noteLength / 2, wallNs / 1e9, flash.DriverName().c_str(),
                loadBefore.c_str(), bench::LoadAverage().c_str(), program, share(serverAfter - serverBefore),
                tempo.targetPercent, met ? "met" : "MISSED");
    std::printf("  the thread woken most: %.2f %% at %.0f wake-ups a second (%.0f us each); the other threads %.2f %%"
                " at %.0f wake-ups a second; a thread woken as often by a bare kernel timer: %.2f %%\n",
                share(used.busiest.cpuNs), wakeUps, wakeUps > 0 ? used.busiest.cpuNs / 1e3 / (wakeUps * wallNs / 1e9) : 0.0,
                share(used.rest.cpuNs), used.rest.wakeUps / (wallNs / 1e9), wakeUps > 1 ? WakeUpFloor(wakeUps) : 0.0);
    return met;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::string program = argc > 1 ? argv[1] : "";
    if (program.empty()) program = (fs::read_symlink("/proc/self/exe").parent_path() / "../src/Strumwell").string();
    const std::vector<pid_t> server = SoundServer();
    if (server.empty()) {
        std::printf("idle: no sound server answers on PULSE_SERVER; start one with "
                    "eval \"$(tools/pulse-null-sink.sh)\" or eval \"$(tools/pipewire-null-sink.sh)\"\n");
        return 1;
    }
    char home[] = "/tmp/strumwell-idle-XXXXXX";
    if (!mkdtemp(home)) return 1;
    const pid_t child = fork();
    if (child == 0) {
        // A home of its own, so that the program's start-up registration touches nothing real.
        setenv("XDG_CONFIG_HOME", (std::string(home) + "/config").c_str(), 1);
        setenv("XDG_DATA_HOME", (std::string(home) + "/data").c_str(), 1);
        setenv("QT_QPA_PLATFORM", std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "offscreen", 1);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        std::perror(program.c_str());
        _exit(127);
    }
    platform::SoundFlash flash(bench::PlayerOptions());
    if (!ClickThenSilence(flash)) {
        kill(child, SIGTERM);
        waitpid(child, nullptr, 0);
        fs::remove_all(home);
        return 1;
    }
    std::this_thread::sleep_for(kSettle);
    const auto start = std::chrono::steady_clock::now();
    const pid_t self = getpid();
    const double programBefore = CpuNs(child), playerBefore = CpuNs(self), serverBefore = CpuNs(server);
    std::this_thread::sleep_for(kMeasure);
    const double programAfter = CpuNs(child), playerAfter = CpuNs(self), serverAfter = CpuNs(server);
    const double wallNs = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    fs::remove_all(home);

    const double programShare = (programAfter - programBefore) / wallNs * 100;
    const double serverShare = (serverAfter - serverBefore) / wallNs * 100;
    const double playerShare = (playerAfter - playerBefore) / wallNs * 100;
    std::printf("silence: %.0f s after %.0f s of settling, the player's stream closed (%s)\n", wallNs / 1e9,
                std::chrono::duration<double>(kSettle).count(), program.c_str());
    std::printf("  program %.2f %% of a core, sound server (%s) %.2f %%, together %.2f %%   target: <= 1 %%\n",
                programShare, Names(server).c_str(), serverShare, programShare + serverShare);
    std::printf("  the clip player after its click (this process) %.2f %%, with the server %.2f %%   target: <= 1 %%\n",
                playerShare, playerShare + serverShare);
    if (WIFEXITED(status))
        std::printf("  the program ended on SIGTERM with exit status %d\n", WEXITSTATUS(status));
    else
        std::printf("  the program ended on signal %d\n", WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    bool met = programShare + serverShare <= 1.0 && playerShare + serverShare <= 1.0;
    std::printf("  targets: %s\n", met ? "met" : "MISSED");
    for (const Tempo& tempo : kTempos) met = MeasurePlaying(flash, tempo, server, "idle") && met;
    bench::Stress stress;
    if (!stress.Running()) {
        std::printf("idle: stress-ng did not start; install it (tools/install-deps.sh)\n");
        return 1;
    }
    for (const Tempo& tempo : kTempos) met = MeasurePlaying(flash, tempo, server, "beside stress-ng") && met;
    return met ? 0 : 1;
}
