#include "engine/render/gl/GLRenderer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/image/Image.h"
#include "engine/core/Matrix4.h"
#include "engine/render/ColorEffect.h"
#include "engine/render/RenderStateBlock.h"
#include "engine/render/Texture.h"
#include "engine/render/TextureEffect.h"
#include "engine/render/gl/GLDevice.h"
#include "engine/scene/Camera.h"
#include "engine/scene/ColorBuffer.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/scene/Vector4Buffer.h"
#include "support/HeadlessRenderer.h"

namespace
{

const Vector4 kClear{0.0f, 0.0f, 1.0f, 1.0f};

// A running engine with the OpenGL renderer open headless, drawing single
// nodes between BeginFrame and EndFrame with the default camera.
class GLRendererDrawTest : public HeadlessRendererTest
{
protected:
    // Clears, begins the frame (which sets up the camera) and returns its
    // view-projection for the expected positions.
    void Begin()
    {
        HeadlessRendererTest::Begin(kClear);
        Camera* camera = renderer->GetCamera();
        ASSERT_NE(camera, nullptr);
        viewProjection = camera->GetView() * camera->GetProjection();
    }

    // A triangle node of three points and the given indices with a colour
    // effect; culling is off so the winding does not matter.
    Ptr<Triangles> MakeTriangle(const Vector3 (&corners)[3], const Vector4& colour,
                                std::vector<int32_t> order = {0, 1, 2})
    {
        Ptr<Triangles> node = new Triangles(String("tri"));
        Vector3* points = new Vector3[3]{corners[0], corners[1], corners[2]};
        node->SetVertices(new Vector3Buffer(3, points));
        int32_t* list = new int32_t[order.size()];
        for (size_t i = 0; i < order.size(); ++i)
            list[i] = order[i];
        node->SetIndices(new IntBuffer(static_cast<uint32_t>(order.size()), list));
        Ptr<ColorEffect> effect = new ColorEffect(String("colour"));
        effect->SetColor(colour);
        effect->SetCullEnabled(false);
        node->SetEffect(effect.Get());
        return node;
    }

    Rgb ClearRgb() const { return {Stored(Packed(kClear.x)), Stored(Packed(kClear.y)), Stored(Packed(kClear.z))}; }

};

// A triangle at a depth along +z, where the default camera looks.
void FrontTriangle(float distance, Vector3 (&out)[3])
{
    out[0] = Vector3(-1.0f, -1.0f, distance);
    out[1] = Vector3(1.0f, -1.0f, distance);
    out[2] = Vector3(0.0f, 1.0f, distance);
}

} // namespace

TEST_F(GLRendererDrawTest, DrawsTheColourInsideAndLeavesTheClearColourOutside)
{
    Begin();
    Vector3 corners[3];
    FrontTriangle(5.0f, corners);
    const Vector4 colour{0.2f, 0.4f, 0.6f, 1.0f};
    Ptr<Triangles> node = MakeTriangle(corners, colour);
    node->Draw(*renderer);
    End();

    int cx = 0, cy = 0;
    const Vector3 centroid((corners[0].x + corners[1].x + corners[2].x) / 3, (corners[0].y + corners[1].y + corners[2].y) / 3,
                           corners[0].z);
    ASSERT_TRUE(PixelOf(centroid, cx, cy));
    ASSERT_TRUE(cx > 2 && cx < width - 2 && cy > 2 && cy < height - 2) << cx << "," << cy;
    ExpectNear(At(cx, cy), {Stored(colour.x), Stored(colour.y), Stored(colour.z)}, 0, "inside");

    // Outside: past the apex and beside the base, by the projected corners.
    int ax = 0, ay = 0, bx = 0, by = 0;
    ASSERT_TRUE(PixelOf(corners[2], ax, ay));
    ASSERT_TRUE(PixelOf(corners[1], bx, by));
    if (ay - 3 >= 0)
        ExpectNear(At(ax, ay - 3), ClearRgb(), 0, "above the apex");
    if (bx + 3 < width)
        ExpectNear(At(bx + 3, by - 1), ClearRgb(), 0, "right of the base");
    ExpectNear(At(0, 0), ClearRgb(), 0, "corner");
}

