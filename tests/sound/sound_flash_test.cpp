// The real player. Against a sound server with a null sink (tools/pulse-null-sink.sh or
// tools/pipewire-null-sink.sh start one) its output is recorded from the sink's monitor with
// parec; without a server it must fall back to silence and keep working.
#include "listening.h"
#include "platform/clock/due_time.h"
#include "platform/flash/sound_flash.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;
using namespace sound_test;
using platform::SoundFlash;

class SoundFlashOnServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (AnsweringServer() != ServerKind::kNone) return;
        if (qEnvironmentVariable("STRUMWELL_SOUND_SERVER") == QStringLiteral("required"))
            FAIL() << "the sound server started for this run does not answer";
        GTEST_SKIP() << "no sound server reachable: start one with eval \"$(tools/pulse-null-sink.sh)\""
                        " or eval \"$(tools/pipewire-null-sink.sh)\"";
    }

    static std::unique_ptr<SoundFlash> OpenPlayer(bool preload, std::chrono::milliseconds idleAfter = 2000ms,
                                                  std::chrono::microseconds playbackLatency = 25ms)
    {
        SoundFlash::Options options;
        if (preload) options.preloadFolder = kFolder;
        options.output.idleAfter = idleAfter;
        options.playbackLatency = playbackLatency;
        auto flash = std::make_unique<SoundFlash>(options);
        EXPECT_TRUE(flash->WaitUntilReady(5s));
        EXPECT_EQ(flash->DriverName(), DriverFor(AnsweringServer()));
        return flash;
    }
};

// What the default sink's monitor heard while `play` ran, recorded from `lead` before it, and where
// its first audible sample lies; nothing, with the test failed and told why, when the monitor
// cannot be recorded or nothing was heard.
struct Heard {
    std::vector<float> samples;
    std::size_t onset = 0;
};
template <typename Play>
std::optional<Heard> HeardWhile(Play play, std::chrono::milliseconds lead = 200ms)
{
    MonitorRecording recording;
    if (!recording.Start()) {
        ADD_FAILURE() << "parec cannot record the default sink's monitor";
        return std::nullopt;
    }
    std::this_thread::sleep_for(lead);
    play();
    Heard heard{recording.Stop()};
    heard.onset = FirstAudible(heard.samples);
    if (heard.onset >= heard.samples.size()) {
        ADD_FAILURE() << "nothing was heard";
        return std::nullopt;
    }
    return heard;
}

// A note, replaced by another, cut off by the rest. Judged by what is heard in order, not by when:
// a busy machine may run the test's own steps late.
TEST_F(SoundFlashOnServer, LoadReplacesTheClipAndRestCutsItOff)
{
    auto flash = OpenPlayer(true);
    const auto recorded = HeardWhile([&] {
        flash->LoadMovie(0, kFolder + "3rdStringA.swf");  // A3
        std::this_thread::sleep_for(400ms);
        flash->LoadMovie(0, kFolder + "rest.swf");
        flash->LoadMovie(0, kFolder + "2ndStringE.swf");  // E4
        std::this_thread::sleep_for(400ms);
        flash->LoadMovie(0, kFolder + "rest.swf");
        std::this_thread::sleep_for(800ms);
    });
    ASSERT_TRUE(recorded);
    const auto& [heard, onset] = *recorded;
    const std::size_t end = LastAudible(heard);
    const auto track = PitchTrack(heard, onset + Ms(20), end, 150, 500);
    // Where the second note takes over: the first window that reads E4.
    const auto second = std::find_if(track.begin(), track.end(), [](const auto& hz) { return Near(hz, kE4); });
    ASSERT_NE(second, track.end()) << "the second note was never heard";
    const std::vector<std::optional<double>> first(track.begin(), second);
    const std::vector<std::optional<double>> after(std::min(second + 2, track.end()), track.end());
    EXPECT_GT(first.size(), 5u) << "the first note was hardly heard";
    EXPECT_GT(ShareAt(first, kA3), 0.8);
    EXPECT_GT(ShareAt(after, kE4), 0.8);
    EXPECT_EQ(ShareAt(after, kA3), 0.0) << "the first note sounds on after the second was loaded";
    // The clips last 2 s: the second note ends long before its own end, and silence follows.
    EXPECT_LT(static_cast<double>(end - onset) / kRate, 1.6) << "the rest did not cut the note off";
    EXPECT_GT(heard.size() - end, Ms(400));
    EXPECT_LT(sound_test::Rms(sound_test::Slice(heard, end + 1, heard.size())), 0.001);
}

