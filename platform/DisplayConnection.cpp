#include "platform/DisplayConnection.h"

#include <X11/Xlib.h>

#include <atomic>
#include <cstdlib>
#include <mutex>

namespace platform
{
namespace
{

Display* display = nullptr;
int holdCount = 0;
XErrorHandler previousHandler = nullptr;
XIOErrorHandler previousIOHandler = nullptr;

bool trapActive = false;
int trappedError = 0;
int untrappedErrors = 0;

// Set by Xlib's I/O error handlers, on whichever thread met the error.
std::atomic<bool> connectionLost{false};

extern "C" int RecordXError(Display*, XErrorEvent* error)
{
    if (trapActive)
    {
        if (trappedError == 0)
            trappedError = error->error_code;
    }
    else
    {
        ++untrappedErrors;
    }
    return 0;
}

// Xlib calls the I/O error handler, then the exit handler; both of its
// defaults end the process. Returning from both leaves the display marked
// as broken, so every later Xlib call on it returns without waiting.
extern "C" int NoteIOError(Display* broken)
{
    // The handler is process-wide; other connections keep their old fate.
    if (broken != display)
        return previousIOHandler ? previousIOHandler(broken) : 0;
    connectionLost = true;
    return 0;
}

extern "C" void NoteConnectionLost(Display*, void*)
{
    connectionLost = true;
}

}  // namespace

_XDisplay* DisplayConnection::Acquire(std::string* why)
{
    if (display)
    {
        ++holdCount;
        return display;
    }

    const char* name = std::getenv("DISPLAY");
    if (!name || !*name)
    {
        if (why)
            *why = "DISPLAY is not set";
        return nullptr;
    }

    // The renderer may present from another thread than the one pumping
    // events; Xlib needs its locks before the first connection exists.
    static std::once_flag threadsInitialised;
    std::call_once(threadsInitialised, [] { XInitThreads(); });

    display = XOpenDisplay(name);
    if (!display)
    {
        if (why)
            *why = std::string("cannot open X display \"") + name + "\"";
        return nullptr;
    }
    previousHandler = XSetErrorHandler(RecordXError);
    previousIOHandler = XSetIOErrorHandler(NoteIOError);
    XSetIOErrorExitHandler(display, NoteConnectionLost, nullptr);
    connectionLost = false;
    holdCount = 1;
    return display;
}

void DisplayConnection::Release()
{
    if (holdCount <= 0 || --holdCount > 0)
        return;
    // A broken connection stays as it is: closing it would still queue
    // requests for the server, and its memory goes with the process.
    if (!connectionLost)
        XCloseDisplay(display);
    display = nullptr;
    connectionLost = false;
    XSetErrorHandler(previousHandler);
    previousHandler = nullptr;
    XSetIOErrorHandler(previousIOHandler);
    previousIOHandler = nullptr;
}

_XDisplay* DisplayConnection::Current()
{
    return display;
}

void DisplayConnection::BeginErrorTrap()
{
    // Earlier requests still in flight must not be blamed on this trap.
    if (display && !connectionLost)
        XSync(display, False);
    trapActive = true;
    trappedError = 0;
}

int DisplayConnection::EndErrorTrap()
{
    if (display && !connectionLost)
        XSync(display, False);
    trapActive = false;
    return trappedError;
}

int DisplayConnection::UntrappedErrorCount()
{
    return untrappedErrors;
}

bool DisplayConnection::Lost()
{
    return display && connectionLost;
}

}  // namespace platform
