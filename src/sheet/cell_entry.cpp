// Cell entry: a click on a cell of the visible page places the current pick there, brings the
// rhythm marks of the cell and its beat partner in line, and derives the chord-name row anew.
// Entry is silent. The partner is judged by its rhythm mark alone, never by its token, so an
// on-beat cell that shows a chord without a mark counts as a rest.

#include "sheet/strumwellfrm.h"

#include "sheet/state_colours.h"
#include "sheet/tokens.h"

namespace strumwell {

namespace c = colours;

namespace {
bool IsOnBeat(int k) { return k % 2 == 1; }
}  // namespace

bool Strumwellfrm::CellHasMark(int k, const PictureBox& mark) const
{
    return SameSymbol(sheet.imgNoteRhythm[k].GetPicture(), mark.GetPicture());
}

void Strumwellfrm::SetCellMark(int k, const PictureBox& mark) { ShowSymbol(sheet.imgNoteRhythm[k], mark); }

void Strumwellfrm::MakeQuaverRest(int k)
{
    ShowSymbol(sheet.imgRest[k], symbols.pctQuaverRest);
    sheet.imgRest[k].SetToolTipText(std::string(kQuaverRestToken));
}

void Strumwellfrm::imgRest_Click(int Index)
{
    const int I = Index;
    if (I < 1 || I > 32) return;
    const bool crotchetEntry = noteLength.lblCrotchet.BackColor() == c::kActive;
    // Crotchet entry clears the partner after the cell; on an off-beat cell that would be the next
    // beat's cell (or none after cell 32). Those cells are disabled in crotchet entry, so only a
    // call from code could ask for it, and it is refused.
    if (crotchetEntry && !IsOnBeat(I)) return;

    PictureBox& cell = sheet.imgRest[I];
    cell.SetPicture(palette.imgClickedChord.GetPicture());
    cell.SetToolTipText(palette.imgClickedChord.ToolTipText());

    UpdateRhythmAroundCell(I);

    const bool soloMode = palette.lblSolos.BackColor() == c::kChoice;
    DeriveChordNameRow(VisibleRows(), [this, I, soloMode] {
        // A cell entered in solo mode never shows a chord name of its own.
        if (soloMode) ShowSymbol(sheet.imgChordName[I], symbols.pctEmpty);
    });
}

void Strumwellfrm::UpdateRhythmAroundCell(int I)
{
    const SymbolLibrary& s = symbols;
    const bool quaverRestPick = PickIs(s.pctQuaverRest);

    if (noteLength.lblCrotchet.BackColor() == c::kActive) {
        SetCellMark(I, s.pctCrotchetBlue);
        SetCellMark(I + 1, s.pctEmpty);
        ShowSymbol(sheet.imgRest[I + 1], s.pctBlank);
        sheet.imgRest[I + 1].SetToolTipText(std::string(kBlankToken));
        sheet.imgNoteRhythm[I].SetToolTipText("1 count");
    }

    const bool quaverEntry = noteLength.lblQuaver.BackColor() == c::kActive;
    if (quaverEntry) {
        sheet.imgNoteRhythm[I].SetToolTipText("1/2 count");
        SetCellMark(I, s.pctQuaverTailBlue);
        if (!IsOnBeat(I)) {
            const int P = I - 1;
            if (CellHasMark(P, s.pctEmpty)) MakeQuaverRest(P);
            if (CellHasMark(P, s.pctCrotchetBlue) || CellHasMark(P, s.pctQuaverTailBlue) ||
                CellHasMark(P, s.pctQuaver1Blue)) {
                SetCellMark(P, s.pctQuaver1Blue);
                SetCellMark(I, s.pctQuaver2Blue);
            }
            if (quaverRestPick) {
                SetCellMark(I, s.pctEmpty);
                sheet.imgRest[I].SetToolTipText(std::string(kQuaverRestToken));
                if (CellHasMark(P, s.pctQuaver1Blue)) SetCellMark(P, s.pctQuaverTailBlue);
            }
        }
    }

    if (IsOnBeat(I)) {
        const int Q = I + 1;
        if (CellHasMark(Q, s.pctQuaverTailBlue) || CellHasMark(Q, s.pctQuaver2Blue)) {
            SetCellMark(Q, s.pctQuaver2Blue);
            SetCellMark(I, s.pctQuaver1Blue);
        }
        if (quaverEntry && CellHasMark(Q, s.pctEmpty)) MakeQuaverRest(Q);
        if (quaverRestPick && CellHasMark(Q, s.pctQuaver2Blue)) SetCellMark(Q, s.pctQuaverTailBlue);
    }

    // A rest keeps no mark of its own, in either mode.
    if (quaverRestPick) SetCellMark(I, s.pctEmpty);
    if (PickIs(s.pictureCrotchetRest)) SetCellMark(I, s.pctEmpty);
}

}  // namespace strumwell
