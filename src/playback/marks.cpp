// Played-cell marks: while a song plays, each played cell of the visible page shows its rhythm mark
// in red, and a rest cell its rest sign in red. The marks live in the pictures alone (every test is
// by symbol identity, every change shares a reference picture); no token ever changes.

#include <array>
#include <string>

#include "sheet/strumwellfrm.h"
#include "sheet/tokens.h"

namespace strumwell {

namespace {

struct Twin {
    PictureBox SymbolLibrary::*normal;
    PictureBox SymbolLibrary::*red;
};

constexpr std::array<Twin, 4> kRhythmTwins{{
    {&SymbolLibrary::pctCrotchetBlue, &SymbolLibrary::pctCrotchetRed},
    {&SymbolLibrary::pctQuaver1Blue, &SymbolLibrary::pctQuaver1Red},
    {&SymbolLibrary::pctQuaver2Blue, &SymbolLibrary::pctQuaver2red},
    {&SymbolLibrary::pctQuaverTailBlue, &SymbolLibrary::pctQuaverTailRed},
}};

constexpr std::array<Twin, 2> kRestTwins{{
    {&SymbolLibrary::pictureCrotchetRest, &SymbolLibrary::pctCrotchetRestRed},
    {&SymbolLibrary::pctQuaverRest, &SymbolLibrary::pctQuaverRestRed},
}};

// Where a box shows the red twin of a pair, it gets the normal picture back.
template <std::size_t N>
void RestoreNormal(PictureBox& box, const SymbolLibrary& symbols, const std::array<Twin, N>& twins)
{
    for (const Twin& twin : twins) {
        if (Strumwellfrm::SameSymbol(box.GetPicture(), (symbols.*twin.red).GetPicture())) {
            Strumwellfrm::ShowSymbol(box, symbols.*twin.normal);
            return;
        }
    }
}

}  // namespace

void Strumwellfrm::MarkCellPlayed(int k)
{
    PictureBox& rhythm = sheet.imgNoteRhythm[k];
    for (const Twin& twin : kRhythmTwins) {
        if (SameSymbol(rhythm.GetPicture(), (symbols.*twin.normal).GetPicture())) {
            ShowSymbol(rhythm, symbols.*twin.red);
            break;  // a red twin matches no later test
        }
    }
    // By the token, not the picture: the cell ends up showing the red sign of its token's rest.
    PictureBox& cell = sheet.imgRest[k];
    if (cell.ToolTipText() == kCrotchetRestToken)
        ShowSymbol(cell, symbols.pctCrotchetRestRed);
    else if (cell.ToolTipText() == kQuaverRestToken)
        ShowSymbol(cell, symbols.pctQuaverRestRed);
}

void Strumwellfrm::ClearRhythmMark(int k) { RestoreNormal(sheet.imgNoteRhythm[k], symbols, kRhythmTwins); }

// The rest rules test the picture, not the token.
void Strumwellfrm::ClearPlaybackMarks(const RowBinding& rows)
{
    for (int k = 1; k <= 32; ++k) {
        RestoreNormal((*rows.cells)[k], symbols, kRestTwins);
        RestoreNormal((*rows.rhythm)[k], symbols, kRhythmTwins);
    }
}

void Strumwellfrm::ClearPlaybackHighlight() { ClearPlaybackMarks(VisibleRows()); }

}  // namespace strumwell
