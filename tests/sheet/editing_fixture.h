#pragma once
// The real window with short names for what editing tests look at: the cells of the visible page,
// their rhythm marks, the pick, and the palette states a test starts from.

#include "support/window_fixture.h"

#include "sheet/state_colours.h"
#include "sheet/tokens.h"

#include <array>
#include <cstdint>
#include <string>

namespace strumwell::testing {

namespace c = colours;

// The blue rhythm marks, by the names the rhythm rules use.
enum class Mark { None, Crotchet, First, Second, Single };

inline const char* MarkName(Mark m)
{
    switch (m) {
    case Mark::None: return "none";
    case Mark::Crotchet: return "crotchet";
    case Mark::First: return "first";
    case Mark::Second: return "second";
    case Mark::Single: return "single";
    }
    return "?";
}

// Everything the visible page holds, to see that a click left it alone.
struct SheetSnapshot {
    std::array<std::uintptr_t, 33> cell{}, rhythm{}, chordName{};
    std::array<std::string, 33> token;
    friend bool operator==(const SheetSnapshot&, const SheetSnapshot&) = default;
};

class EditingTest : public WindowTest {
protected:
    const SymbolLibrary& s() { return w().symbols; }
    PictureBox& Cell(int k) { return w().sheet.imgRest[k]; }
    PictureBox& Rhythm(int k) { return w().sheet.imgNoteRhythm[k]; }
    PictureBox& ChordName(int k) { return w().sheet.imgChordName[k]; }
    PictureBox& Pick() { return w().palette.imgClickedChord; }
    Label& StringLabel(int n) { return w().solo.lblString.at(static_cast<std::size_t>(n)); }
    Label& Fret(int f) { return w().solo.lblNoteName[f]; }

    const PictureBox& MarkPicture(Mark m)
    {
        switch (m) {
        case Mark::Crotchet: return s().pctCrotchetBlue;
        case Mark::First: return s().pctQuaver1Blue;
        case Mark::Second: return s().pctQuaver2Blue;
        case Mark::Single: return s().pctQuaverTailBlue;
        case Mark::None: break;
        }
        return s().pctEmpty;
    }
    Mark MarkOf(int k)
    {
        for (Mark m : {Mark::Crotchet, Mark::First, Mark::Second, Mark::Single})
            if (Strumwellfrm::SameSymbol(Rhythm(k).GetPicture(), MarkPicture(m).GetPicture())) return m;
        return Mark::None;
    }

    // A cell holding a token with its own symbol and the given mark, as entry leaves cells.
    void PutCell(int k, const std::string& token, Mark mark)
    {
        const Picture* symbol = w().CellSymbol(token);
        ASSERT_NE(symbol, nullptr) << token;
        Cell(k).SetPicture(*symbol);
        Cell(k).SetToolTipText(token);
        Rhythm(k).SetPicture(MarkPicture(mark).GetPicture());
    }

    // The cell shows the symbol of its token, shared with the reference picture.
    void ExpectCell(int k, const std::string& token)
    {
        EXPECT_EQ(Cell(k).ToolTipText(), token) << "cell " << k;
        const Picture* symbol = w().CellSymbol(token);
        ASSERT_NE(symbol, nullptr) << token;
        EXPECT_EQ(Cell(k).GetPicture(), *symbol) << "picture of cell " << k;
    }
    void ExpectPick(const std::string& token, const PictureBox& reference)
    {
        EXPECT_EQ(Pick().ToolTipText(), token);
        EXPECT_EQ(Pick().GetPicture(), reference.GetPicture()) << "pick picture for " << token;
    }

    SheetSnapshot Snapshot()
    {
        SheetSnapshot snap;
        for (int k = 1; k <= 32; ++k) {
            const auto i = static_cast<std::size_t>(k);
            snap.cell[i] = Cell(k).GetPicture().Handle();
            snap.rhythm[i] = Rhythm(k).GetPicture().Handle();
            snap.chordName[i] = ChordName(k).GetPicture().Handle();
            snap.token[i] = Cell(k).ToolTipText();
        }
        return snap;
    }

    void QuaverEntry() { ClickAt(w().noteLength.lblQuaver); }
    void CrotchetEntry() { ClickAt(w().noteLength.lblCrotchet); }
    void SoloMode() { ClickAt(w().palette.lblSolos); }
    void ChordMode() { ClickAt(w().palette.lblChords); }
    // Solo mode, string n, fret f: the note becomes the pick.
    void PickNoteBy(int n, int f)
    {
        SoloMode();
        ClickAt(StringLabel(n));
        ClickAt(Fret(f));
    }

    static std::string Clip(const std::string& name) { return kClips + name; }
};

}  // namespace strumwell::testing
