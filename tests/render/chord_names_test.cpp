// The chord-name rows and effective chords of a loaded song, page by page.

#include "render/render_fixture.h"

namespace strumwell::testing {
namespace {

struct Cell {
    std::string token, effective, name;  // name "": no chord name
};

class ChordNames : public RenderTest {
protected:
    // The chord-name symbol of a chord token, or the empty symbol for "".
    const PictureBox& Name(const std::string& chord)
    {
        const std::array<const char*, 20> chords{"A",  "Am",  "E",  "Em",  "D",  "Dm",  "C",
                                                 "G",  "F",   "Bm", "A7",  "Am7", "E7", "Em7",
                                                 "D7", "Dm7", "C7", "G7",  "F7",  "Bm7"};
        for (std::size_t i = 0; i < chords.size(); ++i)
            if (chord == chords[i]) return w().symbols.pctChordName[i];
        return w().symbols.pctEmpty;
    }

    // Puts `cells` at the start of a page of the given rows and checks names and effective chords.
    void ExpectRow(int page, const std::vector<Cell>& cells)
    {
        const RowBinding rows = Rows(page);
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const int k = static_cast<int>(i) + 1;
            SCOPED_TRACE("page " + std::to_string(page) + " cell " + std::to_string(k));
            EXPECT_TRUE(Shows((*rows.chordNames)[k], Name(cells[i].name)));
            EXPECT_EQ((*rows.effectiveChords)[k].Caption(), cells[i].effective);
        }
    }

    static Page Tokens(const std::vector<Cell>& cells)
    {
        Page page = EmptyTokens();
        for (std::size_t i = 0; i < cells.size(); ++i) page[i] = cells[i].token;
        return page;
    }
};

const std::vector<Cell> kExample{
    {"A", "A", "A"},
    {"", "A", ""},
    {"Rest 1", "A", ""},
    {"", "A", ""},
    {"A", "A", ""},  // cell 4 counts as "A"
    {"Am", "Am", "Am"},
    {"E 1st String", "E 1st String", ""},
    {"", "E 1st String", ""},
    {"Am", "Am", "Am"},  // the note broke the chord
    {"", "Am", ""},
};

TEST_F(ChordNames, ExampleRowOnEveryPage)
{
    Render({Tokens(kExample), Tokens(kExample), Tokens(kExample)}, "3");
    for (int page = 1; page <= 3; ++page) ExpectRow(page, kExample);
    // The rest of each page continues the last chord without a name.
    for (int k = 11; k <= 32; ++k) EXPECT_TRUE(Shows(w().stores.imgChordPage[3][k], Name("")));
    EXPECT_EQ(w().stores.lblChordNameCheckpage3[32].Caption(), "Am");
}

TEST_F(ChordNames, RulesAtTheEdges)
{
    const std::vector<std::vector<Cell>> rows{
        // A rest at cell 1 keeps its own token as its effective chord.
        {{"Rest 1", "Rest 1", ""}, {"", "Rest 1", ""}, {"G", "G", "G"}},
        // " ", "tab" and "Tab" have no name but break the chord; so does a chord in other case.
        {{"D", "D", "D"}, {" ", " ", ""}, {"D", "D", "D"}, {"tab", "tab", ""}, {"D", "D", "D"},
         {"Tab", "Tab", ""}, {"D", "D", "D"}, {"am", "am", ""}, {"D", "D", "D"}},
        // Quavers of one chord, then of two; a 7th chord is a chord of its own.
        {{"C", "C", "C"}, {"C", "C", ""}, {"C", "C", ""}, {"G", "G", "G"}, {"A", "A", "A"},
         {"A7", "A7", "A7"}, {"Rest 1/2", "A7", ""}, {"A7", "A7", ""}},
    };
    Render({Tokens(rows[0]), Tokens(rows[1]), Tokens(rows[2])}, "3");
    for (int page = 1; page <= 3; ++page) ExpectRow(page, rows[static_cast<std::size_t>(page - 1)]);
}

TEST_F(ChordNames, EachPageStartsAfresh)
{
    Page page1 = EmptyTokens();
    page1[30] = "D";
    Render({page1, {"D"}}, "2");
    EXPECT_TRUE(Shows(w().stores.imgChordPage[2][1], Name("D")));
    EXPECT_EQ(w().stores.lblChordNameCheckpage2[1].Caption(), "D");
    EXPECT_TRUE(Shows(w().sheet.imgChordName[31], Name("D")));
}

TEST_F(ChordNames, PageThreeOfAShorterSongKeepsAnEmptyRowAndItsOldLabels)
{
    Render({EmptyTokens(), EmptyTokens(), Page(32, "G")}, "3");
    EXPECT_EQ(w().stores.lblChordNameCheckpage3[5].Caption(), "G");
    Render({EmptyTokens(), Page(32, "Text1")}, "2");
    for (int k = 1; k <= 32; ++k) {
        EXPECT_TRUE(Shows(w().stores.imgChordPage[3][k], Name("")));
        EXPECT_TRUE(Shows(w().stores.imgChordPage[1][k], Name("")));
        EXPECT_EQ(w().stores.lblChordNameCheckpage3[k].Caption(), "G");
        EXPECT_TRUE(Shows(w().stores.imgChordPage[2][k], Name("")));
        EXPECT_EQ(w().stores.lblChordNameCheckpage2[k].Caption(), "Text1");
    }
}

TEST_F(ChordNames, EmptyPageHasNoNamesAndRestLabels)
{
    Render({EmptyTokens()}, "1");
    for (int k = 1; k <= 32; ++k) {
        EXPECT_TRUE(Shows(w().sheet.imgChordName[k], Name("")));
        EXPECT_EQ(w().sheet.lblChordNameCheck[k].Caption(), "Rest 1");
    }
}

}  // namespace
}  // namespace strumwell::testing
