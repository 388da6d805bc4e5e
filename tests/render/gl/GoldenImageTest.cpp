// Whole scenes through the scene graph and the effects, drawn by the OpenGL
// renderer headless and checked pixel by pixel against colours worked out
// here from the blending, fog, lighting and texturing formulas. Single
// device calls are tested beside their implementation; these tests catch
// the pieces not fitting together (culling, queues, state from effects).
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/image/Image.h"
#include "engine/core/Quaternion.h"
#include "engine/render/CubeTexture.h"
#include "engine/render/Pass.h"
#include "engine/render/RenderCubeTextureController.h"
#include "engine/render/RenderStateBlock.h"
#include "engine/render/RenderTextureController.h"
#include "engine/render/Technique.h"
#include "engine/render/Texture.h"
#include "engine/render/TextureEffect.h"
#include "engine/scene/Light.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/scene/WindowPlane.h"
#include "support/GoldenImage.h"

using namespace golden;

namespace
{

// Counts how often the device was handed its geometry: a culled node is
// never bound.
class CountingEffect : public ColorEffect
{
public:
    explicit CountingEffect(const Vector4& colour) { SetColor(colour); }
    int32_t BindFixedFunction(Renderer& renderer, GeometryNode& geometry) override
    {
        ++binds;
        return ColorEffect::BindFixedFunction(renderer, geometry);
    }
    int binds = 0;
};

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

// The state block of an effect's only pass, once the effect has chosen its
// technique (which copies the effect's settings into it).
RenderStateBlock* StateOf(GeometryNodeEffect& effect)
{
    if (effect.PassCount() == 0)
        return nullptr;
    Pass* pass = effect.GetActiveTechnique()->GetPass(0);
    return pass ? pass->GetState() : nullptr;
}

// A 2 x 2 RGBA picture, rows as given (row 0 first in the block).
Ptr<Texture> MakeChecker(const uint8_t (&texels)[2][2][4])
{
    Ptr<Image> image = new Image(String("checker"), Image::kPixel32, 2, 2);
    std::memcpy(image->GetData(), texels, sizeof(texels));
    Ptr<Texture> texture = new Texture(String("checker"));
    texture->SetImage(image.Get());
    return texture;
}

// Red, green / blue, yellow with alphas 255, 128 / 64, 255.
constexpr uint8_t kChecker[2][2][4] = {{{255, 0, 0, 255}, {0, 255, 0, 128}}, {{0, 0, 255, 64}, {255, 255, 0, 255}}};

// A textured rectangle: texture coordinates from (u0, v0) at the top-left
// corner to (u1, v1) at the bottom-right, nearest filtering, the colour
// white unless given.
Ptr<Triangles> MakeTexturedRectangle(Texture* texture, float half, float z, float u0, float v0, float u1, float v1,
                                     AddressMode address, const Vector4& colour = Vector4(1, 1, 1, 1))
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

// culling ----------------------------------------------------------------------

TEST_F(GoldenImageTest, NodesOutsideTheViewAreNeverBoundWhileVisibleSiblingsDraw)
{
    Ptr<SceneNode> root = new SceneNode(String("root"));
    Ptr<Triangles> visible = MakeRectangle("visible", -1, 1, 1, -1, 10, Vector4(1, 0, 0, 1));
    Ptr<Triangles> aside = MakeRectangle("aside", 99, 1, 101, -1, 10, Vector4(0, 1, 0, 1));
    Ptr<Triangles> behind = MakeRectangle("behind", -1, 1, 1, -1, -10, Vector4(0, 0, 1, 1));
    // A group wholly behind the eye: its children are not even tested.
    Ptr<SceneNode> group = new SceneNode(String("group"));
    group->GetLocalTransform().SetTranslation(Vector3(0, 0, -50));
    Ptr<Triangles> grouped = MakeRectangle("grouped", -1, 1, 1, -1, 0, Vector4(1, 1, 1, 1));
    Ptr<CountingEffect> counts[4];
    Triangles* nodes[4] = {visible.Get(), aside.Get(), behind.Get(), grouped.Get()};
    for (int i = 0; i < 4; ++i)
    {
        counts[i] = new CountingEffect(EffectOf(*nodes[i])->GetColor());
        nodes[i]->SetEffect(counts[i].Get());
    }
    group->AttachChild(grouped.Get());
    root->AttachChild(aside.Get());
    root->AttachChild(visible.Get());
    root->AttachChild(behind.Get());
    root->AttachChild(group.Get());

    DrawFrame(root.Get());
    EXPECT_EQ(counts[0]->binds, 1);
    EXPECT_EQ(counts[1]->binds, 0) << "a node far to the side was drawn";
    EXPECT_EQ(counts[2]->binds, 0) << "a node behind the eye was drawn";
    EXPECT_EQ(counts[3]->binds, 0) << "a node in a group behind the eye was drawn";
    ExpectNear(AtPoint(Vector3(0, 0, 10)), Stored(1, 0, 0), 0, "visible node");
    ExpectNear(AtPoint(Vector3(0, 1.5f, 10)), ClearRgb(), 0, "above the visible node");
}

// transparency -----------------------------------------------------------------

// Half-transparent red in front of half-transparent green over the clear
// colour. Both write depth, so drawn nearest first the green would fail the
// depth test where they overlap and leave red over the clear colour alone.
TEST_F(GoldenImageTest, TransparentNodesBlendFarthestFirstWhateverTheirOrder)
{
    const Vector4 clear(0.0f, 0.0f, 1.0f, 1.0f);
    const Vector4 nearColour(1.0f, 0.0f, 0.0f, 0.5f);
    const Vector4 farColour(0.0f, 1.0f, 0.0f, 0.5f);
    for (bool nearFirst : {true, false})
    {
        Ptr<SceneNode> root = new SceneNode(String("root"));
        Ptr<Triangles> nearNode = MakeRectangle("near", -1, 1, 1, -1, 5, nearColour);
        Ptr<Triangles> farNode = MakeRectangle("far", -4, 2, 4, -2, 10, farColour);
        EffectOf(*nearNode)->SetBlendEnabled(true);
        EffectOf(*farNode)->SetBlendEnabled(true);
        root->AttachChild((nearFirst ? nearNode : farNode).Get());
        root->AttachChild((nearFirst ? farNode : nearNode).Get());
        DrawFrame(root.Get(), clear);

        const float under[3] = {Packed(clear.x), Packed(clear.y), Packed(clear.z)};
        const float a = 0.5f;
        float far[3], both[3];
        const float farRgb[3] = {farColour.x, farColour.y, farColour.z};
        const float nearRgb[3] = {nearColour.x, nearColour.y, nearColour.z};
        for (int c = 0; c < 3; ++c)
        {
            far[c] = farRgb[c] * a + under[c] * (1 - a);
            both[c] = nearRgb[c] * a + far[c] * (1 - a);
        }
        const char* order = nearFirst ? "near node first in the tree" : "far node first in the tree";
        ExpectNear(AtPoint(Vector3(0, 0, 5)), Stored(both[0], both[1], both[2]), 2, order);
        // Where only the far one covers (the near one ends at x / z = 0.2).
        ExpectNear(AtPoint(Vector3(3.5f, 0, 10)), Stored(far[0], far[1], far[2]), 2, order);
    }
}

// A transparent window plane over the whole view, put in the tree before a
// transparent rectangle: it still comes last, so the picture is the plane
// over the rectangle over the clear colour.
TEST_F(GoldenImageTest, WindowPlaneIsDrawnAfterAllOtherTransparentNodes)
{
    Ptr<SceneNode> root = new SceneNode(String("root"));
    Ptr<WindowPlane> plane = new WindowPlane(String("plane"));
    plane->SetVertices(new Vector3Buffer(4, new Vector3[4]{Vector3(0, 0, 0), Vector3(1, 0, 0), Vector3(1, 1, 0),
                                                            Vector3(0, 1, 0)}));
    plane->SetIndices(new IntBuffer(6, new int32_t[6]{0, 1, 2, 0, 2, 3}));
    plane->SetPosition(Vector2(0, 0));
    plane->SetSize(Vector2(1, 1));
    plane->UpdateModelBound();
    Ptr<ColorEffect> planeEffect = new ColorEffect(String("plane"));
    const Vector4 planeColour(0.0f, 0.0f, 1.0f, 0.5f);
    planeEffect->SetColor(planeColour);
    planeEffect->SetBlendEnabled(true);
    planeEffect->SetCullEnabled(false);
    plane->SetEffect(planeEffect.Get());
    const Vector4 rectangleColour(1.0f, 0.0f, 0.0f, 0.5f);
    Ptr<Triangles> rectangle = MakeRectangle("rectangle", -1, 1, 1, -1, 5, rectangleColour);
    EffectOf(*rectangle)->SetBlendEnabled(true);
    root->AttachChild(plane.Get());
    root->AttachChild(rectangle.Get());
    DrawFrame(root.Get());

    // Over black: rectangle first gives (0.5, 0, 0), then the plane halves
    // it and adds half its blue.
    ExpectNear(AtPoint(Vector3(0, 0, 5)), Stored(0.25f, 0.0f, 0.5f), 2, "plane over rectangle");
    ExpectNear(AtPoint(Vector3(1.7f, 0, 5)), Stored(0.0f, 0.0f, 0.5f), 2, "plane alone");
}

// blending -----------------------------------------------------------------------

struct BlendCase
{
    BlendFactor source;
    BlendFactor destination;
};

std::ostream& operator<<(std::ostream& out, const BlendCase& c)
{
    return out << "(" << ToInt(c.source) << ", " << ToInt(c.destination) << ")";
}

class GoldenBlendTest : public GoldenImageRig, public ::testing::WithParamInterface<BlendCase>
{
};

// The factor of the blend enumeration for one channel; destination alpha
// is not among the cases (the back buffer has no alpha bits to hold it).
float FactorOf(BlendFactor factor, float source, float sourceAlpha, float destination)
{
    const float factors[8] = {0.0f,        1.0f,        source, 1.0f - source, sourceAlpha, 1.0f - sourceAlpha,
                              destination, 1.0f - destination};
    return factors[ToInt(factor)];
}

TEST_P(GoldenBlendTest, BlendedColourFollowsTheFactorFormula)
{
    const BlendCase blend = GetParam();
    const Vector4 clear(0.2f, 0.4f, 0.6f, 1.0f);
    const Vector4 colour(0.9f, 0.5f, 0.1f, 0.6f);
    Ptr<SceneNode> root = new SceneNode(String("root"));
    Ptr<Triangles> node = MakeRectangle("blended", -1, 1, 1, -1, 5, colour);
    EffectOf(*node)->SetBlend(true, blend.source, blend.destination);
    root->AttachChild(node.Get());
    DrawFrame(root.Get(), clear);

    const float source[3] = {colour.x, colour.y, colour.z};
    const float destination[3] = {Stored(Packed(clear.x)) / 255.0f, Stored(Packed(clear.y)) / 255.0f,
                                  Stored(Packed(clear.z)) / 255.0f};
    float want[3];
    for (int c = 0; c < 3; ++c)
        want[c] = source[c] * FactorOf(blend.source, source[c], colour.w, destination[c]) +
                  destination[c] * FactorOf(blend.destination, source[c], colour.w, destination[c]);
    ExpectNear(AtPoint(Vector3(0, 0, 5)), Stored(want[0], want[1], want[2]), 2, "blended centre");
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

// alpha test -------------------------------------------------------------------------

// The reference passes alpha at or above it (greater or equal), with no
// blending: a fragment is either all there or not at all.
TEST_F(GoldenImageTest, FragmentsBelowTheReferenceAreDiscarded)
{
    const Vector4 clear(0.0f, 0.0f, 1.0f, 1.0f);
    Ptr<SceneNode> root = new SceneNode(String("root"));
    Ptr<Triangles> faint = MakeRectangle("faint", -2, 1, -0.5f, -1, 5, Vector4(1, 0, 0, 0.45f));
    Ptr<Triangles> solid = MakeRectangle("solid", 0.5f, 1, 2, -1, 5, Vector4(0, 1, 0, 0.55f));
    EffectOf(*faint)->SetAlphaTest(true, 128);
    EffectOf(*solid)->SetAlphaTest(true, 128);
    root->AttachChild(faint.Get());
    root->AttachChild(solid.Get());
    DrawFrame(root.Get(), clear);
    ExpectNear(AtPoint(Vector3(-1.25f, 0, 5)), ClearRgb(), 0, "alpha 0.45 against 128");
    ExpectNear(AtPoint(Vector3(1.25f, 0, 5)), Stored(0, 1, 0), 0, "alpha 0.55 against 128");
}

// fog ------------------------------------------------------------------------------------

// Vertex fog by depth in view space: exponential f = e^(-density z), and
// squared f = e^(-(density z)^2) for an exponent above 2; the picture is
// f x colour + (1 - f) x fog colour.
TEST_F(GoldenImageTest, ExponentialAndSquaredFogAtAKnownDepth)
{
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
                          {2.0f, std::exp(-density * depth), "exponent 2 stays exponential"},
                          {3.0f, std::exp(-(density * depth) * (density * depth)), "exponential squared"}};
    for (const Mode& mode : modes)
    {
        Ptr<SceneNode> root = new SceneNode(String("root"));
        Ptr<Triangles> node = MakeRectangle("fogged", -1, 1, 1, -1, depth, colour);
        EffectOf(*node)->SetFog(true, fog, density, mode.exponent);
        root->AttachChild(node.Get());
        DrawFrame(root.Get());
        const float f = mode.factor;
        const Rgb want = Stored(f * colour.x + (1 - f) * Packed(fog.x), f * colour.y + (1 - f) * Packed(fog.y),
                                f * colour.z + (1 - f) * Packed(fog.z));
        ExpectNear(AtPoint(Vector3(0, 0, depth)), want, 2, mode.name);
    }
}

// lights ---------------------------------------------------------------------------------

class GoldenLightTest : public GoldenImageRig
{
protected:
    // A small tile facing the eye at (x, y, z) with a lit effect. Small, so
    // that the light worked out per vertex is the same over the tile.
    Ptr<Triangles> Tile(float x, float y, float z, LitEffect*& effect)
    {
        Ptr<Triangles> node = MakeRectangle("tile", x - 0.1f, y + 0.1f, x + 0.1f, y - 0.1f, z, Vector4(1, 1, 1, 1));
        Ptr<LitEffect> lit = new LitEffect();
        lit->SetMaterial(kDiffuse, kAmbient, Vector4(0, 0, 0, 1), kEmissive, 1.0f);
        node->SetEffect(lit.Get());
        effect = lit.Get();
        return node;
    }

