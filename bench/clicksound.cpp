// Click-to-sound: 50 LoadMovie calls a quarter-second apart through the real player, then single
// calls each after 10 s of silence (the player has closed its stream by then), while the default
// sink's monitor is recorded; all of it on the machine as it is, then beside `stress-ng --cpu N`
// (N: the cores). The delay of a click is from the call to when the monitor delivered
// the clip's first sound (MonitorRecorder::DeliveredNs: with libpulse the arrival of the delivery
// holding it, with PipeWire's own recorder when the sink played it by the graph's cycle stamps);
// its spread is read on the sink's sample clock (MonitorRecorder::Clock), where a clip that starts
// later in the same delivery does sound later. A rest follows each clip, so every onset rises out
// of silence. Last, single clicks made while a song plays (a player whose stream stays open, with a
// step of rest every 100 ms, scheduled as playback's are), each a while after the one before, as
// a pick in the middle of a song is: the output is at its steady pace then. Needs a sound server with a null sink as its default sink: PulseAudio
// (tools/pulse-null-sink.sh) or PipeWire (tools/pipewire-null-sink.sh).
//
//   eval "$(tools/pulse-null-sink.sh)" && build/bench/clicksound
//   eval "$(tools/pipewire-null-sink.sh)" && build/bench/clicksound
//   STRUMWELL_BENCH_INTERFACE=pulse build/bench/clicksound   # other player settings: player_options.h
//   CLICKSOUND_RECORDER=loose build/bench/clicksound         # only the first clicks after silence,
//                          # with a recorder that holds the sink to no latency: as if no other client
//   CLICKSOUND_SILENCES=20 build/bench/clicksound                          # more silences (default 10)
//   CLICKSOUND_IDLE_ONLY=1 build/bench/clicksound                          # without the stressed run
//   STRUMWELL_BENCH_RECORDER=pulse|pipewire build/bench/clicksound  # the recorder (monitor_recorder.h;
//                          # default: PipeWire's own when the player is on PipeWire)
//
// Dropouts: stretches of 1 ms or more of digital silence inside the first 130 ms of a sounding
// clip at the sink (the clip itself has none there), and the server's count of underflows. The
// rest called 150 ms after a clip starts when it is due, so it cuts short a clip that started
// late (on a sink that runs a long quantum); the watch ends where the rest is due.

#include "platform/clock/due_time.h"
#include "platform/drive/drive_mapping.h"
#include "platform/flash/sound_flash.h"

#include "installed_clips.h"
#include "machine_load.h"
#include "monitor_recorder.h"
#include "player_options.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
constexpr int kRate = 48000;
constexpr int kCalls = 50;
constexpr auto kSpacing = 250ms;
constexpr auto kRestAfter = 150ms;  // silence before the next call, so each onset stands clear
constexpr float kThreshold = 0.01f;
const std::string kFolder = bench::InstalledClips();
const std::string kClip = "2ndStringB.swf";
constexpr int kClicksWhilePlaying = 10;
constexpr auto kStepEvery = 100ms;

using bench::MonitorRecorder;
using bench::NowNs;

