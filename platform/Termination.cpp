#include "platform/Termination.h"

#include <csignal>

namespace platform
{
namespace
{

// Written from the signal handler, so only sig_atomic_t stores are allowed.
volatile std::sig_atomic_t terminationRequested = 0;

// Main-loop side only: whether the current request was already reported.
volatile std::sig_atomic_t terminationNoticed = 0;

extern "C" void OnTerminationSignal(int)
{
    terminationRequested = 1;
}

void Route(int signalNumber, bool keepIgnored)
{
    struct sigaction previous = {};
    if (keepIgnored && sigaction(signalNumber, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
        return;

    struct sigaction action = {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    // Restarting keeps blocking calls elsewhere (network workers) from
    // failing with EINTR; the main loop polls the flag and never blocks.
    action.sa_flags = SA_RESTART;
    sigaction(signalNumber, &action, nullptr);
}

}  // namespace

void InstallTerminationHandlers()
{
    Route(SIGTERM, false);
    Route(SIGINT, true);
    Route(SIGHUP, true);
    // A write to the X server the moment it dies must fail like any other
    // I/O on the lost connection, not kill the process before its shutdown.
    signal(SIGPIPE, SIG_IGN);
}

bool TerminationRequested()
{
    return terminationRequested != 0;
}

bool TakeTerminationNotice()
{
    if (terminationRequested == 0 || terminationNoticed != 0)
        return false;
    terminationNoticed = 1;
    return true;
}

void ClearTerminationRequest()
{
    terminationRequested = 0;
    terminationNoticed = 0;
}

}  // namespace platform
