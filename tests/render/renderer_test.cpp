// Rendering a loaded song of the three-page layout into the sheet: reset, page tabs and barline,
// the pages drawn, the fields left alone.

#include "render/render_fixture.h"

#include "sheet/state_colours.h"

namespace strumwell::testing {
namespace {

namespace c = colours;

class Renderer : public RenderTest {
protected:
    // A page-tab state no render produces, so that "left unchanged" shows.
    void MarkTabState()
    {
        w().tabs.Picture3.SetVisible(true);
        w().tabs.lblPage1.SetVisible(false);
        w().tabs.lblPage2.SetVisible(false);
        w().tabs.lblPage3.SetVisible(true);
        Strumwellfrm::ShowSymbol(w().sheet.imgBarline[3], w().symbols.pctBarlineContinue);
        w().tabs.lblCurrentPage.SetCaption("2");
        w().tabs.lblPage1.SetBackColor(c::kPlain);
        w().tabs.lblPage1.SetEnabled(true);
        w().tabs.lblPage2.SetBackColor(c::kActive);
        w().tabs.lblPage2.SetEnabled(false);
    }

    // Every widget a render writes, as text, to compare whole sheets.
    std::string Snapshot()
    {
        std::string out;
        const auto picture = [&](const PictureBox& p) { out += std::to_string(p.GetPicture().Handle()) + ','; };
        for (const RowBinding& rows : {w().VisibleRows(), w().StoreRows(1), w().StoreRows(2), w().StoreRows(3)}) {
            for (int k = 1; k <= 32; ++k) {
                picture((*rows.cells)[k]);
                out += (*rows.cells)[k].ToolTipText() + ',';
                picture((*rows.rhythm)[k]);
                picture((*rows.chordNames)[k]);
                if (rows.effectiveChords) out += (*rows.effectiveChords)[k].Caption() + ',';
            }
            out += '|';
        }
        for (const Label* tab : {&w().tabs.lblPage1, &w().tabs.lblPage2, &w().tabs.lblPage3})
            out += std::to_string(tab->BackColor()) + (tab->Enabled() ? "e" : "d") + (tab->Visible() ? "v" : "h");
        picture(w().sheet.imgBarline[3]);
        out += w().tabs.lblCurrentPage.Caption() + (w().tabs.Picture3.Visible() ? "v" : "h");
        return out;
    }
};

TEST_F(Renderer, PageCountDecidesTabsBarlineAndPageThree)
{
    struct Case {
        std::string count;
        // -1: left as it was
        int box, tab1, tab2, tab3;
        const char* barline;  // "repeat", "continue" or "kept"
        bool pageThree;
    };
    const std::vector<Case> cases{
        {"1", 0, -1, -1, -1, "repeat", false},
        {"2", 1, 1, 1, 0, "continue", false},
        {"3", 1, 1, 1, 1, "continue", true},
        {"", -1, -1, -1, -1, "kept", false},
        {" 2", -1, -1, -1, -1, "kept", false},
        {"3 ", -1, -1, -1, -1, "kept", false},
        {"4", -1, -1, -1, -1, "kept", false},
        {"0", -1, -1, -1, -1, "kept", false},
        {"three", -1, -1, -1, -1, "kept", false},
    };
    const auto& s = w().symbols;
    for (const Case& cs : cases) {
        SCOPED_TRACE('"' + cs.count + '"');
        MarkTabState();
        Render({{"A"}, {"C"}, {"G"}}, cs.count);
        const auto& t = w().tabs;
        const auto expectShown = [](const forms::Control& ctl, int expected, bool before, const char* what) {
            EXPECT_EQ(ctl.Visible(), expected < 0 ? before : expected == 1) << what;
        };
        expectShown(t.Picture3, cs.box, true, "Picture3");
        expectShown(t.lblPage1, cs.tab1, false, "lblPage1");
        expectShown(t.lblPage2, cs.tab2, false, "lblPage2");
        expectShown(t.lblPage3, cs.tab3, true, "lblPage3");
        const std::string barline = cs.barline;
        EXPECT_TRUE(Shows(w().sheet.imgBarline[3],
                          barline == "repeat" ? s.pctBarlineRepeat : s.pctBarlineContinue));
        // Page 1 is on show whatever the caption.
        EXPECT_EQ(t.lblCurrentPage.Caption(), "1");
        EXPECT_EQ(t.lblPage1.BackColor(), c::kActive);
        EXPECT_FALSE(t.lblPage1.Enabled());
        EXPECT_EQ(t.lblPage2.BackColor(), c::kPlain);
        EXPECT_TRUE(t.lblPage2.Enabled());
        EXPECT_EQ(t.lblPage3.BackColor(), c::kPlain);
        EXPECT_TRUE(t.lblPage3.Enabled());
        EXPECT_EQ(t.lblTotalPages.Caption(), cs.count);
        // Page 1 visible, page 2 always in its store, page 3 only for "3".
        EXPECT_EQ(w().sheet.imgRest[1].ToolTipText(), "A");
        EXPECT_EQ(w().stores.imgPage[2][1].ToolTipText(), "C");
        EXPECT_EQ(w().stores.imgPage[3][1].ToolTipText(), cs.pageThree ? "G" : "Rest 1");
        EXPECT_EQ(IsEmptyPage(w().StoreRows(3)), !cs.pageThree);
        EXPECT_TRUE(IsEmptyPage(w().StoreRows(1)));
        EXPECT_EQ(w().songFiles.chkOpen.Value(), 0);
    }
}

TEST_F(Renderer, RemovesPlaybackMarksAndKeepsTheEntryMode)
{
    auto& sheet = w().sheet;
    const auto& s = w().symbols;
    Strumwellfrm::ShowSymbol(sheet.imgRest[1], s.pctCrotchetRestRed);
    Strumwellfrm::ShowSymbol(sheet.imgRest[4], s.pctQuaverRestRed);
    Strumwellfrm::ShowSymbol(sheet.imgNoteRhythm[3], s.pctCrotchetRed);
    Strumwellfrm::ShowSymbol(sheet.imgNoteRhythm[5], s.pctQuaver1Red);
    Strumwellfrm::ShowSymbol(sheet.imgNoteRhythm[6], s.pctQuaver2red);
    Strumwellfrm::ShowSymbol(sheet.imgNoteRhythm[8], s.pctQuaverTailRed);
    sheet.imgRest[6].SetEnabled(true);  // one off-beat cell as a quaver entry left it
    std::vector<bool> enabled;
    for (int k = 1; k <= 32; ++k) enabled.push_back(sheet.imgRest[k].Enabled());

    Render({EmptyTokens()}, "1");

    for (const PictureBox* red : {&s.pctCrotchetRestRed, &s.pctQuaverRestRed, &s.pctCrotchetRed,
                                  &s.pctQuaver1Red, &s.pctQuaver2red, &s.pctQuaverTailRed})
        for (int k = 1; k <= 32; ++k) {
            EXPECT_FALSE(Shows(sheet.imgRest[k], *red)) << k;
            EXPECT_FALSE(Shows(sheet.imgNoteRhythm[k], *red)) << k;
        }
    EXPECT_TRUE(IsEmptyPage(w().VisibleRows()));
    for (int k = 1; k <= 32; ++k) EXPECT_EQ(sheet.imgRest[k].Enabled(), enabled[static_cast<std::size_t>(k - 1)]) << k;
    EXPECT_FALSE(sheet.imgRest[2].Enabled());
}

TEST_F(Renderer, RenderingTwiceEqualsOnce)
{
    const std::vector<Page> song{{"C", "G", "Rest 1/2", "E 2nd String", "Am", ""},
                                 {"Rest 1/2", "Rest 1/2", "F", "Rest 1"},
                                 {"Top E 6th String", "tab", "D7", "D7"}};
    Render(song, "3");
    const std::string once = Snapshot();
    Render(song, "3");
    EXPECT_EQ(Snapshot(), once);
    EXPECT_EQ(w().songFiles.chkOpen.Value(), 0);
}

TEST_F(Renderer, EarlierSongLeavesNothingButUnfilledBufferElements)
{
    Render({Page(32, "C"), Page(32, "G"), Page(32, "D")}, "3");
    // A one-page song read next fills page 1 only: store 2 draws the old page 2 again, store 3 is
    // emptied.
    Render({EmptyTokens()}, "1");
    EXPECT_TRUE(IsEmptyPage(w().VisibleRows()));
    EXPECT_EQ(w().stores.imgPage[2][2].ToolTipText(), "G");
    EXPECT_TRUE(IsEmptyPage(w().StoreRows(3)));
}

TEST_F(Renderer, UnfilledBufferAfterStartUpGivesTextTokens)
{
    Render({EmptyTokens()}, "1");  // elements 33 to 96 hold the design text
    for (int k = 1; k <= 32; ++k) {
        const PictureBox& cell = w().stores.imgPage[2][k];
        EXPECT_TRUE(Shows(cell, k % 2 == 1 ? w().symbols.pictureCrotchetRest : w().symbols.pctBlank));
        EXPECT_EQ(cell.ToolTipText(), "Text1");
    }
}

TEST_F(Renderer, LeavesTheSongsTextsTempoAndBufferAlone)
{
    w().sheet.txtTitle.SetText("Title");
    w().sheet.txtAuthor.SetText("Author");
    w().sheet.txtLyrics.SetText("la la");
    for (int p = 1; p <= 3; ++p) w().stores.txtLyricsPage[static_cast<std::size_t>(p)].SetText("page " + std::to_string(p));
    w().NoteLength = 900;
    const int speedHeight = w().tempo.lblSpeed.Height();
    const std::string pick = w().palette.imgClickedChord.ToolTipText();
    Render({{"C"}, {"G"}, {"D"}}, "3");
    EXPECT_EQ(w().sheet.txtTitle.Text(), "Title");
    EXPECT_EQ(w().sheet.txtAuthor.Text(), "Author");
    EXPECT_EQ(w().sheet.txtLyrics.Text(), "la la");
    for (int p = 1; p <= 3; ++p)
        EXPECT_EQ(w().stores.txtLyricsPage[static_cast<std::size_t>(p)].Text(), "page " + std::to_string(p));
    EXPECT_EQ(w().NoteLength, 900);
    EXPECT_EQ(w().tempo.lblSpeed.Height(), speedHeight);
    EXPECT_EQ(w().palette.imgClickedChord.ToolTipText(), pick);
    EXPECT_EQ(w().songFiles.Text1[1].Text(), "C");
    EXPECT_EQ(w().songFiles.Text1[0].Text(), "Text1");
    EXPECT_EQ(w().sheet.imgRest[0].ToolTipText(), "Tab");
}

}  // namespace
}  // namespace strumwell::testing
