#pragma once
// The real window with songs handed to its renderers the way the song readers hand them over:
// tokens into the load buffer, the page count into its label, then the trigger box to 1.

#include "support/window_fixture.h"

#include <string>
#include <vector>

namespace strumwell::testing {

class RenderTest : public WindowTest {
protected:
    using Page = std::vector<std::string>;  // up to 32 tokens, cell 1 first

    // Fills buffer elements of page p (1..3) from `tokens`; cells past its end are left as they are.
    void Fill(int page, const Page& tokens)
    {
        for (std::size_t i = 0; i < tokens.size(); ++i)
            w().songFiles.Text1[32 * (page - 1) + 1 + static_cast<int>(i)].SetText(tokens[i]);
    }

    // A song of the three-page layout: pages 1.. from `pages`, count as the reader wrote it.
    void Render(const std::vector<Page>& pages, const std::string& count)
    {
        for (std::size_t p = 0; p < pages.size(); ++p) Fill(static_cast<int>(p) + 1, pages[p]);
        w().tabs.lblTotalPages.SetCaption(count);
        w().songFiles.chkOpen.SetValue(1);
    }

    // A first-edition song: beat b's token into element 2b-1.
    void RenderFirstEdition(const std::vector<std::string>& beats)
    {
        for (std::size_t b = 0; b < beats.size(); ++b)
            w().songFiles.Text1[2 * static_cast<int>(b) + 1].SetText(beats[b]);
        w().songFiles.CheckOpenVersion2.SetValue(1);
    }

    // An empty page: "Rest 1" on the on-beat cells, "" on the off-beat cells.
    static Page EmptyTokens()
    {
        Page page;
        for (int k = 1; k <= 32; ++k) page.push_back(k % 2 == 1 ? "Rest 1" : "");
        return page;
    }

    // The rows a render writes for page 1 (visible), 2 and 3 (stores).
    RowBinding Rows(int page) { return page == 1 ? w().VisibleRows() : w().StoreRows(page); }

    // Counts the runs of a renderer's handler per change of its trigger box, nested runs included.
    void CountRuns(CheckBox& box, void (Strumwellfrm::*handler)())
    {
        box.OnClick([this, handler] {
            ++runs;
            (w().*handler)();
        });
    }
    int runs = 0;

    // Lets a renderer's handler run only for the reader's 1, not for its own reset to 0: a load
    // then renders once.
    void HoldBackNestedRun(CheckBox& box, void (Strumwellfrm::*handler)())
    {
        box.OnClick([this, &box, handler] {
            if (box.Value() == 1) (w().*handler)();
        });
    }

    // Every widget a render writes, as text, to compare whole sheets: the visible page and the
    // stores (cells, tokens, rhythm, chord names, effective chords), the tabs, the barline and the
    // page state.
    std::string Snapshot()
    {
        std::string out;
        const auto picture = [&](const PictureBox& p) { out += std::to_string(p.GetPicture().Handle()) + ','; };
        for (const RowBinding& rows : {w().VisibleRows(), w().StoreRows(1), w().StoreRows(2), w().StoreRows(3)}) {
            for (int k = 1; k <= 32; ++k) {
                picture((*rows.cells)[k]);
                out += (*rows.cells)[k].ToolTipText() + ',';
                picture((*rows.rhythm)[k]);
                picture((*rows.chordNames)[k]);
                if (rows.effectiveChords) out += (*rows.effectiveChords)[k].Caption() + ',';
            }
            out += '|';
        }
        const auto& t = w().tabs;
        for (const Label* tab : {&t.lblPage1, &t.lblPage2, &t.lblPage3})
            out += std::to_string(tab->BackColor()) + (tab->Enabled() ? "e" : "d") + (tab->Visible() ? "v" : "h");
        picture(w().sheet.imgBarline[3]);
        out += t.lblCurrentPage.Caption() + '/' + t.lblTotalPages.Caption() + (t.Picture3.Visible() ? "v" : "h");
        return out;
    }

    bool Shows(const PictureBox& slot, const PictureBox& reference) const
    {
        return Strumwellfrm::SameSymbol(slot.GetPicture(), reference.GetPicture());
    }

    // True when the rows hold the empty page (cells, chord names, rhythm marks).
    bool IsEmptyPage(const RowBinding& rows)
    {
        const auto& s = w().symbols;
        for (int k = 1; k <= 32; ++k) {
            const bool onBeat = k % 2 == 1;
            const PictureBox& cell = (*rows.cells)[k];
            if (!Shows(cell, onBeat ? s.pictureCrotchetRest : s.pctBlank)) return false;
            if (cell.ToolTipText() != (onBeat ? "Rest 1" : "")) return false;
            if (!Shows((*rows.chordNames)[k], s.pctEmpty) || !Shows((*rows.rhythm)[k], s.pctEmpty))
                return false;
        }
        return true;
    }
};

}  // namespace strumwell::testing
