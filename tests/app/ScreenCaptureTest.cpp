// Frames saved as pictures: the pattern, the orientation of what is written,
// and whole headless runs of the built program with the capture variables.
#include <GL/gl.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/Automation.h"
#include "support/Bytes.h"
#include "support/HeadlessRenderer.h"
#include "support/LogCapture.h"
#include "support/ShowRun.h"
#include "support/ScopedEnvironment.h"
#include "support/TemporaryFolder.h"

namespace
{

std::set<std::string> FilesIn(const std::string& folder)
{
    std::set<std::string> names;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored))
        names.insert(entry.path().filename().string());
    return names;
}

uint32_t Little16(const std::string& bytes, size_t at)
{
    return static_cast<uint8_t>(bytes[at]) | (static_cast<uint8_t>(bytes[at + 1]) << 8);
}

// An uncompressed 24-bit Targa of plausible size; its width and height.
void ExpectWholeTarga(const std::string& bytes, uint32_t& width, uint32_t& height)
{
    ASSERT_GE(bytes.size(), 18u);
    EXPECT_EQ(bytes[2], 2) << "uncompressed";
    EXPECT_EQ(static_cast<uint8_t>(bytes[16]), 24);
    width = Little16(bytes, 12);
    height = Little16(bytes, 14);
    EXPECT_GT(width, 0u);
    EXPECT_GT(height, 0u);
    EXPECT_EQ(bytes.size(), 18u + static_cast<size_t>(width) * height * 3);
}

} // namespace

TEST(CapturePattern, FrameMarksBecomeTheNumberAndAnyOtherPercentRefusesThePattern)
{
    const struct
    {
        const char* pattern;
        uint64_t frame;
        const char* path; // null: refused
    } cases[] = {
        {"shots/f%d.tga", 7, "shots/f7.tga"},
        {"%d-%d.bmp", 12, "12-12.bmp"},
        {"still.jpg", 3, "still.jpg"},
        {"100%%_%d.tga", 1, "100%_1.tga"},
        {"%%d.tga", 5, "%d.tga"},
        {"%%%d.tga", 5, "%5.tga"},
        {"f%d.tga", 18446744073709551615ull, "f18446744073709551615.tga"},
        {"f%04d.tga", 7, "f0007.tga"},
        {"f%02d.tga", 123, "f123.tga"},
        {"f%01d.tga", 0, "f0.tga"},
        {"f%09d-%d.tga", 42, "f000000042-42.tga"},
        {"f%00d.tga", 1, nullptr},
        {"f%010d.tga", 1, nullptr},
        {"f%5d.tga", 1, nullptr},
        {"f%s.tga", 1, nullptr},
        {"f%.tga", 1, nullptr},
        {"f%04", 1, nullptr},
        {"end%", 1, nullptr},
    };
    for (const auto& c : cases)
    {
        std::string path = "stale";
        EXPECT_EQ(ExpandCapturePattern(c.pattern, c.frame, path), c.path != nullptr) << c.pattern;
        if (c.path)
        {
            EXPECT_EQ(path, c.path) << c.pattern;
        }
    }
}

// A headless renderer with the top half of its back buffer red and the
// bottom half blue, to check what a saved picture shows where.
class SavedCapture : public HeadlessRendererTest
{
protected:
    void SetUp() override
    {
        OpenRenderer("capture");
        if (!Opened())
            return;
        width = renderer->GetWidth();
        height = renderer->GetHeight();
        Begin();
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, height / 2, width, height - height / 2);
        glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glScissor(0, 0, width, height / 2);
        glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_SCISSOR_TEST);
        ASSERT_EQ(renderer->EndFrame(), 0);
    }

    TemporaryFolder folder;
};

