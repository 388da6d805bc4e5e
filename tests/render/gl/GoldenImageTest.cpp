// Whole scenes through the scene graph and the effects, drawn by the OpenGL
// renderer headless and checked pixel by pixel against colours worked out
// here from the blending, fog, lighting and texturing formulas. Single
// device calls are tested beside their implementation, and the traversal's
// culling and order against a recording renderer; these tests catch the
// pieces not fitting together (state from effects, lights, targets).
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/Quaternion.h"
#include "engine/files/Codec.h"
#include "engine/files/CodecManager.h"
#include "engine/files/File.h"
#include "engine/files/FileManager.h"
#include "engine/files/ModuleManager.h"
#include "engine/render/CubeTexture.h"
#include "engine/render/Pass.h"
#include "engine/render/RenderCubeTextureController.h"
#include "engine/render/RenderStateBlock.h"
#include "engine/render/RenderTextureController.h"
#include "engine/render/Technique.h"
#include "engine/render/TextureEffect.h"
#include "engine/render/gl/GLFunctions.h"
#include "engine/scene/SceneNode.h"
#include "support/GoldenImage.h"
#include "support/LogCapture.h"

using namespace golden;

namespace
{

// A colour effect lit by the fixed-function lights: binds the normals and
// pushes its lights for its pass, as the lit effects do.
class LitEffect : public ColorEffect
{
public:
    void AddLight(Light* light) { lights.push_back(light); }
    int32_t BindFixedFunction(Renderer& renderer, GeometryNode& geometry) override
    {
        const int32_t result = ColorEffect::BindFixedFunction(renderer, geometry);
        if (result != 0)
            return result;
        renderer.SetNormalStream(geometry.GetNormals());
        for (const Ptr<Light>& light : lights)
            renderer.PushLight(light.Get());
        return 0;
    }

private:
    std::vector<Ptr<Light>> lights;
};

// The device told it has no shader programs, so the colour and texture
// effects draw by fixed function, whose fog and lights these tests check.
void FixedFunctionOnly(Renderer& renderer)
{
    DeviceCaps caps = renderer.GetCaps();
    caps.vertexShaderLevel = caps.pixelShaderLevel = ShaderLevel::None;
    renderer.SetCapsForTest(caps);
}

// Red, green / blue, yellow with alphas 255, 128 / 64, 255.
constexpr uint8_t kChecker[2][2][4] = {{{255, 0, 0, 255}, {0, 255, 0, 128}}, {{0, 0, 255, 64}, {255, 255, 0, 255}}};

// A textured rectangle: texture coordinates from (u0, v0) at the top-left
// corner to (u1, v1) at the bottom-right, nearest filtering, the colour
// white unless given.
Ptr<Triangles> MakeTexturedRectangle(BaseTexture* texture, float half, float z, float u0, float v0, float u1,
                                     float v1, AddressMode address, const Vector4& colour = Vector4(1, 1, 1, 1))
{
    Ptr<Triangles> node = MakeRectangle("textured", -half, half, half, -half, z, colour);
    node->SetTextureCoordinates(0, new Vector2Buffer(4, new Vector2[4]{Vector2(u0, v0), Vector2(u1, v0),
                                                                         Vector2(u1, v1), Vector2(u0, v1)}));
    Ptr<TextureEffect> effect = new TextureEffect(String("textured"));
    effect->SetColor(colour);
    effect->SetTexture(texture);
    effect->SetSampler(0, address, TextureFilter::Nearest, TextureFilter::Nearest);
    node->SetEffect(effect.Get());
    return node;
}

// The point of a rectangle from -half..half at depth z at texture
// coordinate (u, v) when the corners carry (u0, v0) .. (u1, v1).
Vector3 PointAt(float half, float z, float u0, float v0, float u1, float v1, float u, float v)
{
    const float s = (u - u0) / (u1 - u0);
    const float t = (v - v0) / (v1 - v0);
    return Vector3(-half + 2.0f * half * s, half - 2.0f * half * t, z);
}

ColorEffect* EffectOf(Triangles& node)
{
    return static_cast<ColorEffect*>(node.GetEffect());
}

using GoldenImageTest = GoldenImageRig;

} // namespace

// blending -----------------------------------------------------------------------

