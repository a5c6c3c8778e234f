// Cell pictures from a loaded page's tokens.

#include "sheet/strumwellfrm.h"

namespace strumwell {

RowBinding Strumwellfrm::RenderedRows(int page) { return page == 1 ? VisibleRows() : StoreRows(page); }

// Each cell takes the symbol of its token and keeps the token itself, exactly as loaded, so that
// Save writes back what was read. A token without a symbol (an old or damaged file) leaves the
// empty-page picture the reset put there.
void Strumwellfrm::DrawPageCells(int page)
{
    ControlArray<PictureBox>& cells = *RenderedRows(page).cells;
    const int first = 32 * (page - 1);
    for (int k = 1; k <= 32; ++k) {
        const std::string token = songFiles.Text1[first + k].Text();
        if (const Picture* symbol = CellSymbol(token)) cells[k].SetPicture(*symbol);
        cells[k].SetToolTipText(token);
    }
}

}  // namespace strumwell
