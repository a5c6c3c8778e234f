// The playback step: one run plays one cell of the visible page. Each change of the hidden check
// box Check1 runs one step, nested inside the code that changed it (PLAY, or a tick of the step
// clock). The step pumps events once, just before it re-arms the clock, and a click or a tick
// handled there runs nested inside it; nothing guards against that, by design.

#include <array>

#include "platform/clock/due_time.h"
#include "playback/captions.h"
#include "playback/step_clock.h"
#include "sheet/clip_names.h"
#include "sheet/state_colours.h"
#include "sheet/strumwellfrm.h"

namespace strumwell {

namespace {

constexpr int kWindDownSeconds = 5;

// The twelve palette labels, in the order a step disables them.
std::array<Label*, 12> PaletteLabels(PaletteWidgets& p)
{
    return {&p.lblA, &p.lblAm, &p.lblE, &p.lblEm, &p.lblD, &p.lblDm,
            &p.lblC, &p.lblG,  &p.lblF, &p.lblBm, &p.lblRest, &p.lbl7th};
}

bool Paused(const PlaybackStateWidgets& s) { return playback::CaptionNumber(s.lblPauseOn.Caption()) == 1; }

}  // namespace

void Strumwellfrm::Check1_Click()
{
    if (playState.chkStop.Value() == 1) return;
    if (Paused(playState)) return;
    const auto stepStarted = StepClock().Now();
    // The step's clips sound on its grid point: the tick's, or for the first step its own start,
    // where the clock's grid begins.
    const platform::DueScope due(platform::RunningDue().value_or(stepStarted));

    transport.chkPause.SetValue(0);  // when PLAY has just lifted a pause, this restores its position
    for (Label* label : PaletteLabels(palette)) label->SetEnabled(false);

    // The position is 1..33; anything else cannot be written by the program, and counts as the
    // end of the page so that no step touches a cell outside 1..32.
    const auto position = playback::CaptionNumber(playState.lblConstant.Caption());
    const bool wrap = !position || *position < 1 || *position >= playback::kPastLastCell;
    PlayPosition = static_cast<std::int16_t>(wrap ? playback::kPastLastCell : *position);
    if (wrap) {
        playState.lblConstant.SetCaption("1");
        PlayPosition = 1;
        ClearPlaybackHighlight();  // before the turn, so that no red mark goes into a store
        PageCycle();
        playState.lblResetPlay.SetCaption("");
    }

    MarkCellPlayed(PlayPosition);
    if (PlayPosition % 2 == 1)  // a beat starts: silence what sounded before
        LoadClip(clips::kRestClip);
    PlayCellClips();
    forms::DoEvents();
    playback::ArmStepTimer(*this, NoteLength / 2.0, kWindDownSeconds, stepStarted);
}

namespace {

// One page turn of the cycle: from the page on show to the next, with the tabs it leaves.
struct Turn {
    const char* pages;  // lblTotalPages
    int from, to;
    bool firstTest;  // the first test of its page count ignores lblResetPlay
    bool setsReset;
    // Tabs made white and enabled; the tab of `to` becomes yellow and disabled, the rest untouched.
    std::array<int, 2> plain;
};

// In the order they are tested; each test reads lblCurrentPage afresh, and "reset" in
// lblResetPlay keeps a page that has just been shown from turning again in the same wrap.
constexpr std::array<Turn, 5> kTurns{{
    {"2", 1, 2, true, true, {1, 0}},
    {"2", 2, 1, false, false, {2, 0}},
    {"3", 1, 2, true, true, {1, 0}},
    {"3", 2, 3, false, true, {2, 1}},
    {"3", 3, 1, false, false, {2, 3}},
}};

}  // namespace

// A turn shares the pictures between the page and the stores (no copies), and leaves the
// effective chords, the end barline and the stored tokens as they are.
void Strumwellfrm::PageCycle()
{
    for (const Turn& turn : kTurns) {
        if (tabs.lblTotalPages.Caption() != turn.pages) continue;
        if (tabs.lblCurrentPage.Caption() != std::to_string(turn.from)) continue;
        if (!turn.firstTest && !playState.lblResetPlay.Caption().empty()) continue;
        StoreVisiblePage(turn.from);
        ShowStoredPage(turn.to);
        PageTab(turn.to).SetBackColor(colours::kActive);
        PageTab(turn.to).SetEnabled(false);
        for (int page : turn.plain) {
            if (page == 0) continue;
            PageTab(page).SetBackColor(colours::kPlain);
            PageTab(page).SetEnabled(true);
        }
        tabs.lblCurrentPage.SetCaption(std::to_string(turn.to));
        if (turn.setsReset) playState.lblResetPlay.SetCaption("reset");
    }
}

}  // namespace strumwell