struct BlendCase
{
    BlendFactor source;
    BlendFactor destination;
};

class GoldenBlendTest : public GoldenImageRig, public ::testing::WithParamInterface<BlendCase>
{
};

// The factor of the blend enumeration; destination alpha is not among the
// cases (the back buffer has no alpha bits to hold it).
Colour FactorOf(BlendFactor factor, const Colour& source, float sourceAlpha, const Colour& destination)
{
    const Colour one{1, 1, 1};
    const Colour factors[8] = {one * 0.0f,  one, source, one - source, one * sourceAlpha, one * (1.0f - sourceAlpha),
                               destination, one - destination};
    return factors[ToInt(factor)];
}

TEST_P(GoldenBlendTest, BlendedColourFollowsTheFactorFormula)
{
    const BlendCase blend = GetParam();
    const Vector4 colour(0.9f, 0.5f, 0.1f, 0.6f), clear(0.2f, 0.4f, 0.6f, 1.0f);
    Ptr<SceneNode> root = new SceneNode(String("root"));
    Ptr<Triangles> node = MakeRectangle("blended", -1, 1, 1, -1, 5, colour);
    EffectOf(*node)->SetBlend(true, blend.source, blend.destination);
    root->AttachChild(node.Get());
    DrawFrame(root.Get(), clear);

    const Colour source = ColourOf(colour), destination = PackedColour(clear);
    const Colour want = source * FactorOf(blend.source, source, colour.w, destination) +
                        destination * FactorOf(blend.destination, source, colour.w, destination);
    const std::string factors = std::to_string(ToInt(blend.source)) + ", " + std::to_string(ToInt(blend.destination));
    ExpectNear(AtPoint(Vector3(0, 0, 5)), Stored(want), 2, "blended centre, factors " + factors);
    ExpectNear(AtPoint(Vector3(0, 1.5f, 5)), ClearRgb(), 0, "outside");
}

// Alpha over (the default), additive with and without alpha, the two ways
// of multiplying by what is there, premultiplied alpha, and a colour mask.
using F = BlendFactor;
INSTANTIATE_TEST_SUITE_P(FactorPairs, GoldenBlendTest,
                         ::testing::Values(BlendCase{F::SourceAlpha, F::InverseSourceAlpha},
                                           BlendCase{F::SourceAlpha, F::One}, BlendCase{F::One, F::One},
                                           BlendCase{F::DestinationColour, F::Zero},
                                           BlendCase{F::Zero, F::SourceColour},
                                           BlendCase{F::One, F::InverseSourceAlpha},
                                           BlendCase{F::Zero, F::InverseSourceColour},
                                           BlendCase{F::InverseDestinationColour, F::One}));

// A mesh without colours of its own shows the colour of the effect drawing
// it as that colour stands at the draw, also after another effect drew it.
TEST_F(GoldenImageTest, ColourEffectsShowTheirColourAsItStandsAtEachDraw)
{
    Ptr<Triangles> node = MakeRectangle("plain", -1, 1, 1, -1, 5, Vector4(1, 0, 0, 1));
    const Ptr<ColorEffect> effects[2] = {EffectOf(*node), new ColorEffect(String("second"))};
    for (const auto& [which, colour] :
         {std::pair{0, Vector4(0, 1, 0, 1)}, {1, Vector4(0, 0, 1, 1)}, {0, Vector4(1, 1, 0, 1)}})
    {
        effects[which]->SetColor(colour);
        node->SetEffect(effects[which].Get());
        DrawFrame(node.Get());
        ExpectNear(AtPoint(Vector3(0, 0, 5)), Stored(ColourOf(colour)), 0, "effect " + std::to_string(which));
    }
}

// alpha test -------------------------------------------------------------------------