    static Ptr<Light> MakeLight(int32_t type)
    {
        Ptr<Light> light = new Light(String("light"));
        light->SetLightType(type);
        light->SetAmbient(kLightAmbient);
        light->SetDiffuse(kLightDiffuse);
        light->SetSpecular(Vector4(0, 0, 0, 1));
        return light;
    }

    // What one light adds: scale x (light ambient x ambient + lambert x
    // light diffuse x diffuse); scale is attenuation times the spot factor.
    static Vector3 Share(float lambert, float scale)
    {
        const float l = lambert < 0.0f ? 0.0f : lambert;
        return Vector3(scale * (kLightAmbient.x * kAmbient.x + l * kLightDiffuse.x * kDiffuse.x),
                       scale * (kLightAmbient.y * kAmbient.y + l * kLightDiffuse.y * kDiffuse.y),
                       scale * (kLightAmbient.z * kAmbient.z + l * kLightDiffuse.z * kDiffuse.z));
    }

    // The emissive colour plus what the lights add.
    static Rgb Lit(const Vector3& shares)
    {
        return Stored(kEmissive.x + shares.x, kEmissive.y + shares.y, kEmissive.z + shares.z);
    }
    static Rgb Lit(float lambert, float scale) { return Lit(Share(lambert, scale)); }

