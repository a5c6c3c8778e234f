// The clip table: every token that sounds, the clips a step loads for it and the item it shows,
// row by row through the real stage of the step; and the tokens that have no row.

#include "playback_fixture.h"

#include "playback/clip_table.h"
#include "support/expected_tables.h"

namespace strumwell::testing {
namespace {

struct ExpectedRow {
    std::string token;
    std::vector<std::string> clips;
    const PictureBox* shown;
};

class ClipTable : public PlaybackTest {
protected:
    // The 101 rows written out from the sheet's own tables, in the table's order.
    std::vector<ExpectedRow> ExpectedRows()
    {
        const SymbolLibrary& s = w().symbols;
        static const char* const kChords[20][2] = {
            {"A", "A.swf"},     {"Am", "Am.swf"},   {"E", "E.swf"},     {"Em", "Em.swf"},
            {"D", "D.swf"},     {"Dm", "Dm.swf"},   {"C", "C.swf"},     {"G", "G.swf"},
            {"F", "F.swf"},     {"Bm", "Bm.swf"},   {"A7", "A7.swf"},   {"Am7", "Am7.swf"},
            {"E7", "E7.swf"},   {"Em7", "Em7.swf"}, {"D7", "D7.swf"},   {"Dm7", "Dm7.swf"},
            {"C7", "C7.swf"},   {"G7", "G7.swf"},   {"F7", "F7.swf"},   {"Bm7", "Bm7.swf"}};
        std::vector<ExpectedRow> rows;
        for (const auto& chord : kChords)
            rows.push_back({chord[0], {"rest.swf", chord[1]}, &w().ChordPicture(chord[0])});
        rows.push_back({"Rest 1", {"rest.swf"}, &s.pictureCrotchetRest});
        rows.push_back({"Rest 1/2", {"rest.swf"}, &s.pctQuaverRest});
        rows.push_back({"Tab", {"rest.swf"}, &s.pctBlank});
        for (int n = 1; n <= 6; ++n)
            for (int f = 0; f <= 12; ++f)
                rows.push_back({kNoteTokens[static_cast<std::size_t>(n - 1)][static_cast<std::size_t>(f)],
                                {"rest.swf", kNoteClips[static_cast<std::size_t>(f)][static_cast<std::size_t>(n - 1)]},
                                &w().NotePicture(n, f)});
        return rows;
    }

    // Runs the stage for a token in cell k with the pick box showing something else.
    void PlayToken(int k, const std::string& token)
    {
        Put(k, token);
        w().PlayPosition = static_cast<std::int16_t>(k);
        Strumwellfrm::ShowSymbol(w().palette.imgClickedChord, w().symbols.pctEmpty);
        flash->calls.clear();
        w().PlayCellClips();
    }
};

TEST_F(ClipTable, EveryRowLoadsItsClipsInOrderAndShowsItsItem)
{
    const std::vector<ExpectedRow> expected = ExpectedRows();
    ASSERT_EQ(clips::ClipTable().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const ExpectedRow& row = expected[i];
        SCOPED_TRACE(row.token);
        EXPECT_EQ(clips::ClipTable()[i].token, row.token) << "row " << i;

        w().palette.imgClickedChord.SetToolTipText("G");
        PlayToken(i % 2 == 0 ? 7 : 8, row.token);
        std::vector<std::string> paths;
        for (const auto& clip : row.clips) paths.push_back(Clip(clip));
        EXPECT_EQ(Loads(), paths);
        for (const auto& call : flash->calls) EXPECT_EQ(call.first, 0);
        EXPECT_TRUE(Shows(w().palette.imgClickedChord, *row.shown));
        EXPECT_EQ(w().palette.imgClickedChord.ToolTipText(), "G");  // the pick's token stays
    }
}

TEST_F(ClipTable, TokensWithoutARowLoadNothingAndKeepThePickBoxPicture)
{
    for (const std::string token : {"", " ", "tab", "Text1", "am7", "Rest 1 ", "E 7th String"}) {
        SCOPED_TRACE("[" + token + "]");
        PlayToken(5, token);
        EXPECT_TRUE(Loads().empty());
        EXPECT_TRUE(Shows(w().palette.imgClickedChord, w().symbols.pctEmpty));
    }
}

TEST_F(ClipTable, TheWorksongClipComesFromTheBrandFolder)
{
    w().LoadWorksongClip();
    EXPECT_EQ(Loads(), std::vector<std::string>{"C:\\Program Files\\Fretlane/WorksongMedium.swf"});
}

// A window names its clips in the folder it is given, and the worksong clip in the folder above.
TEST_F(ClipTable, ClipsComeFromTheFolderTheWindowIsGiven)
{
    platform::RecordingFlash recorded;
    platform::Services given;
    given.flash = &recorded;
    Strumwellfrm other(given, "", "D:\\Songs\\Clips\\");
    other.Form_Load();
    other.Show();
    other.palette.lblA.Click();
    other.LoadWorksongClip();
    EXPECT_EQ(recorded.paths(), (std::vector<std::string>{"D:\\Songs\\Clips\\rest.swf", "D:\\Songs\\Clips\\rest.swf",
                                                          "D:\\Songs\\Clips\\A.swf", "D:\\Songs/WorksongMedium.swf"}));
}

}  // namespace
}  // namespace strumwell::testing
