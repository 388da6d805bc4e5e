#include "platform/Window.h"

#include "platform/DisplayConnection.h"

#include "support/XPeer.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <iterator>

using platform::WindowEvent;

namespace
{

using Type = WindowEvent::Type;

// Windows created and poked by a second client, the way a window manager,
// the daemon or a settings dialog would.
class WindowOnDisplay : public xpeer::PeerTest
{
protected:
    void SetUp() override
    {
        PeerTest::SetUp();
        if (!IsSkipped())
        {
            ASSERT_TRUE(platform::DisplayAvailable());
        }
    }

    std::unique_ptr<platform::Window> Make(const platform::WindowDesc& desc)
    {
        std::string why;
        auto window = platform::Window::Create(desc, &why);
        EXPECT_TRUE(window) << why;
        if (window)
            errorsBefore = platform::DisplayConnection::UntrappedErrorCount();
        return window;
    }

    static platform::WindowDesc Windowed(int width, int height)
    {
        platform::WindowDesc desc;
        desc.fullScreen = false;
        desc.width = width;
        desc.height = height;
        return desc;
    }

    // Pumps until `done` holds, giving the server a bounded time to deliver.
    std::vector<WindowEvent> PumpUntil(platform::Window& window, const std::function<bool(const std::vector<WindowEvent>&)>& done)
    {
        XSync(peer, False);
        std::vector<WindowEvent> events;
        auto* display = static_cast<Display*>(window.NativeDisplay());
        for (int round = 0; round < 200 && !done(events); ++round)
        {
            platform::PumpWindowEvents(events);
            if (done(events))
                break;
            pollfd connection = {ConnectionNumber(display), POLLIN, 0};
            poll(&connection, 1, 10);
        }
        return events;
    }

    std::vector<WindowEvent> PumpCount(platform::Window& window, size_t count)
    {
        return PumpUntil(window, [count](const std::vector<WindowEvent>& events) { return events.size() >= count; });
    }

    // A property's items as the server holds them: 32-bit items widened to
    // longs, 8-bit ones as text; empty when the format is another.
    template <typename T>
    std::vector<T> ReadProperty(::Window window, const char* property, Atom type, int wantedFormat)
    {
        Atom actualType = None;
        int format = 0;
        unsigned long count = 0, remaining = 0;
        unsigned char* data = nullptr;
        std::vector<T> values;
        if (XGetWindowProperty(peer, window, XInternAtom(peer, property, False), 0, 256, False, type, &actualType,
                               &format, &count, &remaining, &data) == Success &&
            data && format == wantedFormat)
            values.assign(reinterpret_cast<const T*>(data), reinterpret_cast<const T*>(data) + count);
        if (data)
            XFree(data);
        return values;
    }

    std::vector<unsigned long> ReadLongs(::Window window, const char* property, Atom type)
    {
        return ReadProperty<unsigned long>(window, property, type, 32);
    }

    std::string ReadText(::Window window, const char* property)
    {
        std::vector<char> text = ReadProperty<char>(window, property, AnyPropertyType, 8);
        return std::string(text.begin(), text.end());
    }

    // No request of ours failed behind a trap's back.
    void ExpectNoStrayErrors(platform::Window& window)
    {
        XSync(static_cast<Display*>(window.NativeDisplay()), False);
        EXPECT_EQ(platform::DisplayConnection::UntrappedErrorCount(), errorsBefore);
    }

    int errorsBefore = 0;
};

bool HasClose(const std::vector<WindowEvent>& events)
{
    for (const auto& event : events)
        if (event.type == Type::Close)
            return true;
    return false;
}

}  // namespace

