// Solo mode: the string panel and the fret panel laid over the chord palette, and the six string
// labels. The mode lives in the colour of lblSolos, the selected string in which string label is
// orange; both survive a return to chord mode, but entering solo mode always picks a rest.

#include "sheet/strumwellfrm.h"

#include "sheet/clip_names.h"
#include "sheet/state_colours.h"
#include "sheet/tokens.h"

namespace strumwell {

namespace c = colours;

namespace {
// Panel widths: shown wide enough to cover the chord palette, hidden squeezed to a sliver.
constexpr int kStringPanelShown = 2000;
constexpr int kFretPanelShown = 5000;
constexpr int kPanelHidden = 100;
}  // namespace

void Strumwellfrm::PickNote(int string, int fret)
{
    const PictureBox& reference = NotePicture(string, fret);
    ShowSymbol(palette.imgClickedChord, reference);
    palette.imgClickedChord.SetToolTipText(reference.ToolTipText());
}

void Strumwellfrm::lblChords_Click()
{
    solo.pctSoloButtons1.SetVisible(false);
    solo.pctSoloButtons1.SetWidth(kPanelHidden);
    solo.pctSoloButtons2.SetVisible(false);
    solo.pctSoloButtons2.SetWidth(kPanelHidden);
    palette.lblSolos.SetBackColor(c::kIdle);
    palette.lblChords.SetBackColor(c::kChoice);
}

void Strumwellfrm::lblSolos_Click()
{
    solo.pctSoloButtons1.SetWidth(kStringPanelShown);
    solo.pctSoloButtons1.SetVisible(true);
    solo.pctSoloButtons2.SetVisible(true);
    solo.pctSoloButtons2.SetWidth(kFretPanelShown);
    palette.lblSolos.SetBackColor(c::kChoice);
    palette.lblChords.SetBackColor(c::kIdle);
    SelectPaletteLabel(&palette.lblRest);
    PickRestOfNoteLength();
    LoadClip(clips::kRestClip);
}

// Selects string n, names its frets, and sounds it: the selected fret moves to the new string
// (and becomes the pick); with no fret selected the pick stays and the open string sounds.
void Strumwellfrm::lblString_Click(int n)
{
    for (int m = 1; m <= kStrings; ++m)
        solo.lblString[static_cast<std::size_t>(m)].SetBackColor(m == n ? c::kChoice : c::kPlain);
    for (int f = 0; f < kFrets; ++f) solo.lblNoteName[f].SetCaption(FretCaption(n, f));
    int F = 0;
    for (int f = 0; f < kFrets; ++f) {
        if (solo.lblNoteName[f].BackColor() != c::kChoice) continue;
        PickNote(n, f);
        F = f;
    }
    LoadClip(clips::NoteClip(n, F));
}

}  // namespace strumwell