TEST_F(GLRendererDrawTest, GeometryBehindTheEyeOrOutsideTheViewIsNotDrawn)
{
    Begin();
    Vector3 behind[3];
    FrontTriangle(-5.0f, behind);
    Vector3 aside[3] = {Vector3(300.0f, -1.0f, 5.0f), Vector3(302.0f, -1.0f, 5.0f), Vector3(301.0f, 1.0f, 5.0f)};
    Ptr<Triangles> back = MakeTriangle(behind, Vector4(1, 0, 0, 1));
    Ptr<Triangles> side = MakeTriangle(aside, Vector4(0, 1, 0, 1));
    back->Draw(*renderer);
    side->Draw(*renderer);
    End();

    int dummyX = 0, dummyY = 0;
    ASSERT_FALSE(PixelOf(behind[0], dummyX, dummyY)) << "the test triangle must be behind the eye";
    const Rgb clear = ClearRgb();
    for (int y = 0; y < height; y += 7)
        for (int x = 0; x < width; x += 7)
        {
            const Rgb got = At(x, y);
            ASSERT_TRUE(got.r == clear.r && got.g == clear.g && got.b == clear.b) << x << "," << y << " " << got;
        }
}

TEST_F(GLRendererDrawTest, DepthTestKeepsTheNearerTriangleWhicheverComesFirst)
{
    for (bool nearFirst : {true, false})
    {
        Begin();
        Vector3 nearCorners[3], farCorners[3];
        FrontTriangle(4.0f, nearCorners);
        FrontTriangle(8.0f, farCorners);
        // The far one scaled up so both cover the same centre pixel.
        for (Vector3& p : farCorners)
            p = Vector3(p.x * 2.0f, p.y * 2.0f, p.z);
        const Vector4 nearColour{1.0f, 0.0f, 0.0f, 1.0f};
        const Vector4 farColour{0.0f, 1.0f, 0.0f, 1.0f};
        Ptr<Triangles> nearNode = MakeTriangle(nearCorners, nearColour);
        Ptr<Triangles> farNode = MakeTriangle(farCorners, farColour);
        if (nearFirst)
        {
            nearNode->Draw(*renderer);
            farNode->Draw(*renderer);
        }
        else
        {
            farNode->Draw(*renderer);
            nearNode->Draw(*renderer);
        }
        End();
        int cx = 0, cy = 0;
        ASSERT_TRUE(PixelOf(Vector3(0.0f, -1.0f / 3.0f, 4.0f), cx, cy));
        ExpectNear(At(cx, cy), {Stored(nearColour.x), Stored(nearColour.y), Stored(nearColour.z)}, 0,
                   nearFirst ? "near drawn first" : "near drawn last");
    }
}

TEST_F(GLRendererDrawTest, HalfTransparentColourBlendsOverTheClearColour)
{
    Begin();
    Vector3 corners[3];
    FrontTriangle(5.0f, corners);
    const Vector4 colour{1.0f, 0.6f, 0.0f, 0.5f};
    Ptr<Triangles> node = MakeTriangle(corners, colour);
    static_cast<ColorEffect*>(node->GetEffect())
        ->SetBlend(true, BlendFactor::SourceAlpha, BlendFactor::InverseSourceAlpha);
    // Drawn as the transparent queue would draw it.
    node->DrawDeferred(*renderer);
    End();

    int cx = 0, cy = 0;
    ASSERT_TRUE(PixelOf(Vector3(0.0f, -1.0f / 3.0f, 5.0f), cx, cy));
    const float a = colour.w;
    const float clear[3] = {Packed(kClear.x), Packed(kClear.y), Packed(kClear.z)};
    const Rgb want{Stored(colour.x * a + clear[0] * (1 - a)), Stored(colour.y * a + clear[1] * (1 - a)),
                   Stored(colour.z * a + clear[2] * (1 - a))};
    ExpectNear(At(cx, cy), want, 1, "blended");
}

