#pragma once
// The platform services the main window calls, picked once by whoever creates the window: the real
// ones in the program, test doubles in the tests.

namespace platform {

class FlashControl;

struct Services {
    FlashControl* flash = nullptr;
};

}  // namespace platform
