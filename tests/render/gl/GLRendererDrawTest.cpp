// What streams, stage combiners, stencil and sprites make of the pixels
// the OpenGL renderer draws in clip space.
#include "engine/render/gl/GLRenderer.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "engine/scene/Points.h"
#include "engine/scene/Vector4Buffer.h"
#include "render/gl/GLRendererRig.h"

using GLRendererDrawTest = GLRendererRig;

// streams ------------------------------------------------------------------------------

// A device without float colours takes them packed, truncated like every
// packed colour where the target rounds (0.5 and 0.9 tell the two apart);
// float colours are what every other picture here is drawn with.
TEST_F(GLRendererDrawTest, PackedColourStreamsTruncateLikeEveryPackedColour)
{
    DeviceCaps caps = renderer->GetCaps();
    caps.floatColours = false;
    renderer->SetCapsForTest(caps);
    for (const Vector4& colour : {Vector4(0.2f, 0.5f, 0.9f, 1.0f), Vector4(0.0f, 1.0f, 0.5f, 1.0f)})
    {
        Begin();
        Draw(Rectangle(-0.5f, -0.5f, 0.5f, 0.5f, colour), false);
        End();
        ExpectNear(AtClip(0.0f, 0.0f), Stored(Packed(colour.x), Packed(colour.y), Packed(colour.z)), 0, "packed");
    }
}

TEST_F(GLRendererDrawTest, DrawTakesVerticesInOrderAndNothingBelowOneOrPastTheStream)
{
    // Two rectangles as a plain list of four triangles: the upper right and
    // lower left halves of the left one, then the same of the right one.
    std::vector<Vector3> corners;
    for (float x0 : {-0.9f, 0.1f})
    {
        const float x1 = x0 + 0.8f;
        for (Vector3 p : {Vector3(x0, 0.5f, 0.5f), Vector3(x1, 0.5f, 0.5f), Vector3(x1, -0.5f, 0.5f),
                          Vector3(x0, 0.5f, 0.5f), Vector3(x1, -0.5f, 0.5f), Vector3(x0, -0.5f, 0.5f)})
            corners.push_back(p);
    }
    Ptr<Vector3Buffer> positions = new Vector3Buffer(12, new Vector3[12]);
    std::copy(corners.begin(), corners.end(), positions->GetElements());
    Ptr<Triangles> node = new Triangles(String("list"));
    for (auto [count, leftTop, leftBottom, right] :
         {std::tuple{0, false, false, false}, std::tuple{-3, false, false, false}, std::tuple{1, true, false, false},
          std::tuple{3, true, true, false}, std::tuple{4, true, true, true}, std::tuple{1000, true, true, true}})
    {
        SCOPED_TRACE(count);
        Begin();
        ASSERT_EQ(renderer->ApplyStateBlock(state.Get()), 0);
        renderer->SetPositionStream(positions.Get());
        renderer->SetGeometry(node.Get());
        ASSERT_EQ(renderer->Draw(count), 0);
        End();
        const Rgb on{255, 255, 255}, off{0, 0, 0};
        ExpectNear(AtClip(-0.3f, 0.3f), leftTop ? on : off, 0, "left, upper triangle");
        ExpectNear(AtClip(-0.7f, -0.3f), leftBottom ? on : off, 0, "left, lower triangle");
        ExpectNear(AtClip(0.3f, -0.3f), right ? on : off, 0, "right, lower triangle");
    }
}

// The call's buffers are the whole layout: a colour stream of one vertex
// bound before neither colours nor limits the draw, while an extra set
// shorter than the indices stops it and one of the wrong kind is left out.
TEST_F(GLRendererDrawTest, DrawIndexedStreamsBindsItsOwnBuffersAndDrawsThem)
{
    Ptr<Texture> texture = MakeTexture(2, 2, kChecker);
    const Mesh mesh = Rectangle(-1.0f, -1.0f, 1.0f, 1.0f, Vector4(1, 1, 1, 1));
    Ptr<ColorBuffer> stale = new ColorBuffer(1, new Vector4[1]{Vector4(0, 0, 0, 1)});
    state->stages[0].combine = StageCombine::Replace;
    struct Case
    {
        Ptr<Buffer> extraA;
        bool drawn;
    } cases[] = {{new Vector4Buffer(4, new Vector4[4]), true},
                 {new Vector4Buffer(1, new Vector4[1]), false},
                 {new Vector3Buffer(1, new Vector3[1]), true}};
    for (const auto& [extraA, drawn] : cases)
    {
        Begin();
        ASSERT_EQ(renderer->ApplyStateBlock(state.Get()), 0);
        renderer->SetColorStream(stale.Get());
        renderer->SetGeometry(mesh.node.Get());
        renderer->SetTexture(0, texture.Get());
        ASSERT_EQ(renderer->DrawIndexedStreams(mesh.positions.Get(), mesh.uvs.Get(), mesh.indices.Get(),
                                               extraA.Get(), nullptr),
                  0);
        End();
        ExpectNear(AtClip(-0.5f, 0.5f), drawn ? CheckerTexel(0, 0) : Rgb{0, 0, 0}, 0, "top left texel");
        ExpectNear(AtClip(0.5f, -0.5f), drawn ? CheckerTexel(1, 1) : Rgb{0, 0, 0}, 0, "bottom right texel");
    }
}

