// The page stores and the page tabs, through real clicks on the tabs.

#include "pages_fixture.h"

#include "sheet/state_colours.h"

#include <QTest>

namespace strumwell::testing {
namespace {

namespace c = colours;

class PageTabs : public PagesTest {};

TEST_F(PageTabs, LeavingPageOneStoresItAndTheTabBringsItBackWithItsVeryPictures)
{
    Count(3);
    FillSamplePage(Visible(), w().sheet.txtLyrics, "first page words");
    const PageSnapshot page1 = VisiblePage();

    Tab(2);
    EXPECT_EQ(StoredPage(1), page1);
    EXPECT_EQ(VisiblePage(), EmptyPage());
    EXPECT_EQ(w().tabs.lblCurrentPage.Caption(), "2");

    Tab(1);
    EXPECT_EQ(VisiblePage(), page1);
    // The shared reference pictures themselves, red marks included, so every rule still
    // recognises them.
    EXPECT_TRUE(Strumwellfrm::SameSymbol(w().sheet.imgRest[1].GetPicture(),
                                         w().ChordPicture("Am7").GetPicture()));
    EXPECT_TRUE(Strumwellfrm::SameSymbol(w().sheet.imgNoteRhythm[2].GetPicture(),
                                         w().symbols.pctQuaver2red.GetPicture()));
    EXPECT_TRUE(Strumwellfrm::SameSymbol(w().sheet.imgChordName[9].GetPicture(),
                                         w().symbols.pctChordName[7].GetPicture()));  // "G"
    EXPECT_EQ(w().tabs.lblCurrentPage.Caption(), "1");
}

TEST_F(PageTabs, TheTabOfThePageOnShowIgnoresClicks)
{
    Count(2);
    Tab(2);
    Put(Visible(), 5, "C");
    const PageSnapshot before = StoredPage(2);
    Tab(2);
    EXPECT_EQ(StoredPage(2), before);
    EXPECT_EQ(w().sheet.imgRest[5].ToolTipText(), "C");
}

TEST_F(PageTabs, LyricsTypedOnPageTwoTravelWithTheirPage)
{
    Count(3);
    Tab(2);
    QTest::keyClicks(Editor(w().sheet.txtLyrics), QStringLiteral("la la"));
    ASSERT_EQ(w().sheet.txtLyrics.Text(), "la la");

    Tab(1);
    EXPECT_EQ(StoreLyrics(2).Text(), "la la");
    EXPECT_EQ(w().sheet.txtLyrics.Text(), "");
    Tab(2);
    Tab(3);
    EXPECT_EQ(StoreLyrics(2).Text(), "la la");
    EXPECT_EQ(w().sheet.txtLyrics.Text(), "");
    Tab(2);
    EXPECT_EQ(w().sheet.txtLyrics.Text(), "la la");
}

TEST_F(PageTabs, TabThreeMarksStoredCrotchetRestsWithTheirTokenInTheStore)
{
    Count(3);
    // Page 1 is on show; pages 2 and 3 are in their stores. Crotchet-rest pictures whose token
    // was lost or changed, and a blank cell with a stray token.
    for (const RowBinding& rows : {Visible(), Store(2), Store(3)}) {
        (*rows.cells)[5].SetToolTipText("");
        (*rows.cells)[7].SetToolTipText("Am");
        (*rows.cells)[6].SetToolTipText("Rest 1/2");
    }
    Tab(3);
    EXPECT_EQ(w().sheet.imgRest[5].ToolTipText(), "Rest 1");
    EXPECT_EQ(w().sheet.imgRest[7].ToolTipText(), "Rest 1");
    EXPECT_EQ(w().sheet.imgRest[6].ToolTipText(), "Rest 1/2");  // other pictures keep their token
    EXPECT_EQ(w().stores.imgPage[3][5].ToolTipText(), "Rest 1");
    EXPECT_EQ(w().stores.imgPage[3][7].ToolTipText(), "Rest 1");

    Tab(2);
    EXPECT_EQ(w().sheet.imgRest[5].ToolTipText(), "");
    EXPECT_EQ(w().sheet.imgRest[7].ToolTipText(), "Am");
    Tab(1);
    EXPECT_EQ(w().sheet.imgRest[5].ToolTipText(), "");
    EXPECT_EQ(w().sheet.imgRest[7].ToolTipText(), "Am");
}

TEST_F(PageTabs, EndBarlineByTabAndPageCount)
{
    struct Case {
        int count;
        int tab;
        bool repeat;
    };
    for (const Case& tc : {Case{2, 2, true}, Case{2, 1, false}, Case{3, 2, false}, Case{3, 3, true},
                           Case{3, 1, false}}) {
        SCOPED_TRACE(::testing::Message() << tc.count << " pages, tab " << tc.tab);
        Start("");
        Count(tc.count);
        Tab(tc.tab == 1 ? 2 : 1);  // come from another page
        Tab(tc.tab);
        EXPECT_EQ(RepeatSign(), tc.repeat);
        EXPECT_EQ(ContinueSign(), !tc.repeat);
    }
}

TEST_F(PageTabs, TabClickMakesItsTabCurrentAndForgetsTheEffectiveChords)
{
    Count(3);
    for (int k = 1; k <= 32; ++k) w().sheet.lblChordNameCheck[k].SetCaption("Am");
    w().sheet.lblChordNameCheck[33].SetCaption("spare");
    Tab(3);
    for (int k = 1; k <= 32; ++k) EXPECT_EQ(w().sheet.lblChordNameCheck[k].Caption(), "") << k;
    EXPECT_EQ(w().sheet.lblChordNameCheck[33].Caption(), "spare");

    EXPECT_EQ(w().tabs.lblPage3.BackColor(), c::kActive);
    EXPECT_FALSE(w().tabs.lblPage3.Enabled());
    for (const int other : {1, 2}) {
        EXPECT_EQ(TabLabel(other).BackColor(), c::kPlain) << other;
        EXPECT_TRUE(TabLabel(other).Enabled()) << other;
    }
}

TEST_F(PageTabs, ShowingAPageLeavesTheCellsEntryStateAlone)
{
    Count(2);
    w().sheet.imgRest[4].SetEnabled(true);  // as quaver entry leaves it
    Tab(2);
    EXPECT_TRUE(w().sheet.imgRest[4].Enabled());
    EXPECT_FALSE(w().sheet.imgRest[6].Enabled());
    EXPECT_TRUE(w().sheet.imgRest[5].Enabled());
}

TEST_F(PageTabs, ClearPageStoreEmptiesTheStoreButKeepsItsLyrics)
{
    FillSamplePage(Store(2), StoreLyrics(2), "kept");
    const PageSnapshot page3 = StoredPage(3);
    w().ClearPageStore(2);
    EXPECT_EQ(StoredPage(2), EmptyPage("kept"));
    EXPECT_EQ(StoredPage(3), page3);
    EXPECT_EQ(VisiblePage(), EmptyPage());
}

TEST_F(PageTabs, StoreAndShowCopyEveryCellBothWays)
{
    FillSamplePage(Visible(), w().sheet.txtLyrics, "words");
    const PageSnapshot page = VisiblePage();
    w().StoreVisiblePage(3);
    EXPECT_EQ(StoredPage(3), page);
    EXPECT_EQ(StoredPage(2), EmptyPage());
    w().ClearPageStore(1);
    w().ShowStoredPage(2);
    EXPECT_EQ(VisiblePage(), EmptyPage());
    w().ShowStoredPage(3);
    EXPECT_EQ(VisiblePage(), page);
    EXPECT_EQ(w().tabs.lblCurrentPage.Caption(), "1");  // page state is the callers' business
}

}  // namespace
}  // namespace strumwell::testing
