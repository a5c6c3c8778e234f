// The chord palette: ten chord labels, the 7th toggle and REST. The selection lives only in the
// labels' colours (the selected one red, the others their resting colours) and the toggle's state
// in its own colour; every chord choice is heard at once.

#include "sheet/strumwellfrm.h"

#include "platform/flash/flash_control.h"
#include "sheet/chord_labels.h"
#include "sheet/clip_names.h"
#include "sheet/state_colours.h"
#include "sheet/tokens.h"

namespace strumwell {

namespace c = colours;

namespace {

// The order in which a selection writes the eleven colours; kRestRow stands for lblRest.
constexpr int kRestRow = -1;
constexpr std::array<int, 11> kColourOrder{kChordA, kChordAm, kChordE, kChordEm, kChordD, kChordDm,
                                           kChordC, kChordG,  kRestRow, kChordBm, kChordF};

bool SeventhOn(const PaletteWidgets& p) { return p.lbl7th.BackColor() == c::kSelected; }

}  // namespace

void Strumwellfrm::LoadClip(std::string_view clipName)
{
    swfFlashScreen.LoadMovie(0, clips::ClipPath(clipFolder_, clipName));
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

void Strumwellfrm::lblA_Click() { ChordLabel_Click(kChordLabels[kChordA]); }
void Strumwellfrm::lblAm_Click() { ChordLabel_Click(kChordLabels[kChordAm]); }
void Strumwellfrm::lblBm_Click() { ChordLabel_Click(kChordLabels[kChordBm]); }
void Strumwellfrm::lblC_Click() { ChordLabel_Click(kChordLabels[kChordC]); }
void Strumwellfrm::lblD_Click() { ChordLabel_Click(kChordLabels[kChordD]); }
void Strumwellfrm::lblDm_Click() { ChordLabel_Click(kChordLabels[kChordDm]); }
void Strumwellfrm::lblE_Click() { ChordLabel_Click(kChordLabels[kChordE]); }
void Strumwellfrm::lblEm_Click() { ChordLabel_Click(kChordLabels[kChordEm]); }
void Strumwellfrm::lblF_Click() { ChordLabel_Click(kChordLabels[kChordF]); }
void Strumwellfrm::lblG_Click() { ChordLabel_Click(kChordLabels[kChordG]); }

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