// The reference passes alpha at or above it (greater or equal), with no
// blending: a fragment is either all there or not at all.
TEST_F(GoldenImageTest, FragmentsBelowTheReferenceAreDiscarded)
{
    Ptr<SceneNode> root = new SceneNode(String("root"));
    Ptr<Triangles> faint = MakeRectangle("faint", -2, 1, -0.5f, -1, 5, Vector4(1, 0, 0, 0.45f));
    Ptr<Triangles> solid = MakeRectangle("solid", 0.5f, 1, 2, -1, 5, Vector4(0, 1, 0, 0.55f));
    EffectOf(*faint)->SetAlphaTest(true, 128);
    EffectOf(*solid)->SetAlphaTest(true, 128);
    root->AttachChild(faint.Get());
    root->AttachChild(solid.Get());
    DrawFrame(root.Get(), Vector4(0.0f, 0.0f, 1.0f, 1.0f));
    ExpectNear(AtPoint(Vector3(-1.25f, 0, 5)), ClearRgb(), 0, "alpha 0.45 against 128");
    ExpectNear(AtPoint(Vector3(1.25f, 0, 5)), Stored(0, 1, 0), 0, "alpha 0.55 against 128");
}

// fog ------------------------------------------------------------------------------------

// Vertex fog by depth in view space: exponential f = e^(-density z), and
// squared f = e^(-(density z)^2) for an exponent above 2; the picture is
// f x colour + (1 - f) x fog colour.
TEST_F(GoldenImageTest, ExponentialAndSquaredFogAtAKnownDepth)
{
    FixedFunctionOnly(*renderer);
    const float depth = 20.0f, density = 0.08f;
    const Vector4 colour(1.0f, 0.2f, 0.1f, 1.0f);
    const Vector4 fog(0.3f, 0.5f, 0.9f, 1.0f);
    struct Mode
    {
        float exponent;
        float factor;
        const char* name;
    };
    const Mode modes[] = {{1.0f, std::exp(-density * depth), "exponential"},
                          {3.0f, std::exp(-(density * depth) * (density * depth)), "exponential squared"}};
    for (const Mode& mode : modes)
    {
        Ptr<SceneNode> root = new SceneNode(String("root"));
        Ptr<Triangles> node = MakeRectangle("fogged", -1, 1, 1, -1, depth, colour);
        EffectOf(*node)->SetFog(true, fog, density, mode.exponent);
        root->AttachChild(node.Get());
        DrawFrame(root.Get());
        const Rgb want = Stored(Mix(ColourOf(colour), PackedColour(fog), mode.factor));
        ExpectNear(AtPoint(Vector3(0, 0, depth)), want, 2, mode.name);
    }
}

// lights ---------------------------------------------------------------------------------

