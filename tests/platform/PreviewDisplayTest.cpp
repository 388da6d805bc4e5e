// The preview (/p ID) inside a window the test owns, as the settings
// program's small monitor would hold it.
#include "support/XPeer.h"

#include <chrono>
#include <string>
#include <thread>

#include "platform/WindowPicture.h"
#include "support/RunProgram.h"
#include "support/TemporaryFolder.h"

namespace
{

class PreviewOnDisplay : public xpeer::PeerTest
{
protected:
    // The pixel of the parent's screen area at (x, y): white where the
    // preview left the parent showing.
    unsigned long PixelAt(::Window parent, int x, int y)
    {
        XImage* image = XGetImage(peer, parent, x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image)
            return 0x123456;
        const unsigned long pixel = XGetPixel(image, 0, 0) & 0xffffff;
        XDestroyImage(image);
        return pixel;
    }

    // Waits until the parent's middle shows something other than white.
    bool PaintedWithin(::Window parent, int width, int height)
    {
        for (int i = 0; i < 100; ++i)
        {
            XSync(peer, False);
            if (!xpeer::Children(peer, parent).empty() && PixelAt(parent, width / 2, height / 2) != 0xffffff &&
                PixelAt(parent, width - 1, height - 1) != 0xffffff)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    TemporaryFolder folder;
};

} // namespace

TEST_F(PreviewOnDisplay, FillsTheParentAtEverySizeAndEndsWithIt)
{
    const ::Window parent = xpeer::MakeWindow(peer, 160, 120, 0xffffff);
    RunProgram program({VERNALIA_BINARY, "/p", std::to_string(parent)},
                       {"XDG_STATE_HOME=" + folder.Path() + "/state", "XDG_CONFIG_HOME=" + folder.Path() + "/config"});
    ASSERT_TRUE(program.Start());
    EXPECT_TRUE(PaintedWithin(parent, 160, 120));

    XResizeWindow(peer, parent, 240, 180);
    EXPECT_TRUE(PaintedWithin(parent, 240, 180));

    XDestroyWindow(peer, parent);
    XSync(peer, False);
    EXPECT_EQ(program.Wait(std::chrono::seconds(20)), 0);
}

TEST(WindowPictureScale, PicksTheNearestPixelCentre)
{
    // 2 x 2: red, green / blue, white.
    const platform::DialogPicture picture{2, 2, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255}};
    struct Case
    {
        int width, height;
        std::vector<uint8_t> expected;
    } cases[] = {
        {1, 1, {255, 255, 255}},                                  // the centre falls into the last pixel
        {3, 1, {0, 0, 255, 255, 255, 255, 255, 255, 255}},        // row 1 of 2
        {1, 2, {0, 255, 0, 255, 255, 255}},                       // column 1 of 2
        {0, 5, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::WindowPicture::Scale(picture, c.width, c.height), c.expected) << c.width << "x" << c.height;
    EXPECT_TRUE(platform::WindowPicture::Scale(platform::DialogPicture{2, 2, {1, 2, 3}}, 4, 4).empty());
}
