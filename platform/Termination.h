#pragma once

// Signal-driven shutdown. A screensaver is ended by a signal at any moment
// (the daemon sends SIGTERM, a terminal sends SIGINT or SIGHUP), so the
// handler only raises a flag and the main loop notices it between frames;
// nothing that matters may depend on the handler doing more than that.
namespace platform
{

// Routes SIGTERM, SIGINT and SIGHUP to the flag. SIGINT and SIGHUP that the
// parent process set to be ignored (nohup, background jobs) stay ignored.
// SIGPIPE is ignored: a connection whose peer is gone fails with EPIPE.
// Safe to call more than once.
void InstallTerminationHandlers();

// True from the first termination signal until ClearTerminationRequest.
bool TerminationRequested();

// True exactly once per request, so the window layer can turn a signal into
// a single Close event however many signals arrive.
bool TakeTerminationNotice();

// Forgets a request (tests, and a host that decides to keep running).
void ClearTerminationRequest();

}  // namespace platform