// Small tiles facing the eye, each lit by its own lights. Type 0 shines
// along +z whatever its transform; type 1 along its world forward axis, here
// turned 60 degrees away from the tiles' normal; two lights add up. A point
// light 3 units in front is attenuated by 1 / (c + l d + q d^2) only while
// attenuation is on. A narrow spot 6 units in front lights the tile on its
// axis fully and the tile 2 units aside (18 degrees off, far outside 1.05 x
// 0.1 radians) not at all, not even with its ambient. Once the lit nodes
// are drawn their lights are gone and lighting is off, so the last tile
// shows its plain colour.
TEST_F(GoldenImageTest, LightsFollowTheirTypeAttenuationAndConeAndEndWithTheirPass)
{
    FixedFunctionOnly(*renderer);
    const Lighting lighting;
    Ptr<SceneNode> root = new SceneNode(String("root"));
    Ptr<Light> fixed = lighting.MakeLight(Light::kFixedDirectional);
    fixed->GetLocalTransform().SetRotation(Quaternion::FromAxisAngle(Vector3(0, 1, 0), 1.0f));
    Ptr<Light> turned = lighting.MakeLight(Light::kDirectional);
    turned->GetLocalTransform().SetRotation(Quaternion::FromAxisAngle(Vector3(0, 1, 0), kPi / 3.0f));
    const float c = 1.0f, l = 0.2f, q = 0.05f, d = 3.0f;
    Ptr<Light> attenuated = lighting.MakeLight(Light::kPoint);
    attenuated->GetLocalTransform().SetTranslation(Vector3(0, 0, 10 - d));
    attenuated->SetAttenuation(c, l, q, true);
    Ptr<Light> unattenuated = lighting.MakeLight(Light::kPoint);
    unattenuated->GetLocalTransform().SetTranslation(Vector3(1, 0, 10 - d));
    unattenuated->SetAttenuation(c, l, q, false);
    Ptr<Light> spot = lighting.MakeLight(Light::kSpot);
    spot->GetLocalTransform().SetTranslation(Vector3(2, 0, 4));
    spot->SetAngle(0.1f);
    spot->SetFalloff(1.0f);
    for (Light* light : {fixed.Get(), turned.Get(), attenuated.Get(), unattenuated.Get(), spot.Get()})
        root->AttachChild(light);

    struct Tile
    {
        float x;
        std::vector<Light*> lights;
        Colour want;
        const char* name;
    };
    const Tile tiles[] = {
        {-3, {fixed.Get()}, lighting.Lit(1.0f), "type 0, head on"},
        {-2, {turned.Get()}, lighting.Lit(0.5f), "type 1, 60 degrees off"},
        {-1, {fixed.Get(), turned.Get()}, lighting.Lit(1.0f) + lighting.Added(0.5f), "two lights"},
        {0, {attenuated.Get()}, lighting.Lit(1.0f, 0.0f, 1.0f / (c + l * d + q * d * d)), "attenuated"},
        {1, {unattenuated.Get()}, lighting.Lit(1.0f), "not attenuated"},
        {2, {spot.Get()}, lighting.Lit(1.0f), "on the spot's axis"},
        {4, {spot.Get()}, lighting.Lit(0.0f, 0.0f, 0.0f), "outside the spot's cone"},
    };
    for (const Tile& tile : tiles)
    {
        // Small, so that the light worked out per vertex is the same over
        // the tile.
        Ptr<Triangles> node =
            MakeRectangle("tile", tile.x - 0.1f, 0.1f, tile.x + 0.1f, -0.1f, 10, Vector4(1, 1, 1, 1));
        Ptr<LitEffect> effect = new LitEffect();
        lighting.Put(*effect);
        for (Light* light : tile.lights)
            effect->AddLight(light);
        node->SetEffect(effect.Get());
        root->AttachChild(node.Get());
    }
    const Vector4 plainColour(0.3f, 0.6f, 0.9f, 1.0f);
    root->AttachChild(MakeRectangle("plain", 2.9f, 0.1f, 3.1f, -0.1f, 10, plainColour).Get());
    DrawFrame(root.Get());
    EXPECT_EQ(renderer->GetLightCount(), 0u);
    for (const Tile& tile : tiles)
        ExpectNear(AtPoint(Vector3(tile.x, 0, 10)), Stored(tile.want), 2, tile.name);
    ExpectNear(AtPoint(Vector3(3, 0, 10)), Stored(ColourOf(plainColour)), 1, "unlit after");
}

// textures -------------------------------------------------------------------------------

// Coordinates from -1 to 2 show the picture in the middle third; around
// it wrap repeats it, clamp stretches its edge texels and border shows the
// border colour (green unless a stage says otherwise).
TEST_F(GoldenImageTest, AddressModesOutsideTheUnitSquare)
{
    Ptr<Texture> texture = MakeTexture(kChecker);
    const float half = 1.5f, z = 5.0f;
    // The texel (row, column) each mode shows at a coordinate pair; -1 is
    // the border colour.
    struct Probe
    {
        float u, v;
        int texel[3][2];
    };
    const Probe probes[] = {{0.25f, 0.75f, {{1, 0}, {1, 0}, {1, 0}}},   // inside
                            {-0.75f, 0.25f, {{0, 0}, {0, 0}, {-1, -1}}}, // left
                            {1.75f, 0.25f, {{0, 1}, {0, 1}, {-1, -1}}},  // right
                            {-0.25f, 0.25f, {{0, 0}, {0, 1}, {-1, -1}}}, // half a picture left
                            {0.75f, 1.75f, {{1, 1}, {1, 1}, {-1, -1}}}}; // below
    for (AddressMode address : {AddressMode::Clamp, AddressMode::Wrap, AddressMode::Border})
    {
        Ptr<SceneNode> root = new SceneNode(String("root"));
        root->AttachChild(MakeTexturedRectangle(texture.Get(), half, z, -1, -1, 2, 2, address).Get());
        DrawFrame(root.Get());
        for (const Probe& p : probes)
        {
            const int row = p.texel[ToInt(address)][0], column = p.texel[ToInt(address)][1];
            const Rgb want = row < 0 ? Stored(0, 1, 0) : Stored(TexelColour(kChecker[row][column]));
            ExpectNear(AtPoint(PointAt(half, z, -1, -1, 2, 2, p.u, p.v)), want, 0,
                       "address " + std::to_string(ToInt(address)) + " at " + std::to_string(p.u) + "," +
                           std::to_string(p.v));
        }
    }
}

