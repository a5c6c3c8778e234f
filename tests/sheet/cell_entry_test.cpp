// Cell entry: the pick goes into the clicked cell, the rhythm marks of the cell and its beat
// partner follow the rules, and the chord-name row is derived again.

#include "editing_fixture.h"

#include <vector>

namespace strumwell::testing {
namespace {

enum class Mode { Crotchet, Quaver };
enum class PickKind { Chord, Note, CrotchetRest, QuaverRest };

struct EntryCase {
    const char* what;
    Mode mode;
    PickKind pick;
    int cell;
    // The partner before the click: token (with its own symbol) and mark.
    std::string partnerToken;
    Mark partnerMark;
    // After: the clicked cell and the partner.
    std::string cellToken;
    Mark cellMark;
    std::string partnerTokenAfter;
    Mark partnerMarkAfter;
};

// The picks: "G", "A 5th String" (string 5, fret 0), and the two rests.
const std::string kG = "G";
const std::string kNote = "A 5th String";

const std::vector<EntryCase> kEntryCases{
    // crotchet entry: the partner is cleared, whatever it held
    {"crotchet chord, partner single note", Mode::Crotchet, PickKind::Chord, 5, "C 1st String", Mark::Single, kG, Mark::Crotchet, "", Mark::None},
    {"crotchet chord, partner second", Mode::Crotchet, PickKind::Chord, 5, "D", Mark::Second, kG, Mark::Crotchet, "", Mark::None},
    {"crotchet note, partner quaver rest", Mode::Crotchet, PickKind::Note, 1, "Rest 1/2", Mark::None, kNote, Mark::Crotchet, "", Mark::None},
    {"crotchet chord into the last beat", Mode::Crotchet, PickKind::Chord, 31, "Em", Mark::Second, kG, Mark::Crotchet, "", Mark::None},
    {"crotchet rest, partner note", Mode::Crotchet, PickKind::CrotchetRest, 3, "E 1st String", Mark::Single, "Rest 1", Mark::None, "", Mark::None},
    // quaver entry on an off-beat cell
    {"quaver off-beat chord, partner crotchet rest", Mode::Quaver, PickKind::Chord, 6, "Rest 1", Mark::None, kG, Mark::Single, "Rest 1/2", Mark::None},
    {"quaver off-beat chord, partner chord without mark", Mode::Quaver, PickKind::Chord, 6, "C", Mark::None, kG, Mark::Single, "Rest 1/2", Mark::None},
    {"quaver off-beat note, partner crotchet", Mode::Quaver, PickKind::Note, 6, "C", Mark::Crotchet, kNote, Mark::Second, "C", Mark::First},
    {"quaver off-beat chord, partner single", Mode::Quaver, PickKind::Chord, 6, "C", Mark::Single, kG, Mark::Second, "C", Mark::First},
    {"quaver off-beat chord, partner first", Mode::Quaver, PickKind::Chord, 32, "C", Mark::First, kG, Mark::Second, "C", Mark::First},
    {"quaver off-beat quaver rest, partner crotchet rest", Mode::Quaver, PickKind::QuaverRest, 6, "Rest 1", Mark::None, "Rest 1/2", Mark::None, "Rest 1/2", Mark::None},
    {"quaver off-beat quaver rest, partner crotchet", Mode::Quaver, PickKind::QuaverRest, 6, "C", Mark::Crotchet, "Rest 1/2", Mark::None, "C", Mark::Single},
    {"quaver off-beat quaver rest, partner single", Mode::Quaver, PickKind::QuaverRest, 6, "C", Mark::Single, "Rest 1/2", Mark::None, "C", Mark::Single},
    {"quaver off-beat quaver rest, partner first", Mode::Quaver, PickKind::QuaverRest, 2, "C", Mark::First, "Rest 1/2", Mark::None, "C", Mark::Single},
    // quaver entry on an on-beat cell
    {"quaver on-beat chord, partner single", Mode::Quaver, PickKind::Chord, 5, "D", Mark::Single, kG, Mark::First, "D", Mark::Second},
    {"quaver on-beat note, partner second", Mode::Quaver, PickKind::Note, 31, "D", Mark::Second, kNote, Mark::First, "D", Mark::Second},
    {"quaver on-beat chord, partner blank", Mode::Quaver, PickKind::Chord, 5, "", Mark::None, kG, Mark::Single, "Rest 1/2", Mark::None},
    {"quaver on-beat chord, partner quaver rest", Mode::Quaver, PickKind::Chord, 1, "Rest 1/2", Mark::None, kG, Mark::Single, "Rest 1/2", Mark::None},
    {"quaver on-beat quaver rest, partner single", Mode::Quaver, PickKind::QuaverRest, 5, "D", Mark::Single, "Rest 1/2", Mark::None, "D", Mark::Single},
    {"quaver on-beat quaver rest, partner second", Mode::Quaver, PickKind::QuaverRest, 5, "D", Mark::Second, "Rest 1/2", Mark::None, "D", Mark::Single},
    {"quaver on-beat quaver rest, partner blank", Mode::Quaver, PickKind::QuaverRest, 5, "", Mark::None, "Rest 1/2", Mark::None, "Rest 1/2", Mark::None},
};

class CellEntry : public EditingTest {
protected:
    void SetPick(PickKind pick)
    {
        switch (pick) {
        case PickKind::Chord: ClickAt(w().palette.lblG); break;
        case PickKind::Note:
            PickNoteBy(5, 0);
            ChordMode();
            break;
        case PickKind::CrotchetRest:
        case PickKind::QuaverRest: ClickAt(w().palette.lblRest); break;
        }
    }
};

TEST_F(CellEntry, ResultTable)
{
    for (const EntryCase& c : kEntryCases) {
        SCOPED_TRACE(c.what);
        Start("");
        if (c.mode == Mode::Quaver) QuaverEntry();
        SetPick(c.pick);
        // Neighbouring beats hold content that entry must leave alone.
        const int partner = c.cell % 2 == 1 ? c.cell + 1 : c.cell - 1;
        for (int k = 1; k <= 32; ++k) PutCell(k, k % 2 == 1 ? "Am" : "E 2nd String", Mark::Single);
        PutCell(c.cell, "F", Mark::Crotchet);
        PutCell(partner, c.partnerToken, c.partnerMark);
        const SheetSnapshot before = Snapshot();
        const std::string pickToken = Pick().ToolTipText();
        flash->calls.clear();

        ClickAt(Cell(c.cell));

        ExpectCell(c.cell, c.cellToken);
        EXPECT_EQ(MarkName(MarkOf(c.cell)), std::string(MarkName(c.cellMark))) << "mark of clicked cell";
        ExpectCell(partner, c.partnerTokenAfter);
        EXPECT_EQ(MarkName(MarkOf(partner)), std::string(MarkName(c.partnerMarkAfter))) << "mark of partner";
        EXPECT_EQ(Rhythm(c.cell).ToolTipText(), c.mode == Mode::Crotchet ? "1 count" : "1/2 count");
        const SheetSnapshot after = Snapshot();
        for (int k = 1; k <= 32; ++k) {
            if (k == c.cell || k == partner) continue;
            const auto i = static_cast<std::size_t>(k);
            EXPECT_EQ(after.token[i], before.token[i]) << "cell " << k;
            EXPECT_EQ(after.cell[i], before.cell[i]) << "cell " << k;
            EXPECT_EQ(after.rhythm[i], before.rhythm[i]) << "mark of cell " << k;
        }
        EXPECT_EQ(Pick().ToolTipText(), pickToken);
        EXPECT_TRUE(Loads().empty());
    }
}

TEST_F(CellEntry, ChordIntoFirstCellOfAnEmptyPage)
{
    ClickAt(w().palette.lblG);
    flash->calls.clear();
    ClickAt(Cell(1));
    ExpectCell(1, "G");
    EXPECT_EQ(MarkOf(1), Mark::Crotchet);
    EXPECT_EQ(Rhythm(1).ToolTipText(), "1 count");
    ExpectCell(2, "");
    EXPECT_EQ(MarkOf(2), Mark::None);
    EXPECT_EQ(ChordName(1).GetPicture(), *w().ChordNameSymbol("G"));
    for (int k = 2; k <= 32; ++k) EXPECT_TRUE(ChordName(k).GetPicture().IsEmpty()) << k;
    for (int k = 1; k <= 32; ++k) EXPECT_EQ(w().sheet.lblChordNameCheck[k].Caption(), "G") << k;
    EXPECT_TRUE(Loads().empty());
}

TEST_F(CellEntry, QuaverBesideACrotchetRestThenJoinedIntoAPair)
{
    QuaverEntry();
    ClickAt(w().palette.lblC);
    ClickAt(Cell(4));
    ExpectCell(3, "Rest 1/2");
    EXPECT_EQ(MarkOf(3), Mark::None);
    ExpectCell(4, "C");
    EXPECT_EQ(MarkOf(4), Mark::Single);

    ClickAt(w().palette.lblD);
    ClickAt(Cell(3));
    ExpectCell(3, "D");
    EXPECT_EQ(MarkOf(3), Mark::First);
    EXPECT_EQ(MarkOf(4), Mark::Second);

    // A quaver rest into the off-beat half breaks the pair again.
    ClickAt(w().palette.lblRest);
    ClickAt(Cell(4));
    EXPECT_EQ(MarkOf(3), Mark::Single);
    ExpectCell(4, "Rest 1/2");
    EXPECT_EQ(MarkOf(4), Mark::None);
}

TEST_F(CellEntry, OffBeatCellsTakeNoClickInCrotchetEntry)
{
    ClickAt(w().palette.lblA);
    const SheetSnapshot before = Snapshot();
    ClickAt(Cell(2));
    ClickAt(Cell(32));
    EXPECT_EQ(Snapshot(), before);
    // Asked for from code, crotchet entry on an off-beat cell is refused too: it would clear the
    // next beat's cell, and after cell 32 there is none.
    w().imgRest_Click(32);
    w().imgRest_Click(33);
    w().imgRest_Click(0);
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(CellEntry, SoloEntryEmptiesTheChordNameOfItsCell)
{
    ClickAt(w().palette.lblA);
    ClickAt(Cell(1));
    ClickAt(w().palette.lblE);
    ClickAt(Cell(3));
    ASSERT_EQ(ChordName(3).GetPicture(), *w().ChordNameSymbol("E"));

    PickNoteBy(2, 3);
    ClickAt(Cell(3));
    ExpectCell(3, "D 2nd String");
    EXPECT_TRUE(ChordName(3).GetPicture().IsEmpty());
    EXPECT_EQ(ChordName(1).GetPicture(), *w().ChordNameSymbol("A"));
    EXPECT_EQ(w().sheet.lblChordNameCheck[3].Caption(), "D 2nd String");
    EXPECT_EQ(w().sheet.lblChordNameCheck[4].Caption(), "D 2nd String");
}

TEST_F(CellEntry, NotePickKeptInChordModeLeavesTheChordNameAboveIt)
{
    ClickAt(w().palette.lblA);
    ClickAt(Cell(1));
    ClickAt(w().palette.lblE);
    ClickAt(Cell(3));
    PickNoteBy(1, 5);
    ChordMode();
    ClickAt(Cell(3));
    ExpectCell(3, "A 1st String");
    EXPECT_EQ(ChordName(3).GetPicture(), *w().ChordNameSymbol("E"));
}

TEST_F(CellEntry, RepeatedChordShowsItsNameOnce)
{
    ClickAt(w().palette.lblF);
    ClickAt(Cell(5));
    ClickAt(Cell(7));
    EXPECT_EQ(ChordName(5).GetPicture(), *w().ChordNameSymbol("F"));
    EXPECT_TRUE(ChordName(7).GetPicture().IsEmpty());
    // Cells before the first chord count under their own rest, so the name shows at cell 5.
    EXPECT_EQ(w().sheet.lblChordNameCheck[4].Caption(), "Rest 1");
}

TEST_F(CellEntry, EntryChangesNeitherPickNorPalette)
{
    ClickAt(w().palette.lbl7th);
    ClickAt(w().palette.lblDm);
    QuaverEntry();
    flash->calls.clear();
    std::vector<forms::Colour> colours;
    const std::vector<const Label*> labels{&w().palette.lblA, &w().palette.lblAm, &w().palette.lblDm,
                                           &w().palette.lblRest, &w().palette.lbl7th,
                                           &w().noteLength.lblCrotchet, &w().noteLength.lblQuaver,
                                           &w().palette.lblChords, &w().palette.lblSolos};
    for (const Label* l : labels) colours.push_back(l->BackColor());
    for (int k : {1, 2, 9, 16, 32}) ClickAt(Cell(k));
    ExpectPick("Dm7", w().ChordPicture("Dm7"));
    for (std::size_t i = 0; i < labels.size(); ++i) EXPECT_EQ(labels[i]->BackColor(), colours[i]) << i;
    EXPECT_TRUE(Loads().empty());
}

}  // namespace
}  // namespace strumwell::testing
