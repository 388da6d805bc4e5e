#include <gtest/gtest.h>

#include <cfloat>
#include <string>
#include <vector>

#include "engine/render/ColorEffect.h"
#include "engine/render/GeometryNodeEffectPass.h"
#include "engine/render/Technique.h"
#include "engine/render/Texture.h"
#include "engine/render/TextureEffect.h"
#include "engine/scene/Camera.h"
#include "engine/scene/ColorBuffer.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Light.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/SkinController.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "render/TextureTestSupport.h"
#include "support/LogCapture.h"

namespace
{

// Records, in order, every device call a pass makes.
class EffectRecorder : public RecordingRenderer
{
public:
    int32_t BeginPass(Pass* pass) override
    {
        calls.push_back(pass == GetCurrentPass() ? "begin" : "begin(not current)");
        return 0;
    }
    int32_t SetTexture(uint32_t stage, BaseTexture* texture) override
    {
        std::string call = "texture " + std::to_string(stage);
        call += texture ? " " : " none";
        if (texture)
            call += Name(texture);
        calls.push_back(call);
        return 0;
    }
    int32_t SetPositionStream(Buffer* buffer) override { return Call("position", buffer); }
    int32_t SetNormalStream(Buffer* buffer) override { return Call("normal", buffer); }
    int32_t SetColorStream(Buffer* buffer) override
    {
        boundColors = buffer;
        return Call("colour", buffer);
    }
    int32_t SetTexCoordStream(uint32_t index, Buffer* buffer) override
    {
        return Call("coordinates " + std::to_string(index), buffer);
    }
    int32_t SetIndexBuffer(IntBuffer* buffer) override { return Call("indices", buffer); }
    int32_t SetWorldMatrix(const Matrix4&) override { return Call("world", nullptr); }
    int32_t SetViewMatrix(const Matrix4&) override { return Call("view", nullptr); }
    int32_t SetProjectionMatrix(const Matrix4&) override { return Call("projection", nullptr); }
    int32_t DrawIndexed() override
    {
        calls.push_back("draw");
        return RecordingRenderer::DrawIndexed();
    }

    std::vector<std::string> calls;
    Buffer* boundColors = nullptr;

private:
    static std::string Name(Object* object) { return object->GetName().CStr(); }
    int32_t Call(const std::string& what, Buffer* buffer)
    {
        calls.push_back(buffer && buffer->GetName().Length() ? what + " " + Name(buffer) : what);
        return 0;
    }
};

int32_t CreateEffectRecorder(Renderer** place)
{
    if (!place || GetRenderer())
        return 1;
    *place = new EffectRecorder();
    return 0;
}

// A pass that counts what is asked of it.
class CountingPass : public GeometryNodeEffectPass
{
public:
    explicit CountingPass(GeometryNodeEffect* effect) : GeometryNodeEffectPass(effect) {}
    int32_t Apply() override
    {
        ++applied;
        return result;
    }
    int32_t applied = 0;
    int32_t result = 0;
};

// A technique that needs a vertex shader level other than none, or
// nothing, and builds the given number of counting passes.
class LevelTechnique : public Technique
{
public:
    LevelTechnique(GeometryNodeEffect* effect, bool needsShaders, uint32_t passCount)
        : effect(effect), needsShaders(needsShaders), passCount(passCount)
    {
    }
    bool IsSupported(const Renderer& renderer) override
    {
        ++asked;
        if (needsShaders && renderer.vertexShaderLevel == 4)
            return false;
        if (GetPassCount() == 0)
            for (uint32_t i = 0; i < passCount; ++i)
                AddPass(new CountingPass(effect));
        return true;
    }
    CountingPass* Counting(uint32_t index) const { return static_cast<CountingPass*>(GetPass(index)); }

