#pragma once
// What the sound benches need of the machine's load: the cores, the load average, and a run of
// `stress-ng --cpu N` beside a measurement, so that each prints its figures idle and under load.

#include <sched.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

namespace bench {

// The cores this process may run on, as nproc counts them.
inline int Cores()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0) return std::max(1, CPU_COUNT(&set));
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

// Runs `stress-ng --cpu N` (N: the cores) until destroyed.
class Stress {
public:
    Stress()
    {
        const std::string cpus = std::to_string(Cores());
        pid_ = fork();
        if (pid_ == 0) {
            execlp("stress-ng", "stress-ng", "--cpu", cpus.c_str(), "--quiet", static_cast<char*>(nullptr));
            _exit(127);
        }
        std::this_thread::sleep_for(std::chrono::seconds(2));  // let it load every core
        int status = 0;
        if (pid_ > 0 && waitpid(pid_, &status, WNOHANG) == pid_) pid_ = -1;  // not installed
    }
    ~Stress()
    {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    bool Running() const { return pid_ > 0; }
    Stress(const Stress&) = delete;
    Stress& operator=(const Stress&) = delete;

private:
    pid_t pid_ = -1;
};

// The machine's load average over the last minute: other work competes with the player's and
// the server's wake-ups, and the figures mean little on a machine busy on every core.
inline std::string LoadAverage()
{
    std::FILE* f = std::fopen("/proc/loadavg", "r");
    if (!f) return "unknown";
    char text[64] = {};
    const bool read = std::fgets(text, sizeof text, f) != nullptr;
    std::fclose(f);
    if (!read) return "unknown";
    return std::string(text, std::strcspn(text, " "));
}

}  // namespace bench
