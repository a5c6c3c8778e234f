// Start-up: runs once, before the window is first shown, and pumps no events.

#include "sheet/strumwellfrm.h"

#include "platform/flash/flash_control.h"
#include "sheet/state_colours.h"
#include "sheet/tokens.h"

#include <charconv>

namespace strumwell {

namespace {
// The design's tempo, also the fallback when the start caption holds no 16-bit whole number
// (only a damaged song file opened from the command line can put such a text there).
constexpr std::int16_t kDefaultNoteLength = 1400;

std::int16_t ToNoteLength(const std::string& caption)
{
    // Leading and trailing blanks are allowed, as in a number typed by hand.
    const auto first = caption.find_first_not_of(' ');
    const auto last = caption.find_last_not_of(' ');
    if (first == std::string::npos) return kDefaultNoteLength;
    std::int16_t value = 0;
    const char* begin = caption.data() + first;
    const char* end = caption.data() + last + 1;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end) return kDefaultNoteLength;
    return value;
}
}  // namespace

void Strumwellfrm::Form_Load()
{
    if (!Command().empty()) songFiles.chkOpenAuto.SetValue(1);
    RegisterSongFileType();
    swfFlashScreen.LoadMovie(0, "C:\\Program Files\\Fretlane\\Strumwell\\rest.swf");
    Timer1.SetEnabled(false);
    NoteLength = ToNoteLength(playState.lblNoteLengthStart.Caption());
    PlayPosition = 1;
    noteLength.lblCrotchet.SetBackColor(colours::kActive);
    palette.lblRest.SetBackColor(colours::kSelected);
    palette.imgClickedChord.SetToolTipText(std::string(kCrotchetRestToken));
    ShowSymbol(palette.imgClickedChord, symbols.pictureCrotchetRest);
}

}  // namespace strumwell