// The combine modes of stage 0 over the effect colour (the previous
// stage): replace, decal, modulate, blend with the texture factor, add.
TEST_F(GoldenImageTest, StageCombineModesMixTexelAndColour)
{
    Ptr<Texture> texture = MakeTexture(kChecker);
    const Vector4 colour(0.5f, 0.25f, 0.75f, 1.0f);
    const Vector4 factor(0.2f, 0.6f, 1.0f, 1.0f);
    const Colour previous = ColourOf(colour), one{1, 1, 1};
    for (StageCombine combine : {StageCombine::Replace, StageCombine::Decal, StageCombine::Modulate,
                                 StageCombine::Blend, StageCombine::Add})
    {
        Ptr<SceneNode> root = new SceneNode(String("root"));
        Ptr<Triangles> node = MakeTexturedRectangle(texture.Get(), 1, 5, 0, 0, 1, 1, AddressMode::Clamp, colour);
        // The state block of the effect's only pass, once the effect has
        // chosen its technique (which copies the effect's settings in).
        ASSERT_EQ(node->GetEffect()->PassCount(), 1u);
        RenderStateBlock* state = node->GetEffect()->GetActiveTechnique()->GetPass(0)->GetState();
        state->stages[0].combine = combine;
        state->stages[0].textureFactor = factor;
        state->MarkChanged();
        root->AttachChild(node.Get());
        DrawFrame(root.Get());
        for (int row = 0; row < 2; ++row)
            for (int column = 0; column < 2; ++column)
            {
                const Colour texel = TexelColour(kChecker[row][column]);
                const Colour modes[5] = {texel, Mix(texel, previous, kChecker[row][column][3] / 255.0f),
                                         texel * previous, previous * (one - texel) + PackedColour(factor) * texel,
                                         texel + previous};
                const float u = (column + 0.5f) / 2.0f, v = (row + 0.5f) / 2.0f;
                ExpectNear(AtPoint(PointAt(1, 5, 0, 0, 1, 1, u, v)), Stored(modes[ToInt(combine)]), 2,
                           "combine " + std::to_string(ToInt(combine)) + " texel " + std::to_string(row) + "," +
                               std::to_string(column));
            }
    }
}

// render targets -----------------------------------------------------------------------

// The quadrants of a view drawn into a texture through their own camera,
// then the texture shown on a rectangle with v = 0 at its top: the picture
// comes out upright and unmirrored, as if the camera looked through the
// rectangle. Culling stays on, so a target that mirrored the winding
// without mirroring the culled face would lose them.
TEST_F(GoldenImageTest, RenderedTextureShowsItsViewUprightOnTheScreen)
{
    // Top-left red, top-right green, bottom-left blue, bottom-right yellow.
    const Vector4 quadrants[2][2] = {{{1, 0, 0, 1}, {0, 1, 0, 1}}, {{0, 0, 1, 1}, {1, 1, 0, 1}}};
    Ptr<SceneNode> inner = new SceneNode(String("quadrants"));
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 2; ++column)
        {
            const float left = column == 0 ? -10.0f : 0.0f, top = row == 0 ? 10.0f : 0.0f;
            inner->AttachChild(
                MakeRectangle("quadrant", left, top, left + 10.0f, top - 10.0f, 5.0f, quadrants[row][column]).Get());
        }
    Ptr<Image> size = new Image(String("target"), Image::kPixel32, 64, 64);
    Ptr<Texture> target = new Texture(String("target"));
    target->SetImage(size.Get());
    Ptr<Camera> innerCamera = new Camera(String("inner"));
    inner->AttachChild(innerCamera.Get());
    inner->UpdateTree(0.0);
    Ptr<RenderTextureController> controller = new RenderTextureController(String("mirror"));
    controller->SetCamera(innerCamera.Get());
    controller->AddNode(inner.Get());
    controller->SetContinuous(true);
    ASSERT_EQ(target->SetController(controller.Get()), 0);

    Ptr<SceneNode> root = new SceneNode(String("root"));
    root->AttachChild(MakeTexturedRectangle(target.Get(), 1, 5, 0, 0, 1, 1, AddressMode::Clamp).Get());
    renderer->QueuePreRender(controller.Get());
    DrawFrame(root.Get(), Vector4(0.5f, 0.5f, 0.5f, 1.0f));
    EXPECT_TRUE(controller->IsRendered());
    EXPECT_EQ(renderer->GetCamera(), camera.Get()) << "the main camera was not given back";
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 2; ++column)
        {
            const float u = column == 0 ? 0.25f : 0.75f, v = row == 0 ? 0.25f : 0.75f;
            ExpectNear(AtPoint(PointAt(1, 5, 0, 0, 1, 1, u, v)), Stored(ColourOf(quadrants[row][column])), 1,
                       "quadrant " + std::to_string(row) + "," + std::to_string(column));
        }
    // The main view around the rectangle is still the back buffer's own.
    ExpectNear(AtPoint(Vector3(0, 1.5f, 5)), ClearRgb(), 0, "outside the rectangle");
}

