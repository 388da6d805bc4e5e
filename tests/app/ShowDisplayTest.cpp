// The show on a real X display, driven the way a user or the daemon drives
// it: a key, the daemon's window and signal reach the program from outside.
#include "support/XPeer.h"

#include <X11/keysym.h>

#include <chrono>
#include <string>
#include <thread>

#include "support/Bytes.h"
#include "support/RunProgram.h"
#include "support/TemporaryFolder.h"

namespace
{

class ShowOnDisplay : public xpeer::PeerTest
{
protected:
    // Starts the program with the given arguments and folders of its own.
    bool Launch(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), VERNALIA_BINARY);
        program = std::make_unique<RunProgram>(
            arguments, std::vector<std::string>{"XDG_STATE_HOME=" + folder.Path() + "/state",
                                                "XDG_CONFIG_HOME=" + folder.Path() + "/config"});
        return program->Start();
    }

    // Starts the show and waits for its full-screen window.
    ::Window Start()
    {
        if (!Launch({"/s"}))
            return 0;
        for (int i = 0; i < 200; ++i)
        {
            if (::Window found = FindShowWindow())
            {
                // Give the program time to finish its start-up pause.
                std::this_thread::sleep_for(std::chrono::milliseconds(1500));
                return found;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return 0;
    }

    ::Window FindShowWindow()
    {
        for (::Window child : xpeer::Children(peer, DefaultRootWindow(peer)))
        {
            char* name = nullptr;
            if (XFetchName(peer, child, &name) && name)
            {
                const bool show = std::string(name) == "Vernalia 3D Screensaver";
                XFree(name);
                if (show)
                    return child;
            }
        }
        return 0;
    }

    // True when the program ended by itself within a short while, with
    // exit code 0 and a complete log.
    bool EndsCleanly()
    {
        int code = program->Wait(std::chrono::seconds(5));
        const std::string log = ReadText(folder.Path() + "/state/HALCYONE Studio/QRELog.txt");
        return code == 0 && log.find("Работа скринсейвера завершена корректно.") != std::string::npos &&
               log.find("Конец лога.") != std::string::npos;
    }

    // A window of another client, as the daemon or a settings dialog owns.
    ::Window MakeForeignWindow(unsigned long background) { return xpeer::MakeWindow(peer, 320, 240, background); }

    // The pixel at (x, y) of a window as the server has it, 0xRRGGBB.
    unsigned long PixelAt(::Window target, int x, int y)
    {
        XImage* image = XGetImage(peer, target, x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image)
            return 0xFFFFFFFFul;
        unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFFul;
        XDestroyImage(image);
        return pixel;
    }

    TemporaryFolder folder;
    std::unique_ptr<RunProgram> program;
};
} // namespace

// One real key press reaches the show and ends it; which keys and moves end
// it is InputRulesTest's.
TEST_F(ShowOnDisplay, OpensFullScreenAndARealKeyEndsIt)
{
    ::Window shown = Start();
    ASSERT_NE(shown, 0u);
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(peer, shown, &attributes));
    EXPECT_EQ(attributes.width, DisplayWidth(peer, DefaultScreen(peer)));
    EXPECT_EQ(attributes.height, DisplayHeight(peer, DefaultScreen(peer)));

    xpeer::SendKey(peer, shown, XK_space, true);
    EXPECT_TRUE(EndsCleanly());
}

TEST_F(ShowOnDisplay, DrawsIntoTheWindowTheDaemonNamesAndLeavesItStanding)
{
    ::Window foreign = MakeForeignWindow(0xFFFFFF);
    ASSERT_EQ(PixelAt(foreign, 10, 10), 0xFFFFFFul);
    ASSERT_TRUE(Launch({"-window-id", std::to_string(foreign)}));
    unsigned long pixel = 0xFFFFFF;
    for (int i = 0; i < 100 && pixel != 0; ++i)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        pixel = PixelAt(foreign, 10, 10);
    }
    EXPECT_EQ(pixel, 0ul) << "the show's black frames reach the daemon's window";
    program->Signal(SIGTERM);
    EXPECT_TRUE(EndsCleanly());
    XWindowAttributes attributes;
    EXPECT_TRUE(XGetWindowAttributes(peer, foreign, &attributes));
    XDestroyWindow(peer, foreign);
    XSync(peer, False);
}

TEST_F(ShowOnDisplay, PreviewLivesInsideItsParentAndEndsWithIt)
{
    ::Window parent = MakeForeignWindow(0x808080);
    ASSERT_TRUE(Launch({"/p", std::to_string(parent)}));
    int children = 0;
    for (int i = 0; i < 100 && children == 0; ++i)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        children = static_cast<int>(xpeer::Children(peer, parent).size());
    }
    EXPECT_EQ(children, 1);
    EXPECT_FALSE(program->EndsWithin(std::chrono::milliseconds(300)));
    XDestroyWindow(peer, parent);
    XSync(peer, False);
    EXPECT_EQ(program->Wait(std::chrono::seconds(5)), 0);
}
