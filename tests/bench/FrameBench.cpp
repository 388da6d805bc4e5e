// Whole frames of the shipped scene on the OpenGL renderer without a display
// (Mesa's software rasteriser here), at two back-buffer sizes, and where the
// time of a frame goes: the engine (update, cull, every state change and
// draw call handed to the driver) against the driver finishing the work and
// presenting. At 1280 x 720 the shipped scene also runs without its shadow
// map and bloom, with each, and with both.
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <chrono>
#include <string>

#include "engine/core/Vector4.h"
#include "engine/files/Codec.h"
#include "engine/files/CodecManager.h"
#include "engine/files/File.h"
#include "engine/files/FileManager.h"
#include "engine/render/Bloom5PostRenderEffect.h"
#include "engine/render/Renderer.h"
#include "engine/render/ShadowmapEffect.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Node.h"
#include "engine/scene/SceneNode.h"
#include "support/BenchEngine.h"

namespace
{

// The shipped scene on an engine started as the show starts it; empty
// reason on success.
struct Show
{
    BenchEngine engine;
    Ptr<Node> scene;
    std::string failure;

    Show(int32_t width, int32_t height) : engine(width, height)
    {
        failure = engine.failure;
        if (!failure.empty())
            return;
        File* file = FileManager::FindFile(String("Main.STR"));
        Codec* codec = nullptr;
        Object* root = nullptr;
        if (!file || CodecManager::GetCodec(String("STRSceneCodec"), &codec) != 0 || !codec ||
            codec->LoadScene(file, &root) != 0 || !root || !root->IsDerived(Node::TYPE))
        {
            Ptr<Object> drop = root;
            failure = "Main.STR does not load";
            return;
        }
        scene = static_cast<Node*>(root);
        Object* camera = scene->FindByName(String("Camera"));
        if (camera && camera->IsDerived(Camera::TYPE))
            GetRenderer()->SetCamera(static_cast<Camera*>(camera));
    }

    // The scene goes before the engine stops.
    ~Show() { scene = nullptr; }

    // Without the shadow map (its effects removed) or the bloom (a plain
    // post-render effect in its place), as the show's settings do.
    void Without(bool shadows, bool bloom)
    {
        Array<Object*> found;
        if (!shadows)
            scene->CollectByType(ShadowmapEffect::TYPE, found);
        if (!bloom)
            scene->CollectByType(Bloom5PostRenderEffect::TYPE, found);
        for (Object* object : found)
        {
            Ptr<SceneNodeEffect> effect = static_cast<SceneNodeEffect*>(object);
            SceneNode* owner = effect->GetOwner();
            if (!owner)
                continue;
            owner->RemoveEffect(effect.Get());
            if (effect->IsDerived(Bloom5PostRenderEffect::TYPE))
                owner->AddEffect(new PostRenderEffect());
        }
    }
};

void Frame(benchmark::State& state, int32_t width, int32_t height, bool shadows = true, bool bloom = true)
{
    Show show(width, height);
    if (!show.failure.empty())
    {
        state.SkipWithError(show.failure.c_str());
        return;
    }
    show.Without(shadows, bloom);
    Renderer* renderer = GetRenderer();
    using Clock = std::chrono::steady_clock;
    double engineSeconds = 0.0;
    double driverSeconds = 0.0;
    double updateSeconds = 0.0;
    const Vector4 black{0.0f, 0.0f, 0.0f, 1.0f};
    glFinish();

    for (auto _ : state)
    {
        // The clear is the driver's: filling the back buffer is pixel work
        // like the draws.
        const Clock::time_point clearing = Clock::now();
        renderer->Clear(3, black, 1.0f, 0);
        const Clock::time_point start = Clock::now();
        show.scene->UpdateTree(1.0 / 60.0, true);
        const Clock::time_point updated = Clock::now();
        if (renderer->BeginFrame() != 0)
        {
            state.SkipWithError("the frame does not begin");
            break;
        }
        show.scene->DrawCulled(*renderer);
        renderer->FlushTransparent();
        const Clock::time_point submitted = Clock::now();
        // The driver's share: drawing what was handed over, then the present
        // (EndFrame's own transparent queue is empty by now).
        glFinish();
        renderer->EndFrame();
        glFinish();
        const Clock::time_point finished = Clock::now();
        engineSeconds += std::chrono::duration<double>(submitted - start).count();
        updateSeconds += std::chrono::duration<double>(updated - start).count();
        driverSeconds += std::chrono::duration<double>(finished - submitted).count() +
                         std::chrono::duration<double>(start - clearing).count();
    }

    const double frames = static_cast<double>(state.iterations());
    state.counters["fps"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
    if (frames > 0)
    {
        state.counters["engine_ms"] = engineSeconds * 1000.0 / frames;
        state.counters["driver_ms"] = driverSeconds * 1000.0 / frames;
        // Part of engine_ms: the scene update alone, before any device call.
        state.counters["update_ms"] = updateSeconds * 1000.0 / frames;
        state.counters["engine_share"] = engineSeconds / (engineSeconds + driverSeconds);
    }
}

void ShippedScene800x600(benchmark::State& state)
{
    Frame(state, 800, 600);
}
BENCHMARK(ShippedScene800x600)->Unit(benchmark::kMillisecond)->UseRealTime();

void ShippedScene1920x1080(benchmark::State& state)
{
    Frame(state, 1920, 1080);
}
BENCHMARK(ShippedScene1920x1080)->Unit(benchmark::kMillisecond)->UseRealTime();

// Arguments: shadow map on, bloom on.
void ShippedScene1280x720(benchmark::State& state)
{
    Frame(state, 1280, 720, state.range(0) != 0, state.range(1) != 0);
}
BENCHMARK(ShippedScene1280x720)
    ->ArgNames({"shadows", "bloom"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
