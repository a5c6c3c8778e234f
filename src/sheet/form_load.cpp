// Start-up: runs once, before the window is first shown, and pumps no events. What the user must
// be told about a song on the command line is told once the window is on screen.

#include "sheet/strumwellfrm.h"

#include "platform/comdlg/common_dialog.h"
#include "sheet/clip_names.h"
#include "sheet/numbers.h"
#include "sheet/state_colours.h"
#include "sheet/tokens.h"

#include <vector>

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

// Stands in for the window's message box while the command-line song is read, and keeps what it
// would have said. A message box runs an event loop, and nothing may run inside the start-up:
// playback's timer would tick behind it.
class HeldMessages final : public platform::MessageBox {
public:
    explicit HeldMessages(platform::MessageBox*& box) : box_(box), real_(box) { box_ = this; }
    ~HeldMessages() override { box_ = real_; }
    HeldMessages(const HeldMessages&) = delete;
    HeldMessages& operator=(const HeldMessages&) = delete;

    void Show(const std::string& text) override { texts_.push_back(text); }

    // The held messages, shown by the real box over the window once it is on screen.
    void ShowOnceShown(forms::Form& window)
    {
        if (!real_ || texts_.empty()) return;
        window.AfterShown([box = real_, texts = texts_] {
            for (const std::string& text : texts) box->Show(text);
        });
    }

private:
    platform::MessageBox*& box_;
    platform::MessageBox* real_;
    std::vector<std::string> texts_;
};
}  // namespace

void Strumwellfrm::Form_Load()
{
    if (!Command().empty()) {
        HeldMessages held(services.messageBox);
        songFiles.chkOpenAuto.SetValue(1);
        held.ShowOnceShown(*this);
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