TEST_F(GLRendererDrawTest, TexturedQuadSamplesEachTexelAtItsCentre)
{
    Begin();
    // 2 x 2 RGBA texels; row 0 of the image is texture coordinate v near 0.
    const uint8_t texels[2][2][4] = {{{255, 0, 0, 255}, {0, 255, 0, 255}}, {{0, 0, 255, 255}, {255, 255, 0, 255}}};
    Ptr<Image> image = new Image(String("checker"), Image::kPixel32, 2, 2);
    ASSERT_NE(image->GetData(), nullptr);
    std::memcpy(image->GetData(), texels, sizeof(texels));
    Ptr<Texture> texture = new Texture(String("checker"));
    ASSERT_EQ(texture->SetImage(image.Get()), 0);

    // Corner (u, v) of the quad sits at (x0 + u s, y0 - v s): v runs down.
    const float x0 = -1.0f, y0 = 1.0f, s = 2.0f, z = 5.0f;
    Ptr<Triangles> node = new Triangles(String("quad"));
    node->SetVertices(new Vector3Buffer(4, new Vector3[4]{Vector3(x0, y0, z), Vector3(x0 + s, y0, z),
                                                           Vector3(x0 + s, y0 - s, z), Vector3(x0, y0 - s, z)}));
    ASSERT_EQ(node->SetTextureCoordinates(0, new Vector2Buffer(4, new Vector2[4]{Vector2(0, 0), Vector2(1, 0),
                                                                                   Vector2(1, 1), Vector2(0, 1)})),
              0);
    node->SetIndices(new IntBuffer(6, new int32_t[6]{0, 1, 2, 0, 2, 3}));
    Ptr<TextureEffect> effect = new TextureEffect(String("textured"));
    effect->SetColor(Vector4(1, 1, 1, 1));
    effect->SetCullEnabled(false);
    effect->SetSampler(0, AddressMode::Clamp, TextureFilter::Nearest, TextureFilter::Nearest);
    ASSERT_EQ(effect->SetTexture(texture.Get()), 0);
    node->SetEffect(effect.Get());
    node->Draw(*renderer);
    End();

    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 2; ++column)
        {
            const float u = (static_cast<float>(column) + 0.5f) / 2.0f;
            const float v = (static_cast<float>(row) + 0.5f) / 2.0f;
            int px = 0, py = 0;
            ASSERT_TRUE(PixelOf(Vector3(x0 + u * s, y0 - v * s, z), px, py));
            const uint8_t* t = texels[row][column];
            ExpectNear(At(px, py), {t[0], t[1], t[2]}, 0, "texel");
        }
}

TEST_F(GLRendererDrawTest, IndexPastTheVerticesDrawsNothing)
{
    Begin();
    Vector3 corners[3];
    FrontTriangle(5.0f, corners);
    Ptr<Triangles> node = MakeTriangle(corners, Vector4(1, 1, 1, 1), {0, 1, 3});
    node->Draw(*renderer);
    End();
    int cx = 0, cy = 0;
    ASSERT_TRUE(PixelOf(Vector3(0.0f, -1.0f / 3.0f, 5.0f), cx, cy));
    ExpectNear(At(cx, cy), ClearRgb(), 0, "centre");
}

namespace
{

// Draws straight in clip space (identity transforms: x, y in -1..1 with y
// up, depth 0..1) with a plain state block, no pass involved.
class GLRendererClipSpaceTest : public GLRendererDrawTest
{
protected:
    void SetUp() override
    {
        OpenRenderer("clip space");
        if (!Opened())
            return;
        state = new RenderStateBlock(String("plain"));
        state->cullEnabled = false;
        state->depthEnabled = false;
    }

    void TearDown() override
    {
        state = nullptr;
        GLRendererDrawTest::TearDown();
    }

    void BeginClipSpace()
    {
        HeadlessRendererTest::Begin(Vector4(0, 0, 0, 1), 7);
        renderer->SetWorldMatrix(Matrix4::Identity());
        renderer->SetViewMatrix(Matrix4::Identity());
        renderer->SetProjectionMatrix(Matrix4::Identity());
        ASSERT_EQ(renderer->ApplyStateBlock(state.Get()), 0);
    }

    Ptr<RenderStateBlock> state;
};

// The 2 x 2 checker of the texel test: top left red, top right green,
// bottom left blue, bottom right yellow.
Ptr<Texture> Checker()
{
    const uint8_t texels[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 0, 255};
    Ptr<Image> image = new Image(String("checker"), Image::kPixel32, 2, 2);
    std::memcpy(image->GetData(), texels, sizeof(texels));
    Ptr<Texture> texture = new Texture(String("checker"));
    texture->SetImage(image.Get());
    return texture;
}

// Two triangles of a rectangle as a plain list, corners top left, top
// right, bottom right; top left, bottom right, bottom left.
Vector3* RectangleList(float x0, float y0, float x1, float y1)
{
    return new Vector3[6]{Vector3(x0, y1, 0.5f), Vector3(x1, y1, 0.5f), Vector3(x1, y0, 0.5f),
                          Vector3(x0, y1, 0.5f), Vector3(x1, y0, 0.5f), Vector3(x0, y0, 0.5f)};
}

} // namespace

