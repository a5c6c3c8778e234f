// File > Print: the song on the sheet goes into the preview window of its page count, as a
// snapshot. The preview shares the very pictures of the sheet (so it knows its symbols as the sheet
// does) and copies the texts as they stand; the page is printed only from the window's button.

#include "printing/preview_windows.h"
#include "sheet/strumwellfrm.h"

#include <string>

namespace strumwell {

namespace {

constexpr int kCells = 32;

// Row `row` of the preview gets the pictures of one page's cells, chord names and rhythm marks.
void CopyRow(const RowBinding& from, PrintPreviewWindow& preview, int row)
{
    for (int k = 1; k <= kCells; ++k) {
        const int i = kCells * (row - 1) + k;
        preview.imgTab[i].SetPicture((*from.cells)[k].GetPicture());
        preview.imgChordName[i].SetPicture((*from.chordNames)[k].GetPicture());
        preview.imgChordRhythm[i].SetPicture((*from.rhythm)[k].GetPicture());
    }
}

// Two or three pages: the page on show goes into its store, then every row comes from the stores.
// A store may have been filled while playback marked cells red (a tab clicked during playback), so
// the marks come off every store before it is copied: no preview shows red.
void FillFromStores(Strumwellfrm& w, PrintPreviewWindow& preview, int pages)
{
    preview.lblNewTitle.SetCaption(w.sheet.txtTitle.Text());
    preview.txtNewAuthor.SetText(w.sheet.txtAuthor.Text());
    w.ClearPlaybackMarks(w.VisibleRows());
    for (int page = pages; page >= 1; --page) {
        if (w.tabs.lblCurrentPage.Caption() == std::to_string(page)) {
            w.StoreVisiblePage(page);
            break;
        }
    }
    for (int page = 1; page <= pages; ++page) {
        w.ClearPlaybackMarks(w.StoreRows(page));
        CopyRow(w.StoreRows(page), preview, page);
        preview.LyricsLabel(page).SetCaption(
            w.stores.txtLyricsPage.at(static_cast<std::size_t>(page)).Text());
    }
    preview.Show();
}

}  // namespace

PrintPreviews& Strumwellfrm::Previews()
{
    if (!previews_) {
        PreviewArtwork artwork{symbols.pctBlank.GetPicture(), sheet.imgRest[0].GetPicture(),
                               sheet.imgBarline[0].GetPicture(),
                               symbols.pctBarlineRepeat.GetPicture(),
                               symbols.pctBarlineContinue.GetPicture()};
        previews_.reset(new PrintPreviews(std::move(artwork), services));
    }
    return *previews_;
}

void Strumwellfrm::ReleasePreviews::operator()(PrintPreviews* previews) const { delete previews; }

void Strumwellfrm::Print_Click()
{
    if (tabs.lblTotalPages.Caption() == "1") {
        frmPrintPreview& preview = Previews().OnePage();
        preview.lblNewTitle.SetCaption(sheet.txtTitle.Text());
        preview.txtNewAuthor.SetText(sheet.txtAuthor.Text());
        preview.lblLyrics.SetCaption(sheet.txtLyrics.Text());
        ClearPlaybackMarks(VisibleRows());
        CopyRow(VisibleRows(), preview, 1);
        preview.Show();
    }
    if (tabs.lblTotalPages.Caption() == "2") FillFromStores(*this, Previews().TwoPages(), 2);
    if (tabs.lblTotalPages.Caption() == "3") FillFromStores(*this, Previews().ThreePages(), 3);
}

}  // namespace strumwell
