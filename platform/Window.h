#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

union _XEvent;

// The X window the show is drawn into, in the three ways a screensaver is
// run: a full-screen (or plain) window of its own, a child filling another
// program's window (preview), or someone else's window used as it is (the
// daemon's window or the root). Input and close requests come out of
// PumpWindowEvents as small events in the numbering the engine expects.
namespace platform
{

// One input or lifetime event, in the order X delivered it.
struct WindowEvent
{
    enum class Type
    {
        Close,       // the window manager, a signal or the window's destruction ends the show
        KeyDown,
        KeyUp,
        MouseMove,
        ButtonDown,
        ButtonUp,
    };

    Type type = Type::Close;
    int32_t code = 0;  // keys: Windows virtual-key number 0..255 (0 = unknown); buttons: 0 left, 1 right, 2 middle
    int32_t x = 0;     // pointer position in the window for MouseMove, else 0
    int32_t y = 0;
};

// How to obtain the window; parent and drawIntoParent pick the case.
struct WindowDesc
{
    std::string title;                // UTF-8, for the window manager
    bool fullScreen = true;           // cover the screen through _NET_WM_STATE_FULLSCREEN
    int x = 0;                        // placement when neither full screen nor embedded
    int y = 0;
    int width = 640;
    int height = 480;
    unsigned long parent = 0;         // X window id: make a child that fills it and follows its size
    bool drawIntoParent = false;      // use `parent` itself (-window-id, -root); it is never destroyed
};

class Window
{
public:
    // construction: null with the reason in *why (may be null) when there
    // is no display, the parent id is not a window, or creation fails.
    // Returns only once an own window is mapped (or a short wait ran out),
    // so the first frame is not lost.
    static std::unique_ptr<Window> Create(const WindowDesc& desc, std::string* why);

    // Destroys only windows this object created; a foreign window just stops
    // sending us events. The display closes with the last window, so the
    // rendering device on it must be gone before.
    ~Window();

    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // native handles, for the device module
    void* NativeDisplay() const;         // Display*, shared by all windows
    unsigned long NativeWindow() const;  // the X window to render into

    // state
    int Width() const { return width; }    // follows ConfigureNotify as events are pumped
    int Height() const { return height; }

    // A blank cursor over the show. Foreign windows keep theirs: the root's
    // cursor belongs to the desktop, the daemon blanks its own.
    void SetCursorVisible(bool visible);

    // False once the window was destroyed from outside, the window manager
    // asked it to close or the display went away; drawing into it
    // afterwards is pointless.
    bool IsAlive() const { return !destroyed && !closeRequested && !displayLost; }

private:
    friend void PumpWindowEvents(std::vector<WindowEvent>& out);

    Window() = default;

    // Turns one X event addressed to this window (or to the parent it
    // follows) into zero or more WindowEvents.
    void HandleEvent(const _XEvent& event, std::vector<WindowEvent>& out);

    bool CreateOwnWindow(const WindowDesc& desc, std::string* why);
    bool AdoptForeignWindow(const WindowDesc& desc, std::string* why);
    void WaitUntilMapped();

    void* display = nullptr;             // shared connection, held through DisplayConnection
    unsigned long window = 0;            // drawn into; ours unless foreign
    unsigned long followedParent = 0;    // foreign parent whose size a child follows, else 0
    unsigned long blankCursor = 0;       // created on first hide, freed with the window
    long foreignMaskBefore = 0;          // this connection's mask on the foreign window or followed parent, restored at the end
    unsigned long wmProtocols = 0;       // atoms for recognising the close request
    unsigned long wmDeleteWindow = 0;
    int width = 0;
    int height = 0;
    bool foreign = false;                // someone else's window: never destroy, never restyle
    bool destroyed = false;              // DestroyNotify seen: the id is dead
    bool closeRequested = false;         // WM_DELETE_WINDOW seen
    bool displayLost = false;            // the connection broke: no X call may follow
};

// Drains every X event already received or waiting on the socket (never
// blocks) for all live windows, in order. WM_DELETE_WINDOW, the destruction
// of a window and the loss of the display give Close; a termination signal
// (see Termination.h) gives one Close per request, even with no window.
// Windows are created, pumped and destroyed on one thread (the main loop's).
void PumpWindowEvents(std::vector<WindowEvent>& out);

// display queries: each opens the connection for the call when no window
// holds it.

// $DISPLAY is set and the server accepts a connection.
bool DisplayAvailable();

// The default screen's size and depth; false without a display.
bool GetDesktopSize(int& width, int& height, int& depth);

// The window -root means: the virtual root a window manager marks with
// __SWM_VROOT on a child of the root, else the real root; 0 without a display.
unsigned long ResolveRootWindow();

}  // namespace platform
