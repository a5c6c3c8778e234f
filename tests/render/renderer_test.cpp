// Rendering a loaded song of the three-page layout into the sheet: reset, page tabs and barline,
// the pages drawn, the fields left alone.

#include "render/render_fixture.h"

#include "sheet/state_colours.h"

#include <algorithm>
#include <array>
#include <map>

namespace strumwell::testing {
namespace {

namespace c = colours;

// The parts of the tab state that a page count other than "1", "2" and "3" leaves as they are,
// in two combinations no render produces, each the opposite of the other.
struct TabMark {
    bool box, tab1, tab2, tab3;
    bool repeat;  // end barline: repeat sign, else continue sign
};
constexpr std::array<TabMark, 2> kTabMarks{{
    {true, false, true, true, true},
    {false, true, false, false, false},
}};

class Renderer : public RenderTest {
protected:
    // Marks every part of the tab state and store 3's effective chords, so that both "set" and
    // "left unchanged" show.
    void MarkTabState(const TabMark& mark)
    {
        auto& t = w().tabs;
        t.Picture3.SetVisible(mark.box);
        t.lblPage1.SetVisible(mark.tab1);
        t.lblPage2.SetVisible(mark.tab2);
        t.lblPage3.SetVisible(mark.tab3);
        Strumwellfrm::ShowSymbol(w().sheet.imgBarline[3],
                                 mark.repeat ? w().symbols.pctBarlineRepeat : w().symbols.pctBarlineContinue);
        t.lblCurrentPage.SetCaption("2");
        t.lblPage1.SetBackColor(c::kPlain);
        t.lblPage1.SetEnabled(true);
        t.lblPage2.SetBackColor(c::kActive);
        t.lblPage2.SetEnabled(false);
        t.lblPage3.SetBackColor(c::kActive);
        t.lblPage3.SetEnabled(false);
        for (int k = 1; k <= 32; ++k) w().stores.lblChordNameCheckpage3[k].SetCaption("marked");
    }

    // Page 2 of the page-count cases: a chord, a quaver rest, a beamed pair and a repeated chord.
    static Page PageTwo()
    {
        Page page = EmptyTokens();
        const Page head{"C", "", "Rest 1/2", "", "G", "Rest 1", "G", ""};
        std::copy(head.begin(), head.end(), page.begin());
        return page;
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
    const Page pageTwo = PageTwo();
    // Store 2's rows from pageTwo, for every page count.
    const std::map<int, const PictureBox*> pageTwoRhythm{
        {1, &s.pctCrotchetBlue}, {4, &s.pctQuaverTailBlue}, {5, &s.pctQuaver1Blue}, {6, &s.pctQuaver2Blue},
        {7, &s.pctCrotchetBlue}};
    const std::map<int, const PictureBox*> pageTwoNames{{1, &s.pctChordName[6]}, {5, &s.pctChordName[7]}};
    for (const TabMark& mark : kTabMarks)
        for (const Case& cs : cases) {
            SCOPED_TRACE('"' + cs.count + "\" mark " + std::to_string(&mark - kTabMarks.data()));
            MarkTabState(mark);
            Render({{"A"}, pageTwo, {"G"}}, cs.count);
            const auto& t = w().tabs;
            const auto expectShown = [](const forms::Control& ctl, int expected, bool before, const char* what) {
                EXPECT_EQ(ctl.Visible(), expected < 0 ? before : expected == 1) << what;
            };
            expectShown(t.Picture3, cs.box, mark.box, "Picture3");
            expectShown(t.lblPage1, cs.tab1, mark.tab1, "lblPage1");
            expectShown(t.lblPage2, cs.tab2, mark.tab2, "lblPage2");
            expectShown(t.lblPage3, cs.tab3, mark.tab3, "lblPage3");
            const std::string barline = cs.barline;
            const bool repeat = barline == "kept" ? mark.repeat : barline == "repeat";
            EXPECT_TRUE(Shows(w().sheet.imgBarline[3], repeat ? s.pctBarlineRepeat : s.pctBarlineContinue));
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
            for (int k = 1; k <= 32; ++k) {
                SCOPED_TRACE(k);
                EXPECT_EQ(w().stores.imgPage[2][k].ToolTipText(), pageTwo[static_cast<std::size_t>(k - 1)]);
                const auto rhythm = pageTwoRhythm.find(k);
                EXPECT_TRUE(Shows(w().stores.imgRhythmPage[2][k],
                                  rhythm == pageTwoRhythm.end() ? s.pctEmpty : *rhythm->second));
                const auto name = pageTwoNames.find(k);
                EXPECT_TRUE(Shows(w().stores.imgChordPage[2][k],
                                  name == pageTwoNames.end() ? s.pctEmpty : *name->second));
            }
            EXPECT_TRUE(Shows(w().stores.imgPage[2][1], s.pctChord[6]));
            EXPECT_EQ(w().stores.imgPage[3][1].ToolTipText(), cs.pageThree ? "G" : "Rest 1");
            EXPECT_EQ(IsEmptyPage(w().StoreRows(3)), !cs.pageThree);
            // Store 3's effective chords are only written when page 3 is drawn.
            if (cs.pageThree) {
                EXPECT_EQ(w().stores.lblChordNameCheckpage3[1].Caption(), "G");
            } else {
                for (int k = 1; k <= 32; ++k)
                    EXPECT_EQ(w().stores.lblChordNameCheckpage3[k].Caption(), "marked") << k;
            }
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

// A load runs the renderer twice, the second run nested inside the first one's reset of the
// box; it leaves the sheet as one run alone does, and so does a further run.
TEST_F(Renderer, RenderingTwiceEqualsOnce)
{
    const std::vector<Page> song{{"C", "G", "Rest 1/2", "E 2nd String", "Am", ""},
                                 {"Rest 1/2", "Rest 1/2", "F", "Rest 1"},
                                 {"Top E 6th String", "tab", "D7", "D7"}};
    HoldBackNestedRun(w().songFiles.chkOpen, &Strumwellfrm::chkOpen_Click);
    Render(song, "3");
    const std::string once = Snapshot();

    CountRuns(w().songFiles.chkOpen, &Strumwellfrm::chkOpen_Click);
    Render(song, "3");
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(w().songFiles.chkOpen.Value(), 0);
    EXPECT_EQ(Snapshot(), once);

    Render(song, "3");
    EXPECT_EQ(runs, 4);
    EXPECT_EQ(Snapshot(), once);

    // One run more, outside any load: it resets the box that is at 0 already, which runs nothing.
    w().chkOpen_Click();
    EXPECT_EQ(runs, 4);
    EXPECT_EQ(w().songFiles.chkOpen.Value(), 0);
    EXPECT_EQ(Snapshot(), once);
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
