#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "engine/EngineClasses.h"
#include "engine/codecs/STRSceneCodec.h"
#include "engine/core/Controller.h"
#include "engine/core/EngineStartup.h"
#include "engine/core/Ptr.h"
#include "engine/core/Stream.h"
#include "engine/files/File.h"
#include "engine/render/GeometryNodeEffect.h"
#include "engine/render/Renderer.h"
#include "engine/render/SceneNodeEffect.h"
#include "support/Bytes.h"
#include "support/TemporaryFolder.h"

// A new buffer holding the given elements, for the setters that take one.
template <typename BufferClass>
BufferClass* MakeBuffer(std::initializer_list<std::remove_reference_t<decltype(std::declval<BufferClass&>()[0])>> values)
{
    auto* block = new std::remove_reference_t<decltype(std::declval<BufferClass&>()[0])>[values.size()];
    std::copy(values.begin(), values.end(), block);
    return new BufferClass(static_cast<uint32_t>(values.size()), block);
}

inline void ExpectNear(const Vector3& actual, const Vector3& expected, float tolerance = 1e-5f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

// A controller that holds one object: attached to an object, it makes that
// object hold the held one, which is how a damaged file could close a cycle.
class HoldingController : public Controller
{
public:
    explicit HoldingController(Object* object) : held(object) {}
    bool Holds(const Object* other) const override
    {
        return Controller::Holds(other) || held.Get() == other || held->Holds(other);
    }

private:
    Ptr<Object> held;
};

// A renderer with no device that records what the scene traversal asks of
// it: which geometry each draw call drew (by name), and the lights switched
// on and off. The real device module draws the same calls later.
class RecordingRenderer : public Renderer
{
public:
    RecordingRenderer() = default;

    int32_t Initialize(int32_t, const String&, unsigned long, int32_t, int32_t, int32_t, int32_t) override { return 0; }
    int32_t Shutdown() override { return 0; }
    int32_t Clear(uint32_t, const Vector4&, float, uint32_t) override { return 0; }
    int32_t BeginScene() override
    {
        events.push_back("begin");
        return sceneResult;
    }
    int32_t EndScene() override
    {
        events.push_back("end");
        return 0;
    }
    int32_t GetWidth() override { return width; }
    int32_t GetHeight() override { return height; }
    int32_t SetBrightness(int32_t) override { return 0; }
    int32_t DrawIndexed() override;
    int32_t EnableLight(Light*) override
    {
        ++enabledLights;
        return 0;
    }
    int32_t DisableLight() override
    {
        ++disabledLights;
        return 0;
    }

    std::vector<std::string> drawn;  // geometry names, one per draw call
    std::vector<float> drawnScale;   // the current camera's projection [0][0] at each draw
    std::vector<std::string> events; // begin/end/flush markers and post-updates, in order
    int32_t enabledLights = 0;
    int32_t disabledLights = 0;
    int32_t width = 800;
    int32_t height = 600;
    int32_t sceneResult = 0;
};

// A geometry effect for the traversal tests: a number of passes, a pass
// that refuses to apply, lights pushed by each pass. Loadable by name.
class StandInGeometryEffect : public GeometryNodeEffect
{
    QRE_DECLARE_CLASS

public:
    explicit StandInGeometryEffect(const String& name = String()) : GeometryNodeEffect(name) {}

    uint32_t PassCount() override { return passes; }
    int32_t ApplyPass(uint32_t index) override;

    uint32_t passes = 1;
    int32_t failingPass = -1;        // this pass refuses to apply
    uint32_t lightsPerPass = 0;      // pushed on the current renderer by every pass
    int32_t updates = 0;
};

// A scene effect for the traversal tests; records its passes in the
// current renderer's events. Loadable by name.
class StandInSceneEffect : public SceneNodeEffect
{
    QRE_DECLARE_CLASS

public:
    explicit StandInSceneEffect(const String& name = String()) : SceneNodeEffect(name) {}

    uint32_t PassCount() override { return passes; }
    int32_t ApplyPass(uint32_t index) override;
    int32_t Update(double time) override
    {
        ++updates;
        return SceneNodeEffect::Update(time);
    }

    uint32_t passes = 1;
    int32_t updates = 0;
};

// A running engine (every class factory registered, the stand-in effects
// too) with a RecordingRenderer as the current renderer.
class SceneTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    RecordingRenderer& Recorder() { return *static_cast<RecordingRenderer*>(GetRenderer()); }

    // Replaces the current renderer with one made by create, registered as
    // a module under name (for fixtures with a recorder of their own).
    static void InstallRenderer(const char* name, int32_t (*create)(Renderer**));

    // Saves root through the scene codec into a file and loads it back.
    Ptr<Object> RoundTrip(Object* root);

    // The bytes a stream holds after writing root's link.
    static std::vector<uint8_t> Serialize(Object* root);
    // Reads a root link from bytes; null when the load fails. The stream
    // goes when this returns, so only what the root holds survives.
    static Ptr<Object> Deserialize(const std::vector<uint8_t>& bytes);

    // Replaces the 4 bytes of the first occurrence of `from` with `to`;
    // false when `from` does not occur. For damaging files on purpose.
    static bool Patch(std::vector<uint8_t>& bytes, int32_t from, int32_t to);

    TemporaryFolder folder;
    STRSceneCodec codec;
};
