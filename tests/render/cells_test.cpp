// Cell pictures and tokens of a loaded song, on the visible page and in the stores of pages 2 and 3.

#include "render/render_fixture.h"

#include "support/expected_tables.h"

namespace strumwell::testing {
namespace {

class DrawCells : public RenderTest {
protected:
    struct Case {
        std::string token;
        const PictureBox* picture;  // nullptr: no symbol, the cell keeps its empty-page picture
    };

    // The 101 tokens of the editor with their symbols, then texts that name no symbol.
    std::vector<Case> AllCases()
    {
        const auto& s = w().symbols;
        std::vector<Case> cases{{"", &s.pctBlank}, {"Rest 1", &s.pictureCrotchetRest},
                                {"Rest 1/2", &s.pctQuaverRest}};
        const std::array<const char*, 20> chords{"A",  "Am",  "E",  "Em",  "D",  "Dm",  "C",
                                                 "G",  "F",   "Bm", "A7",  "Am7", "E7", "Em7",
                                                 "D7", "Dm7", "C7", "G7",  "F7",  "Bm7"};
        for (std::size_t i = 0; i < chords.size(); ++i) cases.push_back({chords[i], &s.pctChord[i]});
        for (int n = 1; n <= 6; ++n)
            for (int f = 0; f <= 12; ++f)
                cases.push_back({kNoteTokens[static_cast<std::size_t>(n - 1)][static_cast<std::size_t>(f)],
                                 &s.pctString[static_cast<std::size_t>(n)][f]});
        for (const char* none : {" ", "tab", "Tab", "Text1", "rest 1", "REST 1", " Rest 1", "Rest 1 ",
                                 "Rest 1/2 ", "am", "A ", "Bm 7", "e 1st String", "Top E 1st string",
                                 "E 1st String ", "Top F 1st String", "H", "Rest"})
            cases.push_back({none, nullptr});
        return cases;
    }
};

// Every case lands once on an on-beat and once on the following off-beat cell, across all 96 cells
// of a three-page song, so every page's drawing is covered too.
TEST_F(DrawCells, EveryTokenGivesItsSymbolAndIsKeptExactly)
{
    const std::vector<Case> cases = AllCases();
    ASSERT_EQ(cases.size(), 101u + 18u);
    const auto& s = w().symbols;
    for (std::size_t first = 0; first < cases.size(); first += 48) {
        std::vector<Page> pages(3, Page(32, "Rest 1"));
        for (std::size_t i = first; i < std::min(first + 48, cases.size()); ++i) {
            const std::size_t slot = 2 * (i - first);  // 0..95
            pages[slot / 32][slot % 32] = cases[i].token;
            pages[slot / 32][slot % 32 + 1] = cases[i].token;
        }
        Render(pages, "3");
        for (std::size_t i = first; i < std::min(first + 48, cases.size()); ++i) {
            const Case& c = cases[i];
            SCOPED_TRACE('"' + c.token + '"');
            const std::size_t slot = 2 * (i - first);
            const RowBinding rows = Rows(static_cast<int>(slot / 32) + 1);
            const int onBeat = static_cast<int>(slot % 32) + 1;
            for (int k : {onBeat, onBeat + 1}) {
                const PictureBox& cell = (*rows.cells)[k];
                const PictureBox& expected =
                    c.picture ? *c.picture : (k % 2 == 1 ? s.pictureCrotchetRest : s.pctBlank);
                EXPECT_TRUE(Shows(cell, expected)) << "cell " << k;
                EXPECT_EQ(cell.ToolTipText(), c.token) << "cell " << k;
            }
        }
    }
}

TEST_F(DrawCells, ShowsTheReferencePictureItselfNotACopy)
{
    Render({{"F 2nd String", "Top G 3rd String"}}, "1");
    EXPECT_EQ(w().sheet.imgRest[1].GetPicture().Handle(), w().NotePicture(2, 6).GetPicture().Handle());
    EXPECT_EQ(w().sheet.imgRest[2].GetPicture().Handle(), w().NotePicture(3, 12).GetPicture().Handle());
}

TEST_F(DrawCells, EachPageReadsOnlyItsOwnBufferElements)
{
    Page page2 = EmptyTokens(), page3 = EmptyTokens();
    page2[8] = "C";
    page3[8] = "Rest 1/2";
    page3[4] = "D# 6th String";
    page3[5] = "Top E 6th String";
    Render({EmptyTokens(), page2, page3}, "3");
    const auto& s = w().symbols;
    auto& store2 = w().stores.imgPage[2];
    auto& store3 = w().stores.imgPage[3];
    EXPECT_TRUE(Shows(store2[9], s.pctChord[6]));
    EXPECT_EQ(store2[9].ToolTipText(), "C");
    EXPECT_TRUE(Shows(store3[9], s.pctQuaverRest));
    EXPECT_TRUE(Shows(store3[5], w().NotePicture(6, 11)));
    EXPECT_TRUE(Shows(store3[6], w().NotePicture(6, 12)));
    EXPECT_TRUE(Shows(store2[5], s.pictureCrotchetRest));
    EXPECT_TRUE(Shows(store2[6], s.pctBlank));
    EXPECT_EQ(w().sheet.imgRest[9].ToolTipText(), "Rest 1");
}

}  // namespace
}  // namespace strumwell::testing