    int32_t asked = 0;

private:
    GeometryNodeEffect* effect;
    bool needsShaders;
    uint32_t passCount;
};

// A geometry effect with techniques made by the test.
class TechniqueEffect : public GeometryNodeEffect
{
public:
    LevelTechnique* Add(bool needsShaders, uint32_t passCount)
    {
        auto* technique = new LevelTechnique(this, needsShaders, passCount);
        AddTechnique(std::unique_ptr<Technique>(technique));
        return technique;
    }
};

Triangles* MakeMesh(const char* name)
{
    auto* mesh = new Triangles(String(name));
    mesh->SetVertices(new Vector3Buffer(3, new Vector3[3]{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, String("P")));
    mesh->SetIndices(new IntBuffer(3, new int32_t[3]{0, 1, 2}, String("I")));
    return mesh;
}

} // namespace

// The scene test engine with an EffectRecorder as the current renderer.
class EffectTest : public SceneTest
{
protected:
    void SetUp() override
    {
        SceneTest::SetUp();
        InstallRenderer("EffectRecorder", &CreateEffectRecorder);
        GetRenderer()->SetCamera(new Camera(String("eye")));
    }

    EffectRecorder& Device() { return *static_cast<EffectRecorder*>(GetRenderer()); }

    // effect's Object record followed by whatever write adds, for loading
    // records built by hand.
    template <typename Write> static std::vector<uint8_t> Record(Object& effect, Write write)
    {
        Stream stream(0, 256);
        EXPECT_EQ(effect.Object::Save(stream), 0);
        write(stream);
        return WrittenBytes(stream);
    }

