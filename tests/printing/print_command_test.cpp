// File > Print: the window by the page-count caption, the rows from the visible page or the page
// stores, the texts as they stand, red playback marks taken off, and the preview a snapshot that
// a later print refills, a closed window loaded afresh, and the other windows left alone.

#include "preview_fixture.h"

namespace strumwell::testing {
namespace {

class PrintCommand : public PreviewTest {
protected:
    // Page p's content, which differs by page: a chord and its name, a note, a quaver rest, blue
    // rhythm marks and the lyrics.
    void FillPageInto(int p, const RowBinding& rows, TextBox& lyrics)
    {
        const std::string chord = p == 1 ? "Am7" : p == 2 ? "G" : "D7";
        Put(rows, 1, chord);
        PutChordName(rows, 1, chord);
        PutRhythm(rows, 1, w().symbols.pctQuaver1Blue);
        Put(rows, 2, "F# 1st String");
        PutRhythm(rows, 2, w().symbols.pctQuaver2Blue);
        Put(rows, 3 + 2 * p, "Rest 1/2");
        Put(rows, 31, p == 1 ? "Top E 1st String" : p == 2 ? "Top B 2nd String" : "Top G 3rd String");
        PutRhythm(rows, 31, w().symbols.pctCrotchetBlue);
        lyrics.SetText(" words of page " + std::to_string(p) + "  ");
    }
    // Page p's content on the visible page when p is on show, else in store p.
    void FillPage(int p, bool onShow)
    {
        if (onShow)
            FillPageInto(p, Visible(), w().sheet.txtLyrics);
        else
            FillPageInto(p, Store(p), StoreLyrics(p));
    }

