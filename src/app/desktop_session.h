#pragma once
// Whether there is a desktop session for the window to appear in. Without one Qt would abort the
// program with a message about reinstalling it; the program says plainly what is missing instead.

#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace strumwell {

// What the window system needs and does not find, as a one-line message; nothing when the
// program can start. QT_QPA_PLATFORM may name platforms (";" between them, options after ":"):
// one that needs no desktop variable (offscreen, say) is left to Qt.
inline std::optional<std::string> MissingDesktopSession()
{
    auto set = [](const char* variable) {
        const char* value = std::getenv(variable);
        return value && *value;
    };
    const bool x11 = set("DISPLAY"), wayland = set("WAYLAND_DISPLAY");
    bool wantsX11 = false, wantsWayland = false;
    const char* platforms = std::getenv("QT_QPA_PLATFORM");
    std::string_view rest = platforms && *platforms ? platforms : "";
    if (rest.empty()) wantsX11 = wantsWayland = true;  // Qt's own choice: either will do
    while (!rest.empty()) {
        const std::size_t end = rest.find(';');
        std::string_view name = rest.substr(0, end);
        name = name.substr(0, name.find(':'));
        if (name == "xcb")
            wantsX11 = true;
        else if (name.substr(0, 7) == "wayland")
            wantsWayland = true;
        else if (!name.empty())
            return std::nullopt;
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    if ((wantsX11 && x11) || (wantsWayland && wayland) || (!wantsX11 && !wantsWayland)) return std::nullopt;
    const std::string missing = wantsX11 && wantsWayland ? "neither DISPLAY nor WAYLAND_DISPLAY is set"
                                : wantsX11               ? "DISPLAY is not set"
                                                         : "WAYLAND_DISPLAY is not set";
    return "Strumwell needs a graphical desktop session to show its window, but " + missing + ".";
}

}  // namespace strumwell