    // The GeometryNodeEffect fields with the given address mask and flags.
    static void WriteGeometryFields(Stream& stream, uint8_t mask, uint8_t flags, Object* skin)
    {
        stream.WriteInt8(static_cast<int8_t>(mask));
        for (int i = 0; i < 4; ++i)
            stream.WriteVector4(Vector4(0.1f * i, 0.2f, 0.3f, 1.0f));
        stream.WriteFloat(7.0f);
        stream.WriteBool(true);
        stream.WriteUInt32(128);
        stream.WriteInt8(static_cast<int8_t>(flags));
        stream.WriteUInt32(1);
        stream.WriteUInt32(0);
        stream.WriteBool(true);
        stream.WriteVector4(Vector4(0.5f, 0.5f, 0.5f, 1.0f));
        stream.WriteFloat(0.01f);
        stream.WriteFloat(3.0f);
        stream.WriteBool(false);
        stream.WriteFloat(0.1f);
        stream.WriteFloat(2.0f);
        stream.WriteLink(skin);
    }
};

TEST_F(EffectTest, FirstSupportedTechniqueIsChosenOnceAndNoneDrawsNothing)
{
    Device().vertexShaderLevel = 4;
    TechniqueEffect effect;
    LevelTechnique* shaders = effect.Add(true, 3);
    LevelTechnique* fixed = effect.Add(false, 2);
    effect.SetMaterial(Vector4(1, 0, 0, 1), Vector4(0, 0, 0, 1), Vector4(0, 0, 0, 1), Vector4(0, 0, 0, 1), 4);

    EXPECT_EQ(effect.PassCount(), 2u);
    EXPECT_EQ(effect.GetActiveTechnique(), fixed);
    // Chosen means marked changed at once: the passes carry the settings.
    EXPECT_EQ(fixed->GetPass(1)->GetState()->diffuse.x, 1.0f);
    EXPECT_EQ(fixed->GetPass(1)->GetState()->power, 4.0f);

    // A better device later does not change the choice.
    Device().vertexShaderLevel = 1;
    EXPECT_EQ(effect.PassCount(), 2u);
    EXPECT_EQ(shaders->asked, 1);
    EXPECT_EQ(fixed->asked, 1);

    // Only unsupported techniques: nothing to draw, nothing applied.
    Device().vertexShaderLevel = 4;
    TechniqueEffect none;
    none.Add(true, 1);
    EXPECT_EQ(none.PassCount(), 0u);
    EXPECT_EQ(none.GetActiveTechnique(), nullptr);
    EXPECT_EQ(none.ApplyPass(0), 1);
    Ptr<Triangles> mesh = MakeMesh("m");
    auto* unsupported = new TechniqueEffect();
    unsupported->Add(true, 1);
    mesh->SetEffect(unsupported);
    mesh->Draw(Device());
    EXPECT_TRUE(Device().calls.empty());
}

TEST_F(EffectTest, PassesAreAppliedInOrderAndARefusingPassIsSkipped)
{
    Ptr<Triangles> mesh = MakeMesh("m");
    auto* effect = new TechniqueEffect();
    LevelTechnique* technique = effect->Add(false, 3);
    mesh->SetEffect(effect);
    ASSERT_EQ(effect->PassCount(), 3u);
    technique->Counting(1)->result = 1;

    mesh->Draw(Device());
    EXPECT_EQ(Device().calls, (std::vector<std::string>{"begin", "draw", "begin", "begin", "draw"}));
    for (uint32_t i = 0; i < 3; ++i)
        EXPECT_EQ(technique->Counting(i)->applied, 1);
    EXPECT_EQ(effect->ApplyPass(3), 1); // past the last pass

    Device().calls.clear();
    effect->Disable();
    mesh->Draw(Device());
    EXPECT_TRUE(Device().calls.empty());
    EXPECT_EQ(Device().GetTransparentCount(), 0u);
}

TEST_F(EffectTest, MarkChangedCopiesTheEffectSettingsIntoEveryPassState)
{
    TechniqueEffect effect;
    LevelTechnique* technique = effect.Add(false, 2);
    ASSERT_EQ(effect.PassCount(), 2u);
    Pass* pass = technique->GetPass(1);
    RenderStateBlock& state = *pass->GetState();
    pass->ClearChanged();

    effect.SetDepth(false, false);
    EXPECT_TRUE(pass->IsChanged());
    effect.SetStencil(true, 3, 9, 1, 2, 4);
    effect.SetWireframe(true);
    effect.SetAlphaTest(true, 200);
    effect.SetBlend(true, 1, 1);
    effect.SetCullEnabled(false);
    effect.SetFog(true, Vector4(0.1f, 0.2f, 0.3f, 1.0f), 0.5f, 2.0f);
    effect.SetSampler(3, 0, 1, 0);
    effect.SetMaterial(Vector4(1, 0, 0, 1), Vector4(0, 1, 0, 1), Vector4(0, 0, 1, 1), Vector4(1, 1, 0, 1), 9);

    EXPECT_FALSE(state.depthEnabled);
    EXPECT_FALSE(state.depthWrite);
    EXPECT_TRUE(state.stencilEnabled);
    EXPECT_EQ(state.stencilFunction, 3);
    EXPECT_EQ(state.stencilReference, 9);
    EXPECT_EQ(state.stencilFail, 1);
    EXPECT_EQ(state.stencilDepthFail, 2);
    EXPECT_EQ(state.stencilPass, 4);
    EXPECT_TRUE(state.wireframe);
    EXPECT_TRUE(state.alphaTestEnabled);
    EXPECT_EQ(state.alphaReference, 200);
    EXPECT_EQ(state.alphaFunction, 6); // greater or equal
    EXPECT_TRUE(state.blendEnabled);
    EXPECT_EQ(state.sourceBlend, 1);
    EXPECT_EQ(state.destinationBlend, 1);
    EXPECT_FALSE(state.cullEnabled);
    EXPECT_EQ(state.cullOrder, 1);
    EXPECT_TRUE(state.fogEnabled);
    EXPECT_FALSE(state.fogPerPixel);
    EXPECT_EQ(state.fogDensity, 0.5f);
    EXPECT_EQ(state.fogColour.y, 0.2f);
    EXPECT_EQ(state.fogMode, 1); // exactly 2 stays exponential
    EXPECT_EQ(state.diffuse.x, 1.0f);
    EXPECT_EQ(state.ambient.y, 1.0f);
    EXPECT_EQ(state.specular.z, 1.0f);
    EXPECT_EQ(state.emissive.y, 1.0f);
    EXPECT_EQ(state.power, 9.0f);
    EXPECT_EQ(state.stages[3].addressU, 0);
    EXPECT_EQ(state.stages[3].addressV, 0);
    EXPECT_EQ(state.stages[3].addressW, 0);
    EXPECT_EQ(state.stages[3].minFilter, 1);
    EXPECT_EQ(state.stages[3].magFilter, 0);
    EXPECT_EQ(state.stages[2].addressU, 1);
    EXPECT_EQ(state.stages[2].minFilter, 5);
    // Not a copied setting: keeps its default.
    EXPECT_EQ(state.stages[3].combine, 2);

    effect.SetFog(true, Vector4(0, 0, 0, 1), 0.5f, 2.5f);
    EXPECT_EQ(state.fogMode, 2);
    EXPECT_TRUE(effect.IsTransparent());
}

TEST_F(EffectTest, ColorEffectBindsItsStreamsAfterBeginningThePassAndFillsMissingColours)
{
    Ptr<Triangles> mesh = MakeMesh("m");
    auto* effect = new ColorEffect();
    effect->SetColor(Vector4(0.25f, 0.5f, 0.75f, 1.0f));
    mesh->SetEffect(effect);

    mesh->Draw(Device());
    ASSERT_NE(mesh->GetColors(), nullptr);
    ASSERT_EQ(mesh->GetColors()->GetCount(), 3u);
    EXPECT_EQ((*mesh->GetColors())[2].y, 0.5f);
    EXPECT_EQ(Device().boundColors, mesh->GetColors());
    EXPECT_EQ(Device().calls, (std::vector<std::string>{"begin", "colour", "position P", "indices I", "texture 0 none",
                                                        "world", "view", "projection", "draw"}));

    // A geometry with its own colours keeps them.
    Ptr<Triangles> painted = MakeMesh("p");
    painted->SetColors(new ColorBuffer(3, new Vector4[3], String("C")));
    ColorBuffer* own = painted->GetColors();
    painted->SetEffect(new ColorEffect());
    painted->Draw(Device());
    EXPECT_EQ(painted->GetColors(), own);

    // Without vertices the pass refuses and nothing is drawn.
    Device().calls.clear();
    Ptr<Triangles> empty = new Triangles(String("e"));
    auto* bare = new ColorEffect();
    empty->SetEffect(bare);
    Device().SetGeometry(empty.Get());
    ASSERT_EQ(bare->PassCount(), 1u);
    EXPECT_EQ(bare->ApplyPass(0), 1);
    EXPECT_EQ(Device().calls, (std::vector<std::string>{"begin"}));
    EXPECT_EQ(empty->GetColors(), nullptr);
}

TEST_F(EffectTest, TextureEffectBindsItsCoordinateSetAndTexture)
{
    Ptr<Triangles> mesh = MakeMesh("m");
    mesh->SetColors(new ColorBuffer(3, new Vector4[3], String("C")));
    ASSERT_EQ(mesh->SetTextureCoordinates(2, new Vector2Buffer(3, new Vector2[3], String("UV2"))), 0);
    auto* effect = new TextureEffect();
    ASSERT_EQ(effect->SetTexture(new Texture(String("T"))), 0);
    effect->SetTexCoordSet(2);
    mesh->SetEffect(effect);

    mesh->Draw(Device());
    EXPECT_EQ(Device().calls,
              (std::vector<std::string>{"begin", "colour C", "position P", "indices I", "texture 0 none", "world", "view",
                                        "projection", "coordinates 0 UV2", "texture 0 T", "draw"}));
}

TEST_F(EffectTest, EffectsComeBackFromAFileWithEverySetting)
{
    Ptr<SkinController> skin = new SkinController(String("skin"));
    Ptr<TextureEffect> effect = new TextureEffect(String("fx"));
    effect->SetStencil(true, 3, 9, 1, 2, 4); // not streamed: stays default on load
    effect->SetMaterial(Vector4(1, 0, 0, 1), Vector4(0, 1, 0, 1), Vector4(0, 0, 1, 1), Vector4(1, 1, 0, 1), 9);
    effect->SetAlphaTest(true, 77);
    effect->SetBlend(true, 2, 3);
    effect->SetCullEnabled(false);
    effect->SetFog(true, Vector4(0.1f, 0.2f, 0.3f, 0.4f), 0.25f, 3.0f);
    effect->SetWind(true, 0.5f, 4.0f);
    effect->SetSampler(0, 0, 5, 1);
    effect->SetSampler(5, 2, 5, 1); // border saves as wrap
    effect->SetColor(Vector4(0.5f, 0.25f, 0.125f, 1.0f));
    ASSERT_EQ(effect->SetTexture(new Texture(String("T"))), 0);
    effect->SetTexCoordSet(3);
    ASSERT_EQ(effect->SetSkinController(skin.Get()), 0);

    Ptr<Object> loaded = Deserialize(Serialize(effect.Get()));
    ASSERT_TRUE(loaded && loaded->IsDerived(TextureEffect::TYPE));
    auto* copy = static_cast<TextureEffect*>(loaded.Get());
    EXPECT_EQ(copy->GetName(), String("fx"));
    EXPECT_FALSE(copy->GetStencilEnabled());
    EXPECT_EQ(copy->GetDiffuse().x, 1.0f);
    EXPECT_EQ(copy->GetEmissive().y, 1.0f);
    EXPECT_EQ(copy->GetPower(), 9.0f);
    EXPECT_TRUE(copy->GetAlphaTestEnabled());
    EXPECT_EQ(copy->GetAlphaReference(), 77);
    EXPECT_TRUE(copy->GetBlendEnabled());
    EXPECT_EQ(copy->GetSourceBlend(), 2);
    EXPECT_EQ(copy->GetDestinationBlend(), 3);
    EXPECT_FALSE(copy->GetCullEnabled());
    EXPECT_TRUE(copy->GetFogEnabled());
    EXPECT_EQ(copy->GetFogColour().w, 0.4f);
    EXPECT_EQ(copy->GetFogDensity(), 0.25f);
    EXPECT_EQ(copy->GetFogExponent(), 3.0f);
    EXPECT_TRUE(copy->GetWindEnabled());
    EXPECT_EQ(copy->GetWindAmplitude(), 0.5f);
    EXPECT_EQ(copy->GetWindSpeed(), 4.0f);
    EXPECT_EQ(copy->GetAddressMode(0), 0);
    EXPECT_EQ(copy->GetAddressMode(1), 1);
    EXPECT_EQ(copy->GetAddressMode(5), 1);
    EXPECT_EQ(copy->GetColor().z, 0.125f);
    ASSERT_NE(copy->GetTexture(), nullptr);
    EXPECT_EQ(copy->GetTexture()->GetName(), String("T"));
    EXPECT_EQ(copy->GetTexCoordSet(), 3u);
    ASSERT_NE(copy->GetSkinController(), nullptr);
    EXPECT_EQ(copy->GetSkinController()->GetName(), String("skin"));
}

TEST_F(EffectTest, AddressMaskAndFlagBitsLoadAsDescribed)
{
    struct Case
    {
        uint8_t mask;
        uint8_t flags;
        bool blend;
        bool cull;
    };
    for (const Case& c : {Case{0x01, 0x11, true, false}, Case{0x80, 0x00, false, true}, Case{0x00, 0x04, true, true},
                          Case{0xFF, 0x20, false, false}})
    {
        ColorEffect effect;
        ByteStream stream(Record(effect, [&](Stream& s) {
            WriteGeometryFields(s, c.mask, c.flags, nullptr);
            s.WriteVector4(Vector4(1, 1, 1, 1));
        }));
        ASSERT_EQ(effect.Load(stream), 0);
        EXPECT_EQ(effect.GetBlendEnabled(), c.blend) << int(c.flags);
        EXPECT_EQ(effect.GetCullEnabled(), c.cull) << int(c.flags);
        for (uint32_t i = 0; i < 8; ++i)
            EXPECT_EQ(effect.GetAddressMode(i), (c.mask >> i) & 1 ? 0 : 1) << int(c.mask) << " stage " << i;
        EXPECT_EQ(effect.GetAlphaReference(), 128);
        EXPECT_EQ(effect.GetFogExponent(), 3.0f);
    }
}

TEST_F(EffectTest, LinksOfTheWrongClassCountAsMissingAndShortRecordsFail)
{
    Ptr<Light> stranger = new Light(String("stranger"));
    TextureEffect effect;
    ByteStream stream(Record(effect, [&](Stream& s) {
        WriteGeometryFields(s, 0, 0, stranger.Get()); // a light where the skin controller goes
        s.WriteVector4(Vector4(1, 1, 1, 1));
        s.WriteLink(stranger.Get()); // the same light where the texture goes
        s.WriteUInt32(1);
    }));
    ASSERT_EQ(effect.Load(stream), 0);
    EXPECT_EQ(effect.GetSkinController(), nullptr);
    EXPECT_EQ(effect.GetTexture(), nullptr);
    EXPECT_EQ(effect.GetTexCoordSet(), 1u);

    // Cut short inside the texture effect's fields: a clean failure.
    LogCapture log;
    TextureEffect cut;
    ByteStream shortStream(Record(cut, [&](Stream& s) {
        WriteGeometryFields(s, 0, 0, nullptr);
        s.WriteVector4(Vector4(1, 1, 1, 1));
        s.WriteLink(nullptr);
    }));
    EXPECT_EQ(cut.Load(shortStream), 1);
    EXPECT_TRUE(log.Contains("Невозможно загрузить номер набора текстурных координат."));

    // Cut short inside the shared settings.
    ColorEffect early;
    ByteStream earlyStream(Record(early, [&](Stream& s) { s.WriteInt8(1); }));
    EXPECT_EQ(early.Load(earlyStream), 1);
    EXPECT_NE(earlyStream.GetState(), 0);
}

TEST_F(EffectTest, SettersRefuseReferencesThatWouldCloseACycle)
{
    Ptr<SceneNode> root = new SceneNode(String("root"));
    Ptr<Triangles> mesh = MakeMesh("m");
    ASSERT_EQ(root->AttachChild(mesh.Get()), 0);
    auto* effect = new TextureEffect();
    mesh->SetEffect(effect);

    // A texture and a skin controller whose controller holds the scene
    // that holds the effect.
    Ptr<Texture> texture = new Texture(String("T"));
    ASSERT_EQ(texture->SetController(new HoldingController(root.Get())), 0);
    Ptr<SkinController> holder = new SkinController(String("holder"));
    ASSERT_EQ(holder->SetController(new HoldingController(root.Get())), 0);
    LogCapture log;
    EXPECT_EQ(effect->SetTexture(texture.Get()), 3);
    EXPECT_EQ(effect->GetTexture(), nullptr);
    EXPECT_EQ(effect->SetSkinController(holder.Get()), 3);
    EXPECT_EQ(effect->GetSkinController(), nullptr);
    EXPECT_EQ(log.Count("уже содержит этот эффект"), 2u);

    // What the effect holds is seen through it: its passes and state blocks.
    ASSERT_EQ(effect->PassCount(), 1u);
    Pass* pass = effect->GetActiveTechnique()->GetPass(0);
    EXPECT_TRUE(mesh->Holds(pass));
    EXPECT_TRUE(mesh->Holds(pass->GetState()));
    Ptr<Texture> plain = new Texture(String("plain"));
    ASSERT_EQ(effect->SetTexture(plain.Get()), 0);
    EXPECT_TRUE(root->Holds(plain.Get()));
}

TEST_F(EffectTest, SkinControllerLinkFollowsTheDeviceShaderLevel)
{
    Ptr<Triangles> mesh = MakeMesh("m");
    Ptr<SkinController> skin = new SkinController(String("skin"));
    ASSERT_EQ(mesh->SetController(skin.Get()), 0);
    auto* effect = new ColorEffect();
    mesh->SetEffect(effect);

    skin->SetCpuSkinning(false);
    ASSERT_EQ(effect->SetSkinController(skin.Get()), 0);
    EXPECT_TRUE(skin->GetCpuSkinning());
    auto* bound = static_cast<SphereBoundingVolume*>(mesh->GetWorldBound());
    ASSERT_TRUE(bound && bound->IsDerived(SphereBoundingVolume::TYPE));
    EXPECT_EQ(bound->GetRadius(), FLT_MAX);
    EXPECT_FALSE(mesh->GetUpdateWorldBound());

    Device().vertexShaderLevel = 1;
    effect->Update(0.5);
    EXPECT_EQ(effect->GetTime(), 0.5f);
    EXPECT_FALSE(skin->GetCpuSkinning());
    EXPECT_EQ(effect->GetSkinController(), skin.Get());

    Device().vertexShaderLevel = 0;
    effect->Update(0.25);
    EXPECT_EQ(effect->GetSkinController(), nullptr);
    EXPECT_TRUE(skin->GetCpuSkinning());
    EXPECT_EQ(effect->GetTime(), 0.75f);
}
