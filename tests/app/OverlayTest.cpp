// The screen overlays: the clock and frame-rate texts, where their digits
// land on screen, the loading screen saved as frame 0, scripted key presses
// and F12 screenshots.
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "app/Automation.h"
#include "app/ScreensaverApp.h"
#include "engine/files/InputEvent.h"
#include "support/Bytes.h"
#include "support/LogCapture.h"
#include "support/ScopedEnvironment.h"
#include "support/ShowRun.h"
#include "support/TemporaryFolder.h"

TEST(OverlayText, ClockReadsInBothFormsRightAlignedAndTheRateRoundsUp)
{
    const struct
    {
        int hour, minute, second;
        bool hour24;
        const char* text;
    } cases[] = {
        {0, 5, 9, true, "0:05:09"},      {0, 5, 9, false, "0:05:09 am "},
        {12, 0, 0, true, "12:00:00"},    {12, 0, 0, false, "12:00:00 pm "},
        {13, 7, 30, true, "13:07:30"},   {13, 7, 30, false, "1:07:30 pm "},
        {11, 59, 59, false, "11:59:59 am "}, {23, 10, 10, false, "11:10:10 pm "},
    };
    for (const auto& c : cases)
    {
        float x = -1.0f;
        EXPECT_EQ(ScreensaverApp::ClockText(c.hour, c.minute, c.second, c.hour24, x), c.text);
        const float length = static_cast<float>(std::string(c.text).size());
        EXPECT_FLOAT_EQ(x, 1.0f - 0.0375f * length + (c.hour24 ? -0.01875f : 0.01875f)) << c.text;
    }
    float midnight = 0.0f;
    ScreensaverApp::ClockText(0, 5, 9, false, midnight);
    EXPECT_FLOAT_EQ(midnight, 0.60625f);

    const struct
    {
        float rate;
        const char* text;
    } rates[] = {{59.2f, "60"}, {60.0f, "60"}, {0.0f, "0"}, {0.01f, "1"}};
    for (const auto& r : rates)
        EXPECT_EQ(ScreensaverApp::FrameRateText(r.rate), r.text) << r.rate;
}

TEST(ScreenshotName, NumbersSkipTakenNamesAndNothingIsTakenOver)
{
    TemporaryFolder folder;
    const std::string first = folder.Path() + "/Show ScreenShot0.jpg";
    WriteText(first, "mine");
    WriteText(folder.Path() + "/Show ScreenShot1.jpg", "");
    std::string path;
    ASSERT_EQ(ScreensaverApp::ReserveScreenshotName(folder.Path(), "Show", path), 0);
    EXPECT_EQ(path, folder.Path() + "/Show ScreenShot2.jpg");
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(ReadText(first), "mine");
    // Without a name the number follows a blank.
    ASSERT_EQ(ScreensaverApp::ReserveScreenshotName(folder.Path(), "", path), 0);
    EXPECT_EQ(path, folder.Path() + "/ ScreenShot0.jpg");

    // A folder that takes no files: one line, no name.
    LogCapture log;
    EXPECT_EQ(ScreensaverApp::ReserveScreenshotName(first, "Show", path), 1);
    EXPECT_EQ(log.Count("Невозможно создать файл снимка экрана ["), 1u);
}

TEST(AutomationKeys, PressesAreQueuedByFrameAndMalformedEntriesAreSkipped)
{
    const struct
    {
        const char* name;
        int32_t key; // -1: refused
    } names[] = {
        {"A", EngineKey::Letter('A')}, {"Z", EngineKey::Letter('Z')}, {"0", EngineKey::kDigit0},
        {"9", EngineKey::kDigit0 + 9}, {"F1", EngineKey::Function(1)}, {"F12", EngineKey::Function(12)},
        {"Escape", EngineKey::kEscape}, {"Space", EngineKey::kSpace}, {"F13", -1}, {"F0", -1},
        {"F01", -1}, {"F", EngineKey::Letter('F')}, {"a", -1}, {"AB", -1}, {"", -1}, {"escape", -1},
    };
    for (const auto& n : names)
        EXPECT_EQ(ParseKeyName(n.name), n.key) << n.name;

    ScopedEnvironment keys("VERNALIA_KEYS", "M@10,F12@1,Q@0,X@,@3,M10,Space@2x,F1@7,");
    LogCapture log;
    const Automation automation = Automation::FromEnvironment();
    ASSERT_EQ(automation.keys.size(), 3u);
    EXPECT_EQ(automation.keys[0].key, EngineKey::Letter('M'));
    EXPECT_EQ(automation.keys[0].frame, 10u);
    EXPECT_EQ(automation.keys[1].key, EngineKey::Function(12));
    EXPECT_EQ(automation.keys[1].frame, 1u);
    EXPECT_EQ(automation.keys[2].key, EngineKey::Function(1));
    EXPECT_EQ(log.Count("VERNALIA_KEYS имеет неверное значение"), 5u);
}

namespace
{

// A 24-bit Targa as the capture writes it: top row first, blue green red.
struct Picture
{
    uint32_t width = 0, height = 0;
    std::string pixels;

