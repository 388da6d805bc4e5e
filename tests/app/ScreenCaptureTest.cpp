// Frames saved as pictures: the pattern, the orientation of what is written,
// and whole headless runs of the built program with the capture variables.
#include <GL/gl.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/Automation.h"
#include "engine/EngineClasses.h"
#include "engine/codecs/Image.h"
#include "engine/core/EngineStartup.h"
#include "engine/files/Codec.h"
#include "engine/files/CodecManager.h"
#include "engine/files/File.h"
#include "engine/render/gl/GLRenderer.h"
#include "support/HeadlessGl.h"
#include "support/LogCapture.h"
#include "support/RunProgram.h"
#include "support/TemporaryFolder.h"

namespace
{

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

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

TEST(CapturePattern, EveryFrameMarkBecomesTheNumberAndNothingElseIsInterpreted)
{
    EXPECT_EQ(ExpandCapturePattern("shots/f%d.tga", 7), "shots/f7.tga");
    EXPECT_EQ(ExpandCapturePattern("%d-%d.bmp", 12), "12-12.bmp");
    EXPECT_EQ(ExpandCapturePattern("still.jpg", 3), "still.jpg");
    EXPECT_EQ(ExpandCapturePattern("100%%_%d.tga", 1), "100%_1.tga");
    EXPECT_EQ(ExpandCapturePattern("%%d.tga", 5), "%d.tga");
    // Sequences a formatter would act on stay as they are.
    EXPECT_EQ(ExpandCapturePattern("%s%n%x%5d%.tga", 2), "%s%n%x%5d%.tga");
    EXPECT_EQ(ExpandCapturePattern("end%", 2), "end%");
    EXPECT_EQ(ExpandCapturePattern("f%d.tga", 18446744073709551615ull), "f18446744073709551615.tga");
}

// A headless renderer with the top half of its back buffer red and the
// bottom half blue, to check what a saved picture shows where.
class SavedCapture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string why;
        if (!HeadlessOpenGL(why))
            GTEST_SKIP() << "no headless OpenGL here: " << why;
        Renderer::SetHeadless(true);
        RegisterEngineClasses();
        ASSERT_EQ(InitializeEngine(), 0);
        started = true;
        ASSERT_EQ(CreateRenderer(String("OpenGL")), 0);
        renderer = GetRenderer();
        ASSERT_EQ(renderer->OpenWindow(renderer->GetDesktopMode(), String("capture"), 0, 0, 0, 640, 480), 0);
        width = renderer->GetWidth();
        height = renderer->GetHeight();

        ASSERT_EQ(renderer->Clear(3, Vector4{0.0f, 0.0f, 0.0f, 1.0f}, 1.0f, 0), 0);
        ASSERT_EQ(renderer->BeginFrame(), 0);
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

    void TearDown() override
    {
        if (!started)
            return;
        DestroyRenderer();
        TerminateEngine();
    }

    bool started = false;
    Renderer* renderer = nullptr;
    int width = 0;
    int height = 0;
    TemporaryFolder folder;
};

