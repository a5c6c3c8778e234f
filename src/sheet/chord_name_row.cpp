// The chord-name row of a page: a chord's name stands above the cell where the chord begins and
// not again while the page stays on it. Blanks and rests carry the chord before them on; anything
// else (a note, a legacy token, any other text) counts as itself and breaks the run.

#include "sheet/strumwellfrm.h"

#include "sheet/tokens.h"

#include <array>

namespace strumwell {

RowBinding Strumwellfrm::VisibleRows()
{
    return {&sheet.imgRest, &sheet.imgNoteRhythm, &sheet.imgChordName, &sheet.lblChordNameCheck};
}

RowBinding Strumwellfrm::StoreRows(int page)
{
    const auto p = static_cast<std::size_t>(page);
    ControlArray<Label>* effective = page == 2   ? &stores.lblChordNameCheckpage2
                                     : page == 3 ? &stores.lblChordNameCheckpage3
                                                 : nullptr;
    return {&stores.imgPage[p], &stores.imgRhythmPage[p], &stores.imgChordPage[p], effective};
}

namespace {
bool CarriesChordOn(const std::string& token)
{
    return token == kQuaverRestToken || token == kBlankToken || token == kCrotchetRestToken;
}
}  // namespace

// Three passes, each over the whole page before the next. The pictures are only written, never
// read; the effective chords are kept in the page's labels where it has them (the store of page 1
// has none, so they are derived here and not kept).
void Strumwellfrm::DeriveChordNameRow(const RowBinding& rows, const std::function<void()>& betweenPasses)
{
    auto& cells = *rows.cells;
    auto& names = *rows.chordNames;

    // Pass 1: chord-name pictures from the tokens; a token without a chord-name entry (a note,
    // "Tab", any other text) leaves its picture as it is.
    for (int k = 1; k <= 32; ++k)
        if (const Picture* symbol = ChordNameSymbol(cells[k].ToolTipText())) names[k].SetPicture(*symbol);

    if (betweenPasses) betweenPasses();

    // Pass 2: effective chords. Cell 1 always counts as its own token.
    std::array<std::string, 33> effective;
    for (int k = 1; k <= 32; ++k) {
        const std::string& token = cells[k].ToolTipText();
        effective[static_cast<std::size_t>(k)] =
            k > 1 && CarriesChordOn(token) ? effective[static_cast<std::size_t>(k - 1)] : token;
        if (rows.effectiveChords) (*rows.effectiveChords)[k].SetCaption(effective[static_cast<std::size_t>(k)]);
    }

    // Pass 3: no name where the effective chord goes on unchanged.
    for (int k = 1; k <= 31; ++k)
        if (effective[static_cast<std::size_t>(k)] == effective[static_cast<std::size_t>(k + 1)])
            names[k + 1].SetPicture(symbols.pctEmpty.GetPicture());
}

}  // namespace strumwell
