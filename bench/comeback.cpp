// How soon sound comes back after the sound server went away: restarted, killed (SIGKILL),
// stalled (SIGSTOP for 1, 5 and 10 s, then SIGCONT), or not there when the player started. From
// the moment the server answers again, a click is loaded every 50 ms (each cut by a rest 40 ms
// later) while the sink's monitor is recorded; the first click heard says when sound was back, and
// the click after it, the first made once sound is back, how late a click is then. While the server is gone the player's processor time is taken
// (target: at most 1 % of a core, no busy reconnect loop). Target: sound back within 1 s of the
// server answering. How late the clicks are then is printed beside it.
// Only against a server the project's scripts started (it is stopped and started again):
//
//   eval "$(tools/pulse-null-sink.sh)" && build/bench/comeback
//   eval "$(tools/pipewire-null-sink.sh)" && build/bench/comeback

#include "listening.h"
#include "platform/files/read_file.h"
#include "monitor_recorder.h"
#include "player_options.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <cmath>
#include <functional>
#include <utility>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using sound_test::ServerKind;
using sound_test::SoundServer;

constexpr auto kEvery = 50ms;
constexpr auto kListen = 2000ms;
const std::string kClip = sound_test::kFolder + "2ndStringB.swf";

// This process's processor time so far, threads that have ended included.
double CpuNs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ns = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_usec) * 1e3; };
    return ns(usage.ru_utime) + ns(usage.ru_stime);
}

// Whether the server was started by the project's scripts, in a folder of their own.
bool OursToStop(const SoundServer& server)
{
    if (server.Kind() == ServerKind::kPipeWire) return std::filesystem::exists(server.Dir() + "/pipewire.pid");
    const auto cmdline = platform::files::ReadWholeFile("/proc/" + std::to_string(server.Pid()) + "/cmdline");
    return cmdline.bytes && cmdline.bytes->find("sink_name=strumwell_null") != std::string::npos;
}

struct Outcome {
    bool heard = false;
    double backMs = 0;       // from the server answering to the first click heard
    double firstMs = 0;      // that click's own delay from its call (it may have waited for the stream)
    double nextMs = 0;       // the next click's delay from its call: the first made once sound is back
    double laterMs = 0;      // the largest delay of the clicks heard from 1 s after the answer on
    double gonePercent = 0;  // the player's processor time while the server was gone
    std::size_t holes = 0;   // samples the recording lost
};

// The next onset at or after `from` that rises out of at least 5 ms of silence. What the recording
// lost (NaN) is not silence: sound after it is no onset.
std::size_t NextOnset(const std::vector<float>& heard, std::size_t from)
{
    std::size_t quiet = sound_test::kRate;
    for (std::size_t i = from; i < heard.size(); ++i) {
        if (std::isnan(heard[i])) {
            quiet = 0;
        } else if (std::fabs(heard[i]) > sound_test::kAudible) {
            if (quiet >= static_cast<std::size_t>(sound_test::kRate / 200)) return i;
            quiet = 0;
        } else {
            ++quiet;
        }
    }
    return heard.size();
}

// From `answeredNs` on, clicks every kEvery; the first heard of them.
Outcome ListenForTheFirstClick(platform::SoundFlash& flash, std::int64_t answeredNs)
{
    Outcome outcome;
    // The player may not be back on its server yet: the recorder follows the environment alone
    // (libpulse unless STRUMWELL_BENCH_RECORDER=pipewire), which survives the server going.
    bench::MonitorRecorder recorder(bench::ChooseRecorder(""));
    std::vector<std::int64_t> calls;
    const bool recording = recorder.Start();
    auto at = std::chrono::steady_clock::time_point(std::chrono::nanoseconds(answeredNs));
    const auto until = std::chrono::steady_clock::now() + kListen;
    while (at < until) {
        std::this_thread::sleep_until(at);
        calls.push_back(bench::NowNs());
        flash.LoadMovie(0, kClip);
        std::this_thread::sleep_until(at + 40ms);
        flash.LoadMovie(0, sound_test::kFolder + "rest.swf");
        at += kEvery;
    }
    std::this_thread::sleep_for(300ms);
    if (!recording) return outcome;
    const std::vector<float> heard = recorder.Samples();
    outcome.holes = recorder.Holes();
    const auto wide = recorder.Clock(answeredNs);
    // When the click starting at `onset` was heard, and how long after the last call before it.
    const auto timeOf = [&](std::size_t onset) {
        const double heardNs = recorder.DeliveredNs(onset, recorder.Around(onset, wide));
        std::int64_t call = calls.front();
        for (const std::int64_t c : calls)
            if (static_cast<double>(c) < heardNs) call = c;
        return std::pair{heardNs, (heardNs - static_cast<double>(call)) / 1e6};
    };
    const std::size_t first = NextOnset(heard, 0);
    if (first >= heard.size()) return outcome;
    const auto [heardNs, firstMs] = timeOf(first);
    outcome.heard = true;
    outcome.backMs = (heardNs - static_cast<double>(answeredNs)) / 1e6;
    outcome.firstMs = firstMs;
    const std::size_t next = NextOnset(heard, first + sound_test::kRate / 100);
    outcome.nextMs = next < heard.size() ? timeOf(next).second : 1e9;
    for (std::size_t on = next; on < heard.size(); on = NextOnset(heard, on + sound_test::kRate / 100)) {
        const auto [ns, delay] = timeOf(on);
        if (ns > static_cast<double>(answeredNs) + 1e9 && ns < static_cast<double>(calls.back())) outcome.laterMs = std::max(outcome.laterMs, delay);
    }
    return outcome;
}