TEST_F(SavedCapture, TargaAndBitmapShowTheTopOfTheScreenOnTop)
{
    const std::string targa = folder.Path() + "/shot.tga";
    ASSERT_EQ(SaveScreenCapture(renderer, targa), 0);
    std::string bytes = ReadFile(targa);
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
    bytes = ReadFile(bitmap);
    ASSERT_GT(bytes.size(), 54u + 3u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    const size_t pixels = static_cast<uint8_t>(bytes[10]) | (static_cast<uint8_t>(bytes[11]) << 8);
    EXPECT_EQ(bytes.substr(pixels, 3), std::string("\xFF\x00\x00", 3)) << "bottom left is blue";
}

TEST_F(SavedCapture, JpegDecodesBackUpright)
{
    const std::string path = folder.Path() + "/shot.jpg";
    ASSERT_EQ(SaveScreenCapture(renderer, path), 0);
    const std::string bytes = ReadFile(path);
    ASSERT_GT(bytes.size(), 4u);
    EXPECT_EQ(bytes.substr(0, 3), std::string("\xFF\xD8\xFF", 3));

    // The codec hands rows out bottom row first.
    Codec* codec = nullptr;
    ASSERT_EQ(CodecManager::GetCodec(String("JPGImageCodec"), &codec), 0);
    File file{String(path.c_str())};
    Image* loaded = nullptr;
    ASSERT_EQ(codec->LoadImage(&file, &loaded), 0);
    Ptr<Image> image = loaded;
    ASSERT_EQ(image->GetWidth(), static_cast<uint32_t>(width));
    ASSERT_EQ(image->GetHeight(), static_cast<uint32_t>(height));
    const uint8_t* bottom = image->GetData();
    const uint8_t* top = image->GetData() + static_cast<size_t>(width) * 3 * (static_cast<size_t>(height) - 1);
    EXPECT_LT(bottom[0], 40);
    EXPECT_GT(bottom[2], 215);
    EXPECT_GT(top[0], 215);
    EXPECT_LT(top[2], 40);
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

// The built program, headless, with its own state and config folders.
class ShowCapture : public ::testing::Test
{
protected:
    int Run(std::vector<std::string> extra)
    {
        extra.push_back("XDG_STATE_HOME=" + folder.Path() + "/state");
        extra.push_back("XDG_CONFIG_HOME=" + folder.Path() + "/config");
        extra.push_back("VERNALIA_HEADLESS=1");
        RunProgram program({VERNALIA_BINARY, "/s"}, extra);
        return program.Run();
    }

    std::string Log() const { return ReadFile(folder.Path() + "/state/HALCYONE Studio/QRELog.txt"); }

    void SetUp() override { std::filesystem::create_directory(Shots()); }
    std::string Shots() const { return folder.Path() + "/shots"; }

    TemporaryFolder folder;
};

TEST_F(ShowCapture, OnlyTheLastFrameIsSavedWithoutEvery)
{
    ASSERT_EQ(Run({"VERNALIA_FRAMES=3", "VERNALIA_CAPTURE=" + Shots() + "/f%d.tga"}), 0);
    EXPECT_EQ(FilesIn(Shots()), (std::set<std::string>{"f3.tga"}));
    uint32_t w = 0, h = 0;
    ExpectWholeTarga(ReadFile(Shots() + "/f3.tga"), w, h);
    const std::string log = Log();
    EXPECT_NE(log.find("Снимок экрана сохранён в файл [" + Shots() + "/f3.tga]."), std::string::npos) << log;
}

TEST_F(ShowCapture, EveryFrameIsSavedWithEveryOne)
{
    ASSERT_EQ(Run({"VERNALIA_FRAMES=3", "VERNALIA_CAPTURE=" + Shots() + "/f%d.tga", "VERNALIA_CAPTURE_EVERY=1"}), 0);
    EXPECT_EQ(FilesIn(Shots()), (std::set<std::string>{"f1.tga", "f2.tga", "f3.tga"}));
    for (const char* name : {"f1.tga", "f2.tga", "f3.tga"})
    {
        uint32_t w = 0, h = 0;
        ExpectWholeTarga(ReadFile(Shots() + "/" + name), w, h);
    }

    ASSERT_EQ(Run({"VERNALIA_FRAMES=5", "VERNALIA_CAPTURE=" + Shots() + "/g%d.bmp", "VERNALIA_CAPTURE_EVERY=2"}), 0);
    EXPECT_EQ(FilesIn(Shots()).count("g2.bmp"), 1u);
    EXPECT_EQ(FilesIn(Shots()).count("g4.bmp"), 1u);
    EXPECT_EQ(FilesIn(Shots()).size(), 5u);
}

TEST_F(ShowCapture, JpegExtensionWritesAJpegFile)
{
    ASSERT_EQ(Run({"VERNALIA_FRAMES=2", "VERNALIA_CAPTURE=" + Shots() + "/last.JPG"}), 0);
    const std::string bytes = ReadFile(Shots() + "/last.JPG");
    ASSERT_GT(bytes.size(), 4u);
    EXPECT_EQ(bytes.substr(0, 3), std::string("\xFF\xD8\xFF", 3));
    EXPECT_EQ(bytes.substr(bytes.size() - 2), std::string("\xFF\xD9", 2));
}

TEST_F(ShowCapture, BadValuesAreLoggedAndAFailedSaveDoesNotStopTheShow)
{
    ASSERT_EQ(Run({"VERNALIA_FRAMES=2", "VERNALIA_CAPTURE=" + Shots() + "/f%d.png", "VERNALIA_CAPTURE_EVERY=0"}), 0);
    std::string log = Log();
    EXPECT_NE(log.find("VERNALIA_CAPTURE имеет неверное значение"), std::string::npos) << log;
    EXPECT_NE(log.find("VERNALIA_CAPTURE_EVERY имеет неверное значение [0]"), std::string::npos) << log;
    EXPECT_TRUE(FilesIn(Shots()).empty());

    ASSERT_EQ(Run({"VERNALIA_FRAMES=2", "VERNALIA_CAPTURE=" + Shots() + "/nowhere/f%d.tga",
                   "VERNALIA_CAPTURE_EVERY=1"}),
              0);
    log = Log();
    const std::string failed = "Невозможно сохранить снимок экрана в файл [" + Shots() + "/nowhere/f";
    size_t count = 0;
    for (size_t at = log.find(failed); at != std::string::npos; at = log.find(failed, at + 1))
        ++count;
    EXPECT_EQ(count, 2u) << log;
    EXPECT_NE(log.find("Работа скринсейвера завершена корректно."), std::string::npos) << log;
}
