// The real player while the run's sound server goes away and comes back: restarted, killed,
// stalled, or not there at first. Once the server answers again the next click is heard whole at
// its pitch, and a click made while it was gone is never heard late; meanwhile every load
// returns at once. Judged by what the sink's monitor records, never by when.
#include "listening.h"
#include "platform/drive/drive_mapping.h"
#include "platform/flash/sound_flash.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;
using namespace sound_test;
using platform::SoundFlash;

const std::string kA3Clip = kFolder + "3rdStringA.swf", kE4Clip = kFolder + "2ndStringE.swf";
constexpr auto kComeBackWithin = 10s;  // generous: the fault is a player that never comes back

std::unique_ptr<SoundFlash> Player()
{
    SoundFlash::Options options;
    options.preloadFolder = kFolder;
    return std::make_unique<SoundFlash>(options);
}

// Waits until the player is connected, `connections` times in all; returns whether it is.
bool Connected(const SoundFlash& flash, int connections)
{
    const auto until = std::chrono::steady_clock::now() + kComeBackWithin;
    while (std::chrono::steady_clock::now() < until) {
        if (!flash.DriverName().empty() && flash.Connections() >= connections) return true;
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

// How well the clip's first 20 ms match the recording where it starts (1: exactly): a start that
// the player or the server cut off matches nothing there.
double StartMatch(const std::vector<float>& heard, const std::string& clip)
{
    const auto wav = ReadWav(platform::ResolveWindowsPath(clip));
    if (!wav) return 0.0;
    const std::vector<float> head = Slice(wav->samples, 0, Ms(20));
    const std::size_t onset = FirstAudible(heard);
    double best = 0.0;
    for (std::size_t at = onset > Ms(30) ? onset - Ms(30) : 0; at <= onset && at + head.size() <= heard.size(); ++at) {
        double dot = 0, energy = 0, headEnergy = 0;
        for (std::size_t j = 0; j < head.size(); ++j) {
            dot += static_cast<double>(heard[at + j]) * head[j];
            energy += static_cast<double>(heard[at + j]) * heard[at + j];
            headEnergy += static_cast<double>(head[j]) * head[j];
        }
        if (energy > 0) best = std::max(best, dot / std::sqrt(energy * headEnergy));
    }
    return best;
}

// A click of E4 while the monitor is recorded: heard, from its very start, at its pitch, and
// nothing of A3 (the click made while the server was gone) with it.
void ExpectClickHeardWhole(SoundFlash& flash)
{
    MonitorRecording recording;
    ASSERT_TRUE(recording.Start()) << "parec cannot record the default sink's monitor";
    std::this_thread::sleep_for(100ms);
    flash.LoadMovie(0, kE4Clip);
    std::this_thread::sleep_for(700ms);
    flash.LoadMovie(0, kFolder + "rest.swf");  // the clip lasts 2 s: cut it before the next click
    std::this_thread::sleep_for(100ms);
    const auto heard = recording.Stop();
    const std::size_t onset = FirstAudible(heard);
    ASSERT_LT(onset, heard.size()) << "the click after the server came back was not heard";
    const auto track = PitchTrack(heard, onset + Ms(20), std::min(LastAudible(heard), onset + Ms(620)), 150, 500);
    EXPECT_GT(ShareAt(track, kE4), 0.8);
    EXPECT_EQ(ShareAt(track, kA3), 0.0) << "the click made while the server was gone sounded late";
    EXPECT_GT(StartMatch(heard, kE4Clip), 0.95) << "the click's start was cut off";
}

// Loads made while the server is gone return at once. The bound is generous: the fault it catches
// is a load that waits for the server.
void ExpectLoadsReturnAtOnce(SoundFlash& flash)
{
    for (const std::string& clip : {kA3Clip, kFolder + "rest.swf", kA3Clip}) {
        const auto before = std::chrono::steady_clock::now();
        flash.LoadMovie(0, clip);
        EXPECT_LT(std::chrono::steady_clock::now() - before, 100ms) << "a load waited while the server was gone";
    }
}

class ServerComeback : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (server.Kind() != ServerKind::kNone) return;
        if (qEnvironmentVariable("STRUMWELL_SOUND_SERVER") == QStringLiteral("required"))
            FAIL() << "the sound server started for this run does not answer";
        GTEST_SKIP() << "no sound server reachable: start one with eval \"$(tools/pulse-null-sink.sh)\""
                        " or eval \"$(tools/pipewire-null-sink.sh)\"";
    }

    SoundServer server;
};

