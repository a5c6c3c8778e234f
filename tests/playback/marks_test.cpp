// Played-cell marks: which picture each mark and each clear leaves, by symbol identity.

#include "playback_fixture.h"

namespace strumwell::testing {
namespace {

class Marks : public PlaybackTest {
protected:
    using Member = PictureBox SymbolLibrary::*;
    const PictureBox& Sym(Member m) { return w().symbols.*m; }
};

struct RhythmCase {
    PictureBox SymbolLibrary::*before;
    PictureBox SymbolLibrary::*afterMark;
    PictureBox SymbolLibrary::*afterClear;
};

TEST_F(Marks, RhythmMarkTurnsRedWhenPlayedAndBlueWhenCleared)
{
    using S = SymbolLibrary;
    const RhythmCase cases[] = {
        {&S::pctCrotchetBlue, &S::pctCrotchetRed, &S::pctCrotchetBlue},
        {&S::pctQuaver1Blue, &S::pctQuaver1Red, &S::pctQuaver1Blue},
        {&S::pctQuaver2Blue, &S::pctQuaver2red, &S::pctQuaver2Blue},
        {&S::pctQuaverTailBlue, &S::pctQuaverTailRed, &S::pctQuaverTailBlue},
        {&S::pctCrotchetRed, &S::pctCrotchetRed, &S::pctCrotchetBlue},  // red already
        {&S::pctQuaver2red, &S::pctQuaver2red, &S::pctQuaver2Blue},
        {&S::pctEmpty, &S::pctEmpty, &S::pctEmpty},
        {&S::pctBlank, &S::pctBlank, &S::pctBlank},  // not a rhythm mark at all
    };
    for (const RhythmCase& c : cases) {
        SCOPED_TRACE(Sym(c.before).Name());
        Put(6, "Am", &Sym(c.before));
        w().MarkCellPlayed(6);
        EXPECT_TRUE(Shows(Rhythm(6), Sym(c.afterMark)));
        EXPECT_TRUE(Shows(Cell(6), w().ChordPicture("Am")));  // a chord cell keeps its picture
        w().ClearPlaybackHighlight();
        EXPECT_TRUE(Shows(Rhythm(6), Sym(c.afterClear)));
    }
}

struct RestCase {
    const char* token;
    PictureBox SymbolLibrary::*picture;
    PictureBox SymbolLibrary::*afterMark;
    PictureBox SymbolLibrary::*afterClear;
};

TEST_F(Marks, RestSignsFollowTheTokenWhenMarkedAndThePictureWhenCleared)
{
    using S = SymbolLibrary;
    const RestCase cases[] = {
        {"Rest 1", &S::pictureCrotchetRest, &S::pctCrotchetRestRed, &S::pictureCrotchetRest},
        {"Rest 1/2", &S::pctQuaverRest, &S::pctQuaverRestRed, &S::pctQuaverRest},
        // The token decides the mark, so the picture ends up matching the token.
        {"Rest 1/2", &S::pctBlank, &S::pctQuaverRestRed, &S::pctQuaverRest},
        {"Rest 1", &S::pctQuaverRest, &S::pctCrotchetRestRed, &S::pictureCrotchetRest},
        // A rest picture under another token is not marked.
        {"", &S::pictureCrotchetRest, &S::pictureCrotchetRest, &S::pictureCrotchetRest},
        {"G", &S::pctQuaverRest, &S::pctQuaverRest, &S::pctQuaverRest},
        // A red sign left under another token still clears by its picture.
        {"", &S::pctQuaverRestRed, &S::pctQuaverRestRed, &S::pctQuaverRest},
    };
    for (const RestCase& c : cases) {
        SCOPED_TRACE(std::string(c.token) + " / " + Sym(c.picture).Name());
        w().sheet.imgRest[3].SetPicture(Sym(c.picture).GetPicture());
        w().sheet.imgRest[3].SetToolTipText(c.token);
        w().sheet.imgNoteRhythm[3].SetPicture(w().symbols.pctCrotchetBlue.GetPicture());
        w().MarkCellPlayed(3);
        EXPECT_TRUE(Shows(Cell(3), Sym(c.afterMark)));
        EXPECT_TRUE(Shows(Rhythm(3), w().symbols.pctCrotchetRed));  // the rhythm mark is marked anyway
        w().ClearPlaybackHighlight();
        EXPECT_TRUE(Shows(Cell(3), Sym(c.afterClear)));
        EXPECT_EQ(Cell(3).ToolTipText(), c.token);
    }
}

TEST_F(Marks, MarkingTwiceIsMarkingOnce)
{
    Put(1, "Rest 1", &w().symbols.pctCrotchetBlue);
    Put(2, "Rest 1/2", &w().symbols.pctQuaverTailBlue);
    for (int k : {1, 2}) w().MarkCellPlayed(k);
    const auto cell1 = Cell(1).GetPicture(), cell2 = Cell(2).GetPicture();
    const auto mark1 = Rhythm(1).GetPicture(), mark2 = Rhythm(2).GetPicture();
    for (int k : {1, 2}) w().MarkCellPlayed(k);
    EXPECT_EQ(Cell(1).GetPicture(), cell1);
    EXPECT_EQ(Cell(2).GetPicture(), cell2);
    EXPECT_EQ(Rhythm(1).GetPicture(), mark1);
    EXPECT_EQ(Rhythm(2).GetPicture(), mark2);
    EXPECT_TRUE(Shows(Rhythm(2), w().symbols.pctQuaverTailRed));
}

TEST_F(Marks, TheClearWorksOnTheVisiblePageOnly)
{
    const RowBinding store2 = w().StoreRows(2);
    PutIn(store2, 4, "Rest 1/2", &w().symbols.pctQuaver2red);
    (*store2.cells)[4].SetPicture(w().symbols.pctQuaverRestRed.GetPicture());
    for (int k = 1; k <= 32; ++k) {
        Put(k, k % 2 ? "Rest 1" : "Rest 1/2", &w().symbols.pctQuaverTailBlue);
        w().MarkCellPlayed(k);
    }
    w().ClearPlaybackHighlight();
    for (int k = 1; k <= 32; ++k) {
        EXPECT_TRUE(Shows(Rhythm(k), w().symbols.pctQuaverTailBlue)) << k;
        EXPECT_TRUE(Shows(Cell(k), k % 2 ? w().symbols.pictureCrotchetRest : w().symbols.pctQuaverRest)) << k;
    }
    EXPECT_TRUE(Shows((*store2.rhythm)[4], w().symbols.pctQuaver2red));
    EXPECT_TRUE(Shows((*store2.cells)[4], w().symbols.pctQuaverRestRed));
}

}  // namespace
}  // namespace strumwell::testing
