// Solo mode: the panels over the chord palette, the string labels with their fret captions, and
// the fret buttons that pick and sound one note.

#include "editing_fixture.h"

#include "support/expected_tables.h"

#include <vector>

namespace strumwell::testing {
namespace {

class Solo : public EditingTest {
protected:
    const char* ExpectedCaption(int n, int f)
    {
        return kFretCaptions[static_cast<std::size_t>(f)][static_cast<std::size_t>(n - 1)];
    }
    std::string ExpectedClip(int n, int f)
    {
        return Clip(kNoteClips[static_cast<std::size_t>(f)][static_cast<std::size_t>(n - 1)]);
    }
    const char* ExpectedToken(int n, int f)
    {
        return kNoteTokens[static_cast<std::size_t>(n - 1)][static_cast<std::size_t>(f)];
    }
    void ExpectOnlyStringSelected(int n)
    {
        for (int m = 1; m <= 6; ++m) EXPECT_EQ(StringLabel(m).BackColor(), m == n ? c::kChoice : c::kPlain) << m;
    }
    void ExpectOnlyFretSelected(int f)
    {
        for (int g = 0; g <= 12; ++g) EXPECT_EQ(Fret(g).BackColor(), g == f ? c::kChoice : c::kIdle) << g;
    }
};

TEST_F(Solo, EnteringSoloModeShowsThePanelsAndPicksTheRest)
{
    ClickAt(w().palette.lblG);
    flash->calls.clear();
    SoloMode();
    EXPECT_TRUE(w().solo.pctSoloButtons1.Visible());
    EXPECT_EQ(w().solo.pctSoloButtons1.Width(), 2000);
    EXPECT_TRUE(w().solo.pctSoloButtons2.Visible());
    EXPECT_EQ(w().solo.pctSoloButtons2.Width(), 5000);
    EXPECT_EQ(w().palette.lblSolos.BackColor(), c::kChoice);
    EXPECT_EQ(w().palette.lblChords.BackColor(), c::kIdle);
    EXPECT_EQ(w().palette.lblRest.BackColor(), c::kSelected);
    for (Label* chord : {&w().palette.lblA, &w().palette.lblE, &w().palette.lblD, &w().palette.lblG,
                         &w().palette.lblC, &w().palette.lblF})
        EXPECT_EQ(chord->BackColor(), c::kMajorChord) << chord->Name();
    for (Label* chord : {&w().palette.lblAm, &w().palette.lblEm, &w().palette.lblDm, &w().palette.lblBm})
        EXPECT_EQ(chord->BackColor(), c::kMinorChord) << chord->Name();
    ExpectPick("Rest 1", s().pictureCrotchetRest);
    EXPECT_EQ(Loads(), std::vector<std::string>{Clip("rest.swf")});
    EXPECT_EQ(StringLabel(1).BackColor(), c::kChoice);
    for (int f = 0; f <= 12; ++f) {
        EXPECT_EQ(Fret(f).Caption(), ExpectedCaption(1, f));
        EXPECT_EQ(Fret(f).BackColor(), c::kIdle);
    }
}

TEST_F(Solo, EnteringSoloModeInQuaverEntryPicksTheQuaverRest)
{
    QuaverEntry();
    SoloMode();
    ExpectPick("Rest 1/2", s().pctQuaverRest);
}

TEST_F(Solo, StringWithoutFretNamesItsFretsAndSoundsTheOpenString)
{
    SoloMode();
    for (int n : {3, 1, 2, 4, 5, 6}) {
        SCOPED_TRACE(n);
        flash->calls.clear();
        ClickAt(StringLabel(n));
        ExpectOnlyStringSelected(n);
        for (int f = 0; f <= 12; ++f) EXPECT_EQ(Fret(f).Caption(), ExpectedCaption(n, f)) << "fret " << f;
        ExpectPick("Rest 1", s().pictureCrotchetRest);
        EXPECT_EQ(Loads(), std::vector<std::string>{ExpectedClip(n, 0)});
    }
}

TEST_F(Solo, EveryStringAndFretPicksItsNoteAndSoundsIt)
{
    SoloMode();
    for (int n = 1; n <= 6; ++n) {
        ClickAt(StringLabel(n));
        for (int f = 0; f <= 12; ++f) {
            SCOPED_TRACE(ExpectedToken(n, f));
            flash->calls.clear();
            ClickAt(Fret(f));
            ExpectOnlyFretSelected(f);
            ExpectPick(ExpectedToken(n, f), w().NotePicture(n, f));
            EXPECT_EQ(Loads(), (std::vector<std::string>{Clip("rest.swf"), ExpectedClip(n, f)}));
        }
    }
    EXPECT_EQ(w().palette.lblRest.BackColor(), c::kSelected);
}

TEST_F(Solo, StringClickMovesTheSelectedFretToTheNewString)
{
    SoloMode();
    ClickAt(Fret(7));
    flash->calls.clear();
    ClickAt(StringLabel(4));
    ExpectOnlyFretSelected(7);
    ExpectPick("A 4th String", w().NotePicture(4, 7));
    EXPECT_EQ(Loads(), std::vector<std::string>{Clip("4thStringA.swf")});

    ClickAt(Fret(12));
    flash->calls.clear();
    ClickAt(StringLabel(5));
    EXPECT_EQ(Fret(12).Caption(), " A  12");
    ExpectPick("Top A 5th String", w().NotePicture(5, 12));
    EXPECT_EQ(Loads(), std::vector<std::string>{Clip("5thStringTopA.swf")});
}

TEST_F(Solo, FretClickedAgainRepeatsEverything)
{
    SoloMode();
    ClickAt(StringLabel(2));
    ClickAt(Fret(4));
    flash->calls.clear();
    ClickAt(Fret(4));
    ExpectOnlyFretSelected(4);
    ExpectPick("D# 2nd String", w().NotePicture(2, 4));
    EXPECT_EQ(Loads(), (std::vector<std::string>{Clip("rest.swf"), Clip("2ndStringD#.swf")}));
    ClickAt(Fret(5));
    ClickAt(Fret(9));
    ExpectOnlyFretSelected(9);
}

TEST_F(Solo, ChordModeHidesThePanelsAndKeepsTheNote)
{
    ClickAt(w().palette.lbl7th);
    PickNoteBy(6, 2);
    flash->calls.clear();
    ChordMode();
    EXPECT_FALSE(w().solo.pctSoloButtons1.Visible());
    EXPECT_EQ(w().solo.pctSoloButtons1.Width(), 100);
    EXPECT_FALSE(w().solo.pctSoloButtons2.Visible());
    EXPECT_EQ(w().solo.pctSoloButtons2.Width(), 100);
    EXPECT_EQ(w().palette.lblChords.BackColor(), c::kChoice);
    EXPECT_EQ(w().palette.lblSolos.BackColor(), c::kIdle);
    ExpectPick("F# 6th String", w().NotePicture(6, 2));
    EXPECT_EQ(w().palette.lblRest.BackColor(), c::kSelected);
    EXPECT_EQ(w().palette.lbl7th.BackColor(), c::kSelected);
    EXPECT_TRUE(Loads().empty());

    // The string labels went away with their panel.
    ClickAt(StringLabel(3));
    ExpectOnlyStringSelected(6);
}

TEST_F(Solo, ChordsClickInChordModeChangesNothing)
{
    ChordMode();
    EXPECT_FALSE(w().solo.pctSoloButtons1.Visible());
    EXPECT_EQ(w().palette.lblChords.BackColor(), c::kChoice);
    ExpectPick("Rest 1", s().pictureCrotchetRest);
    EXPECT_TRUE(Loads().empty());
}

TEST_F(Solo, StringAndFretSurviveAVisitToChordMode)
{
    PickNoteBy(2, 3);
    ChordMode();
    SoloMode();
    ExpectOnlyStringSelected(2);
    ExpectOnlyFretSelected(3);
    for (int f = 0; f <= 12; ++f) EXPECT_EQ(Fret(f).Caption(), ExpectedCaption(2, f));
    ExpectPick("Rest 1", s().pictureCrotchetRest);
}

TEST_F(Solo, FretPanelLiesAboveTheStringPanel)
{
    SoloMode();
    ClickAt(StringLabel(3));
    // Frets 0 to 5 cross the lower part of the string panel; the clicks still reach them.
    for (int f = 0; f <= 5; ++f) {
        flash->calls.clear();
        ClickAt(Fret(f));
        ExpectPick(ExpectedToken(3, f), w().NotePicture(3, f));
        EXPECT_EQ(Loads().size(), 2u);
    }
}

}  // namespace
}  // namespace strumwell::testing
