#pragma once
// Whole-scene picture checks: a running engine with the OpenGL renderer open
// headless in a small mode, frames drawn the way the application draws them
// (Clear, BeginFrame, DrawCulled on the root, EndFrame), the back buffer
// read back, and helpers that say where a world point lands and what colour
// an 8-bit target stores for a float colour.
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
#include "engine/render/ColorEffect.h"
#include "engine/render/DisplayMode.h"
#include "engine/render/gl/GLDevice.h"
#include "engine/render/gl/GLRenderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Node.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "support/HeadlessGl.h"

namespace golden
{

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
    const float clamped = value < 0.0f ? 0.0f : (value > 1.0f ? 1.0f : value);
    return static_cast<int>(std::lround(clamped * 255.0f));
}

inline Rgb Stored(float r, float g, float b)
{
    return {Stored(r), Stored(g), Stored(b)};
}

// A colour the renderer packs before the device sees it (clear, fog,
// texture factor, border): clamped, times 255, truncated.
inline float Packed(float value)
{
    const float clamped = value < 0.0f ? 0.0f : (value > 1.0f ? 1.0f : value);
    return static_cast<float>(static_cast<int>(clamped * 255.0f)) / 255.0f;
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

// A flat rectangle in a plane z = const, facing the eye at the origin
// looking along +z (normals -z), with texture coordinates (0, 0) at the
// top-left corner and (1, 1) at the bottom-right, drawn through a colour
// effect with back faces culled. Corners are listed so the face is the
// front one as the engine winds faces.
inline Ptr<Triangles> MakeRectangle(const char* name, float left, float top, float right, float bottom, float z,
                                    const Vector4& colour)
{
    Ptr<Triangles> node = new Triangles(String(name));
    node->SetVertices(new Vector3Buffer(4, new Vector3[4]{Vector3(left, top, z), Vector3(right, top, z),
                                                           Vector3(right, bottom, z), Vector3(left, bottom, z)}));
    node->SetTextureCoordinates(0, new Vector2Buffer(4, new Vector2[4]{Vector2(0, 0), Vector2(1, 0), Vector2(1, 1),
                                                                         Vector2(0, 1)}));
    node->SetNormals(new Vector3Buffer(4, new Vector3[4]{Vector3(0, 0, -1), Vector3(0, 0, -1), Vector3(0, 0, -1),
                                                          Vector3(0, 0, -1)}));
    node->SetIndices(new IntBuffer(6, new int32_t[6]{0, 1, 2, 0, 2, 3}));
    node->UpdateModelBound();
    Ptr<ColorEffect> effect = new ColorEffect(String(name));
    effect->SetColor(colour);
    node->SetEffect(effect.Get());
    return node;
}

// The fixture: engine up, renderer "OpenGL" headless in the smallest 32-bit
// mode (fast on a software rasteriser), a camera at the origin looking
// along +z (up +y, right +x) made current for every frame.
class GoldenImageRig : public ::testing::Test
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
        renderer = static_cast<GLRenderer*>(GetRenderer());
        int32_t mode = renderer->GetDesktopMode();
        const Array<DisplayMode*>& modes = renderer->GetModes();
        for (uint32_t i = 0; i < modes.Count(); ++i)
            if (modes[i]->colorBits == 32 && modes[i]->width == 640 && modes[i]->height == 480)
                mode = static_cast<int32_t>(i);
        ASSERT_EQ(renderer->OpenWindow(mode, String("golden"), 0, 0, 0, 640, 480), 0);
        camera = new Camera(String("eye"));
        camera->SetNearDistance(0.5f);
        camera->SetFarDistance(200.0f);
    }

    void TearDown() override
    {
        if (!started)
            return;
        camera = nullptr;
        DestroyRenderer();
        TerminateEngine();
    }

    // One frame of the scene under root as the application draws it, with
    // the scene updated first (time 0); the picture lands in pixels.
    void DrawFrame(Node* root, const Vector4& clear = Vector4(0.0f, 0.0f, 0.0f, 1.0f))
    {
        clearColour = clear;
        if (root)
            root->UpdateTree(0.0);
        renderer->SetCamera(camera.Get());
        ASSERT_EQ(renderer->Clear(3, clear, 1.0f, 0), 0);
        ASSERT_EQ(renderer->BeginFrame(), 0);
        viewProjection = camera->GetViewProjection();
        if (root)
            root->DrawCulled(*renderer);
        ASSERT_EQ(renderer->EndFrame(), 0);
        ASSERT_TRUE(renderer->GetDevice()->ReadBackBuffer(pixels, width, height));
        ASSERT_GT(width, 0);
        ASSERT_GT(height, 0);
    }

    // The pixel (top row first) a world point lands on: p x V x P, the
    // perspective divide, the viewport. False behind the eye or off screen.
    bool PixelOf(const Vector3& p, int& x, int& y) const
    {
        const float in[4] = {p.x, p.y, p.z, 1.0f};
        float clip[4] = {};
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 4; ++r)
                clip[c] += in[r] * viewProjection.m[r][c];
        if (clip[3] <= 0.0f)
            return false;
        x = static_cast<int>(std::floor((clip[0] / clip[3] + 1.0f) * 0.5f * static_cast<float>(width)));
        y = static_cast<int>(std::floor((1.0f - clip[1] / clip[3]) * 0.5f * static_cast<float>(height)));
        return x >= 0 && y >= 0 && x < width && y < height;
    }

    Rgb At(int x, int y) const
    {
        const size_t at = (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4;
        return {pixels[at], pixels[at + 1], pixels[at + 2]};
    }

    // The colour at the pixel of a world point; fails the test when the
    // point is not on screen.
    Rgb AtPoint(const Vector3& p) const
    {
        int x = 0, y = 0;
        EXPECT_TRUE(PixelOf(p, x, y)) << "(" << p.x << ", " << p.y << ", " << p.z << ") is not on screen";
        return PixelOf(p, x, y) ? At(x, y) : Rgb{-1, -1, -1};
    }

    // The clear colour as the target holds it.
    Rgb ClearRgb() const
    {
        return {Stored(Packed(clearColour.x)), Stored(Packed(clearColour.y)), Stored(Packed(clearColour.z))};
    }

    bool started = false;
    GLRenderer* renderer = nullptr;
    Ptr<Camera> camera;
    Vector4 clearColour{0.0f, 0.0f, 0.0f, 1.0f};
    Matrix4 viewProjection;
    std::vector<uint8_t> pixels;
    int width = 0;
    int height = 0;
};

} // namespace golden
