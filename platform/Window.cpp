#include "platform/Window.h"

#include "platform/DisplayConnection.h"
#include "platform/KeyMapping.h"
#include "platform/Termination.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

// Xlib's window id type; inside the namespace `Window` is our class.
using XWindow = ::Window;

namespace platform
{
namespace
{

// Windows that can receive events; PumpWindowEvents routes by X window id.
std::vector<Window*> liveWindows;

// The modifier bit NumLock sits on in the current keyboard mapping.
unsigned int numLockMask = 0;

constexpr long kInputMask = KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
constexpr long kButtonMask = ButtonPressMask | ButtonReleaseMask;
constexpr long kOwnWindowMask = kInputMask | StructureNotifyMask;

// Long enough for a window manager to frame and map the window, short enough
// that a session without one does not notice.
constexpr int kMapWaitMilliseconds = 1000;

Display* AsDisplay(void* display)
{
    return static_cast<Display*>(display);
}

std::string WindowIdText(unsigned long id)
{
    char text[32];
    std::snprintf(text, sizeof(text), "0x%lx", id);
    return text;
}

void SetReason(std::string* why, const std::string& text)
{
    if (why)
        *why = text;
}

unsigned int FindNumLockMask(Display* display)
{
    const KeyCode numLock = XKeysymToKeycode(display, XK_Num_Lock);
    XModifierKeymap* map = XGetModifierMapping(display);
    if (!map)
        return 0;
    unsigned int mask = 0;
    for (int modifier = 0; numLock != 0 && modifier < 8 && mask == 0; ++modifier)
    {
        for (int i = 0; i < map->max_keypermod; ++i)
        {
            if (map->modifiermap[modifier * map->max_keypermod + i] == numLock)
            {
                mask = 1u << modifier;
                break;
            }
        }
    }
    XFreeModifiermap(map);
    return mask;
}

// The virtual key of a key event, independent of Shift, CapsLock and the
// active layout group (Windows reports the key, not the character), but
// with NumLock choosing between keypad digits and keypad navigation.
int32_t VirtualKeyOf(const XKeyEvent& key)
{
    XKeyEvent plain = key;
    plain.state &= numLockMask;
    KeySym keysym = NoSymbol;
    char text[8];
    XLookupString(&plain, text, sizeof(text), &keysym, nullptr);
    int32_t code = KeysymToVirtualKey(keysym);

    // A first group that is not Latin (a Cyrillic layout listed first) has
    // no known keysym at level one; the Latin one sits in another column.
    for (int column = 0; code == 0 && column < 8; ++column)
        code = KeysymToVirtualKey(XLookupKeysym(&plain, column));
    return code;
}

int32_t ButtonCode(unsigned int button)
{
    switch (button)
    {
    case Button1: return 0;
    case Button3: return 1;
    case Button2: return 2;
    default:      return -1;  // wheel and extra buttons
    }
}

bool IsAscii(const std::string& text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

void SetTitle(Display* display, XWindow window, const std::string& title)
{
    if (title.empty())
        return;
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    const auto* bytes = reinterpret_cast<const unsigned char*>(title.data());
    const int length = static_cast<int>(title.size());
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), utf8, 8, PropModeReplace, bytes, length);
    // Older window managers only read WM_NAME; plain ASCII is a valid STRING.
    XChangeProperty(display, window, XA_WM_NAME, IsAscii(title) ? XA_STRING : utf8, 8, PropModeReplace, bytes, length);
}

struct WindowIds
{
    XWindow first;
    XWindow second;
};

extern "C" Bool IsEventFor(Display*, XEvent* event, XPointer argument)
{
    const auto* ids = reinterpret_cast<const WindowIds*>(argument);
    const XWindow target = event->xany.window;
    return target != 0 && (target == ids->first || target == ids->second) ? True : False;
}

}  // namespace

std::unique_ptr<Window> Window::Create(const WindowDesc& desc, std::string* why)
{
    if (desc.drawIntoParent && desc.parent == 0)
    {
        SetReason(why, "no window given to draw into");
        return nullptr;
    }
    if (!desc.drawIntoParent && desc.parent == 0 && !desc.fullScreen && (desc.width <= 0 || desc.height <= 0))
    {
        SetReason(why, "window size " + std::to_string(desc.width) + "x" + std::to_string(desc.height) + " is not positive");
        return nullptr;
    }

    Display* display = DisplayConnection::Acquire(why);
    if (!display)
        return nullptr;

    // From here the destructor undoes whatever a failed step left behind.
    std::unique_ptr<Window> result(new Window());
    result->display = display;
    numLockMask = FindNumLockMask(display);

    const bool ready = desc.drawIntoParent ? result->AdoptForeignWindow(desc, why) : result->CreateOwnWindow(desc, why);
    if (!ready)
        return nullptr;

    liveWindows.push_back(result.get());
    return result;
}

