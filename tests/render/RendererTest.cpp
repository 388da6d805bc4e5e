#include "engine/render/Renderer.h"

#include <gtest/gtest.h>

#include "support/HeadlessRenderer.h"
#include "support/LogCapture.h"

// The engine running headless; each test creates the renderer itself.
class RendererTest : public HeadlessRendererTest
{
protected:
    void SetUp() override { StartEngine(); }
};

TEST_F(RendererTest, ModesOfferTheDesktopAtBothDepthsSortedBySize)
{
    ASSERT_EQ(CreateRenderer(String("OpenGL")), 0);
    renderer = static_cast<GLRenderer*>(GetRenderer());
    const Array<std::unique_ptr<DisplayMode>>& modes = renderer->GetModes();
    ASSERT_GT(modes.Count(), 2u);
    int32_t desktop = renderer->GetDesktopMode();
    ASSERT_GE(desktop, 0);
    EXPECT_EQ(modes[static_cast<uint32_t>(desktop)]->colorBits, 32);
    EXPECT_TRUE(modes[static_cast<uint32_t>(desktop)]->fullScreen);
    for (uint32_t i = 1; i < modes.Count(); ++i)
    {
        const DisplayMode& a = *modes[i - 1];
        const DisplayMode& b = *modes[i];
        EXPECT_TRUE(a.width < b.width || (a.width == b.width && a.height <= b.height)) << i;
        // Nothing larger than the desktop is offered.
        EXPECT_LE(b.width, modes[static_cast<uint32_t>(desktop)]->width);
        EXPECT_LE(b.height, modes[static_cast<uint32_t>(desktop)]->height);
    }
}

// Creation by name, reported when it fails, keeping the current renderer;
// window operations check their arguments.
TEST_F(RendererTest, FailedCreationIsReportedByNameAndWindowArgumentsAreChecked)
{
    LogCapture capture;
    EXPECT_EQ(CreateRenderer(String("DirectX9")), 3);
    EXPECT_TRUE(capture.Contains("Невозможно загрузить библиотеку рендерера [DirectX9]."));
    EXPECT_EQ(GetRenderer(), nullptr);

    ASSERT_EQ(CreateRenderer(String("OpenGL")), 0);
    renderer = static_cast<GLRenderer*>(GetRenderer());
    EXPECT_EQ(CreateRenderer(String("OpenGL")), 1);
    EXPECT_TRUE(capture.Contains("Создание рендерера [OpenGL] неудачно."));
    EXPECT_EQ(GetRenderer(), renderer);
    EXPECT_EQ(renderer->CloseWindow(), 3);
    EXPECT_EQ(renderer->OpenWindow(-1, String("t"), 0, 0, 0, 640, 480), 3);
    EXPECT_EQ(renderer->OpenWindow(static_cast<int32_t>(renderer->GetModes().Count()), String("t"), 0, 0, 0, 640, 480), 3);
    EXPECT_FALSE(renderer->HasWindow());
}

// The window takes the mode's size; only colour clears change the clear
// colour; the brightness reaches the presented picture only; closed, the
// window is gone.
TEST_F(RendererTest, WindowTakesTheModeSizeClearsAndBrightensUntilClosed)
{
    ASSERT_EQ(CreateRenderer(String("OpenGL")), 0);
    renderer = static_cast<GLRenderer*>(GetRenderer());
    ASSERT_EQ(renderer->OpenWindow(renderer->GetDesktopMode(), String("test"), 0, 0, 0, 640, 480), 0);
    const DisplayMode& mode = *renderer->GetModes()[static_cast<uint32_t>(renderer->GetDesktopMode())];
    EXPECT_EQ(renderer->GetWidth(), mode.width);
    EXPECT_EQ(renderer->GetHeight(), mode.height);

    ASSERT_EQ(renderer->Clear(1, Vector4(0, 0.25f, 1.0f, 1.0f), 1.0f, 0), 0);
    EXPECT_EQ(renderer->GetClearColour(), Vector4(0, 0.25f, 1.0f, 1.0f));
    renderer->Clear(2, Vector4(0.5f, 0, 0, 1), 1.0f, 0); // depth only
    EXPECT_EQ(renderer->GetClearColour(), Vector4(0, 0.25f, 1.0f, 1.0f));
    renderer->SetBrightness(100); // +20000 of 65535: about a third brighter at the bottom
    renderer->BeginFrame();
    renderer->EndFrame();
    std::vector<uint8_t> drawn, shown;
    int width = 0, height = 0;
    ASSERT_TRUE(renderer->GetDevice()->ReadBackBuffer(drawn, width, height));
    ASSERT_TRUE(renderer->GetDevice()->ReadPresented(shown, width, height));
    EXPECT_EQ(drawn[0], 0);
    EXPECT_EQ(shown[0], 20000 >> 8);

    EXPECT_EQ(renderer->CloseWindow(), 0);
    EXPECT_FALSE(renderer->HasWindow());
    EXPECT_EQ(renderer->CloseWindow(), 3);
}