    explicit Picture(const std::string& bytes)
    {
        if (bytes.size() < 18)
            return;
        width = static_cast<uint8_t>(bytes[12]) | static_cast<uint8_t>(bytes[13]) << 8;
        height = static_cast<uint8_t>(bytes[14]) | static_cast<uint8_t>(bytes[15]) << 8;
        pixels = bytes.substr(18);
    }
    bool Differs(const Picture& other, uint32_t x, uint32_t y) const
    {
        const size_t at = (static_cast<size_t>(y) * width + x) * 3;
        for (size_t i = at; i < at + 3; ++i)
            if (std::abs(static_cast<uint8_t>(pixels[i]) - static_cast<uint8_t>(other.pixels[i])) > 24)
                return true;
        return false;
    }
};

// Pixels from the left and top edges, of a rectangle in overlay units.
struct Box
{
    int left, top, right, bottom; // right and bottom excluded
    bool Holds(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

Box InPixels(float x0, float y0, float x1, float y1, int width, int height)
{
    return {static_cast<int>(x0 * width) - 1, static_cast<int>((1.0f - y1) * height) - 1,
            static_cast<int>(x1 * width) + 2, static_cast<int>((1.0f - y0) * height) + 2};
}

class OverlayShow : public ShowRun
{
protected:
    // One run of two frames at 320 x 200 with these overlay settings.
    Picture RunWith(const std::string& settings, const std::string& shots)
    {
        std::filesystem::create_directories(folder.Path() + "/config/Brightfold Software");
        WriteText(folder.Path() + "/config/Brightfold Software/Vernalia 3D Screensaver.conf", settings);
        std::filesystem::create_directories(shots);
        EXPECT_EQ(Run("/s", {"VERNALIA_FRAMES=2", "VERNALIA_TIME_STEP=0.04", "VERNALIA_SIZE=320x200",
                             "VERNALIA_CLOCK=13:07:30", "VERNALIA_CAPTURE=" + shots + "/f%d.tga",
                             "VERNALIA_CAPTURE_EVERY=2", "VERNALIA_KEYS=F12@2", "HOME=" + folder.Path()}),
                  0);
        return Picture(ReadText(shots + "/f2.tga"));
    }
};

} // namespace

TEST_F(OverlayShow, DigitsLandInTheirCornersTheLoadingScreenIsFrameZeroAndF12SavesTheScreen)
{
    const Picture bare = RunWith("ShowFPS=0\nShowTime=0\n", folder.Path() + "/bare");
    const Picture shown = RunWith("ShowFPS=1\nShowTime=1\nHour24=0\n", folder.Path() + "/shown");
    ASSERT_EQ(bare.width, 320u);
    ASSERT_EQ(shown.height, 200u);

    // "1:07:30 pm " from x 0.60625: seven characters, a half blank, "pm";
    // the first frame's rate, 0, at the top left.
    const Box clock = InPixels(0.60625f, 0.025f, 0.60625f + 0.0375f * 9.5f, 0.1f, 320, 200);
    const Box rate = InPixels(0.009375f, 0.9f, 0.009375f + 0.0375f, 0.975f, 320, 200);
    int inClock = 0, inRate = 0, elsewhere = 0;
    for (uint32_t y = 0; y < 200; ++y)
        for (uint32_t x = 0; x < 320; ++x)
            if (shown.Differs(bare, x, y))
            {
                const int px = static_cast<int>(x), py = static_cast<int>(y);
                inClock += clock.Holds(px, py);
                inRate += rate.Holds(px, py);
                elsewhere += !clock.Holds(px, py) && !rate.Holds(px, py);
            }
    EXPECT_GT(inClock, 50);
    EXPECT_GT(inRate, 5);
    EXPECT_EQ(elsewhere, 0);

    // Frame 0 is the loading screen, saved before the scene loaded.
    const std::string log = Log();
    const size_t loading = log.find("Снимок экрана сохранён в файл [" + folder.Path() + "/shown/f0.tga].");
    ASSERT_NE(loading, std::string::npos) << log;
    EXPECT_LT(loading, log.find("Кеширование..."));
    EXPECT_LT(log.find("LoadingTexture Loaded"), loading);
    // The title card covers the green clear: sky at the top middle, meadow
    // at the bottom middle (blue, green, red bytes).
    const Picture card(ReadText(folder.Path() + "/shown/f0.tga"));
    ASSERT_EQ(card.pixels.size(), 320u * 200u * 3u);
    const auto pixel = [&](uint32_t x, uint32_t y, int channel) {
        return static_cast<uint8_t>(card.pixels[(y * 320 + x) * 3 + static_cast<uint32_t>(channel)]);
    };
    EXPECT_GT(pixel(160, 4, 0), pixel(160, 4, 1)) << "sky";
    EXPECT_GT(pixel(160, 196, 1), pixel(160, 196, 0) + 40) << "meadow";
    EXPECT_LT(pixel(160, 196, 1), 230) << "not the clear";

    // The press before frame 2 saved frame 1 in the pictures folder, once per run.
    const std::string shot = folder.Path() + "/Pictures/Vernalia 3D Screensaver ScreenShot1.jpg";
    const std::string bytes = ReadText(shot);
    ASSERT_GT(bytes.size(), 4u) << shot;
    EXPECT_EQ(bytes.substr(0, 3), std::string("\xFF\xD8\xFF", 3));
    EXPECT_FALSE(std::filesystem::exists(folder.Path() + "/Pictures/Vernalia 3D Screensaver ScreenShot2.jpg"));
}
