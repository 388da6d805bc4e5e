#pragma once
// The base of every test that draws with the OpenGL renderer: the engine
// running, the renderer open headless, the back buffer read back after a
// frame, and the colour arithmetic of an 8-bit target. Skips (with the
// reason) where this machine has no surfaceless desktop OpenGL.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/EngineClasses.h"
#include "engine/core/EngineStartup.h"
#include "engine/core/Matrix4.h"
#include "engine/core/Vector3.h"
#include "engine/core/Vector4.h"
#include "engine/render/DisplayMode.h"
#include "engine/render/gl/GLDevice.h"
#include "engine/render/gl/GLRenderer.h"
#include "support/HeadlessGl.h"

struct Rgb
{
    int r, g, b;
};

inline std::ostream& operator<<(std::ostream& out, const Rgb& c)
{
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

// What an 8-bit target stores for a float colour component (rounded).
inline int Stored(float value)
{
    return static_cast<int>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
}

inline Rgb Stored(float r, float g, float b)
{
    return {Stored(r), Stored(g), Stored(b)};
}

// A colour the renderer packs before the device sees it (clear, fog,
// texture factor, border, packed vertex colours): times 255, truncated.
inline float Packed(float value)
{
    return static_cast<float>(static_cast<int>(std::clamp(value, 0.0f, 1.0f) * 255.0f)) / 255.0f;
}

inline bool Near(const Rgb& got, const Rgb& want, int tolerance)
{
    return std::abs(got.r - want.r) <= tolerance && std::abs(got.g - want.g) <= tolerance &&
           std::abs(got.b - want.b) <= tolerance;
}

inline void ExpectNear(const Rgb& got, const Rgb& want, int tolerance, const std::string& what)
{
    EXPECT_TRUE(Near(got, want, tolerance)) << what << ": got " << got << " want " << want << " (tolerance "
                                            << tolerance << ")";
}

class HeadlessRendererTest : public ::testing::Test
{
protected:
    void SetUp() override { OpenRenderer("test"); }

    void TearDown() override
    {
        if (!started)
            return;
        DestroyRenderer();
        TerminateEngine();
    }

    // Starts the engine, rendering headless, with no renderer yet. A skip
    // or a failure returns from here only.
    void StartEngine()
    {
        std::string why;
        if (!HeadlessOpenGL(why))
            GTEST_SKIP() << "no headless OpenGL here: " << why;
        Renderer::SetHeadless(true);
        RegisterEngineClasses();
        ASSERT_EQ(InitializeEngine(), 0);
        started = true;
    }

    // Starts the engine and opens the renderer in the 32-bit mode of that
    // size (small frames keep the software rasteriser fast), else in the
    // desktop mode. Check Opened() after it: a skip or a failure returns
    // from here only.
    void OpenRenderer(const char* title, int windowWidth = 640, int windowHeight = 480)
    {
        StartEngine();
        if (!started)
            return;
        ASSERT_EQ(CreateRenderer(String("OpenGL")), 0);
        renderer = static_cast<GLRenderer*>(GetRenderer());
        ASSERT_EQ(OpenWindow(title, windowWidth, windowHeight), 0);
        opened = true;
    }

    // Opens (or opens again, after a close) the window of OpenRenderer.
    int32_t OpenWindow(const char* title, int windowWidth = 640, int windowHeight = 480)
    {
        int32_t mode = renderer->GetDesktopMode();
        const Array<std::unique_ptr<DisplayMode>>& modes = renderer->GetModes();
        for (uint32_t i = 0; i < modes.Count(); ++i)
            if (modes[i]->colorBits == 32 && modes[i]->width == windowWidth && modes[i]->height == windowHeight)
                mode = static_cast<int32_t>(i);
        return renderer->OpenWindow(mode, String(title), 0, 0, 0, windowWidth, windowHeight);
    }

    bool Opened() const { return opened && !IsSkipped() && !HasFatalFailure(); }

    // Clear and BeginFrame, as the application starts a frame.
    void Begin(const Vector4& clear = Vector4(0.0f, 0.0f, 0.0f, 1.0f), int32_t buffers = 3)
    {
        ASSERT_EQ(renderer->Clear(buffers, clear, 1.0f, 0), 0);
        ASSERT_EQ(renderer->BeginFrame(), 0);
    }

    // EndFrame, then the back buffer into pixels.
    void End()
    {
        ASSERT_EQ(renderer->EndFrame(), 0);
        ASSERT_TRUE(renderer->GetDevice()->ReadBackBuffer(pixels, width, height));
        ASSERT_GT(width, 0);
        ASSERT_GT(height, 0);
    }

    // Pixel (x, y) of the last read back, top row first.
    Rgb At(int x, int y) const
    {
        const size_t at = (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4;
        return {pixels[at], pixels[at + 1], pixels[at + 2]};
    }

    // The pixel under a clip-space point (y up).
    Rgb AtClip(float x, float y) const
    {
        const int px = std::clamp(static_cast<int>((x + 1.0f) * 0.5f * static_cast<float>(width)), 0, width - 1);
        const int py = std::clamp(static_cast<int>((1.0f - y) * 0.5f * static_cast<float>(height)), 0, height - 1);
        return At(px, py);
    }

    // The pixel (top row first) a world point lands on through
    // viewProjection: p x VP, the perspective divide, the viewport. False
    // behind the eye or off screen.
    bool PixelOf(const Vector3& p, int& x, int& y) const
    {
        const Vector4 clip = viewProjection.Transform(Vector4(p.x, p.y, p.z, 1.0f));
        if (clip.w <= 0.0f)
            return false;
        const int w = width > 0 ? width : renderer->GetWidth();
        const int h = height > 0 ? height : renderer->GetHeight();
        x = static_cast<int>(std::floor((clip.x / clip.w + 1.0f) * 0.5f * static_cast<float>(w)));
        y = static_cast<int>(std::floor((1.0f - clip.y / clip.w) * 0.5f * static_cast<float>(h)));
        return x >= 0 && y >= 0 && x < w && y < h;
    }

    bool started = false;
    bool opened = false;
    GLRenderer* renderer = nullptr;
    std::vector<uint8_t> pixels;
    int width = 0;
    int height = 0;
    // The camera's view x projection, set by the fixtures that draw scenes.
    Matrix4 viewProjection;
};
