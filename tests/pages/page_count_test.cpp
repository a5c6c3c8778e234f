// The "Number of pages" menu: every count and page on show before, every item.

#include "pages_fixture.h"

#include "sheet/state_colours.h"

#include <QTest>

namespace strumwell::testing {
namespace {

namespace c = colours;

class PageCount : public PagesTest {
protected:
    // A three-page song whose pages carry their own lyrics, "words 1" to "words 3", then the count
    // and the page on show of a case, reached as a user would.
    void Reach(int count, int page)
    {
        Count(3);
        for (const int p : {1, 2, 3}) {
            if (p != 1) Tab(p);
            w().sheet.txtLyrics.SetText("words " + std::to_string(p));
        }
        Tab(1);
        Count(count);
        if (page != 1) Tab(page);
        ASSERT_EQ(w().tabs.lblTotalPages.Caption(), std::to_string(count));
        ASSERT_EQ(w().tabs.lblCurrentPage.Caption(), std::to_string(page));
    }
};

struct Transition {
    int count, page;            // before
    int item;                   // the menu item: 1, 2 or 3 pages
    int countAfter, pageAfter;  // after
    bool repeat;                // end barline: repeat sign, else continue sign
};

// Tabs shown afterwards follow the new count: none for one page, tabs 1 and 2 for two, all three
// for three.
const Transition kTransitions[] = {
    {1, 1, 1, 1, 1, true},  {1, 1, 2, 2, 1, false}, {1, 1, 3, 3, 1, false},
    {2, 1, 1, 1, 1, true},  {2, 1, 2, 2, 1, false}, {2, 1, 3, 3, 1, false},
    {2, 2, 1, 1, 1, true},  {2, 2, 2, 2, 2, true},  {2, 2, 3, 3, 2, false},
    {3, 1, 1, 1, 1, true},  {3, 1, 2, 2, 1, false}, {3, 1, 3, 3, 1, false},
    {3, 2, 1, 1, 1, true},  {3, 2, 2, 2, 2, true},  {3, 2, 3, 3, 2, false},
    {3, 3, 1, 1, 1, true},  {3, 3, 2, 2, 2, true},  {3, 3, 3, 3, 3, true},
};

TEST_F(PageCount, StateTable)
{
    for (const Transition& tc : kTransitions) {
        SCOPED_TRACE(::testing::Message()
                     << "count " << tc.count << ", page " << tc.page << ", item " << tc.item);
        Start("");
        Reach(tc.count, tc.page);
        // An edit since the page was last stored shows whether the item stores the page it leaves.
        const std::string edited = "edited " + std::to_string(tc.page);
        w().sheet.txtLyrics.SetText(edited);
        Count(tc.item);

        EXPECT_EQ(w().tabs.lblTotalPages.Caption(), std::to_string(tc.countAfter));
        EXPECT_EQ(w().tabs.lblCurrentPage.Caption(), std::to_string(tc.pageAfter));
        EXPECT_EQ(RepeatSign(), tc.repeat);
        EXPECT_EQ(ContinueSign(), !tc.repeat);
        if (tc.pageAfter != tc.page) {
            // The page left went into its own store first; the page named came from its store.
            EXPECT_EQ(StoreLyrics(tc.page).Text(), edited);
            EXPECT_EQ(w().sheet.txtLyrics.Text(), "words " + std::to_string(tc.pageAfter));
        } else {
            // The page stays on show as it is, and no store is written.
            EXPECT_EQ(w().sheet.txtLyrics.Text(), edited);
            EXPECT_EQ(StoreLyrics(tc.page).Text(), "words " + std::to_string(tc.page));
        }

        EXPECT_EQ(w().tabs.Picture3.Visible(), tc.countAfter > 1);
        if (tc.countAfter > 1) {
            EXPECT_EQ(w().tabs.lblPage3.Visible(), tc.countAfter == 3);
        }
        for (int t = 1; t <= 3; ++t) {
            const bool current = t == tc.pageAfter;
            EXPECT_EQ(TabLabel(t).BackColor(), current ? c::kActive : c::kPlain) << "tab " << t;
            EXPECT_EQ(TabLabel(t).Enabled(), !current) << "tab " << t;
        }
    }
}

TEST_F(PageCount, TabsStoreThePageTheyLeave)
{
    for (const auto& [from, to] : std::vector<std::pair<int, int>>{
             {1, 2}, {1, 3}, {2, 1}, {2, 3}, {3, 1}, {3, 2}}) {
        SCOPED_TRACE(::testing::Message() << "page " << from << ", tab " << to);
        Start("");
        Reach(3, from);
        w().sheet.txtLyrics.SetText("edited");
        Put(Visible(), 5, "Am");
        Tab(to);
        EXPECT_EQ(StoreLyrics(from).Text(), "edited");
        EXPECT_EQ(w().stores.imgPage[static_cast<std::size_t>(from)][5].ToolTipText(), "Am");
        for (int other = 1; other <= 3; ++other) {
            if (other != from) {
                EXPECT_EQ(StoreLyrics(other).Text(), "words " + std::to_string(other)) << other;
            }
        }
        EXPECT_EQ(w().sheet.txtLyrics.Text(), "words " + std::to_string(to));
    }
}

TEST_F(PageCount, TwoPagesOnAFreshSheetShowsTabsOneAndTwo)
{
    Count(2);
    EXPECT_TRUE(w().tabs.Picture3.Visible());
    EXPECT_FALSE(w().tabs.lblPage3.Visible());
    EXPECT_TRUE(ContinueSign());
    EXPECT_EQ(w().tabs.lblCurrentPage.Caption(), "1");
    EXPECT_EQ(w().tabs.lblPage1.BackColor(), c::kActive);
    EXPECT_FALSE(w().tabs.lblPage1.Enabled());
    EXPECT_EQ(w().tabs.lblPage2.BackColor(), forms::kSystemWindowColour);  // not yet set by code
    EXPECT_TRUE(w().tabs.lblPage2.Enabled());
}

TEST_F(PageCount, OnePageOnPageOneKeepsWhatWasTypedSinceItWasStored)
{
    Reach(3, 1);
    QTest::keyClick(Editor(w().sheet.txtLyrics), Qt::Key_End);  // the caret starts at the text's start
    QTest::keyClicks(Editor(w().sheet.txtLyrics), QStringLiteral(" more"));
    Put(Visible(), 3, "D");
    Count(1);
    EXPECT_EQ(w().sheet.txtLyrics.Text(), "words 1 more");
    EXPECT_EQ(w().sheet.imgRest[3].ToolTipText(), "D");
}

TEST_F(PageCount, ADroppedPageComesBackAsItWas)
{
    Reach(3, 3);
    FillSamplePage(Visible(), w().sheet.txtLyrics, "third");
    const PageSnapshot page3 = VisiblePage();
    Count(1);
    EXPECT_EQ(w().sheet.txtLyrics.Text(), "words 1");
    EXPECT_EQ(StoredPage(3), page3);
    Count(3);
    Tab(3);
    EXPECT_EQ(VisiblePage(), page3);
}

TEST_F(PageCount, TwoPagesFromPageThreeForgetsTheEffectiveChords)
{
    Reach(3, 3);
    for (int k = 1; k <= 32; ++k) w().sheet.lblChordNameCheck[k].SetCaption("E");
    Count(2);
    for (int k = 1; k <= 32; ++k) EXPECT_EQ(w().sheet.lblChordNameCheck[k].Caption(), "") << k;
}

}  // namespace
}  // namespace strumwell::testing
