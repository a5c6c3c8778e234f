// Step timing at the sink: plays a three-page song for whole cycles through the real event loop
// (Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise) and the real clip player, at
// the fastest tempo and at the start tempo, while the default sink's monitor is recorded. Each
// step's onset is found in the recording (where the step's clip starts, sample by sample), and
// its error against the ideal grid of the run is printed (median, p99, max), counted in the sink's
// own samples (a step is interval x 48 samples), with the drift at the end of every page and
// whether any step was missed or doubled. How long after its grid point a step is delivered at
// the monitor is printed too (MonitorRecorder::DeliveredNs; the recorder and what its times mean
// are printed first, STRUMWELL_BENCH_RECORDER=pulse|pipewire picks it). Every tempo is played twice
// in the same run: on the machine as it is, then beside `stress-ng --cpu N` (N: the cores).
// Targets: p99 <= 1 ms and drift <= 1 ms after the last cycle, in both.
//
//   eval "$(tools/pulse-null-sink.sh)" && build/bench/stepclock [cycles] [tempo...]
//   eval "$(tools/pipewire-null-sink.sh)" && build/bench/stepclock [cycles] [tempo...]
//                                        (default: 3 cycles at tempos 200 and 1400)

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/clock/due_time.h"
#include "platform/drive/drive_mapping.h"
#include "platform/flash/sound_flash.h"
#include "platform/services.h"
#include "playback/clip_table.h"
#include "sheet/strumwellfrm.h"
#include "sheet/tokens.h"

#include "installed_clips.h"
#include "machine_load.h"
#include "monitor_recorder.h"
#include "player_options.h"
#include "sounding_song.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPages = bench::kSoundingPages;
constexpr int kCells = bench::kCellsPerPage;

// Passes every load on to the real player, and notes for each step (its first load is the rest
// that follows a cell's own clip) the grid point it was due on and the clip it sounds.
class StepStamps final : public platform::FlashControl {
public:
    explicit StepStamps(platform::FlashControl& player) : player_(player) {}
    void LoadMovie(int layer, const std::string& path) override
    {
        const bool rest = path == restPath;
        if (rest && !lastWasRest) dues.push_back(platform::RunningDue().value_or(Clock::now()));
        if (!rest) clips.push_back(path);
        lastWasRest = rest;
        const auto before = Clock::now();
        player_.LoadMovie(layer, path);
        costUs.push_back(std::chrono::duration<double, std::micro>(Clock::now() - before).count());
        if (onLoad) onLoad();
    }
    std::string restPath = bench::InstalledClip(strumwell::clips::kRestClip);
    std::vector<Clock::time_point> dues;
    std::vector<std::string> clips;
    std::vector<double> costUs;  // what each load cost the step that made it
    bool lastWasRest = false;
    std::function<void()> onLoad;

private:
    platform::FlashControl& player_;
};

// The first 20 ms of a clip's samples (mono 16-bit at the sink's rate), read once.
const std::vector<float>& ClipHead(const std::string& path)
{
    static std::map<std::string, std::vector<float>> heads;
    auto& head = heads[path];
    if (!head.empty()) return head;
    std::ifstream in(platform::ResolveWindowsPath(path), std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (std::size_t i = 44; i + 1 < bytes.size() && head.size() < bench::kMonitorRate / 50; i += 2)
        head.push_back(static_cast<std::int16_t>(static_cast<unsigned char>(bytes[i]) |
                                                 (static_cast<unsigned char>(bytes[i + 1]) << 8)) / 32768.0f);
    return head;
}

// Where in `heard`, within `window` samples of `around`, the clip that starts with `head` begins:
// the offset at which the recording matches the clip's start best (normalised correlation). The
// player replaces the clip before it there, so the match is exact from that sample on.
std::optional<std::size_t> FindOnset(const std::vector<float>& heard, const std::vector<float>& head, double around,
                                     std::size_t window)
{
    if (head.empty() || around < 0) return std::nullopt;
    const auto centre = static_cast<std::size_t>(around);
    const std::size_t from = centre > window ? centre - window : 0;
    const std::size_t to = std::min(centre + window, heard.size() > head.size() ? heard.size() - head.size() : 0);
    double headEnergy = 0;
    for (float v : head) headEnergy += static_cast<double>(v) * v;
    double best = 0.5;  // a weaker match is not this clip
    std::optional<std::size_t> at;
    for (std::size_t s = from; s < to; ++s) {
        double dot = 0, energy = 0;
        for (std::size_t j = 0; j < head.size(); ++j) {
            const double x = heard[s + j];
            dot += x * head[j];
            energy += x * x;
        }
        if (!(energy > 0)) continue;  // silence, or lost by the recording (NaN)
        const double score = dot / std::sqrt(energy * headEnergy);
        if (score > best) {
            best = score;
            at = s;
        }
    }
    return at;
}

double Percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    const auto i = static_cast<std::size_t>(std::ceil(p * static_cast<double>(v.size()))) - 1;
    return v[std::min(i, v.size() - 1)];
}

