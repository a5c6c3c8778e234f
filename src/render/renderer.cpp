// The song renderer: a song of one to three pages, handed over as cell tokens in the load buffer
// Text1 and a page count in lblTotalPages, becomes the sheet.

#include "sheet/strumwellfrm.h"

namespace strumwell {

namespace {
const std::string kOnePage = "1", kTwoPages = "2", kThreePages = "3";
}  // namespace

// Runs on every change of chkOpen: the reader's 1 and, nested, its own 0 at the end. The nested
// run draws the same sheet again from the same inputs and then finds the box at 0 already.
void Strumwellfrm::chkOpen_Click()
{
    const auto drawPage = [this](int page) {
        const RowBinding rows = RenderedRows(page);
        DrawPageCells(page);
        DeriveRhythmRow(rows);
        DeriveChordNameRow(rows);
    };
    ResetSheet();
    ShowPageTabs();
    drawPage(1);
    drawPage(2);  // whatever the page count, so that raising the count later shows it
    if (tabs.lblTotalPages.Caption() == kThreePages) drawPage(3);
    songFiles.chkOpen.SetValue(0);
}

// Nothing of an earlier song survives: the visible page and all three stores are empty pages,
// which also takes playback's red marks off the visible page. Lyrics and the entry mode's
// enabled cells stay as they are.
void Strumwellfrm::ResetSheet()
{
    FillEmptyPage(VisibleRows());
    for (int page = 1; page <= 3; ++page) ClearPageStore(page);
}

// Only the exact captions "1", "2" and "3" change the tab box, the tabs' visibility and the end
// barline; page 1 becomes the page on show whatever the caption says.
void Strumwellfrm::ShowPageTabs()
{
    const std::string count = tabs.lblTotalPages.Caption();
    if (count == kOnePage) {
        tabs.Picture3.SetVisible(false);
        ShowEndBarline(true);
    } else if (count == kTwoPages || count == kThreePages) {
        tabs.Picture3.SetVisible(true);
        tabs.lblPage1.SetVisible(true);
        tabs.lblPage2.SetVisible(true);
        tabs.lblPage3.SetVisible(count == kThreePages);
        ShowEndBarline(false);
    }
    tabs.lblCurrentPage.SetCaption(kOnePage);
    ColourTabs(1);
    EnableTabsExcept(1);
}

}  // namespace strumwell
