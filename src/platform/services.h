#pragma once
// The platform services the main window calls, picked once by whoever creates the window: the real
// ones in the program, test doubles in the tests.

namespace platform {

class FlashControl;
class Clock;
class CommonDialog;
class MessageBox;
class SaveQuestion;
class Registry;
class Shell;
class Kernel;
class Gdi;
class Printer;

struct Services {
    FlashControl* flash = nullptr;
    Clock* clock = nullptr;  // the step timer's clock; none: the machine's (platform::RealClock)
    // Song files and desktop. None given: no dialog answers, no message shows, nothing is
    // registered or opened, and Sleep returns at once.
    CommonDialog* saveDialog = nullptr;  // the save dialog, CommonDialog2
    CommonDialog* openDialog = nullptr;  // the open dialog, CommonDialog3
    MessageBox* messageBox = nullptr;
    // Asked before the window closes over unsaved work. None given: the window closes unasked.
    SaveQuestion* saveQuestion = nullptr;
    Registry* registry = nullptr;
    Shell* shell = nullptr;
    Kernel* kernel = nullptr;
    // Printing: the screen's device layer for window captures and the default printer. None
    // given: the print button captures and prints nothing.
    Gdi* gdi = nullptr;
    Printer* printer = nullptr;
};

}  // namespace platform
