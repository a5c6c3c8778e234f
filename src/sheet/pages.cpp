// The three page stores and the page tabs. The visible page is the only page that is edited; each
// page also has a hidden store, and whatever needs the whole song first stores the page on show
// into its own store. A store holds the very pictures of the page (shared handles), so a stored
// symbol is still recognised after it comes back.

#include "sheet/state_colours.h"
#include "sheet/strumwellfrm.h"
#include "sheet/tokens.h"

namespace strumwell {

namespace {

constexpr int kCells = 32;

// One page's rows and lyrics copied onto another's: cell picture then token, chord name, rhythm
// mark, cell by cell; then the lyrics.
void CopyPage(const RowBinding& from, const TextBox& fromLyrics, const RowBinding& to,
              TextBox& toLyrics)
{
    for (int k = 1; k <= kCells; ++k) {
        PictureBox& cell = (*to.cells)[k];
        cell.SetPicture((*from.cells)[k].GetPicture());
        cell.SetToolTipText((*from.cells)[k].ToolTipText());
        (*to.chordNames)[k].SetPicture((*from.chordNames)[k].GetPicture());
        (*to.rhythm)[k].SetPicture((*from.rhythm)[k].GetPicture());
    }
    toLyrics.SetText(fromLyrics.Text());
}

}  // namespace

void Strumwellfrm::StoreVisiblePage(int page)
{
    TextBox& lyrics = stores.txtLyricsPage.at(static_cast<std::size_t>(page));
    CopyPage(VisibleRows(), sheet.txtLyrics, StoreRows(page), lyrics);
}

void Strumwellfrm::ShowStoredPage(int page)
{
    const TextBox& lyrics = stores.txtLyricsPage.at(static_cast<std::size_t>(page));
    CopyPage(StoreRows(page), lyrics, VisibleRows(), sheet.txtLyrics);
}

void Strumwellfrm::ClearPageStore(int page) { FillEmptyPage(StoreRows(page)); }

void Strumwellfrm::FillEmptyPage(const RowBinding& rows)
{
    for (int k = 1; k <= kCells; ++k) {
        const bool onBeat = k % 2 == 1;
        PictureBox& cell = (*rows.cells)[k];
        ShowSymbol(cell, onBeat ? symbols.pictureCrotchetRest : symbols.pctBlank);
        cell.SetToolTipText(std::string(onBeat ? kCrotchetRestToken : kBlankToken));
        ShowSymbol((*rows.chordNames)[k], symbols.pctEmpty);
        ShowSymbol((*rows.rhythm)[k], symbols.pctEmpty);
    }
}

// The tab of `page` is written first, then the other two, going on from it.
void Strumwellfrm::ColourTabs(int page)
{
    for (int i = 0; i < 3; ++i) {
        const int tab = (page - 1 + i) % 3 + 1;
        PageTab(tab).SetBackColor(tab == page ? colours::kActive : colours::kPlain);
    }
}

void Strumwellfrm::EnableTabsExcept(int page)
{
    for (int i = 0; i < 3; ++i) {
        const int tab = (page - 1 + i) % 3 + 1;
        PageTab(tab).SetEnabled(tab != page);
    }
}

Label& Strumwellfrm::PageTab(int page)
{
    return page == 1 ? tabs.lblPage1 : page == 2 ? tabs.lblPage2 : tabs.lblPage3;
}

void Strumwellfrm::ShowEndBarline(bool lastPage)
{
    ShowSymbol(sheet.imgBarline[3],
               lastPage ? symbols.pctBarlineRepeat : symbols.pctBarlineContinue);
}

void Strumwellfrm::ForgetEffectiveChords()
{
    for (int k = 1; k <= kCells; ++k) sheet.lblChordNameCheck[k].SetCaption("");
}

namespace {

std::string PageCaption(int page) { return std::to_string(page); }

}  // namespace

// What a tab click does before its end barline, which each tab sets by its own rule: the page on
// show (never this tab's own page, whose tab is disabled) goes into its store, the stored page
// comes onto the sheet, and this tab becomes the current one. Tab 3 first marks every stored
// crotchet-rest picture of page 3 with the crotchet-rest token again, in the store itself.
void Strumwellfrm::SwitchToPageByTab(int page)
{
    EnableTabsExcept(page);
    for (int other = 1; other <= 3; ++other) {
        if (other != page && tabs.lblCurrentPage.Caption() == PageCaption(other)) {
            StoreVisiblePage(other);
            break;
        }
    }
    ForgetEffectiveChords();
    if (page == 3) {
        for (int k = 1; k <= kCells; ++k) {
            PictureBox& stored = stores.imgPage[3][k];
            if (SameSymbol(stored.GetPicture(), symbols.pictureCrotchetRest.GetPicture()))
                stored.SetToolTipText(std::string(kCrotchetRestToken));
        }
    }
    ShowStoredPage(page);
    ColourTabs(page);
    tabs.lblCurrentPage.SetCaption(PageCaption(page));
}

void Strumwellfrm::lblPage1_Click()
{
    SwitchToPageByTab(1);
    ShowEndBarline(false);  // page 1 is never the last page of a song that shows tabs
}

void Strumwellfrm::lblPage2_Click()
{
    SwitchToPageByTab(2);
    const std::string& count = tabs.lblTotalPages.Caption();
    if (count == "2") ShowEndBarline(true);
    else if (count == "3") ShowEndBarline(false);
}

void Strumwellfrm::lblPage3_Click()
{
    SwitchToPageByTab(3);
    ShowEndBarline(true);
}

}  // namespace strumwell
