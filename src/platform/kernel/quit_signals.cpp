#include "platform/kernel/quit_signals.h"

#include <QApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace platform {
namespace {

int g_wakeUp[2] = {-1, -1};  // [0] is read by the event loop, [1] written by the signal handler
bool g_ending = false;

void NoteSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_wakeUp[1], &byte, 1);
}

}  // namespace

void QuitOnTerminationSignals(QCoreApplication& app)
{
    if (g_wakeUp[0] >= 0) return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_wakeUp) != 0) return;
    auto* notifier = new QSocketNotifier(g_wakeUp[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [] {
        char bytes[16];
        while (::read(g_wakeUp[0], bytes, sizeof bytes) > 0) {
        }
        // Closing the windows also ends a dialog or message box that is open; quitting then ends
        // every event loop, the main one last.
        g_ending = true;
        QApplication::closeAllWindows();
        QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = NoteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}

void PauseUnlessEnding(unsigned milliseconds)
{
    using Clock = std::chrono::steady_clock;
    if (g_wakeUp[0] < 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        return;
    }
    // A noted signal leaves its byte unread until the event loop takes it, so every pause until
    // then ends at once.
    const auto end = Clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now()).count();
        if (left <= 0) return;
        pollfd wake{g_wakeUp[0], POLLIN, 0};
        const int ready = ::poll(&wake, 1, static_cast<int>(left));
        if (ready > 0 || (ready < 0 && errno != EINTR)) return;
    }
}

bool EndingOnSignal() { return g_ending; }

}  // namespace platform
