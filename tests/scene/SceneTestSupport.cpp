#include "scene/SceneTestSupport.h"

#include <new>

#include "engine/files/ModuleManager.h"
#include "engine/files/StaticModule.h"
#include "engine/scene/Camera.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/Light.h"

QRE_IMPLEMENT_CLASS(StandInGeometryEffect, GeometryNodeEffect)
QRE_IMPLEMENT_CLASS(StandInSceneEffect, SceneNodeEffect)

namespace
{

int32_t ModuleNothing()
{
    return 0;
}

int32_t CreateRecordingRenderer(Renderer** place)
{
    if (!place || GetRenderer())
        return 1;
    *place = new RecordingRenderer();
    return 0;
}

// Keeps the lights pushed by stand-in passes alive for the whole run.
Light* SharedLight()
{
    static Ptr<Light> light = new Light(String("pass light"));
    return light.Get();
}

} // namespace

ByteStream::ByteStream(const std::vector<uint8_t>& bytes) : Stream(0, 1024)
{
    std::unique_ptr<uint8_t[]> copy(new uint8_t[bytes.size() ? bytes.size() : 1]);
    if (!bytes.empty())
        std::memcpy(copy.get(), bytes.data(), bytes.size());
    AdoptBuffer(std::move(copy), static_cast<uint32_t>(bytes.size()));
}

std::vector<uint8_t> WrittenBytes(const Stream& stream)
{
    return std::vector<uint8_t>(stream.GetBuffer(), stream.GetBuffer() + stream.GetPosition());
}

int32_t RecordingRenderer::DrawIndexed()
{
    drawn.push_back(GetGeometry() ? GetGeometry()->GetName().CStr() : "<none>");
    drawnScale.push_back(GetCamera() ? GetCamera()->GetProjection().m[0][0] : 0.0f);
    return 0;
}

int32_t StandInGeometryEffect::ApplyPass(uint32_t index)
{
    if (Renderer* renderer = GetRenderer())
        for (uint32_t i = 0; i < lightsPerPass; ++i)
            renderer->PushLight(SharedLight());
    return static_cast<int32_t>(index) == failingPass ? 1 : 0;
}

int32_t StandInSceneEffect::ApplyPass(uint32_t index)
{
    if (auto* renderer = static_cast<RecordingRenderer*>(GetRenderer()))
        renderer->events.push_back(std::string(GetName().CStr()) + " pass " + std::to_string(index));
    return 0;
}

void SceneTest::SetUp()
{
    RegisterEngineClasses();
    ASSERT_EQ(InitializeEngine(), 0);
    RegisterClassFactory(StandInGeometryEffect::TYPE.GetName(), &StandInGeometryEffect::Factory);
    RegisterClassFactory(StandInSceneEffect::TYPE.GetName(), &StandInSceneEffect::Factory);
    InstallRenderer("RecordingRenderer", &CreateRecordingRenderer);
}

void SceneTest::InstallRenderer(const char* name, int32_t (*create)(Renderer**))
{
    DestroyRenderer();
    Ptr<StaticModule> module = new StaticModule(String(name));
    module->AddFunction(String("Initialize"), &ModuleNothing);
    module->AddFunction(String("Shutdown"), &ModuleNothing);
    module->AddFunction(String("CreateRenderer"), reinterpret_cast<ModuleFunction>(reinterpret_cast<void (*)()>(create)));
    ASSERT_EQ(ModuleManager::RegisterModule(module.Get()), 0);
    ASSERT_EQ(CreateRenderer(String(name)), 0);
}

void SceneTest::TearDown()
{
    DestroyRenderer();
    UnregisterClassFactory(StandInGeometryEffect::TYPE.GetName());
    UnregisterClassFactory(StandInSceneEffect::TYPE.GetName());
    TerminateEngine();
}

Ptr<Object> SceneTest::RoundTrip(Object* root)
{
    const std::string path = folder.Path() + "/RoundTrip.STR";
    File out{String(path.c_str())};
    EXPECT_EQ(codec.SaveScene(&out, root), 0);
    File in{String(path.c_str())};
    Object* loaded = nullptr;
    EXPECT_EQ(codec.LoadScene(&in, &loaded), 0);
    return Ptr<Object>(loaded);
}

std::vector<uint8_t> SceneTest::Serialize(Object* root)
{
    Stream stream(0, 4096);
    stream.WriteLink(root);
    return WrittenBytes(stream);
}

Ptr<Object> SceneTest::Deserialize(const std::vector<uint8_t>& bytes)
{
    ByteStream stream(bytes);
    Object* root = nullptr;
    if (stream.ReadLink(root) != 0)
        return Ptr<Object>();
    return Ptr<Object>(root);
}

bool SceneTest::Patch(std::vector<uint8_t>& bytes, int32_t from, int32_t to)
{
    for (size_t i = 0; i + 4 <= bytes.size(); ++i)
    {
        if (std::memcmp(&bytes[i], &from, 4) == 0)
        {
            std::memcpy(&bytes[i], &to, 4);
            return true;
        }
    }
    return false;
}
