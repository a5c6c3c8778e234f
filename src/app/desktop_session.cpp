#include "app/desktop_session.h"

#include <QMessageLogger>
#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace strumwell {

namespace {

constexpr const char* kNeeds = "Strumwell needs a graphical desktop session to show its window, but ";

const char* Variable(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

// The window systems the platforms of QT_QPA_PLATFORM stand for; unset, Qt takes either.
struct WindowSystems {
    bool x11 = false, wayland = false;
    bool other = false;  // a platform that needs neither (offscreen, vnc)
};

WindowSystems Wanted()
{
    const char* platforms = Variable("QT_QPA_PLATFORM");
    if (!platforms) return {true, true, false};
    WindowSystems wanted;
    for (std::string_view rest = platforms; !rest.empty();) {
        const std::size_t end = rest.find(';');
        std::string_view name = rest.substr(0, end);
        name = name.substr(0, name.find(':'));
        if (name == "xcb")
            wanted.x11 = true;
        else if (name.substr(0, 7) == "wayland")
            wanted.wayland = true;
        else if (!name.empty())
            wanted.other = true;
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    if (!wanted.x11 && !wanted.wayland) wanted.other = true;
    return wanted;
}

// What became of each window system Qt wanted: not set, or set and not usable.
std::string WhatFailed(const WindowSystems& wanted)
{
    std::vector<std::string> parts;
    if (wanted.x11) {
        const char* display = Variable("DISPLAY");
        parts.push_back(display ? "the display \"" + std::string(display) + "\" (DISPLAY) did not answer"
                                : std::string("DISPLAY is not set"));
    }
    if (wanted.wayland) {
        const char* display = Variable("WAYLAND_DISPLAY");
        parts.push_back(display ? "the Wayland display \"" + std::string(display) + "\" (WAYLAND_DISPLAY) could not be used"
                                : std::string("WAYLAND_DISPLAY is not set"));
    }
    std::string out;
    for (const std::string& part : parts) out += (out.empty() ? "" : " and ") + part;
    return out;
}

struct HeldMessage {
    QtMsgType type;
    std::string category;
    QString text;
};

QtMessageHandler previousHandler = nullptr;
std::vector<HeldMessage> heldMessages;

void HoldPlatformMessages(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg) {  // no platform could start
        std::fprintf(stderr, "%s%s.\n", kNeeds, WhatFailed(Wanted()).c_str());
        std::fflush(stderr);
        std::_Exit(1);
    }
    if (context.category && std::string_view(context.category).substr(0, 6) == "qt.qpa") {
        heldMessages.push_back({type, context.category, text});
        return;
    }
    previousHandler(type, context, text);
}

}  // namespace

std::optional<std::string> MissingDesktopSession()
{
    const WindowSystems wanted = Wanted();
    if (wanted.other || (wanted.x11 && Variable("DISPLAY")) || (wanted.wayland && Variable("WAYLAND_DISPLAY")))
        return std::nullopt;
    const std::string missing = wanted.x11 && wanted.wayland ? "neither DISPLAY nor WAYLAND_DISPLAY is set"
                                : wanted.x11                 ? "DISPLAY is not set"
                                                             : "WAYLAND_DISPLAY is not set";
    return kNeeds + missing + ".";
}

DisplayAnswerCheck::DisplayAnswerCheck()
{
    if (!Wanted().other) previousHandler = qInstallMessageHandler(HoldPlatformMessages);
}

DisplayAnswerCheck::~DisplayAnswerCheck()
{
    if (!previousHandler) return;
    qInstallMessageHandler(previousHandler);
    previousHandler = nullptr;
    for (const HeldMessage& m : heldMessages) {
        const QMessageLogger logger(nullptr, 0, nullptr, m.category.c_str());
        switch (m.type) {
        case QtDebugMsg: logger.debug("%s", qUtf8Printable(m.text)); break;
        case QtInfoMsg: logger.info("%s", qUtf8Printable(m.text)); break;
        case QtCriticalMsg: logger.critical("%s", qUtf8Printable(m.text)); break;
        default: logger.warning("%s", qUtf8Printable(m.text)); break;
        }
    }
    heldMessages.clear();
}

}  // namespace strumwell
