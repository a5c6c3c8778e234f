// Playback through the real event loop on the machine's clock: ticks, clicks and steps arrive as
// the window system delivers them. Only the order of events is checked here; the timing is
// measured by bench/stepclock.

#include "playback_fixture.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "playback/clip_table.h"

namespace strumwell::testing {
namespace {

class RealLoop : public PlaybackTest {
protected:
    RealLoop() { useTestClock = false; }

    std::string ClipOf(int k) { return Clip(clips::FindClipRow(Cell(k).ToolTipText())->clips.back()); }

    // Runs the event loop until `done` says so after a load, or until the time is up.
    void RunUntil(const std::function<bool(const std::string&)>& done, int limitMs)
    {
        QEventLoop loop;
        hooked.hook = [&](const std::string& path) {
            if (done(path)) loop.quit();
        };
        QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
        loop.exec();
        hooked.hook = nullptr;
    }

    std::vector<std::string> ClipsLoaded()
    {
        std::vector<std::string> out;
        for (const auto& path : Loads())
            if (path != Clip("rest.swf")) out.push_back(path);
        return out;
    }
};

TEST_F(RealLoop, AOnePageSongAtTempo200PlaysItsThirtyTwoCellsAndWraps)
{
    FillSounding(w().VisibleRows());
    w().NoteLength = 200;
    Play();
    int clipsSeen = 1;  // PLAY has played cell 1
    RunUntil([&](const std::string& path) { return path != Clip("rest.swf") && ++clipsSeen == 33; }, 10000);

    std::vector<std::string> expected;
    for (int k = 1; k <= 32; ++k) expected.push_back(ClipOf(k));
    expected.push_back(ClipOf(1));
    EXPECT_EQ(ClipsLoaded(), expected);
    EXPECT_TRUE(Shows(Rhythm(1), w().symbols.pctQuaver1Red));
    for (int k = 2; k <= 32; ++k)
        EXPECT_TRUE(Shows(Rhythm(k), k % 2 ? w().symbols.pctQuaver1Blue : w().symbols.pctQuaver2Blue)) << k;
    EXPECT_EQ(w().Timer1.Interval(), 100);
    Stop();
}

TEST_F(RealLoop, AStopClickDeliveredDuringAStepsPumpTakesEffectFromTheNextStep)
{
    FillSounding(w().VisibleRows());
    w().NoteLength = 200;
    Play();
    const std::string cell5 = ClipOf(5);
    RunUntil([&](const std::string& path) {
        if (path == cell5) PostClick(w().transport.cmdStop);  // handled in this step's pump
        return false;
    }, 1500);

    std::vector<std::string> expected;
    for (int k = 1; k <= 5; ++k) expected.push_back(ClipOf(k));
    EXPECT_EQ(ClipsLoaded(), expected);
    EXPECT_EQ(w().playState.chkStop.Value(), 1);
    // The ticks went on after STOP, each running a step that did nothing.
    EXPECT_NE(Position(), "1");
    EXPECT_TRUE(w().Timer1.Enabled());
    for (int k = 1; k <= 32; ++k)
        EXPECT_FALSE(Shows(Rhythm(k), w().symbols.pctQuaver1Red) || Shows(Rhythm(k), w().symbols.pctQuaver2red)) << k;
}

// A handler that pumps events for longer than several intervals is never entered again from its
// own pump; the tick due meanwhile runs once it returns.
TEST_F(RealLoop, ATimerNeverRunsItsHandlerNestedInsideItsOwnPump)
{
    forms::Timer timer;
    int depth = 0, maxDepth = 0, ticks = 0;
    QEventLoop loop;
    timer.OnTimer([&] {
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        if (++ticks == 1) {
            // Switched off and on again from inside its own handler, as the tick at the deadline
            // and the step it runs do.
            timer.SetEnabled(false);
            timer.SetEnabled(true);
            QElapsedTimer busy;
            busy.start();
            while (busy.elapsed() < 60) forms::DoEvents();
        }
        if (ticks == 4) loop.quit();
        --depth;
    });
    timer.SetInterval(10);
    timer.SetEnabled(true);
    QTimer::singleShot(3000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(maxDepth, 1);
    EXPECT_EQ(ticks, 4);
}

}  // namespace
}  // namespace strumwell::testing