// A cube camera at the origin draws six walls, one colour each and the +x
// wall two-toned (upper, lower); tiles that sample the cube along fixed
// directions show the wall each direction points at, the right way up.
TEST_F(GoldenImageTest, CubeFacesHoldTheViewAlongTheirAxes)
{
    // A rectangle with corners centre +- a +- b, drawn from both sides,
    // since which way it faces is not what is tested here.
    Ptr<SceneNode> room = new SceneNode(String("room"));
    auto panel = [&](const Vector3& centre, const Vector3& a, const Vector3& b, const Vector4& colour) {
        Ptr<Triangles> square = MakeRectangle("wall", -1, 1, 1, -1, 0, colour);
        Vector3* p = square->GetVertices()->GetElements();
        const float corners[4][2] = {{-1, 1}, {1, 1}, {1, -1}, {-1, -1}};
        for (int i = 0; i < 4; ++i)
            p[i] = centre + a * corners[i][1] + b * corners[i][0];
        square->UpdateModelBound();
        EffectOf(*square)->SetCullEnabled(false);
        room->AttachChild(square.Get());
    };
    const Vector3 directions[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    const Vector4 colours[6] = {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}, {1, 1, 0, 1}, {0, 1, 1, 1}, {1, 0, 1, 1}};
    const float d = 5.0f, half = 6.0f;
    for (int i = 0; i < 6; ++i)
    {
        const Vector3 a = std::fabs(directions[i].y) > 0.5f ? Vector3(1, 0, 0) : Vector3(0, 1, 0);
        panel(directions[i] * d, a * half, directions[i].Cross(a) * half, colours[i]);
    }
    // The lower half of the +x wall, just in front of it.
    const Vector4 lowerRight(0.5f, 0.0f, 0.0f, 1.0f);
    panel(Vector3(d - 0.1f, -half / 2, 0), Vector3(0, half / 2, 0), Vector3(0, 0, half), lowerRight);
    Ptr<Camera> centre = new Camera(String("centre"));
    room->AttachChild(centre.Get());
    room->UpdateTree(0.0);

    Ptr<CubeTexture> cube = new CubeTexture(String("cube"));
    Ptr<RenderCubeTextureController> controller = new RenderCubeTextureController(String("environment"));
    controller->SetCamera(centre.Get());
    controller->AddNode(room.Get());
    controller->SetContinuous(true);
    ASSERT_EQ(cube->SetController(controller.Get()), 0);

    // Tiles in a row, each sampling the cube along one fixed direction:
    // the upper and the lower half of +x, then the other five walls.
    const Vector3 probes[7] = {{1, 0.5f, 0}, {1, -0.5f, 0}, directions[1], directions[2],
                               directions[3], directions[4], directions[5]};
    const Vector4 wants[7] = {colours[0], lowerRight, colours[1], colours[2], colours[3], colours[4], colours[5]};
    Ptr<SceneNode> root = new SceneNode(String("root"));
    for (int i = 0; i < 7; ++i)
    {
        Ptr<Triangles> tile = MakeTexturedRectangle(cube.Get(), 0.3f, 10, 0, 0, 1, 1, AddressMode::Clamp);
        tile->GetLocalTransform().SetTranslation(Vector3(static_cast<float>(i - 3), 0, 0));
        const Vector3 p = probes[i];
        tile->SetTextureCoordinates(0, new Vector3Buffer(4, new Vector3[4]{p, p, p, p}));
        root->AttachChild(tile.Get());
    }
    renderer->QueuePreRender(controller.Get());
    DrawFrame(root.Get());
    EXPECT_TRUE(controller->IsRendered());
    for (int i = 0; i < 7; ++i)
        ExpectNear(AtPoint(Vector3(static_cast<float>(i - 3), 0, 10)), Stored(ColourOf(wants[i])), 1,
                   "probe " + std::to_string(i));
}

