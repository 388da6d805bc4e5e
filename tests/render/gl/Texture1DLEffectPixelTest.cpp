// Texture1DLEffect drawn by the OpenGL renderer (headless): each technique's
// picture against the lighting, fog, wind and skinning formulas computed
// here, and the renderer's handling of programs it cannot run.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/image/Image.h"
#include "engine/core/Matrix4.h"
#include "engine/core/Quaternion.h"
#include "engine/render/ColorEffect.h"
#include "engine/render/Texture.h"
#include "engine/render/Texture1DLEffect.h"
#include "engine/render/VertexShader.h"
#include "engine/scene/Camera.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Light.h"
#include "engine/scene/Node.h"
#include "engine/scene/SkinController.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/scene/Vector4Buffer.h"
#include "support/HeadlessRenderer.h"
#include "support/LogCapture.h"

namespace
{

struct Colour
{
    float r, g, b;
};

// What the lit formulas give, per channel, before the 8-bit store.
struct Material
{
    Vector4 ambient{0.3f, 0.3f, 0.3f, 1.0f};
    Vector4 diffuse{0.6f, 0.5f, 0.4f, 1.0f};
    Vector4 specular{0.0f, 0.0f, 0.0f, 1.0f};
    Vector4 emissive{0.0f, 0.0f, 0.0f, 1.0f};
    float power = 1.0f;
};

struct LightColours
{
    Vector4 ambient{0.4f, 0.4f, 0.4f, 1.0f};
    Vector4 diffuse{0.8f, 0.9f, 1.0f, 1.0f};
    Vector4 specular{0.0f, 0.0f, 0.0f, 1.0f};
};

float Clamp(float v)
{
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}

Vector3 Unit(Vector3 v)
{
    v.Normalize();
    return v;
}

// Blinn-Phong with a local viewer: N.L, the half vector between the way to
// the eye and the way to the light, (N.H)^power only where N.L > 0.
void Terms(const Vector3& point, const Vector3& normal, const Vector3& towards, const Vector3& eye, float power,
           float& diffuse, float& specular)
{
    diffuse = std::max(0.0f, normal.Dot(towards));
    const Vector3 half = Unit(Unit(eye - point) + towards);
    const float nh = std::max(0.0f, normal.Dot(half));
    specular = diffuse > 0.0f && nh > 0.0f ? std::pow(nh, power) : 0.0f;
}

float Channel(const Vector4& c, int i)
{
    return i == 0 ? c.x : (i == 1 ? c.y : c.z);
}

// texture x (ambient + diffuse N.L) + specular x (N.H)^power + emissive.
Colour Lit(const Material& m, const LightColours& l, const Colour& texture, float diffuse, float specular)
{
    float out[3];
    const float tex[3] = {texture.r, texture.g, texture.b};
    for (int i = 0; i < 3; ++i)
        out[i] = Clamp(tex[i] * (Channel(m.ambient, i) * Channel(l.ambient, i) +
                                 Channel(m.diffuse, i) * Channel(l.diffuse, i) * diffuse) +
                       Channel(m.specular, i) * Channel(l.specular, i) * specular + Channel(m.emissive, i));
    return {out[0], out[1], out[2]};
}

class Texture1DLEffectPixelTest : public HeadlessRendererTest
{
protected:
    void SetUp() override
    {
        OpenRenderer("lit");
        if (!Opened())
            return;
        DeviceCaps caps = renderer->GetCaps();
        caps.simultaneousTextures = 8;
        caps.maxLights = 8;
        renderer->SetCapsForTest(caps);
        light = new Light(String("sun"));
        light->SetLightType(Light::kFixedDirectional); // travels along +z: towards it is -z
        light->SetAmbient(lightColours.ambient);
        light->SetDiffuse(lightColours.diffuse);
        light->SetSpecular(lightColours.specular);
    }

    void TearDown() override
    {
        light = nullptr;
        HeadlessRendererTest::TearDown();
    }

