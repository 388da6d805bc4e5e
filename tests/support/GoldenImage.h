#pragma once
// Whole-scene picture checks: frames drawn the way the application draws
// them (Clear, BeginFrame, DrawCulled on the root, EndFrame), and helpers
// that say where a world point lands.
#include <cmath>

#include "engine/core/Matrix4.h"
#include "engine/render/ColorEffect.h"
#include "engine/scene/Camera.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Node.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "support/HeadlessRenderer.h"

namespace golden
{

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

// The fixture: a camera at the origin looking along +z (up +y, right +x)
// made current for every frame.
class GoldenImageRig : public HeadlessRendererTest
{
protected:
    void SetUp() override
    {
        OpenRenderer("golden");
        if (!Opened())
            return;
        camera = new Camera(String("eye"));
        camera->SetNearDistance(0.5f);
        camera->SetFarDistance(200.0f);
    }

    void TearDown() override
    {
        camera = nullptr;
        HeadlessRendererTest::TearDown();
    }

    // One frame of the scene under root as the application draws it, with
    // the scene updated first (time 0); the picture lands in pixels.
    void DrawFrame(Node* root, const Vector4& clear = Vector4(0.0f, 0.0f, 0.0f, 1.0f))
    {
        clearColour = clear;
        if (root)
            root->UpdateTree(0.0);
        renderer->SetCamera(camera.Get());
        Begin(clear);
        viewProjection = camera->GetViewProjection();
        if (root)
            root->DrawCulled(*renderer);
        End();
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

    Ptr<Camera> camera;
    Vector4 clearColour{0.0f, 0.0f, 0.0f, 1.0f};
};

} // namespace golden