// The onsets against the ideal grid (one step every interval, placed where the onsets sit best:
// their median): each error, and the drift at the end of each page from where the run began (the
// first page's steps, by their median), so that a steady drift shows whole.
struct GridFit {
    std::vector<double> errors;
    std::vector<double> drifts;
    bool Met() const { return !errors.empty() && Percentile(errors, 0.99) <= 1.0 && std::abs(drifts.back()) <= 1.0; }
    void Print(const char* how) const
    {
        std::printf("  %s: onset error against the grid median %.3f ms, p99 %.3f ms, max %.3f ms; drift at each page end:",
                    how, Percentile(errors, 0.5), Percentile(errors, 0.99), *std::max_element(errors.begin(), errors.end()));
        for (const double drift : drifts) std::printf(" %+.3f", drift);
        std::printf(" ms\n");
    }
};

GridFit FitGrid(const std::vector<double>& onsetMs, const std::vector<long long>& gridPoint, double interval)
{
    GridFit fit;
    std::vector<double> offsets;
    for (std::size_t i = 0; i < onsetMs.size(); ++i)
        if (!std::isnan(onsetMs[i])) offsets.push_back(onsetMs[i] - static_cast<double>(gridPoint[i]) * interval);
    if (offsets.empty()) return fit;
    std::sort(offsets.begin(), offsets.end());
    const double origin = offsets[offsets.size() / 2];
    const auto errorMs = [&](std::size_t i) { return onsetMs[i] - origin - static_cast<double>(gridPoint[i]) * interval; };
    std::vector<double> firstPage;
    for (std::size_t i = 0; i < onsetMs.size(); ++i) {
        if (std::isnan(onsetMs[i])) continue;
        fit.errors.push_back(std::abs(errorMs(i)));
        if (i < static_cast<std::size_t>(kCells)) firstPage.push_back(errorMs(i));
    }
    std::sort(firstPage.begin(), firstPage.end());
    const double start = firstPage.empty() ? 0.0 : firstPage[firstPage.size() / 2];
    for (std::size_t end = kCells - 1; end < onsetMs.size(); end += kCells)
        fit.drifts.push_back(std::isnan(onsetMs[end]) ? 1e9 : errorMs(end) - start);
    if (fit.drifts.empty()) fit.drifts.push_back(0.0);
    return fit;
}

