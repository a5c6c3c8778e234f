// The cost of silence: starts the program (Qt's offscreen platform unless QT_QPA_PLATFORM says
// otherwise) against the sound server of PULSE_SERVER, and beside it plays a click through the
// program's own clip player in this process. Once the click has sounded and the player has closed
// its stream, it lets both settle for 3 s, then measures the processor time the program, the
// player (this process) and the sound server use over 10 s in which nothing sounds, from /proc.
// Target: program and server together at most 1 % of one core, and the player after sound as
// cheap as the program that never sounded.
//
//   eval "$(tools/pulse-null-sink.sh)" && build/bench/idle [path/to/Strumwell]

#include "platform/flash/sound_flash.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr auto kSettle = 3s;
const std::string kFolder = "C:\\Program Files\\Fretlane\\Strumwell\\";

// Plays a click and waits until the player has closed its stream after it; says how it went.
bool ClickThenSilence(platform::SoundFlash& flash)
{
    if (!flash.WaitUntilReady(10s) || flash.DriverName().empty()) {
        std::printf("idle: the clip player found no sound server\n");
        return false;
    }
    const auto click = std::chrono::steady_clock::now();
    flash.LoadMovie(0, kFolder + "3rdStringA.swf");
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

// The sound server that listens on PULSE_SERVER's socket: a pulseaudio process that names it on
// its command line (tools/pulse-null-sink.sh starts it so), else the only pulseaudio there is.
pid_t SoundServer()
{
    const char* server = std::getenv("PULSE_SERVER");
    std::string socket = server ? server : "";
    if (socket.rfind("unix:", 0) == 0) socket = socket.substr(5);
    pid_t only = 0;
    int count = 0;
    std::error_code error;
    for (fs::directory_iterator it("/proc", error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        if (ReadAll(it->path() / "comm") != "pulseaudio\n") continue;
        const auto pid = static_cast<pid_t>(std::stol(name));
        if (!socket.empty() && ReadAll(it->path() / "cmdline").find(socket) != std::string::npos) return pid;
        only = pid;
        ++count;
    }
    return count == 1 ? only : 0;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string program = argc > 1 ? argv[1] : "";
    if (program.empty()) program = (fs::read_symlink("/proc/self/exe").parent_path() / "../src/Strumwell").string();
    const pid_t server = SoundServer();
    if (!server) {
        std::printf("idle: no PulseAudio server found for PULSE_SERVER; start one with "
                    "eval \"$(tools/pulse-null-sink.sh)\"\n");
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
    platform::SoundFlash::Options options;
    options.preloadFolder = kFolder;
    platform::SoundFlash flash(options);
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
    std::printf("  program %.2f %% of a core, sound server (pid %d) %.2f %%, together %.2f %%   target: <= 1 %%\n",
                programShare, static_cast<int>(server), serverShare, programShare + serverShare);
    std::printf("  the clip player after its click (this process) %.2f %%, with the server %.2f %%   target: <= 1 %%\n",
                playerShare, playerShare + serverShare);
    if (WIFEXITED(status))
        std::printf("  the program ended on SIGTERM with exit status %d\n", WEXITSTATUS(status));
    else
        std::printf("  the program ended on signal %d\n", WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    const bool met = programShare + serverShare <= 1.0 && playerShare + serverShare <= 1.0;
    std::printf("  targets: %s\n", met ? "met" : "MISSED");
    return met ? 0 : 1;
}
