// Crotchet or quaver entry. The mode lives in which of the two labels is yellow; it decides which
// cells can be clicked (crotchet entry: only the on-beat cells) and which rest REST picks, and a
// switch turns a rest pick into the rest of the new mode.

#include "sheet/strumwellfrm.h"

#include "sheet/state_colours.h"
#include "sheet/tokens.h"

namespace strumwell {

namespace c = colours;

void Strumwellfrm::lblCrotchet_Click()
{
    noteLength.lblCrotchet.SetBackColor(c::kActive);
    noteLength.lblQuaver.SetBackColor(c::kIdle);
    ShowSymbol(noteLength.pictureNoteLengthSelect, symbols.pctCrotchetRed);
    if (PickIs(symbols.pctQuaverRest)) {
        ShowSymbol(palette.imgClickedChord, symbols.pictureCrotchetRest);
        palette.imgClickedChord.SetToolTipText(std::string(kCrotchetRestToken));
    }
    for (int v = 1; v <= 16; ++v) sheet.imgRest[2 * v].SetEnabled(false);
}

void Strumwellfrm::lblQuaver_Click()
{
    noteLength.lblQuaver.SetBackColor(c::kActive);
    noteLength.lblCrotchet.SetBackColor(c::kIdle);
    ShowSymbol(noteLength.pictureNoteLengthSelect, symbols.pctQuaverTailRed);
    if (PickIs(symbols.pictureCrotchetRest)) {
        ShowSymbol(palette.imgClickedChord, symbols.pctQuaverRest);
        palette.imgClickedChord.SetToolTipText(std::string(kQuaverRestToken));
    }
    for (int v = 1; v <= 32; ++v) sheet.imgRest[v].SetEnabled(true);
}

}  // namespace strumwell
