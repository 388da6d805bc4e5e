#pragma once
#include <string>

struct _XDisplay;

// The process's single X connection, shared by every window and by the
// display queries (internal to platform/). Xlib's error handling is global,
// so this is also where X protocol errors are caught: a foreign window may
// vanish or refuse an event mask at any moment, and the default handler
// would end the process for it.
namespace platform
{

class DisplayConnection
{
public:
    // connection lifetime: counted holds; the first opens $DISPLAY, the
    // last closes it. Anything created on the connection (windows, EGL
    // surfaces) must be gone before the last Release.

    // The open connection, or null with the reason in *why (may be null).
    static _XDisplay* Acquire(std::string* why);

    // Gives up one hold taken by a successful Acquire.
    static void Release();

    // The connection while somebody holds it, else null.
    static _XDisplay* Current();

    // error trapping: requests between Begin and End that fail are recorded
    // instead of reported. Traps do not nest. End waits for the server
    // (XSync), so keep traps around the few requests that may fail.

    static void BeginErrorTrap();

    // The X error code of the first failed request since BeginErrorTrap,
    // 0 when none failed.
    static int EndErrorTrap();

    // Errors that arrived outside a trap (asynchronous failures of requests
    // on windows that died meanwhile); they are dropped, this only counts.
    static int UntrappedErrorCount();

    // losing the server: a killed X server or an ended session must not end
    // the process, or the show could not shut down in order. Xlib's exit
    // after an I/O error is replaced by a flag; from then on Xlib calls on
    // the connection return at once, and nothing may be sent on it again.

    // True from the moment the connection broke until the last Release.
    static bool Lost();
};

}  // namespace platform
