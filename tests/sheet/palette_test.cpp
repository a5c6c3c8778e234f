// The chord palette, the 7th toggle and REST, clicked as a user clicks them.

#include "editing_fixture.h"

#include <vector>

namespace strumwell::testing {
namespace {

struct LabelRow {
    Label PaletteWidgets::*label;
    forms::Colour resting;
    const char* plain;
    const char* seventh;
};

const std::vector<LabelRow> kLabels{
    {&PaletteWidgets::lblA, c::kMajorChord, "A", "A7"},   {&PaletteWidgets::lblAm, c::kMinorChord, "Am", "Am7"},
    {&PaletteWidgets::lblBm, c::kMinorChord, "Bm", "Bm7"}, {&PaletteWidgets::lblC, c::kMajorChord, "C", "C7"},
    {&PaletteWidgets::lblD, c::kMajorChord, "D", "D7"},   {&PaletteWidgets::lblDm, c::kMinorChord, "Dm", "Dm7"},
    {&PaletteWidgets::lblE, c::kMajorChord, "E", "E7"},   {&PaletteWidgets::lblEm, c::kMinorChord, "Em", "Em7"},
    {&PaletteWidgets::lblF, c::kMajorChord, "F", "F7"},   {&PaletteWidgets::lblG, c::kMajorChord, "G", "G7"},
};

class Palette : public EditingTest {
protected:
    Label& L(Label PaletteWidgets::*label) { return w().palette.*label; }
    // Exactly `selected` red, every other palette label its resting colour.
    void ExpectSelected(const Label* selected)
    {
        for (const LabelRow& row : kLabels)
            EXPECT_EQ(L(row.label).BackColor(), &L(row.label) == selected ? c::kSelected : row.resting)
                << L(row.label).Name();
        EXPECT_EQ(w().palette.lblRest.BackColor(), selected == &w().palette.lblRest ? c::kSelected : c::kRestLabel);
    }
};

TEST_F(Palette, EveryChordLabelSelectsPicksAndSounds)
{
    for (const bool seventh : {false, true}) {
        Start("");
        if (seventh) ClickAt(w().palette.lbl7th);
        for (const LabelRow& row : kLabels) {
            const std::string token = seventh ? row.seventh : row.plain;
            SCOPED_TRACE(token);
            flash->calls.clear();
            ClickAt(L(row.label));
            ExpectSelected(&L(row.label));
            ExpectPick(token, w().ChordPicture(token));
            EXPECT_EQ(Loads(), (std::vector<std::string>{Clip("rest.swf"), Clip(token + ".swf")}));
            ASSERT_EQ(flash->calls.size(), 2u);
            EXPECT_EQ(flash->calls[1].first, 0);
            EXPECT_EQ(w().palette.lbl7th.BackColor(), seventh ? c::kSelected : c::kSeventhOff);
        }
    }
}

TEST_F(Palette, ClickingTheSelectedChordAgainRepeatsIt)
{
    ClickAt(w().palette.lblEm);
    flash->calls.clear();
    ClickAt(w().palette.lblEm);
    ExpectPick("Em", w().ChordPicture("Em"));
    EXPECT_EQ(Loads(), (std::vector<std::string>{Clip("rest.swf"), Clip("Em.swf")}));
}

TEST_F(Palette, SeventhToggleRepicksTheSelectedChordWithoutTheRestClip)
{
    ClickAt(w().palette.lblD);
    flash->calls.clear();
    ClickAt(w().palette.lbl7th);
    EXPECT_EQ(w().palette.lbl7th.BackColor(), c::kSelected);
    ExpectPick("D7", w().ChordPicture("D7"));
    EXPECT_EQ(Loads(), std::vector<std::string>{Clip("D7.swf")});
    ExpectSelected(&w().palette.lblD);

    flash->calls.clear();
    ClickAt(w().palette.lbl7th);
    EXPECT_EQ(w().palette.lbl7th.BackColor(), c::kSeventhOff);
    ExpectPick("D", w().ChordPicture("D"));
    EXPECT_EQ(Loads(), std::vector<std::string>{Clip("D.swf")});
}

TEST_F(Palette, SeventhToggleWithRestSelectedRepicksTheRestOfTheMode)
{
    flash->calls.clear();
    ClickAt(w().palette.lbl7th);
    ExpectPick("Rest 1", s().pictureCrotchetRest);
    EXPECT_EQ(Loads(), std::vector<std::string>{Clip("rest.swf")});

    QuaverEntry();
    flash->calls.clear();
    ClickAt(w().palette.lbl7th);
    EXPECT_EQ(w().palette.lbl7th.BackColor(), c::kSeventhOff);
    ExpectPick("Rest 1/2", s().pctQuaverRest);
    EXPECT_EQ(Loads(), std::vector<std::string>{Clip("rest.swf")});
}

TEST_F(Palette, NotePickedInSoloModeGivesWayToTheRestOnAToggleClick)
{
    PickNoteBy(3, 4);
    ExpectPick("B 3rd String", w().NotePicture(3, 4));
    ChordMode();
    flash->calls.clear();
    ClickAt(w().palette.lbl7th);
    ExpectPick("Rest 1", s().pictureCrotchetRest);
    EXPECT_EQ(Loads(), std::vector<std::string>{Clip("rest.swf")});
}

TEST_F(Palette, RestPicksTheRestOfTheModeSilently)
{
    ClickAt(w().palette.lbl7th);
    ClickAt(w().palette.lblG);
    flash->calls.clear();
    ClickAt(w().palette.lblRest);
    ExpectSelected(&w().palette.lblRest);
    ExpectPick("Rest 1", s().pictureCrotchetRest);
    EXPECT_EQ(w().palette.lbl7th.BackColor(), c::kSelected);

    QuaverEntry();
    ClickAt(w().palette.lblG);
    ClickAt(w().palette.lblRest);
    ExpectPick("Rest 1/2", s().pctQuaverRest);
    EXPECT_EQ(Loads().size(), 2u);  // only the G click sounded
}

TEST_F(Palette, ChordPickDoesNotDependOnTheEntryMode)
{
    QuaverEntry();
    ClickAt(w().palette.lblC);
    ExpectPick("C", w().ChordPicture("C"));
    EXPECT_EQ(w().noteLength.lblQuaver.BackColor(), c::kActive);
}

TEST_F(Palette, NoPaletteClickChangesTheSheet)
{
    const SheetSnapshot before = Snapshot();
    for (const LabelRow& row : kLabels) ClickAt(L(row.label));
    ClickAt(w().palette.lbl7th);
    ClickAt(w().palette.lblRest);
    ClickAt(w().palette.lbl7th);
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(Palette, StringPanelCoversTheChordLabelsInSoloMode)
{
    SoloMode();
    flash->calls.clear();
    for (const LabelRow& row : kLabels) ClickAt(L(row.label));
    ClickAt(w().palette.lbl7th);
    // The clicks land on the panels above the palette (string labels, fret buttons), never on a
    // chord label or the toggle.
    ExpectSelected(&w().palette.lblRest);
    EXPECT_EQ(w().palette.lbl7th.BackColor(), c::kSeventhOff);
    EXPECT_EQ(ChordIndex(Pick().ToolTipText()), -1) << Pick().ToolTipText();
    for (const std::string& load : Loads())
        EXPECT_TRUE(load == Clip("rest.swf") || load.find("String") != std::string::npos) << load;

    // REST lies outside the panels and still answers.
    QuaverEntry();
    ClickAt(w().palette.lblRest);
    ExpectPick("Rest 1/2", s().pctQuaverRest);
}

}  // namespace
}  // namespace strumwell::testing
