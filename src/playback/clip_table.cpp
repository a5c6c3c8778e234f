#include "playback/clip_table.h"

#include <algorithm>

#include "platform/flash/flash_control.h"
#include "sheet/strumwellfrm.h"
#include "sheet/tokens.h"

namespace strumwell {

namespace clips {

namespace {

std::vector<ClipRow> BuildClipTable()
{
    const std::string rest(kRestClip);
    std::vector<ClipRow> rows;
    for (int c = 0; c < static_cast<int>(kChordTokens.size()); ++c) {
        const std::string_view chord = kChordTokens[static_cast<std::size_t>(c)];
        rows.push_back({std::string(chord), {rest, ChordClip(chord)}, ShownItem::Chord, c});
    }
    rows.push_back({std::string(kCrotchetRestToken), {rest}, ShownItem::CrotchetRest});
    rows.push_back({std::string(kQuaverRestToken), {rest}, ShownItem::QuaverRest});
    rows.push_back({"Tab", {rest}, ShownItem::Blank});
    for (int n = 1; n <= kStrings; ++n)
        for (int f = 0; f < kFrets; ++f)
            rows.push_back({NoteToken(n, f), {rest, NoteClip(n, f)}, ShownItem::Note, -1, n, f});
    return rows;
}

}  // namespace

const std::vector<ClipRow>& ClipTable()
{
    static const std::vector<ClipRow> table = BuildClipTable();
    return table;
}

const ClipRow* FindClipRow(std::string_view token)
{
    const auto& table = ClipTable();
    const auto row = std::find_if(table.begin(), table.end(), [token](const ClipRow& r) { return r.token == token; });
    return row == table.end() ? nullptr : &*row;
}

}  // namespace clips

namespace {

const PictureBox& ShownSymbol(const Strumwellfrm& w, const clips::ClipRow& row)
{
    switch (row.shown) {
    case clips::ShownItem::Chord: return w.symbols.pctChord.at(static_cast<std::size_t>(row.chord));
    case clips::ShownItem::CrotchetRest: return w.symbols.pictureCrotchetRest;
    case clips::ShownItem::QuaverRest: return w.symbols.pctQuaverRest;
    case clips::ShownItem::Note: return w.NotePicture(row.string, row.fret);
    case clips::ShownItem::Blank: break;
    }
    return w.symbols.pctBlank;
}

}  // namespace

// The pick box shows the item being played while its token stays that of the pick.
void Strumwellfrm::PlayCellClips()
{
    const clips::ClipRow* row = clips::FindClipRow(sheet.imgRest[PlayPosition].ToolTipText());
    if (!row) return;  // nothing loaded: what an earlier cell started sounds on
    for (const std::string& clip : row->clips) LoadClip(clip);
    ShowSymbol(palette.imgClickedChord, ShownSymbol(*this, *row));
}

void Strumwellfrm::LoadWorksongClip()
{
    swfFlashScreen.LoadMovie(0, clips::WorksongClipPath(clipFolder_));
}

}  // namespace strumwell
