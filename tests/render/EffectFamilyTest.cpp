// The family's shared pieces: every program against its constant row, and
// the light slot's links.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <memory>
#include <set>
#include <type_traits>
#include <vector>

#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/render/ConstantLayout.h"
#include "engine/render/DrawConstants.h"
#include "engine/render/EffectPrograms.h"
#include "app/VernaliaScreensaver.h"
#include "engine/files/Directory.h"
#include "engine/files/FileManager.h"
#include "engine/files/ModuleManager.h"
#include "engine/files/VirtualFile.h"
#include "engine/render/FurVertexLightingEffect.h"
#include "engine/render/GrassEffect.h"
#include "engine/render/LightList.h"
#include "engine/render/LightSlot.h"
#include "engine/render/LightmapGrassEffect.h"
#include "engine/render/NormalmapLightmapTexture1DLEffect.h"
#include "engine/render/NormalmapTexture1DL1PLEffect.h"
#include "engine/render/NormalmapTexture1DLEffect.h"
#include "engine/render/NormalmapTexturePixelLightingEffect.h"
#include "engine/render/ParallaxLightmapTexture1DLEffect.h"
#include "engine/render/ParallaxTexture1DLEffect.h"
#include "engine/render/LightmapTexture1DLEffect.h"
#include "engine/render/Renderer.h"
#include "engine/render/Technique.h"
#include "engine/render/Texture1DL1PLEffect.h"
#include "engine/render/Texture.h"
#include "engine/render/Texture1DLEffect.h"
#include "engine/render/TexturePixelLightingEffect.h"
#include "engine/render/gl/ShaderAssembler.h"
#include "engine/render/gl/ShaderParser.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Light.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/SkinController.h"
#include "engine/scene/Triangles.h"
#include "scene/SceneTestSupport.h"
#include "support/Bytes.h"
#include "support/LogCapture.h"