bool Window::CreateOwnWindow(const WindowDesc& desc, std::string* why)
{
    Display* x = AsDisplay(display);
    const int screen = DefaultScreen(x);
    XWindow container = RootWindow(x, screen);
    int left = desc.x;
    int top = desc.y;
    int w = desc.width;
    int h = desc.height;

    if (desc.parent != 0)
    {
        XWindowAttributes parentAttributes = {};
        DisplayConnection::BeginErrorTrap();
        const Status found = XGetWindowAttributes(x, desc.parent, &parentAttributes);
        const int error = DisplayConnection::EndErrorTrap();
        if (!found || error != 0)
        {
            SetReason(why, "window " + WindowIdText(desc.parent) + " does not exist");
            return false;
        }
        container = desc.parent;
        left = 0;
        top = 0;
        w = parentAttributes.width;
        h = parentAttributes.height;

        // Add to whatever this connection already selected on the parent,
        // and give it back on the way out.
        const long parentMask = parentAttributes.your_event_mask;
        DisplayConnection::BeginErrorTrap();
        XSelectInput(x, desc.parent, parentMask | StructureNotifyMask);
        if (DisplayConnection::EndErrorTrap() == 0)
        {
            followedParent = desc.parent;
            foreignMaskBefore = parentMask;
        }
    }
    else if (desc.fullScreen)
    {
        left = 0;
        top = 0;
        w = DisplayWidth(x, screen);
        h = DisplayHeight(x, screen);
    }

    XSetWindowAttributes attributes = {};
    attributes.background_pixel = BlackPixel(x, screen);
    attributes.event_mask = kOwnWindowMask;
    DisplayConnection::BeginErrorTrap();
    const XWindow created = XCreateWindow(x, container, left, top, static_cast<unsigned int>(w), static_cast<unsigned int>(h), 0,
                                          CopyFromParent, InputOutput, CopyFromParent, CWBackPixel | CWEventMask, &attributes);
    const int createError = DisplayConnection::EndErrorTrap();
    if (created == 0 || createError != 0)
    {
        SetReason(why, "XCreateWindow failed with X error " + std::to_string(createError));
        return false;
    }
    window = created;
    width = w;
    height = h;

    if (desc.parent == 0)
    {
        wmProtocols = XInternAtom(x, "WM_PROTOCOLS", False);
        wmDeleteWindow = XInternAtom(x, "WM_DELETE_WINDOW", False);
        Atom deleteWindow = wmDeleteWindow;
        XSetWMProtocols(x, window, &deleteWindow, 1);
        SetTitle(x, window, desc.title);

        if (XSizeHints* hints = XAllocSizeHints())
        {
            // USPosition/USSize: the user asked for this place, do not cascade.
            hints->flags = desc.fullScreen ? (PPosition | PSize) : (USPosition | USSize);
            hints->x = left;
            hints->y = top;
            hints->width = w;
            hints->height = h;
            XSetWMNormalHints(x, window, hints);
            XFree(hints);
        }

        // Must be in place before mapping: a window manager reads the
        // initial state once, when it takes the window.
        if (desc.fullScreen)
        {
            Atom state = XInternAtom(x, "_NET_WM_STATE_FULLSCREEN", False);
            XChangeProperty(x, window, XInternAtom(x, "_NET_WM_STATE", False), XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<unsigned char*>(&state), 1);
        }
        XMapRaised(x, window);
    }
    else
    {
        XMapWindow(x, window);
    }

    WaitUntilMapped();

    if (desc.parent == 0 && desc.fullScreen)
    {
        // Without a window manager nobody else gives the show the keyboard.
        // Fails harmlessly when the window is not viewable yet.
        DisplayConnection::BeginErrorTrap();
        XSetInputFocus(x, window, RevertToParent, CurrentTime);
        DisplayConnection::EndErrorTrap();
    }
    return true;
}