// The clip's samples (mono 16-bit WAV at the sink's rate).
const std::vector<float>& ClipSamples()
{
    static const std::vector<float> samples = [] {
        std::ifstream in(platform::ResolveWindowsPath(kFolder + kClip), std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<float> out;
        for (std::size_t i = 44; i + 1 < bytes.size(); i += 2)
            out.push_back(static_cast<std::int16_t>(static_cast<unsigned char>(bytes[i]) |
                                                    (static_cast<unsigned char>(bytes[i + 1]) << 8)) / 32768.0f);
        return out;
    }();
    return samples;
}

// The sample at which the clip itself first passes the threshold, so its fade-in does not count
// as delay.
std::size_t ClipOnset()
{
    const auto& clip = ClipSamples();
    for (std::size_t i = 0; i < clip.size(); ++i)
        if (std::fabs(clip[i]) > kThreshold) return i;
    return 0;
}

// Whether the recording, where it first passes the threshold at `onset`, holds the clip from its
// first sample on (a start the player or the server cut off matches nothing there).
bool StartsWhole(const std::vector<float>& heard, std::size_t onset)
{
    const auto& clip = ClipSamples();
    const std::size_t head = kRate / 100;  // the clip's first 10 ms
    const std::size_t offset = ClipOnset();
    if (onset < offset || clip.size() < head) return false;
    double best = 0;
    for (std::size_t at = onset - offset > kRate / 1000 ? onset - offset - kRate / 1000 : 0;
         at <= onset - offset + kRate / 1000 && at + head <= heard.size(); ++at) {
        double dot = 0, energy = 0, clipEnergy = 0;
        for (std::size_t j = 0; j < head; ++j) {
            dot += static_cast<double>(heard[at + j]) * clip[j];
            energy += static_cast<double>(heard[at + j]) * heard[at + j];
            clipEnergy += static_cast<double>(clip[j]) * clip[j];
        }
        if (energy > 0) best = std::max(best, dot / std::sqrt(energy * clipEnergy));
    }
    return best > 0.95;
}

// How each call sounded at the sink: its delay (ms) to the delivery of its first sound and on the
// sink's sample clock, the dropouts inside the clip after it, and the clips whose start was cut.
struct Heard {
    std::vector<double> delays;
    std::vector<double> onClock;
    int dropouts = 0;
    int cutStarts = 0;
};

// `restNs[k]`: when the rest after call k was made.
Heard Listen(MonitorRecorder& recorder, const std::vector<std::int64_t>& callNs, const std::vector<std::int64_t>& restNs)
{
    const double clipOnsetMs = static_cast<double>(ClipOnset()) * 1000.0 / kRate;
    constexpr std::size_t kGap = kRate / 1000;      // 1 ms
    constexpr std::size_t kWatch = kRate * 130 / 1000;  // 130 ms of the clip
    const std::vector<float> samples = recorder.Samples();
    Heard heard;
    const double startDelayNs = std::chrono::duration<double, std::nano>(platform::SoundFlash::Options{}.startDelay).count();
    for (std::size_t k = 0; k < callNs.size(); ++k) {
        const std::int64_t call = callNs[k];
        // A clock fitted around each call: the sink's rate may wander a little over the run.
        const auto wide = recorder.Clock(call - 1'000'000'000, call + 1'000'000'000);
        const double first = (static_cast<double>(call) - wide.zeroNs) / wide.nsPerSample - kRate / 50.0;
        const double restDue = (static_cast<double>(restNs[k]) + startDelayNs - wide.zeroNs) / wide.nsPerSample - 2.0 * kGap;
        for (auto i = static_cast<std::size_t>(std::max(0.0, first)); i < samples.size(); ++i) {
            if (!(std::fabs(samples[i]) > kThreshold)) continue;  // NaN: lost by the recording
            const auto clock = recorder.Around(i, wide);
            heard.delays.push_back((recorder.DeliveredNs(i, clock) - static_cast<double>(call)) / 1e6 - clipOnsetMs);
            heard.onClock.push_back((clock.At(i + 1) - static_cast<double>(call)) / 1e6 - clipOnsetMs);
            heard.cutStarts += !StartsWhole(samples, i);
            std::size_t quiet = 0;
            const std::size_t watchEnd = std::min({samples.size(), i + kWatch, static_cast<std::size_t>(std::max(0.0, restDue))});
            for (std::size_t j = i; j < watchEnd; ++j) {
                quiet = samples[j] == 0.0f ? quiet + 1 : 0;
                if (quiet == kGap) ++heard.dropouts;
            }
            break;
        }
    }
    return heard;
}

double Percentile(std::vector<double> values, double p)
{
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(std::ceil(p * static_cast<double>(values.size()))) - 1;
    return values[std::min(index, values.size() - 1)];
}

double Max(const std::vector<double>& values)
{
    return values.empty() ? 0.0 : *std::max_element(values.begin(), values.end());
}

// A sink with no other client: the recorder holds it to no latency and keeps it from no suspend,
// so it delivers in long blocks that cannot time a click by their arrival. Each first click after silence is followed 400 ms
// later by a second, which finds the sink awake; how much closer together the two sound than
// they were called is how late the first came (the second comes after its start delay as usual).
int FirstClicksOnALooseSink(platform::SoundFlash& flash, int silences)
{
    MonitorRecorder recorder(bench::ChooseRecorder(flash.DriverName()), 0);
    if (!recorder.Start()) {
        std::printf("clicksound: cannot record the default sink's monitor\n");
        return 1;
    }
    std::printf("first click after 10 s of silence on a sink that no other client holds to a short latency, %d times (%s):\n",
                silences, recorder.Describe());
    constexpr auto kSecond = 400ms;
    for (int i = 0; i < silences; ++i) {
        std::this_thread::sleep_for(10s);
        const auto first = std::chrono::steady_clock::now();
        for (const auto at : {first, first + kSecond}) {
            std::this_thread::sleep_until(at);
            flash.LoadMovie(0, kFolder + kClip);
            std::this_thread::sleep_until(at + kRestAfter);
            flash.LoadMovie(0, kFolder + "rest.swf");
        }
    }
    std::this_thread::sleep_for(5s);  // the sink's last long block reaches the recorder
    const std::vector<float> heard = recorder.Samples();
    std::vector<std::size_t> onsets;
    std::size_t quiet = kRate;
    for (std::size_t i = 0; i < heard.size(); ++i) {
        if (std::fabs(heard[i]) > kThreshold) {
            if (quiet >= kRate / 20) onsets.push_back(i);
            quiet = 0;
        } else {
            ++quiet;
        }
    }
    if (onsets.size() != static_cast<std::size_t>(2 * silences)) {
        std::printf("  heard %zu onsets for %d clicks in %.1f s of recording\n", onsets.size(), 2 * silences,
                    static_cast<double>(heard.size()) / kRate);
        return 1;
    }
    int cut = 0;
    for (const std::size_t onset : onsets) cut += !StartsWhole(heard, onset);
    std::vector<double> late;
    for (std::size_t i = 0; i + 1 < onsets.size(); i += 2)
        late.push_back(std::chrono::duration<double, std::milli>(kSecond).count() -
                       static_cast<double>(onsets[i + 1] - onsets[i]) * 1000.0 / kRate);
    std::printf("  later than the click after it: median %.2f ms, max %.2f ms; so heard about %.1f ms after the call"
                " at the most   target: as soon as the sink allows, never seconds\n",
                Percentile(late, 0.5), Max(late), Max(late) + std::chrono::duration<double, std::milli>(platform::SoundFlash::Options{}.startDelay).count());
    std::printf("  clicks whose start was cut: %d of %zu   target: none (recording lost %zu samples)\n", cut,
                onsets.size(), recorder.Holes());
    return Max(late) < 100.0 && cut == 0 ? 0 : 1;
}

// The burst and the first clicks after silence, recorded afresh; prints the figures under
// `condition` and returns whether they met the targets.
bool MeasureClicks(platform::SoundFlash& flash, const platform::SoundFlash::Options& options, int silences,
                   const char* condition)
{
    MonitorRecorder recorder(bench::ChooseRecorder(flash.DriverName()));
    if (!recorder.Start()) {
        std::printf("clicksound: cannot record the default sink's monitor\n");
        return false;
    }
    // An idle null sink renders in long blocks; wait for the first data, then let it settle.
    flash.LoadMovie(0, kFolder + "rest.swf");
    for (int i = 0; i < 500 && recorder.Frames() == 0; ++i) std::this_thread::sleep_for(10ms);
    if (recorder.Frames() == 0) {
        std::printf("clicksound: the monitor delivers no data\n");
        return false;
    }
    std::this_thread::sleep_for(3000ms);
    const std::string loadBefore = bench::LoadAverage();

    const std::uint64_t underflowsBefore = flash.Underflows();
    std::vector<std::int64_t> callNs, restNs;
    // What each LoadMovie call costs its caller, clicks and rests alike: into a playing stream,
    // and the first call after silence, which opens the stream again.
    std::vector<double> playingCostUs;
    std::vector<double> openingCostUs;
    const auto timedLoad = [&](const std::string& clip, std::vector<double>& costs) {
        const std::int64_t before = NowNs();
        flash.LoadMovie(0, kFolder + clip);
        costs.push_back(static_cast<double>(NowNs() - before) / 1000.0);
        return before;
    };
    auto next = std::chrono::steady_clock::now();
    for (int i = 0; i < kCalls; ++i) {
        std::this_thread::sleep_until(next);
        callNs.push_back(timedLoad(kClip, flash.StreamOpen() ? playingCostUs : openingCostUs));
        std::this_thread::sleep_until(next + kRestAfter);
        restNs.push_back(timedLoad("rest.swf", playingCostUs));
        next += kSpacing;
    }
    std::vector<std::int64_t> afterSilenceNs, afterSilenceRestNs;
    int closed = 0;
    for (int i = 0; i < silences; ++i) {
        std::this_thread::sleep_for(10s);
        const bool opens = !flash.StreamOpen();
        closed += opens;
        afterSilenceNs.push_back(timedLoad(kClip, opens ? openingCostUs : playingCostUs));
        std::this_thread::sleep_for(kRestAfter);
        afterSilenceRestNs.push_back(timedLoad("rest.swf", playingCostUs));
    }
    // A song plays: a player whose stream stays open, as sounding steps keep it (the steps here
    // are rests, so that each click rises out of silence), and each click comes once the quick
    // pace the one before set has run out.
    platform::SoundFlash::Options songOptions = options;
    songOptions.output.idleAfter = 600s;
    platform::SoundFlash song(songOptions);
    song.WaitUntilReady(5s);
    std::vector<std::int64_t> whilePlayingNs, whilePlayingRestNs;
    const auto stepLoad = [&](std::chrono::steady_clock::time_point due, const std::string& clip) {
        const platform::DueScope scope(due);
        song.LoadMovie(0, kFolder + clip);
    };
    const auto steps = (options.quickAfterClick + 500ms) / kStepEvery;
    int songOpen = 0;
    next = std::chrono::steady_clock::now();
    stepLoad(next, kClip);  // the song's first step opens its stream
    next += kRestAfter;
    for (int i = 0; i < kClicksWhilePlaying; ++i) {
        for (int step = 0; step < steps; ++step, next += kStepEvery) {
            std::this_thread::sleep_until(next);
            stepLoad(next, "rest.swf");
        }
        std::this_thread::sleep_until(next);
        songOpen += song.StreamOpen();
        whilePlayingNs.push_back(NowNs());
        song.LoadMovie(0, kFolder + kClip);
        // The rest that cuts it is the song's next step, which sounds the playback latency after it.
        std::this_thread::sleep_until(next + kRestAfter - songOptions.playbackLatency + songOptions.startDelay);
        whilePlayingRestNs.push_back(NowNs() + std::chrono::nanoseconds(songOptions.playbackLatency - songOptions.startDelay).count());
        stepLoad(std::chrono::steady_clock::now(), "rest.swf");
        next += kRestAfter;
    }
    std::this_thread::sleep_for(500ms);
    const std::uint64_t underflows = flash.Underflows() - underflowsBefore;

    const std::int64_t since = callNs.front() - 200'000'000;
    const auto overall = recorder.Clock(since);
    const Heard burst = Listen(recorder, callNs, restNs);
    const Heard quiet = Listen(recorder, afterSilenceNs, afterSilenceRestNs);
    const Heard playing = Listen(recorder, whilePlayingNs, whilePlayingRestNs);
    std::printf("%s (load average %s, then %s, on %d cores):\n%s\n", condition, loadBefore.c_str(),
                bench::LoadAverage().c_str(), bench::Cores(), recorder.Describe());
    if (burst.delays.size() != callNs.size() || quiet.delays.size() != afterSilenceNs.size() ||
        playing.delays.size() != whilePlayingNs.size()) {
        std::printf("  only %zu of %zu clips were heard   MISSED\n",
                    burst.delays.size() + quiet.delays.size() + playing.delays.size(),
                    callNs.size() + afterSilenceNs.size() + whilePlayingNs.size());
        return false;
    }
    const std::vector<double>& delays = burst.delays;
    std::printf("click-to-sound over %d calls, %lld ms apart (%s, default sink's sample clock %+.0f ppm):\n", kCalls,
                static_cast<long long>(kSpacing.count()), flash.DriverName().c_str(),
                (1e9 / kRate / overall.nsPerSample - 1.0) * 1e6);
    const auto printDelays = [](const Heard& heard) {
        const auto [low, high] = std::minmax_element(heard.delays.begin(), heard.delays.end());
        const auto [clockLow, clockHigh] = std::minmax_element(heard.onClock.begin(), heard.onClock.end());
        std::printf("  delivered  median %.2f ms  p99 %.2f ms  max %.2f ms (call %td)  min %.2f ms (call %td)\n",
                    Percentile(heard.delays, 0.5), Percentile(heard.delays, 0.99), *high, high - heard.delays.begin() + 1,
                    *low, low - heard.delays.begin() + 1);
        std::printf("  on the sample clock  median %.2f ms  p99 %.2f ms  spread (max - min) %.2f ms\n",
                    Percentile(heard.onClock, 0.5), Percentile(heard.onClock, 0.99), *clockHigh - *clockLow);
    };
    printDelays(burst);
    std::printf("first click after 10 s of silence, %d times (stream closed before %d of them):\n", silences, closed);
    printDelays(quiet);
    std::printf("a click while a song plays (its steps rests, %lld ms apart), %d times, each %lld ms after the one"
                " before (its stream open before %d of them):\n", static_cast<long long>(kStepEvery.count()),
                kClicksWhilePlaying, static_cast<long long>((steps * kStepEvery + kRestAfter).count()), songOpen);
    printDelays(playing);
    std::vector<double> allOnClock, allDelays;
    for (const Heard* heard : {&burst, &quiet, &playing}) {
        allOnClock.insert(allOnClock.end(), heard->onClock.begin(), heard->onClock.end());
        allDelays.insert(allDelays.end(), heard->delays.begin(), heard->delays.end());
    }
    const auto [allLow, allHigh] = std::minmax_element(allOnClock.begin(), allOnClock.end());
    const double allSpread = *allHigh - *allLow;
    std::printf("spread of all clicks, from silence, in the burst and while playing, on the sample clock: %.2f ms;"
                " delivered: %.2f ms\n", allSpread, Max(allDelays) - *std::min_element(allDelays.begin(), allDelays.end()));
    const int dropouts = burst.dropouts + quiet.dropouts + playing.dropouts;
    const int cutStarts = burst.cutStarts + quiet.cutStarts + playing.cutStarts;
    std::printf("dropouts: %d gaps inside sounding clips at the sink, %d clips whose start was cut, %llu server"
                " underflows   target: none (recording lost %zu samples)\n", dropouts, cutStarts,
                static_cast<unsigned long long>(underflows), recorder.Holes());
    bench::PrintPlayerOptions(options, flash);
    const double callCostMax = std::max(Max(playingCostUs), Max(openingCostUs));
    std::printf("  LoadMovie call  into a playing stream: median %.1f us  p99 %.1f us  max %.1f us (%zu calls)\n",
                Percentile(playingCostUs, 0.5), Percentile(playingCostUs, 0.99), Max(playingCostUs), playingCostUs.size());
    std::printf("                  opening the stream after silence: median %.1f us  max %.1f us (%zu calls)\n",
                Percentile(openingCostUs, 0.5), Max(openingCostUs), openingCostUs.size());
    const bool met = Percentile(delays, 0.99) <= 10.0 && Percentile(quiet.delays, 0.99) <= 10.0 &&
                     Percentile(playing.delays, 0.99) <= 10.0 && allSpread <= 1.0 && dropouts == 0 && cutStarts == 0 &&
                     underflows == 0;
    std::printf("targets (delivered p99 <= 10 ms and spread <= 1 ms from silence and while playing as in a burst,"
                " no dropouts): %s;"
                " LoadMovie <= 200 us: %s\n",
                met ? "met" : "MISSED", callCostMax <= 200.0 ? "met" : "missed");
    return met;
}

}  // namespace

int main()
{
    const platform::SoundFlash::Options options = bench::PlayerOptions();
    const char* silencesText = std::getenv("CLICKSOUND_SILENCES");
    const int silences = silencesText ? std::max(1, std::atoi(silencesText)) : 10;
    platform::SoundFlash flash(options);
    if (!flash.WaitUntilReady(5s) || flash.DriverName().empty()) {
        std::printf("clicksound: no sound server reachable; start one with "
                    "eval \"$(tools/pulse-null-sink.sh)\" or eval \"$(tools/pipewire-null-sink.sh)\"\n");
        return 1;
    }
    if (std::getenv("CLICKSOUND_RECORDER") && std::string(std::getenv("CLICKSOUND_RECORDER")) == "loose")
        return FirstClicksOnALooseSink(flash, silences);
    bool met = MeasureClicks(flash, options, silences, "idle");
    if (std::getenv("CLICKSOUND_IDLE_ONLY")) return met ? 0 : 1;
    bench::Stress stress;
    if (!stress.Running()) {
        std::printf("clicksound: stress-ng did not start; install it (tools/install-deps.sh)\n");
        return 1;
    }
    met = MeasureClicks(flash, options, silences, "beside stress-ng") && met;
    return met ? 0 : 1;
}
