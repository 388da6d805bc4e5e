// The preview (/p ID) inside a window the test owns, as the settings
// program's small monitor would hold it.
#include "support/XPeer.h"

#include <chrono>
#include <string>
#include <thread>

#include "platform/WindowPicture.h"
#include "support/Bytes.h"
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

    // The preview picture the build packed, read as the 24-bit bottom-up
    // BMP its maker writes (54 header bytes, rows padded to 4 bytes).
    static platform::DialogPicture PackedPreview()
    {
        const Bytes file = ReadBytes(VERNALIA_GENERATED_DIR "/pictures/preview.bmp");
        platform::DialogPicture picture;
        if (file.size() < 54)
            return picture;
        picture.width = static_cast<int32_t>(Peek32(file, 18));
        picture.height = static_cast<int32_t>(Peek32(file, 22));
        const size_t row = (size_t(picture.width) * 3 + 3) / 4 * 4;
        for (int32_t y = picture.height - 1; y >= 0; --y)
            for (int32_t x = 0; x < picture.width; ++x)
            {
                const size_t at = 54 + size_t(y) * row + size_t(x) * 3;
                picture.rgb.insert(picture.rgb.end(), {file.at(at + 2), file.at(at + 1), file.at(at)});
            }
        return picture;
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
    // The packed picture scaled to the parent, pixel for pixel where sampled.
    const std::vector<uint8_t> expected = platform::WindowPicture::Scale(PackedPreview(), 160, 120);
    ASSERT_EQ(expected.size(), 160u * 120u * 3u);
    for (const auto& [x, y] : {std::pair{0, 0}, {80, 60}, {159, 119}, {40, 100}})
    {
        const uint8_t* rgb = &expected[(size_t(y) * 160 + size_t(x)) * 3];
        const unsigned long pixel = (unsigned long)(rgb[0] << 16 | rgb[1] << 8 | rgb[2]);
        for (int i = 0; i < 40 && PixelAt(parent, x, y) != pixel; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(PixelAt(parent, x, y), pixel) << x << "," << y;
    }

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
