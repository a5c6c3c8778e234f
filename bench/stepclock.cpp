// Step timing: plays a three-page song for whole cycles through the real event loop (Qt's
// offscreen platform unless QT_QPA_PLATFORM says otherwise) at the fastest tempo and at the
// start tempo, timestamps every step's first LoadMovie, and prints the error of each step against
// the ideal grid of the run (median, p99, max), the drift at the end of every page, and whether
// any step was missed or doubled. Targets: p99 <= 1 ms, drift <= 1 ms after the last cycle.
//
//   bench/stepclock [cycles] [tempo...]     (default: 3 cycles at tempos 200 and 1400)

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/flash/flash_control.h"
#include "platform/services.h"
#include "playback/clip_table.h"
#include "sheet/strumwellfrm.h"
#include "sheet/tokens.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPages = 3;
constexpr int kCells = 32;

// Records when each step starts: a step's first load is the rest that follows a cell's own clip.
class StepStamps final : public platform::FlashControl {
public:
    void LoadMovie(int, const std::string& path) override
    {
        const auto now = Clock::now();
        const bool rest = path == restPath;
        if (rest && !lastWasRest) starts.push_back(now);
        if (!rest) clips.push_back(path);
        lastWasRest = rest;
        if (onLoad) onLoad();
    }
    std::string restPath = strumwell::clips::ClipPath(strumwell::clips::kRestClip);
    std::vector<Clock::time_point> starts;
    std::vector<std::string> clips;
    bool lastWasRest = false;
    std::function<void()> onLoad;
};

// Every cell sounds: chords on the beat, notes off the beat, different on each page.
void FillPage(strumwell::Strumwellfrm& w, const strumwell::RowBinding& rows, int page)
{
    for (int k = 1; k <= kCells; ++k) {
        const std::string token =
            k % 2 ? std::string(strumwell::kChordTokens[static_cast<std::size_t>((k / 2 + 5 * page) % 20)])
                  : strumwell::NoteToken(1 + (k / 2 + page) % 6, (k / 2 + 3 * page) % 13);
        (*rows.cells)[k].SetPicture(*w.CellSymbol(token));
        (*rows.cells)[k].SetToolTipText(token);
        (*rows.rhythm)[k].SetPicture(w.symbols.pctCrotchetBlue.GetPicture());
    }
}

std::string ExpectedClip(int page, int k)
{
    const auto* row = strumwell::clips::FindClipRow(
        k % 2 ? std::string(strumwell::kChordTokens[static_cast<std::size_t>((k / 2 + 5 * page) % 20)])
              : strumwell::NoteToken(1 + (k / 2 + page) % 6, (k / 2 + 3 * page) % 13));
    return strumwell::clips::ClipPath(row->clips.back());
}

// The machine's load average over the last minute: other work competes with the step clock's
// wake-ups, and the figures mean little on a machine busy on every core.
std::string LoadAverage()
{
    std::FILE* f = std::fopen("/proc/loadavg", "r");
    if (!f) return "unknown";
    char text[64] = {};
    const bool read = std::fgets(text, sizeof text, f) != nullptr;
    std::fclose(f);
    if (!read) return "unknown";
    return std::string(text, std::strcspn(text, " "));
}

double Percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    const auto i = static_cast<std::size_t>(std::ceil(p * static_cast<double>(v.size()))) - 1;
    return v[std::min(i, v.size() - 1)];
}