// A blended pane in front of an opaque wall, drawn by a plane and by a cube
// controller (its +z face): the texture holds the pane over the wall by the
// pane's alpha, and the wall around it. The main view, which sees the
// pane's place left of the tiles showing the texture, keeps its clear
// colour there: the pane is not drawn again with the main camera.
TEST_F(GoldenImageTest, BlendedNodesOfARenderedTextureAreDrawnIntoIt)
{
    const Vector4 wall(0.2f, 0.4f, 0.8f, 1.0f), pane(0.9f, 0.5f, 0.1f, 0.6f);
    for (bool cube : {false, true})
    {
        SCOPED_TRACE(cube ? "cube" : "plane");
        Ptr<SceneNode> reflected = new SceneNode(String("reflected"));
        reflected->GetLocalTransform().SetTranslation(Vector3(-2, 0, 0));
        reflected->AttachChild(MakeRectangle("wall", -10, 10, 10, -10, 6, wall).Get());
        Ptr<Triangles> glass = MakeRectangle("pane", -0.5f, 0.5f, 0.5f, -0.5f, 5, pane);
        EffectOf(*glass)->SetBlend(true, BlendFactor::SourceAlpha, BlendFactor::InverseSourceAlpha);
        reflected->AttachChild(glass.Get());
        Ptr<Camera> eye = new Camera(String("reflection"));
        reflected->AttachChild(eye.Get());
        reflected->UpdateTree(0.0);
        Ptr<BaseTexture> target = cube ? static_cast<BaseTexture*>(new CubeTexture()) : new Texture();
        Ptr<RenderTargetController> controller =
            cube ? static_cast<RenderTargetController*>(new RenderCubeTextureController()) : new RenderTextureController();
        controller->SetCamera(eye.Get());
        controller->AddNode(reflected.Get());
        ASSERT_EQ(target->SetController(controller.Get()), 0);

        // Tiles sampling the middle of the picture and a point near its corner.
        Ptr<SceneNode> root = new SceneNode(String("root"));
        for (float at : {0.5f, 0.1f})
        {
            Ptr<Triangles> tile = MakeTexturedRectangle(target.Get(), 0.3f, 5, at, at, at, at, AddressMode::Clamp);
            tile->GetLocalTransform().SetTranslation(Vector3(at == 0.5f ? 0.5f : 1.5f, 0, 0));
            const Vector3 along(at - 0.5f, 0.5f - at, 1);
            if (cube)
                tile->SetTextureCoordinates(0, new Vector3Buffer(4, new Vector3[4]{along, along, along, along}));
            root->AttachChild(tile.Get());
        }
        renderer->QueuePreRender(controller.Get());
        DrawFrame(root.Get());
        ExpectNear(AtPoint(Vector3(0.5f, 0, 5)), Stored(Mix(ColourOf(pane), ColourOf(wall), pane.w)), 2, "pane");
        ExpectNear(AtPoint(Vector3(1.5f, 0, 5)), Stored(ColourOf(wall)), 1, "wall");
        ExpectNear(AtPoint(Vector3(-2, 0, 5)), ClearRgb(), 0, "the pane's place in the main view");
    }
}

