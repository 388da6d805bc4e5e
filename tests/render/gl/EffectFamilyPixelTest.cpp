// The family's members drawn by the OpenGL renderer (headless), each in
// each of its techniques, against the colours worked out from the lighting
// formulas (support/FamilyReference.h): the lightmap's multiply, a point
// light at two distances summed with the directional one, and grass whose
// root stays still while its tip sways, two list lights summed, a tilted normal map with the
// per-vertex factor at grazing light, and the parallax shift of an edge.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "engine/core/Quaternion.h"
#include "engine/render/FurVertexLightingEffect.h"
#include "engine/render/NormalmapLightmapTextureEffect.h"
#include "engine/render/ParallaxLightmapTextureEffect.h"
#include "engine/render/GrassEffect.h"
#include "engine/render/LightmapGrassEffect.h"
#include "engine/render/NormalmapLightmapTexture1DLEffect.h"
#include "engine/render/NormalmapTexture1DL1PLEffect.h"
#include "engine/render/NormalmapTexture1DLEffect.h"
#include "engine/render/NormalmapTexturePixelLightingEffect.h"
#include "engine/render/ParallaxLightmapTexture1DLEffect.h"
#include "engine/render/ParallaxTexture1DLEffect.h"
#include "engine/render/LightmapTexture1DLEffect.h"
#include "engine/render/Texture1DL1PLEffect.h"
#include "engine/render/Texture1DLEffect.h"
#include "engine/render/TexturePixelLightingEffect.h"
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
    Normalmapped1DL, // NormalmapTexture1DLEffect
    Parallax1DL,     // ParallaxTexture1DLEffect
    NormalmapLightmapped1DL, // NormalmapLightmapTexture1DLEffect
    ParallaxLightmapped1DL,  // ParallaxLightmapTexture1DLEffect
    Normalmapped1DL1PL,      // NormalmapTexture1DL1PLEffect, a lamp in front as well
    Listed,                  // TexturePixelLightingEffect, the two lights in its list
    NormalListed,            // NormalmapTexturePixelLightingEffect, the sun and the lamp listed
    Fur,                     // FurEffect, unlit
    LitFur,                  // FurVertexLightingEffect, the sun listed
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

    // A normal-mapped quad turned away from the eye, lit by a directional
    // light from the front, then (normal map only) from the side at grazing
    // incidence (vertex N.L 0.1, the factor 0.4). Per pixel the normal map
    // tilts the normal; the parallax member's left-red, right-blue texture
    // (nearest filtering) shows its edge where u + (height x scale - bias)
    // x E.x = 1/2 along the diagonal, E the unit tangent-space eye vector.
    // Per vertex and fixed function the surface is flat and nothing shifts.
    // The lightmapped members multiply the texture by the lightmap.
    void ExpectMapped(const PixelCase& c)
    {
        const bool parallax = c.member == Member::Parallax1DL || c.member == Member::ParallaxLightmapped1DL;
        const bool lightmapped =
            c.member == Member::NormalmapLightmapped1DL || c.member == Member::ParallaxLightmapped1DL;
        const uint8_t lightmapTexel[4] = {128, 230, 180, 255};
        const uint8_t tilted[4] = {190, 100, 200, 255}, flat[4] = {128, 128, 255, 255};
        const uint8_t red[4] = {200, 40, 40, 255}, blue[4] = {40, 60, 200, 255};
        const uint8_t(&mapTexel)[4] = parallax ? flat : tilted;
        const float scale = 0.6f, bias = 0.1f; // the height 1: a shift of 0.5 E.x
        lighting.specular = Vector4(0.3f, 0.3f, 0.3f, 1.0f);
        lighting.power = 8.0f;
        lighting.lightSpecular = Vector4(0.5f, 0.4f, 0.3f, 1.0f);
        const Transform world(Vector3(0.1f, -0.1f, 7.0f), Quaternion::FromAxisAngle(Vector3(0, 1, 0), 0.3f),
                              Vector3(1, 1, 1));
        const Vector3 corner0(-1, 1, 0), corner2(1, -1, 0), eye = camera->GetPosition();
        const Vector3 normal = world.ApplyToVector(Vector3(0, 0, -1)).Normalized();
        const Vector3 tangent = world.ApplyToVector(Vector3(1, 0, 0)).Normalized();
        const Vector3 mapped = MappedNormal(mapTexel, tangent, normal);
        // Towards the light: the front, then 0.1 off the surface's plane.
        std::vector<Vector3> ways{Vector3(0, 0, -1)};
        if (!parallax)
            ways.push_back((normal * 0.1f + tangent * std::sqrt(1.0f - 0.01f)).Normalized());
        for (const Vector3& towards : ways)
        {
            SCOPED_TRACE("towards the light " + std::to_string(towards.x) + ", " + std::to_string(towards.z));
            Ptr<Light> sun = lighting.MakeLight(Light::kDirectional);
            // The light shines along its forward axis: turned about y to -towards.
            sun->GetWorldTransform() = Transform(
                Vector3(), Quaternion::FromAxisAngle(Vector3(0, 1, 0), std::atan2(-towards.x, -towards.z)),
                Vector3(1, 1, 1));
            ASSERT_NEAR((sun->GetDirection() + towards).Length(), 0.0f, 1e-4f);
            // The lamp close in front: its per-vertex factor is 1 at every
            // corner, and dim enough that no lit vertex colour saturates.
            const ReferenceLight lights[2] = {
                {false, towards, Vector3(1, 0, 0), lighting.lightAmbient, lighting.lightDiffuse, lighting.lightSpecular},
                {true, world.ApplyToPoint(Vector3(0.2f, 0.3f, -1.5f)), Vector3(0.5f, 0.3f, 0.1f),
                 Vector4(0.05f, 0.05f, 0.0f, 1.0f), Vector4(0.25f, 0.3f, 0.35f, 1.0f), Vector4(0.6f, 0.6f, 0.6f, 1.0f)}};
            Ptr<Light> lamp = new Light(String("lamp"));
            lamp->SetLightType(Light::kPoint);
            lamp->SetAmbient(lights[1].ambient);
            lamp->SetDiffuse(lights[1].diffuse);
            lamp->SetSpecular(lights[1].specular);
            lamp->SetAttenuation(0.5f, 0.3f, 0.1f, true);
            lamp->GetWorldTransform() = Transform(lights[1].at, Quaternion(), Vector3(1, 1, 1));

            Ptr<Triangles> quad = MakeRectangle("quad", -1, 1, 1, -1, 0, Vector4(1, 1, 1, 1));
            quad->SetTextureCoordinates(4, quad->GetTextureCoordinates(0));
            quad->SetLocalTransform(world);
            quad->GetWorldTransform() = world;
            const uint8_t twoColours[2][2][4] = {{{red[0], red[1], red[2], 255}, {blue[0], blue[1], blue[2], 255}},
                                                 {{red[0], red[1], red[2], 255}, {blue[0], blue[1], blue[2], 255}}};
            const auto configured = [&](auto* lit) {
                Ptr<TextureEffect> held(lit);
                if constexpr (requires { lit->SetLight(sun.Get()); })
                    lit->SetLight(sun.Get());
                else if constexpr (requires { lit->AddLight(sun.Get()); })
                {
                    lit->AddLight(sun.Get());
                    lit->AddLight(lamp.Get());
                }
                else
                {
                    lit->SetDirectionalLight(sun.Get());
                    lit->SetPointLight(lamp.Get());
                }
                lit->SetTexture(parallax ? MakeTexture(twoColours).Get() : Plain(red).Get());
                lit->SetNormalmap(Plain(mapTexel).Get());
                lit->SetNormalmapSet(4);
                if constexpr (requires { lit->SetParallax(scale, bias); })
                    lit->SetParallax(scale, bias);
                if constexpr (requires { lit->SetLightmapSet(2); })
                {
                    lit->SetLightmap(Plain(lightmapTexel).Get());
                    lit->SetLightmapSet(2);
                    quad->SetTextureCoordinates(2, quad->GetTextureCoordinates(0));
                }
                return held;
            };
            Ptr<TextureEffect> effect =
                c.member == Member::Parallax1DL ? configured(new ParallaxTexture1DLEffect(String("parallax")))
                : c.member == Member::Normalmapped1DL
                    ? configured(new NormalmapTexture1DLEffect(String("mapped")))
                : c.member == Member::NormalListed
                    ? configured(new NormalmapTexturePixelLightingEffect(String("mapped listed")))
                : c.member == Member::Normalmapped1DL1PL
                    ? configured(new NormalmapTexture1DL1PLEffect(String("mapped two lights")))
                : c.member == Member::ParallaxLightmapped1DL
                    ? configured(new ParallaxLightmapTexture1DLEffect(String("parallax lightmapped")))
                    : configured(new NormalmapLightmapTexture1DLEffect(String("mapped lightmapped")));
            for (uint32_t stage = 0; stage < 3; ++stage)
                effect->SetSampler(stage, AddressMode::Clamp, TextureFilter::Nearest, TextureFilter::Nearest);
            effect->SetCullEnabled(false);
            Levels(c.technique);
            ASSERT_EQ(effect->PassCount(), 1u);
            const int index = c.member == Member::NormalListed ? c.technique / 2 : c.technique;
            ASSERT_EQ(effect->GetActiveTechnique(), effect->GetTechnique(static_cast<uint32_t>(index)));
            lighting.Put(*effect);
            quad->SetEffect(effect.Get());
            Frame(Vector4(0, 0, 0, 1), [&] { quad->Draw(*renderer); });

            const bool perPixel = c.technique == 0;
            const std::span<const ReferenceLight> lit(
                lights, c.member == Member::Normalmapped1DL1PL || c.member == Member::NormalListed ? 2 : 1);
            const auto point = [&](float s) { return world.ApplyToPoint(corner0 + (corner2 - corner0) * s); };
            const auto expected = [&](float s, const uint8_t* texel) {
                const LightSums sums =
                    perPixel ? SumLights(lighting, lit, point(s), mapped, eye, &normal)
                             : LightSums::Along(SumLights(lighting, lit, point(0), normal, eye),
                                                SumLights(lighting, lit, point(1), normal, eye), s);
                const Colour surface = lightmapped ? TexelColour(texel) * TexelColour(lightmapTexel) : TexelColour(texel);
                return Stored(LitColour(lighting, sums, surface, c.technique == 2));
            };
            if (!parallax)
            {
                for (float s : {0.2f, 0.5f, 0.8f})
                    ExpectNear(AtPoint(point(s)), expected(s, red), 3, std::string(c.name) + " at " + std::to_string(s));
                continue;
            }
            // The edge along the diagonal (u = v = s): u + shift(s) = 1/2.
            float edge = 0.5f;
            if (perPixel)
                for (int i = 0; i < 20; ++i)
                {
                    const Vector3 e = (eye - point(edge)).Normalized();
                    edge = 0.5f - (1.0f * scale - bias) * e.Dot(tangent);
                }
            ASSERT_GT(std::fabs(edge - 0.5f), perPixel ? 0.08f : -1.0f);
            ExpectNear(AtPoint(point(edge - 0.04f)), expected(edge - 0.04f, red), 3, std::string(c.name) + " left");
            ExpectNear(AtPoint(point(edge + 0.04f)), expected(edge + 0.04f, blue), 3, std::string(c.name) + " right");
        }
    }

    // Fur of three shells on a quad whose normals point right (+x), so the
    // shells stack sideways: shell i lies i / 4 x the fur length right of
    // the base, the silhouette n / (n + 1) x the length past the base's
    // edge. A point right of the base under shells j + 1..n shows them
    // blended in order over the clear colour, each of alpha the fur
    // texture's x (1 - fade x i / (n + 1)) and the base's colour (lit per
    // vertex by a light towards +x for the lit member).
    void ExpectFur(const PixelCase& c)
    {
        const uint8_t texel[4] = {200, 150, 100, 255}, furTexel[4] = {90, 90, 90, 204};
        const uint8_t furTexels[2][2][4] = {{{90, 90, 90, 204}, {90, 90, 90, 204}},
                                            {{90, 90, 90, 204}, {90, 90, 90, 204}}};
        const int32_t shells = 3;
        const float length = 0.6f, fade = 0.8f;
        const Vector4 clear(0.1f, 0.2f, 0.6f, 1.0f);
        Ptr<Triangles> quad = MakeRectangle("fur", -1, 1, 1, -1, 0, Vector4(1, 1, 1, 1));
        const Vector3 right(1, 0, 0);
        quad->SetNormals(new Vector3Buffer(4, new Vector3[4]{right, right, right, right}));
        const Transform world(Vector3(-0.4f, 0.0f, 7.0f), Quaternion(), Vector3(1, 1, 1));
        quad->SetLocalTransform(world);
        quad->GetWorldTransform() = world;
        Ptr<Light> sun = lighting.MakeLight(Light::kDirectional);
        sun->GetWorldTransform() = Transform(Vector3(), Quaternion::FromAxisAngle(Vector3(0, 1, 0), -1.5707963f),
                                             Vector3(1, 1, 1));
        ASSERT_NEAR((sun->GetDirection() + right).Length(), 0.0f, 1e-4f);
        Ptr<FurEffect> effect;
        if (c.member == Member::LitFur)
        {
            Ptr<FurVertexLightingEffect> lit = new FurVertexLightingEffect(String("lit fur"));
            lit->AddLight(sun.Get());
            lighting.Put(*lit);
            effect = lit;
        }
        else
            effect = new FurEffect(String("fur"));
        effect->SetTexture(Plain(texel).Get());
        effect->SetFurTexture(MakeTexture(furTexels).Get());
        effect->SetColor(kColour);
        effect->SetFurLength(length);
        effect->SetShellCount(shells);
        effect->SetFade(fade);
        effect->SetCullEnabled(false);
        Levels(c.technique);
        ASSERT_EQ(effect->PassCount(), static_cast<uint32_t>(shells + 1));
        ASSERT_EQ(effect->GetActiveTechnique(), effect->GetTechnique(c.technique / 2));
        quad->SetEffect(effect.Get());
        Frame(clear, [&] {
            quad->Draw(*renderer);
            renderer->FlushTransparent();
        });

        const ReferenceLight towards{false, right, Vector3(1, 0, 0), lighting.lightAmbient, lighting.lightDiffuse,
                                     lighting.lightSpecular};
        const Colour surface = TexelColour(texel);
        const Colour drawn =
            c.member == Member::LitFur
                ? LitColour(lighting, SumLights(lighting, std::span(&towards, 1), world.ApplyToPoint(Vector3()), right,
                                                camera->GetPosition()),
                            surface, c.technique == 2)
                : surface * ColourOf(kColour);
        const auto at = [&](float x) { return AtPoint(world.ApplyToPoint(Vector3(x, 0.1f, 0.0f))); };
        const std::string name(c.name);
        ExpectNear(at(0.5f), Stored(drawn), 3, name + " base");
        for (int32_t j = 0; j < shells; ++j)
        {
            // Between shell j's right edge and shell j + 1's: shells j + 1..n.
            Colour want = PackedColour(clear);
            for (int32_t i = j + 1; i <= shells; ++i)
                want = Mix(drawn, want, furTexel[3] / 255.0f * (1.0f - fade * static_cast<float>(i) / (shells + 1)));
            ExpectNear(at(1.0f + (static_cast<float>(j) + 0.5f) / (shells + 1) * length), Stored(want), 3,
                       name + " under the shells from " + std::to_string(j + 1));
        }
        const float silhouette = 1.0f + static_cast<float>(shells) / (shells + 1) * length;
        const float outermost = furTexel[3] / 255.0f * (1.0f - fade * static_cast<float>(shells) / (shells + 1));
        ExpectNear(at(silhouette - 0.03f), Stored(Mix(drawn, PackedColour(clear), outermost)), 3,
                   name + " inside the silhouette");
        ExpectNear(at(silhouette + 0.03f), ClearRgb(), 0, name + " past the silhouette");
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
    if (c.member == Member::Fur || c.member == Member::LitFur)
        return ExpectFur(c);
    if (c.member >= Member::Normalmapped1DL && c.member <= Member::NormalListed && c.member != Member::Listed)
        return ExpectMapped(c);
    const bool twoLights = c.member == Member::TwoLight || c.member == Member::Listed;
    const bool lightmapped = !twoLights;
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
    const std::vector<Lamp> lamps = twoLights
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
        if (c.member == Member::Listed)
        {
            Ptr<TexturePixelLightingEffect> listed = new TexturePixelLightingEffect(String("listed"));
            listed->SetTexture(Plain(texel).Get());
            listed->AddLight(sun.Get());
            listed->AddLight(lamp.Get());
            effect = listed;
        }
        else if (c.member == Member::TwoLight)
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
        // The unlit member has no per-pixel technique, the listed one none per vertex.
        const uint32_t index = static_cast<uint32_t>(c.member == Member::Lightmapped ? c.technique - 1
                                                     : c.member == Member::Listed    ? c.technique / 2
                                                                                     : c.technique);
        ASSERT_EQ(effect->GetActiveTechnique(), effect->GetTechnique(index));
        lighting.Put(*effect);
        quad->SetEffect(effect.Get());
        Frame(Vector4(0, 0, 0, 1), [&] { quad->Draw(*renderer); });

        const std::span<const ReferenceLight> lit(lights, twoLights ? 2 : 1);
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
                      PixelCase{"TexturePixelLightingPixelLit", Member::Listed, 0},
                      PixelCase{"TexturePixelLightingFixedFunction", Member::Listed, 2},
                      PixelCase{"NormalmapTexturePixelLightingPixelLit", Member::NormalListed, 0},
                      PixelCase{"NormalmapTexturePixelLightingFixedFunction", Member::NormalListed, 2},
                      PixelCase{"GrassSway", Member::Grass, 1}, PixelCase{"GrassFixedFunction", Member::Grass, 2},
                      PixelCase{"LightmapGrassSway", Member::LightmapGrass, 1},
                      PixelCase{"LightmapGrassFixedFunction", Member::LightmapGrass, 2},
                      PixelCase{"NormalmapTexture1DLPixelLit", Member::Normalmapped1DL, 0},
                      PixelCase{"NormalmapTexture1DLVertexLit", Member::Normalmapped1DL, 1},
                      PixelCase{"NormalmapTexture1DLFixedFunction", Member::Normalmapped1DL, 2},
                      PixelCase{"ParallaxTexture1DLPixelLit", Member::Parallax1DL, 0},
                      PixelCase{"ParallaxTexture1DLVertexLit", Member::Parallax1DL, 1},
                      PixelCase{"ParallaxTexture1DLFixedFunction", Member::Parallax1DL, 2},
                      PixelCase{"NormalmapLightmapTexture1DLPixelLit", Member::NormalmapLightmapped1DL, 0},
                      PixelCase{"NormalmapLightmapTexture1DLVertexLit", Member::NormalmapLightmapped1DL, 1},
                      PixelCase{"NormalmapLightmapTexture1DLFixedFunction", Member::NormalmapLightmapped1DL, 2},
                      PixelCase{"ParallaxLightmapTexture1DLPixelLit", Member::ParallaxLightmapped1DL, 0},
                      PixelCase{"ParallaxLightmapTexture1DLVertexLit", Member::ParallaxLightmapped1DL, 1},
                      PixelCase{"ParallaxLightmapTexture1DLFixedFunction", Member::ParallaxLightmapped1DL, 2},
                      PixelCase{"NormalmapTexture1DL1PLPixelLit", Member::Normalmapped1DL1PL, 0},
                      PixelCase{"NormalmapTexture1DL1PLVertexLit", Member::Normalmapped1DL1PL, 1},
                      PixelCase{"NormalmapTexture1DL1PLFixedFunction", Member::Normalmapped1DL1PL, 2},
                      PixelCase{"FurPrograms", Member::Fur, 0}, PixelCase{"FurFixedFunction", Member::Fur, 2},
                      PixelCase{"FurVertexLightingPrograms", Member::LitFur, 0},
                      PixelCase{"FurVertexLightingFixedFunction", Member::LitFur, 2}),
    [](const ::testing::TestParamInfo<PixelCase>& info) { return std::string(info.param.name); });

} // namespace

