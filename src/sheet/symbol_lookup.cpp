// The token tables over the reference pictures: token to cell symbol, token to chord-name symbol,
// string and fret to note picture.

#include "sheet/strumwellfrm.h"
#include "sheet/tokens.h"

namespace strumwell {

const Picture* Strumwellfrm::CellSymbol(const std::string& token) const
{
    if (token == kBlankToken) return &symbols.pctBlank.GetPicture();
    if (token == kCrotchetRestToken) return &symbols.pictureCrotchetRest.GetPicture();
    if (token == kQuaverRestToken) return &symbols.pctQuaverRest.GetPicture();
    if (const int chord = ChordIndex(token); chord >= 0)
        return &symbols.pctChord[static_cast<std::size_t>(chord)].GetPicture();
    if (const auto note = ParseNoteToken(token)) return &NotePicture(note->string, note->fret).GetPicture();
    return nullptr;
}

const Picture* Strumwellfrm::ChordNameSymbol(const std::string& token) const
{
    if (const int chord = ChordIndex(token); chord >= 0)
        return &symbols.pctChordName[static_cast<std::size_t>(chord)].GetPicture();
    if (token == kBlankToken || token == kCrotchetRestToken || token == kQuaverRestToken ||
        token == " " || token == "tab")
        return &symbols.pctEmpty.GetPicture();
    return nullptr;
}

const PictureBox& Strumwellfrm::NotePicture(int string, int fret) const
{
    return symbols.pctString.at(static_cast<std::size_t>(string))[fret];
}

const PictureBox& Strumwellfrm::ChordPicture(const std::string& token) const
{
    return symbols.pctChord.at(static_cast<std::size_t>(ChordIndex(token)));
}

}  // namespace strumwell
