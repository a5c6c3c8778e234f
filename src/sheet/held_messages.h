#pragma once
// The window's message box: what the window says goes to the box of its services, except while
// start-up reads the command-line song. A message box runs an event loop, and nothing may run
// inside the start-up (playback's timer would tick behind it), so what the read would say is kept
// and shown over the window once it is on screen.

#include <string>
#include <vector>

#include "platform/comdlg/common_dialog.h"
#include "platform/forms/forms.h"

namespace strumwell {

class HeldMessages final : public platform::MessageBox {
public:
    explicit HeldMessages(platform::MessageBox& box) : box_(box) {}

    void Show(const std::string& text) override;

    // From here on, what the window says is kept...
    void Hold() { holding_ = true; }
    // ...until this call, after which the box shows it over `window` once the window is on screen.
    void ShowHeldOnceShown(forms::Form& window);

private:
    platform::MessageBox& box_;
    bool holding_ = false;
    std::vector<std::string> held_;
};

}  // namespace strumwell
