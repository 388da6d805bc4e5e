#include "engine/render/gl/GLRenderer.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/image/Image.h"
#include "engine/core/Matrix4.h"
#include "engine/render/RenderStateBlock.h"
#include "engine/render/Texture.h"
#include "engine/render/gl/GLDevice.h"
#include "engine/render/gl/GLFunctions.h"
#include "engine/scene/ColorBuffer.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Points.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "support/HeadlessRenderer.h"

namespace
{

struct Colour
{
    float r, g, b;
};

std::ostream& operator<<(std::ostream& out, const Colour& c)
{
    return out << "(" << c.r * 255.0f << ", " << c.g * 255.0f << ", " << c.b * 255.0f << ")";
}

float Clamp(float v)
{
    return std::clamp(v, 0.0f, 1.0f);
}

// Combiner results go through 8-bit inputs and an 8-bit target: two steps.
constexpr float kTolerance = 2.5f / 255.0f;

const Vector4 kClear{0.0f, 0.0f, 0.0f, 1.0f};

// Geometry given straight in clip space (identity world, view and
// projection): x, y in -1..1 with y up, depth 0..1.
struct Mesh
{
    Ptr<GeometryNode> node;
    Ptr<Vector3Buffer> positions;
    Ptr<ColorBuffer> colours;
    Ptr<Vector2Buffer> uvs;
    Ptr<IntBuffer> indices;
};

// A rectangle from (x0, y0) to (x1, y1), one vertex colour, coordinates
// (0, 0) at the top left to (1, 1) at the bottom right.
Mesh Rectangle(float x0, float y0, float x1, float y1, const Vector4& colour, float z = 0.5f)
{
    Mesh mesh;
    mesh.node = new Triangles(String("rect"));
    mesh.positions = new Vector3Buffer(
        4, new Vector3[4]{Vector3(x0, y1, z), Vector3(x1, y1, z), Vector3(x1, y0, z), Vector3(x0, y0, z)});
    mesh.colours = new ColorBuffer(4, new Vector4[4]{colour, colour, colour, colour});
    mesh.uvs = new Vector2Buffer(4, new Vector2[4]{Vector2(0, 0), Vector2(1, 0), Vector2(1, 1), Vector2(0, 1)});
    mesh.indices = new IntBuffer(6, new int32_t[6]{0, 1, 2, 0, 2, 3});
    return mesh;
}

Ptr<Texture> MakeTexture(int width, int height, const std::vector<uint8_t>& rgba)
{
    Ptr<Image> image = new Image(String("texels"), Image::kPixel32, width, height);
    std::memcpy(image->GetData(), rgba.data(), rgba.size());
    Ptr<Texture> texture = new Texture(String("texels"));
    texture->SetImage(image.Get());
    return texture;
}

// Nearest sampling, clamped, so single texels land on known pixels.
void NearestClamp(RenderStateBlock::TextureStage& stage)
{
    stage.minFilter = TextureFilter::Nearest;
    stage.magFilter = TextureFilter::Nearest;
    stage.addressU = stage.addressV = stage.addressW = AddressMode::Clamp;
}

class GLRendererStateTest : public HeadlessRendererTest
{
protected:
    void SetUp() override
    {
        OpenRenderer("state");
        if (!Opened())
            return;
        state = new RenderStateBlock(String("state"));
        state->cullEnabled = false;
        state->depthEnabled = false;
    }

    void TearDown() override
    {
        state = nullptr;
        HeadlessRendererTest::TearDown();
    }