// Without a preload the first load decodes in the background and still sounds.
TEST_F(SoundFlashOnServer, ClipNotDecodedYetSoundsWhenReady)
{
    auto flash = OpenPlayer(false);
    const auto recorded = HeardWhile([&] {
        flash->LoadMovie(0, kFolder + "5thStringA.swf");  // A2
        std::this_thread::sleep_for(800ms);
    });
    ASSERT_TRUE(recorded);
    const auto& [heard, onset] = *recorded;
    EXPECT_GT(ShareAt(PitchTrack(heard, onset + Ms(20), onset + Ms(520), 75, 500), kA2), 0.8);
}

// A load made by a playback step, as the step clock's tick makes it: placed on its due moment.
void StepLoad(SoundFlash& flash, const std::string& clip)
{
    const platform::DueScope step(std::chrono::steady_clock::now());
    flash.LoadMovie(0, clip);
}

// The newest load wins, whether it starts sooner or later than the one it replaces: what it
// replaced is never heard. The player's delays are stretched (a step's clip a second after its
// load, a click's half a second in the last case) so that no busy moment of the test can let the
// first clip start before the second load is made. Both while the stream is still opening, and on
// a stream already playing whose queue at the server holds the first clip already, so that the
// second load must rewrite it.
TEST_F(SoundFlashOnServer, NewestLoadIsAllThatIsHeard)
{
    const std::string a3 = kFolder + "3rdStringA.swf", e4 = kFolder + "2ndStringE.swf";
    struct Case {
        const char* what;
        bool playingBefore;
        bool clickFirst;  // a click, then a step's load; else the other way round
        std::chrono::microseconds clickDelay;
        std::chrono::milliseconds between;  // from the first load to the second
    } const cases[] = {
        {"a click after a step's load, while the stream opens", false, false, 8500us, 3ms},
        {"a click after a step's load, its clip placed already", true, false, 8500us, 100ms},
        {"a step's load after a click, its clip placed already", true, true, 500ms, 100ms},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SoundFlash::Options options;
        options.preloadFolder = kFolder;
        options.playbackLatency = 1s;
        options.startDelay = c.clickDelay;
        SoundFlash flash(options);
        ASSERT_TRUE(flash.WaitUntilReady(5s));
        const auto recorded = HeardWhile([&] {
            if (c.playingBefore) {
                flash.LoadMovie(0, e4);  // the stream opens and settles
                std::this_thread::sleep_for(500ms);
            }
            // In a playing stream the first load is placed in the queue before the second is made.
            if (c.clickFirst) {
                flash.LoadMovie(0, a3);
                std::this_thread::sleep_for(c.between);
                StepLoad(flash, e4);
            } else {
                StepLoad(flash, a3);
                std::this_thread::sleep_for(c.between);
                flash.LoadMovie(0, e4);
            }
            std::this_thread::sleep_for(2500ms);
        });
        ASSERT_TRUE(recorded);
        const auto& [heard, onset] = *recorded;
        const auto track = PitchTrack(heard, onset + Ms(20), LastAudible(heard), 150, 500);
        EXPECT_GT(ShareAt(track, kE4), 0.8);
        EXPECT_EQ(ShareAt(track, kA3), 0.0) << "the replaced clip sounded";
    }
}

// A step's clip that is not decoded yet takes the place of the silence standing in for it: it
// starts no earlier than the step asked (the note before sounds on until then) and is not cut
// off when that moment comes, but sounds in full. The latency is stretched as above.
TEST_F(SoundFlashOnServer, StepsClipDecodedLateSoundsInItsPlaceAndInFull)
{
    auto flash = OpenPlayer(false, 2000ms, 1s);
    const auto recorded = HeardWhile([&] {
        flash->LoadMovie(0, kFolder + "5thStringA.swf");  // A2, decoded at this click
        std::this_thread::sleep_for(300ms);
        StepLoad(*flash, kFolder + "2ndStringE.swf");  // E4, not decoded yet, due a second from now
        std::this_thread::sleep_for(3500ms);
    });
    ASSERT_TRUE(recorded);
    const auto& [heard, onset] = *recorded;
    const auto track = PitchTrack(heard, onset + Ms(20), LastAudible(heard), 75, 500);
    const auto second = std::find_if(track.begin(), track.end(), [](const auto& hz) { return Near(hz, kE4); });
    ASSERT_NE(second, track.end()) << "the step's clip was never heard";
    const std::vector<std::optional<double>> first(track.begin(), second);
    const std::vector<std::optional<double>> after(std::min(second + 2, track.end()), track.end());
    // Windows step by 15 ms: the note before lasts its 300 ms and the second's wait (1.3 s in all).
    EXPECT_GT(first.size(), 60u) << "the step's clip started before its moment";
    EXPECT_GT(ShareAt(first, kA2), 0.8);
    EXPECT_GT(after.size(), 85u) << "the step's clip was cut short";  // it rings audibly for 1.5 s
    EXPECT_GT(ShareAt(after, kE4), 0.8);
}

