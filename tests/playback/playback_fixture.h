#pragma once
// The real window on a test clock: time stands still until a test moves it, and every tick of the
// step timer then runs at its own moment, inside clock.Advance(). A Flash double records every
// load and can run a hook on each (to stand for work that takes time, or to deliver a click in
// the middle of a step).

#include "support/window_fixture.h"

#include <QCoreApplication>
#include <QMouseEvent>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "platform/clock/manual_clock.h"
#include "sheet/strumwellfrm.h"
#include "sheet/tokens.h"

namespace strumwell::testing {

using std::chrono::milliseconds;
using std::chrono::seconds;

class HookedFlash final : public platform::FlashControl {
public:
    void LoadMovie(int layer, const std::string& path) override
    {
        inner->LoadMovie(layer, path);
        if (hook) hook(path);
    }
    platform::FlashControl* inner = nullptr;
    std::function<void(const std::string&)> hook;
};

class PlaybackTest : public WindowTest {
protected:
    void ConfigureServices(platform::Services& s) override
    {
        hooked.inner = &*s.flash;
        s.flash = &hooked;
        if (useTestClock) s.clock = &clock;
    }
    void TearDown() override { window.reset(); }  // the window's timer holds an alarm of the clock

    // A cell of the visible page with the token's own symbol; `rhythm` its rhythm mark.
    void Put(int k, const std::string& token, const PictureBox* rhythm = nullptr)
    {
        PutIn(w().VisibleRows(), k, token, rhythm);
    }
    void PutIn(const RowBinding& rows, int k, const std::string& token, const PictureBox* rhythm = nullptr)
    {
        const Picture* symbol = w().CellSymbol(token);
        (*rows.cells)[k].SetPicture(symbol ? *symbol : w().symbols.pctBlank.GetPicture());
        (*rows.cells)[k].SetToolTipText(token);
        if (rhythm) (*rows.rhythm)[k].SetPicture(rhythm->GetPicture());
    }
    // Every cell of a page sounds: chords on the beat, notes off the beat, so that each step loads
    // at least one clip of its own.
    void FillSounding(const RowBinding& rows, int chordOffset = 0)
    {
        for (int k = 1; k <= 32; ++k) {
            if (k % 2 == 1)
                PutIn(rows, k, std::string(kChordTokens[static_cast<std::size_t>((k / 2 + chordOffset) % 20)]),
                      &w().symbols.pctQuaver1Blue);
            else
                PutIn(rows, k, NoteToken(1 + (k / 2) % 6, (k / 2) % 13), &w().symbols.pctQuaver2Blue);
        }
    }

    bool Shows(const PictureBox& box, const PictureBox& reference) const
    {
        return Strumwellfrm::SameSymbol(box.GetPicture(), reference.GetPicture());
    }
    const PictureBox& Rhythm(int k) { return w().sheet.imgNoteRhythm[k]; }
    const PictureBox& Cell(int k) { return w().sheet.imgRest[k]; }
    std::string Position() { return w().playState.lblConstant.Caption(); }

    // A click queued as the window system queues one, handled at the next event pump.
    static void PostClick(const forms::Control& control)
    {
        QWidget* target = control.Widget();
        const QPointF local = target->rect().center();
        const QPointF global = target->mapToGlobal(local);
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
            QCoreApplication::postEvent(target, new QMouseEvent(type, local, global, Qt::LeftButton,
                                                                type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                                                Qt::NoModifier));
    }

    void Play() { ClickAt(w().transport.cmdPlay); }
    void Pause() { ClickAt(w().transport.chkPause); }
    void Stop() { ClickAt(w().transport.cmdStop); }
    // Runs one step as the clock's tick does: flips the step trigger.
    void FlipTrigger() { w().playState.Check1.SetValue(w().playState.Check1.Value() == 0 ? 1 : 0); }
    void Advance(platform::Clock::Duration by) { clock.Advance(by); }
    // Moves the time on to the next tick and runs it.
    void NextTick() { ASSERT_TRUE(clock.RunNextAlarm()) << "the step timer is off"; }

    // The full path of a clip.
    static std::string Clip(const std::string& name) { return kClips + name; }
    std::vector<std::string> TakeLoads()
    {
        auto loads = Loads();
        flash->calls.clear();
        return loads;
    }

    bool useTestClock = true;
    platform::ManualClock clock;
    HookedFlash hooked;
};

}  // namespace strumwell::testing