    // Shader levels as the technique choice sees them.
    void Levels(ShaderLevel vertex, ShaderLevel pixel)
    {
        DeviceCaps caps = renderer->GetCaps();
        caps.vertexShaderLevel = vertex;
        caps.pixelShaderLevel = pixel;
        renderer->SetCapsForTest(caps);
    }

    void Begin()
    {
        HeadlessRendererTest::Begin();
        Camera* camera = renderer->GetCamera();
        ASSERT_NE(camera, nullptr);
        eye = camera->GetPosition();
        view = camera->GetView();
        viewProjection = view * camera->GetProjection();
    }

    Colour At(const Vector3& p) const
    {
        int x = 0, y = 0;
        EXPECT_TRUE(PixelOf(p, x, y)) << "off screen";
        if (x < 0 || y < 0 || x >= width || y >= height)
            return {-1, -1, -1};
        const Rgb c = HeadlessRendererTest::At(x, y);
        return {c.r / 255.0f, c.g / 255.0f, c.b / 255.0f};
    }

    // Within tolerance/255 in each channel.
    static void ExpectNear(const Colour& got, const Colour& want, float tolerance, const std::string& what)
    {
        const float t = tolerance / 255.0f + 0.5f / 255.0f;
        EXPECT_NEAR(got.r, want.r, t) << what << " red";
        EXPECT_NEAR(got.g, want.g, t) << what << " green";
        EXPECT_NEAR(got.b, want.b, t) << what << " blue";
    }

    static bool IsBlack(const Colour& c) { return c.r == 0.0f && c.g == 0.0f && c.b == 0.0f; }

    // A quad of side 2 half at centre (object space) in the plane z =
    // centre.z, facing -z, every vertex with the given normal; the world
    // transform is set directly.
    Ptr<Triangles> MakeQuad(const Vector3& centre, float half, const Vector3& normal,
                            const Transform& world = Transform())
    {
        Ptr<Triangles> node = new Triangles(String("quad"));
        const float x = centre.x, y = centre.y, z = centre.z;
        node->SetVertices(new Vector3Buffer(4, new Vector3[4]{Vector3(x - half, y + half, z), Vector3(x + half, y + half, z),
                                                              Vector3(x + half, y - half, z), Vector3(x - half, y - half, z)}));
        const Vector3 n = Unit(normal);
        node->SetNormals(new Vector3Buffer(4, new Vector3[4]{n, n, n, n}));
        node->SetTextureCoordinates(0, new Vector2Buffer(4, new Vector2[4]{Vector2(0, 0), Vector2(1, 0), Vector2(1, 1),
                                                                           Vector2(0, 1)}));
        node->SetIndices(new IntBuffer(6, new int32_t[6]{0, 1, 2, 0, 2, 3}));
        node->SetLocalTransform(world);
        node->GetWorldTransform() = world;
        return node;
    }

    // A texture of one colour, so any coordinate samples the same texel.
    Ptr<Texture> Plain(uint8_t r, uint8_t g, uint8_t b)
    {
        Ptr<Image> image = new Image(String("plain"), Image::kPixel32, 2, 2);
        for (int i = 0; i < 4; ++i)
        {
            image->GetData()[i * 4 + 0] = r;
            image->GetData()[i * 4 + 1] = g;
            image->GetData()[i * 4 + 2] = b;
            image->GetData()[i * 4 + 3] = 255;
        }
        Ptr<Texture> texture = new Texture(String("plain"));
        texture->SetImage(image.Get());
        return texture;
    }

    Ptr<Texture1DLEffect> MakeEffect(const Material& m, Texture* texture, bool withLight = true)
    {
        Ptr<Texture1DLEffect> effect = new Texture1DLEffect(String("lit"));
        effect->SetMaterial(m.diffuse, m.ambient, m.specular, m.emissive, m.power);
        effect->SetCullEnabled(false);
        effect->SetTexture(texture);
        if (withLight)
            effect->SetLight(light.Get());
        return effect;
    }

