// Texture1DLEffect drawn by the OpenGL renderer (headless): which technique
// a device's levels choose, each technique's picture against the lighting,
// fog, wind and skinning formulas computed here, and the renderer's
// handling of programs it cannot run.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "engine/core/Quaternion.h"
#include "engine/render/Texture1DLEffect.h"
#include "engine/render/VertexShader.h"
#include "engine/scene/SkinController.h"
#include "engine/scene/Vector4Buffer.h"
#include "support/GoldenImage.h"
#include "support/LogCapture.h"

using namespace golden;

namespace
{

// Blinn-Phong with a local viewer: N.L, the half vector between the way to
// the eye and the way to the light, (N.H)^power only where N.L > 0.
void Terms(const Vector3& point, const Vector3& normal, const Vector3& towards, const Vector3& eye, float power,
           float& lambert, float& highlight)
{
    lambert = std::max(0.0f, normal.Dot(towards));
    const float nh = std::max(0.0f, normal.Dot(((eye - point).Normalized() + towards).Normalized()));
    highlight = lambert > 0.0f && nh > 0.0f ? std::pow(nh, power) : 0.0f;
}

// The sway of a vertex by the wind formula.
Vector3 Swayed(const Vector3& p, float amplitude, float speed, float time)
{
    Vector3 out = p;
    out.x += amplitude * std::sin(0.5077f * p.x + speed * time - 0.421f * p.z) * p.y;
    out.z += amplitude * std::sin(1.31415f * speed * time + 0.3f * p.y - 0.6f * p.z) * p.y;
    return out;
}

class Texture1DLEffectPixelTest : public GoldenImageRig
{
protected:
    // Shader levels, texture stages and lights as the technique choice
    // sees them.
    void Levels(ShaderLevel vertex, ShaderLevel pixel, int32_t textures = 8, int32_t lights = 8)
    {
        DeviceCaps caps = renderer->GetCaps();
        caps.vertexShaderLevel = vertex;
        caps.pixelShaderLevel = pixel;
        caps.simultaneousTextures = textures;
        caps.maxLights = lights;
        renderer->SetCapsForTest(caps);
    }

    // A quad of side 2 half at centre (object space) in the plane z =
    // centre.z, facing -z, every vertex with the given normal; the world
    // transform is set directly.
    static Ptr<Triangles> MakeQuad(const Vector3& centre, float half, const Vector3& normal = Vector3(0, 0, -1),
                                   const Transform& world = Transform())
    {
        Ptr<Triangles> node = MakeRectangle("quad", centre.x - half, centre.y + half, centre.x + half,
                                            centre.y - half, centre.z, Vector4(1, 1, 1, 1));
        const Vector3 n = normal.Normalized();
        node->SetNormals(new Vector3Buffer(4, new Vector3[4]{n, n, n, n}));
        node->SetLocalTransform(world);
        node->GetWorldTransform() = world;
        return node;
    }

    // An effect over a texture of one colour, so any coordinate samples the
    // same texel; lit by light when one is given.
    static Ptr<Texture1DLEffect> MakeEffect(const uint8_t (&texel)[4], Light* light = nullptr)
    {
        const uint8_t texels[2][2][4] = {{{texel[0], texel[1], texel[2], 255}, {texel[0], texel[1], texel[2], 255}},
                                         {{texel[0], texel[1], texel[2], 255}, {texel[0], texel[1], texel[2], 255}}};
        Ptr<Texture1DLEffect> effect = new Texture1DLEffect(String("lit"));
        effect->SetCullEnabled(false);
        effect->SetTexture(MakeTexture(texels).Get());
        effect->SetLight(light);
        return effect;
    }

    // Gives the node the effect with its technique chosen under the levels
    // given and the fixture's material put on after the choice, as a
    // change must reach the chosen pass.
    void Choose(Triangles& node, Texture1DLEffect& effect, ShaderLevel vertex, ShaderLevel pixel)
    {
        Levels(vertex, pixel);
        EXPECT_EQ(effect.PassCount(), 1u);
        lighting.Put(effect);
        node.SetEffect(&effect);
    }