// One run; returns whether it met the targets.
bool Run(int noteLength, int cycles)
{
    StepStamps stamps;
    platform::Services services;
    services.flash = &stamps;
    strumwell::Strumwellfrm w(services, "");
    w.Form_Load();
    w.Show();
    FillPage(w, w.VisibleRows(), 1);
    for (int p = 2; p <= kPages; ++p) FillPage(w, w.StoreRows(p), p);
    w.tabs.lblTotalPages.SetCaption(std::to_string(kPages));
    w.tabs.lblCurrentPage.SetCaption("1");
    w.NoteLength = static_cast<std::int16_t>(noteLength);
    stamps.clips.clear();
    stamps.starts.clear();
    stamps.lastWasRest = false;

    const std::string loadBefore = LoadAverage();
    const int steps = kPages * kCells * cycles;
    QEventLoop loop;
    // One step more than the cycles hold: the wrap into the next cycle ends the last page.
    stamps.onLoad = [&] {
        if (static_cast<int>(stamps.clips.size()) > steps) loop.quit();
    };
    QTimer::singleShot(200, &loop, [&] { w.cmdPlay_Click(); });
    QTimer::singleShot((steps + 10) * noteLength / 2 + 5000, &loop, &QEventLoop::quit);
    loop.exec();
    stamps.onLoad = nullptr;
    w.cmdStop_Click();

    // Each step against the grid point it fell due on. The clock does not make up grid points that
    // a stall of the whole machine lets pass (the step after it runs late, once, and the grid goes
    // on): those are counted apart, and the steps after them are measured against their own points.
    const double interval = noteLength / 2.0;
    const auto atMs = [&](std::size_t i) {
        return std::chrono::duration<double, std::milli>(stamps.starts[i] - stamps.starts[0]).count();
    };
    std::vector<long long> gridPoint(stamps.starts.size(), 0);
    long long skipped = 0;
    for (std::size_t i = 1; i < stamps.starts.size(); ++i) {
        const auto passed = static_cast<long long>(std::floor(atMs(i) / interval + 0.25));
        gridPoint[i] = std::max(gridPoint[i - 1] + 1, passed);
        if (gridPoint[i] > gridPoint[i - 1] + 1) {
            skipped += gridPoint[i] - gridPoint[i - 1] - 1;
            std::printf("  stall: step %zu ran %.1f ms after its predecessor; %lld grid points passed\n", i,
                        atMs(i) - atMs(i - 1), gridPoint[i] - gridPoint[i - 1] - 1);
        }
    }
    const auto errorMs = [&](std::size_t i) { return atMs(i) - static_cast<double>(gridPoint[i]) * interval; };
    std::vector<double> errors;
    for (std::size_t i = 0; i < stamps.starts.size(); ++i) errors.push_back(std::abs(errorMs(i)));

    // Missed or doubled steps show as clips out of the song's order.
    int outOfOrder = 0;
    for (std::size_t i = 0; i < stamps.clips.size(); ++i) {
        const int page = 1 + static_cast<int>(i / kCells) % kPages;
        const int cell = 1 + static_cast<int>(i % kCells);
        outOfOrder += stamps.clips[i] != ExpectedClip(page, cell);
    }
    const bool complete = static_cast<int>(stamps.clips.size()) == steps + 1 &&
                          stamps.starts.size() == stamps.clips.size() && outOfOrder == 0;

    std::printf("tempo %d (a step every %.1f ms), %d cycles of %d pages: %zu steps timed (load average %s, then %s, on %u cores)\n",
                noteLength, interval, cycles, kPages, stamps.starts.size(), loadBefore.c_str(), LoadAverage().c_str(),
                std::thread::hardware_concurrency());
    if (errors.empty()) {
        std::printf("  no step was played\n");
        return false;
    }
    const double p99 = Percentile(errors, 0.99);
    std::printf("  error against the grid: median %.3f ms, p99 %.3f ms, max %.3f ms\n", Percentile(errors, 0.5), p99,
                *std::max_element(errors.begin(), errors.end()));
    std::printf("  drift at the end of each page (cell 32):");
    double lastDrift = 0;
    for (std::size_t end = kCells - 1; end < stamps.starts.size(); end += kCells) {
        lastDrift = errorMs(end);
        std::printf(" %+.3f", lastDrift);
    }
    std::printf(" ms\n");
    std::printf("  page turns (cell 1 of the next page):");
    for (std::size_t turn = kCells; turn < stamps.starts.size(); turn += kCells) std::printf(" %+.3f", errorMs(turn));
    std::printf(" ms\n");
    std::printf("  steps missed or doubled: %s (%d out of order); grid points passed in stalls: %lld\n",
                complete ? "none" : "YES", outOfOrder, skipped);
    const bool met = complete && skipped == 0 && p99 <= 1.0 && std::abs(lastDrift) <= 1.0;
    std::printf("  targets (p99 <= 1 ms, final drift <= 1 ms, every step once on its grid point): %s\n",
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
    bool met = true;
    for (const int tempo : tempos) met = Run(tempo, cycles) && met;
    return met ? 0 : 1;
}
