// The chord-name row of one page, from its tokens: which cells show a name, and the chord each
// cell counts under. Run on the visible page and on the page stores alike.

#include "editing_fixture.h"

#include <vector>

namespace strumwell::testing {
namespace {

// Cells after the given tokens are blank (""), so they carry the last effective chord on and
// show no name.
struct RowCase {
    const char* what;
    std::vector<std::string> tokens;
    // Per given cell: a chord token = that chord's name, "-" = no name, "=" = the picture it had.
    std::vector<std::string> names;
    std::vector<std::string> effective;
};

const std::vector<RowCase> kRowCases{
    {"held chord", {"A", "", "Rest 1", "A"}, {"A", "-", "-", "-"}, {"A", "A", "A", "A"}},
    {"note breaks the run", {"A", "", "E 1st String", "", "A"}, {"A", "-", "=", "-", "A"},
     {"A", "A", "E 1st String", "E 1st String", "A"}},
    {"blank first cell", {"", "C"}, {"-", "C"}, {"", "C"}},
    {"leading rests", {"Rest 1", "Rest 1/2", "G"}, {"-", "-", "G"}, {"Rest 1", "Rest 1", "G"}},
    {"plain and 7th differ", {"Am", "Am7"}, {"Am", "Am7"}, {"Am", "Am7"}},
    {"one blank breaks the run", {"G", " ", "G"}, {"G", "-", "G"}, {"G", " ", "G"}},
    {"lower case is no chord", {"G", "g", "G"}, {"G", "=", "G"}, {"G", "g", "G"}},
    {"tab and Tab", {"D", "tab", "D", "Tab", "D"}, {"D", "-", "D", "=", "D"}, {"D", "tab", "D", "Tab", "D"}},
    {"same note twice across a rest", {"B 2nd String", "Rest 1/2", "B 2nd String"}, {"=", "-", "-"},
     {"B 2nd String", "B 2nd String", "B 2nd String"}},
    {"chord after quaver rest", {"F", "Rest 1/2", "F7", "", "F7"}, {"F", "-", "F7", "-", "-"},
     {"F", "F", "F7", "F7", "F7"}},
    {"trailing blank kept as text", {"E", "E "}, {"E", "="}, {"E", "E "}},
};

class ChordNameRow : public EditingTest {
protected:
    // Every chord-name picture starts as a name no token of the cases uses, so "untouched" shows.
    void Prepare(const RowBinding& rows, const std::vector<std::string>& tokens)
    {
        for (int k = 1; k <= 32; ++k) {
            const std::size_t i = static_cast<std::size_t>(k - 1);
            (*rows.cells)[k].SetToolTipText(i < tokens.size() ? tokens[i] : std::string());
            (*rows.chordNames)[k].SetPicture(Sentinel());
            if (rows.effectiveChords) (*rows.effectiveChords)[k].SetCaption("old");
        }
    }
    const Picture& Sentinel() { return *w().ChordNameSymbol("Bm7"); }

    void Check(const RowBinding& rows, const RowCase& c, bool labels)
    {
        for (int k = 1; k <= 32; ++k) {
            SCOPED_TRACE(k);
            const std::size_t i = static_cast<std::size_t>(k - 1);
            const std::string name = i < c.names.size() ? c.names[i] : "-";
            const Picture& shown = (*rows.chordNames)[k].GetPicture();
            if (name == "-") {
                EXPECT_TRUE(shown.IsEmpty());
            } else if (name == "=") {
                EXPECT_EQ(shown, Sentinel());
            } else {
                EXPECT_EQ(shown, *w().ChordNameSymbol(name));
            }
            if (labels) {
                EXPECT_EQ((*rows.effectiveChords)[k].Caption(),
                          i < c.effective.size() ? c.effective[i] : c.effective.back());
            }
        }
    }
};

TEST_F(ChordNameRow, TokenRowsOnEveryPage)
{
    for (const RowCase& c : kRowCases) {
        SCOPED_TRACE(c.what);
        for (const RowBinding rows : {w().VisibleRows(), w().StoreRows(2), w().StoreRows(3), w().StoreRows(1)}) {
            Prepare(rows, c.tokens);
            w().DeriveChordNameRow(rows);
            Check(rows, c, rows.effectiveChords != nullptr);
        }
    }
}

TEST_F(ChordNameRow, StepBetweenPassesSeesNewPicturesAndOldEffectiveChords)
{
    const RowBinding rows = w().VisibleRows();
    Prepare(rows, {"A", "A", "C 3rd String"});
    bool ran = false;
    w().DeriveChordNameRow(rows, [&] {
        ran = true;
        EXPECT_EQ(ChordName(1).GetPicture(), *w().ChordNameSymbol("A"));
        EXPECT_EQ(ChordName(2).GetPicture(), *w().ChordNameSymbol("A"));  // pass 3 has not run
        EXPECT_EQ(w().sheet.lblChordNameCheck[1].Caption(), "old");
        ChordName(3).SetPicture(*w().ChordNameSymbol("G"));
    });
    EXPECT_TRUE(ran);
    EXPECT_TRUE(ChordName(2).GetPicture().IsEmpty());
    // The step's picture stays: later passes only empty pictures where the chord goes on.
    EXPECT_EQ(ChordName(3).GetPicture(), *w().ChordNameSymbol("G"));
}

TEST_F(ChordNameRow, PagesAreDerivedOneAtATime)
{
    const RowBinding visible = w().VisibleRows();
    const RowBinding page2 = w().StoreRows(2);
    std::vector<std::string> end(31, "");
    end.push_back("G");
    Prepare(visible, end);
    Prepare(page2, {"G"});
    w().DeriveChordNameRow(visible);
    w().DeriveChordNameRow(page2);
    EXPECT_EQ(ChordName(32).GetPicture(), *w().ChordNameSymbol("G"));
    EXPECT_EQ((*page2.chordNames)[1].GetPicture(), *w().ChordNameSymbol("G"));
}

}  // namespace
}  // namespace strumwell::testing