namespace
{

// What every member is drawn with in the agreement test: a plain texture, a
// flat normal map with zero height, a lightmap, an opaque fur texture and a
// light the quad faces.
struct Agreeing
{
    Texture* texture;
    Texture* normalmap;
    Texture* lightmap;
    Texture* fur;
    Light* sun;
};

// One member with every link it has set from the fixtures; fur without
// length, so its shells lie on the base.
template <class Member>
Ptr<GeometryNodeEffect> MakeAgreeing(const Agreeing& with)
{
    Ptr<Member> effect = new Member(String("agreeing"));
    effect->SetColor(Vector4(0.9f, 0.7f, 1.0f, 1.0f));
    if constexpr (requires { effect->SetTexture(with.texture); })
        effect->SetTexture(with.texture);
    if constexpr (requires { effect->SetLightmap(with.lightmap); })
        effect->SetLightmap(with.lightmap);
    if constexpr (requires { effect->SetNormalmap(with.normalmap); })
        effect->SetNormalmap(with.normalmap);
    if constexpr (requires { effect->SetParallax(0.05f, 0.0f); })
        effect->SetParallax(0.05f, 0.0f);
    if constexpr (requires { effect->SetLight(with.sun); })
        effect->SetLight(with.sun);
    if constexpr (requires { effect->SetDirectionalLight(with.sun); })
        effect->SetDirectionalLight(with.sun);
    if constexpr (requires { effect->AddLight(with.sun); })
        effect->AddLight(with.sun);
    if constexpr (requires { effect->SetFurTexture(with.fur); })
    {
        effect->SetFurTexture(with.fur);
        effect->SetFurLength(0.0f);
        effect->SetShellCount(2);
    }
    return effect;
}

struct AgreementCase
{
    const char* name;
    Ptr<GeometryNodeEffect> (*make)(const Agreeing& with);
};

void PrintTo(const AgreementCase& c, std::ostream* os)
{
    *os << c.name;
}

class EffectFamilyAgreementTest : public GoldenImageRig, public ::testing::WithParamInterface<AgreementCase>
{
};

// Each member drawn at the levels (1, 1), (0, 0) and (4, 4), so by each of
// its techniques, on a quad facing a directional light (no fog, no
// highlight, no emissive, which fixed function puts on the texture): the
// pictures agree within 4/255 with the first.
TEST_P(EffectFamilyAgreementTest, EachTechniqueDrawsTheSameQuad)
{
    if (!Opened())
        GTEST_SKIP();
    const uint8_t plain[2][2][4] = {{{200, 150, 100, 255}, {200, 150, 100, 255}},
                                    {{200, 150, 100, 255}, {200, 150, 100, 255}}};
    const uint8_t flat[2][2][4] = {{{128, 128, 255, 0}, {128, 128, 255, 0}}, {{128, 128, 255, 0}, {128, 128, 255, 0}}};
    const uint8_t light[2][2][4] = {{{230, 200, 128, 255}, {230, 200, 128, 255}},
                                    {{230, 200, 128, 255}, {230, 200, 128, 255}}};
    const Ptr<Texture> textures[4] = {MakeTexture(plain), MakeTexture(flat), MakeTexture(light), MakeTexture(plain)};
    Lighting lighting;
    lighting.emissive = Vector4(0, 0, 0, 1);
    Ptr<Light> sun = lighting.MakeLight(Light::kFixedDirectional);
    const Agreeing with{textures[0].Get(), textures[1].Get(), textures[2].Get(), textures[3].Get(), sun.Get()};
    const ShaderLevel levels[3] = {ShaderLevel::Model2, ShaderLevel::Model1, ShaderLevel::None};
    const Vector3 points[3] = {Vector3(-0.5f, 0.4f, 6.0f), Vector3(0.1f, 0.0f, 6.0f), Vector3(0.6f, -0.5f, 6.0f)};
    Rgb first[3] = {};
    for (int level = 0; level < 3; ++level)
    {
        SCOPED_TRACE("level row " + std::to_string(level));
        DeviceCaps caps = renderer->GetCaps();
        caps.vertexShaderLevel = caps.pixelShaderLevel = levels[level];
        caps.simultaneousTextures = 8;
        caps.maxLights = 8;
        renderer->SetCapsForTest(caps);
        Ptr<Triangles> quad = MakeRectangle("quad", -1, 1, 1, -1, 6, Vector4(1, 1, 1, 1));
        for (uint32_t set = 1; set < 8; ++set)
            quad->SetTextureCoordinates(set, quad->GetTextureCoordinates(0));
        Ptr<GeometryNodeEffect> effect = GetParam().make(with);
        lighting.Put(*effect);
        effect->SetWind(false, 0.0f, 1.0f); // grass sways with the wind off too
        effect->SetCullEnabled(false);
        quad->SetEffect(effect.Get());
        Frame(Vector4(0, 0, 0, 1), [&] {
            quad->Draw(*renderer);
            renderer->FlushTransparent();
        });
        ASSERT_NE(effect->GetActiveTechnique(), nullptr);
        for (int i = 0; i < 3; ++i)
        {
            const Rgb got = AtPoint(points[i]);
            EXPECT_FALSE(Near(got, ClearRgb(), 0)) << "point " << i << " drawn";
            if (level == 0)
                first[i] = got;
            else
                ExpectNear(got, first[i], 4, std::string(GetParam().name) + " point " + std::to_string(i));
        }
    }
}

#define QRE_AGREEING(Member) AgreementCase{#Member, MakeAgreeing<Member>}
INSTANTIATE_TEST_SUITE_P(
    Members, EffectFamilyAgreementTest,
    ::testing::Values(QRE_AGREEING(ColorEffect), QRE_AGREEING(TextureEffect), QRE_AGREEING(LightmapTextureEffect),
                      QRE_AGREEING(NormalmapTextureEffect), QRE_AGREEING(NormalmapLightmapTextureEffect),
                      QRE_AGREEING(ParallaxTextureEffect), QRE_AGREEING(ParallaxLightmapTextureEffect),
                      QRE_AGREEING(GrassEffect), QRE_AGREEING(LightmapGrassEffect), QRE_AGREEING(FurEffect),
                      QRE_AGREEING(Texture1DLEffect), QRE_AGREEING(NormalmapTexture1DLEffect),
                      QRE_AGREEING(LightmapTexture1DLEffect), QRE_AGREEING(NormalmapLightmapTexture1DLEffect),
                      QRE_AGREEING(ParallaxTexture1DLEffect), QRE_AGREEING(ParallaxLightmapTexture1DLEffect),
                      QRE_AGREEING(Texture1DL1PLEffect), QRE_AGREEING(NormalmapTexture1DL1PLEffect),
                      QRE_AGREEING(TextureLightingEffect), QRE_AGREEING(TexturePixelLightingEffect),
                      QRE_AGREEING(NormalmapTextureLightingEffect), QRE_AGREEING(NormalmapTexturePixelLightingEffect),
                      QRE_AGREEING(FurLightingEffect), QRE_AGREEING(FurVertexLightingEffect)),
    [](const ::testing::TestParamInfo<AgreementCase>& info) { return std::string(info.param.name); });
#undef QRE_AGREEING

} // namespace
