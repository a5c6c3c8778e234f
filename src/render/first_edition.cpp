// The first-edition renderer: a one-page song of sixteen beats with one token per beat, which
// knows only the 20 chords and the two rests and reads an empty token as a crotchet rest.

#include "sheet/strumwellfrm.h"
#include "sheet/tokens.h"

namespace strumwell {

namespace {

struct BeatCell {
    const PictureBox& picture;
    std::string token;
};

// The on-beat cell of a first-edition beat text. Anything but a chord or a quaver rest is drawn
// as a crotchet rest.
BeatCell FirstEditionBeat(const Strumwellfrm& w, const std::string& text)
{
    if (text == kQuaverRestToken) return {w.symbols.pctQuaverRest, text};
    if (ChordIndex(text) >= 0) return {w.ChordPicture(text), text};
    return {w.symbols.pictureCrotchetRest, std::string(kCrotchetRestToken)};
}

}  // namespace

// Runs on every change of CheckOpenVersion2, like chkOpen_Click: twice per load.
// A first-edition song has one page, so the stores are emptied too (lyrics kept) and the end
// barline becomes the repeat sign: nothing of an earlier song waits behind a raised page count.
void Strumwellfrm::CheckOpenVersion2_Click()
{
    tabs.Picture3.SetVisible(false);
    tabs.lblTotalPages.SetCaption("1");
    tabs.lblCurrentPage.SetCaption("1");
    ColourTabs(1);
    EnableTabsExcept(1);
    ShowEndBarline(true);

    FillEmptyPage(VisibleRows());
    for (int page = 1; page <= 3; ++page) ClearPageStore(page);
    for (int b = 1; b <= 16; ++b) {
        const BeatCell beat = FirstEditionBeat(*this, songFiles.Text1[2 * b - 1].Text());
        PictureBox& cell = sheet.imgRest[2 * b - 1];
        ShowSymbol(cell, beat.picture);
        cell.SetToolTipText(beat.token);
    }
    DeriveRhythmRow(VisibleRows());
    DeriveChordNameRow(VisibleRows());
    songFiles.CheckOpenVersion2.SetValue(0);
}

}  // namespace strumwell
