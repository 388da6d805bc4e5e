// The family's members drawn by the OpenGL renderer (headless), each in
// each of its techniques, against the colours worked out from the lighting
// formulas (support/FamilyReference.h): the lightmap's multiply, a point
// light at two distances summed with the directional one, and grass whose
// root stays still while its tip sways.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "engine/core/Quaternion.h"
#include "engine/render/GrassEffect.h"
#include "engine/render/LightmapGrassEffect.h"
#include "engine/render/LightmapTexture1DLEffect.h"
#include "engine/render/Texture1DL1PLEffect.h"
#include "support/FamilyReference.h"

using namespace golden;

namespace
{

// The members the suite draws.
enum class Member
{
    Lightmapped,     // LightmapTextureEffect, unlit
    Lightmapped1DL,  // LightmapTexture1DLEffect
    TwoLight,        // Texture1DL1PLEffect
    Grass,           // GrassEffect, the effect's colour
    LightmapGrass,   // LightmapGrassEffect, vertex colours
};

// One member in one of its techniques (0 per pixel, 1 per vertex, 2 fixed
// function; unlit members have only the last two).
struct PixelCase
{
    const char* name;
    Member member;
    int technique;
};

// Named in failures by its name.
void PrintTo(const PixelCase& c, std::ostream* os)
{
    *os << c.name;
}

class EffectFamilyPixelTest : public GoldenImageRig, public ::testing::WithParamInterface<PixelCase>
{
protected:
    // The device levels that choose the technique.
    void Levels(int technique)
    {
        const ShaderLevel levels[3][2] = {{ShaderLevel::Model2, ShaderLevel::Model2},
                                          {ShaderLevel::Model1, ShaderLevel::None},
                                          {ShaderLevel::None, ShaderLevel::None}};
        DeviceCaps caps = renderer->GetCaps();
        caps.vertexShaderLevel = levels[technique][0];
        caps.pixelShaderLevel = levels[technique][1];
        caps.simultaneousTextures = 8;
        caps.maxLights = 8;
        renderer->SetCapsForTest(caps);
    }

    // A 2 x 2 texture of one colour.
    static Ptr<Texture> Plain(const uint8_t (&texel)[4])
    {
        const uint8_t texels[2][2][4] = {{{texel[0], texel[1], texel[2], 255}, {texel[0], texel[1], texel[2], 255}},
                                         {{texel[0], texel[1], texel[2], 255}, {texel[0], texel[1], texel[2], 255}}};
        return MakeTexture(texels);
    }

    // Grass on the quad x, y in -1..1 seven ahead, the sway weight 1 along
    // the top edge and 0 along the bottom: by program the top corners move
    // as the sway formula gives, the bottom ones stay; fixed function draws
    // it still. Points inside the quad drawn show the unlit colour, the
    // still quad's top-left corner the clear colour once the tip swayed.
    void ExpectGrass(const PixelCase& c)
    {
        const uint8_t texel[4] = {200, 150, 100, 255}, lightmapTexel[4] = {128, 230, 64, 255};
        const Vector4 vertexColour(0.5f, 1.0f, 0.8f, 1.0f);
        const bool mapped = c.member == Member::LightmapGrass;
        const Colour want = TexelColour(texel) * (mapped ? TexelColour(lightmapTexel) * ColourOf(vertexColour)
                                                         : ColourOf(kColour));
        const float amplitude = 0.5f, speed = 1.0f, time = 2.078f;
        Ptr<Triangles> quad = MakeRectangle("grass", -1, 1, 1, -1, 0, Vector4(1, 1, 1, 1));
        const Transform world(Vector3(0.0f, 0.0f, 7.0f), Quaternion(), Vector3(1, 1, 1));
        quad->SetLocalTransform(world);
        quad->GetWorldTransform() = world;
        // Corners top-left, top-right, bottom-right, bottom-left.
        const Vector3 corners[4] = {Vector3(-1, 1, 0), Vector3(1, 1, 0), Vector3(1, -1, 0), Vector3(-1, -1, 0)};
        const uint32_t swaySet = mapped ? LightmapGrassEffect::kSwaySet : 3;
        quad->SetTextureCoordinates(
            swaySet, new Vector2Buffer(4, new Vector2[4]{Vector2(1, 0), Vector2(1, 0), Vector2(0, 0), Vector2(0, 0)}));
        Ptr<TextureEffect> effect;
        if (mapped)
        {
            Ptr<LightmapGrassEffect> grass = new LightmapGrassEffect(String("mapped grass"));
            grass->SetLightmap(Plain(lightmapTexel).Get());
            grass->SetLightmapSet(2);
            quad->SetTextureCoordinates(2, quad->GetTextureCoordinates(0));
            quad->SetColors(new ColorBuffer(4, new Vector4[4]{vertexColour, vertexColour, vertexColour, vertexColour}));
            effect = grass;
        }
        else
        {
            Ptr<GrassEffect> grass = new GrassEffect(String("grass"));
            grass->SetSwaySet(static_cast<int32_t>(swaySet));
            effect = grass;
        }
        effect->SetTexture(Plain(texel).Get());
        effect->SetColor(kColour);
        effect->SetCullEnabled(false);
        effect->SetWind(false, amplitude, speed); // grass sways with the wind off too
        effect->Update(time);
        Levels(c.technique);
        ASSERT_EQ(effect->PassCount(), 1u);
        ASSERT_EQ(effect->GetActiveTechnique(), effect->GetTechnique(static_cast<uint32_t>(c.technique - 1)));
        quad->SetEffect(effect.Get());
        Frame(Vector4(0, 0, 0, 1), [&] { quad->Draw(*renderer); });

        // The sway of a vertex of weight 1 (the tips); the roots' weight is 0.
        Vector3 drawn[4] = {corners[0], corners[1], corners[2], corners[3]};
        if (c.technique == 1)
            for (int i = 0; i < 2; ++i)
            {
                const Vector3 v = corners[i];
                drawn[i].x += amplitude * std::sin(0.5077f * v.x + speed * time - 0.421f * v.z);
                drawn[i].z += amplitude * std::sin(1.31415f * speed * time + 0.3f * v.y - 0.6f * v.z);
            }
        ASSERT_GT(drawn[0].x - corners[0].x, c.technique == 1 ? 0.4f : -0.01f);
        const auto at = [&](const Vector3& p) { return world.ApplyToPoint(p); };
        const std::string name(c.name);
        ExpectNear(AtPoint(at(drawn[0] * 0.8f + drawn[1] * 0.1f + drawn[2] * 0.1f)), Stored(want), 3, name + " tip");
        ExpectNear(AtPoint(at(drawn[3] * 0.9f + drawn[2] * 0.05f + drawn[0] * 0.05f)), Stored(want), 3,
                   name + " root");
        ExpectNear(AtPoint(at(corners[3] + Vector3(-0.06f, 0.04f, 0.0f))), ClearRgb(), 0, name + " left of the root");
        ExpectNear(AtPoint(at(corners[0] + Vector3(0.06f, -0.06f, 0.0f))), c.technique == 1 ? ClearRgb() : Stored(want),
                   3, name + " still corner");
    }

