// Crotchet and quaver entry: the two labels, the red indicator, which cells take clicks, and the
// rest pick following the mode.

#include "editing_fixture.h"

namespace strumwell::testing {
namespace {

class NoteLength : public EditingTest {
protected:
    void ExpectCrotchetCells()
    {
        for (int k = 1; k <= 32; ++k) EXPECT_EQ(Cell(k).Enabled(), k % 2 == 1) << k;
        EXPECT_FALSE(Cell(0).Enabled());
    }
};

TEST_F(NoteLength, QuaverEntryTurnsTheCrotchetRestPickIntoAQuaverRest)
{
    QuaverEntry();
    EXPECT_EQ(w().noteLength.lblQuaver.BackColor(), c::kActive);
    EXPECT_EQ(w().noteLength.lblCrotchet.BackColor(), c::kIdle);
    EXPECT_EQ(w().noteLength.pictureNoteLengthSelect.GetPicture(), s().pctQuaverTailRed.GetPicture());
    ExpectPick("Rest 1/2", s().pctQuaverRest);
    for (int k = 1; k <= 32; ++k) EXPECT_TRUE(Cell(k).Enabled()) << k;
    EXPECT_FALSE(Cell(0).Enabled());
    EXPECT_EQ(w().palette.lblRest.BackColor(), c::kSelected);
    EXPECT_TRUE(Loads().empty());
}

TEST_F(NoteLength, CrotchetEntryTurnsTheQuaverRestBackAndLocksTheOffBeatCells)
{
    QuaverEntry();
    CrotchetEntry();
    EXPECT_EQ(w().noteLength.lblCrotchet.BackColor(), c::kActive);
    EXPECT_EQ(w().noteLength.lblQuaver.BackColor(), c::kIdle);
    EXPECT_EQ(w().noteLength.pictureNoteLengthSelect.GetPicture(), s().pctCrotchetRed.GetPicture());
    ExpectPick("Rest 1", s().pictureCrotchetRest);
    ExpectCrotchetCells();
    EXPECT_EQ(w().palette.lblRest.BackColor(), c::kSelected);
    EXPECT_TRUE(Loads().empty());
}

TEST_F(NoteLength, ChordAndNotePicksSurviveASwitch)
{
    ClickAt(w().palette.lblBm);
    QuaverEntry();
    ExpectPick("Bm", w().ChordPicture("Bm"));
    CrotchetEntry();
    ExpectPick("Bm", w().ChordPicture("Bm"));
    PickNoteBy(6, 11);
    QuaverEntry();
    ExpectPick("D# 6th String", w().NotePicture(6, 11));
    CrotchetEntry();
    ExpectPick("D# 6th String", w().NotePicture(6, 11));
}

TEST_F(NoteLength, SecondClickOnTheModeOnChangesNothing)
{
    CrotchetEntry();
    ExpectPick("Rest 1", s().pictureCrotchetRest);
    ExpectCrotchetCells();
    QuaverEntry();
    QuaverEntry();
    ExpectPick("Rest 1/2", s().pctQuaverRest);
}

TEST_F(NoteLength, QuaversStayOnTheSheetAfterASwitchButTheirCellsAreLocked)
{
    QuaverEntry();
    ClickAt(w().palette.lblA);
    ClickAt(Cell(1));
    ClickAt(Cell(2));
    CrotchetEntry();
    ExpectCell(2, "A");
    EXPECT_EQ(MarkOf(2), Mark::Second);
    ClickAt(w().palette.lblE);
    ClickAt(Cell(2));  // disabled: nothing happens
    ExpectCell(2, "A");
    EXPECT_EQ(Loads().size(), 4u);  // the two chord clicks only
}

}  // namespace
}  // namespace strumwell::testing