    static inline const Vector4 kDiffuse{0.8f, 0.6f, 0.4f, 1.0f};
    static inline const Vector4 kAmbient{0.5f, 0.5f, 0.5f, 1.0f};
    static inline const Vector4 kEmissive{0.05f, 0.05f, 0.1f, 1.0f};
    static inline const Vector4 kLightAmbient{0.2f, 0.2f, 0.2f, 1.0f};
    static inline const Vector4 kLightDiffuse{0.9f, 0.8f, 0.7f, 1.0f};
};

// Type 0 shines along +z whatever its transform; type 1 along its world
// forward axis, here turned 60 degrees away from the tiles' normal. Two
// lights add up; once the lit nodes are drawn their lights are gone and
// lighting is off, so the next node shows its plain colour.
TEST_F(GoldenLightTest, DirectionalLightsFollowTheirDirectionAddUpAndEndWithTheirPass)
{
    Ptr<SceneNode> root = new SceneNode(String("root"));
    Ptr<Light> fixed = MakeLight(Light::kFixedDirectional);
    fixed->GetLocalTransform().SetRotation(Quaternion::FromAxisAngle(Vector3(0, 1, 0), 1.0f));
    Ptr<Light> turned = MakeLight(Light::kDirectional);
    turned->GetLocalTransform().SetRotation(Quaternion::FromAxisAngle(Vector3(0, 1, 0), kPi / 3.0f));
    root->AttachChild(fixed.Get());
    root->AttachChild(turned.Get());
    const float xs[3] = {-1, 0, 1};
    Light* lights[3][2] = {{fixed.Get(), nullptr}, {turned.Get(), nullptr}, {fixed.Get(), turned.Get()}};
    for (int i = 0; i < 3; ++i)
    {
        LitEffect* effect = nullptr;
        root->AttachChild(Tile(xs[i], 0, 10, effect).Get());
        for (Light* light : lights[i])
            if (light)
                effect->AddLight(light);
    }
    const Vector4 plainColour(0.3f, 0.6f, 0.9f, 1.0f);
    root->AttachChild(MakeRectangle("plain", 1.9f, 0.1f, 2.1f, -0.1f, 10, plainColour).Get());
    DrawFrame(root.Get());
    EXPECT_EQ(renderer->GetLightCount(), 0u);
    ExpectNear(AtPoint(Vector3(-1, 0, 10)), Lit(1.0f, 1.0f), 2, "type 0, head on");
    ExpectNear(AtPoint(Vector3(0, 0, 10)), Lit(0.5f, 1.0f), 2, "type 1, 60 degrees off");
    ExpectNear(AtPoint(Vector3(1, 0, 10)), Lit(Share(1.0f, 1.0f) + Share(0.5f, 1.0f)), 2, "two lights");
    ExpectNear(AtPoint(Vector3(2, 0, 10)), Stored(plainColour.x, plainColour.y, plainColour.z), 1, "unlit after");
}

// A point light 3 units in front of the tile: 1 / (c + l d + q d^2) while
// attenuation is on, nothing lost while it is off.
TEST_F(GoldenLightTest, PointLightIsAttenuatedByDistanceOnlyWhenSwitchedOn)
{
    const float c = 1.0f, l = 0.2f, q = 0.05f, d = 3.0f;
    for (bool attenuated : {true, false})
    {
        Ptr<SceneNode> root = new SceneNode(String("root"));
        Ptr<Light> point = MakeLight(Light::kPoint);
        point->GetLocalTransform().SetTranslation(Vector3(0, 0, 10 - d));
        point->SetAttenuation(c, l, q, attenuated);
        root->AttachChild(point.Get());
        LitEffect* effect = nullptr;
        Ptr<Triangles> tile = Tile(0, 0, 10, effect);
        effect->AddLight(point.Get());
        root->AttachChild(tile.Get());
        DrawFrame(root.Get());
        const float scale = attenuated ? 1.0f / (c + l * d + q * d * d) : 1.0f;
        ExpectNear(AtPoint(Vector3(0, 0, 10)), Lit(1.0f, scale), 2, attenuated ? "attenuated" : "not attenuated");
    }
}

// A narrow spot 6 units in front: the tile on its axis gets all of it, the
// tile 2 units aside (18 degrees off, far outside 1.05 x 0.1 radians) none,
// not even the light's ambient.
TEST_F(GoldenLightTest, SpotLightLightsInsideItsConeOnly)
{
    Ptr<SceneNode> root = new SceneNode(String("root"));
    Ptr<Light> spot = MakeLight(Light::kSpot);
    spot->GetLocalTransform().SetTranslation(Vector3(0, 0, 4));
    spot->SetAngle(0.1f);
    spot->SetFalloff(1.0f);
    root->AttachChild(spot.Get());
    LitEffect* effect = nullptr;
    Ptr<Triangles> inside = Tile(0, 0, 10, effect);
    effect->AddLight(spot.Get());
    Ptr<Triangles> outside = Tile(2, 0, 10, effect);
    effect->AddLight(spot.Get());
    root->AttachChild(inside.Get());
    root->AttachChild(outside.Get());
    DrawFrame(root.Get(), Vector4(0, 0, 1, 1));
    ExpectNear(AtPoint(Vector3(0, 0, 10)), Lit(1.0f, 1.0f), 2, "on the axis");
    ExpectNear(AtPoint(Vector3(2, 0, 10)), Lit(0.0f, 0.0f), 2, "outside the cone");
}

// textures -------------------------------------------------------------------------------

// Coordinates from -1 to 2 show the picture in the middle third; around
// it wrap repeats it, clamp stretches its edge texels and border shows the
// border colour (green unless a stage says otherwise).
TEST_F(GoldenImageTest, AddressModesOutsideTheUnitSquare)
{
    Ptr<Texture> texture = MakeChecker(kChecker);
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
            const Rgb want = row < 0 ? Stored(0, 1, 0)
                                     : Rgb{kChecker[row][column][0], kChecker[row][column][1], kChecker[row][column][2]};
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
    Ptr<Texture> texture = MakeChecker(kChecker);
    const Vector4 colour(0.5f, 0.25f, 0.75f, 1.0f);
    const Vector4 factor(0.2f, 0.6f, 1.0f, 1.0f);
    const float prev[3] = {colour.x, colour.y, colour.z};
    const float tf[3] = {Packed(factor.x), Packed(factor.y), Packed(factor.z)};
    for (StageCombine combine : {StageCombine::Replace, StageCombine::Decal, StageCombine::Modulate,
                                 StageCombine::Blend, StageCombine::Add})
    {
        Ptr<SceneNode> root = new SceneNode(String("root"));
        Ptr<Triangles> node = MakeTexturedRectangle(texture.Get(), 1, 5, 0, 0, 1, 1, AddressMode::Clamp, colour);
        RenderStateBlock* state = StateOf(*EffectOf(*node));
        ASSERT_NE(state, nullptr);
        state->stages[0].combine = combine;
        state->stages[0].textureFactor = factor;
        state->MarkChanged();
        root->AttachChild(node.Get());
        DrawFrame(root.Get());
        for (int row = 0; row < 2; ++row)
            for (int column = 0; column < 2; ++column)
            {
                const uint8_t* t = kChecker[row][column];
                const float a = t[3] / 255.0f;
                float want[3];
                for (int c = 0; c < 3; ++c)
                {
                    const float tex = t[c] / 255.0f;
                    const float modes[5] = {tex, tex * a + prev[c] * (1 - a), tex * prev[c],
                                            prev[c] * (1 - tex) + tf[c] * tex, std::min(1.0f, tex + prev[c])};
                    want[c] = modes[ToInt(combine)];
                }
                const float u = (column + 0.5f) / 2.0f, v = (row + 0.5f) / 2.0f;
                ExpectNear(AtPoint(PointAt(1, 5, 0, 0, 1, 1, u, v)), Stored(want[0], want[1], want[2]), 2,
                           "combine " + std::to_string(ToInt(combine)) + " texel " + std::to_string(row) + "," +
                               std::to_string(column));
            }
    }
}

// render targets -----------------------------------------------------------------------

// Four quadrants of a view, each its own colour, as seen by an eye at the
// origin looking along +z: top-left red, top-right green, bottom-left
// blue, bottom-right yellow. Culling stays on, so a target that mirrored
// the winding without mirroring the culled face would lose them.
const Vector4 kQuadrants[2][2] = {{{1, 0, 0, 1}, {0, 1, 0, 1}}, {{0, 0, 1, 1}, {1, 1, 0, 1}}};

Ptr<SceneNode> MakeQuadrants(float z)
{
    Ptr<SceneNode> scene = new SceneNode(String("quadrants"));
    const float reach = z * 2.0f;
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 2; ++column)
        {
            const float left = column == 0 ? -reach : 0.0f;
            const float top = row == 0 ? reach : 0.0f;
            scene->AttachChild(
                MakeRectangle("quadrant", left, top, left + reach, top - reach, z, kQuadrants[row][column]).Get());
        }
    return scene;
}