    // One frame with the nodes drawn straight, not culled.
    void DrawNodes(std::initializer_list<Triangles*> nodes)
    {
        Frame(Vector4(0, 0, 0, 1), [&] {
            for (Triangles* node : nodes)
                node->Draw(*renderer);
        });
    }

    Lighting lighting;
    static constexpr uint8_t kWhite[4] = {255, 255, 255, 255};
};

// The first draw (or pass count) takes the best technique the device's
// levels, stages and lights allow; a device that changes later does not
// change it.
TEST_F(Texture1DLEffectPixelTest, DeviceLevelsChooseTheTechniqueOnceAndForAll)
{
    struct Case
    {
        ShaderLevel vertex, pixel;
        int32_t textures, lights;
        Texture1DLEffect::Lighting want;
    };
    using enum ShaderLevel;
    using L = Texture1DLEffect;
    const Case cases[] = {
        {Model2, Model2, 2, 1, L::kPixelLit},      {Model3, Model3, 8, 8, L::kPixelLit},
        {Model2, None, 8, 8, L::kVertexLit},       {Model1, Model1, 8, 8, L::kVertexLit},
        {Model1, Model2, 8, 8, L::kVertexLit},     {Model3, Model1, 8, 8, L::kVertexLit},
        {None, None, 8, 8, L::kFixedFunction},     {None, Model2, 8, 8, L::kFixedFunction},
        {Model2, Model2, 1, 8, L::kFixedFunction}, {Model2, Model2, 8, 0, L::kFixedFunction},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE("levels " + std::to_string(ToInt(c.vertex)) + "/" + std::to_string(ToInt(c.pixel)) +
                     ", textures " + std::to_string(c.textures) + ", lights " + std::to_string(c.lights));
        Levels(c.vertex, c.pixel, c.textures, c.lights);
        Ptr<Texture1DLEffect> fresh = new Texture1DLEffect();
        EXPECT_EQ(fresh->GetLighting(), Texture1DLEffect::kNotChosen);
        EXPECT_EQ(fresh->PassCount(), 1u);
        EXPECT_EQ(fresh->GetLighting(), c.want);
        Levels(ShaderLevel::None, ShaderLevel::None);
        EXPECT_EQ(fresh->PassCount(), 1u);
        EXPECT_EQ(fresh->GetLighting(), c.want);
    }
}

// Each technique lights a quad turned and moved (so the light and the eye
// really go to object space) by Blinn-Phong with a local viewer, the
// highlight added after the texture: the pixel-lit one at each pixel, the
// vertex-lit and fixed-function ones at the corners, interpolated between,
// so along the edge from corner 0 to corner 2 they give the corners' mix.
// All three in one frame, so none may leave its programs to the next.
TEST_F(Texture1DLEffectPixelTest, EachTechniqueLightsByBlinnPhongPerPixelOrPerVertex)
{
    lighting.specular = Vector4(0.5f, 0.5f, 0.5f, 1.0f);
    lighting.emissive = Vector4(0.05f, 0.0f, 0.1f, 1.0f);
    lighting.power = 6.0f;
    lighting.lightSpecular = Vector4(0.7f, 0.6f, 0.5f, 1.0f);
    // Along +z whatever its transform: towards it is -z.
    Ptr<Light> light = lighting.MakeLight(Light::kFixedDirectional);
    light->GetWorldTransform() =
        Transform(Vector3(), Quaternion::FromAxisAngle(Vector3(0, 1, 0), 1.0f), Vector3(1, 1, 1));
    const uint8_t texel[4] = {200, 150, 100, 255};
    const Vector3 normal(0.3f, 0.2f, -1.0f), towards(0, 0, -1), corner0(-1, 1, 0), corner2(1, -1, 0);
    const Texture1DLEffect::Lighting techniques[3] = {Texture1DLEffect::kPixelLit, Texture1DLEffect::kVertexLit,
                                                      Texture1DLEffect::kFixedFunction};
    const ShaderLevel levels[3][2] = {{ShaderLevel::Model2, ShaderLevel::Model2},
                                      {ShaderLevel::Model1, ShaderLevel::None},
                                      {ShaderLevel::None, ShaderLevel::None}};
    Transform worlds[3];
    Ptr<Triangles> quads[3];
    Ptr<Texture1DLEffect> effects[3];
    for (int i = 0; i < 3; ++i)
    {
        worlds[i] = Transform(Vector3(2.2f * static_cast<float>(i - 1), -0.2f, 7.0f),
                              Quaternion::FromAxisAngle(Vector3(0, 1, 0), 0.4f), Vector3(1, 1, 1));
        quads[i] = MakeQuad(Vector3(0, 0, 0), 1.0f, normal, worlds[i]);
        effects[i] = MakeEffect(texel, light.Get());
        Choose(*quads[i], *effects[i], levels[i][0], levels[i][1]);
        EXPECT_EQ(effects[i]->GetLighting(), techniques[i]);
    }
    DrawNodes({quads[0].Get(), quads[1].Get(), quads[2].Get()});

    for (int i = 0; i < 3; ++i)
    {
        const Vector3 n = worlds[i].ApplyToVector(normal.Normalized()).Normalized(), eye = camera->GetPosition();
        float lambert = 0, highlight0 = 0, highlight2 = 0;
        Terms(worlds[i].ApplyToPoint(corner0), n, towards, eye, lighting.power, lambert, highlight0);
        Terms(worlds[i].ApplyToPoint(corner2), n, towards, eye, lighting.power, lambert, highlight2);
        for (float s : {0.1f, 0.5f, 0.85f})
        {
            const Vector3 p = worlds[i].ApplyToPoint(corner0 + (corner2 - corner0) * s);
            float highlight = (1 - s) * highlight0 + s * highlight2;
            if (techniques[i] == Texture1DLEffect::kPixelLit)
                Terms(p, n, towards, eye, lighting.power, lambert, highlight);
            // Fixed function lights before texturing, so the texture
            // takes the emissive colour down with the rest.
            const Colour emissive = techniques[i] == Texture1DLEffect::kFixedFunction
                                        ? ColourOf(lighting.emissive) * TexelColour(texel)
                                        : ColourOf(lighting.emissive);
            const Colour want = emissive + lighting.Added(lambert, highlight, 1.0f, TexelColour(texel));
            ExpectNear(AtPoint(p), Stored(want), 3,
                       "technique " + std::to_string(techniques[i]) + " at " + std::to_string(s) + " of the edge");
        }
    }
}

// Without a light only the emissive colour remains (specular too is gone).
// The wind, switched on after the choice, sways the vertices by its
// formula, and fog mixes the colour where they went with the fog colour by
// 1 / e^((density x depth)^exponent).
TEST_F(Texture1DLEffectPixelTest, UnlitEmissiveIsSwayedByTheWindAndFoggedByItsDepth)
{
    lighting.specular = Vector4(1, 1, 1, 1);
    lighting.power = 2.0f;
    lighting.emissive = Vector4(0.0f, 0.6f, 0.0f, 1.0f);
    const Vector4 fog(1, 0, 0, 1);
    // A small quad high enough to be pushed well clear of where it stands.
    const float amplitude = 0.8f, speed = 1.0f, time = 3.6758f;
    for (ShaderLevel level : {ShaderLevel::Model2, ShaderLevel::Model1})
    {
        const bool pixelLit = level == ShaderLevel::Model2;
        const float exponent = pixelLit ? 2.0f : 1.0f;
        SCOPED_TRACE(pixelLit ? "exponent 2, pixel-lit" : "exponent 1, vertex-lit");
        Ptr<Triangles> quad = MakeQuad(Vector3(0, 1.1f, 5), 0.1f);
        Ptr<Texture1DLEffect> effect = MakeEffect(kWhite);
        effect->SetFog(true, fog, 0.1f, exponent);
        Choose(*quad, *effect, level, pixelLit ? ShaderLevel::Model2 : ShaderLevel::None);
        effect->SetWind(true, amplitude, speed);
        effect->Update(time);
        DrawNodes({quad.Get()});
        ASSERT_EQ(effect->GetLighting(), pixelLit ? Texture1DLEffect::kPixelLit : Texture1DLEffect::kVertexLit);

        const Vector3* corners = quad->GetVertices()->GetElements();
        Vector3 centre;
        for (int i = 0; i < 4; ++i)
            centre += Swayed(corners[i], amplitude, speed, time) * 0.25f;
        EXPECT_GT(centre.x, 0.5f); // far from the quad's own place
        const float depth = camera->GetView().TransformPoint(centre).z;
        const float f = 1.0f / std::pow(2.71828f, std::pow(0.1f * depth, exponent));
        ExpectNear(AtPoint(centre), Stored(Mix(ColourOf(lighting.emissive), ColourOf(fog), f)), 3, "swayed");
        ExpectNear(AtPoint(Vector3(0, 1.1f, 5)), ClearRgb(), 0, "where the quad stood");
    }
}

// The skinned program deforms the rest pose by the bone palette to where
// the CPU skinning puts it, then lights and fogs it in world space, here
// seen from off the origin with a sharp highlight.
TEST_F(Texture1DLEffectPixelTest, SkinnedProgramPutsTheVerticesWhereTheCpuSkinningDoesAndLightsThemThere)
{
    // Two bones: one moved left, one moved right and up and turned.
    Ptr<Node> bones[2] = {new Node(String("left")), new Node(String("right"))};
    bones[0]->GetWorldTransform() = Transform(Vector3(-0.6f, -0.2f, 0.0f), Quaternion(), Vector3(1, 1, 1));
    bones[1]->GetWorldTransform() =
        Transform(Vector3(0.7f, 0.4f, 0.5f), Quaternion::FromAxisAngle(Vector3(0, 0, 1), 0.5f), Vector3(1, 1, 1));
    Node* bonePointers[2] = {bones[0].Get(), bones[1].Get()};

    const Vector3 rest[3] = {Vector3(-1, -0.5f, 6), Vector3(1, -0.5f, 6), Vector3(0, 1, 6)};
    const Vector3 facing(0, 0, -1);
    Ptr<Triangles> mesh = new Triangles(String("skinned"));
    mesh->SetVertices(new Vector3Buffer(3, new Vector3[3]{rest[0], rest[1], rest[2]}));
    mesh->SetNormals(new Vector3Buffer(3, new Vector3[3]{facing, facing, facing}));
    mesh->SetTextureCoordinates(0, new Vector2Buffer(3, new Vector2[3]{}));
    mesh->SetIndices(new IntBuffer(3, new int32_t[3]{0, 1, 2}));
    Ptr<SkinController> skin = new SkinController(String("skin"));
    skin->SetTarget(mesh.Get());
    skin->SetBones(2, bonePointers, nullptr);
    skin->SetRestVertices(new Vector3Buffer(3, new Vector3[3]{rest[0], rest[1], rest[2]}));
    skin->SetRestNormals(new Vector3Buffer(3, new Vector3[3]{facing, facing, facing}));
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

    lighting.specular = Vector4(0.5f, 0.5f, 0.5f, 1.0f);
    lighting.power = 40.0f;
    lighting.lightSpecular = Vector4(0.7f, 0.6f, 0.5f, 1.0f);
    Ptr<Light> light = lighting.MakeLight(Light::kFixedDirectional);
    const uint8_t texel[4] = {200, 150, 100, 255};
    const Vector4 fog(0.2f, 0.4f, 0.8f, 1.0f);
    Ptr<Texture1DLEffect> effect = MakeEffect(texel, light.Get());
    effect->SetFog(true, fog, 0.1f, 1.0f);
    Choose(*mesh, *effect, ShaderLevel::Model2, ShaderLevel::Model2);
    ASSERT_EQ(effect->SetSkinController(skin.Get()), 0);
    effect->Update(0.0);
    ASSERT_FALSE(skin->GetCpuSkinning());
    // The geometry's own vertices go back to the rest pose: only the
    // program can put the triangle where the bones say.
    for (int i = 0; i < 3; ++i)
        mesh->GetVertices()->GetElements()[i] = rest[i];
    ASSERT_EQ(skin->Update(0.0), 0);
    camera->GetLocalTransform().SetTranslation(Vector3(1.0f, 0.8f, -1.0f));
    DrawNodes({mesh.Get()});
    ASSERT_EQ(effect->GetLighting(), Texture1DLEffect::kPixelLit);

    // Bone 1 turns about z, so every skinned normal still faces the light.
    const Vector3 centre = (skinned[0] + skinned[1] + skinned[2]) * (1.0f / 3.0f);
    float lambert = 0, highlight = 0;
    Terms(centre, facing, facing, camera->GetPosition(), lighting.power, lambert, highlight);
    const float f = std::exp(-0.1f * camera->GetView().TransformPoint(centre).z);
    const Colour lit = lighting.Lit(lambert, highlight, 1.0f, TexelColour(texel));
    ExpectNear(AtPoint(centre), Stored(Mix(lit, PackedColour(fog), f)), 3, "centre");
    for (int i = 0; i < 3; ++i)
    {
        SCOPED_TRACE("corner " + std::to_string(i));
        EXPECT_FALSE(Near(AtPoint(centre + (skinned[i] - centre) * 0.9f), ClearRgb(), 0)) << "inside the CPU's";
        ExpectNear(AtPoint(centre + (skinned[i] - centre) * 1.12f), ClearRgb(), 0, "outside the CPU's triangle");
    }
}

// A colour effect whose pass also binds a given vertex program; the colour
// shows whether the draw went on with fixed function.
class ProgramColorEffect : public ColorEffect
{
public:
    explicit ProgramColorEffect(Shader* vertex) : vertex(vertex) {}

