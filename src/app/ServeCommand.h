#pragma once
// `orvelle --serve [--port N]`: the desktop's sync without a window, for a computer that
// keeps the library for its handhelds (and for tests). It listens (port 5000 unless told
// otherwise), announces itself when a discovery daemon runs, and serves one sync after
// another for the users in the settings store: a new handheld gets a user as on the
// desktop, and a handheld of another user makes that user current.
//
// Standard output gets one line per session: device name, device ID, mode and "ok" or
// what failed, separated by tabs. Status texts and messages go to standard error.
// SIGINT or SIGTERM ends it: a running session fails at once (its backup is restored)
// and the program exits with 0.

// argv: the program's whole command line, "--serve" at argv[1]. Returns the exit status:
// 0 after a signal, 2 for a bad command line, 1 when the port cannot be bound.
int RunServeCommand(int& argc, char** argv);