// The quadrants drawn into a texture through their own camera, then the
// texture shown on a rectangle with v = 0 at its top: the picture comes out
// upright and unmirrored, as if the camera looked through the rectangle.
TEST_F(GoldenImageTest, RenderedTextureShowsItsViewUprightOnTheScreen)
{
    Ptr<Image> size = new Image(String("target"), Image::kPixel32, 64, 64);
    Ptr<Texture> target = new Texture(String("target"));
    target->SetImage(size.Get());
    Ptr<SceneNode> inner = MakeQuadrants(5.0f);
    Ptr<Camera> innerCamera = new Camera(String("inner"));
    inner->AttachChild(innerCamera.Get());
    inner->UpdateTree(0.0);
    Ptr<RenderTextureController> controller = new RenderTextureController(String("mirror"));
    controller->SetCamera(innerCamera.Get());
    controller->AddNode(inner.Get());
    controller->SetContinuous(true);
    ASSERT_EQ(target->SetController(controller.Get()), 0);

    Ptr<SceneNode> root = new SceneNode(String("root"));
    Ptr<Triangles> screen = MakeTexturedRectangle(target.Get(), 1, 5, 0, 0, 1, 1, AddressMode::Clamp);
    root->AttachChild(screen.Get());
    renderer->QueuePreRender(controller.Get());
    DrawFrame(root.Get(), Vector4(0.5f, 0.5f, 0.5f, 1.0f));
    EXPECT_TRUE(controller->IsRendered());
    EXPECT_EQ(renderer->GetCamera(), camera.Get()) << "the main camera was not given back";
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 2; ++column)
        {
            const Vector4& want = kQuadrants[row][column];
            const float u = column == 0 ? 0.25f : 0.75f, v = row == 0 ? 0.25f : 0.75f;
            ExpectNear(AtPoint(PointAt(1, 5, 0, 0, 1, 1, u, v)), Stored(want.x, want.y, want.z), 1,
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
    struct Wall
    {
        Vector3 direction;
        Vector4 colour;
    };
    const Wall walls[6] = {{{1, 0, 0}, {1, 0, 0, 1}},  {{-1, 0, 0}, {0, 1, 0, 1}}, {{0, 1, 0}, {0, 0, 1, 1}},
                           {{0, -1, 0}, {1, 1, 0, 1}}, {{0, 0, 1}, {0, 1, 1, 1}},  {{0, 0, -1}, {1, 0, 1, 1}}};
    const Vector4 lowerRight(0.5f, 0.0f, 0.0f, 1.0f); // the lower half of the +x wall
    Ptr<SceneNode> room = new SceneNode(String("room"));
    const float d = 5.0f, half = 6.0f;
    for (const Wall& wall : walls)
    {
        // A square across the wall's axis at distance d; drawn from both
        // sides, since which way it faces is not what is tested here.
        const Vector3 n = wall.direction;
        const Vector3 a = std::fabs(n.y) > 0.5f ? Vector3(1, 0, 0) : Vector3(0, 1, 0);
        const Vector3 b = n.Cross(a);
        Ptr<Triangles> square = MakeRectangle("wall", -1, 1, 1, -1, 0, wall.colour);
        Vector3* p = square->GetVertices()->GetElements();
        const float corners[4][2] = {{-1, 1}, {1, 1}, {1, -1}, {-1, -1}};
        for (int i = 0; i < 4; ++i)
            p[i] = n * d + a * (corners[i][1] * half) + b * (corners[i][0] * half);
        square->UpdateModelBound();
        EffectOf(*square)->SetCullEnabled(false);
        room->AttachChild(square.Get());
    }
    // The lower half of the +x wall, just in front of it.
    Ptr<Triangles> lower = MakeRectangle("lower", -1, 1, 1, -1, 0, lowerRight);
    Vector3* p = lower->GetVertices()->GetElements();
    p[0] = Vector3(d - 0.1f, 0, -half);
    p[1] = Vector3(d - 0.1f, 0, half);
    p[2] = Vector3(d - 0.1f, -half, half);
    p[3] = Vector3(d - 0.1f, -half, -half);
    lower->UpdateModelBound();
    EffectOf(*lower)->SetCullEnabled(false);
    room->AttachChild(lower.Get());
    Ptr<Camera> centre = new Camera(String("centre"));
    room->AttachChild(centre.Get());
    room->UpdateTree(0.0);

    Ptr<CubeTexture> cube = new CubeTexture(String("cube"));
    Ptr<RenderCubeTextureController> controller = new RenderCubeTextureController(String("environment"));
    controller->SetCamera(centre.Get());
    controller->AddNode(room.Get());
    controller->SetContinuous(true);
    ASSERT_EQ(cube->SetController(controller.Get()), 0);

    // Tiles in a row, each sampling the cube along one fixed direction.
    struct Probe
    {
        Vector3 direction;
        Vector4 want;
        const char* name;
    };
    const Probe probes[] = {{{1, 0.5f, 0}, walls[0].colour, "+x upper"}, {{1, -0.5f, 0}, lowerRight, "+x lower"},
                            {walls[1].direction, walls[1].colour, "-x"}, {walls[2].direction, walls[2].colour, "+y"},
                            {walls[3].direction, walls[3].colour, "-y"}, {walls[4].direction, walls[4].colour, "+z"},
                            {walls[5].direction, walls[5].colour, "-z"}};
    Ptr<SceneNode> root = new SceneNode(String("root"));
    const int count = static_cast<int>(sizeof(probes) / sizeof(probes[0]));
    for (int i = 0; i < count; ++i)
    {
        const float x = -3.0f + static_cast<float>(i);
        Ptr<Triangles> tile = MakeRectangle("probe", x - 0.3f, 0.3f, x + 0.3f, -0.3f, 10, Vector4(1, 1, 1, 1));
        const Vector3 dir = probes[i].direction;
        tile->SetTextureCoordinates(0, new Vector3Buffer(4, new Vector3[4]{dir, dir, dir, dir}));
        Ptr<TextureEffect> effect = new TextureEffect(String("probe"));
        effect->SetTexture(cube.Get());
        effect->SetSampler(0, AddressMode::Clamp, TextureFilter::Nearest, TextureFilter::Nearest);
        tile->SetEffect(effect.Get());
        root->AttachChild(tile.Get());
    }
    renderer->QueuePreRender(controller.Get());
    DrawFrame(root.Get());
    EXPECT_TRUE(controller->IsRendered());
    for (int i = 0; i < count; ++i)
    {
        const Vector4& want = probes[i].want;
        ExpectNear(AtPoint(Vector3(-3.0f + static_cast<float>(i), 0, 10)), Stored(want.x, want.y, want.z), 1,
                   probes[i].name);
    }
}

// capture --------------------------------------------------------------------------------

// The capture is the back buffer as an RGB image with its top row first:
// the red quadrant is at the start of the block, the yellow one at its end.
TEST_F(GoldenImageTest, CaptureHoldsTheFrameTopRowFirst)
{
    Ptr<SceneNode> root = MakeQuadrants(5.0f);
    DrawFrame(root.Get());
    Image* taken = nullptr;
    ASSERT_EQ(renderer->CaptureScreen(&taken), 0);
    ASSERT_NE(taken, nullptr);
    Ptr<Image> image = taken;
    ASSERT_EQ(image->GetFormat(), Image::kPixel24);
    ASSERT_EQ(static_cast<int>(image->GetWidth()), width);
    ASSERT_EQ(static_cast<int>(image->GetHeight()), height);
    const uint8_t* data = image->GetData();
    ASSERT_NE(data, nullptr);
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 2; ++column)
        {
            const int x = width / 4 + column * width / 2;
            const int y = height / 4 + row * height / 2;
            const uint8_t* at = data + (static_cast<size_t>(y) * width + x) * 3;
            const Vector4& want = kQuadrants[row][column];
            ExpectNear({at[0], at[1], at[2]}, Stored(want.x, want.y, want.z), 0,
                       "captured quadrant " + std::to_string(row) + "," + std::to_string(column));
            ExpectNear(At(x, y), Stored(want.x, want.y, want.z), 0,
                       "drawn quadrant " + std::to_string(row) + "," + std::to_string(column));
        }
}