bool Window::AdoptForeignWindow(const WindowDesc& desc, std::string* why)
{
    Display* x = AsDisplay(display);
    XWindowAttributes attributes = {};
    DisplayConnection::BeginErrorTrap();
    const Status found = XGetWindowAttributes(x, desc.parent, &attributes);
    const int error = DisplayConnection::EndErrorTrap();
    if (!found || error != 0)
    {
        SetReason(why, "window " + WindowIdText(desc.parent) + " does not exist");
        return false;
    }

    foreign = true;
    window = desc.parent;
    width = attributes.width;
    height = attributes.height;
    foreignMaskBefore = attributes.your_event_mask;

    // Only one client may select button presses on a window; when the owner
    // (a window manager on the root, the daemon) holds them, do without.
    long mask = foreignMaskBefore | kOwnWindowMask;
    DisplayConnection::BeginErrorTrap();
    XSelectInput(x, window, mask);
    int selectError = DisplayConnection::EndErrorTrap();
    if (selectError == BadAccess)
    {
        mask &= ~kButtonMask;
        DisplayConnection::BeginErrorTrap();
        XSelectInput(x, window, mask);
        selectError = DisplayConnection::EndErrorTrap();
    }
    if (selectError != 0)
    {
        SetReason(why, "cannot receive events of window " + WindowIdText(window) + ", X error " + std::to_string(selectError));
        window = 0;
        return false;
    }
    return true;
}

void Window::WaitUntilMapped()
{
    Display* x = AsDisplay(display);
    XFlush(x);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kMapWaitMilliseconds);
    XEvent event;
    while (!XCheckTypedWindowEvent(x, window, MapNotify, &event))
    {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0)
            return;
        pollfd connection = {ConnectionNumber(x), POLLIN, 0};
        poll(&connection, 1, static_cast<int>(std::min<long long>(left, 50)));
    }
}

Window::~Window()
{
    liveWindows.erase(std::remove(liveWindows.begin(), liveWindows.end(), this), liveWindows.end());
    Display* x = AsDisplay(display);
    if (!x)
        return;

    // On a broken connection there is nothing left to undo: the server took
    // the windows and the cursor with it.
    if (!DisplayConnection::Lost())
    {
        // Any of these may name a window that died meanwhile; that is fine.
        DisplayConnection::BeginErrorTrap();
        if (window != 0 && !destroyed)
        {
            if (foreign)
                XSelectInput(x, window, foreignMaskBefore);
            else
                XDestroyWindow(x, window);
        }
        if (followedParent != 0)
            XSelectInput(x, followedParent, foreignMaskBefore);
        if (blankCursor != 0)
            XFreeCursor(x, blankCursor);
        DisplayConnection::EndErrorTrap();

        // Events already queued for these ids belong to nobody now; a window
        // created later must not receive them.
        WindowIds ids = {window, followedParent};
        XEvent event;
        while (XCheckIfEvent(x, &event, IsEventFor, reinterpret_cast<XPointer>(&ids)))
        {
        }
    }

    DisplayConnection::Release();
}

void* Window::NativeDisplay() const
{
    return display;
}

unsigned long Window::NativeWindow() const
{
    return window;
}

void Window::SetCursorVisible(bool visible)
{
    if (foreign || destroyed || window == 0 || DisplayConnection::Lost())
        return;
    Display* x = AsDisplay(display);
    if (visible)
    {
        XUndefineCursor(x, window);
    }
    else
    {
        if (blankCursor == 0)
        {
            // An all-zero mask shows no pixel of the cursor at all.
            const char empty = 0;
            const Pixmap bitmap = XCreateBitmapFromData(x, window, &empty, 1, 1);
            XColor black = {};
            blankCursor = XCreatePixmapCursor(x, bitmap, bitmap, &black, &black, 0, 0);
            XFreePixmap(x, bitmap);
        }
        XDefineCursor(x, window, blankCursor);
    }
    XFlush(x);
}