namespace
{

// Every program assembles; every constant it reads is defined in it or
// written by its row; its row's entries do not overlap one another or a
// definition; All() lists each Id at its own place.
TEST(EffectProgramsTest, EveryProgramAssemblesAndReadsOnlyItsRowOrItsDefinitions)
{
    const auto all = EffectPrograms::All();
    ASSERT_EQ(all.size(), static_cast<size_t>(EffectPrograms::Id::Count));
    for (size_t i = 0; i < all.size(); ++i)
    {
        const EffectPrograms::Program& program = all[i];
        SCOPED_TRACE(program.name);
        EXPECT_EQ(static_cast<size_t>(program.id), i);
        EXPECT_EQ(&EffectPrograms::Get(program.id), &program);
        ShaderTranslation translation;
        EXPECT_EQ(ShaderAssembler::Assemble(program.text, translation), 0);
        ShaderProgram parsed;
        ShaderProgram::Error error;
        ASSERT_EQ(ShaderParser::Parse(program.text, parsed, error), 0) << error.message;
        EXPECT_EQ(parsed.IsPixel(), program.pixel);

        std::set<uint32_t> defined, written;
        for (const ShaderProgram::Definition& d : parsed.definitions)
            if (d.type == ShaderProgram::kConst)
                defined.insert(d.index);
        for (const ConstantLayout::Entry& entry : ConstantLayout::Row(program.id))
        {
            const uint32_t width = ConstantLayout::Width(entry.quantity);
            for (uint32_t r = entry.first; r < entry.first + width; ++r)
            {
                EXPECT_TRUE(written.insert(r).second) << "c" << r << " written twice";
                EXPECT_EQ(defined.count(r), 0u) << "c" << r << " written and defined";
            }
        }
        for (const ShaderProgram::Instruction& instruction : parsed.instructions)
            for (uint8_t s = 0; s < instruction.sourceCount; ++s)
            {
                const ShaderProgram::Source& source = instruction.sources[s];
                if (source.type == ShaderProgram::kConst)
                {
                    EXPECT_TRUE(defined.count(source.index) || written.count(source.index))
                        << "c" << source.index << " read at line " << instruction.line;
                }
            }
    }
    EXPECT_TRUE(ConstantLayout::Row(EffectPrograms::Id::Count).empty());
}

// The attenuation programs and fixed function draw with: switched off or
// all zero as none, a negative or non-finite coefficient as 0, the
// constant never below the floor, so no denominator reaches zero.
TEST(DrawConstantsTest, AnAttenuationAlwaysHasAPositiveDenominator)
{
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const float floor = DrawConstants::kMinimumConstant;
    struct Case
    {
        float c, l, q;
        bool on;
        Vector3 want;
    };
    const Case cases[] = {
        {2.0f, 0.5f, 0.25f, true, {2.0f, 0.5f, 0.25f}}, {2.0f, 0.5f, 0.25f, false, {1.0f, 0.0f, 0.0f}},
        {0.0f, 0.0f, 0.0f, true, {1.0f, 0.0f, 0.0f}},   {-1.0f, nan, -3.0f, true, {1.0f, 0.0f, 0.0f}},
        {0.0f, 0.0f, 1.0f, true, {floor, 0.0f, 1.0f}},  {inf, -2.0f, 0.5f, true, {floor, 0.0f, 0.5f}},
    };
    for (const Case& c : cases)
    {
        Ptr<Light> light = new Light(String("lamp"));
        light->SetAttenuation(c.c, c.l, c.q, c.on);
        const Vector3 got = DrawConstants::Attenuation(*light);
        EXPECT_EQ(got.x, c.want.x) << c.c << " " << c.l << " " << c.q;
        EXPECT_EQ(got.y, c.want.y) << c.c << " " << c.l << " " << c.q;
        EXPECT_EQ(got.z, c.want.z) << c.c << " " << c.l << " " << c.q;
    }
}

// A light link loads as the light; another class in its place as none,
// after one warning; no link as none, quietly.
// The engine's classes registered, so links load.
class LightSlotTest : public SceneTest
{
};

TEST_F(LightSlotTest, ALinkOfAnotherClassLoadsAsNoLightWithAWarning)
{
    Ptr<Light> sun = new Light(String("sun"));
    Ptr<Texture> texture = new Texture(String("not a light"));
    struct Case
    {
        Object* link;
        bool kept;
        size_t warnings;
    };
    const Case cases[] = {{sun.Get(), true, 0}, {texture.Get(), false, 1}, {nullptr, false, 0}};
    for (const Case& c : cases)
    {
        Ptr<Texture1DLEffect> owner = new Texture1DLEffect(String("owner"));
        Stream out(0, 256);
        ASSERT_EQ(out.WriteLink(c.link), 0);
        ByteStream in(WrittenBytes(out));
        LightSlot slot;
        ASSERT_EQ(slot.Set(*owner, sun.Get()), 0);
        LogCapture log;
        ASSERT_EQ(slot.Load(in, *owner), 0);
        EXPECT_EQ(slot.Get() != nullptr, c.kept);
        EXPECT_EQ(log.Count("объект другого класса"), c.warnings);
        size_t loud = 0;
        for (const LogCapture::Line& line : log.Lines())
            loud += line.level >= kLogWarning ? 1 : 0;
        EXPECT_EQ(loud, c.warnings);
    }
}

// A list loads its lights in order and saves the same bytes back; another
// class in a light's place is an empty place after a warning; a count the
// bytes left cannot hold fails before anything is allocated, keeping the
// list as it was, as does a record cut inside a link.
TEST_F(LightSlotTest, ALightListLoadsItsCountOfLinksOrRefusesACountTheBytesCannotHold)
{
    Ptr<Light> lights[2] = {new Light(String("one")), new Light(String("two"))};
    Ptr<Texture> texture = new Texture(String("not a light"));
    Ptr<Texture1DLEffect> owner = new Texture1DLEffect(String("owner"));
    struct Case
    {
        const char* name;
        uint32_t count;
        std::vector<Object*> links;
        int32_t result;
        std::vector<bool> present; // after the load (the old list when it fails)
        const char* line;
    };
    const Case cases[] = {
        {"two lights", 2, {lights[0].Get(), lights[1].Get()}, 0, {true, true}, nullptr},
        {"none", 0, {}, 0, {}, nullptr},
        {"a texture", 2, {texture.Get(), lights[1].Get()}, 0, {false, true}, "объект другого класса"},
        {"count past the end", 0x40000000u, {lights[0].Get()}, 1, {true}, "Невозможно загрузить количество объектов."},
        {"one short", 2, {lights[0].Get()}, 1, {true}, "Невозможно загрузить объект [1]."},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Stream out(0, 256);
        ASSERT_EQ(out.WriteUInt32(c.count), 0);
        for (Object* link : c.links)
            ASSERT_EQ(out.WriteLink(link), 0);
        ByteStream in(WrittenBytes(out));
        LightList list;
        ASSERT_EQ(list.Add(*owner, lights[1].Get()), 0);
        LogCapture log;
        EXPECT_EQ(list.Load(in, *owner), c.result);
        ASSERT_EQ(list.GetCount(), c.present.size());
        for (uint32_t i = 0; i < list.GetCount(); ++i)
            EXPECT_EQ(list.Get(i) != nullptr, c.present[i]) << i;
        size_t loud = 0;
        for (const LogCapture::Line& line : log.Lines())
            loud += line.level >= kLogWarning ? 1 : 0;
        EXPECT_EQ(loud > 0, c.line != nullptr);
        EXPECT_TRUE(!c.line || log.Contains(c.line)) << c.line;
        if (c.result != 0)
            continue;
        // Saved again: the count and the links, the empty place as a null.
        Stream again(0, 256);
        ASSERT_EQ(list.Save(again), 0);
        Stream want(0, 256);
        ASSERT_EQ(want.WriteUInt32(c.count), 0);
        for (uint32_t i = 0; i < list.GetCount(); ++i)
            ASSERT_EQ(want.WriteLink(list.Get(i)), 0);
        EXPECT_EQ(WrittenBytes(again), WrittenBytes(want));
    }
}

// The members: how each is made with its links, and which of its
// techniques (by index) each device level pair chooses.
struct MemberRow
{
    const char* name;
    // The member with texture and lightmap (where it has one) and the two
    // lights (the second where it has two).
    Ptr<GeometryNodeEffect> (*make)(Texture* texture, Texture* lightmap, Light* first, Light* second);
    // Technique index at levels (1, 1), (0, 0) and (4, 4).
    uint32_t chosen[3];
    // Passes each technique draws with.
    uint32_t passes = 1;
};

Ptr<GeometryNodeEffect> MakeLightmapped(Texture* texture, Texture* lightmap, Light*, Light*)
{
    Ptr<LightmapTextureEffect> effect = new LightmapTextureEffect(String("lightmapped"));
    effect->SetTexture(texture);
    effect->SetLightmap(lightmap);
    effect->SetLightmapSet(3);
    return effect;
}

Ptr<GeometryNodeEffect> MakeLightmapped1DL(Texture* texture, Texture* lightmap, Light* first, Light*)
{
    Ptr<LightmapTexture1DLEffect> effect = new LightmapTexture1DLEffect(String("lightmapped lit"));
    effect->SetTexture(texture);
    effect->SetLightmap(lightmap);
    effect->SetLight(first);
    return effect;
}

Ptr<GeometryNodeEffect> MakeTwoLight(Texture* texture, Texture*, Light* first, Light* second)
{
    Ptr<Texture1DL1PLEffect> effect = new Texture1DL1PLEffect(String("two lights"));
    effect->SetTexture(texture);
    effect->SetDirectionalLight(first);
    effect->SetPointLight(second);
    return effect;
}

Ptr<GeometryNodeEffect> MakeGrass(Texture* texture, Texture*, Light*, Light*)
{
    Ptr<GrassEffect> effect = new GrassEffect(String("grass"));
    effect->SetTexture(texture);
    effect->SetSwaySet(5);
    return effect;
}

Ptr<GeometryNodeEffect> MakeLightmapGrass(Texture* texture, Texture* lightmap, Light*, Light*)
{
    Ptr<LightmapGrassEffect> effect = new LightmapGrassEffect(String("lightmapped grass"));
    effect->SetTexture(texture);
    effect->SetLightmap(lightmap);
    effect->SetLightmapSet(2);
    return effect;
}

// The normal-map members: the lightmap texture stands in as the normal map.
template <class Member>
Ptr<GeometryNodeEffect> MakeMapped(Texture* texture, Texture* normalmap, Light* first, Light* second)
{
    Ptr<Member> effect = new Member(String("mapped"));
    effect->SetTexture(texture);
    effect->SetNormalmap(normalmap);
    effect->SetNormalmapSet(6);
    if constexpr (requires { effect->SetParallax(0.04f, -0.02f); })
        effect->SetParallax(0.04f, -0.02f);
    if constexpr (std::is_base_of_v<LightmapTextureEffect, Member>)
        effect->SetLightmap(normalmap);
    if constexpr (requires { effect->SetLight(first); })
        effect->SetLight(first);
    if constexpr (requires { effect->SetPointLight(second); })
    {
        effect->SetDirectionalLight(first);
        effect->SetPointLight(second);
    }
    return effect;
}

template <class Member>
Ptr<GeometryNodeEffect> MakeListed(Texture* texture, Texture*, Light* first, Light* second)
{
    Ptr<Member> effect = new Member(String("listed"));
    effect->SetTexture(texture);
    if constexpr (requires { effect->SetNormalmap(texture); })
        effect->SetNormalmap(texture);
    effect->AddLight(first);
    effect->AddLight(nullptr);
    effect->AddLight(second);
    return effect;
}

// The fur members with three shells; the lightmap texture stands in as
// the fur texture.
template <class Member>
Ptr<GeometryNodeEffect> MakeFur(Texture* texture, Texture* fur, Light* first, Light* second)
{
    Ptr<Member> effect = new Member(String("fur"));
    effect->SetTexture(texture);
    effect->SetFurTexture(fur);
    effect->SetFurLength(0.2f);
    effect->SetShellCount(3);
    effect->SetFade(0.25f);
    if constexpr (requires { effect->AddLight(first); })
    {
        effect->AddLight(first);
        effect->AddLight(second);
    }
    return effect;
}

const MemberRow kMembers[] = {
    {"LightmapTextureEffect", MakeLightmapped, {0, 0, 1}},
    {"GrassEffect", MakeGrass, {0, 0, 1}},
    {"LightmapGrassEffect", MakeLightmapGrass, {0, 0, 1}},
    {"NormalmapTextureEffect", MakeMapped<NormalmapTextureEffect>, {0, 0, 1}},
    {"ParallaxTextureEffect", MakeMapped<ParallaxTextureEffect>, {0, 0, 1}},
    {"NormalmapTexture1DLEffect", MakeMapped<NormalmapTexture1DLEffect>, {0, 1, 2}},
    {"ParallaxTexture1DLEffect", MakeMapped<ParallaxTexture1DLEffect>, {0, 1, 2}},
    {"NormalmapLightmapTextureEffect", MakeMapped<NormalmapLightmapTextureEffect>, {0, 0, 1}},
    {"ParallaxLightmapTextureEffect", MakeMapped<ParallaxLightmapTextureEffect>, {0, 0, 1}},
    {"NormalmapLightmapTexture1DLEffect", MakeMapped<NormalmapLightmapTexture1DLEffect>, {0, 1, 2}},
    {"ParallaxLightmapTexture1DLEffect", MakeMapped<ParallaxLightmapTexture1DLEffect>, {0, 1, 2}},
    {"NormalmapTexture1DL1PLEffect", MakeMapped<NormalmapTexture1DL1PLEffect>, {0, 1, 2}},
    {"TextureLightingEffect", MakeListed<TextureLightingEffect>, {0, 0, 0}},
    {"TexturePixelLightingEffect", MakeListed<TexturePixelLightingEffect>, {0, 1, 1}},
    {"NormalmapTextureLightingEffect", MakeListed<NormalmapTextureLightingEffect>, {0, 0, 0}},
    {"NormalmapTexturePixelLightingEffect", MakeListed<NormalmapTexturePixelLightingEffect>, {0, 1, 1}},
    {"LightmapTexture1DLEffect", MakeLightmapped1DL, {0, 1, 2}},
    {"Texture1DL1PLEffect", MakeTwoLight, {0, 1, 2}},
    {"FurEffect", MakeFur<FurEffect>, {0, 1, 1}, 4},
    {"FurLightingEffect", MakeFur<FurLightingEffect>, {0, 0, 0}, 4},
    {"FurVertexLightingEffect", MakeFur<FurVertexLightingEffect>, {0, 1, 1}, 4},
};

class EffectFamilyTest : public SceneTest
{
protected:
    Ptr<Texture> texture = new Texture(String("texture"));
    Ptr<Texture> lightmap = new Texture(String("lightmap"));
    Ptr<Light> sun = new Light(String("sun"));
    Ptr<Light> lamp = new Light(String("lamp"));
};

// The first PassCount takes the first technique the levels allow; each
// technique draws in one pass, fur in one more than its shells, and again
// so after the shell count changed.
TEST_F(EffectFamilyTest, EachMemberChoosesItsTechniqueByTheDeviceLevels)
{
    const ShaderLevel levels[3][2] = {{ShaderLevel::Model2, ShaderLevel::Model2},
                                      {ShaderLevel::Model1, ShaderLevel::Model1},
                                      {ShaderLevel::None, ShaderLevel::None}};
    for (const MemberRow& row : kMembers)
        for (uint32_t level = 0; level < 3; ++level)
        {
            SCOPED_TRACE(std::string(row.name) + " at level row " + std::to_string(level));
            DeviceCaps caps = GetRenderer()->GetCaps();
            caps.vertexShaderLevel = levels[level][0];
            caps.pixelShaderLevel = levels[level][1];
            caps.simultaneousTextures = 4;
            caps.maxLights = 8;
            GetRenderer()->SetCapsForTest(caps);
            Ptr<GeometryNodeEffect> effect = row.make(texture.Get(), lightmap.Get(), sun.Get(), lamp.Get());
            EXPECT_EQ(effect->PassCount(), row.passes);
            ASSERT_NE(effect->GetActiveTechnique(), nullptr);
            EXPECT_EQ(effect->GetActiveTechnique(), effect->GetTechnique(row.chosen[level]));
            if (effect->IsDerived(FurEffect::TYPE))
            {
                static_cast<FurEffect&>(*effect).SetShellCount(1);
                EXPECT_EQ(effect->PassCount(), 2u);
                EXPECT_EQ(effect->GetActiveTechnique(), effect->GetTechnique(row.chosen[level]));
            }
        }
}

// Saved, loaded and saved again, each member gives the same bytes (its
// fields, its links and what they hold) and loads as its own class.
TEST_F(EffectFamilyTest, EachMemberSavesTheBytesItLoadedFrom)
{
    lamp->SetLightType(Light::kPoint);
    lamp->SetAttenuation(1.0f, 0.5f, 0.25f, true);
    for (const MemberRow& row : kMembers)
    {
        SCOPED_TRACE(row.name);
        Ptr<GeometryNodeEffect> effect = row.make(texture.Get(), lightmap.Get(), sun.Get(), lamp.Get());
        effect->SetMaterial(Vector4(0.1f, 0.2f, 0.3f, 0.4f), Vector4(0.5f, 0.6f, 0.7f, 0.8f),
                            Vector4(0.9f, 1.0f, 0.0f, 1.0f), Vector4(0.25f, 0.0f, 0.5f, 1.0f), 7.0f);
        const Bytes saved = CanonicalLinks(Serialize(effect.Get()));
        Ptr<Object> loaded = Deserialize(Serialize(effect.Get()));
        ASSERT_TRUE(loaded);
        EXPECT_EQ(&loaded->GetRtti(), &effect->GetRtti());
        EXPECT_EQ(CanonicalLinks(Serialize(loaded.Get())), saved);
    }
}

// A lightmap link of another class loads as no lightmap after a warning;
// a coordinate set past 7 loads as 7 (the grass's below 0 as 0); a
// parallax scale or bias that is not finite as 0; a lightmap holding the effect is
// refused, logged, keeping the one before.
TEST_F(EffectFamilyTest, ALightmapOfAnotherClassIsMissingAndOneHoldingTheEffectRefused)
{
    struct Case
    {
        Object* link;
        uint32_t set;
        bool kept;
        uint32_t loadedSet;
        size_t warnings;
    };
    const Case cases[] = {{lightmap.Get(), 2, true, 2, 0}, {sun.Get(), 9, false, 7, 1}, {nullptr, 7, false, 7, 0}};
    for (const Case& c : cases)
    {
        Ptr<LightmapTextureEffect> written = new LightmapTextureEffect(String("written"));
        Stream out(0, 1024);
        ASSERT_EQ(written->TextureEffect::Save(out), 0);
        ASSERT_EQ(out.WriteLink(c.link), 0);
        ASSERT_EQ(out.WriteUInt32(c.set), 0);
        ByteStream in(WrittenBytes(out));
        Ptr<LightmapTextureEffect> effect = new LightmapTextureEffect(String("read"));
        LogCapture log;
        ASSERT_EQ(effect->Load(in), 0);
        EXPECT_EQ(effect->GetLightmap() != nullptr, c.kept);
        EXPECT_EQ(effect->GetLightmapSet(), c.loadedSet);
        EXPECT_EQ(log.Count("Ссылка на текстуру указывает на объект другого класса."), c.warnings);
    }
    // The grass's sway set, an int32, is brought into 0..7 the same way.
    const int32_t sets[3][2] = {{-3, 0}, {4, 4}, {12, 7}};
    for (const auto& [set, loaded] : sets)
    {
        Ptr<GrassEffect> written = new GrassEffect(String("written"));
        Stream out(0, 1024);
        ASSERT_EQ(written->TextureEffect::Save(out), 0);
        ASSERT_EQ(out.WriteInt32(set), 0);
        ByteStream in(WrittenBytes(out));
        Ptr<GrassEffect> grass = new GrassEffect(String("read"));
        ASSERT_EQ(grass->Load(in), 0);
        EXPECT_EQ(grass->GetSwaySet(), loaded);
    }
    // A parallax scale or bias that is not finite loads as 0.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float parallax[3][4] = {{0.5f, -0.25f, 0.5f, -0.25f}, {nan, 0.1f, 0.0f, 0.1f},
                                  {0.2f, -std::numeric_limits<float>::infinity(), 0.2f, 0.0f}};
    for (const auto& [scale, bias, loadedScale, loadedBias] : parallax)
    {
        Ptr<ParallaxTextureEffect> written = new ParallaxTextureEffect(String("written"));
        Stream out(0, 1024);
        ASSERT_EQ(written->NormalmapTextureEffect::Save(out), 0);
        ASSERT_EQ(out.WriteFloat(scale), 0);
        ASSERT_EQ(out.WriteFloat(bias), 0);
        ByteStream in(WrittenBytes(out));
        Ptr<ParallaxTextureEffect> read = new ParallaxTextureEffect(String("read"));
        ASSERT_EQ(read->Load(in), 0);
        EXPECT_EQ(read->GetParallaxScale(), loadedScale);
        EXPECT_EQ(read->GetParallaxBias(), loadedBias);
    }
    // Fur: a length or fade that is not finite loads as 0, a shell count
    // outside 0..256 as the nearer end after one warning, a fur texture of
    // another class as none after one.
    const float inf = std::numeric_limits<float>::infinity();
    const struct
    {
        float length;
        int32_t shells;
        float fade;
        Object* fur;
        float loadedLength;
        int32_t loadedShells;
        float loadedFade;
        size_t warnings;
    } furs[] = {{0.3f, 5, 0.5f, lightmap.Get(), 0.3f, 5, 0.5f, 0}, {nan, 300, inf, nullptr, 0.0f, 256, 0.0f, 1},
                {0.1f, -4, -inf, sun.Get(), 0.1f, 0, 0.0f, 2},    {inf, 256, nan, nullptr, 0.0f, 256, 0.0f, 0}};
    for (const auto& c : furs)
    {
        Ptr<FurEffect> written = new FurEffect(String("written"));
        Stream out(0, 1024);
        ASSERT_EQ(written->TextureEffect::Save(out), 0);
        ASSERT_EQ(out.WriteFloat(c.length), 0);
        ASSERT_EQ(out.WriteInt32(c.shells), 0);
        ASSERT_EQ(out.WriteFloat(c.fade), 0);
        ASSERT_EQ(out.WriteLink(c.fur), 0);
        ByteStream in(WrittenBytes(out));
        Ptr<FurEffect> read = new FurEffect(String("read"));
        LogCapture log;
        ASSERT_EQ(read->Load(in), 0);
        EXPECT_EQ(read->GetFurLength(), c.loadedLength);
        EXPECT_EQ(read->GetShellCount(), c.loadedShells);
        EXPECT_EQ(read->GetFade(), c.loadedFade);
        EXPECT_EQ(read->GetFurTexture() != nullptr, c.fur == lightmap.Get());
        size_t loud = 0;
        for (const LogCapture::Line& line : log.Lines())
            loud += line.level >= kLogWarning ? 1 : 0;
        EXPECT_EQ(loud, c.warnings) << c.shells;
    }
    Ptr<LightmapTextureEffect> effect = new LightmapTextureEffect(String("lightmapped"));
    ASSERT_EQ(effect->SetLightmap(lightmap.Get()), 0);
    Ptr<Texture> holder = new Texture(String("holder"));
    ASSERT_EQ(holder->SetController(new HoldingController(effect.Get())), 0);
    LogCapture log;
    EXPECT_EQ(effect->SetLightmap(holder.Get()), 3);
    EXPECT_TRUE(log.Contains("Текстура уже содержит этот эффект."));
    EXPECT_EQ(effect->GetLightmap(), lightmap.Get());
}