    int32_t BindFixedFunction(Renderer& renderer, GeometryNode& geometry) override
    {
        const int32_t result = ColorEffect::BindFixedFunction(renderer, geometry);
        renderer.SetVertexShader(vertex.Get());
        return result;
    }

private:
    Ptr<Shader> vertex;
};

TEST_F(Texture1DLEffectPixelTest, ABrokenProgramLogsOnceAndTheDrawFallsBackToFixedFunction)
{
    // The colour effects' own programs off, so the broken one is the only one.
    DeviceCaps caps = renderer->GetCaps();
    caps.vertexShaderLevel = caps.pixelShaderLevel = ShaderLevel::None;
    renderer->SetCapsForTest(caps);
    Ptr<Shader> broken = new VertexShader(String("broken"), String("vs_2_0\nfrobnicate r0, v0\n"));
    Ptr<Triangles> quads[2] = {MakeQuad(Vector3(-1.2f, 0, 5), 0.8f), MakeQuad(Vector3(1.2f, 0, 5), 0.8f)};
    for (const Ptr<Triangles>& quad : quads)
    {
        Ptr<ProgramColorEffect> effect = new ProgramColorEffect(broken.Get());
        effect->SetColor(Vector4(0, 1, 0, 1));
        quad->SetEffect(effect.Get());
    }
    LogCapture log;
    for (int frame = 0; frame < 2; ++frame)
        Frame(Vector4(0, 0, 0, 1), [&] {
            for (const Ptr<Triangles>& quad : quads)
                quad->Draw(*renderer);
        });
    size_t errors = 0;
    for (const LogCapture::Line& line : log.Lines())
        errors += line.level >= kLogError ? 1 : 0;
    EXPECT_EQ(errors, 1u);
    ExpectNear(AtPoint(Vector3(-1.2f, 0, 5)), Stored(0, 1, 0), 1, "first");
    ExpectNear(AtPoint(Vector3(1.2f, 0, 5)), Stored(0, 1, 0), 1, "second");
}

} // namespace
