#pragma once
// The real window with helpers to put content on a page directly (picture and token) and to take
// a snapshot of a page for comparison.

#include "support/window_fixture.h"

#include <QLineEdit>

#include <array>
#include <cstdint>
#include <ostream>
#include <string>

namespace strumwell::testing {

// Everything a page holds: per cell the three picture handles and the token, and the lyrics.
struct PageSnapshot {
    std::array<std::uintptr_t, 33> cell{}, chordName{}, rhythm{};
    std::array<std::string, 33> token;
    std::string lyrics;
    friend bool operator==(const PageSnapshot&, const PageSnapshot&) = default;
};

inline std::ostream& operator<<(std::ostream& out, const PageSnapshot& page)
{
    out << "lyrics \"" << page.lyrics << "\", tokens";
    for (int k = 1; k <= 32; ++k) out << " [" << page.token[static_cast<std::size_t>(k)] << "]";
    return out;
}

class PagesTest : public WindowTest {
protected:
    RowBinding Visible() { return w().VisibleRows(); }
    RowBinding Store(int page) { return w().StoreRows(page); }
    TextBox& StoreLyrics(int page)
    {
        return w().stores.txtLyricsPage.at(static_cast<std::size_t>(page));
    }

    // A cell with the token's own symbol, as cell entry or the renderer leaves it.
    void Put(const RowBinding& rows, int k, const std::string& token)
    {
        const Picture* symbol = w().CellSymbol(token);
        ASSERT_NE(symbol, nullptr) << token;
        (*rows.cells)[k].SetPicture(*symbol);
        (*rows.cells)[k].SetToolTipText(token);
    }
    void PutChordName(const RowBinding& rows, int k, const std::string& chord)
    {
        (*rows.chordNames)[k].SetPicture(*w().ChordNameSymbol(chord));
    }
    void PutRhythm(const RowBinding& rows, int k, const PictureBox& mark)
    {
        (*rows.rhythm)[k].SetPicture(mark.GetPicture());
    }

    // A page with a bit of everything: chords, a note, a quaver rest, chord names, blue and red
    // rhythm marks, and the given lyrics.
    void FillSamplePage(const RowBinding& rows, TextBox& lyrics, const std::string& text)
    {
        Put(rows, 1, "Am7");
        Put(rows, 2, "F# 1st String");
        Put(rows, 3, "Rest 1/2");
        Put(rows, 9, "G");
        Put(rows, 32, "Top E 6th String");
        PutChordName(rows, 1, "Am7");
        PutChordName(rows, 9, "G");
        PutRhythm(rows, 1, w().symbols.pctQuaver1Blue);
        PutRhythm(rows, 2, w().symbols.pctQuaver2red);
        PutRhythm(rows, 9, w().symbols.pctCrotchetRed);
        lyrics.SetText(text);
    }

    PageSnapshot Snapshot(const RowBinding& rows, const TextBox& lyrics)
    {
        PageSnapshot page;
        for (int k = 1; k <= 32; ++k) {
            const auto i = static_cast<std::size_t>(k);
            page.cell[i] = (*rows.cells)[k].GetPicture().Handle();
            page.token[i] = (*rows.cells)[k].ToolTipText();
            page.chordName[i] = (*rows.chordNames)[k].GetPicture().Handle();
            page.rhythm[i] = (*rows.rhythm)[k].GetPicture().Handle();
        }
        page.lyrics = lyrics.Text();
        return page;
    }
    PageSnapshot VisiblePage() { return Snapshot(Visible(), w().sheet.txtLyrics); }
    PageSnapshot StoredPage(int page) { return Snapshot(Store(page), StoreLyrics(page)); }

    // The empty page of a fresh sheet, with the given lyrics.
    PageSnapshot EmptyPage(const std::string& lyrics = "")
    {
        PageSnapshot page;
        for (int k = 1; k <= 32; ++k) {
            const auto i = static_cast<std::size_t>(k);
            page.cell[i] = (k % 2 == 1 ? w().symbols.pictureCrotchetRest : w().symbols.pctBlank)
                               .GetPicture()
                               .Handle();
            page.token[i] = k % 2 == 1 ? "Rest 1" : "";
        }
        page.lyrics = lyrics;
        return page;
    }

    Label& TabLabel(int page)
    {
        return page == 1 ? w().tabs.lblPage1 : page == 2 ? w().tabs.lblPage2 : w().tabs.lblPage3;
    }
    // A real click on the tab of a page.
    void Tab(int page) { ClickAt(TabLabel(page)); }
    // The "Number of pages" menu item for a count.
    void Count(int pages)
    {
        (pages == 1 ? w().menu.numberofpagesone
                    : pages == 2 ? w().menu.numberofpagestwo : w().menu.numberofpagesthree)
            .Click();
    }

    bool RepeatSign()
    {
        return w().sheet.imgBarline[3].GetPicture() == w().symbols.pctBarlineRepeat.GetPicture();
    }
    bool ContinueSign()
    {
        return w().sheet.imgBarline[3].GetPicture() == w().symbols.pctBarlineContinue.GetPicture();
    }

    static QLineEdit* Editor(const TextBox& box) { return box.Widget()->findChild<QLineEdit*>(); }
};

}  // namespace strumwell::testing