    // The cells of a page that playback marks: a crotchet rest, a quaver rest and each of the four
    // rhythm marks, red as playback leaves them or with their normal pictures.
    void ShowMarks(const RowBinding& rows, bool red)
    {
        const SymbolLibrary& s = w().symbols;
        (*rows.cells)[7].SetPicture((red ? s.pctCrotchetRestRed : s.pictureCrotchetRest).GetPicture());
        (*rows.cells)[9].SetPicture((red ? s.pctQuaverRestRed : s.pctQuaverRest).GetPicture());
        PutRhythm(rows, 7, red ? s.pctCrotchetRed : s.pctCrotchetBlue);
        PutRhythm(rows, 9, red ? s.pctQuaver1Red : s.pctQuaver1Blue);
        PutRhythm(rows, 10, red ? s.pctQuaver2red : s.pctQuaver2Blue);
        PutRhythm(rows, 11, red ? s.pctQuaverTailRed : s.pctQuaverTailBlue);
    }
    void MarkRed(const RowBinding& rows) { ShowMarks(rows, true); }
    void MarkBlue(const RowBinding& rows) { ShowMarks(rows, false); }
};

// Each page count with each page on show: the window of that count, filled from the visible page
// (one page) or from the stores after the page on show went into its own.
TEST_F(PrintCommand, FillsTheWindowOfThePageCountFromTheSheet)
{
    for (int pages = 1; pages <= 3; ++pages) {
        for (int current = 1; current <= pages; ++current) {
            Start("");
            const std::string where =
                std::to_string(pages) + " pages, page " + std::to_string(current) + " on show";
            SetCaptions(std::to_string(pages), std::to_string(current));
            std::array<PageSnapshot, 4> expected;
            // The store of the page on show holds an older state, which Print replaces.
            FillPageInto(current % 3 + 1, Store(current), StoreLyrics(current));
            for (int p = 1; p <= pages; ++p) {
                FillPage(p, p == current);
                expected[static_cast<std::size_t>(p)] = p == current ? VisiblePage() : StoredPage(p);
            }
            const PageSnapshot visibleBefore = VisiblePage();
            const std::array<PageSnapshot, 3> storesBefore{StoredPage(1), StoredPage(2), StoredPage(3)};
            w().sheet.txtTitle.SetText("  A Title, with a comma ");
            w().sheet.txtAuthor.SetText("Someone ");

            Print();

            PrintPreviewWindow* preview = Loaded(pages);
            ASSERT_NE(preview, nullptr) << where;
            for (int other = 1; other <= 3; ++other) {
                if (other != pages) {
                    EXPECT_EQ(Loaded(other), nullptr) << where;
                }
            }
            EXPECT_TRUE(preview->Window()->isVisible()) << where;
            EXPECT_EQ(preview->Window()->parentWidget(), nullptr) << where;
            EXPECT_FALSE(preview->Window()->isModal()) << where;
            EXPECT_EQ(preview->lblNewTitle.Caption(), "  A Title, with a comma ") << where;
            EXPECT_EQ(preview->txtNewAuthor.Text(), "Someone ") << where;
            for (int p = 1; p <= pages; ++p) {
                const PageSnapshot& page = expected[static_cast<std::size_t>(p)];
                EXPECT_EQ(Row(*preview, p), PicturesOf(page)) << where << ", row " << p;
                EXPECT_EQ(preview->LyricsLabel(p).Caption(), page.lyrics) << where << ", row " << p;
                for (int k = 1; k <= 32; ++k)
                    EXPECT_EQ(preview->imgTab[32 * (p - 1) + k].ToolTipText(), "") << where;
            }
            // The main window: the visible page as it was; with two or three pages the store of
            // the page on show now equals it, the other stores as they were.
            EXPECT_EQ(VisiblePage(), visibleBefore) << where;
            for (int p = 1; p <= 3; ++p) {
                const bool copied = pages > 1 && p <= pages;
                EXPECT_EQ(StoredPage(p), copied ? expected[static_cast<std::size_t>(p)]
                                                : storesBefore[static_cast<std::size_t>(p - 1)])
                    << where << ", store " << p;
            }
            EXPECT_EQ(w().tabs.lblCurrentPage.Caption(), std::to_string(current));
            EXPECT_EQ(w().tabs.lblTotalPages.Caption(), std::to_string(pages));
        }
    }
}

TEST_F(PrintCommand, PageCountCaptionOtherThanOneTwoOrThreeDoesNothing)
{
    MarkRed(Visible());
    const PageSnapshot visible = VisiblePage();
    const PageSnapshot store1 = StoredPage(1);
    for (const char* caption : {"", " 2", "2 ", "4", "0", "one", "01"}) {
        SetCaptions(caption, "1");
        Print();
        for (int pages = 1; pages <= 3; ++pages) EXPECT_EQ(Loaded(pages), nullptr) << caption;
        EXPECT_EQ(VisiblePage(), visible) << caption;  // even the red marks stay
        EXPECT_EQ(StoredPage(1), store1) << caption;
    }
}

TEST_F(PrintCommand, OnePageLosesItsRedMarksInTheWindowAndThePreview)
{
    FillPage(1, true);
    MarkRed(Visible());
    const PageSnapshot red = VisiblePage();
    MarkBlue(Visible());
    const PageSnapshot blue = VisiblePage();
    MarkRed(Visible());

    Print();

    EXPECT_EQ(VisiblePage(), blue);
    EXPECT_EQ(VisiblePage().token, red.token);
    EXPECT_EQ(Row(*Loaded(1), 1), PicturesOf(blue));
}

// A store filled while cells showed red (a tab clicked during playback) is cleaned as well, in
// the store itself and in the preview; so is the visible page before it is stored.
TEST_F(PrintCommand, NoPreviewRowShowsRed)
{
    SetCaptions("3", "2");
    for (int p = 1; p <= 3; ++p) FillPage(p, p == 2);
    MarkBlue(Store(3));
    const PageSnapshot blueStore3 = StoredPage(3);
    MarkBlue(Visible());
    const PageSnapshot blueVisible = VisiblePage();
    MarkRed(Store(3));
    MarkRed(Visible());

    Print();

    EXPECT_EQ(VisiblePage(), blueVisible);
    EXPECT_EQ(StoredPage(2), blueVisible);
    EXPECT_EQ(StoredPage(3), blueStore3);
    PrintPreviewWindow& preview = *Loaded(3);
    EXPECT_EQ(Row(preview, 2), PicturesOf(blueVisible));
    EXPECT_EQ(Row(preview, 3), PicturesOf(blueStore3));
}

TEST_F(PrintCommand, SecondPrintRefillsTheSameWindowWithTheNewSnapshot)
{
    SetCaptions("2", "1");
    FillPage(1, true);
    FillPage(2, false);
    w().sheet.txtTitle.SetText("First");
    Print();
    PrintPreviewWindow* first = Loaded(2);
    ASSERT_NE(first, nullptr);

    // The preview does not follow the sheet.
    Put(Visible(), 1, "C");
    EXPECT_EQ(first->imgTab[1].GetPicture(), w().ChordPicture("Am7").GetPicture());

    // Everything of the first fill is written anew: emptied pages give empty boxes and "".
    w().clearpage_Click();
    w().ClearPageStore(2);
    StoreLyrics(2).SetText("");
    w().sheet.txtTitle.SetText("");
    w().sheet.txtLyrics.SetText("");
    Print();

    EXPECT_EQ(Loaded(2), first);
    EXPECT_EQ(first->lblNewTitle.Caption(), "");
    EXPECT_EQ(Row(*first, 1), PicturesOf(EmptyPage()));
    EXPECT_EQ(Row(*first, 2), PicturesOf(EmptyPage()));
    EXPECT_EQ(first->LyricsLabel(1).Caption(), "");
    EXPECT_EQ(first->LyricsLabel(2).Caption(), "");
    EXPECT_TRUE(first->Window()->isVisible());
}

TEST_F(PrintCommand, ClosedWindowIsLoadedAfreshByTheNextPrint)
{
    SetCaptions("1", "1");
    Print();
    PrintPreviewWindow* preview = Loaded(1);
    ASSERT_NE(preview, nullptr);
    preview->Command1.SetVisible(false);  // a state no fill writes
    Close(*preview);
    EXPECT_EQ(Loaded(1), nullptr);

    FillPage(1, true);
    Print();

    preview = Loaded(1);
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->Command1.Visible());
    EXPECT_TRUE(preview->Picture1.AutoSize());
    EXPECT_TRUE(preview->Window()->isVisible());
    EXPECT_EQ(Row(*preview, 1), PicturesOf(VisiblePage()));
}

TEST_F(PrintCommand, WindowsOfOtherPageCountsKeepTheirContents)
{
    SetCaptions("3", "1");
    for (int p = 1; p <= 3; ++p) FillPage(p, p == 1);
    w().sheet.txtTitle.SetText("Three");
    Print();
    PrintPreviewWindow* three = Loaded(3);
    const std::array<PageSnapshot, 3> rows{Row(*three, 1), Row(*three, 2), Row(*three, 3)};

    Count(1);
    w().clearpage_Click();
    w().sheet.txtTitle.SetText("One");
    Print();

    ASSERT_NE(Loaded(1), nullptr);
    EXPECT_EQ(Loaded(1)->lblNewTitle.Caption(), "One");
    EXPECT_EQ(Loaded(3), three);
    EXPECT_TRUE(three->Window()->isVisible());
    EXPECT_EQ(three->lblNewTitle.Caption(), "Three");
    for (int r = 1; r <= 3; ++r) EXPECT_EQ(Row(*three, r), rows[static_cast<std::size_t>(r - 1)]);
    EXPECT_EQ(Loaded(2), nullptr);
}

}  // namespace
}  // namespace strumwell::testing