    // Draws node with effect under the current levels; the technique is
    // chosen at this first draw.
    void Draw(Triangles& node, Texture1DLEffect& effect)
    {
        node.SetEffect(&effect);
        node.Draw(*renderer);
    }

    Ptr<Light> light;
    LightColours lightColours;
    const Vector3 towards{0.0f, 0.0f, -1.0f};
    Vector3 eye;
    Matrix4 view;
};

TEST_F(Texture1DLEffectPixelTest, PixelLitQuadMatchesBlinnPhongAtEachPixel)
{
    Levels(ShaderLevel::Model2, ShaderLevel::Model2);
    lightColours.specular = Vector4(0.7f, 0.6f, 0.5f, 1.0f);
    light->SetSpecular(lightColours.specular);
    Material m;
    m.specular = Vector4(0.5f, 0.5f, 0.5f, 1.0f);
    m.emissive = Vector4(0.05f, 0.0f, 0.1f, 1.0f);
    m.power = 6.0f;
    Ptr<Texture> texture = Plain(200, 150, 100);
    // Turned and moved, so the light and the eye really go to object space.
    const Transform world(Vector3(0.3f, -0.2f, 0.5f), Quaternion::FromAxisAngle(Vector3(0, 1, 0), 0.4f),
                          Vector3(1, 1, 1));
    const Vector3 normal(0.3f, 0.2f, -1.0f);
    Ptr<Triangles> quad = MakeQuad(Vector3(0, 0, 5), 1.2f, normal, world);
    Ptr<Texture1DLEffect> effect = MakeEffect(m, texture.Get());
    Begin();
    Draw(*quad, *effect);
    End();
    ASSERT_EQ(effect->GetLighting(), Texture1DLEffect::kPixelLit);

    const Vector3 worldNormal = Unit(world.ApplyToVector(Unit(normal)));
    const Colour tex{200 / 255.0f, 150 / 255.0f, 100 / 255.0f};
    int checked = 0;
    for (float u : {-0.8f, 0.0f, 0.7f})
        for (float v : {-0.6f, 0.5f})
        {
            const Vector3 p = world.ApplyToPoint(Vector3(u, v, 5.0f));
            float diffuse = 0, specular = 0;
            Terms(p, worldNormal, towards, eye, m.power, diffuse, specular);
            ExpectNear(At(p), Lit(m, lightColours, tex, diffuse, specular), 3,
                       "at " + std::to_string(u) + ", " + std::to_string(v));
            ++checked;
        }
    EXPECT_EQ(checked, 6);
}

TEST_F(Texture1DLEffectPixelTest, VertexLitQuadMatchesBlinnPhongInterpolatedFromItsCorners)
{
    Levels(ShaderLevel::Model1, ShaderLevel::None);
    lightColours.specular = Vector4(0.7f, 0.6f, 0.5f, 1.0f);
    light->SetSpecular(lightColours.specular);
    Material m;
    m.specular = Vector4(0.4f, 0.4f, 0.4f, 1.0f);
    m.emissive = Vector4(0.0f, 0.1f, 0.05f, 1.0f);
    m.power = 3.0f;
    Ptr<Texture> texture = Plain(180, 220, 140);
    const Vector3 normal(-0.2f, 0.3f, -1.0f);
    Ptr<Triangles> quad = MakeQuad(Vector3(0, 0, 5), 1.0f, normal);
    Ptr<Texture1DLEffect> effect = MakeEffect(m, texture.Get());
    Begin();
    Draw(*quad, *effect);
    End();
    ASSERT_EQ(effect->GetLighting(), Texture1DLEffect::kVertexLit);

    // The colours are lit at the corners and interpolated: on the shared
    // edge from corner 0 to corner 2 the midpoint gets their mean, and
    // texturing multiplies only the ambient and diffuse part.
    const Vector3 n = Unit(normal);
    const Vector3 corner0(-1, 1, 5), corner2(1, -1, 5);
    float d0 = 0, s0 = 0, d2 = 0, s2 = 0;
    Terms(corner0, n, towards, eye, m.power, d0, s0);
    Terms(corner2, n, towards, eye, m.power, d2, s2);
    ASSERT_NEAR(d0, d2, 1e-6f);
    const Colour tex{180 / 255.0f, 220 / 255.0f, 140 / 255.0f};
    ExpectNear(At(Vector3(0, 0, 5)), Lit(m, lightColours, tex, d0, (s0 + s2) * 0.5f), 3, "centre");
    // Further along the same edge, 95% of the way back to corner 0.
    ExpectNear(At(Vector3(-0.9f, 0.9f, 5)), Lit(m, lightColours, tex, d0, 0.95f * s0 + 0.05f * s2), 3,
               "near corner 0");
}

TEST_F(Texture1DLEffectPixelTest, TheThreeTechniquesAgreeOnAQuadFacingTheLight)
{
    // No specular and no emissive: every technique gives
    // texture x (ambient + diffuse), whatever its viewer model.
    Material m;
    Ptr<Texture> texture = Plain(230, 190, 120);
    const Vector3 facing(0, 0, -1);
    Ptr<Triangles> pixelLit = MakeQuad(Vector3(-2.2f, 0, 6), 0.8f, facing);
    Ptr<Triangles> vertexLit = MakeQuad(Vector3(0, 0, 6), 0.8f, facing);
    Ptr<Triangles> fixed = MakeQuad(Vector3(2.2f, 0, 6), 0.8f, facing);
    Ptr<Texture1DLEffect> effects[3] = {MakeEffect(m, texture.Get()), MakeEffect(m, texture.Get()),
                                        MakeEffect(m, texture.Get())};
    Begin();
    Levels(ShaderLevel::Model2, ShaderLevel::Model2);
    Draw(*pixelLit, *effects[0]);
    Levels(ShaderLevel::Model1, ShaderLevel::None);
    Draw(*vertexLit, *effects[1]);
    Levels(ShaderLevel::None, ShaderLevel::None);
    Draw(*fixed, *effects[2]);
    End();
    EXPECT_EQ(effects[0]->GetLighting(), Texture1DLEffect::kPixelLit);
    EXPECT_EQ(effects[1]->GetLighting(), Texture1DLEffect::kVertexLit);
    EXPECT_EQ(effects[2]->GetLighting(), Texture1DLEffect::kFixedFunction);

    const Colour want = Lit(m, lightColours, {230 / 255.0f, 190 / 255.0f, 120 / 255.0f}, 1.0f, 0.0f);
    ExpectNear(At(Vector3(-2.2f, 0, 6)), want, 3, "pixel-lit");
    ExpectNear(At(Vector3(0, 0, 6)), want, 3, "vertex-lit");
    ExpectNear(At(Vector3(2.2f, 0, 6)), want, 3, "fixed function");
}

// The fixed-function light sees the eye where it is and adds its highlight
// after the texture, as the vertex program does: on a black texture only
// the highlight shows, the same in both.
TEST_F(Texture1DLEffectPixelTest, FixedFunctionHighlightMatchesTheVertexProgramOnABlackTexture)
{
    lightColours.specular = Vector4(1.0f, 1.0f, 1.0f, 1.0f);
    light->SetSpecular(lightColours.specular);
    Material m;
    m.specular = Vector4(0.8f, 0.8f, 0.8f, 1.0f);
    m.power = 8.0f;
    Ptr<Texture> black = Plain(0, 0, 0);
    const Vector3 facing(0, 0, -1);
    const Vector3 probes[2] = {Vector3(0.0f, 0.0f, 4.0f), Vector3(0.9f, -0.9f, 4.0f)};
    Colour seen[2][2];
    const ShaderLevel levels[2] = {ShaderLevel::Model1, ShaderLevel::None};
    for (int run = 0; run < 2; ++run)
    {
        Levels(levels[run], ShaderLevel::None);
        Ptr<Triangles> quad = MakeQuad(Vector3(0, 0, 4), 1.0f, facing);
        Ptr<Texture1DLEffect> effect = MakeEffect(m, black.Get());
        Begin();
        Draw(*quad, *effect);
        End();
        EXPECT_EQ(effect->GetLighting(), run == 0 ? Texture1DLEffect::kVertexLit : Texture1DLEffect::kFixedFunction);
        for (int i = 0; i < 2; ++i)
            seen[run][i] = At(probes[i]);
    }
    EXPECT_GT(seen[1][0].r, 0.5f) << "the highlight is lost under the texture";
    for (int i = 0; i < 2; ++i)
        ExpectNear(seen[1][i], seen[0][i], 3, "probe " + std::to_string(i));
}

// Without a light only the emissive colour remains (specular too is gone),
// and fog mixes it with the fog colour.
TEST_F(Texture1DLEffectPixelTest, UnlitEmissiveIsFoggedByOneOverEToTheDensityTimesDepthToTheExponent)
{
    Material m;
    m.specular = Vector4(1, 1, 1, 1);
    m.power = 2.0f;
    m.emissive = Vector4(0.0f, 0.6f, 0.0f, 1.0f);
    Ptr<Texture> texture = Plain(255, 255, 255);
    Ptr<Triangles> squared = MakeQuad(Vector3(-1.2f, 0, 5), 0.8f, Vector3(0, 0, -1));
    Ptr<Triangles> plain = MakeQuad(Vector3(1.2f, 0, 5), 0.8f, Vector3(0, 0, -1));
    Ptr<Texture1DLEffect> pixelLit = MakeEffect(m, texture.Get(), false);
    Ptr<Texture1DLEffect> vertexLit = MakeEffect(m, texture.Get(), false);
    pixelLit->SetFog(true, Vector4(1, 0, 0, 1), 0.1f, 2.0f);
    vertexLit->SetFog(true, Vector4(1, 0, 0, 1), 0.1f, 1.0f);
    Begin();
    Levels(ShaderLevel::Model2, ShaderLevel::Model2);
    Draw(*squared, *pixelLit);
    Levels(ShaderLevel::Model1, ShaderLevel::None);
    Draw(*plain, *vertexLit);
    End();

    auto fogged = [&](const Vector3& p, float exponent) {
        const float depth = view.TransformPoint(p).z;
        const float f = 1.0f / std::pow(2.71828f, std::pow(0.1f * depth, exponent));
        return Colour{1.0f - f, 0.6f * f, 0.0f};
    };
    const Vector3 a(-1.2f, 0, 5), b(1.2f, 0, 5);
    ExpectNear(At(a), fogged(a, 2.0f), 3, "exponent 2, pixel-lit");
    ExpectNear(At(b), fogged(b, 1.0f), 3, "exponent 1, vertex-lit");
}

// The sway of a vertex by the wind formula.
Vector3 Swayed(const Vector3& p, float amplitude, float speed, float time)
{
    Vector3 out = p;
    out.x += amplitude * std::sin(0.5077f * p.x + speed * time - 0.421f * p.z) * p.y;
    out.z += amplitude * std::sin(1.31415f * speed * time + 0.3f * p.y - 0.6f * p.z) * p.y;
    return out;
}

TEST_F(Texture1DLEffectPixelTest, WindMovesTheVerticesByTheSwayFormula)
{
    Material m;
    m.emissive = Vector4(1, 1, 1, 1);
    Ptr<Texture> texture = Plain(255, 255, 255);
    // A small quad high enough to be pushed well clear of where it stands.
    const float amplitude = 0.8f, speed = 1.0f, time = 3.6758f;
    for (ShaderLevel level : {ShaderLevel::Model2, ShaderLevel::Model1})
    {
        const bool pixelLit = level == ShaderLevel::Model2;
        SCOPED_TRACE(pixelLit ? "pixel-lit" : "vertex-lit");
        Ptr<Triangles> quad = MakeQuad(Vector3(0, 1.1f, 5), 0.1f, Vector3(0, 0, -1));
        Ptr<Texture1DLEffect> effect = MakeEffect(m, texture.Get(), false);
        effect->SetWind(true, amplitude, speed);
        effect->Update(time);
        Levels(level, pixelLit ? ShaderLevel::Model2 : ShaderLevel::None);
        Begin();
        Draw(*quad, *effect);
        End();
        ASSERT_EQ(effect->GetLighting(), pixelLit ? Texture1DLEffect::kPixelLit : Texture1DLEffect::kVertexLit);

        const Vector3* corners = quad->GetVertices()->GetElements();
        Vector3 centre;
        for (int i = 0; i < 4; ++i)
            centre += Swayed(corners[i], amplitude, speed, time) * 0.25f;
        EXPECT_GT(centre.x, 0.5f); // far from the quad's own place
        EXPECT_FALSE(IsBlack(At(centre))) << "nothing where the wind put the quad";
        EXPECT_TRUE(IsBlack(At(Vector3(0, 1.1f, 5)))) << "the quad stayed where it stood";
    }
}

TEST_F(Texture1DLEffectPixelTest, SkinnedProgramPutsTheVerticesWhereTheCpuSkinningDoes)
{
    Levels(ShaderLevel::Model2, ShaderLevel::Model2);
    // Two bones: one moved left, one moved right and up and turned.
    Ptr<Node> bones[2] = {new Node(String("left")), new Node(String("right"))};
    bones[0]->GetWorldTransform() = Transform(Vector3(-0.6f, -0.2f, 0.0f), Quaternion(), Vector3(1, 1, 1));
    bones[1]->GetWorldTransform() =
        Transform(Vector3(0.7f, 0.4f, 0.5f), Quaternion::FromAxisAngle(Vector3(0, 0, 1), 0.5f), Vector3(1, 1, 1));
    Node* bonePointers[2] = {bones[0].Get(), bones[1].Get()};

    const Vector3 rest[3] = {Vector3(-1, -0.5f, 6), Vector3(1, -0.5f, 6), Vector3(0, 1, 6)};
    Ptr<Triangles> mesh = new Triangles(String("skinned"));
    mesh->SetVertices(new Vector3Buffer(3, new Vector3[3]{rest[0], rest[1], rest[2]}));
    mesh->SetNormals(new Vector3Buffer(3, new Vector3[3]{Vector3(0, 0, -1), Vector3(0, 0, -1), Vector3(0, 0, -1)}));
    mesh->SetTextureCoordinates(0, new Vector2Buffer(3, new Vector2[3]{}));
    mesh->SetIndices(new IntBuffer(3, new int32_t[3]{0, 1, 2}));
    Ptr<SkinController> skin = new SkinController(String("skin"));
    skin->SetTarget(mesh.Get());
    skin->SetBones(2, bonePointers, nullptr);
    skin->SetRestVertices(new Vector3Buffer(3, new Vector3[3]{rest[0], rest[1], rest[2]}));
    skin->SetRestNormals(new Vector3Buffer(3, new Vector3[3]{Vector3(0, 0, -1), Vector3(0, 0, -1), Vector3(0, 0, -1)}));
    // Vertex 0 on the first bone, 1 split, 2 on the second (an index of
    // 1.3 is bone 1: indices are truncated).
    skin->SetWeights(new Vector4Buffer(3, new Vector4[3]{Vector4(1, 0, 0, 0), Vector4(0.5f, 0.5f, 0, 0),
                                                         Vector4(1, 0, 0, 0)}));
    skin->SetBoneIndices(new Vector4Buffer(3, new Vector4[3]{Vector4(0, 0, 0, 0), Vector4(0, 1, 0, 0),
                                                             Vector4(1.3f, 0, 0, 0)}));
    // The CPU's answer first.
    ASSERT_EQ(skin->Update(0.0), 0);
    Vector3 skinned[3];
    for (int i = 0; i < 3; ++i)
        skinned[i] = mesh->GetVertices()->GetElements()[i];
    ASSERT_GT((skinned[2] - rest[2]).Length(), 0.3f);

    Material m;
    m.emissive = Vector4(1, 1, 1, 1);
    Ptr<Texture1DLEffect> effect = MakeEffect(m, Plain(255, 255, 255).Get(), false);
    mesh->SetEffect(effect.Get());
    ASSERT_EQ(effect->SetSkinController(skin.Get()), 0);
    effect->Update(0.0);
    ASSERT_FALSE(skin->GetCpuSkinning());
    // The geometry's own vertices go back to the rest pose: only the
    // program can put the triangle where the bones say.
    for (int i = 0; i < 3; ++i)
        mesh->GetVertices()->GetElements()[i] = rest[i];
    ASSERT_EQ(skin->Update(0.0), 0);
    Begin();
    mesh->Draw(*renderer);
    End();
    ASSERT_EQ(effect->GetLighting(), Texture1DLEffect::kPixelLit);

    const Vector3 centre = (skinned[0] + skinned[1] + skinned[2]) * (1.0f / 3.0f);
    EXPECT_FALSE(IsBlack(At(centre)));
    for (int i = 0; i < 3; ++i)
    {
        SCOPED_TRACE("corner " + std::to_string(i));
        EXPECT_FALSE(IsBlack(At(centre + (skinned[i] - centre) * 0.9f))) << "inside the CPU's triangle";
        EXPECT_TRUE(IsBlack(At(centre + (skinned[i] - centre) * 1.12f))) << "outside the CPU's triangle";
    }
}

// A colour effect whose pass also binds a given program pair; the colour
// shows whether the draw went on with fixed function.
class ProgramColorEffect : public ColorEffect
{
public:
    ProgramColorEffect(Shader* vertex, Shader* pixel) : vertex(vertex), pixel(pixel) {}