// While a clip sounds the server goes away in one of four ways and comes back; a click made
// meanwhile is loaded at once and never heard. A stall is also tried while another client records
// the sink and so holds it to a short latency, as on a desktop: the server then works off the
// time it stood still, and a click placed by a stale idea of when frames are heard loses its
// start.
TEST_F(ServerComeback, TheNextClickIsHeardWholeOnceTheServerAnswers)
{
    struct Case {
        const char* what;
        std::function<bool(const SoundServer&)> away;
        std::chrono::milliseconds gone;
        std::function<bool(const SoundServer&)> back;
        bool newConnection;
        bool recordedMeanwhile = false;
    } const cases[] = {
        {"restarted", [](const SoundServer& s) { return s.End(SIGTERM); }, 500ms,
         [](const SoundServer& s) { return s.Start(); }, true},
        {"killed", [](const SoundServer& s) { return s.End(SIGKILL); }, 500ms,
         [](const SoundServer& s) { return s.Start(); }, true},
        {"stalled for 1 s", [](const SoundServer& s) { return s.Signal(SIGSTOP); }, 1000ms,
         [](const SoundServer& s) { return s.Signal(SIGCONT); }, false},
        {"stalled for 4 s, longer than a connection is waited for", [](const SoundServer& s) { return s.Signal(SIGSTOP); },
         4000ms, [](const SoundServer& s) { return s.Signal(SIGCONT); }, false},
        {"stalled for 1 s while the sink is recorded", [](const SoundServer& s) { return s.Signal(SIGSTOP); }, 1000ms,
         [](const SoundServer& s) { return s.Signal(SIGCONT); }, false, true},
        {"stalled for 4 s while the sink is recorded", [](const SoundServer& s) { return s.Signal(SIGSTOP); }, 4000ms,
         [](const SoundServer& s) { return s.Signal(SIGCONT); }, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto flash = Player();
        ASSERT_TRUE(flash->WaitUntilReady(10s));
        ASSERT_TRUE(Connected(*flash, 1)) << "the player found no server at first";
        MonitorRecording meanwhile;
        if (c.recordedMeanwhile) {
            ASSERT_TRUE(meanwhile.Start()) << "parec cannot record the default sink's monitor";
        }
        flash->LoadMovie(0, kE4Clip);  // a stream is open and playing when the server goes
        std::this_thread::sleep_for(300ms);
        const ServerComesBack mended(server);
        ASSERT_TRUE(c.away(server)) << "the server could not be sent away";
        std::this_thread::sleep_for(c.gone / 2);
        ExpectLoadsReturnAtOnce(*flash);
        std::this_thread::sleep_for(c.gone / 2);
        ASSERT_TRUE(c.back(server)) << "the server did not come back";
        ASSERT_NE(AnsweringServer(), ServerKind::kNone) << "the server does not answer";
        ASSERT_TRUE(Connected(*flash, c.newConnection ? 2 : 1)) << "the player did not come back";
        ExpectClickHeardWhole(*flash);
        ExpectClickHeardWhole(*flash);  // and the one after: the player is not mute now
        if (c.recordedMeanwhile) meanwhile.Stop();
    }
}

// A player started before its server: silent at first, it finds the server once it is started.
TEST_F(ServerComeback, AServerStartedLaterIsFound)
{
    QTemporaryDir dir(QStringLiteral("/tmp/strumwell-later-XXXXXX"));
    ASSERT_TRUE(dir.isValid());
    const SoundServer later(server.Kind(), dir.path().toStdString());
    ScopedEnv pulse("PULSE_SERVER", later.PulseServer().c_str());
    ScopedEnv runtime("XDG_RUNTIME_DIR", later.Dir().c_str());
    ScopedEnv pipewire("PIPEWIRE_RUNTIME_DIR", later.Dir().c_str());
    auto flash = Player();
    ASSERT_TRUE(flash->WaitUntilReady(10s));
    EXPECT_EQ(flash->DriverName(), "");
    std::this_thread::sleep_for(500ms);
    ExpectLoadsReturnAtOnce(*flash);
    std::this_thread::sleep_for(500ms);
    ASSERT_TRUE(later.Start()) << "a server could not be started in " << later.Dir();
    struct Stop {
        const SoundServer& server;
        ~Stop() { server.Stop(); }
    } const stop{later};
    ASSERT_TRUE(Connected(*flash, 1)) << "the player did not find the server started after it";
    EXPECT_EQ(flash->DriverName(), DriverFor(server.Kind()));
    ExpectClickHeardWhole(*flash);
}

}  // namespace