TEST_F(GLRendererDrawTest, TextureMatrixTranslationScrollsTheTexture)
{
    Ptr<Texture> texture = MakeTexture(2, 2, kChecker);
    const Mesh mesh = Rectangle(-1.0f, -1.0f, 1.0f, 1.0f, Vector4(1, 1, 1, 1));
    state->stages[0].combine = StageCombine::Replace;
    state->stages[0].addressU = state->stages[0].addressV = AddressMode::Wrap;
    // The 2D translation sits in row 2: (u, v, 1) x M.
    for (auto [du, dv] : {std::pair{0.0f, 0.0f}, std::pair{0.5f, 0.0f}, std::pair{0.0f, 0.5f}, std::pair{0.5f, 0.5f}})
    {
        SCOPED_TRACE(testing::Message() << "scroll " << du << "," << dv);
        Matrix4 scroll;
        scroll.m[2][0] = du;
        scroll.m[2][1] = dv;
        Begin();
        ASSERT_EQ(renderer->SetTextureMatrix(0, scroll), 0);
        renderer->SetTexture(0, texture.Get());
        Draw(mesh);
        End();
        // Each quarter of the view has u, v = 0.25 or 0.75 before the
        // scroll; half a texture moves it to the other texel (wrapping).
        for (int row = 0; row < 2; ++row)
            for (int column = 0; column < 2; ++column)
            {
                const float u = 0.25f + 0.5f * static_cast<float>(column);
                const float v = 0.25f + 0.5f * static_cast<float>(row);
                const int texelColumn = static_cast<int>(std::floor((u + du) * 2.0f)) % 2;
                const int texelRow = static_cast<int>(std::floor((v + dv) * 2.0f)) % 2;
                ExpectNear(AtClip(u * 2.0f - 1.0f, 1.0f - v * 2.0f), CheckerTexel(texelRow, texelColumn), 0,
                           "quarter " + std::to_string(row) + "," + std::to_string(column));
            }
    }
    EXPECT_EQ(renderer->SetTextureMatrix(8, Matrix4::Identity()), 3);
}

// state --------------------------------------------------------------------------------

// One 1 x 1 texel over the vertex colour with a factor on stage 0, through
// the custom combiner. Arguments are stored as [0] argument 1, [1]
// argument 2, [2] argument 0.
TEST_F(GLRendererDrawTest, CustomCombinerComputesItsOperationOnTheChosenArguments)
{
    const float t[3] = {200 / 255.0f, 100 / 255.0f, 40 / 255.0f};
    const Vector4 vertex{0.3f, 0.6f, 0.9f, 0.25f};
    const float d[3] = {vertex.x, vertex.y, vertex.z};
    const Vector4 factor{0.7f, 0.2f, 0.5f, 0.6f};
    const float f[4] = {Packed(factor.x), Packed(factor.y), Packed(factor.z), Packed(factor.w)};
    using A = CombineArgument;
    using M = ArgumentModifier;
    struct Case
    {
        CombineOperation operation;
        A arguments[3];
        M modifiers[3];
        // One channel of the result from texel, vertex colour and factor.
        float (*expected)(float t, float d, float f, float vertexAlpha, float factorAlpha);
    } cases[] = {
        {CombineOperation::AddSigned, {A::Texture, A::TextureFactor, A::Texture}, {M::None, M::None, M::None},
         [](float t, float, float f, float, float) { return t + f - 0.5f; }},
        {CombineOperation::Interpolate, {A::Texture, A::TextureFactor, A::Diffuse},
         {M::None, M::None, M::AlphaReplicate},
         [](float t, float, float f, float a, float) { return t * a + f * (1 - a); }},
        {CombineOperation::Subtract, {A::Texture, A::Diffuse, A::Texture}, {M::Complement, M::None, M::None},
         [](float t, float d, float, float, float) { return 1 - t - d; }},
        {CombineOperation::Select, {A::TextureFactor, A::Texture, A::Texture}, {M::AlphaReplicate, M::None, M::None},
         [](float, float, float, float, float fa) { return fa; }},
    };
    Ptr<Texture> texture = MakeTexture(1, 1, {200, 100, 40, 128});
    const Mesh mesh = Rectangle(-0.5f, -0.5f, 0.5f, 0.5f, vertex);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(ToInt(c.operation));
        RenderStateBlock::TextureStage& stage = state->stages[0];
        stage.textureFactor = factor;
        stage.combine = StageCombine::Custom;
        stage.colourOperation = c.operation;
        std::copy(std::begin(c.arguments), std::end(c.arguments), stage.colourArgument);
        std::copy(std::begin(c.modifiers), std::end(c.modifiers), stage.colourModifier);
        Begin();
        renderer->SetTexture(0, texture.Get());
        Draw(mesh);
        End();
        float want[3];
        for (int i = 0; i < 3; ++i)
            want[i] = c.expected(t[i], d[i], f[i], vertex.w, f[3]);
        ExpectNear(AtClip(0.0f, 0.0f), Stored(want[0], want[1], want[2]), 3, "combined");
    }
}

