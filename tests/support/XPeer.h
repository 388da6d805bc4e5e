#pragma once
// gtest before Xlib: Xlib's None macro would rename a gtest type.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

// A second X client for tests: it creates the windows a daemon, a window
// manager or a settings dialog would own, and sends the events a user makes.
namespace xpeer
{

// Opens a connection to $DISPLAY, or null without one. An X server without
// other clients resets when the last one leaves and refuses connections for
// a moment, so a few tries are made; a missing server fails every try at once.
inline Display* Open()
{
    Display* display = nullptr;
    for (int attempt = 0; attempt < 5 && !display && std::getenv("DISPLAY"); ++attempt)
    {
        if (attempt > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        display = XOpenDisplay(nullptr);
    }
    return display;
}

// A mapped top-level window of this client.
inline ::Window MakeWindow(Display* peer, int width, int height, unsigned long background = 0)
{
    const ::Window made = XCreateSimpleWindow(peer, DefaultRootWindow(peer), 0, 0, width, height, 0, 0, background);
    XMapWindow(peer, made);
    XSync(peer, False);
    return made;
}

// The children of a window as the server has them, bottom first.
inline std::vector<::Window> Children(Display* peer, ::Window parent)
{
    ::Window root = 0, up = 0, *children = nullptr;
    unsigned int count = 0;
    std::vector<::Window> result;
    if (XQueryTree(peer, parent, &root, &up, &children, &count) && children)
    {
        result.assign(children, children + count);
        XFree(children);
    }
    return result;
}

inline void SendKey(Display* peer, ::Window target, KeySym keysym, bool press, unsigned int state = 0)
{
    XEvent event = {};
    event.xkey.type = press ? KeyPress : KeyRelease;
    event.xkey.display = peer;
    event.xkey.window = target;
    event.xkey.root = DefaultRootWindow(peer);
    event.xkey.time = CurrentTime;
    event.xkey.same_screen = True;
    event.xkey.keycode = XKeysymToKeycode(peer, keysym);
    event.xkey.state = state;
    XSendEvent(peer, target, False, press ? KeyPressMask : KeyReleaseMask, &event);
    XFlush(peer);
}

inline void SendButton(Display* peer, ::Window target, unsigned int button, bool press)
{
    XEvent event = {};
    event.xbutton.type = press ? ButtonPress : ButtonRelease;
    event.xbutton.display = peer;
    event.xbutton.window = target;
    event.xbutton.root = DefaultRootWindow(peer);
    event.xbutton.same_screen = True;
    event.xbutton.button = button;
    XSendEvent(peer, target, False, press ? ButtonPressMask : ButtonReleaseMask, &event);
    XFlush(peer);
}

inline void SendMotion(Display* peer, ::Window target, int x, int y)
{
    XEvent event = {};
    event.xmotion.type = MotionNotify;
    event.xmotion.display = peer;
    event.xmotion.window = target;
    event.xmotion.root = DefaultRootWindow(peer);
    event.xmotion.same_screen = True;
    event.xmotion.x = x;
    event.xmotion.y = y;
    XSendEvent(peer, target, False, PointerMotionMask, &event);
    XFlush(peer);
}

// What a window manager sends when the user closes a window.
inline void SendDeleteRequest(Display* peer, ::Window target)
{
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = target;
    event.xclient.message_type = XInternAtom(peer, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(peer, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(peer, target, False, NoEventMask, &event);
    XFlush(peer);
}

// Base of test suites that need the second client: one connection for the
// whole suite, and every test skipped when no display is reachable.
class PeerTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { peer = Open(); }

    static void TearDownTestSuite()
    {
        if (peer)
            XCloseDisplay(peer);
        peer = nullptr;
    }

    void SetUp() override
    {
        if (!peer)
            GTEST_SKIP() << "no X display reachable";
    }

    static inline Display* peer = nullptr;
};

} // namespace xpeer
