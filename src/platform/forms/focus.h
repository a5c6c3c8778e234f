#pragma once
// Where the keyboard focus goes when the control that has it is hidden or disabled.

class QWidget;

namespace forms::detail {

// Starts following focus changes (once for the program), so that GiveUpFocus knows where the
// focus came from.
void TrackFocus();

// Qt would hand the focus of a widget that goes away to the next one in the tab chain as if the
// user had pressed Tab, which selects the whole text of a text box. It goes back to where it came
// from instead, or to the window.
void GiveUpFocus(QWidget* leaving);

}  // namespace forms::detail