// Stage 0: texture + factor0 - 0.5; stage 1: from that towards its own
// texture by factor1.
TEST_F(GLRendererDrawTest, TwoStagesChainThroughPreviousEachWithItsOwnFactor)
{
    const float t0[3] = {120 / 255.0f, 60 / 255.0f, 220 / 255.0f};
    const float t1[3] = {10 / 255.0f, 250 / 255.0f, 90 / 255.0f};
    Ptr<Texture> first = MakeTexture(1, 1, {120, 60, 220, 255});
    Ptr<Texture> second = MakeTexture(1, 1, {10, 250, 90, 255});
    const Vector4 factor0{0.25f, 0.75f, 0.4f, 1.0f};
    const Vector4 factor1{0.3f, 0.3f, 0.3f, 0.3f};
    for (RenderStateBlock::TextureStage& stage : state->stages)
        stage.combine = StageCombine::Custom;
    state->stages[0].colourOperation = CombineOperation::AddSigned;
    state->stages[0].colourArgument[0] = CombineArgument::Texture;
    state->stages[0].colourArgument[1] = CombineArgument::TextureFactor;
    state->stages[0].textureFactor = factor0;
    state->stages[1].colourOperation = CombineOperation::Interpolate;
    state->stages[1].colourArgument[0] = CombineArgument::Texture;
    state->stages[1].colourArgument[1] = CombineArgument::Previous;
    state->stages[1].colourArgument[2] = CombineArgument::TextureFactor;
    state->stages[1].textureFactor = factor1;
    Begin();
    renderer->SetTexture(0, first.Get());
    renderer->SetTexture(1, second.Get());
    Draw(Rectangle(-0.5f, -0.5f, 0.5f, 0.5f, Vector4(1, 1, 1, 1)));
    End();
    const float f0[3] = {Packed(factor0.x), Packed(factor0.y), Packed(factor0.z)};
    const float f1 = Packed(factor1.x);
    float want[3];
    for (int i = 0; i < 3; ++i)
        want[i] = t1[i] * f1 + std::clamp(t0[i] + f0[i] - 0.5f, 0.0f, 1.0f) * (1 - f1);
    ExpectNear(AtClip(0.0f, 0.0f), Stored(want[0], want[1], want[2]), 4, "two stages");
}

