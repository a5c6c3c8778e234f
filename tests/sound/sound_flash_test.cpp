// The real player. Against a PulseAudio server (tools/pulse-null-sink.sh starts one with a null
// sink) its output is recorded from the sink's monitor with parec; without a server it must fall
// back to silence and keep working.
#include "audio_analysis.h"
#include "platform/flash/sound_flash.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;
using platform::SoundFlash;

constexpr int kRate = 48000;
constexpr float kAudible = 0.01f;
const std::string kFolder = "C:\\Program Files\\Fretlane\\Strumwell\\";

// Sets an environment variable for one test and puts back the old value.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name)) old_ = old;
        setenv(name, value, 1);
    }
    ~ScopedEnv()
    {
        if (old_) setenv(name_, old_->c_str(), 1);
        else unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

bool PulseServerReachable()
{
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), {QStringLiteral("info")});
    return pactl.waitForFinished(3000) && pactl.exitStatus() == QProcess::NormalExit && pactl.exitCode() == 0;
}

// Records the default sink's monitor (mono, 16-bit, kRate) into a file while a test plays.
class MonitorRecording {
public:
    bool Start()
    {
        if (!dir_.isValid()) return false;
        file_ = dir_.filePath(QStringLiteral("monitor.raw")).toStdString();
        parec_.setStandardOutputFile(QString::fromStdString(file_));
        parec_.start(QStringLiteral("parec"),
                     {QStringLiteral("--device=@DEFAULT_MONITOR@"), QStringLiteral("--raw"),
                      QStringLiteral("--format=s16le"), QStringLiteral("--rate=48000"), QStringLiteral("--channels=1"),
                      QStringLiteral("--latency-msec=10")});
        if (!parec_.waitForStarted(3000)) return false;
        // An idle null sink renders in 2-second blocks: wait for the first data before playing.
        for (int i = 0; i < 500; ++i) {
            std::error_code error;
            if (std::filesystem::file_size(file_, error) > 0 && !error) return true;
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }

    std::vector<float> Stop()
    {
        parec_.terminate();
        parec_.waitForFinished(3000);
        std::vector<float> samples;
        std::ifstream in(file_, std::ios::binary);
        for (char b[2]; in.read(b, 2);)
            samples.push_back(static_cast<std::int16_t>(static_cast<unsigned char>(b[0]) |
                                                        (static_cast<unsigned char>(b[1]) << 8)) / 32768.0f);
        return samples;
    }

    ~MonitorRecording()
    {
        if (parec_.state() != QProcess::NotRunning) {
            parec_.kill();
            parec_.waitForFinished(3000);
        }
    }

private:
    QTemporaryDir dir_;
    std::string file_;
    QProcess parec_;
};

std::size_t FirstAudible(const std::vector<float>& x, std::size_t from = 0)
{
    for (std::size_t i = from; i < x.size(); ++i)
        if (std::fabs(x[i]) > kAudible) return i;
    return x.size();
}

std::size_t LastAudible(const std::vector<float>& x)
{
    for (std::size_t i = x.size(); i > 0; --i)
        if (std::fabs(x[i - 1]) > kAudible) return i - 1;
    return 0;
}

std::size_t Ms(int ms) { return static_cast<std::size_t>(ms) * kRate / 1000; }

// The share of short windows of a stretch in which the pitch (searched between lowHz and highHz)
// reads `hz` within 1%. Short windows, so that the dropouts of a busy machine's sound server
// spoil a few windows, not the verdict.
double ShareAt(const std::vector<float>& heard, std::size_t from, std::size_t length, double hz, double lowHz,
               double highHz)
{
    int windows = 0, hits = 0;
    for (std::size_t at = from; at + Ms(30) <= from + length; at += Ms(15), ++windows)
        if (std::fabs(sound_test::PitchHz(sound_test::Slice(heard, at, Ms(30)), kRate, lowHz, highHz) - hz) < hz * 0.01)
            ++hits;
    return windows ? static_cast<double>(hits) / windows : 0.0;
}

class SoundFlashOnServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!PulseServerReachable())
            GTEST_SKIP() << "no PulseAudio server reachable: start one with eval \"$(tools/pulse-null-sink.sh)\"";
    }

    static std::unique_ptr<SoundFlash> OpenPlayer(bool preload)
    {
        SoundFlash::Options options;
        if (preload) options.preloadFolder = kFolder;
        auto flash = std::make_unique<SoundFlash>(options);
        EXPECT_TRUE(flash->WaitUntilReady(5s));
        EXPECT_EQ(flash->DriverName(), "pulseaudio");
        return flash;
    }
};

