// Texture1DLEffect without a device: which technique a device's levels
// choose, what each pass binds and which constant registers it fills, and
// the effect's stream record.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/files/ModuleManager.h"
#include "engine/files/StaticModule.h"
#include "engine/render/Shader.h"
#include "engine/render/Texture1DLEffect.h"
#include "engine/render/Texture1DLPrograms.h"
#include "engine/scene/Camera.h"
#include "engine/core/Controller.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Light.h"
#include "engine/scene/Node.h"
#include "engine/scene/SkinController.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/scene/Vector4Buffer.h"
#include "scene/SceneTestSupport.h"
#include "support/LogCapture.h"

namespace
{

// Keeps the register files and the bindings a pass leaves behind.
class ConstantRecorder : public RecordingRenderer
{
public:
    int32_t SetVertexShader(Shader* shader) override
    {
        vertexShader = shader;
        return 0;
    }
    int32_t SetPixelShader(Shader* shader) override
    {
        pixelShader = shader;
        return 0;
    }
    int32_t SetVertexShaderConstants(uint32_t start, const float* data, uint32_t count) override
    {
        return Write(vertex, 256, start, data, count);
    }
    int32_t SetPixelShaderConstants(uint32_t start, const float* data, uint32_t count) override
    {
        return Write(pixel, 32, start, data, count);
    }
    int32_t SetPositionStream(Buffer* buffer) override
    {
        position = buffer;
        return 0;
    }
    int32_t SetNormalStream(Buffer* buffer) override
    {
        normal = buffer;
        return 0;
    }
    int32_t SetBlendWeightStream(Buffer* buffer) override
    {
        weights = buffer;
        return 0;
    }
    int32_t SetBlendIndexStream(Buffer* buffer) override
    {
        boneIndices = buffer;
        return 0;
    }

    Vector4 Vertex(uint32_t r) const { return {vertex[r * 4], vertex[r * 4 + 1], vertex[r * 4 + 2], vertex[r * 4 + 3]}; }
    Vector4 Pixel(uint32_t r) const { return {pixel[r * 4], pixel[r * 4 + 1], pixel[r * 4 + 2], pixel[r * 4 + 3]}; }

