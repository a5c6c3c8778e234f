// The cost of silence: starts the program (Qt's offscreen platform unless QT_QPA_PLATFORM says
// otherwise) against the sound server of the environment (PulseAudio, or PipeWire and its pulse
// interface), and beside it plays a click through the program's own clip player in this process. Once the click has sounded and the player has closed
// its stream, it lets both settle for 3 s, then measures the processor time the program, the
// player (this process) and the sound server use over 10 s in which nothing sounds, from /proc.
// Target: program and server together at most 1 % of one core, and the player after sound as
// cheap as the program that never sounded. Then the cost of playing: the program's window in
// this process plays a song, every cell sounding, for 20 s at tempo 200 and at 1400; target: the
// program at most 2 % and 1 % of a core.
//
//   eval "$(tools/pulse-null-sink.sh)" && build/bench/idle [path/to/Strumwell]
//   eval "$(tools/pipewire-null-sink.sh)" && build/bench/idle [path/to/Strumwell]

#include "platform/flash/sound_flash.h"
#include "platform/services.h"
#include "sheet/strumwellfrm.h"

#include "installed_clips.h"
#include "listening.h"
#include "player_options.h"
#include "sounding_song.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
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

// Processor time of every thread of a process so far, in nanoseconds.
double CpuNs(pid_t pid)
{
    double total = 0;
    std::error_code error;
    for (fs::directory_iterator it("/proc/" + std::to_string(pid) + "/task", error), end; !error && it != end;
         it.increment(error)) {
        std::ifstream in(it->path() / "schedstat");
        double ns = 0;
        if (in >> ns) total += ns;
    }
    return total;
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

// The cost of playing: the window of the program, in this process with its clip player, plays a
// song in which every cell sounds; what this process and the server use over kPlaying of it.
struct Tempo {
    int noteLength;
    double targetPercent;
};
constexpr Tempo kTempos[] = {{200, 2.0}, {1400, 1.0}};
constexpr auto kPlaying = 20s;

bool MeasurePlaying(platform::SoundFlash& flash, const Tempo& tempo, const std::vector<pid_t>& server)
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
    const double programBefore = CpuNs(self), serverBefore = CpuNs(server);
    wait(std::chrono::duration_cast<std::chrono::milliseconds>(kPlaying));
    const double programAfter = CpuNs(self), serverAfter = CpuNs(server);
    const double wallNs = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
    w.cmdStop_Click();
    const double program = (programAfter - programBefore) / wallNs * 100;
    const double serverShare = (serverAfter - serverBefore) / wallNs * 100;
    const bool met = program <= tempo.targetPercent;
    std::printf("playing at tempo %d (a step every %d ms) for %.0f s, through %s: program %.2f %% of a core,"
                " sound server %.2f %%   target: program <= %.0f %%: %s\n",
                tempo.noteLength, tempo.noteLength / 2, wallNs / 1e9, flash.DriverName().c_str(), program, serverShare,
                tempo.targetPercent, met ? "met" : "MISSED");
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
    for (const Tempo& tempo : kTempos) met = MeasurePlaying(flash, tempo, server) && met;
    return met ? 0 : 1;
}