// A note, replaced by another after 400 ms, cut off by the rest after 400 ms more.
TEST_F(SoundFlashOnServer, LoadReplacesTheClipAndRestCutsItOff)
{
    auto flash = OpenPlayer(true);
    MonitorRecording recording;
    ASSERT_TRUE(recording.Start()) << "parec cannot record the default sink's monitor";
    std::this_thread::sleep_for(200ms);
    flash->LoadMovie(0, kFolder + "3rdStringA.swf");  // A3, 220 Hz
    std::this_thread::sleep_for(400ms);
    flash->LoadMovie(0, kFolder + "rest.swf");
    flash->LoadMovie(0, kFolder + "2ndStringE.swf");  // E4, 329.6 Hz
    std::this_thread::sleep_for(400ms);
    flash->LoadMovie(0, kFolder + "rest.swf");
    std::this_thread::sleep_for(600ms);
    const auto heard = recording.Stop();

    const std::size_t onset = FirstAudible(heard);
    ASSERT_LT(onset, heard.size()) << "nothing was heard";
    constexpr double kA3 = 220.0, kE4 = 329.63;

    EXPECT_GT(ShareAt(heard, onset + Ms(20), Ms(360), kA3, 150, 500), 0.4);
    EXPECT_GT(ShareAt(heard, onset + Ms(420), Ms(360), kE4, 150, 500), 0.4);
    EXPECT_LT(ShareAt(heard, onset + Ms(420), Ms(360), kA3, 150, 500), 0.1)
        << "the first note sounds on after the second was loaded";
    const std::size_t end = LastAudible(heard);
    const double sounded = static_cast<double>(end - onset) / kRate;  // the clips last 2 s
    EXPECT_GT(sounded, 0.75);
    EXPECT_LT(sounded, 0.95) << "the rest did not cut the note off";
    EXPECT_GT(heard.size() - end, Ms(400));
    EXPECT_LT(sound_test::Rms(sound_test::Slice(heard, end + 1, heard.size())), 0.001);
}

// Without a preload the first load decodes in the background and still sounds, soon.
TEST_F(SoundFlashOnServer, ClipNotDecodedYetSoundsWhenReady)
{
    auto flash = OpenPlayer(false);
    MonitorRecording recording;
    ASSERT_TRUE(recording.Start()) << "parec cannot record the default sink's monitor";
    std::this_thread::sleep_for(200ms);
    flash->LoadMovie(0, kFolder + "5thStringA.swf");  // A2, 110 Hz
    std::this_thread::sleep_for(800ms);
    const auto heard = recording.Stop();

    const std::size_t onset = FirstAudible(heard);
    ASSERT_LT(onset, heard.size()) << "nothing was heard";
    EXPECT_GT(ShareAt(heard, onset + Ms(20), Ms(500), 110.0, 75, 500), 0.4);
}

// No sound server: the player plays nothing, and loads of good, missing and damaged clips,
// or of layers the program never uses, all return and change nothing.
TEST(SoundFlashWithoutServer, RunsOnSilently)
{
    ScopedEnv server("PULSE_SERVER", "unix:/nonexistent/strumwell/native");
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string damaged = dir.filePath(QStringLiteral("damaged.swf")).toStdString();
    std::ofstream(damaged) << "RIFF\x10\0\0\0WAVEfmt garbage";
    {
        SoundFlash::Options options;
        options.preloadFolder = kFolder;
        SoundFlash flash(options);
        ASSERT_TRUE(flash.WaitUntilReady(5s));
        EXPECT_EQ(flash.DriverName(), "");
        for (const std::string& path : {kFolder + "A.swf", kFolder + "Nothing.swf", damaged,
                                        std::string("C:\\Program Files\\Fretlane/WorksongMedium.swf"), std::string()})
            flash.LoadMovie(0, path);
        flash.LoadMovie(-1, kFolder + "A.swf");
        flash.LoadMovie(99, kFolder + "A.swf");
        std::this_thread::sleep_for(50ms);
    }
    SUCCEED() << "the player closed without hanging";
}

}  // namespace