// The player holds a stream only while something sounds: a rest opens none, a silence lets it
// go, and the next load still sounds.
TEST_F(SoundFlashOnServer, SilenceClosesTheStreamAndTheNextLoadSounds)
{
    auto flash = OpenPlayer(true, 200ms);
    flash->LoadMovie(0, kFolder + "rest.swf");
    EXPECT_FALSE(flash->StreamOpen()) << "a rest opened a stream";
    flash->LoadMovie(0, kFolder + "2ndStringE.swf");
    for (int i = 0; i < 500 && !flash->StreamOpen(); ++i) std::this_thread::sleep_for(1ms);
    EXPECT_TRUE(flash->StreamOpen()) << "a clip opened no stream";
    flash->LoadMovie(0, kFolder + "rest.swf");
    for (int i = 0; i < 500 && flash->StreamOpen(); ++i) std::this_thread::sleep_for(10ms);
    ASSERT_FALSE(flash->StreamOpen()) << "the stream stayed open through 5 s of silence";
    const auto recorded = HeardWhile(
        [&] {
            flash->LoadMovie(0, kFolder + "3rdStringA.swf");
            std::this_thread::sleep_for(600ms);
        },
        0ms);
    ASSERT_TRUE(recorded);
    const auto& [heard, onset] = *recorded;
    EXPECT_GT(ShareAt(PitchTrack(heard, onset + Ms(20), onset + Ms(420), 150, 500), kA3), 0.8);
}

// A rest, a missing clip and a clip that is not a regular file (a FIFO, which would block a
// reader forever) all silence a sounding note.
TEST_F(SoundFlashOnServer, WhatSilencesASoundingNote)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string fifo = dir.filePath(QStringLiteral("pipe.swf")).toStdString();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto flash = OpenPlayer(true);
    for (const std::string& silence : {kFolder + "rest.swf", kFolder + "NoSuchClip.swf", fifo}) {
        SCOPED_TRACE(silence);
        const auto recorded = HeardWhile(
            [&] {
                flash->LoadMovie(0, kFolder + "3rdStringA.swf");
                std::this_thread::sleep_for(300ms);
                flash->LoadMovie(0, silence);
                std::this_thread::sleep_for(900ms);
            },
            0ms);
        ASSERT_TRUE(recorded);
        const auto& [heard, onset] = *recorded;
        const std::size_t end = LastAudible(heard);
        EXPECT_GT(ShareAt(PitchTrack(heard, onset + Ms(20), end, 150, 500), kA3), 0.8);
        EXPECT_LT(static_cast<double>(end - onset) / kRate, 1.2) << "the note was not cut off (the clip lasts 2 s)";
        EXPECT_GT(heard.size() - end, Ms(300));
    }
}

