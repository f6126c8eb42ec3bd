#ifndef FLIT_APP_SIGNALQUIT_H
#define FLIT_APP_SIGNALQUIT_H

#include <functional>

// Ends the reader as File > Quit does when it is asked to end by a signal: SIGTERM (a logout or
// a shutdown), SIGHUP (its terminal gone) and SIGINT (Ctrl+C in its terminal).
//
// The signal handler only writes a byte to a pipe that the toolkit's event loop watches; quit
// then runs on the GUI thread, once, when no dialog of the reader is open (the reader's own
// dialogs are cancelled first; a message box of the toolkit's is left to be answered). The
// first of these signals puts all three back to their default action, so that a second one
// ends the reader at once, whatever the GUI thread is doing.
namespace signalQuit {

// Watches for the signals from now on. False (nothing changed) when the pipe cannot be made.
bool install(std::function<void()> quit);
// Stops watching: the signals get their default action again.
void uninstall();

} // namespace signalQuit

#endif