TEST_F(WindowOnDisplay, FullScreenWindowCoversTheDesktopAndAsksTheWindowManager)
{
    int desktopWidth = 0;
    int desktopHeight = 0;
    int depth = 0;
    ASSERT_TRUE(platform::GetDesktopSize(desktopWidth, desktopHeight, depth));
    EXPECT_GT(depth, 0);

    platform::WindowDesc desc;
    desc.title = "Spring \xd0\x92\xd0\xb5\xd1\x81\xd0\xbd\xd0\xb0";  // UTF-8 bytes, whatever the literal charset
    auto window = Make(desc);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->Width(), desktopWidth);
    EXPECT_EQ(window->Height(), desktopHeight);
    EXPECT_TRUE(window->IsAlive());

    const ::Window id = window->NativeWindow();
    XWindowAttributes attributes = {};
    ASSERT_TRUE(XGetWindowAttributes(peer, id, &attributes));
    EXPECT_EQ(attributes.map_state, IsViewable);

    const auto state = ReadLongs(id, "_NET_WM_STATE", XA_ATOM);
    ASSERT_EQ(state.size(), 1u);
    EXPECT_EQ(state[0], XInternAtom(peer, "_NET_WM_STATE_FULLSCREEN", False));

    const auto protocols = ReadLongs(id, "WM_PROTOCOLS", XA_ATOM);
    ASSERT_EQ(protocols.size(), 1u);
    EXPECT_EQ(protocols[0], XInternAtom(peer, "WM_DELETE_WINDOW", False));

    EXPECT_EQ(ReadText(id, "_NET_WM_NAME"), desc.title);
    EXPECT_EQ(ReadText(id, "WM_NAME"), desc.title);

    window->SetCursorVisible(false);
    window->SetCursorVisible(true);
    window->SetCursorVisible(false);
    ExpectNoStrayErrors(*window);
}

// Real key and button delivery; the keysym table itself is KeyMappingTest's.
// Keys ignore Shift and Caps Lock, but the keypad follows Num Lock (on Mod2
// in Xvfb's default keymap).
TEST_F(WindowOnDisplay, InputArrivesInOrderWithWindowsCodes)
{
    auto window = Make(Windowed(200, 100));
    ASSERT_TRUE(window);
    const ::Window id = window->NativeWindow();

    xpeer::SendKey(peer, id, XK_a, true);
    xpeer::SendKey(peer, id, XK_a, false);
    xpeer::SendKey(peer, id, XK_1, true, ShiftMask);
    xpeer::SendKey(peer, id, XK_q, true, ShiftMask | LockMask);
    xpeer::SendKey(peer, id, XK_KP_7, true, Mod2Mask);
    xpeer::SendKey(peer, id, XK_KP_7, true, 0);
    xpeer::SendButton(peer, id, Button3, true);
    xpeer::SendButton(peer, id, Button4, true);  // wheel: not a button for the show
    xpeer::SendButton(peer, id, Button4, false);
    xpeer::SendButton(peer, id, Button1, false);
    xpeer::SendButton(peer, id, Button2, true);
    xpeer::SendMotion(peer, id, 12, 34);

    const std::pair<Type, int> expected[] = {{Type::KeyDown, 0x41}, {Type::KeyUp, 0x41},    {Type::KeyDown, 0x31},
                                             {Type::KeyDown, 0x51}, {Type::KeyDown, 0x67},  {Type::KeyDown, 0x24},
                                             {Type::ButtonDown, 1}, {Type::ButtonUp, 0},    {Type::ButtonDown, 2}};
    const auto events = PumpCount(*window, std::size(expected) + 1);
    ASSERT_EQ(events.size(), std::size(expected) + 1);
    for (size_t i = 0; i < std::size(expected); ++i)
    {
        EXPECT_EQ(events[i].type, expected[i].first) << "event " << i;
        EXPECT_EQ(events[i].code, expected[i].second) << "event " << i;
    }
    EXPECT_EQ(events.back().type, Type::MouseMove);
    EXPECT_EQ(events.back().x, 12);
    EXPECT_EQ(events.back().y, 34);
}

TEST_F(WindowOnDisplay, WindowManagerCloseRequestGivesOneClose)
{
    auto window = Make(Windowed(200, 100));
    ASSERT_TRUE(window);

    xpeer::SendDeleteRequest(peer, window->NativeWindow());
    xpeer::SendDeleteRequest(peer, window->NativeWindow());
    xpeer::SendKey(peer, window->NativeWindow(), XK_space, true);  // marks the end of what was sent

    const auto events = PumpCount(*window, 2);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].type, Type::Close);
    EXPECT_EQ(events[1].type, Type::KeyDown);
    EXPECT_FALSE(window->IsAlive());
}

TEST_F(WindowOnDisplay, WindowDestroyedFromOutsideGivesCloseAndIsLeftAlone)
{
    auto window = Make(Windowed(200, 100));
    ASSERT_TRUE(window);

    XDestroyWindow(peer, window->NativeWindow());
    const auto events = PumpUntil(*window, HasClose);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].type, Type::Close);
    EXPECT_FALSE(window->IsAlive());

    window->SetCursorVisible(false);
    ExpectNoStrayErrors(*window);
    window.reset();
}