    // A frame with the stencil cleared too, drawing straight in clip space.
    void Begin()
    {
        HeadlessRendererTest::Begin(kClear, 7);
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

    // The pixel under a clip-space point, and pixel (px, py), as fractions.
    Colour At(float x, float y) const { return Fraction(AtClip(x, y)); }
    Colour AtPixel(int px, int py) const { return Fraction(HeadlessRendererTest::At(px, py)); }
    static Colour Fraction(const Rgb& c) { return {c.r / 255.0f, c.g / 255.0f, c.b / 255.0f}; }

    static void ExpectNear(const Colour& got, const Colour& want, float tolerance, const std::string& what)
    {
        EXPECT_NEAR(got.r, want.r, tolerance) << what << ": got " << got << " want " << want;
        EXPECT_NEAR(got.g, want.g, tolerance) << what << ": got " << got << " want " << want;
        EXPECT_NEAR(got.b, want.b, tolerance) << what << ": got " << got << " want " << want;
    }

    // Whether stage's fixed-function 2D texturing is on after a bind.
    bool StageTextured(uint32_t stage)
    {
        const GLFunctions& gl = renderer->GetDevice()->Functions();
        gl.activeTexture(GL_TEXTURE0 + stage);
        const bool on = glIsEnabled(GL_TEXTURE_2D) == GL_TRUE;
        gl.activeTexture(GL_TEXTURE0);
        return on;
    }

    Ptr<RenderStateBlock> state;
};

// One 1 x 1 texel T over vertex colour D with factor F on stage 0.
struct CombineCase
{
    const char* name;
    void (*configure)(RenderStateBlock::TextureStage&);
    Colour (*expected)(const float t[4], const float d[4], const float f[4]);
};

} // namespace

TEST_F(GLRendererStateTest, CustomCombinerComputesItsOperationOnTheChosenArguments)
{
    const std::vector<uint8_t> texel = {200, 100, 40, 128};
    const float t[4] = {200 / 255.0f, 100 / 255.0f, 40 / 255.0f, 128 / 255.0f};
    const Vector4 vertex{0.3f, 0.6f, 0.9f, 0.25f};
    const float d[4] = {vertex.x, vertex.y, vertex.z, vertex.w};
    const Vector4 factor{0.7f, 0.2f, 0.5f, 0.6f};
    const float f[4] = {Packed(factor.x), Packed(factor.y), Packed(factor.z), Packed(factor.w)};

    const CombineCase cases[] = {
        {"custom add signed texture and factor",
         [](RenderStateBlock::TextureStage& s) {
             s.combine = StageCombine::Custom;
             s.colourOperation = CombineOperation::AddSigned;
             s.colourArgument[0] = CombineArgument::Texture;
             s.colourArgument[1] = CombineArgument::TextureFactor;
         },
         [](const float t[4], const float*, const float f[4]) {
             return Colour{Clamp(t[0] + f[0] - 0.5f), Clamp(t[1] + f[1] - 0.5f), Clamp(t[2] + f[2] - 0.5f)};
         }},
        {"custom lerp texture to factor by vertex alpha",
         [](RenderStateBlock::TextureStage& s) {
             s.combine = StageCombine::Custom;
             s.colourOperation = CombineOperation::Interpolate;
             s.colourArgument[0] = CombineArgument::Texture;       // argument 1
             s.colourArgument[1] = CombineArgument::TextureFactor; // argument 2
             s.colourArgument[2] = CombineArgument::Diffuse;       // argument 0...
             s.colourModifier[2] = ArgumentModifier::AlphaReplicate; // ...its alpha
         },
         [](const float t[4], const float d[4], const float f[4]) {
             const float a = d[3];
             return Colour{t[0] * a + f[0] * (1 - a), t[1] * a + f[1] * (1 - a), t[2] * a + f[2] * (1 - a)};
         }},
        {"custom subtract vertex colour from complemented texture",
         [](RenderStateBlock::TextureStage& s) {
             s.combine = StageCombine::Custom;
             s.colourOperation = CombineOperation::Subtract;
             s.colourArgument[0] = CombineArgument::Texture;
             s.colourModifier[0] = ArgumentModifier::Complement;
             s.colourArgument[1] = CombineArgument::Diffuse;
         },
         [](const float t[4], const float d[4], const float*) {
             return Colour{Clamp(1 - t[0] - d[0]), Clamp(1 - t[1] - d[1]), Clamp(1 - t[2] - d[2])};
         }},
        {"custom select factor alpha",
         [](RenderStateBlock::TextureStage& s) {
             s.combine = StageCombine::Custom;
             s.colourOperation = CombineOperation::Select;
             s.colourArgument[0] = CombineArgument::TextureFactor;
             s.colourModifier[0] = ArgumentModifier::AlphaReplicate;
         },
         [](const float*, const float*, const float f[4]) { return Colour{f[3], f[3], f[3]}; }},
    };

    Ptr<Texture> texture = MakeTexture(1, 1, texel);
    const Mesh mesh = Rectangle(-0.5f, -0.5f, 0.5f, 0.5f, vertex);
    for (const CombineCase& c : cases)
    {
        Begin();
        state->stages[0] = RenderStateBlock::TextureStage();
        NearestClamp(state->stages[0]);
        state->stages[0].textureFactor = factor;
        c.configure(state->stages[0]);
        renderer->SetTexture(0, texture.Get());
        Draw(mesh);
        renderer->SetTexture(0, nullptr);
        End();
        ExpectNear(At(0.0f, 0.0f), c.expected(t, d, f), kTolerance, c.name);
        ExpectNear(At(0.8f, 0.8f), {0, 0, 0}, 0.0f, std::string(c.name) + " outside");
    }
}

// Needs textures on stage 1 at the same time as stage 0; skipped with the
// reason while the texture side binds stage 0 only.
TEST_F(GLRendererStateTest, TwoStagesChainThroughPreviousEachWithItsOwnFactor)
{
    const float t0[3] = {120 / 255.0f, 60 / 255.0f, 220 / 255.0f};
    const float t1[3] = {10 / 255.0f, 250 / 255.0f, 90 / 255.0f};
    Ptr<Texture> first = MakeTexture(1, 1, {120, 60, 220, 255});
    Ptr<Texture> second = MakeTexture(1, 1, {10, 250, 90, 255});
    const Vector4 factor0{0.25f, 0.75f, 0.4f, 1.0f};
    const Vector4 factor1{0.3f, 0.3f, 0.3f, 0.3f};

    Begin();
    renderer->SetTexture(0, first.Get());
    renderer->SetTexture(1, second.Get());
    if (!StageTextured(1))
    {
        renderer->SetTexture(0, nullptr);
        End();
        GTEST_SKIP() << "stage 1 does not bind a texture yet";
    }
    // Stage 0: texture + factor0 - 0.5. Stage 1: lerp from previous towards
    // its texture by factor1.
    for (RenderStateBlock::TextureStage& stage : state->stages)
        NearestClamp(stage);
    state->stages[0].combine = StageCombine::Custom;
    state->stages[0].colourOperation = CombineOperation::AddSigned;
    state->stages[0].colourArgument[0] = CombineArgument::Texture;
    state->stages[0].colourArgument[1] = CombineArgument::TextureFactor;
    state->stages[0].textureFactor = factor0;
    state->stages[1].combine = StageCombine::Custom;
    state->stages[1].colourOperation = CombineOperation::Interpolate;
    state->stages[1].colourArgument[0] = CombineArgument::Texture;       // argument 1
    state->stages[1].colourArgument[1] = CombineArgument::Previous;      // argument 2
    state->stages[1].colourArgument[2] = CombineArgument::TextureFactor; // argument 0
    state->stages[1].textureFactor = factor1;
    const Mesh mesh = Rectangle(-0.5f, -0.5f, 0.5f, 0.5f, Vector4(1, 1, 1, 1));
    Draw(mesh);
    renderer->SetTexture(1, nullptr);
    renderer->SetTexture(0, nullptr);
    End();

    const float f0[3] = {Packed(factor0.x), Packed(factor0.y), Packed(factor0.z)};
    const float f1[3] = {Packed(factor1.x), Packed(factor1.y), Packed(factor1.z)};
    float want[3];
    for (int i = 0; i < 3; ++i)
    {
        const float previous = Clamp(t0[i] + f0[i] - 0.5f);
        want[i] = t1[i] * f1[i] + previous * (1 - f1[i]);
    }
    ExpectNear(At(0.0f, 0.0f), {want[0], want[1], want[2]}, 3.5f / 255.0f, "two stages");
}

TEST_F(GLRendererStateTest, StencilWrittenWithAReferenceLimitsALaterEqualTest)
{
    Begin();
    // Left half writes 5 where it draws.
    state->stencilEnabled = true;
    state->stencilFunction = CompareFunction::Always;
    state->stencilReference = 5;
    state->stencilPass = StencilOperation::Replace;
    Draw(Rectangle(-1.0f, -1.0f, 0.0f, 1.0f, Vector4(1, 0, 0, 1)), false);
    // The whole view, only where the stencil equals 5.
    state->stencilFunction = CompareFunction::Equal;
    state->stencilPass = StencilOperation::Keep;
    Draw(Rectangle(-1.0f, -1.0f, 1.0f, 1.0f, Vector4(0, 1, 0, 1)), false);
    // A reference nothing holds draws nowhere.
    state->stencilReference = 6;
    Draw(Rectangle(-1.0f, -1.0f, 1.0f, 1.0f, Vector4(1, 1, 1, 1)), false);
    // Off again: the test no longer limits anything.
    state->stencilEnabled = false;
    Draw(Rectangle(0.5f, 0.5f, 1.0f, 1.0f, Vector4(0, 0, 1, 1)), false);
    End();

    ExpectNear(At(-0.5f, 0.0f), {0, 1, 0}, 0.0f, "stencil 5");
    ExpectNear(At(0.25f, 0.0f), {0, 0, 0}, 0.0f, "stencil 0");
    ExpectNear(At(0.75f, 0.75f), {0, 0, 1}, 0.0f, "stencil off");
}

TEST_F(GLRendererStateTest, TwoSidedStencilTakesTheCounterClockwiseOpsForFacesSeenCounterClockwise)
{
    Begin();
    state->stencilEnabled = true;
    state->twoSidedStencil = true;
    state->stencilFunction = CompareFunction::Always;
    state->stencilReference = 3;
    state->stencilPass = StencilOperation::Replace;      // clockwise faces: 3
    state->ccwStencilFunction = CompareFunction::Always;
    state->ccwStencilPass = StencilOperation::Increment; // counter-clockwise faces: 1

    // Left: corners counter-clockwise as seen (y up); right: clockwise.
    Mesh left = Rectangle(-0.9f, -0.5f, -0.1f, 0.5f, Vector4(1, 1, 1, 1));
    left.indices = new IntBuffer(6, new int32_t[6]{3, 2, 1, 3, 1, 0});
    Mesh right = Rectangle(0.1f, -0.5f, 0.9f, 0.5f, Vector4(1, 1, 1, 1));
    right.indices = new IntBuffer(6, new int32_t[6]{0, 1, 2, 0, 2, 3});
    Draw(left, false);
    Draw(right, false);

    // One sided again: show where each value landed.
    state->twoSidedStencil = false;
    state->stencilFunction = CompareFunction::Equal;
    state->stencilPass = StencilOperation::Keep;
    state->stencilReference = 1;
    Draw(Rectangle(-1.0f, -1.0f, 1.0f, 1.0f, Vector4(0, 0, 1, 1)), false);
    state->stencilReference = 3;
    Draw(Rectangle(-1.0f, -1.0f, 1.0f, 1.0f, Vector4(0, 1, 0, 1)), false);
    End();

    ExpectNear(At(-0.5f, 0.0f), {0, 0, 1}, 0.0f, "counter-clockwise face incremented");
    ExpectNear(At(0.5f, 0.0f), {0, 1, 0}, 0.0f, "clockwise face replaced");
    ExpectNear(At(0.0f, 0.8f), {0, 0, 0}, 0.0f, "untouched");
}

TEST_F(GLRendererStateTest, PositionGenerationUsesCameraSpaceCoordinates)
{
    // 2 x 2 texels: with s = x and t = y of the camera-space position, the
    // quadrant of the view picks the texel.
    const std::vector<uint8_t> texels = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 0, 255};
    Ptr<Texture> texture = MakeTexture(2, 2, texels);
    Begin();
    NearestClamp(state->stages[0]);
    state->stages[0].combine = StageCombine::Replace;
    state->stages[0].texCoordGeneration = TexCoordGeneration::CameraPosition;
    renderer->SetTexture(0, texture.Get());
    // No coordinate stream at all: everything comes from the positions.
    Draw(Rectangle(0.02f, 0.02f, 0.98f, 0.98f, Vector4(1, 1, 1, 1)), false);
    renderer->SetTexture(0, nullptr);
    End();

    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 2; ++column)
        {
            const float s = (static_cast<float>(column) + 0.5f) / 2.0f;
            const float t = (static_cast<float>(row) + 0.5f) / 2.0f;
            const uint8_t* texel = &texels[static_cast<size_t>((row * 2 + column) * 4)];
            ExpectNear(At(s, t), {texel[0] / 255.0f, texel[1] / 255.0f, texel[2] / 255.0f}, 0.0f,
                       "texel " + std::to_string(row) + "," + std::to_string(column));
        }
}

