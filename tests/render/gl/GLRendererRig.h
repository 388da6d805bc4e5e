#pragma once
// The OpenGL renderer open headless and drawing straight in clip space
// (identity transforms: x, y in -1..1 with y up, depth 0..1) with a plain
// state block and no pass: the rig of the draw, state, texture and query
// tests. Whole scenes are GoldenImageTest's.
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "engine/image/Image.h"
#include "engine/core/Matrix4.h"
#include "engine/render/RenderStateBlock.h"
#include "engine/render/Texture.h"
#include "engine/scene/ColorBuffer.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "support/HeadlessRenderer.h"

// Top left red, top right green, bottom left blue, bottom right yellow.
inline const std::vector<uint8_t> kChecker = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 0, 255};

inline Rgb CheckerTexel(int row, int column)
{
    const uint8_t* t = &kChecker[static_cast<size_t>((row * 2 + column) * 4)];
    return {t[0], t[1], t[2]};
}

inline Ptr<Texture> MakeTexture(int width, int height, const std::vector<uint8_t>& rgba)
{
    Ptr<Image> image = new Image(String("texels"), Image::kPixel32, width, height);
    std::memcpy(image->GetData(), rgba.data(), rgba.size());
    Ptr<Texture> texture = new Texture(String("texels"));
    texture->SetImage(image.Get());
    return texture;
}

// Geometry with its streams, bound by the fixture's Draw.
struct Mesh
{
    Ptr<GeometryNode> node;
    Ptr<Vector3Buffer> positions;
    Ptr<ColorBuffer> colours;
    Ptr<Buffer> uvs;
    Ptr<IntBuffer> indices;
};

// A rectangle from (x0, y0) to (x1, y1), one vertex colour, coordinates
// (0, 0) at the top left to (1, 1) at the bottom right, corners drawn
// counter-clockwise as seen.
inline Mesh Rectangle(float x0, float y0, float x1, float y1, const Vector4& colour, float z = 0.5f)
{
    Mesh mesh;
    mesh.node = new Triangles(String("rect"));
    mesh.positions = new Vector3Buffer(
        4, new Vector3[4]{Vector3(x0, y1, z), Vector3(x1, y1, z), Vector3(x1, y0, z), Vector3(x0, y0, z)});
    mesh.colours = new ColorBuffer(4, new Vector4[4]{colour, colour, colour, colour});
    mesh.uvs = new Vector2Buffer(4, new Vector2[4]{Vector2(0, 0), Vector2(1, 0), Vector2(1, 1), Vector2(0, 1)});
    mesh.indices = new IntBuffer(6, new int32_t[6]{3, 2, 1, 3, 1, 0});
    return mesh;
}

// The renderer open headless with a plain state block: no culling, no depth,
// nearest and clamped sampling.
class GLRendererRig : public HeadlessRendererTest
{
protected:
    void SetUp() override
    {
        OpenRenderer("rig");
        if (!Opened())
            return;
        state = new RenderStateBlock(String("state"));
        state->cullEnabled = false;
        state->depthEnabled = false;
        // Nearest sampling, clamped, so single texels land on known pixels.
        for (RenderStateBlock::TextureStage& stage : state->stages)
        {
            stage.minFilter = stage.magFilter = TextureFilter::Nearest;
            stage.addressU = stage.addressV = stage.addressW = AddressMode::Clamp;
        }
    }

    void TearDown() override
    {
        state = nullptr;
        HeadlessRendererTest::TearDown();
    }

    // A black frame with the stencil cleared too, drawing in clip space.
    void Begin()
    {
        HeadlessRendererTest::Begin(Vector4(0, 0, 0, 1), 7);
        renderer->SetWorldMatrix(Matrix4::Identity());
        renderer->SetViewMatrix(Matrix4::Identity());
        renderer->SetProjectionMatrix(Matrix4::Identity());
    }

    // Applies the fixture's state block, then binds and draws the mesh.
    void Draw(const Mesh& mesh, bool withCoordinates = true)
    {
        ASSERT_EQ(renderer->ApplyStateBlock(state.Get()), 0);
        renderer->SetPositionStream(mesh.positions.Get());
        renderer->SetColorStream(mesh.colours.Get());
        renderer->SetNormalStream(nullptr);
        for (uint32_t set = 0; set < 8; ++set)
            renderer->SetTexCoordStream(set, withCoordinates && set < 2 ? mesh.uvs.Get() : nullptr);
        renderer->SetIndexBuffer(mesh.indices.Get());
        renderer->SetGeometry(mesh.node.Get());
        ASSERT_EQ(renderer->DrawIndexed(), 0);
    }

    Ptr<RenderStateBlock> state;
};