// With "Fur" off the show draws every lit fur with a single shell; the
// unlit fur, and any fur with the setting on, keeps its shells.
TEST_F(EffectFamilyTest, FurOffLeavesEveryLitFurOneShell)
{
    Module* module = nullptr;
    ASSERT_EQ(ModuleManager::LoadModule(String("STRSceneCodec"), &module), 0);
    const struct
    {
        const char* fur;
        int32_t shells[3]; // FurEffect, FurLightingEffect, FurVertexLightingEffect
    } rows[] = {{"1", {5, 5, 5}}, {"0", {5, 1, 1}}};
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.fur);
        Ptr<SceneNode> root = new SceneNode();
        root->AttachChild(new Camera(String("Camera")));
        const Ptr<FurEffect> furs[3] = {new FurEffect(String("0")), new FurLightingEffect(String("1")),
                                        new FurVertexLightingEffect(String("2"))};
        for (const Ptr<FurEffect>& fur : furs)
        {
            fur->SetShellCount(5);
            Ptr<Triangles> patch = new Triangles(String("patch"));
            patch->SetEffect(fur.Get());
            root->AttachChild(patch.Get());
        }
        const std::string path = folder.Path() + "/Main.STR";
        File out{String(path.c_str())};
        ASSERT_EQ(codec.SaveScene(&out, root.Get()), 0);
        const Bytes bytes = ReadBytes(path);
        std::unique_ptr<uint8_t[]> data(new uint8_t[bytes.size()]);
        std::memcpy(data.get(), bytes.data(), bytes.size());
        std::unique_ptr<Directory> mount(new Directory(String("show"), FileManager::GetRoot()));
        mount->AddFile(new VirtualFile(String("Main.STR"), std::move(data), static_cast<uint32_t>(bytes.size())));

        VernaliaScreensaver app(String("vernalia /s"), Automation());
        ASSERT_EQ(app.ParseExtraDefault(String("Fur"), String(row.fur)), 0);
        app.ApplyExtraDefaults();
        Recorder().SetCamera(nullptr);
        ASSERT_EQ(app.CreateSceneData(), 0);
        ASSERT_TRUE(Recorder().GetCamera() && Recorder().GetCamera()->GetParent());
        Array<Object*> found;
        Recorder().GetCamera()->GetParent()->CollectByType(FurEffect::TYPE, found);
        ASSERT_EQ(found.Count(), 3u);
        for (Object* object : found)
        {
            const int index = object->GetName().CStr()[0] - '0';
            EXPECT_EQ(static_cast<FurEffect*>(object)->GetShellCount(), row.shells[index]) << index;
        }
    }
}

} // namespace

