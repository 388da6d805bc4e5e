#include <gtest/gtest.h>

#include <cfloat>
#include <string>
#include <vector>

#include "engine/render/ColorEffect.h"
#include "engine/render/GeometryNodeEffectPass.h"
#include "engine/render/Technique.h"
#include "engine/render/Texture1DLEffect.h"
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
#include "scene/SceneTestSupport.h"
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
        return Call("texture " + std::to_string(stage), texture);
    }
    int32_t SetPositionStream(Buffer* buffer) override { return Call("position", buffer); }
    int32_t SetNormalStream(Buffer* buffer) override { return Call("normal", buffer); }
    int32_t SetColorStream(Buffer* buffer) override { return Call("colour", buffer); }
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

private:
    // The call and the name of what it binds, when that has one.
    int32_t Call(const std::string& what, Object* bound)
    {
        calls.push_back(bound && bound->GetName().Length() ? what + " " + bound->GetName().CStr() : what);
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
        if (needsShaders && renderer.GetCaps().vertexShaderLevel == ShaderLevel::None)
            return false;
        if (GetPassCount() == 0)
            for (uint32_t i = 0; i < passCount; ++i)
                AddPass(new CountingPass(effect));
        return true;
    }
    CountingPass* Counting(uint32_t index) const { return static_cast<CountingPass*>(GetPass(index)); }

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

    void VertexShaderLevel(ShaderLevel level)
    {
        DeviceCaps caps;
        caps.vertexShaderLevel = level;
        Device().SetCapsForTest(caps);
    }

    // The state of pass index of the effect's chosen technique; defaults
    // (and a failure) when there is no such pass.
    static const RenderState& StateOf(GeometryNodeEffect& effect, uint32_t index = 0)
    {
        static const RenderState none;
        const bool present = effect.PassCount() > index;
        EXPECT_TRUE(present) << "no pass " << index;
        return present ? *effect.GetActiveTechnique()->GetPass(index)->GetState() : none;
    }

    // effect's Object record followed by whatever write adds, for loading
    // records built by hand.
    template <typename Write> static std::vector<uint8_t> Record(Object& effect, Write write)
    {
        Stream stream(0, 256);
        EXPECT_EQ(effect.Object::Save(stream), 0);
        write(stream);
        return WrittenBytes(stream);
    }

    // The GeometryNodeEffect fields with the given address mask, flags and
    // blend factor numbers.
    static void WriteGeometryFields(Stream& stream, uint8_t mask, uint8_t flags, Object* skin, uint32_t source = 1,
                                    uint32_t destination = 0)
    {
        stream.WriteInt8(static_cast<int8_t>(mask));
        for (int i = 0; i < 4; ++i)
            stream.WriteVector4(Vector4(0.1f * i, 0.2f, 0.3f, 1.0f));
        stream.WriteFloat(7.0f);
        stream.WriteBool(true);
        stream.WriteUInt32(128);
        stream.WriteInt8(static_cast<int8_t>(flags));
        stream.WriteUInt32(source);
        stream.WriteUInt32(destination);
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

// The first technique the device supports is chosen (when to choose and
// that the choice stays is tested with the lit effect's techniques).
TEST_F(EffectTest, PassesAreAppliedInOrderAndARefusingPassIsSkipped)
{
    VertexShaderLevel(ShaderLevel::None);
    Ptr<Triangles> mesh = MakeMesh("m");
    auto* effect = new TechniqueEffect();
    effect->Add(true, 1);
    LevelTechnique* technique = effect->Add(false, 3);
    mesh->SetEffect(effect);
    ASSERT_EQ(effect->PassCount(), 3u);
    EXPECT_EQ(effect->GetActiveTechnique(), technique);
    technique->Counting(1)->result = 1;

    mesh->Draw(Device());
    EXPECT_EQ(Device().calls, (std::vector<std::string>{"begin", "draw", "begin", "begin", "draw"}));
    for (uint32_t i = 0; i < 3; ++i)
        EXPECT_EQ(technique->Counting(i)->applied, 1);
    EXPECT_EQ(effect->ApplyPass(3), 1); // past the last pass

    // Only unsupported techniques: nothing to draw, nothing applied.
    TechniqueEffect none;
    none.Add(true, 1);
    EXPECT_EQ(none.PassCount(), 0u);
    EXPECT_EQ(none.GetActiveTechnique(), nullptr);
    EXPECT_EQ(none.ApplyPass(0), 1);
}

TEST_F(EffectTest, MarkChangedCopiesTheEffectSettingsIntoEveryPassState)
{
    TechniqueEffect effect;
    LevelTechnique* technique = effect.Add(false, 2);
    ASSERT_EQ(effect.PassCount(), 2u);
    technique->GetPass(1)->ClearChanged();
    effect.SetDepth(false, false);
    EXPECT_TRUE(technique->GetPass(1)->IsChanged());
    effect.SetStencil(true, CompareFunction::Equal, 9, StencilOperation::Zero, StencilOperation::Replace,
                      StencilOperation::Increment);
    effect.SetWireframe(true);
    effect.SetAlphaTest(true, 200);
    effect.SetBlend(true, BlendFactor::One, BlendFactor::DestinationColour);
    effect.SetCullEnabled(false);
    effect.SetFog(true, Vector4(0.1f, 0.2f, 0.3f, 1.0f), 0.5f, 2.0f);
    effect.SetSampler(3, AddressMode::Clamp, TextureFilter::Linear, TextureFilter::Nearest);
    effect.SetMaterial(Vector4(1, 0, 0, 1), Vector4(0, 1, 0, 1), Vector4(0, 0, 1, 1), Vector4(1, 1, 0, 1), 9);

    // Besides the settings: the alpha test always passes greater or equal,
    // and an exponent of exactly 2 stays exponential.
    RenderState want{.blendEnabled = true, .sourceBlend = BlendFactor::One,
                     .destinationBlend = BlendFactor::DestinationColour,
                     .alphaTestEnabled = true, .alphaFunction = CompareFunction::GreaterEqual, .alphaReference = 200,
                     .cullEnabled = false,
                     .fogEnabled = true, .fogDensity = 0.5f, .fogColour = Vector4(0.1f, 0.2f, 0.3f, 1.0f),
                     .fogMode = FogMode::Exponential,
                     .diffuse = Vector4(1, 0, 0, 1), .ambient = Vector4(0, 1, 0, 1), .specular = Vector4(0, 0, 1, 1),
                     .emissive = Vector4(1, 1, 0, 1), .power = 9.0f,
                     .fillMode = FillMode::Wireframe, .depthEnabled = false, .depthWrite = false,
                     .stencilEnabled = true, .stencilFunction = CompareFunction::Equal, .stencilReference = 9,
                     .stencilFail = StencilOperation::Zero, .stencilDepthFail = StencilOperation::Replace,
                     .stencilPass = StencilOperation::Increment,
                     .stages = {{}, {}, {}, {.magFilter = TextureFilter::Nearest, .minFilter = TextureFilter::Linear,
                                             .addressU = AddressMode::Clamp, .addressV = AddressMode::Clamp,
                                             .addressW = AddressMode::Clamp}}};
    EXPECT_TRUE(StateOf(effect, 0) == want);
    EXPECT_TRUE(StateOf(effect, 1) == want);

    effect.SetFog(true, want.fogColour, 0.5f, 2.5f);
    want.fogMode = FogMode::ExponentialSquared;
    EXPECT_TRUE(StateOf(effect, 1) == want);
    EXPECT_TRUE(effect.IsTransparent());
}

// A colour effect fills missing colours with its colour; a texture effect
// keeps the geometry's own and binds its coordinate set to stage 0 with its
// texture. Every binding comes after the pass has begun.
TEST_F(EffectTest, ColourAndTextureEffectsBindTheirStreamsAfterBeginningThePass)
{
    Ptr<Triangles> mesh = MakeMesh("m");
    auto* effect = new ColorEffect();
    effect->SetColor(Vector4(0.25f, 0.5f, 0.75f, 1.0f));
    mesh->SetEffect(effect);
    Ptr<Triangles> painted = MakeMesh("p");
    painted->SetColors(new ColorBuffer(3, new Vector4[3], String("C")));
    ASSERT_EQ(painted->SetTextureCoordinates(2, new Vector2Buffer(3, new Vector2[3], String("UV2"))), 0);
    auto* textured = new TextureEffect();
    ASSERT_EQ(textured->SetTexture(new Texture(String("T"))), 0);
    textured->SetTexCoordSet(2);
    painted->SetEffect(textured);

    mesh->Draw(Device());
    painted->Draw(Device());
    EXPECT_EQ(Device().calls,
              (std::vector<std::string>{"begin", "colour", "position P", "indices I", "texture 0", "world", "view",
                                        "projection", "draw", "begin", "colour C", "position P", "indices I",
                                        "texture 0", "world", "view", "projection", "coordinates 0 UV2", "texture 0 T",
                                        "draw"}));

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

// Every effect class with every setting saved, loaded and saved again
// gives the same bytes; the pass state comes back whole, but for a border
// address, which is saved as wrap.
TEST_F(EffectTest, EffectsSaveBackByteForByteWithEverySetting)
{
    Ptr<TextureEffect> textured = new TextureEffect(String("fx"));
    Ptr<Texture1DLEffect> lit = new Texture1DLEffect(String("lit"));
    for (TextureEffect* effect : {textured.Get(), static_cast<TextureEffect*>(lit.Get())})
    {
        effect->SetMaterial(Vector4(1, 0, 0, 1), Vector4(0, 1, 0, 1), Vector4(0, 0, 1, 1), Vector4(1, 1, 0, 1), 9);
        effect->SetAlphaTest(true, 77);
        effect->SetBlend(true, BlendFactor::SourceColour, BlendFactor::InverseSourceColour);
        effect->SetCullEnabled(false);
        effect->SetFog(true, Vector4(0.1f, 0.2f, 0.3f, 0.4f), 0.25f, 3.0f);
        effect->SetWind(true, 0.5f, 4.0f);
        effect->SetSampler(0, AddressMode::Clamp, TextureFilter::LinearMipLinear, TextureFilter::Linear);
        effect->SetSampler(5, AddressMode::Border, TextureFilter::LinearMipLinear, TextureFilter::Linear);
        effect->SetColor(Vector4(0.5f, 0.25f, 0.125f, 1.0f));
        ASSERT_EQ(effect->SetTexture(new Texture(String("T"))), 0);
        effect->SetTexCoordSet(3);
        ASSERT_EQ(effect->SetSkinController(new SkinController(String("skin"))), 0);
    }
    ASSERT_EQ(lit->SetLight(new Light(String("sun"))), 0);

    for (TextureEffect* effect : {textured.Get(), static_cast<TextureEffect*>(lit.Get())})
    {
        const std::vector<uint8_t> saved = Serialize(effect);
        Ptr<Object> loaded = Deserialize(saved);
        ASSERT_TRUE(loaded && loaded->IsExactly(effect->GetRtti()));
        EXPECT_EQ(CanonicalLinks(Serialize(loaded.Get())), CanonicalLinks(saved)) << effect->GetName().CStr();
        RenderState want = StateOf(*effect);
        want.stages[5].addressU = want.stages[5].addressV = want.stages[5].addressW = AddressMode::Wrap;
        EXPECT_TRUE(StateOf(*static_cast<TextureEffect*>(loaded.Get())) == want);
    }
}

// The flags byte turns blending on with any of its low four bits and
// culling off with any high one; the address mask clamps stage i by bit i.
// Saved back, the record is the same but for the flags written plainly, and
// blend factor numbers the device does not know are kept as stored (it
// draws them with its fallback) and saved back unchanged.
TEST_F(EffectTest, RecordsLoadAsDescribedAndSaveBackUnchanged)
{
    struct Case
    {
        uint8_t mask;
        uint8_t flags;
        bool blend;
        bool cull;
        uint32_t source;
        uint32_t destination;
    };
    for (const Case& c : {Case{0x01, 0x11, true, false, 10, 0xFFFFFFFFu}, Case{0x80, 0x00, false, true, 1, 0},
                          Case{0x00, 0x04, true, true, 2, 3}, Case{0xFF, 0x20, false, false, 5, 4}})
    {
        SCOPED_TRACE(int(c.flags));
        ColorEffect effect;
        auto record = [&](uint8_t flags) {
            return Record(effect, [&](Stream& s) {
                WriteGeometryFields(s, c.mask, flags, nullptr, c.source, c.destination);
                s.WriteVector4(Vector4(1, 1, 1, 1));
            });
        };
        ByteStream stream(record(c.flags));
        ASSERT_EQ(effect.Load(stream), 0);
        EXPECT_EQ(effect.GetBlendEnabled(), c.blend);
        EXPECT_EQ(effect.GetCullEnabled(), c.cull);
        for (uint32_t i = 0; i < 8; ++i)
            EXPECT_EQ(effect.GetAddressMode(i), (c.mask >> i) & 1 ? AddressMode::Clamp : AddressMode::Wrap) << i;
        EXPECT_EQ(ToInt(effect.GetSourceBlend()), static_cast<int32_t>(c.source));
        Stream out(0, 256);
        ASSERT_EQ(effect.Save(out), 0);
        EXPECT_EQ(WrittenBytes(out), record((c.blend ? 0x01 : 0) | (c.cull ? 0 : 0x10)));
    }
}

// A light where the skin controller and the texture go counts as missing;
// a record cut short fails cleanly, inside the texture effect's fields or
// inside the shared settings.
TEST_F(EffectTest, LinksOfTheWrongClassCountAsMissingAndShortRecordsFail)
{
    Ptr<Light> stranger = new Light(String("stranger"));
    TextureEffect effect;
    ByteStream stream(Record(effect, [&](Stream& s) {
        WriteGeometryFields(s, 0, 0, stranger.Get());
        s.WriteVector4(Vector4(1, 1, 1, 1));
        s.WriteLink(stranger.Get());
        s.WriteUInt32(1);
    }));
    ASSERT_EQ(effect.Load(stream), 0);
    EXPECT_EQ(effect.GetSkinController(), nullptr);
    EXPECT_EQ(effect.GetTexture(), nullptr);
    EXPECT_EQ(effect.GetTexCoordSet(), 1u);

    LogCapture log;
    ByteStream cut(Record(effect, [&](Stream& s) {
        WriteGeometryFields(s, 0, 0, nullptr);
        s.WriteVector4(Vector4(1, 1, 1, 1));
        s.WriteLink(nullptr);
    }));
    EXPECT_EQ(effect.Load(cut), 1);
    EXPECT_TRUE(log.Contains("Невозможно загрузить номер набора текстурных координат."));
    ColorEffect early;
    ByteStream earlyStream(Record(early, [&](Stream& s) { s.WriteInt8(1); }));
    EXPECT_EQ(early.Load(earlyStream), 1);
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

    // Through its light the lit effect holds the light: a controller holding
    // the effect may not go on that light, nor may a light holding the
    // effect become its light.
    Ptr<Light> sun = new Light(String("sun"));
    Ptr<Texture1DLEffect> lit = new Texture1DLEffect(String("lit"));
    ASSERT_EQ(lit->SetLight(sun.Get()), 0);
    Ptr<Controller> holdsLit = new HoldingController(lit.Get());
    log.Clear();
    EXPECT_EQ(sun->SetController(holdsLit.Get()), 3);
    Ptr<Light> lightHolder = new Light(String("holder"));
    ASSERT_EQ(lightHolder->SetController(holdsLit.Get()), 0);
    EXPECT_EQ(lit->SetLight(lightHolder.Get()), 3);
    EXPECT_EQ(lit->GetLight(), sun.Get());
    EXPECT_EQ(log.Lines().size(), 2u);
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

    // The colour effect has no skinned program: the link stays, and so
    // does the skinning on the CPU.
    VertexShaderLevel(ShaderLevel::Model2);
    effect->Update(0.5);
    EXPECT_EQ(effect->GetTime(), 0.5f);
    EXPECT_TRUE(skin->GetCpuSkinning());
    EXPECT_EQ(effect->GetSkinController(), skin.Get());

    VertexShaderLevel(ShaderLevel::Model1);
    effect->Update(0.25);
    EXPECT_EQ(effect->GetSkinController(), nullptr);
    EXPECT_TRUE(skin->GetCpuSkinning());
    EXPECT_EQ(effect->GetTime(), 0.75f);
}