// A buffer shorter than the vertices hides a mesh only where its pass binds
// it: a spare coordinate set and tangents leave the textured rectangle
// drawn, a short set 0 (the one its effect binds) leaves nothing, and
// neither says a word.
TEST_F(GoldenImageTest, ShortBuffersHideAMeshOnlyWhenItsPassBindsThem)
{
    Ptr<Texture> texture = MakeTexture(kChecker);
    for (bool bound : {false, true})
    {
        Ptr<Triangles> node = MakeTexturedRectangle(texture.Get(), 1, 5, 0, 0, 1, 1, AddressMode::Clamp);
        node->SetTextureCoordinates(bound ? 0 : 1, new Vector2Buffer(2, new Vector2[2]{{0, 0}, {1, 1}}));
        node->SetTangents(new Vector3Buffer(1, new Vector3[1]{{1, 0, 0}}));
        LogCapture log;
        DrawFrame(node.Get());
        EXPECT_EQ(log.Lines().size(), 0u);
        ExpectNear(AtPoint(PointAt(1, 5, 0, 0, 1, 1, 0.25f, 0.25f)),
                   bound ? ClearRgb() : Stored(TexelColour(kChecker[0][0])), 0, bound ? "bound" : "spare");
    }
}

// texture stages ---------------------------------------------------------------------

// The shipped scene on a device with four fixed-function stages, as common
// desktop drivers have, drawn by programs on eight image units and again
// (loaded anew, as effects choose their technique once) by a device without
// programs: two frames log nothing, raise no GL error and touch no unit past
// the fourth (a combiner and a texture matrix left there stay).
TEST_F(GoldenImageTest, ShippedSceneOnFourStagesTouchesNoOtherUnit)
{
    Codec* codec = nullptr;
    for (const char* name : {"JPGImageCodec", "TGAImageCodec", "RAR2FileCodec", "STRSceneCodec"})
    {
        Module* module = nullptr;
        ASSERT_EQ(ModuleManager::LoadModule(String(name), &module), 0) << name;
        ASSERT_EQ(CodecManager::GetCodec(String(name), &codec), 0) << name;
    }
    File archive{String(VERNALIA_GENERATED_DIR "/archives/Media.rar2")};
    ASSERT_EQ(FileManager::AttachArchive(&archive, String()), 0);
    File* file = FileManager::FindFile(String("Main.STR"));
    ASSERT_TRUE(file);
    const GLFunctions& gl = renderer->GetDevice()->Functions();
    for (bool programs : {true, false})
    {
        SCOPED_TRACE(programs ? "programs" : "fixed function");
        DeviceCaps caps = renderer->GetCaps();
        caps.simultaneousTextures = 4;
        caps.programTextures = programs ? 8 : 0;
        if (!programs)
            caps.vertexShaderLevel = caps.pixelShaderLevel = ShaderLevel::None;
        renderer->SetCapsForTest(caps);
        Object* loaded = nullptr;
        ASSERT_EQ(codec->LoadScene(file, &loaded), 0);
        const Ptr<Object> scene = loaded;
        Object* eye = scene->FindByName(String("Camera"));
        ASSERT_TRUE(scene->IsDerived(Node::TYPE) && eye && eye->IsDerived(Camera::TYPE));
        camera = static_cast<Camera*>(eye);

        for (GLenum unit = 4; unit < 8; ++unit)
        {
            gl.activeTexture(GL_TEXTURE0 + unit);
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
            glMatrixMode(GL_TEXTURE);
            glLoadIdentity();
            glScalef(3, 3, 3);
        }
        gl.activeTexture(GL_TEXTURE0);
        glMatrixMode(GL_MODELVIEW);
        while (glGetError() != GL_NO_ERROR)
        {
        }
        LogCapture log;
        for (int frame = 0; frame < 2; ++frame)
            DrawFrame(static_cast<Node*>(scene.Get()));
        // Nothing but the grass's count on its first update.
        EXPECT_EQ(log.Lines().size(), log.Count("GRASS COUNT [")) << (log.Lines().empty() ? "" : log.Lines()[0].text);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        EXPECT_LT(std::count(pixels.begin(), pixels.end(), uint8_t{0}), std::ssize(pixels) * 3 / 4) << "nothing drawn";
        for (GLenum unit = 4; unit < 8; ++unit)
        {
            gl.activeTexture(GL_TEXTURE0 + unit);
            GLint mode = 0;
            GLfloat matrix[16] = {};
            glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
            glGetFloatv(GL_TEXTURE_MATRIX, matrix);
            EXPECT_EQ(mode, GL_DECAL) << "unit " << unit;
            EXPECT_EQ(matrix[0], 3.0f) << "unit " << unit;
        }
        gl.activeTexture(GL_TEXTURE0);
    }
}
