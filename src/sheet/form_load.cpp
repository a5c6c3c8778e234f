// Start-up: runs once, before the window is first shown, and pumps no events. What the user must
// be told about a song on the command line is told once the window is on screen.

#include "sheet/strumwellfrm.h"

#include "sheet/clip_names.h"
#include "sheet/numbers.h"
#include "sheet/state_colours.h"
#include "sheet/tokens.h"

namespace strumwell {

namespace {
// The design's tempo, also the fallback when the start caption holds no number that fits a 16-bit
// whole number (only a damaged song file opened from the command line can put such a text there).
constexpr std::int16_t kDefaultNoteLength = 1400;

// The caption converted as the song files convert a tempo: blanks allowed, rounded to a whole
// number.
std::int16_t ToNoteLength(const std::string& caption)
{
    return ToTempo(caption).value_or(kDefaultNoteLength);
}
}  // namespace

void Strumwellfrm::Form_Load()
{
    if (!Command().empty()) {
        messages_.Hold();
        songFiles.chkOpenAuto.SetValue(1);
        messages_.ShowHeldOnceShown(*this);
    }
    RegisterSongFileType();
    LoadClip(clips::kRestClip);
    Timer1.SetEnabled(false);
    NoteLength = ToNoteLength(playState.lblNoteLengthStart.Caption());
    PlayPosition = 1;
    noteLength.lblCrotchet.SetBackColor(colours::kActive);
    palette.lblRest.SetBackColor(colours::kSelected);
    palette.imgClickedChord.SetToolTipText(std::string(kCrotchetRestToken));
    ShowSymbol(palette.imgClickedChord, symbols.pictureCrotchetRest);
    KeepSongAsItStands();  // the song from the command line, or the empty start
}

}  // namespace strumwell