    Lighting lighting;
    // The unlit members' colour.
    static inline const Vector4 kColour{0.9f, 0.7f, 1.0f, 1.0f};
};

TEST_P(EffectFamilyPixelTest, DrawsWhatTheFormulasGive)
{
    if (!Opened())
        GTEST_SKIP();
    const PixelCase& c = GetParam();
    if (c.member == Member::Grass || c.member == Member::LightmapGrass)
        return ExpectGrass(c);
    const bool lightmapped = c.member != Member::TwoLight;
    const uint8_t texel[4] = {200, 150, 100, 255}, lightmapTexel[4] = {128, 230, 64, 255};
    const Colour surface = lightmapped ? TexelColour(texel) * TexelColour(lightmapTexel) : TexelColour(texel);
    lighting.specular = Vector4(0.3f, 0.3f, 0.3f, 1.0f);
    lighting.power = 8.0f;
    lighting.lightDiffuse = Vector4(0.4f, 0.35f, 0.3f, 1.0f);
    lighting.lightSpecular = Vector4(0.5f, 0.4f, 0.3f, 1.0f);
    // The directional light shines along +z: towards it is -z.
    Ptr<Light> sun = lighting.MakeLight(Light::kFixedDirectional);
    ReferenceLight lights[2] = {{false, Vector3(0, 0, -1), Vector3(1, 0, 0), lighting.lightAmbient,
                                 lighting.lightDiffuse, lighting.lightSpecular},
                                {true, Vector3(), Vector3(), Vector4(0.1f, 0.05f, 0.0f, 1.0f),
                                 Vector4(0.5f, 0.5f, 0.6f, 1.0f), Vector4(0.6f, 0.6f, 0.6f, 1.0f)}};
    Ptr<Light> lamp = new Light(String("lamp"));
    lamp->SetLightType(Light::kPoint);
    lamp->SetAmbient(lights[1].ambient);
    lamp->SetDiffuse(lights[1].diffuse);
    lamp->SetSpecular(lights[1].specular);

    // Turned and moved, so the lights and the eye really go to object space.
    const Transform world(Vector3(0.1f, -0.1f, 7.0f), Quaternion::FromAxisAngle(Vector3(0, 1, 0), 0.3f),
                          Vector3(1, 1, 1));
    const Vector3 corner0(-1, 1, 0), corner2(1, -1, 0), eye = camera->GetPosition();
    const Vector3 normal = world.ApplyToVector(Vector3(0, 0, -1)).Normalized();
    // The lamp in front of the quad at two distances (only the two-light
    // member has it), then with an attenuation of zeros, drawn as none.
    struct Lamp
    {
        float distance;
        Vector3 given, drawn;
    };
    const Vector3 attenuation(0.5f, 0.3f, 0.1f);
    const std::vector<Lamp> lamps = c.member == Member::TwoLight
                                        ? std::vector<Lamp>{{1.2f, attenuation, attenuation},
                                                            {3.5f, attenuation, attenuation},
                                                            {2.0f, Vector3(0, 0, 0), Vector3(1, 0, 0)}}
                                        : std::vector<Lamp>{{0.0f, attenuation, attenuation}};
    for (const Lamp& place : lamps)
    {
        const float distance = place.distance;
        SCOPED_TRACE("lamp at " + std::to_string(distance));
        lamp->SetAttenuation(place.given.x, place.given.y, place.given.z, true);
        lights[1].attenuation = place.drawn;
        lights[1].at = world.ApplyToPoint(Vector3(0.2f, 0.3f, -distance));
        lamp->GetWorldTransform() = Transform(lights[1].at, Quaternion(), Vector3(1, 1, 1));

        Ptr<Triangles> quad = MakeRectangle("quad", -1, 1, 1, -1, 0, Vector4(1, 1, 1, 1));
        quad->SetTextureCoordinates(2, quad->GetTextureCoordinates(0));
        quad->SetLocalTransform(world);
        quad->GetWorldTransform() = world;
        Ptr<GeometryNodeEffect> effect;
        if (c.member == Member::TwoLight)
        {
            Ptr<Texture1DL1PLEffect> two = new Texture1DL1PLEffect(String("two"));
            two->SetTexture(Plain(texel).Get());
            two->SetDirectionalLight(sun.Get());
            two->SetPointLight(lamp.Get());
            effect = two;
        }
        else
        {
            Ptr<LightmapTextureEffect> mapped = c.member == Member::Lightmapped
                                                    ? new LightmapTextureEffect(String("mapped"))
                                                    : new LightmapTexture1DLEffect(String("mapped lit"));
            mapped->SetTexture(Plain(texel).Get());
            mapped->SetLightmap(Plain(lightmapTexel).Get());
            mapped->SetLightmapSet(2);
            mapped->SetColor(kColour);
            if (c.member == Member::Lightmapped1DL)
                static_cast<LightmapTexture1DLEffect&>(*mapped).SetLight(sun.Get());
            effect = mapped;
        }
        effect->SetCullEnabled(false);
        Levels(c.technique);
        ASSERT_EQ(effect->PassCount(), 1u);
        const uint32_t index = static_cast<uint32_t>(c.member == Member::Lightmapped ? c.technique - 1 : c.technique);
        ASSERT_EQ(effect->GetActiveTechnique(), effect->GetTechnique(index));
        lighting.Put(*effect);
        quad->SetEffect(effect.Get());
        Frame(Vector4(0, 0, 0, 1), [&] { quad->Draw(*renderer); });

        const std::span<const ReferenceLight> lit(lights, c.member == Member::TwoLight ? 2 : 1);
        const LightSums sums0 = SumLights(lighting, lit, world.ApplyToPoint(corner0), normal, eye);
        const LightSums sums2 = SumLights(lighting, lit, world.ApplyToPoint(corner2), normal, eye);
        for (float s : {0.2f, 0.5f, 0.8f})
        {
            const Vector3 p = world.ApplyToPoint(corner0 + (corner2 - corner0) * s);
            const LightSums sums = c.technique == 0 ? SumLights(lighting, lit, p, normal, eye)
                                                    : LightSums::Along(sums0, sums2, s);
            // Unlit, the effect's colour times the texture.
            const Colour want = c.member == Member::Lightmapped ? surface * ColourOf(kColour)
                                                                : LitColour(lighting, sums, surface, c.technique == 2);
            ExpectNear(AtPoint(p), Stored(want), 3, std::string(c.name) + " at " + std::to_string(s));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Members, EffectFamilyPixelTest,
    ::testing::Values(PixelCase{"LightmapTextureVertex", Member::Lightmapped, 1},
                      PixelCase{"LightmapTextureFixedFunction", Member::Lightmapped, 2},
                      PixelCase{"LightmapTexture1DLPixelLit", Member::Lightmapped1DL, 0},
                      PixelCase{"LightmapTexture1DLVertexLit", Member::Lightmapped1DL, 1},
                      PixelCase{"LightmapTexture1DLFixedFunction", Member::Lightmapped1DL, 2},
                      PixelCase{"Texture1DL1PLPixelLit", Member::TwoLight, 0},
                      PixelCase{"Texture1DL1PLVertexLit", Member::TwoLight, 1},
                      PixelCase{"Texture1DL1PLFixedFunction", Member::TwoLight, 2},
                      PixelCase{"GrassSway", Member::Grass, 1}, PixelCase{"GrassFixedFunction", Member::Grass, 2},
                      PixelCase{"LightmapGrassSway", Member::LightmapGrass, 1},
                      PixelCase{"LightmapGrassFixedFunction", Member::LightmapGrass, 2}),
    [](const ::testing::TestParamInfo<PixelCase>& info) { return std::string(info.param.name); });

} // namespace