TEST_F(GLRendererStateTest, PointSpriteCoversASquareOfTexelsScaledByViewportHeightOverDistance)
{
    // Top left red, top right green, bottom left blue, bottom right yellow.
    const std::vector<uint8_t> texels = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 0, 255};
    Ptr<Texture> texture = MakeTexture(2, 2, texels);
    Mesh point;
    point.node = new Points(String("point"));
    const float distance = 0.5f;
    point.positions = new Vector3Buffer(1, new Vector3[1]{Vector3(0.0f, 0.0f, distance)});
    point.colours = new ColorBuffer(1, new Vector4[1]{Vector4(1, 1, 1, 1)});
    point.uvs = new Vector2Buffer(1, new Vector2[1]{Vector2(0, 0)});
    point.indices = new IntBuffer(1, new int32_t[1]{0});

    for (bool sprites : {true, false})
    {
        Begin();
        NearestClamp(state->stages[0]);
        state->stages[0].combine = StageCombine::Replace;
        state->pointSprites = sprites;
        renderer->SetTexture(0, texture.Get());
        Draw(point);
        renderer->SetTexture(0, nullptr);
        End();

        // Size in pixels: viewport height x 0.1 / distance.
        const float size = static_cast<float>(height) * 0.1f / distance;
        const int cx = width / 2;
        const int cy = height / 2;
        const int quarter = static_cast<int>(size / 4.0f);
        const int outside = static_cast<int>(size / 2.0f) + 3;
        if (sprites)
        {
            ExpectNear(AtPixel(cx - quarter, cy - quarter), {1, 0, 0}, 0.0f, "top left");
            ExpectNear(AtPixel(cx + quarter, cy - quarter), {0, 1, 0}, 0.0f, "top right");
            ExpectNear(AtPixel(cx - quarter, cy + quarter), {0, 0, 1}, 0.0f, "bottom left");
            ExpectNear(AtPixel(cx + quarter, cy + quarter), {1, 1, 0}, 0.0f, "bottom right");
        }
        // Past the square (and anywhere but the centre pixel without
        // sprites) the clear colour stays.
        ExpectNear(AtPixel(cx - outside, cy), {0, 0, 0}, 0.0f, "left of the square");
        ExpectNear(AtPixel(cx + outside, cy), {0, 0, 0}, 0.0f, "right of the square");
        ExpectNear(AtPixel(cx, cy - outside), {0, 0, 0}, 0.0f, "above the square");
        ExpectNear(AtPixel(cx, cy + outside), {0, 0, 0}, 0.0f, "below the square");
        if (!sprites)
            ExpectNear(AtPixel(cx - 3, cy - 3), {0, 0, 0}, 0.0f, "plain point stays one pixel");
    }
}