void Window::HandleEvent(const XEvent& event, std::vector<WindowEvent>& out)
{
    Display* x = AsDisplay(display);

    if (followedParent != 0 && event.xany.window == followedParent && followedParent != window)
    {
        if (event.type == ConfigureNotify && !destroyed)
        {
            XResizeWindow(x, window, static_cast<unsigned int>(std::max(1, event.xconfigure.width)),
                          static_cast<unsigned int>(std::max(1, event.xconfigure.height)));
        }
        else if (event.type == DestroyNotify && event.xdestroywindow.window == followedParent)
        {
            // Our child goes with it and reports its own DestroyNotify.
            followedParent = 0;
        }
        return;
    }

    switch (event.type)
    {
    case KeyPress:
    case KeyRelease:
    {
        WindowEvent key;
        key.type = event.type == KeyPress ? WindowEvent::Type::KeyDown : WindowEvent::Type::KeyUp;
        key.code = VirtualKeyOf(event.xkey);
        out.push_back(key);
        break;
    }
    case ButtonPress:
    case ButtonRelease:
    {
        const int32_t code = ButtonCode(event.xbutton.button);
        if (code < 0)
            break;
        WindowEvent button;
        button.type = event.type == ButtonPress ? WindowEvent::Type::ButtonDown : WindowEvent::Type::ButtonUp;
        button.code = code;
        out.push_back(button);
        break;
    }
    case MotionNotify:
    {
        WindowEvent move;
        move.type = WindowEvent::Type::MouseMove;
        move.x = event.xmotion.x;
        move.y = event.xmotion.y;
        out.push_back(move);
        break;
    }
    case ConfigureNotify:
        if (event.xconfigure.window == window)
        {
            width = event.xconfigure.width;
            height = event.xconfigure.height;
        }
        break;
    case ClientMessage:
        if (event.xclient.message_type == wmProtocols && wmProtocols != 0 && event.xclient.format == 32 &&
            static_cast<unsigned long>(event.xclient.data.l[0]) == wmDeleteWindow && IsAlive())
        {
            closeRequested = true;
            out.push_back(WindowEvent{WindowEvent::Type::Close, 0, 0, 0});
        }
        break;
    case DestroyNotify:
        if (event.xdestroywindow.window == window && !destroyed)
        {
            const bool wasAlive = IsAlive();
            destroyed = true;
            if (wasAlive)
                out.push_back(WindowEvent{WindowEvent::Type::Close, 0, 0, 0});
        }
        break;
    default:
        break;
    }
}

void PumpWindowEvents(std::vector<WindowEvent>& out)
{
    Display* x = DisplayConnection::Current();
    if (x && !liveWindows.empty())
    {
        while (XPending(x) > 0)
        {
            XEvent event;
            XNextEvent(x, &event);
            if (event.type == MappingNotify)
            {
                // Keeps XLookupString in step with a changed keyboard layout.
                XRefreshKeyboardMapping(&event.xmapping);
                numLockMask = FindNumLockMask(x);
                continue;
            }
            for (Window* target : liveWindows)
            {
                if (event.xany.window == target->window || (target->followedParent != 0 && event.xany.window == target->followedParent))
                {
                    target->HandleEvent(event, out);
                    break;
                }
            }
        }
        // XPending (or an earlier call) met the end of the connection: every
        // window still open closes, once.
        if (DisplayConnection::Lost())
        {
            for (Window* target : liveWindows)
            {
                if (target->IsAlive())
                    out.push_back(WindowEvent{WindowEvent::Type::Close, 0, 0, 0});
                target->displayLost = true;
            }
        }
    }
    if (TakeTerminationNotice())
        out.push_back(WindowEvent{WindowEvent::Type::Close, 0, 0, 0});
}

bool DisplayAvailable()
{
    if (!DisplayConnection::Acquire(nullptr))
        return false;
    DisplayConnection::Release();
    return true;
}

bool GetDesktopSize(int& width, int& height, int& depth)
{
    Display* x = DisplayConnection::Acquire(nullptr);
    if (!x)
        return false;
    const int screen = DefaultScreen(x);
    width = DisplayWidth(x, screen);
    height = DisplayHeight(x, screen);
    depth = DefaultDepth(x, screen);
    DisplayConnection::Release();
    return true;
}

unsigned long ResolveRootWindow()
{
    Display* x = DisplayConnection::Acquire(nullptr);
    if (!x)
        return 0;
    const XWindow root = DefaultRootWindow(x);
    XWindow result = root;

    // Without the atom nobody can have set the property.
    const Atom virtualRoot = XInternAtom(x, "__SWM_VROOT", True);
    XWindow rootReturn = 0;
    XWindow parentReturn = 0;
    XWindow* children = nullptr;
    unsigned int childCount = 0;
    DisplayConnection::BeginErrorTrap();
    if (virtualRoot != None && XQueryTree(x, root, &rootReturn, &parentReturn, &children, &childCount))
    {
        for (unsigned int i = 0; i < childCount && result == root; ++i)
        {
            Atom type = None;
            int format = 0;
            unsigned long count = 0;
            unsigned long remaining = 0;
            unsigned char* data = nullptr;
            // A child may vanish between the listing and this request.
            if (XGetWindowProperty(x, children[i], virtualRoot, 0, 1, False, XA_WINDOW, &type, &format, &count, &remaining, &data) == Success &&
                type == XA_WINDOW && format == 32 && count == 1 && data)
            {
                // Format-32 data comes back as longs, whatever their size.
                result = static_cast<XWindow>(*reinterpret_cast<unsigned long*>(data));
            }
            if (data)
                XFree(data);
        }
        if (children)
            XFree(children);
    }
    DisplayConnection::EndErrorTrap();
    DisplayConnection::Release();
    return result;
}

}  // namespace platform