    Shader* vertexShader = nullptr;
    Shader* pixelShader = nullptr;
    Buffer* position = nullptr;
    Buffer* normal = nullptr;
    Buffer* weights = nullptr;
    Buffer* boneIndices = nullptr;
    std::vector<float> vertex = std::vector<float>(256 * 4, -7.0f);
    std::vector<float> pixel = std::vector<float>(32 * 4, -7.0f);

private:
    static int32_t Write(std::vector<float>& file, uint32_t registers, uint32_t start, const float* data,
                         uint32_t count)
    {
        if (!data || start + count > registers)
            return 3;
        std::memcpy(&file[start * 4], data, count * 4 * sizeof(float));
        return 0;
    }
};

int32_t ModuleNothing()
{
    return 0;
}

int32_t CreateConstantRecorder(Renderer** place)
{
    if (!place || GetRenderer())
        return 1;
    *place = new ConstantRecorder();
    return 0;
}

void ExpectVector(const Vector4& got, const Vector4& want, const char* what, float tolerance = 1e-5f)
{
    EXPECT_NEAR(got.x, want.x, tolerance) << what;
    EXPECT_NEAR(got.y, want.y, tolerance) << what;
    EXPECT_NEAR(got.z, want.z, tolerance) << what;
    EXPECT_NEAR(got.w, want.w, tolerance) << what;
}

void ExpectRows(const ConstantRecorder& device, uint32_t first, const Matrix4& m, const char* what)
{
    for (uint32_t r = 0; r < 4; ++r)
        ExpectVector(device.Vertex(first + r), Vector4(m.m[r][0], m.m[r][1], m.m[r][2], m.m[r][3]), what, 1e-4f);
}

// A controller that holds one object, so a light can be made to hold the
// effect.
class EffectHolder : public Controller
{
public:
    explicit EffectHolder(Object* held) : held(held) {}
    bool Holds(const Object* other) const override
    {
        return Controller::Holds(other) || held.Get() == other || held->Holds(other);
    }

private:
    Ptr<Object> held;
};

class Texture1DLEffectTest : public SceneTest
{
protected:
    void SetUp() override
    {
        SceneTest::SetUp();
        DestroyRenderer();
        Ptr<StaticModule> module = new StaticModule(String("ConstantRecorder"));
        module->AddFunction(String("Initialize"), &ModuleNothing);
        module->AddFunction(String("Shutdown"), &ModuleNothing);
        module->AddFunction(String("CreateRenderer"),
                            reinterpret_cast<ModuleFunction>(reinterpret_cast<void (*)()>(&CreateConstantRecorder)));
        ASSERT_EQ(ModuleManager::RegisterModule(module.Get()), 0);
        ASSERT_EQ(CreateRenderer(String("ConstantRecorder")), 0);
        Camera* camera = new Camera(String("eye"));
        camera->GetLocalTransform().SetTranslation(Vector3(0.5f, 1.0f, -2.0f));
        camera->UpdateTree(0.0);
        GetRenderer()->SetCamera(camera);
        DeviceCaps caps;
        caps.simultaneousTextures = 4;
        caps.maxLights = 8;
        Device().SetCapsForTest(caps);

        light = new Light(String("sun"));
        light->SetLightType(Light::kFixedDirectional);
        light->SetAmbient(Vector4(0.1f, 0.2f, 0.3f, 1.0f));
        light->SetDiffuse(Vector4(0.4f, 0.5f, 0.6f, 1.0f));
        light->SetSpecular(Vector4(0.7f, 0.8f, 0.9f, 1.0f));

        node = new Triangles(String("quad"));
        node->SetVertices(new Vector3Buffer(3, new Vector3[3]{Vector3(0, 0, 0), Vector3(1, 0, 0), Vector3(0, 1, 0)}));
        node->SetNormals(new Vector3Buffer(3, new Vector3[3]{Vector3(0, 0, -1), Vector3(0, 0, -1), Vector3(0, 0, -1)}));
        node->SetTextureCoordinates(0, new Vector2Buffer(3, new Vector2[3]{}));
        node->SetIndices(new IntBuffer(3, new int32_t[3]{0, 1, 2}));
        world = Transform(Vector3(1, 2, 3), Quaternion::FromAxisAngle(Vector3(0, 1, 0), 1.5707963f), Vector3(1, 1, 1));
        node->SetLocalTransform(world);
        node->GetWorldTransform() = world;

        effect = new Texture1DLEffect(String("lit"));
        effect->SetMaterial(Vector4(0.11f, 0.12f, 0.13f, 1.0f), Vector4(0.21f, 0.22f, 0.23f, 1.0f),
                            Vector4(0.31f, 0.32f, 0.33f, 1.0f), Vector4(0.41f, 0.42f, 0.43f, 1.0f), 9.0f);
        effect->SetFog(true, Vector4(1, 1, 1, 1), 0.02f, 3.0f);
        effect->SetWind(false, 0.25f, 1.5f);
        node->SetEffect(effect.Get());
    }

    void TearDown() override
    {
        effect = nullptr;
        node = nullptr;
        light = nullptr;
        SceneTest::TearDown();
    }

    ConstantRecorder& Device() { return *static_cast<ConstantRecorder*>(GetRenderer()); }

    void Levels(ShaderLevel vertex, ShaderLevel pixel, int32_t textures = 4)
    {
        DeviceCaps caps = Device().GetCaps();
        caps.vertexShaderLevel = vertex;
        caps.pixelShaderLevel = pixel;
        caps.simultaneousTextures = textures;
        Device().SetCapsForTest(caps);
    }

    // One draw of the node, as the traversal does it.
    void DrawOnce()
    {
        Device().SetGeometry(node.Get());
        const uint32_t passes = effect->PassCount();
        ASSERT_EQ(passes, 1u);
        ASSERT_EQ(effect->ApplyPass(0), 0);
        Device().PopAllLights();
    }

