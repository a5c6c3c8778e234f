// PLAY, PAUSE and STOP. None of them plays a cell itself: PLAY sets the position and runs the first
// step through Check1, and the step clock runs the others; PAUSE and STOP set flags that make every
// later step return at once, so the clock runs out at its deadline by itself.

#include <array>

#include "sheet/state_colours.h"
#include "sheet/strumwellfrm.h"
#include "sheet/tokens.h"

namespace strumwell {

namespace {

constexpr const char* kPausedPosition = "20";  // where PAUSE parks the position text

void FlipStepTrigger(CheckBox& trigger) { trigger.SetValue(trigger.Value() == 0 ? 1 : 0); }

}  // namespace

void Strumwellfrm::cmdPlay_Click()
{
    transport.chkPause.SetEnabled(true);
    transport.cmdStop.SetEnabled(true);
    if (transport.chkPause.Value() == 0) {  // a fresh start at cell 1 of the page on show
        playState.lblConstant.SetCaption("1");
        PlayPosition = 1;
        for (int k = 1; k <= 32; ++k) {
            ClearRhythmMark(k);  // red rest signs stay until the next wrap or STOP
            sheet.imgRest[k].SetEnabled(false);
        }
        noteLength.Picture1.SetVisible(false);
        palette.Picture2.SetVisible(false);  // uncovers " playing..."
        palette.lblRest.SetVisible(false);
    }
    playState.chkStop.SetValue(0);
    playState.lblPauseOn.SetCaption("0");
    transport.cmdPlay.SetBackColor(colours::kPlaying);
    forms::DoEvents();
    FlipStepTrigger(playState.Check1);  // the step resumes a pause and arms the clock
    forms::DoEvents();
}

void Strumwellfrm::chkPause_Click()
{
    if (transport.chkPause.Value() == 1) {
        playState.lblPauseBar.SetCaption(playState.lblConstant.Caption());
        playState.lblPauseOn.SetCaption("1");
        playState.lblConstant.SetCaption(kPausedPosition);
        PlayPosition = 0;
        transport.cmdPlay.SetCaption("PLAY PAUSED");
        transport.chkPause.SetBackColor(colours::kSelected);
    } else {
        playState.lblPauseOn.SetCaption("0");
        playState.lblConstant.SetCaption(playState.lblPauseBar.Caption());
        transport.cmdPlay.SetCaption("PLAY");
        transport.chkPause.SetBackColor(colours::kIdle);
    }
}

namespace {

void PickCrotchetRest(Strumwellfrm& w)
{
    w.noteLength.lblCrotchet.SetBackColor(colours::kActive);
    w.noteLength.lblQuaver.SetBackColor(colours::kIdle);
    w.palette.lblRest.SetBackColor(colours::kSelected);
    w.palette.imgClickedChord.SetToolTipText(std::string(kCrotchetRestToken));
    Strumwellfrm::ShowSymbol(w.palette.imgClickedChord, w.symbols.pictureCrotchetRest);
}

void RestPaletteColours(PaletteWidgets& p)
{
    for (Label* major : {&p.lblA, &p.lblE, &p.lblD, &p.lblC, &p.lblG, &p.lblF})
        major->SetBackColor(colours::kMajorChord);
    for (Label* minor : {&p.lblAm, &p.lblEm, &p.lblDm, &p.lblBm}) minor->SetBackColor(colours::kMinorChord);
    p.lblRest.SetBackColor(colours::kRestLabel);
    p.lbl7th.SetBackColor(colours::kSeventhOff);  // the 7th toggle off
}

}  // namespace

// STOP leaves the clock, the tempo, the page on show and the palette mode alone.
void Strumwellfrm::cmdStop_Click()
{
    transport.chkPause.SetEnabled(false);
    playState.chkStop.SetValue(1);
    transport.cmdPlay.SetBackColor(colours::kIdle);
    PickCrotchetRest(*this);
    forms::DoEvents();
    RestPaletteColours(palette);
    for (Label* label : {&palette.lblA, &palette.lblAm, &palette.lblE, &palette.lblEm, &palette.lblD,
                         &palette.lblDm, &palette.lblC, &palette.lblG, &palette.lblF, &palette.lblBm,
                         &palette.lblRest, &palette.lbl7th})
        label->SetEnabled(true);
    playState.lblPauseBar.SetCaption("1");
    transport.cmdPlay.SetCaption("PLAY");
    transport.chkPause.SetValue(0);  // ends a pause: the position text becomes "1"
    ClearPlaybackHighlight();
    noteLength.Picture1.SetVisible(true);
    palette.Picture2.SetVisible(true);
    palette.lblRest.SetVisible(true);
    for (int beat = 1; beat <= 16; ++beat) {  // crotchet entry: on-beat cells only
        sheet.imgRest[2 * beat].SetEnabled(false);
        sheet.imgRest[2 * beat - 1].SetEnabled(true);
    }
    PickCrotchetRest(*this);  // leaves REST red after the palette colours went back
    ShowSymbol(noteLength.pictureNoteLengthSelect, symbols.pctCrotchetRed);
    transport.cmdStop.SetEnabled(false);
}

void Strumwellfrm::RestartPlayback()
{
    if (transport.chkPause.Value() == 0) {
        playState.lblConstant.SetCaption("1");
        PlayPosition = 1;
    }
    playState.chkStop.SetValue(0);
    playState.lblPauseOn.SetCaption("0");
    playState.Check1.SetValue(0);
    forms::DoEvents();
    playState.Check1.SetValue(1);
    forms::DoEvents();
}

}  // namespace strumwell