// A scene's texture search (what the start-up uploads before the first
// frame) reaches every texture an effect holds, extra maps included.
TEST(EffectTextureSearch, ReachesTheTextureAndEveryExtraMap)
{
    Ptr<Texture> base = new Texture(String("base"));
    Ptr<Texture> lightmap = new Texture(String("lightmap"));
    Ptr<Texture> normalmap = new Texture(String("normalmap"));
    Ptr<NormalmapLightmapTexture1DLEffect> both = new NormalmapLightmapTexture1DLEffect();
    both->SetTexture(base.Get());
    both->SetLightmap(lightmap.Get());
    both->SetNormalmap(normalmap.Get());
    Ptr<ParallaxTexture1DLEffect> parallax = new ParallaxTexture1DLEffect();
    parallax->SetTexture(base.Get());
    parallax->SetNormalmap(normalmap.Get());
    Ptr<ParallaxLightmapTexture1DLEffect> parallaxLit = new ParallaxLightmapTexture1DLEffect();
    parallaxLit->SetLightmap(lightmap.Get());
    parallaxLit->SetNormalmap(normalmap.Get());
    Ptr<FurVertexLightingEffect> fur = new FurVertexLightingEffect();
    fur->SetTexture(base.Get());
    fur->SetFurTexture(lightmap.Get());
    const struct
    {
        Effect* effect;
        std::set<std::string> names;
    } cases[] = {{both.Get(), {"base", "lightmap", "normalmap"}},
                 {parallax.Get(), {"base", "normalmap"}},
                 {parallaxLit.Get(), {"lightmap", "normalmap"}},
                 {fur.Get(), {"base", "lightmap"}}};
    for (const auto& c : cases)
    {
        Array<Object*> found;
        c.effect->CollectByType(Texture::TYPE, found);
        std::set<std::string> names;
        for (uint32_t i = 0; i < found.Count(); ++i)
            names.insert(found[i]->GetName().CStr());
        EXPECT_EQ(names, c.names) << c.effect->GetRtti().GetName().CStr();
    }
}

