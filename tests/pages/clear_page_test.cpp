// Clear Page and the chord-name switch.

#include "pages_fixture.h"

namespace strumwell::testing {
namespace {

class ClearPage : public PagesTest {};

TEST_F(ClearPage, EmptiesThePageOnShowAndLeavesItsStoreUntilThePageIsLeft)
{
    w().menu.numberofpagestwo.Click();
    FillSamplePage(Visible(), w().sheet.txtLyrics, "one");
    Tab(2);
    FillSamplePage(Visible(), w().sheet.txtLyrics, "two");
    Put(Visible(), 31, "C");
    Tab(1);
    Tab(2);
    const PageSnapshot page1 = StoredPage(1);
    const PageSnapshot stored2 = StoredPage(2);

    w().menu.clearpage.Click();
    EXPECT_EQ(VisiblePage(), EmptyPage());
    EXPECT_EQ(StoredPage(2), stored2);  // the store gets the cleared page when the page is left

    Tab(1);
    EXPECT_EQ(VisiblePage(), page1);
    EXPECT_EQ(StoredPage(2), EmptyPage());
    Tab(2);
    EXPECT_EQ(VisiblePage(), EmptyPage());
}

TEST_F(ClearPage, TouchesNothingButTheVisiblePage)
{
    w().menu.numberofpagesthree.Click();
    Tab(2);
    w().sheet.txtTitle.SetText("Song");
    w().sheet.txtAuthor.SetText("Me");
    for (int k = 2; k <= 32; k += 2) w().sheet.imgRest[k].SetEnabled(true);  // quaver entry
    const std::string pick = w().palette.imgClickedChord.ToolTipText();

    w().menu.clearpage.Click();
    for (int k = 2; k <= 32; k += 2) {
        EXPECT_TRUE(w().sheet.imgRest[k].Enabled()) << k;
        EXPECT_EQ(w().sheet.imgRest[k].GetPicture(), w().symbols.pctBlank.GetPicture()) << k;
    }
    EXPECT_EQ(w().sheet.txtTitle.Text(), "Song");
    EXPECT_EQ(w().sheet.txtAuthor.Text(), "Me");
    EXPECT_EQ(w().palette.imgClickedChord.ToolTipText(), pick);
    EXPECT_EQ(w().tabs.lblCurrentPage.Caption(), "2");
    EXPECT_EQ(w().tabs.lblTotalPages.Caption(), "3");
    EXPECT_TRUE(ContinueSign());
    EXPECT_TRUE(flash->calls.empty());
}

TEST_F(ClearPage, ChordNameSwitchDrawsChordNamesFromTheTokensAndTakesThemAway)
{
    struct Cell {
        int k;
        std::string token;
        const PictureBox* before;  // chord-name picture before the switch is turned on
        const PictureBox* after;   // expected after
    };
    const SymbolLibrary& s = w().symbols;
    const Cell cells[] = {
        {1, "Am", nullptr, &s.pctChordName[1]},
        {3, "Bm7", &s.pctChordName[0], &s.pctChordName[19]},
        {4, "", &s.pctChordName[0], &s.pctEmpty},
        {5, "tab", &s.pctChordName[0], &s.pctEmpty},
        {7, "Rest 1", &s.pctChordName[2], &s.pctChordName[2]},          // left as it was
        {9, "E 1st String", &s.pctChordName[3], &s.pctChordName[3]},    // left as it was
        {11, "Tab", &s.pctChordName[4], &s.pctChordName[4]},            // left as it was
    };
    for (const Cell& cell : cells) {
        w().sheet.imgRest[cell.k].SetToolTipText(cell.token);
        if (cell.before) w().sheet.imgChordName[cell.k].SetPicture(cell.before->GetPicture());
    }

    ASSERT_EQ(w().chkAddChordName.Value(), 0);
    w().ToggleChordNames();
    EXPECT_EQ(w().chkAddChordName.Value(), 1);
    for (const Cell& cell : cells)
        EXPECT_EQ(w().sheet.imgChordName[cell.k].GetPicture(), cell.after->GetPicture())
            << cell.token;
    // No effective chord is derived and repeated names stay.
    EXPECT_EQ(w().sheet.lblChordNameCheck[1].Caption(), "");

    w().ToggleChordNames();
    EXPECT_EQ(w().chkAddChordName.Value(), 0);
    for (int k = 1; k <= 32; ++k)
        EXPECT_EQ(w().sheet.imgChordName[k].GetPicture(), s.pctEmpty.GetPicture()) << k;
}

}  // namespace
}  // namespace strumwell::testing
