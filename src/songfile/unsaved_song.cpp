// Closing the window over unsaved work. There is no document but the widgets, and handlers change
// them in many ways, so no flag records a change: the song is compared, as Save would write it
// but before the file's code page, with the song last read, written or started with.

#include "platform/comdlg/common_dialog.h"
#include "platform/kernel/quit_signals.h"
#include "sheet/strumwellfrm.h"
#include "songfile/song_file_format.h"

namespace strumwell {

namespace {

std::string SaveQuestionText(const std::string& title)
{
    if (title.empty()) return "Save the changes to this song before closing?";
    return "Save the changes to the song " + songfile::QuotedPiece(title, songfile::kQuotedCharacters) +
           " before closing?";
}

constexpr const char* kSaveQuestionDetail = "If you don't save, your changes will be lost.";

}  // namespace

void Strumwellfrm::KeepSongAsItStands() { keptSong_ = SongAsSaved(); }

bool Strumwellfrm::SongIsKept() const { return SongAsSaved() == keptSong_; }

// A close asked for while the question is open is left to the question. A termination signal
// closes the window at once, also when it comes while the question is open.
void Strumwellfrm::Form_QueryUnload(int& Cancel)
{
    if (askingToSave_) {
        Cancel = platform::EndingOnSignal() ? 0 : 1;
        return;
    }
    if (platform::EndingOnSignal() || SongIsKept()) return;
    askingToSave_ = true;
    const platform::SaveAnswer answer =
        services.saveQuestion->Ask(SaveQuestionText(sheet.txtTitle.Text()), kSaveQuestionDetail);
    askingToSave_ = false;
    if (platform::EndingOnSignal()) return;
    switch (answer) {
    case platform::SaveAnswer::Save:
        Save_Click();
        if (!SongIsKept() && !platform::EndingOnSignal()) Cancel = 1;  // not saved: cancelled or failed
        return;
    case platform::SaveAnswer::DontSave:
        return;
    case platform::SaveAnswer::Cancel:
        Cancel = 1;
        return;
    }
}

}  // namespace strumwell
