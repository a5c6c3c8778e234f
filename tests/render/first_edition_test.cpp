// Rendering a first-edition song: sixteen beats, one token each, drawn as a one-page song.

#include "render/render_fixture.h"

#include "sheet/state_colours.h"

namespace strumwell::testing {
namespace {

class FirstEdition : public RenderTest {};

const std::array<const char*, 20> kChords{"A",  "Am",  "E",  "Em",  "D",  "Dm",  "C",
                                          "G",  "F",   "Bm", "A7",  "Am7", "E7", "Em7",
                                          "D7", "Dm7", "C7", "G7",  "F7",  "Bm7"};

TEST_F(FirstEdition, BeatTokensGiveCellRhythmAndChordName)
{
    const auto& s = w().symbols;
    struct Case {
        std::string text;
        const PictureBox* picture;
        std::string token;
        const PictureBox* onMark;
        const PictureBox* offMark;
    };
    std::vector<Case> cases{
        {"", &s.pictureCrotchetRest, "Rest 1", &s.pctEmpty, &s.pctEmpty},
        {"Rest 1/2", &s.pctQuaverRest, "Rest 1/2", &s.pctEmpty, &s.pctQuaverTailBlue},
    };
    for (const char* other : {"Rest 1", "E 1st String", "Top E 6th String", "Text1", "am", "dm7", "A ",
                              " ", "tab", "Tab", "rest 1/2"})
        cases.push_back({other, &s.pictureCrotchetRest, "Rest 1", &s.pctEmpty, &s.pctEmpty});
    for (std::size_t i = 0; i < kChords.size(); ++i)
        cases.push_back({kChords[i], &s.pctChord[i], kChords[i], &s.pctCrotchetBlue, &s.pctEmpty});

    // Each chord follows a rest, so it always shows its name; sixteen beats a song.
    for (std::size_t first = 0; first < cases.size(); first += 8) {
        std::vector<std::string> beats;
        for (std::size_t i = first; i < first + 8; ++i) {
            beats.push_back(i < cases.size() ? cases[i].text : "");
            beats.push_back("Rest 1");
        }
        RenderFirstEdition(beats);
        for (std::size_t i = first; i < std::min(first + 8, cases.size()); ++i) {
            const Case& c = cases[i];
            SCOPED_TRACE('"' + c.text + '"');
            const int on = 4 * static_cast<int>(i - first) + 1;
            EXPECT_TRUE(Shows(w().sheet.imgRest[on], *c.picture));
            EXPECT_EQ(w().sheet.imgRest[on].ToolTipText(), c.token);
            EXPECT_TRUE(Shows(w().sheet.imgRest[on + 1], s.pctBlank));
            EXPECT_EQ(w().sheet.imgRest[on + 1].ToolTipText(), "");
            EXPECT_TRUE(Shows(w().sheet.imgNoteRhythm[on], *c.onMark));
            EXPECT_TRUE(Shows(w().sheet.imgNoteRhythm[on + 1], *c.offMark));
            const int chord = c.picture == &s.pictureCrotchetRest || c.picture == &s.pctQuaverRest
                                  ? -1
                                  : static_cast<int>(i) - static_cast<int>(cases.size() - kChords.size());
            EXPECT_TRUE(Shows(w().sheet.imgChordName[on],
                              chord < 0 ? s.pctEmpty : s.pctChordName[static_cast<std::size_t>(chord)]));
        }
    }
}

TEST_F(FirstEdition, SixteenEmptyBeatsGiveAnEmptyPage)
{
    RenderFirstEdition(std::vector<std::string>(16, ""));
    EXPECT_TRUE(IsEmptyPage(w().VisibleRows()));
}

TEST_F(FirstEdition, ChordNamesFollowTheSheetsRule)
{
    RenderFirstEdition({"A", "", "A", "D"});
    const auto& s = w().symbols;
    for (int k = 1; k <= 8; ++k)
        EXPECT_TRUE(Shows(w().sheet.imgChordName[k],
                          k == 1 ? s.pctChordName[0] : k == 7 ? s.pctChordName[4] : s.pctEmpty))
            << k;
    EXPECT_EQ(w().sheet.lblChordNameCheck[4].Caption(), "A");
    EXPECT_EQ(w().sheet.lblChordNameCheck[5].Caption(), "A");

    RenderFirstEdition({"", "G"});
    EXPECT_TRUE(Shows(w().sheet.imgChordName[1], s.pctEmpty));
    EXPECT_EQ(w().sheet.lblChordNameCheck[1].Caption(), "Rest 1");
    EXPECT_EQ(w().sheet.lblChordNameCheck[2].Caption(), "Rest 1");
    EXPECT_TRUE(Shows(w().sheet.imgChordName[3], s.pctChordName[7]));
}

TEST_F(FirstEdition, OnlyOddBufferElementsReachTheSheet)
{
    for (int i = 1; i <= 96; ++i) w().songFiles.Text1[i].SetText("G");
    RenderFirstEdition({});
    for (int b = 1; b <= 16; ++b) {
        EXPECT_EQ(w().sheet.imgRest[2 * b - 1].ToolTipText(), "G");
        EXPECT_EQ(w().sheet.imgRest[2 * b].ToolTipText(), "");
        EXPECT_TRUE(Shows(w().sheet.imgRest[2 * b], w().symbols.pctBlank));
    }
    EXPECT_EQ(w().songFiles.Text1[2].Text(), "G");
}

// A one-page song whatever was loaded before: page state, end barline and the hidden pages.
TEST_F(FirstEdition, OnePageSongOverAnEarlierThreePageSong)
{
    for (int p = 1; p <= 3; ++p) w().stores.txtLyricsPage[static_cast<std::size_t>(p)].SetText("words");
    Render({Page(32, "C"), Page(32, "G"), Page(32, "D")}, "3");
    w().tabs.lblCurrentPage.SetCaption("3");
    w().sheet.imgRest[2].SetEnabled(true);

    RenderFirstEdition({"Dm7"});

    const auto& t = w().tabs;
    EXPECT_EQ(t.lblTotalPages.Caption(), "1");
    EXPECT_EQ(t.lblCurrentPage.Caption(), "1");
    EXPECT_FALSE(t.Picture3.Visible());
    EXPECT_EQ(t.lblPage1.BackColor(), colours::kActive);
    EXPECT_FALSE(t.lblPage1.Enabled());
    EXPECT_EQ(t.lblPage2.BackColor(), colours::kPlain);
    EXPECT_TRUE(t.lblPage2.Enabled());
    EXPECT_EQ(t.lblPage3.BackColor(), colours::kPlain);
    EXPECT_TRUE(t.lblPage3.Enabled());
    EXPECT_TRUE(Shows(w().sheet.imgBarline[3], w().symbols.pctBarlineRepeat));
    EXPECT_EQ(w().songFiles.CheckOpenVersion2.Value(), 0);
    EXPECT_EQ(w().sheet.imgRest[1].ToolTipText(), "Dm7");
    EXPECT_TRUE(Shows(w().sheet.imgChordName[1], w().symbols.pctChordName[15]));
    EXPECT_TRUE(w().sheet.imgRest[2].Enabled());
    for (int p = 1; p <= 3; ++p) {
        SCOPED_TRACE(p);
        EXPECT_TRUE(IsEmptyPage(w().StoreRows(p)));
        EXPECT_EQ(w().stores.txtLyricsPage[static_cast<std::size_t>(p)].Text(), "words");
    }
}

// A load runs the renderer twice, the second run nested inside the first one's reset of the
// box; it leaves the whole sheet (stores and page state too) as one run alone does, and so does
// a further run.
TEST_F(FirstEdition, RenderingTwiceEqualsOnce)
{
    Render({Page(32, "C"), Page(32, "G"), Page(32, "D")}, "3");  // stores and tabs to be replaced
    const std::vector<std::string> song{"C", "Rest 1/2", "", "C", "G7", "x"};
    HoldBackNestedRun(w().songFiles.CheckOpenVersion2, &Strumwellfrm::CheckOpenVersion2_Click);
    RenderFirstEdition(song);
    const std::string once = Snapshot();

    CountRuns(w().songFiles.CheckOpenVersion2, &Strumwellfrm::CheckOpenVersion2_Click);
    RenderFirstEdition(song);
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(w().songFiles.CheckOpenVersion2.Value(), 0);
    EXPECT_EQ(Snapshot(), once);

    RenderFirstEdition(song);
    EXPECT_EQ(runs, 4);
    EXPECT_EQ(Snapshot(), once);

    // One run more, outside any load: it resets the box that is at 0 already, which runs nothing.
    w().CheckOpenVersion2_Click();
    EXPECT_EQ(runs, 4);
    EXPECT_EQ(w().songFiles.CheckOpenVersion2.Value(), 0);
    EXPECT_EQ(Snapshot(), once);
}

}  // namespace
}  // namespace strumwell::testing