TEST_F(SavedCapture, TargaAndBitmapShowTheTopOfTheScreenOnTop)
{
    const std::string targa = folder.Path() + "/shot.tga";
    ASSERT_EQ(SaveScreenCapture(renderer, targa), 0);
    std::string bytes = ReadText(targa);
    uint32_t w = 0, h = 0;
    ExpectWholeTarga(bytes, w, h);
    EXPECT_EQ(w, static_cast<uint32_t>(width));
    EXPECT_EQ(h, static_cast<uint32_t>(height));
    // Top-left origin: the first stored pixel is the screen's top left, in
    // blue, green, red order.
    ASSERT_NE(static_cast<uint8_t>(bytes[17]) & 0x20, 0);
    EXPECT_EQ(bytes.substr(18, 3), std::string("\x00\x00\xFF", 3));
    EXPECT_EQ(bytes.substr(bytes.size() - 3), std::string("\xFF\x00\x00", 3));

    // Bitmaps store the bottom row first.
    const std::string bitmap = folder.Path() + "/shot.BMP";
    ASSERT_EQ(SaveScreenCapture(renderer, bitmap), 0);
    bytes = ReadText(bitmap);
    ASSERT_GT(bytes.size(), 54u + 3u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    const size_t pixels = static_cast<uint8_t>(bytes[10]) | (static_cast<uint8_t>(bytes[11]) << 8);
    EXPECT_EQ(bytes.substr(pixels, 3), std::string("\xFF\x00\x00", 3)) << "bottom left is blue";
}

TEST_F(SavedCapture, FailuresAreLoggedAndReported)
{
    LogCapture log;
    EXPECT_EQ(SaveScreenCapture(renderer, folder.Path() + "/missing/shot.tga"), 1);
    EXPECT_EQ(log.Count("Невозможно сохранить снимок экрана в файл ["), 1u);
    EXPECT_EQ(SaveScreenCapture(renderer, folder.Path() + "/shot.png"), 3);
    EXPECT_EQ(SaveScreenCapture(nullptr, folder.Path() + "/shot.tga"), 1);
    EXPECT_EQ(log.Count("снимок не получен"), 1u);
    EXPECT_TRUE(FilesIn(folder.Path()).empty());
}

// The built program saving its frames into a folder of its own.
class ShowCapture : public ShowRun
{
protected:
    void SetUp() override { std::filesystem::create_directory(Shots()); }
    std::string Shots() const { return folder.Path() + "/shots"; }
};

// Without EVERY only the last frame is saved, in the type its extension
// names.
TEST_F(ShowCapture, OnlyTheLastFrameIsSavedWithoutEveryAsAJpeg)
{
    ASSERT_EQ(Run("/s", {"VERNALIA_FRAMES=3", "VERNALIA_CAPTURE=" + Shots() + "/f%d.JPG"}), 0);
    EXPECT_EQ(FilesIn(Shots()), (std::set<std::string>{"f3.JPG"}));
    const std::string bytes = ReadText(Shots() + "/f3.JPG");
    ASSERT_GT(bytes.size(), 4u);
    EXPECT_EQ(bytes.substr(0, 3), std::string("\xFF\xD8\xFF", 3));
    EXPECT_EQ(bytes.substr(bytes.size() - 2), std::string("\xFF\xD9", 2));
    const std::string log = Log();
    EXPECT_NE(log.find("Снимок экрана сохранён в файл [" + Shots() + "/f3.JPG]."), std::string::npos) << log;
}

// With the desktop settings (the default), the pretend desktop's size is
// the window's, and so the pictures'.
TEST_F(ShowCapture, EveryNthFrameIsSavedWithEveryAtThePretendDesktopsSize)
{
    ASSERT_EQ(Run("/s", {"VERNALIA_FRAMES=5", "VERNALIA_CAPTURE=" + Shots() + "/g%03d.tga", "VERNALIA_CAPTURE_EVERY=2",
                   "VERNALIA_SIZE=1280x720"}),
              0);
    // The loading screen is frame 0.
    EXPECT_EQ(FilesIn(Shots()), (std::set<std::string>{"g000.tga", "g002.tga", "g004.tga"}));
    for (const char* name : {"g000.tga", "g002.tga", "g004.tga"})
    {
        uint32_t w = 0, h = 0;
        ExpectWholeTarga(ReadText(Shots() + "/" + name), w, h);
        EXPECT_EQ(w, 1280u);
        EXPECT_EQ(h, 720u);
    }
}

TEST(AutomationSettings, SizesAreTakenAndBadValuesOfAnyVariableAreLoggedAndIgnored)
{
    const struct
    {
        const char* name;
        const char* value;
        int32_t width; // 0: refused
        int32_t height;
    } cases[] = {
        {"VERNALIA_SIZE", "1280x720", 1280, 720},
        {"VERNALIA_SIZE", "1x16384", 1, 16384},
        {"VERNALIA_SIZE", "16385x720", 0, 0},
        {"VERNALIA_SIZE", "0x720", 0, 0},
        {"VERNALIA_SIZE", "01280x720", 0, 0},
        {"VERNALIA_SIZE", "1280", 0, 0},
        {"VERNALIA_SIZE", "1280x", 0, 0},
        {"VERNALIA_SIZE", "x720", 0, 0},
        {"VERNALIA_SIZE", "1280x720x1", 0, 0},
        {"VERNALIA_SIZE", "1280X720", 0, 0},
        {"VERNALIA_SIZE", " 1280x+720", 0, 0},
        {"VERNALIA_CAPTURE", "shots/f%d.png", 0, 0},
        {"VERNALIA_CAPTURE", "shots/f%5d.tga", 0, 0},
        {"VERNALIA_CAPTURE", "shots/f%d%", 0, 0},
        {"VERNALIA_CAPTURE_EVERY", "0", 0, 0},
        {"VERNALIA_TIME_STEP", "fast", 0, 0},
        {"VERNALIA_CLOCK", "25:00:00", 0, 0},
        {"VERNALIA_SEED", "-1", 0, 0},
    };
    for (const auto& c : cases)
    {
        ScopedEnvironment variable(c.name, c.value);
        LogCapture log;
        const Automation automation = Automation::FromEnvironment();
        EXPECT_EQ(automation.desktopWidth, c.width) << c.value;
        EXPECT_EQ(automation.desktopHeight, c.height) << c.value;
        EXPECT_TRUE(automation.capturePattern.empty()) << c.value;
        EXPECT_EQ(automation.captureEvery, 0) << c.value;
        const std::string refusal = std::string(c.name) + " имеет неверное значение [" + c.value + "]";
        EXPECT_EQ(log.Count(refusal.c_str()), c.width == 0 ? 1u : 0u) << c.value;
    }
}