// The device skins a mesh only under a pass with a skinned program; under
// any other pass the controller goes on skinning on the CPU, or the mesh
// would freeze in its rest pose.
TEST_F(EffectFamilyTest, TheCpuStopsSkinningOnlyUnderASkinnedProgram)
{
    DeviceCaps caps = GetRenderer()->GetCaps();
    caps.vertexShaderLevel = caps.pixelShaderLevel = ShaderLevel::Model2;
    caps.simultaneousTextures = 4;
    caps.maxLights = 8;
    GetRenderer()->SetCapsForTest(caps);
    Ptr<Texture1DLEffect> programs = new Texture1DLEffect(String("skinned"));
    programs->SetTexture(texture.Get());
    programs->SetLight(sun.Get());
    Ptr<GeometryNodeEffect> fixed = MakeListed<TextureLightingEffect>(texture.Get(), nullptr, sun.Get(), lamp.Get());
    const struct
    {
        GeometryNodeEffect* effect;
        bool cpu;
    } cases[] = {{programs.Get(), false}, {fixed.Get(), true}};
    for (const auto& c : cases)
    {
        Ptr<SkinController> skin = new SkinController(String("skin"));
        ASSERT_EQ(c.effect->SetSkinController(skin.Get()), 0);
        // As in a show: drawn once (which picks the technique), then updated.
        c.effect->PassCount();
        c.effect->Update(0.0);
        EXPECT_EQ(skin->GetCpuSkinning(), c.cpu) << c.effect->GetRtti().GetName().CStr();
        EXPECT_EQ(c.effect->GetSkinController(), skin.Get());
        c.effect->SetSkinController(nullptr);
    }
}
