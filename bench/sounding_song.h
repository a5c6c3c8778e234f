#pragma once
// A three-page song in which every cell sounds (chords on the beat, notes off the beat, different
// on each page), put straight into a window for the sound benches.

#include <string>

#include "installed_clips.h"
#include "playback/clip_table.h"
#include "sheet/strumwellfrm.h"
#include "sheet/tokens.h"

namespace bench {

inline constexpr int kSoundingPages = 3;
inline constexpr int kCellsPerPage = 32;

inline std::string SoundingToken(int page, int k)
{
    return k % 2 ? std::string(strumwell::kChordTokens[static_cast<std::size_t>((k / 2 + 5 * page) % 20)])
                 : strumwell::NoteToken(1 + (k / 2 + page) % 6, (k / 2 + 3 * page) % 13);
}

// The clip the cell plays last.
inline std::string SoundingClip(int page, int k)
{
    return bench::InstalledClip(strumwell::clips::FindClipRow(SoundingToken(page, k))->clips.back());
}

// Fills all three pages of `w`, page 1 on show, and sets the tempo.
inline void PutSoundingSong(strumwell::Strumwellfrm& w, int noteLength)
{
    const auto fill = [&](const strumwell::RowBinding& rows, int page) {
        for (int k = 1; k <= kCellsPerPage; ++k) {
            const std::string token = SoundingToken(page, k);
            (*rows.cells)[k].SetPicture(*w.CellSymbol(token));
            (*rows.cells)[k].SetToolTipText(token);
            (*rows.rhythm)[k].SetPicture(w.symbols.pctCrotchetBlue.GetPicture());
        }
    };
    fill(w.VisibleRows(), 1);
    for (int p = 2; p <= kSoundingPages; ++p) fill(w.StoreRows(p), p);
    w.tabs.lblTotalPages.SetCaption(std::to_string(kSoundingPages));
    w.tabs.lblCurrentPage.SetCaption("1");
    w.NoteLength = static_cast<std::int16_t>(noteLength);
}

}  // namespace bench