struct Scenario {
    const char* what;
    std::function<bool(const SoundServer&)> away;
    std::chrono::milliseconds gone;
    std::function<bool(const SoundServer&)> back;
};

Outcome Run(const Scenario& scenario, const SoundServer& server)
{
    platform::SoundFlash flash(bench::PlayerOptions());
    flash.WaitUntilReady(10s);
    flash.LoadMovie(0, kClip);  // a stream is open when the server goes
    std::this_thread::sleep_for(500ms);
    Outcome outcome;
    if (!scenario.away(server)) return outcome;
    const double cpuBefore = CpuNs();
    const auto goneAt = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(scenario.gone);
    const double goneNs = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - goneAt).count();
    const double cpu = (CpuNs() - cpuBefore) / goneNs * 100;
    if (!scenario.back(server)) return outcome;
    outcome = ListenForTheFirstClick(flash, bench::NowNs());
    outcome.gonePercent = cpu;
    return outcome;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);  // the server scripts run as child processes
    const SoundServer server;
    if (server.Kind() == ServerKind::kNone || !OursToStop(server)) {
        std::printf("comeback: no sound server of the project's scripts answers; start one with eval "
                    "\"$(tools/pulse-null-sink.sh)\" or eval \"$(tools/pipewire-null-sink.sh)\"\n");
        return 1;
    }
    const auto start = [](const SoundServer& s) { return s.Start(); };
    const auto resume = [](const SoundServer& s) { return s.Signal(SIGCONT); };
    const auto stall = [](const SoundServer& s) { return s.Signal(SIGSTOP); };
    const Scenario scenarios[] = {
        {"restarted", [](const SoundServer& s) { return s.End(SIGTERM); }, 2000ms, start},
        {"killed (SIGKILL)", [](const SoundServer& s) { return s.End(SIGKILL); }, 2000ms, start},
        {"stalled 1 s", stall, 1000ms, resume},
        {"stalled 5 s", stall, 5000ms, resume},
        {"stalled 10 s", stall, 10000ms, resume},
    };
    bool met = true;
    std::printf("comeback on %s (%s); %s\n", sound_test::DriverFor(server.Kind()).c_str(), server.Dir().c_str(),
                bench::MonitorRecorder::Describe(bench::ChooseRecorder("")));
    const auto print = [&](const char* what, const Outcome& o) {
        const bool ok = o.heard && o.backMs <= 1000 && o.gonePercent <= 1;
        met = met && ok;
        if (!o.heard)
            std::printf("  %-22s no click heard within %.1f s   MISSED\n", what,
                        std::chrono::duration<double>(kListen).count());
        else
            std::printf("  %-22s sound back %.0f ms after the server answered (that click %.2f ms after its call,"
                        " the next %.2f ms, from 1 s on at most %.2f ms; the recording lost %zu samples); player while"
                        " gone %.2f %% of a core   %s\n",
                        what, o.backMs, o.firstMs, o.nextMs, o.laterMs, o.holes, o.gonePercent, ok ? "met" : "MISSED");
    };
    for (const Scenario& scenario : scenarios) {
        const sound_test::ServerComesBack mended(server);
        print(scenario.what, Run(scenario, server));
    }
    {
        // Not there at first: a server of the same kind in a folder of its own, started later.
        QTemporaryDir dir(QStringLiteral("/tmp/strumwell-later-XXXXXX"));
        const SoundServer later(server.Kind(), dir.path().toStdString());
        sound_test::ScopedEnv pulse("PULSE_SERVER", later.PulseServer().c_str());
        sound_test::ScopedEnv runtime("XDG_RUNTIME_DIR", later.Dir().c_str());
        sound_test::ScopedEnv pipewire("PIPEWIRE_RUNTIME_DIR", later.Dir().c_str());
        platform::SoundFlash flash(bench::PlayerOptions());
        flash.WaitUntilReady(10s);
        const double cpuBefore = CpuNs();
        const auto goneAt = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(5s);
        const double goneNs = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - goneAt).count();
        const double cpu = (CpuNs() - cpuBefore) / goneNs * 100;
        Outcome outcome;
        if (later.Start()) outcome = ListenForTheFirstClick(flash, bench::NowNs());
        outcome.gonePercent = cpu;
        print("started after it", outcome);
        later.Stop();
    }
    std::printf("  targets (sound back within 1 s of the server answering, <= 1 %% of a core while it was gone): %s\n",
                met ? "met" : "MISSED");
    return met ? 0 : 1;
}
