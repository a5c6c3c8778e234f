// The token vocabulary and its pictures.

#include "support/expected_tables.h"
#include "support/window_fixture.h"

#include "sheet/tokens.h"

namespace strumwell::testing {
namespace {

class Tokens : public WindowTest {};

TEST_F(Tokens, EveryStringAndFretHasOneTokenAndOnePicture)
{
    for (int n = 1; n <= 6; ++n) {
        for (int f = 0; f <= 12; ++f) {
            const std::string expected = kNoteTokens[static_cast<std::size_t>(n - 1)][static_cast<std::size_t>(f)];
            SCOPED_TRACE(expected);
            EXPECT_EQ(NoteToken(n, f), expected);
            const PictureBox& ref = w().NotePicture(n, f);
            EXPECT_EQ(ref.ToolTipText(), expected);
            ASSERT_NE(w().CellSymbol(expected), nullptr);
            EXPECT_EQ(*w().CellSymbol(expected), ref.GetPicture());
            const auto parsed = ParseNoteToken(expected);
            ASSERT_TRUE(parsed);
            EXPECT_EQ(parsed->string, n);
            EXPECT_EQ(parsed->fret, f);
        }
    }
}

TEST_F(Tokens, FretCaptionsOfEveryString)
{
    for (int n = 1; n <= 6; ++n)
        for (int f = 0; f <= 12; ++f)
            EXPECT_EQ(FretCaption(n, f), kFretCaptions[static_cast<std::size_t>(f)][static_cast<std::size_t>(n - 1)])
                << "string " << n << " fret " << f;
}

TEST_F(Tokens, CellAndChordNameColumns)
{
    const auto& s = w().symbols;
    struct Row {
        std::string token;
        const PictureBox* cell;      // nullptr: no cell symbol
        const PictureBox* chordName; // nullptr: chord name untouched
    };
    const std::vector<Row> rows{
        {"", &s.pctBlank, &s.pctEmpty},
        {"Rest 1", &s.pictureCrotchetRest, &s.pctEmpty},
        {"Rest 1/2", &s.pctQuaverRest, &s.pctEmpty},
        {"Am7", &s.pctChord[11], &s.pctChordName[11]},
        {"F", &s.pctChord[8], &s.pctChordName[8]},
        {"C# 6th String", &w().NotePicture(6, 9), nullptr},
        {"Top E 1st String", &w().NotePicture(1, 12), nullptr},
        {" ", nullptr, &s.pctEmpty},
        {"tab", nullptr, &s.pctEmpty},
        {"Tab", nullptr, nullptr},
        {"g", nullptr, nullptr},
        {"G ", nullptr, nullptr},
        {" G", nullptr, nullptr},
        {"rest 1", nullptr, nullptr},
        {"c# 6th String", nullptr, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE('"' + row.token + '"');
        const Picture* cell = w().CellSymbol(row.token);
        if (row.cell) {
            ASSERT_NE(cell, nullptr);
            EXPECT_EQ(*cell, row.cell->GetPicture());
        } else {
            EXPECT_EQ(cell, nullptr);
        }
        const Picture* name = w().ChordNameSymbol(row.token);
        if (row.chordName) {
            ASSERT_NE(name, nullptr);
            EXPECT_EQ(*name, row.chordName->GetPicture());
        } else {
            EXPECT_EQ(name, nullptr);
        }
    }
    for (std::size_t i = 0; i < kChordTokens.size(); ++i) {
        const std::string token(kChordTokens[i]);
        EXPECT_EQ(s.pctChord[i].Name(), "pct" + token + "chord");
        EXPECT_EQ(s.pctChordName[i].Name(), "pctChordName" + token);
    }
}

TEST_F(Tokens, SymbolIdentityIsByHandleNotPixels)
{
    const Picture& rest = w().symbols.pictureCrotchetRest.GetPicture();
    const Picture copy(*rest.Image());  // the same pixels, another picture
    EXPECT_FALSE(Strumwellfrm::SameSymbol(copy, rest));
    EXPECT_TRUE(Strumwellfrm::SameSymbol(w().sheet.imgRest[1].GetPicture(), rest));
    // A slot never given a picture shows the empty symbol.
    EXPECT_EQ(w().sheet.imgNoteRhythm[5].GetPicture().Handle(), 0u);
    EXPECT_TRUE(Strumwellfrm::SameSymbol(w().sheet.imgNoteRhythm[5].GetPicture(),
                                         w().symbols.pctEmpty.GetPicture()));
    // The design's pick holds a picture of its own until start-up shares the rest symbol.
    Strumwellfrm fresh(services, "", kClips);
    EXPECT_FALSE(Strumwellfrm::SameSymbol(fresh.palette.imgClickedChord.GetPicture(),
                                          fresh.symbols.pictureCrotchetRest.GetPicture()));
    // Only the note pictures carry a design tooltip.
    EXPECT_EQ(w().symbols.pctChord[0].ToolTipText(), "");
    EXPECT_EQ(w().symbols.pictureCrotchetRest.ToolTipText(), "");
}

}  // namespace
}  // namespace strumwell::testing
