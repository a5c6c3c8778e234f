// The chord palette: ten chord labels, the 7th toggle and REST. The selection lives only in the
// labels' colours (the selected one red, the others their resting colours) and the toggle's state
// in its own colour; every chord choice is heard at once.

#include "sheet/strumwellfrm.h"

#include "platform/flash/flash_control.h"
#include "sheet/clip_names.h"
#include "sheet/state_colours.h"
#include "sheet/tokens.h"

namespace strumwell {

namespace c = colours;

struct Strumwellfrm::ChordLabel {
    Label PaletteWidgets::*label;
    std::string_view caption;
    forms::Colour resting;
    std::string_view plain;    // token, picture pct<token>chord, clip <token>.swf
    std::string_view seventh;
};

namespace {

using CL = Strumwellfrm::ChordLabel;
using PW = PaletteWidgets;

// In the order the 7th toggle tests them.
enum ChordRow { kA, kE, kD, kG, kC, kF, kAm, kEm, kDm, kBm };
constexpr std::array<CL, 10> kChordLabels{{
    {&PW::lblA, " A", c::kMajorChord, "A", "A7"},
    {&PW::lblE, " E", c::kMajorChord, "E", "E7"},
    {&PW::lblD, " D", c::kMajorChord, "D", "D7"},
    {&PW::lblG, " G", c::kMajorChord, "G", "G7"},
    {&PW::lblC, " C", c::kMajorChord, "C", "C7"},
    {&PW::lblF, " F", c::kMajorChord, "F", "F7"},
    {&PW::lblAm, "Am", c::kMinorChord, "Am", "Am7"},
    {&PW::lblEm, "Em", c::kMinorChord, "Em", "Em7"},
    {&PW::lblDm, "Dm", c::kMinorChord, "Dm", "Dm7"},
    {&PW::lblBm, "Bm", c::kMinorChord, "Bm", "Bm7"},
}};

// The order in which a selection writes the eleven colours; kRestRow stands for lblRest.
constexpr int kRestRow = -1;
constexpr std::array<int, 11> kColourOrder{kA, kAm, kE, kEm, kD, kDm, kC, kG, kRestRow, kBm, kF};

bool SeventhOn(const PaletteWidgets& p) { return p.lbl7th.BackColor() == c::kSelected; }

}  // namespace

void Strumwellfrm::LoadClip(std::string_view clipName)
{
    swfFlashScreen.LoadMovie(0, clips::ClipPath(clipName));
}

bool Strumwellfrm::PickIs(const PictureBox& reference) const
{
    return SameSymbol(palette.imgClickedChord.GetPicture(), reference.GetPicture());
}

void Strumwellfrm::SelectPaletteLabel(const Label* selected)
{
    for (const int row : kColourOrder) {
        Label& label = row == kRestRow ? palette.lblRest
                                       : palette.*kChordLabels[static_cast<std::size_t>(row)].label;
        const forms::Colour resting =
            row == kRestRow ? c::kRestLabel : kChordLabels[static_cast<std::size_t>(row)].resting;
        label.SetBackColor(&label == selected ? c::kSelected : resting);
    }
}

void Strumwellfrm::PickChord(const ChordLabel& chord, bool seventh)
{
    const std::string token(seventh ? chord.seventh : chord.plain);
    palette.imgClickedChord.SetToolTipText(token);
    ShowSymbol(palette.imgClickedChord, ChordPicture(token));
}

// Two separate tests, so the mode that is yellow decides; the token goes in before the picture.
void Strumwellfrm::PickRestOfNoteLength()
{
    if (noteLength.lblCrotchet.BackColor() == c::kActive) {
        palette.imgClickedChord.SetToolTipText(std::string(kCrotchetRestToken));
        ShowSymbol(palette.imgClickedChord, symbols.pictureCrotchetRest);
    }
    if (noteLength.lblQuaver.BackColor() == c::kActive) {
        palette.imgClickedChord.SetToolTipText(std::string(kQuaverRestToken));
        ShowSymbol(palette.imgClickedChord, symbols.pctQuaverRest);
    }
}

// Select, pick by the toggle, then sound: the rest clip first cuts off what was playing.
void Strumwellfrm::ChordLabel_Click(const ChordLabel& chord)
{
    SelectPaletteLabel(&(palette.*chord.label));
    const bool seventh = SeventhOn(palette);
    PickChord(chord, seventh);
    LoadClip(clips::kRestClip);
    LoadClip(clips::ChordClip(seventh ? chord.seventh : chord.plain));
}

void Strumwellfrm::lblA_Click() { ChordLabel_Click(kChordLabels[kA]); }
void Strumwellfrm::lblAm_Click() { ChordLabel_Click(kChordLabels[kAm]); }
void Strumwellfrm::lblBm_Click() { ChordLabel_Click(kChordLabels[kBm]); }
void Strumwellfrm::lblC_Click() { ChordLabel_Click(kChordLabels[kC]); }
void Strumwellfrm::lblD_Click() { ChordLabel_Click(kChordLabels[kD]); }
void Strumwellfrm::lblDm_Click() { ChordLabel_Click(kChordLabels[kDm]); }
void Strumwellfrm::lblE_Click() { ChordLabel_Click(kChordLabels[kE]); }
void Strumwellfrm::lblEm_Click() { ChordLabel_Click(kChordLabels[kEm]); }
void Strumwellfrm::lblF_Click() { ChordLabel_Click(kChordLabels[kF]); }
void Strumwellfrm::lblG_Click() { ChordLabel_Click(kChordLabels[kG]); }

// Flips the toggle and re-picks whatever label is selected; a chord's new clip follows at once,
// without the rest clip in front of it.
void Strumwellfrm::lbl7th_Click()
{
    Label& toggle = palette.lbl7th;
    if (toggle.BackColor() == c::kSelected)
        toggle.SetBackColor(c::kSeventhOff);
    else if (toggle.BackColor() == c::kSeventhOff)
        toggle.SetBackColor(c::kSelected);
    const bool seventh = SeventhOn(palette);
    for (const ChordLabel& chord : kChordLabels) {
        if ((palette.*chord.label).BackColor() != c::kSelected) continue;
        PickChord(chord, seventh);
        LoadClip(clips::ChordClip(seventh ? chord.seventh : chord.plain));
    }
    if (palette.lblRest.BackColor() == c::kSelected) {
        PickRestOfNoteLength();
        LoadClip(clips::kRestClip);
    }
}

// Silent: REST only selects and picks.
void Strumwellfrm::lblRest_Click()
{
    SelectPaletteLabel(&palette.lblRest);
    PickRestOfNoteLength();
}

}  // namespace strumwell