TEST_F(WindowOnDisplay, ChildFillsItsParentAndFollowsItsSize)
{
    const ::Window parent = xpeer::MakeWindow(peer, 300, 200);
    platform::WindowDesc desc = Windowed(10, 10);
    desc.parent = parent;
    auto window = Make(desc);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->Width(), 300);
    EXPECT_EQ(window->Height(), 200);
    EXPECT_NE(window->NativeWindow(), parent);
    EXPECT_EQ(std::ranges::count(xpeer::Children(peer, parent), window->NativeWindow()), 1);

    XResizeWindow(peer, parent, 400, 250);
    PumpUntil(*window, [&](const std::vector<WindowEvent>&) { return window->Width() == 400; });
    EXPECT_EQ(window->Width(), 400);
    EXPECT_EQ(window->Height(), 250);

    const ::Window child = window->NativeWindow();
    window.reset();
    XSync(peer, False);
    EXPECT_EQ(std::ranges::count(xpeer::Children(peer, parent), child), 0);
    EXPECT_EQ(std::ranges::count(xpeer::Children(peer, DefaultRootWindow(peer)), parent), 1);
    XDestroyWindow(peer, parent);
}

TEST_F(WindowOnDisplay, MissingParentWindowFailsWithReason)
{
    const ::Window gone = xpeer::MakeWindow(peer, 10, 10);
    XDestroyWindow(peer, gone);
    XSync(peer, False);

    for (bool drawInto : {false, true})
    {
        platform::WindowDesc desc;
        desc.parent = gone;
        desc.drawIntoParent = drawInto;
        std::string why;
        EXPECT_FALSE(platform::Window::Create(desc, &why));
        EXPECT_NE(why.find("does not exist"), std::string::npos) << why;
    }

    platform::WindowDesc none;
    none.drawIntoParent = true;
    std::string why;
    EXPECT_FALSE(platform::Window::Create(none, &why));
    EXPECT_FALSE(why.empty());
}

TEST_F(WindowOnDisplay, ForeignWindowWhoseButtonsAreHeldStillGivesKeys)
{
    const ::Window foreign = xpeer::MakeWindow(peer, 250, 150);
    // The owner (daemon, window manager on the root) holds the presses.
    XSelectInput(peer, foreign, ButtonPressMask);
    XSync(peer, False);

    platform::WindowDesc desc;
    desc.parent = foreign;
    desc.drawIntoParent = true;
    auto window = Make(desc);
    ASSERT_TRUE(window);

    xpeer::SendKey(peer, foreign, XK_Escape, true);
    const auto events = PumpCount(*window, 1);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].code, 0x1B);

    XDestroyWindow(peer, foreign);
    EXPECT_TRUE(HasClose(PumpUntil(*window, HasClose)));
    EXPECT_FALSE(window->IsAlive());
}

TEST_F(WindowOnDisplay, RootIsTheVirtualRootWhenOneIsMarked)
{
    const ::Window root = DefaultRootWindow(peer);
    EXPECT_EQ(platform::ResolveRootWindow(), root);

    const ::Window desktop = xpeer::MakeWindow(peer, 100, 100);
    const ::Window frame = xpeer::MakeWindow(peer, 50, 50);
    long value = static_cast<long>(desktop);
    XChangeProperty(peer, frame, XInternAtom(peer, "__SWM_VROOT", False), XA_WINDOW, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&value), 1);
    XSync(peer, False);
    EXPECT_EQ(platform::ResolveRootWindow(), desktop);

    XDestroyWindow(peer, frame);
    XDestroyWindow(peer, desktop);
    XSync(peer, False);
    EXPECT_EQ(platform::ResolveRootWindow(), root);
}

TEST(WindowWithoutDisplay, CreationAndQueriesFailCleanly)
{
    const char* saved = std::getenv("DISPLAY");
    const std::string display = saved ? saved : "";
    unsetenv("DISPLAY");

    std::string why;
    EXPECT_FALSE(platform::Window::Create(platform::WindowDesc(), &why));
    EXPECT_NE(why.find("DISPLAY"), std::string::npos) << why;
    EXPECT_FALSE(platform::DisplayAvailable());
    int width = 0;
    int height = 0;
    int depth = 0;
    EXPECT_FALSE(platform::GetDesktopSize(width, height, depth));
    EXPECT_EQ(platform::ResolveRootWindow(), 0ul);

    std::vector<WindowEvent> events;
    platform::PumpWindowEvents(events);
    EXPECT_TRUE(events.empty());

    if (saved)
        setenv("DISPLAY", display.c_str(), 1);
}
