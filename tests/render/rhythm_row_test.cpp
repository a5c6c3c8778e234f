// The rhythm row of a loaded song, beat by beat from its two tokens, on all three pages a render
// draws.

#include "render/render_fixture.h"

namespace strumwell::testing {
namespace {

enum class Mark { Empty, Crotchet, Quaver1, Quaver2, Tail };

class RhythmRow : public RenderTest {
protected:
    const PictureBox& Reference(Mark m)
    {
        const auto& s = w().symbols;
        switch (m) {
        case Mark::Crotchet: return s.pctCrotchetBlue;
        case Mark::Quaver1: return s.pctQuaver1Blue;
        case Mark::Quaver2: return s.pctQuaver2Blue;
        case Mark::Tail: return s.pctQuaverTailBlue;
        case Mark::Empty: break;
        }
        return s.pctEmpty;
    }

    void ExpectMarks(int page, int cell, Mark expected)
    {
        const PictureBox& slot = (*Rows(page).rhythm)[cell];
        EXPECT_TRUE(Shows(slot, Reference(expected)))
            << "page " << page << " cell " << cell << " expected mark " << static_cast<int>(expected);
    }
};

// The token classes: blank, crotchet rest, quaver rest, and sounding (any other text).
enum Class { kBlank, kRest, kHalfRest, kSounding };

struct BeatCase {
    Class on, off;
    Mark onMark, offMark;
};

// The result of every pair of classes: 16 cases, exactly one page of beats.
constexpr std::array<BeatCase, 16> kBeats{{
    {kBlank, kBlank, Mark::Crotchet, Mark::Empty},
    {kBlank, kRest, Mark::Quaver1, Mark::Quaver2},
    {kBlank, kHalfRest, Mark::Tail, Mark::Empty},
    {kBlank, kSounding, Mark::Quaver1, Mark::Quaver2},
    {kRest, kBlank, Mark::Empty, Mark::Empty},
    {kRest, kRest, Mark::Empty, Mark::Quaver2},
    {kRest, kHalfRest, Mark::Empty, Mark::Empty},
    {kRest, kSounding, Mark::Empty, Mark::Quaver2},
    {kHalfRest, kBlank, Mark::Empty, Mark::Tail},
    {kHalfRest, kRest, Mark::Empty, Mark::Tail},
    {kHalfRest, kHalfRest, Mark::Empty, Mark::Empty},
    {kHalfRest, kSounding, Mark::Empty, Mark::Tail},
    {kSounding, kBlank, Mark::Crotchet, Mark::Empty},
    {kSounding, kRest, Mark::Quaver1, Mark::Quaver2},
    {kSounding, kHalfRest, Mark::Tail, Mark::Empty},
    {kSounding, kSounding, Mark::Quaver1, Mark::Quaver2},
}};

// Beat b of every page is case b; each page sounds with texts of another kind: chords and notes,
// texts without a symbol, and near-misses of the rest tokens.
TEST_F(RhythmRow, EveryPairOfTokenClassesOnEveryPage)
{
    const std::array<std::array<std::string, 2>, 3> sounding{{
        {"G", "E 2nd String"}, {"Text1", "tab"}, {"Rest 1 ", "rest 1/2"}}};
    std::vector<Page> pages;
    for (std::size_t p = 0; p < 3; ++p) {
        Page page;
        for (const BeatCase& beat : kBeats)
            for (std::size_t side = 0; side < 2; ++side) {
                const Class c = side == 0 ? beat.on : beat.off;
                page.push_back(c == kBlank ? "" : c == kRest ? "Rest 1" : c == kHalfRest ? "Rest 1/2"
                                                                                         : sounding[p][side]);
            }
        pages.push_back(page);
    }
    Render(pages, "3");
    for (int page = 1; page <= 3; ++page)
        for (int b = 1; b <= 16; ++b) {
            SCOPED_TRACE("beat " + std::to_string(b));
            ExpectMarks(page, 2 * b - 1, kBeats[static_cast<std::size_t>(b - 1)].onMark);
            ExpectMarks(page, 2 * b, kBeats[static_cast<std::size_t>(b - 1)].offMark);
        }
}

TEST_F(RhythmRow, EmptyPageHasNoMarksAndMarksOfAnEarlierSongGo)
{
    Render({Page(32, "Text1"), Page(32, "Text1")}, "2");
    ExpectMarks(2, 1, Mark::Quaver1);
    Render({EmptyTokens(), EmptyTokens()}, "2");
    for (int page = 1; page <= 3; ++page)
        for (int k = 1; k <= 32; ++k) ExpectMarks(page, k, Mark::Empty);
}

TEST_F(RhythmRow, StoreOfPageThreeIsDerivedOnlyForThreePages)
{
    Render({EmptyTokens(), EmptyTokens(), Page(32, "C")}, "2");
    for (int k = 1; k <= 32; ++k) ExpectMarks(3, k, Mark::Empty);
}

TEST_F(RhythmRow, MarksOnTheVisiblePageLeaveTheirTooltipsAlone)
{
    w().sheet.imgNoteRhythm[1].SetToolTipText("1/2 count");
    Render({{"C", "G"}}, "1");
    EXPECT_EQ(w().sheet.imgNoteRhythm[1].ToolTipText(), "1/2 count");
    EXPECT_EQ(w().sheet.imgNoteRhythm[2].ToolTipText(), "");
}

}  // namespace
}  // namespace strumwell::testing
