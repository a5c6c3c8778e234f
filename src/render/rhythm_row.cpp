// The rhythm row of a loaded page, derived from the two tokens of each beat.
//
// Per beat (on-beat token down, off-beat token across; "x" is any other text):
//              ""              "Rest 1"        "Rest 1/2"      x
//   ""/x       crotchet/-      quaver1/2       tail/-          quaver1/2
//   "Rest 1"   -/-             -/quaver2       -/-             -/quaver2
//   "Rest 1/2" -/tail          -/tail          -/-             -/tail
// Two passes over the beats give exactly this; the second pass turns a first quaver left without
// its partner into a tailed quaver.

#include "sheet/strumwellfrm.h"
#include "sheet/tokens.h"

namespace strumwell {

void Strumwellfrm::DeriveRhythmRow(const RowBinding& rows)
{
    const auto token = [&](int k) -> const std::string& { return (*rows.cells)[k].ToolTipText(); };
    const auto mark = [&](int k) -> PictureBox& { return (*rows.rhythm)[k]; };
    const SymbolLibrary& s = symbols;

    // A filled off-beat cell beams the beat into two quavers; an off-beat quaver rest has no mark.
    for (int b = 1; b <= 16; ++b) {
        const int on = 2 * b - 1, off = 2 * b;
        if (token(off) != kBlankToken) {
            ShowSymbol(mark(off), s.pctQuaver2Blue);
            ShowSymbol(mark(on), s.pctQuaver1Blue);
        } else {
            ShowSymbol(mark(on), s.pctCrotchetBlue);
        }
        if (token(off) == kQuaverRestToken) ShowSymbol(mark(off), s.pctEmpty);
    }
    // On-beat rests have no mark; after an on-beat quaver rest the off-beat cell sounds alone.
    for (int b = 1; b <= 16; ++b) {
        const int on = 2 * b - 1, off = 2 * b;
        if (token(on) == kQuaverRestToken) {
            ShowSymbol(mark(on), s.pctEmpty);
            ShowSymbol(mark(off), token(off) != kQuaverRestToken ? s.pctQuaverTailBlue : s.pctEmpty);
        }
        if (token(on) == kCrotchetRestToken) ShowSymbol(mark(on), s.pctEmpty);
        if (SameSymbol(mark(off).GetPicture(), s.pctEmpty.GetPicture()) &&
            SameSymbol(mark(on).GetPicture(), s.pctQuaver1Blue.GetPicture()))
            ShowSymbol(mark(on), s.pctQuaverTailBlue);
    }
}

}  // namespace strumwell
