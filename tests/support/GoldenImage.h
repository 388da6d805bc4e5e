#pragma once
// Whole-scene picture checks: frames drawn the way the application draws
// them (Clear, BeginFrame, the scene, EndFrame), helpers that say where a
// world point lands, and the colour arithmetic the expected pictures are
// worked out with.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/core/Matrix4.h"
#include "engine/image/Image.h"
#include "engine/render/ColorEffect.h"
#include "engine/render/Texture.h"
#include "engine/scene/Camera.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Light.h"
#include "engine/scene/Node.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "support/HeadlessRenderer.h"

namespace golden
{

// A colour in floats before the 8-bit store, with the per-channel sums and
// products the blending, fog, combine and lighting formulas are made of.
struct Colour
{
    float r, g, b;

    Colour operator+(const Colour& other) const { return {r + other.r, g + other.g, b + other.b}; }
    Colour operator-(const Colour& other) const { return {r - other.r, g - other.g, b - other.b}; }
    Colour operator*(const Colour& other) const { return {r * other.r, g * other.g, b * other.b}; }
    Colour operator*(float s) const { return {r * s, g * s, b * s}; }
};

// A colour as the effect is given it, alpha aside.
inline Colour ColourOf(const Vector4& c)
{
    return {c.x, c.y, c.z};
}

// A colour as the renderer packs it for the device (clear, fog, factor).
inline Colour PackedColour(const Vector4& c)
{
    return {Packed(c.x), Packed(c.y), Packed(c.z)};
}

// An 8-bit texel as the device samples it.
inline Colour TexelColour(const uint8_t* texel)
{
    return {texel[0] / 255.0f, texel[1] / 255.0f, texel[2] / 255.0f};
}

// a x f + b x (1 - f): alpha blending, fog, decal.
inline Colour Mix(const Colour& a, const Colour& b, float f)
{
    return a * f + b * (1.0f - f);
}

// What the 8-bit target holds for it.
inline Rgb Stored(const Colour& c)
{
    return ::Stored(c.r, c.g, c.b);
}

// A material and the colours of a light on it, with what the lighting
// formula makes of them.
struct Lighting
{
    Vector4 ambient{0.5f, 0.5f, 0.5f, 1.0f};
    Vector4 diffuse{0.8f, 0.6f, 0.4f, 1.0f};
    Vector4 specular{0.0f, 0.0f, 0.0f, 1.0f};
    Vector4 emissive{0.05f, 0.05f, 0.1f, 1.0f};
    float power = 1.0f;
    Vector4 lightAmbient{0.2f, 0.2f, 0.2f, 1.0f};
    Vector4 lightDiffuse{0.9f, 0.8f, 0.7f, 1.0f};
    Vector4 lightSpecular{0.0f, 0.0f, 0.0f, 1.0f};

    // The material on an effect, as the lit effects take it.
    void Put(GeometryNodeEffect& effect) const { effect.SetMaterial(diffuse, ambient, specular, emissive, power); }

    // A light of the type in the light colours.
    Ptr<Light> MakeLight(int32_t type) const
    {
        Ptr<Light> light = new Light(String("light"));
        light->SetLightType(type);
        light->SetAmbient(lightAmbient);
        light->SetDiffuse(lightDiffuse);
        light->SetSpecular(lightSpecular);
        return light;
    }

    // What one light adds: scale x (texture x (ambient x light ambient +
    // diffuse x light diffuse x N.L) + specular x light specular x
    // highlight), with highlight (N.H)^power and scale the attenuation
    // times the spot factor.
    Colour Added(float lambert, float highlight = 0.0f, float scale = 1.0f, const Colour& texture = {1, 1, 1}) const
    {
        const Colour reflected = ColourOf(ambient) * ColourOf(lightAmbient) +
                                 ColourOf(diffuse) * ColourOf(lightDiffuse) * std::max(0.0f, lambert);
        return (texture * reflected + ColourOf(specular) * ColourOf(lightSpecular) * highlight) * scale;
    }

    // The emissive colour plus what one light adds.
    Colour Lit(float lambert, float highlight = 0.0f, float scale = 1.0f, const Colour& texture = {1, 1, 1}) const
    {
        return ColourOf(emissive) + Added(lambert, highlight, scale, texture);
    }
};

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

// A 2 x 2 RGBA texture, rows as given (row 0 first in the block).
inline Ptr<Texture> MakeTexture(const uint8_t (&texels)[2][2][4])
{
    Ptr<Image> image = new Image(String("texels"), Image::kPixel32, 2, 2);
    std::memcpy(image->GetData(), texels, sizeof(texels));
    Ptr<Texture> texture = new Texture(String("texels"));
    texture->SetImage(image.Get());
    return texture;
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

    // One frame as the application draws it, draw() between BeginFrame and
    // EndFrame; the picture lands in pixels.
    template <typename Draw>
    void Frame(const Vector4& clear, Draw draw)
    {
        clearColour = clear;
        renderer->SetCamera(camera.Get());
        Begin(clear);
        viewProjection = camera->GetViewProjection();
        draw();
        End();
    }

    // The scene under root, updated first (time 0) and drawn culled.
    void DrawFrame(Node* root, const Vector4& clear = Vector4(0.0f, 0.0f, 0.0f, 1.0f))
    {
        root->UpdateTree(0.0);
        Frame(clear, [&] { root->DrawCulled(*renderer); });
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
    Rgb ClearRgb() const { return Stored(PackedColour(clearColour)); }

    Ptr<Camera> camera;
    Vector4 clearColour{0.0f, 0.0f, 0.0f, 1.0f};
};

} // namespace golden