TEST_F(GLRendererClipSpaceTest, PackedAndFloatColourStreamsGiveTheSameColour)
{
    const Vector4 colours[3] = {Vector4(0.2f, 0.5f, 0.9f, 1.0f), Vector4(0.7f, 0.1f, 0.33f, 1.0f),
                                Vector4(0.0f, 1.0f, 0.5f, 1.0f)};
    Ptr<Triangles> node = new Triangles(String("rect"));
    Ptr<Vector3Buffer> positions = new Vector3Buffer(6, RectangleList(-0.5f, -0.5f, 0.5f, 0.5f));
    Ptr<IntBuffer> list = new IntBuffer(6, new int32_t[6]{0, 1, 2, 3, 4, 5});
    const DeviceCaps detected = renderer->GetCaps();
    for (const Vector4& colour : colours)
    {
        Rgb got[2];
        for (bool floats : {true, false})
        {
            DeviceCaps caps = detected;
            caps.floatColours = floats;
            renderer->SetCapsForTest(caps);
            Ptr<ColorBuffer> stream = new ColorBuffer(6, new Vector4[6]{colour, colour, colour, colour, colour, colour});
            BeginClipSpace();
            renderer->SetPositionStream(positions.Get());
            renderer->SetColorStream(stream.Get());
            renderer->SetIndexBuffer(list.Get());
            renderer->SetGeometry(node.Get());
            ASSERT_EQ(renderer->DrawIndexed(), 0);
            End();
            got[floats ? 0 : 1] = AtClip(0.0f, 0.0f);
        }
        renderer->SetCapsForTest(detected);
        ExpectNear(got[0], {Stored(colour.x), Stored(colour.y), Stored(colour.z)}, 1, "float colours");
        // Packing truncates where the target rounds: one step at most.
        ExpectNear(got[1], {Stored(Packed(colour.x)), Stored(Packed(colour.y)), Stored(Packed(colour.z))}, 0,
                   "packed colours");
        ExpectNear(got[1], got[0], 1, "packed against float");
    }
}

TEST_F(GLRendererClipSpaceTest, DrawTakesVerticesInOrderAndNothingBelowOneOrPastTheStream)
{
    Ptr<Triangles> node = new Triangles(String("list"));
    // Two triangles: the left half, then the right half of a rectangle.
    Vector3* left = RectangleList(-0.9f, -0.5f, -0.1f, 0.5f);
    Vector3* right = RectangleList(0.1f, -0.5f, 0.9f, 0.5f);
    Vector3* both = new Vector3[12];
    for (int i = 0; i < 6; ++i)
    {
        both[i] = left[i];
        both[6 + i] = right[i];
    }
    delete[] left;
    delete[] right;
    Ptr<Vector3Buffer> positions = new Vector3Buffer(12, both);
    const Vector4 white{1, 1, 1, 1};
    Ptr<ColorBuffer> colours = new ColorBuffer(12, new Vector4[12]{white, white, white, white, white, white, white,
                                                                    white, white, white, white, white});
    struct Case
    {
        int32_t count;
        bool leftTop, leftBottom, right;
    };
    // Triangle 1 covers the top right of the left rectangle, 2 its bottom
    // left, 3 and 4 the same halves of the right one. Past the 4 in the
    // stream nothing more is read.
    const Case cases[] = {{0, false, false, false}, {-3, false, false, false}, {1, true, false, false},
                          {3, true, true, false},   {4, true, true, true},     {1000, true, true, true}};
    for (const Case& c : cases)
    {
        BeginClipSpace();
        renderer->SetPositionStream(positions.Get());
        renderer->SetColorStream(colours.Get());
        renderer->SetGeometry(node.Get());
        ASSERT_EQ(renderer->Draw(c.count), 0);
        End();
        const std::string what = "count " + std::to_string(c.count);
        const Rgb on{255, 255, 255}, off{0, 0, 0};
        ExpectNear(AtClip(-0.3f, 0.3f), c.leftTop ? on : off, 0, (what + " left, upper triangle"));
        ExpectNear(AtClip(-0.7f, -0.3f), c.leftBottom ? on : off, 0, (what + " left, lower triangle"));
        ExpectNear(AtClip(0.3f, -0.3f), c.right ? on : off, 0, (what + " right, lower triangle"));
    }
}

