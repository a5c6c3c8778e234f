#pragma once
// Whether there is a desktop session for the window to appear in. Without one Qt would abort the
// program with a message about reinstalling it; the program says plainly what is missing, or
// which display did not answer, in one line, and ends with status 1.

#include <optional>
#include <string>

namespace strumwell {

// What the window system needs and does not find, as a one-line message; nothing when the
// program can start. QT_QPA_PLATFORM may name platforms (";" between them, options after ":"):
// one that needs no desktop variable (offscreen, say) is left to Qt.
std::optional<std::string> MissingDesktopSession();

// Around the QApplication's construction: where no window system named by DISPLAY or
// WAYLAND_DISPLAY can be used (the display does not answer), the program ends with one line
// naming it and status 1, instead of Qt's abort. Qt's own messages about its platform are held
// meanwhile and passed on once the platform has started.
class DisplayAnswerCheck {
public:
    DisplayAnswerCheck();
    ~DisplayAnswerCheck();
    DisplayAnswerCheck(const DisplayAnswerCheck&) = delete;
    DisplayAnswerCheck& operator=(const DisplayAnswerCheck&) = delete;
};

}  // namespace strumwell
