// Raw mode of the key terminal, as a guard: the saved terminal modes are
// restored on every way out: LeaveRawMode, exit(), the ending signals
// SIGTERM, SIGHUP, SIGQUIT and SIGINT, and the crash signals SIGSEGV, SIGBUS,
// SIGFPE, SIGILL and SIGABRT (after which the signal takes its default
// course, exit status and core dump included). A stop from outside
// (SIGTSTP) restores the modes and stops; on SIGCONT raw mode comes back and
// a continuation is noted, so that the screen is painted anew. A resize
// (SIGWINCH) is noted too. Each note also writes a byte into the wake
// descriptor, so that a thread waiting for keys looks at the notes.
//
// Raw mode: keys one by one, unechoed; CR stays CR; no flow control; Ctrl+C
// and Ctrl+Z are ordinary keys, while Ctrl+\ keeps sending SIGQUIT. The
// Alt modes (VtRenderer::Acquire) are asked for while raw mode is in force
// and handed back with the modes (VtRenderer::Release).
//
// One terminal at a time is in raw mode. The handlers may run on any thread
// while the program enters or leaves raw mode: every use of the descriptors
// (the key terminal's, the screen's, the wake descriptor) by a handler and
// every change of them is under one lock, so that once LeaveRawMode has
// returned no handler touches them and the caller may close them.
#pragma once

namespace console::terminal {

// Saves the modes of `keyFd` and puts it into raw mode; the Alt modes go to
// `screenFd`; the notes wake through `wakeFd` (may be -1). Installs the
// signal handlers and the exit handler the first time. Without a terminal
// on `keyFd` nothing changes and no note is ever made.
void EnterRawMode(int keyFd, int screenFd, int wakeFd);

// Restores the saved modes and forgets the descriptors.
void LeaveRawMode();

// What the signal handlers noted since the last call.
struct NotedEvents {
  bool resized = false;    // SIGWINCH: the size may have changed
  bool continued = false;  // stopped and continued: the screen is to be painted anew
};
NotedEvents TakeNotedEvents();

// The hang-up of the terminal ends the program the way SIGHUP would, with
// the modes restored first.
[[noreturn]] void EndAsHungUp();

}  // namespace console::terminal
