#include "platform/DisplayConnection.h"

#include <X11/Xlib.h>

#include <cstdlib>
#include <mutex>

namespace platform
{
namespace
{

Display* display = nullptr;
int holdCount = 0;
XErrorHandler previousHandler = nullptr;

bool trapActive = false;
int trappedError = 0;
int untrappedErrors = 0;

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
    holdCount = 1;
    return display;
}

void DisplayConnection::Release()
{
    if (holdCount <= 0 || --holdCount > 0)
        return;
    XCloseDisplay(display);
    display = nullptr;
    XSetErrorHandler(previousHandler);
    previousHandler = nullptr;
}

_XDisplay* DisplayConnection::Current()
{
    return display;
}

void DisplayConnection::BeginErrorTrap()
{
    // Earlier requests still in flight must not be blamed on this trap.
    if (display)
        XSync(display, False);
    trapActive = true;
    trappedError = 0;
}

int DisplayConnection::EndErrorTrap()
{
    if (display)
        XSync(display, False);
    trapActive = false;
    return trappedError;
}

int DisplayConnection::UntrappedErrorCount()
{
    return untrappedErrors;
}

}  // namespace platform
