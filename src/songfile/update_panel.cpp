// The newer-edition panel and the two web links. The program fetches nothing itself: it hands
// the address to the desktop and does not look at the outcome.

#include "songfile/update_panel.h"

#include "platform/kernel/kernel.h"
#include "sheet/strumwellfrm.h"
#include "platform/shell/shell.h"
#include "songfile/song_file_format.h"

namespace strumwell {

namespace {

void OpenWebAddress(Strumwellfrm& w, std::string_view address)
{
    w.services.shell->ShellExecuteA(reinterpret_cast<platform::HWND>(w.Window()), "Open", std::string(address), "",
                                    platform::RunningProgram().Path, platform::SW_SHOWNORMAL);
}

}  // namespace

void songfile::ShowNewerEditionPanel(SongFileWidgets& widgets)
{
    widgets.pctUpdate.SetHeight(kShownPanelHeight);
    widgets.pctUpdate.SetVisible(true);
}

// "Yes, download now.": the panel stays as it is.
void Strumwellfrm::cmdUpdate_Click() { OpenWebAddress(*this, songfile::kDownloadPage); }

// "No, thankyou.": the panel's height stays, ready for the next newer file.
void Strumwellfrm::cmdCloseUpdate_Click() { songFiles.pctUpdate.SetVisible(false); }

// Options > Visit Website.
void Strumwellfrm::WebLink_Click() { OpenWebAddress(*this, songfile::kHomePage); }

}  // namespace strumwell