// One run; returns whether it met the targets.
bool Run(int noteLength, int cycles, platform::SoundFlash& player, bench::MonitorRecorder& recorder,
         const char* condition)
{
    const std::uint64_t underflowsBefore = player.Underflows();
    StepStamps stamps(player);
    platform::Services services;
    services.flash = &stamps;
    strumwell::Strumwellfrm w(services, "", bench::InstalledClips());
    w.Form_Load();
    w.Show();
    bench::PutSoundingSong(w, noteLength);
    stamps.clips.clear();
    stamps.dues.clear();
    stamps.lastWasRest = false;

    // An idle null sink hands its monitor long blocks, which would put the first steps in the
    // wrong place on the recording's clock: let a clip wake it first.
    player.LoadMovie(0, bench::SoundingClip(1, 1));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));

    const std::string loadBefore = bench::LoadAverage();
    const int steps = kPages * kCells * cycles;
    const std::int64_t runStartNs = bench::NowNs();
    QEventLoop loop;
    // One step more than the cycles hold: the wrap into the next cycle ends the last page.
    stamps.onLoad = [&] {
        if (static_cast<int>(stamps.clips.size()) > steps) loop.quit();
    };
    QTimer::singleShot(200, &loop, [&] { w.cmdPlay_Click(); });
    QTimer::singleShot((steps + 10) * noteLength / 2 + 5000, &loop, &QEventLoop::quit);
    loop.exec();
    stamps.onLoad = nullptr;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the last step reaches the sink
    w.cmdStop_Click();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    // Each step's onset at the sink, searched around where the monitor's clock puts its grid point.
    const double interval = noteLength / 2.0;
    const auto clock = recorder.Clock(runStartNs);
    const std::vector<float> heard = recorder.Samples();
    const std::size_t count = std::min(stamps.dues.size(), stamps.clips.size());
    const auto toNs = [](Clock::time_point t) {
        return static_cast<double>(std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count());
    };
    const double latencyNs = static_cast<double>(platform::SoundFlash::Options{}.playbackLatency.count()) * 1000.0;
    std::vector<long long> gridPoint(count, 0);
    std::vector<double> onsetMs(count, std::nan(""));   // in the sink's samples, from the recording's start
    std::vector<double> onClockMs(count, std::nan(""));  // on the monitor's clock, from the first step's grid point
    std::vector<double> heardLatencyMs;
    int unheard = 0;
    std::string unheardSteps;  // the first few, by their place in the run
    for (std::size_t i = 0; i < count; ++i) {
        gridPoint[i] = std::llround(std::chrono::duration<double, std::milli>(stamps.dues[i] - stamps.dues[0]).count() / interval);
        const double expected = (toNs(stamps.dues[i]) + latencyNs - clock.zeroNs) / clock.nsPerSample;
        const auto at = FindOnset(heard, ClipHead(stamps.clips[i]), expected, bench::kMonitorRate / 25);
        if (!at) {
            if (++unheard <= 8) unheardSteps += " " + std::to_string(i);
            continue;
        }
        onsetMs[i] = static_cast<double>(*at) * 1000.0 / bench::kMonitorRate;
        const auto near = recorder.Around(*at, clock);
        heardLatencyMs.push_back((recorder.DeliveredNs(*at, near) - toNs(stamps.dues[i])) / 1e6);
        onClockMs[i] = (near.At(*at + 1) - toNs(stamps.dues[0])) / 1e6;
    }
    long long skipped = 0;
    for (std::size_t i = 1; i < count; ++i) skipped += std::max(0LL, gridPoint[i] - gridPoint[i - 1] - 1);
    // Missed or doubled steps show as clips out of the song's order.
    int outOfOrder = 0;
    for (std::size_t i = 0; i < stamps.clips.size(); ++i) {
        const int page = 1 + static_cast<int>(i / kCells) % kPages;
        const int cell = 1 + static_cast<int>(i % kCells);
        outOfOrder += stamps.clips[i] != bench::SoundingClip(page, cell);
    }
    const bool complete = static_cast<int>(stamps.clips.size()) == steps + 1 &&
                          stamps.dues.size() == stamps.clips.size() && outOfOrder == 0;

    std::printf("%s, tempo %d (a step every %.1f ms), %d cycles of %d pages: %zu steps heard of %zu (load average %s, then %s, on %d cores)\n",
                condition, noteLength, interval, cycles, kPages, count - static_cast<std::size_t>(unheard), count, loadBefore.c_str(),
                bench::LoadAverage().c_str(), bench::Cores());
    const GridFit bySamples = FitGrid(onsetMs, gridPoint, interval);
    const GridFit byClock = FitGrid(onClockMs, gridPoint, interval);
    if (bySamples.errors.empty()) {
        std::printf("  no step was heard\n");
        return false;
    }
    // A sink that skipped cycles (PipeWire's graph, when a client woke too late for one) delivered
    // fewer samples than the time that passed: counted in its samples, the steps after a skip seem
    // early by it, while the monitor's clock still puts them where they were heard.
    bySamples.Print("counted in the sink's samples");
    byClock.Print("on the monitor's clock (when each was delivered)");
    std::printf("  the monitor delivered %+.0f ppm more samples than the monotonic clock counts at 48 kHz\n",
                (1e9 / bench::kMonitorRate / clock.nsPerSample - 1.0) * 1e6);
    std::printf("  delivered after the step's grid point: median %.2f ms, p99 %.2f ms (the player's constant: %.1f ms)\n",
                Percentile(heardLatencyMs, 0.5), Percentile(heardLatencyMs, 0.99), latencyNs / 1e6);
    std::printf("  LoadMovie call within a step: median %.1f us, p99 %.1f us, max %.1f us over %zu calls\n",
                Percentile(stamps.costUs, 0.5), Percentile(stamps.costUs, 0.99),
                *std::max_element(stamps.costUs.begin(), stamps.costUs.end()), stamps.costUs.size());
    std::printf("  steps missed or doubled: %s (%d out of order); not found at the sink: %d%s%s%s; grid points passed: %lld;"
                " server underflows in this run: %llu\n",
                complete ? "none" : "YES", outOfOrder, unheard, unheard ? " (steps" : "", unheardSteps.c_str(),
                unheard > 8 ? " ...)" : unheard ? ")" : "", skipped,
                static_cast<unsigned long long>(player.Underflows() - underflowsBefore));
    const bool met = complete && unheard == 0 && skipped == 0 && bySamples.Met() && byClock.Met();
    std::printf("  targets (p99 <= 1 ms and final drift <= 1 ms, counted both ways; every step once on its grid point): %s\n",
                met ? "met" : "MISSED");
    return met;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int cycles = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    std::vector<int> tempos;
    for (int i = 2; i < argc; ++i) tempos.push_back(std::atoi(argv[i]));
    if (tempos.empty()) tempos = {200, 1400};

    const platform::SoundFlash::Options options = bench::PlayerOptions();
    platform::SoundFlash player(options);
    const bool ready = player.WaitUntilReady(std::chrono::seconds(10)) && !player.DriverName().empty();
    bench::MonitorRecorder recorder(bench::ChooseRecorder(player.DriverName()));
    if (!ready || !recorder.Start()) {
        std::printf("stepclock: no sound server reachable; start one with eval \"$(tools/pulse-null-sink.sh)\""
                    " or eval \"$(tools/pipewire-null-sink.sh)\"\n");
        return 1;
    }
    bench::PrintPlayerOptions(options, player);
    std::printf("%s\n", recorder.Describe());
    // A null sink that had nothing to play renders one long block first, which nothing new can
    // join until it has played out: wait for the monitor's first data.
    for (int i = 0; i < 500 && recorder.Frames() == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    bool met = true;
    for (const int tempo : tempos) met = Run(tempo, cycles, player, recorder, "idle") && met;
    {
        bench::Stress stress;
        if (!stress.Running()) {
            std::printf("stepclock: stress-ng did not start; install it (tools/install-deps.sh)\n");
            return 1;
        }
        for (const int tempo : tempos) met = Run(tempo, cycles, player, recorder, "beside stress-ng") && met;
    }
    std::printf("recording lost %zu samples; the player's audio thread ran %s\n", recorder.Holes(),
                player.RealtimeAudio() ? "in real time" : "at normal priority (real time refused)");
    return met ? 0 : 1;
}