// A one-sided pass writes its reference; two-sided, faces seen
// counter-clockwise take the counter-clockwise ops and the others the plain
// ones. Each value then limits an equal test to where it was written, and
// with the test off again nothing is limited.
TEST_F(GLRendererDrawTest, StencilOpsWriteWhereLaterEqualTestsPass)
{
    const Vector4 white{1, 1, 1, 1};
    Begin();
    state->stencilEnabled = true;
    state->stencilFunction = CompareFunction::Always;
    state->stencilPass = StencilOperation::Replace;
    state->stencilReference = 5;
    Draw(Rectangle(-1.0f, 0.0f, 1.0f, 1.0f, white), false); // the top half: 5
    state->twoSidedStencil = true;
    state->stencilReference = 3;                         // clockwise: 3
    state->ccwStencilFunction = CompareFunction::Always;
    state->ccwStencilPass = StencilOperation::Increment; // counter-clockwise: 1
    Draw(Rectangle(-0.9f, -0.9f, -0.1f, -0.1f, white), false);
    Mesh clockwise = Rectangle(0.1f, -0.9f, 0.9f, -0.1f, white);
    clockwise.indices = new IntBuffer(6, new int32_t[6]{0, 1, 2, 0, 2, 3});
    Draw(clockwise, false);
    state->twoSidedStencil = false;
    state->stencilFunction = CompareFunction::Equal;
    state->stencilPass = StencilOperation::Keep;
    for (auto [reference, colour] : {std::pair{5, Vector4(0, 1, 0, 1)}, std::pair{1, Vector4(0, 0, 1, 1)},
                                     std::pair{3, Vector4(1, 0, 0, 1)}, std::pair{6, white}})
    {
        state->stencilReference = reference;
        Draw(Rectangle(-1.0f, -1.0f, 1.0f, 1.0f, colour), false);
    }
    state->stencilEnabled = false;
    Draw(Rectangle(-0.05f, -0.6f, 0.05f, -0.4f, Vector4(1, 0, 1, 1)), false);
    End();
    ExpectNear(AtClip(0.0f, 0.5f), {0, 255, 0}, 0, "one-sided reference");
    ExpectNear(AtClip(-0.5f, -0.5f), {0, 0, 255}, 0, "counter-clockwise face incremented");
    ExpectNear(AtClip(0.5f, -0.5f), {255, 0, 0}, 0, "clockwise face replaced");
    ExpectNear(AtClip(0.0f, -0.95f), {0, 0, 0}, 0, "untouched");
    ExpectNear(AtClip(0.0f, -0.5f), {255, 0, 255}, 0, "stencil off");
}

// With s = x and t = y of the camera-space position and no coordinate
// stream at all, the quadrant of the view picks the texel.
TEST_F(GLRendererDrawTest, PositionGenerationUsesCameraSpaceCoordinates)
{
    Ptr<Texture> texture = MakeTexture(2, 2, kChecker);
    state->stages[0].combine = StageCombine::Replace;
    state->stages[0].texCoordGeneration = TexCoordGeneration::CameraPosition;
    Begin();
    renderer->SetTexture(0, texture.Get());
    Draw(Rectangle(0.02f, 0.02f, 0.98f, 0.98f, Vector4(1, 1, 1, 1)), false);
    End();
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 2; ++column)
            ExpectNear(AtClip((column + 0.5f) / 2.0f, (row + 0.5f) / 2.0f), CheckerTexel(row, column), 0,
                       "texel " + std::to_string(row) + "," + std::to_string(column));
}

// A sprite is viewport height x 0.1 / distance pixels wide and shows the
// whole texture upright; a plain point stays one pixel.
TEST_F(GLRendererDrawTest, PointSpriteCoversASquareOfTexelsScaledByViewportHeightOverDistance)
{
    Ptr<Texture> texture = MakeTexture(2, 2, kChecker);
    const float distance = 0.5f;
    Mesh point;
    point.node = new Points(String("point"));
    point.positions = new Vector3Buffer(1, new Vector3[1]{Vector3(0.0f, 0.0f, distance)});
    point.colours = new ColorBuffer(1, new Vector4[1]{Vector4(1, 1, 1, 1)});
    point.uvs = new Vector2Buffer(1, new Vector2[1]{Vector2(0, 0)});
    point.indices = new IntBuffer(1, new int32_t[1]{0});
    state->stages[0].combine = StageCombine::Replace;
    for (bool sprites : {true, false})
    {
        SCOPED_TRACE(sprites);
        state->pointSprites = sprites;
        Begin();
        renderer->SetTexture(0, texture.Get());
        Draw(point);
        End();
        const float size = static_cast<float>(height) * 0.1f / distance;
        const int quarter = static_cast<int>(size / 4.0f);
        const int outside = static_cast<int>(size / 2.0f) + 3;
        const int cx = width / 2, cy = height / 2;
        for (int row = 0; row < 2; ++row)
            for (int column = 0; column < 2; ++column)
                ExpectNear(At(cx + (column ? quarter : -quarter), cy + (row ? quarter : -quarter)),
                           sprites ? CheckerTexel(row, column) : Rgb{0, 0, 0}, 0, "inside the square");
        for (auto [dx, dy] : {std::pair{-outside, 0}, std::pair{outside, 0}, std::pair{0, -outside},
                              std::pair{0, outside}})
            ExpectNear(At(cx + dx, cy + dy), {0, 0, 0}, 0, "outside the square");
    }
}
