#pragma once
// The newer-edition panel: shown by the reader when a file names a newer edition, hidden by its
// "No, thankyou." button, left alone by everything else.

namespace strumwell {
struct SongFileWidgets;
}

namespace strumwell::songfile {

inline constexpr int kShownPanelHeight = 1500;  // twips: uncovers both texts and both buttons

void ShowNewerEditionPanel(SongFileWidgets& widgets);

}  // namespace strumwell::songfile