TEST_F(GLRendererClipSpaceTest, TextureMatrixTranslationScrollsTheTexture)
{
    Ptr<Texture> texture = Checker();
    Ptr<Triangles> node = new Triangles(String("rect"));
    // u runs right, v down across the view.
    Ptr<Vector3Buffer> positions = new Vector3Buffer(6, RectangleList(-1.0f, -1.0f, 1.0f, 1.0f));
    Ptr<Vector2Buffer> uvs = new Vector2Buffer(
        6, new Vector2[6]{Vector2(0, 0), Vector2(1, 0), Vector2(1, 1), Vector2(0, 0), Vector2(1, 1), Vector2(0, 1)});
    Ptr<IntBuffer> list = new IntBuffer(6, new int32_t[6]{0, 1, 2, 3, 4, 5});
    state->stages[0].combine = StageCombine::Replace;
    state->stages[0].minFilter = state->stages[0].magFilter = TextureFilter::Nearest;
    state->stages[0].addressU = state->stages[0].addressV = AddressMode::Wrap;

    // The 2D translation sits in row 2: (u, v, 1) x M.
    struct Case
    {
        float du, dv;
    };
    const Case cases[] = {{0.0f, 0.0f}, {0.5f, 0.0f}, {0.0f, 0.5f}, {0.5f, 0.5f}};
    const uint8_t colours[2][2][3] = {{{255, 0, 0}, {0, 255, 0}}, {{0, 0, 255}, {255, 255, 0}}};
    for (const Case& c : cases)
    {
        Matrix4 scroll;
        scroll.m[2][0] = c.du;
        scroll.m[2][1] = c.dv;
        BeginClipSpace();
        ASSERT_EQ(renderer->SetTextureMatrix(0, scroll), 0);
        renderer->SetTexture(0, texture.Get());
        renderer->SetPositionStream(positions.Get());
        renderer->SetTexCoordStream(0, uvs.Get());
        renderer->SetIndexBuffer(list.Get());
        renderer->SetGeometry(node.Get());
        ASSERT_EQ(renderer->DrawIndexed(), 0);
        renderer->SetTexture(0, nullptr);
        ASSERT_EQ(renderer->SetTextureMatrix(0, Matrix4::Identity()), 0);
        End();
        // The top left quarter of the view has u = v = 0.25 before the
        // scroll; half a texture moves it to the other texel.
        for (int row = 0; row < 2; ++row)
            for (int column = 0; column < 2; ++column)
            {
                const float u = 0.25f + 0.5f * static_cast<float>(column);
                const float v = 0.25f + 0.5f * static_cast<float>(row);
                const int texelColumn = static_cast<int>(std::floor((u + c.du) * 2.0f)) % 2;
                const int texelRow = static_cast<int>(std::floor((v + c.dv) * 2.0f)) % 2;
                const uint8_t* want = colours[texelRow][texelColumn];
                const std::string what = "scroll " + std::to_string(c.du) + "," + std::to_string(c.dv) + " quarter " +
                                         std::to_string(row) + "," + std::to_string(column);
                ExpectNear(AtClip(u * 2.0f - 1.0f, 1.0f - v * 2.0f), {want[0], want[1], want[2]}, 0, what);
            }
    }
    Matrix4 kept;
    ASSERT_EQ(renderer->GetTextureMatrix(kept, 0), 0);
    EXPECT_TRUE(kept.IsIdentity());
    EXPECT_EQ(renderer->SetTextureMatrix(8, Matrix4::Identity()), 3);
}

TEST_F(GLRendererClipSpaceTest, DrawIndexedStreamsBindsItsOwnBuffersAndDrawsThem)
{
    Ptr<Texture> texture = Checker();
    Ptr<Triangles> node = new Triangles(String("streams"));
    Ptr<Vector3Buffer> positions = new Vector3Buffer(6, RectangleList(-1.0f, -1.0f, 1.0f, 1.0f));
    Ptr<Vector2Buffer> uvs = new Vector2Buffer(
        6, new Vector2[6]{Vector2(0, 0), Vector2(1, 0), Vector2(1, 1), Vector2(0, 0), Vector2(1, 1), Vector2(0, 1)});
    Vector4* extra = new Vector4[6];
    Ptr<Vector4Buffer> extraA = new Vector4Buffer(6, extra);
    Ptr<IntBuffer> list = new IntBuffer(6, new int32_t[6]{0, 1, 2, 3, 4, 5});
    // A colour stream of a single vertex bound before: the call's layout
    // leaves it out, so it neither colours nor limits the draw.
    Ptr<ColorBuffer> stale = new ColorBuffer(1, new Vector4[1]{Vector4(0, 0, 0, 1)});
    state->stages[0].combine = StageCombine::Replace;
    state->stages[0].minFilter = state->stages[0].magFilter = TextureFilter::Nearest;
    BeginClipSpace();
    renderer->SetColorStream(stale.Get());
    renderer->SetGeometry(node.Get());
    renderer->SetTexture(0, texture.Get());
    ASSERT_EQ(renderer->DrawIndexedStreams(positions.Get(), uvs.Get(), list.Get(), extraA.Get(), nullptr), 0);
    renderer->SetTexture(0, nullptr);
    End();
    ExpectNear(AtClip(-0.5f, 0.5f), {255, 0, 0}, 0, "top left texel");
    ExpectNear(AtClip(0.5f, -0.5f), {255, 255, 0}, 0, "bottom right texel");
}
