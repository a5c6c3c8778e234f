#pragma once
// Ending the program from outside: SIGTERM (kill, a session's logout), SIGINT (Ctrl+C in the
// terminal) and SIGHUP (the terminal closed) close every window and end the event loop, so the
// program ends as after its last window closed, with status 0. The signal is only noted where it
// arrives; it is acted on from the event loop, so a handler that is running (a save, say) runs to
// its end first. Pauses taken meanwhile (a song read's) are cut short, so that end comes soon.
// Unsaved work is not asked about: whoever sends the signal wants the program ended now.

class QCoreApplication;

namespace platform {

// Call once, after the application object exists and before its event loop runs.
void QuitOnTerminationSignals(QCoreApplication& app);

// Blocks the calling thread for `milliseconds`, or less once the program has been asked to end.
void PauseUnlessEnding(unsigned milliseconds);

// True once the event loop has taken such a signal and is closing the windows: they close as
// asked, without asking the user anything.
bool EndingOnSignal();

}  // namespace platform