    Ptr<Light> light;
    Ptr<Triangles> node;
    Ptr<Texture1DLEffect> effect;
    Transform world;
};

TEST_F(Texture1DLEffectTest, DeviceLevelsChooseTheTechniqueOnceAndForAll)
{
    struct Case
    {
        ShaderLevel vertex, pixel;
        int32_t textures;
        Texture1DLEffect::Lighting want;
    };
    using enum ShaderLevel;
    const Case cases[] = {
        {Model2, Model2, 2, Texture1DLEffect::kPixelLit},     {Model3, Model3, 8, Texture1DLEffect::kPixelLit},
        {Model2, None, 8, Texture1DLEffect::kVertexLit},      {Model1, Model1, 8, Texture1DLEffect::kVertexLit},
        {Model1, Model2, 8, Texture1DLEffect::kVertexLit},    {Model3, Model1, 8, Texture1DLEffect::kVertexLit},
        {None, None, 8, Texture1DLEffect::kFixedFunction},    {None, Model2, 8, Texture1DLEffect::kFixedFunction},
        {Model2, Model2, 1, Texture1DLEffect::kFixedFunction},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE("levels " + std::to_string(ToInt(c.vertex)) + "/" + std::to_string(ToInt(c.pixel)) +
                     ", textures " + std::to_string(c.textures));
        Levels(c.vertex, c.pixel, c.textures);
        Ptr<Texture1DLEffect> fresh = new Texture1DLEffect();
        EXPECT_EQ(fresh->GetLighting(), Texture1DLEffect::kNotChosen);
        EXPECT_EQ(fresh->PassCount(), 1u);
        EXPECT_EQ(fresh->GetLighting(), c.want);
        // A device that changes later does not change the choice.
        Levels(ShaderLevel::None, ShaderLevel::None);
        EXPECT_EQ(fresh->PassCount(), 1u);
        EXPECT_EQ(fresh->GetLighting(), c.want);
    }
}

TEST_F(Texture1DLEffectTest, VertexLitPassFillsTheRegisterTableInObjectSpace)
{
    Levels(ShaderLevel::Model1, ShaderLevel::None);
    effect->SetLight(light.Get());
    DrawOnce();
    ConstantRecorder& d = Device();
    ASSERT_NE(d.vertexShader, nullptr);
    EXPECT_STREQ(d.vertexShader->GetText().CStr(), Texture1DLPrograms::kVertexLit);
    EXPECT_EQ(d.pixelShader, nullptr);

    Camera& camera = *d.GetCamera();
    const Matrix4 w = world.ToMatrix();
    ExpectRows(d, 0, w * camera.GetView() * camera.GetProjection(), "world-view-projection");
    ExpectRows(d, 4, w * camera.GetView(), "world-view");
    ExpectVector(d.Vertex(8), Vector4(0.21f, 0.22f, 0.23f, 1.0f), "material ambient");
    ExpectVector(d.Vertex(9), Vector4(0.11f, 0.12f, 0.13f, 1.0f), "material diffuse");
    ExpectVector(d.Vertex(10), Vector4(0.31f, 0.32f, 0.33f, 1.0f), "material specular");
    ExpectVector(d.Vertex(11), Vector4(0.41f, 0.42f, 0.43f, 1.0f), "material emissive");
    EXPECT_FLOAT_EQ(d.Vertex(12).x, 9.0f);
    ExpectVector(d.Vertex(13), light->GetAmbient(), "light ambient");
    ExpectVector(d.Vertex(14), light->GetDiffuse(), "light diffuse");
    ExpectVector(d.Vertex(15), light->GetSpecular(), "light specular");
    // The world turns +x into -z (a quarter turn about y): the way to the
    // light, -z in the world, is +x (or -x) in the object, never z.
    Vector3 towards = world.rotation.Rotate(Vector3(d.Vertex(16).x, d.Vertex(16).y, d.Vertex(16).z));
    ExpectVector(Vector4(towards.x, towards.y, towards.z, 0), Vector4(0, 0, -1, 0), "light direction", 1e-4f);
    const Vector3 eyeBack = world.ApplyToPoint(Vector3(d.Vertex(17).x, d.Vertex(17).y, d.Vertex(17).z));
    const Vector3 eye = camera.GetPosition();
    ExpectVector(Vector4(eyeBack.x, eyeBack.y, eyeBack.z, 1), Vector4(eye.x, eye.y, eye.z, 1), "camera", 1e-4f);
    ExpectVector(d.Vertex(18), Vector4(0.02f, 3.0f, 0.25f, 1.5f), "fog");
}

TEST_F(Texture1DLEffectTest, PixelLitPassesSplitTheConstantsBetweenTheStagesAndFollowWindAndSkinning)
{
    Levels(ShaderLevel::Model2, ShaderLevel::Model2);
    effect->SetLight(light.Get());
    DrawOnce();
    ConstantRecorder& d = Device();
    EXPECT_STREQ(d.vertexShader->GetText().CStr(), Texture1DLPrograms::kPixelLitVertex);
    EXPECT_STREQ(d.pixelShader->GetText().CStr(), Texture1DLPrograms::kPixelLitPixel);
    ExpectVector(d.Vertex(9), Vector4(0.02f, 3.0f, 0.25f, 1.5f), "fog");
    ExpectVector(d.Pixel(0), light->GetSpecular(), "light specular");
    ExpectVector(d.Pixel(1), Vector4(0.31f, 0.32f, 0.33f, 1.0f), "material specular");
    const Vector3 towards = world.rotation.Rotate(Vector3(d.Pixel(2).x, d.Pixel(2).y, d.Pixel(2).z));
    ExpectVector(Vector4(towards.x, towards.y, towards.z, 0), Vector4(0, 0, -1, 0), "light direction", 1e-4f);
    EXPECT_FLOAT_EQ(d.Pixel(4).x, 9.0f);
    ExpectVector(d.Pixel(5), Vector4(0.21f, 0.22f, 0.23f, 1.0f), "material ambient");
    ExpectVector(d.Pixel(6), light->GetAmbient(), "light ambient");
    ExpectVector(d.Pixel(7), Vector4(0.11f, 0.12f, 0.13f, 1.0f), "material diffuse");
    ExpectVector(d.Pixel(8), light->GetDiffuse(), "light diffuse");
    ExpectVector(d.Pixel(9), Vector4(0.41f, 0.42f, 0.43f, 1.0f), "material emissive");

    // Wind: the sway program and its register, with the effect's clock.
    effect->SetWind(true, 0.25f, 1.5f);
    effect->Update(2.0);
    DrawOnce();
    EXPECT_STREQ(d.vertexShader->GetText().CStr(), Texture1DLPrograms::kPixelLitWindVertex);
    ExpectVector(d.Vertex(10), Vector4(0.25f, 1.5f, 2.0f, 0.0f), "wind");

    // Skinning: the controller's rest pose and influences, the palette from
    // c8, the camera and fog after it, all in world space.
    Ptr<Node> bones[2] = {new Node(String("a")), new Node(String("b"))};
    bones[1]->GetWorldTransform() = Transform(Vector3(0, 3, 0), Quaternion(), Vector3(1, 1, 1));
    Node* list[2] = {bones[0].Get(), bones[1].Get()};
    Ptr<SkinController> skin = new SkinController(String("skin"));
    skin->SetTarget(node.Get());
    skin->SetBones(2, list, nullptr);
    skin->SetRestVertices(new Vector3Buffer(3, new Vector3[3]{}));
    skin->SetRestNormals(new Vector3Buffer(3, new Vector3[3]{}));
    skin->SetWeights(new Vector4Buffer(3, new Vector4[3]{}));
    skin->SetBoneIndices(new Vector4Buffer(3, new Vector4[3]{}));
    ASSERT_EQ(effect->SetSkinController(skin.Get()), 0);
    effect->Update(0.0);
    skin->Update(0.0);
    DrawOnce();
    EXPECT_STREQ(d.vertexShader->GetText().CStr(), Texture1DLPrograms::kPixelLitSkinnedVertex);
    EXPECT_EQ(d.position, skin->GetRestVertices());
    EXPECT_EQ(d.normal, skin->GetRestNormals());
    EXPECT_EQ(d.weights, skin->GetWeights());
    EXPECT_EQ(d.boneIndices, skin->GetBoneIndices());
    Camera& camera = *d.GetCamera();
    ExpectRows(d, 0, camera.GetView() * camera.GetProjection(), "view-projection");
    ExpectRows(d, 4, camera.GetView(), "view");
    ExpectRows(d, 8, skin->GetBoneMatrices()[0], "bone 0");
    ExpectRows(d, 12, skin->GetBoneMatrices()[1], "bone 1");
    EXPECT_FLOAT_EQ(d.Vertex(15).y, 3.0f); // bone 1's translation row
    const Vector3 eye = camera.GetPosition();
    ExpectVector(d.Vertex(208), Vector4(eye.x, eye.y, eye.z, 1), "camera (world)");
    ExpectVector(d.Vertex(209), Vector4(0.02f, 3.0f, 0.25f, 1.5f), "fog");
    ExpectVector(d.Pixel(2), Vector4(0, 0, -1, 0), "light direction (world)");
}

TEST_F(Texture1DLEffectTest, SettingsChangedAfterTheChoiceReachTheChosenPass)
{
    Levels(ShaderLevel::Model1, ShaderLevel::None);
    DrawOnce();
    EXPECT_FLOAT_EQ(Device().Vertex(9).x, 0.11f);
    effect->SetMaterial(Vector4(0.9f, 0.8f, 0.7f, 1.0f), Vector4(0, 0, 0, 1), Vector4(0, 0, 0, 1),
                        Vector4(0, 0, 0, 1), 2.0f);
    DrawOnce();
    ExpectVector(Device().Vertex(9), Vector4(0.9f, 0.8f, 0.7f, 1.0f), "new diffuse");
    EXPECT_FLOAT_EQ(Device().Vertex(12).x, 2.0f);
    effect->SetWind(true, 0.1f, 0.2f);
    DrawOnce();
    EXPECT_STREQ(Device().vertexShader->GetText().CStr(), Texture1DLPrograms::kVertexLitWind);
}

TEST_F(Texture1DLEffectTest, FixedFunctionPassLightsWithTheHardwareLightAndNoPrograms)
{
    Levels(ShaderLevel::None, ShaderLevel::None);
    effect->SetLight(light.Get());
    Device().vertexShader = reinterpret_cast<Shader*>(this);
    DrawOnce();
    EXPECT_EQ(effect->GetLighting(), Texture1DLEffect::kFixedFunction);
    EXPECT_EQ(Device().vertexShader, nullptr);
    EXPECT_EQ(Device().pixelShader, nullptr);
    EXPECT_EQ(Device().normal, node->GetNormals());
    EXPECT_EQ(Device().enabledLights, 1);
    // Without a light nothing is switched on.
    effect->SetLight(nullptr);
    DrawOnce();
    EXPECT_EQ(Device().enabledLights, 1);
}

TEST_F(Texture1DLEffectTest, TheLightLinkComesBackFromAFileAndCyclesAreRefused)
{
    Ptr<SceneNode> root = new SceneNode(String("root"));
    root->AttachChild(light.Get());
    effect->SetLight(light.Get());
    root->AttachChild(node.Get());
    Ptr<Object> loaded = RoundTrip(root.Get());
    ASSERT_NE(loaded, nullptr);
    Object* found = loaded->FindByName(String("lit"));
    ASSERT_NE(found, nullptr);
    ASSERT_TRUE(found->IsDerived(Texture1DLEffect::TYPE));
    Light* back = static_cast<Texture1DLEffect*>(found)->GetLight();
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(static_cast<Object*>(back), loaded->FindByName(String("sun")));
    ExpectVector(back->GetDiffuse(), light->GetDiffuse(), "light diffuse");

    // A light that holds the effect (through a controller) is refused.
    LogCapture log;
    Ptr<Light> holder = new Light(String("holder"));
    holder->SetController(new EffectHolder(effect.Get()));
    EXPECT_EQ(effect->SetLight(holder.Get()), 3);
    EXPECT_EQ(effect->GetLight(), light.Get());
    EXPECT_EQ(log.Lines().size(), 1u);
}

} // namespace
