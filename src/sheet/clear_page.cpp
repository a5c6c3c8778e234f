// Clear Page, the comma filters of the title, author and lyrics boxes, and the spare procedures.

#include <algorithm>

#include "sheet/strumwellfrm.h"
#include "sheet/tokens.h"

namespace strumwell {

namespace {

constexpr int kComma = 44;

// The song file ends a field at a comma, so a comma in one of the three texts would shift every
// later line of the file. A typed comma is cancelled.
void DropComma(int& keyAscii)
{
    if (keyAscii == kComma) keyAscii = 0;
}

}  // namespace

// The page on show becomes an empty page with empty lyrics. Its store keeps the old page until the
// page is next stored; the cells' enabled states (the entry mode) stay as they are.
void Strumwellfrm::clearpage_Click()
{
    FillEmptyPage(VisibleRows());
    sheet.txtLyrics.SetText("");
}

void Strumwellfrm::txtTitle_KeyPress(int& KeyAscii) { DropComma(KeyAscii); }
void Strumwellfrm::txtAuthor_KeyPress(int& KeyAscii) { DropComma(KeyAscii); }
void Strumwellfrm::txtLyrics_KeyPress(int& KeyAscii) { DropComma(KeyAscii); }

std::string Strumwellfrm::WithoutCommas(const std::string& text)
{
    std::string kept = text;
    kept.erase(std::remove(kept.begin(), kept.end(), ','), kept.end());
    return kept;
}

void Strumwellfrm::ToggleChordNames()
{
    if (chkAddChordName.Value() == 1) {
        chkAddChordName.SetValue(0);
        for (int k = 1; k <= 32; ++k) ShowSymbol(sheet.imgChordName[k], symbols.pctEmpty);
        return;
    }
    chkAddChordName.SetValue(1);
    for (int k = 1; k <= 32; ++k) {
        const std::string& token = sheet.imgRest[k].ToolTipText();
        if (const int chord = ChordIndex(token); chord >= 0)
            ShowSymbol(sheet.imgChordName[k],
                       symbols.pctChordName[static_cast<std::size_t>(chord)]);
        else if (token.empty() || token == "tab")
            ShowSymbol(sheet.imgChordName[k], symbols.pctEmpty);
    }
}

void Strumwellfrm::EmptyFormProcedure() {}
void Strumwellfrm::EmptyFormProcedure2() {}

}  // namespace strumwell