// No sound server: the player plays nothing, and loads of good, missing and damaged clips,
// or of layers the program never uses, all return and change nothing.
TEST(SoundFlashWithoutServer, RunsOnSilently)
{
    ScopedEnv pulse("PULSE_SERVER", "unix:/nonexistent/strumwell/native");
    ScopedEnv pipewire("PIPEWIRE_RUNTIME_DIR", "/nonexistent/strumwell");
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string damaged = dir.filePath(QStringLiteral("damaged.swf")).toStdString();
    std::ofstream(damaged) << "RIFF\x10\0\0\0WAVEfmt garbage";
    const std::string fifo = dir.filePath(QStringLiteral("pipe.swf")).toStdString();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    {
        SoundFlash::Options options;
        options.preloadFolder = kFolder;
        SoundFlash flash(options);
        ASSERT_TRUE(flash.WaitUntilReady(5s));
        EXPECT_EQ(flash.DriverName(), "");
        for (const std::string& path : {kFolder + "A.swf", kFolder + "Nothing.swf", damaged, fifo,
                                        std::string("C:\\Program Files\\Fretlane/WorksongMedium.swf"), std::string()})
            flash.LoadMovie(0, path);
        flash.LoadMovie(-1, kFolder + "A.swf");
        flash.LoadMovie(99, kFolder + "A.swf");
        std::this_thread::sleep_for(50ms);
    }
    {
        // A folder to preload that holds the FIFO too.
        SoundFlash::Options options;
        options.preloadFolder = dir.path().toStdString();
        SoundFlash flash(options);
        EXPECT_TRUE(flash.WaitUntilReady(5s));
        flash.LoadMovie(0, fifo);
    }
    SUCCEED() << "the player closed without hanging";
}

// A server that accepts the connection and never answers: the player gives up on it after its
// connect timeout, and closing the player, also while it still waits, takes no longer. The bound
// is generous; the fault it catches is a wait of half a minute.
TEST(SoundFlashWithoutServer, ServerThatNeverAnswersHoldsNothingUp)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Both kinds of server socket: connections complete in the backlog; none is ever read.
    std::vector<int> listeners;
    for (const char* name : {"native", "pipewire-0"}) {
        const std::string path = dir.filePath(QString::fromLatin1(name)).toStdString();
        const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        ASSERT_GE(listener, 0);
        listeners.push_back(listener);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        ASSERT_LT(path.size(), sizeof(address.sun_path));
        std::strcpy(address.sun_path, path.c_str());
        ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
        ASSERT_EQ(::listen(listener, 16), 0);
    }
    ScopedEnv pulse("PULSE_SERVER", ("unix:" + dir.filePath(QStringLiteral("native")).toStdString()).c_str());
    ScopedEnv pipewire("PIPEWIRE_RUNTIME_DIR", dir.path().toStdString().c_str());
    constexpr auto kBound = 10s;
    {
        const auto start = std::chrono::steady_clock::now();
        auto flash = std::make_unique<SoundFlash>();
        EXPECT_TRUE(flash->WaitUntilReady(kBound)) << "still waiting for the server";
        EXPECT_EQ(flash->DriverName(), "");
        flash->LoadMovie(0, kFolder + "3rdStringA.swf");
        flash.reset();
        EXPECT_LT(std::chrono::steady_clock::now() - start, kBound);
    }
    {
        auto flash = std::make_unique<SoundFlash>();
        std::this_thread::sleep_for(50ms);  // the connection is made and waits for its answer
        const auto start = std::chrono::steady_clock::now();
        flash.reset();
        EXPECT_LT(std::chrono::steady_clock::now() - start, kBound) << "closing waited for the server";
    }
    for (const int listener : listeners) ::close(listener);
}

// When a clip starts: a click soon after the call; a playback step's clip on its grid point plus
// the constant latency, so that a tick that ran late still sounds on time; one later than the
// latency, at once.
TEST(SoundFlashStart, ClicksSoonStepsOnTheirGridPoint)
{
    SoundFlash::Options options;
    options.startDelay = 8ms;
    options.playbackLatency = 25ms;
    const SoundFlash::TimePoint now{std::chrono::seconds(100)};
    struct Case {
        const char* what;
        std::optional<std::chrono::milliseconds> dueBeforeNow;
        std::chrono::milliseconds startAfterNow;
    } const cases[] = {
        {"a click", std::nullopt, 8ms},
        {"a step on time", 0ms, 25ms},
        {"a step 10 ms late", 10ms, 15ms},
        {"a step 25 ms late: its grid point is now", 25ms, 0ms},
        {"a step 30 ms late starts at once", 30ms, 0ms},
        {"a step a second late starts at once", 1000ms, 0ms},
        {"a due moment ahead counts as now", -5ms, 25ms},
    };
    for (const Case& c : cases) {
        std::optional<SoundFlash::TimePoint> due;
        if (c.dueBeforeNow) due = now - *c.dueBeforeNow;
        EXPECT_EQ(SoundFlash::StartOf(now, due, options), now + c.startAfterNow) << c.what;
    }
}

}  // namespace