    int32_t BindFixedFunction(Renderer& renderer, GeometryNode& geometry) override
    {
        const int32_t result = ColorEffect::BindFixedFunction(renderer, geometry);
        renderer.SetVertexShader(vertex.Get());
        renderer.SetPixelShader(pixel.Get());
        return result;
    }

private:
    Ptr<Shader> vertex;
    Ptr<Shader> pixel;
};

TEST_F(Texture1DLEffectPixelTest, ABrokenProgramLogsOnceAndTheDrawFallsBackToFixedFunction)
{
    Ptr<Shader> broken = new VertexShader(String("broken"), String("vs_2_0\nfrobnicate r0, v0\n"));
    Ptr<Triangles> first = MakeQuad(Vector3(-1.2f, 0, 5), 0.8f, Vector3(0, 0, -1));
    Ptr<Triangles> second = MakeQuad(Vector3(1.2f, 0, 5), 0.8f, Vector3(0, 0, -1));
    Ptr<ProgramColorEffect> effects[2] = {new ProgramColorEffect(broken.Get(), nullptr),
                                          new ProgramColorEffect(broken.Get(), nullptr)};
    for (auto& effect : effects)
    {
        effect->SetColor(Vector4(0, 1, 0, 1));
        effect->SetCullEnabled(false);
    }
    first->SetEffect(effects[0].Get());
    second->SetEffect(effects[1].Get());
    LogCapture log;
    for (int frame = 0; frame < 2; ++frame)
    {
        Begin();
        first->Draw(*renderer);
        second->Draw(*renderer);
        End();
    }
    size_t errors = 0;
    for (const LogCapture::Line& line : log.Lines())
        errors += line.level >= kLogError ? 1 : 0;
    EXPECT_EQ(errors, 1u);
    ExpectNear(At(Vector3(-1.2f, 0, 5)), {0, 1, 0}, 1, "first");
    ExpectNear(At(Vector3(1.2f, 0, 5)), {0, 1, 0}, 1, "second");
}

} // namespace
