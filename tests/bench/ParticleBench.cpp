// The per-frame cost of 20 000 particles simulated and written as camera
// quads (120 000 vertices) at 30 frames a second; the skinning of 20 000
// vertices to compare with is SceneBench's SkinController20000Vertices.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/EngineClasses.h"
#include "engine/core/EngineStartup.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/PointEmitter.h"
#include "engine/scene/SpriteParticleSystem.h"
#include "support/HeadlessGl.h"

namespace
{
constexpr int32_t kParticles = 20000;

// The engine with the headless renderer and a current camera, told to draw
// quads; empty reason on success.
struct Engine
{
    std::string failure;
    Ptr<Camera> camera = nullptr;
    bool started = false;

    Engine()
    {
        std::string why;
        if (!HeadlessOpenGL(why))
        {
            failure = "no headless OpenGL: " + why;
            return;
        }
        Renderer::SetHeadless(true);
        RegisterEngineClasses();
        if (InitializeEngine() != 0)
        {
            failure = "the engine does not start";
            return;
        }
        started = true;
        if (CreateRenderer(String("OpenGL")) != 0)
        {
            failure = "no renderer";
            return;
        }
        DeviceCaps caps = GetRenderer()->GetCaps();
        caps.pointSprites = false;
        GetRenderer()->SetCapsForTest(caps);
        camera = new Camera(String("eye"));
        camera->UpdateTree(0.0);
        GetRenderer()->SetCamera(camera.Get());
    }

    ~Engine()
    {
        camera = nullptr;
        if (!started)
            return;
        DestroyRenderer();
        TerminateEngine();
    }
};

// A fountain held full: bursts of 2 000 every 0.1 s living 1 s, spread
// over a cone and falling.
void SpriteQuads20000Particles(benchmark::State& state)
{
    Engine engine;
    if (!engine.failure.empty())
    {
        state.SkipWithError(engine.failure.c_str());
        return;
    }
    Ptr<SpriteParticleSystem> fountain = new SpriteParticleSystem(String("fountain"));
    static_cast<PointEmitter*>(fountain->GetEmitter())->SetAngles(0.0f, 0.5f);
    fountain->SetMaxParticles(kParticles);
    fountain->emitInterval = 0.1f;
    fountain->burstCount = kParticles / 10;
    fountain->lifetime = 1.0f;
    fountain->lifetimeJitter = 0.05f;
    fountain->speed = 4.0f;
    fountain->acceleration = Vector3(0.0f, -9.8f, 0.0f);
    fountain->endSize = 0.1f;
    for (int i = 0; i < 60; ++i)
        fountain->UpdateTree(1.0 / 30.0);
    for (auto _ : state)
    {
        fountain->UpdateTree(1.0 / 30.0);
        benchmark::DoNotOptimize(fountain->GetVertices()->GetElements());
    }
    state.counters["live"] = static_cast<double>(fountain->GetLiveCount());
    fountain = nullptr;
}
BENCHMARK(SpriteQuads20000Particles)->Unit(benchmark::kMicrosecond);
} // namespace
