// The effect family's costs: translating every program of the family (the
// start-up meets them all), frames of the FamilyRow camera's grid (every
// member, fur with sixteen shells) at 800 x 600, and the first such frame,
// which translates and links every program pair it draws with.
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <chrono>
#include <string>

#include "engine/core/Vector4.h"
#include "engine/files/Codec.h"
#include "engine/files/CodecManager.h"
#include "engine/files/File.h"
#include "engine/files/FileManager.h"
#include "engine/render/EffectPrograms.h"
#include "engine/render/Renderer.h"
#include "engine/render/gl/ShaderAssembler.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Node.h"
#include "support/BenchEngine.h"

namespace
{

// Every program of the family translated once per iteration (target: 5 ms
// for all of them).
void TranslateFamilyPrograms(benchmark::State& state)
{
    const auto programs = EffectPrograms::All();
    for (auto _ : state)
        for (const EffectPrograms::Program& program : programs)
        {
            ShaderTranslation translation;
            if (ShaderAssembler::Assemble(program.text, translation) != 0)
            {
                state.SkipWithError(program.name);
                return;
            }
            benchmark::DoNotOptimize(translation.source.data());
        }
    state.counters["programs"] = static_cast<double>(programs.size());
}
BENCHMARK(TranslateFamilyPrograms)->Unit(benchmark::kMillisecond);

// The shipped scene seen by the FamilyRow camera; empty failure on success.
struct Row
{
    BenchEngine engine;
    Ptr<Node> scene;
    std::string failure;

    Row() : engine(800, 600)
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
        Object* camera = scene->FindByName(String("FamilyRow"));
        if (!camera || !camera->IsDerived(Camera::TYPE))
        {
            failure = "no FamilyRow camera";
            return;
        }
        GetRenderer()->SetCamera(static_cast<Camera*>(camera));
    }

    // One whole frame, finished by the driver; false when it cannot begin.
    bool Frame()
    {
        Renderer* renderer = GetRenderer();
        renderer->Clear(3, Vector4(0.0f, 0.0f, 0.0f, 1.0f), 1.0f, 0);
        scene->UpdateTree(1.0 / 60.0, true);
        if (renderer->BeginFrame() != 0)
            return false;
        scene->DrawCulled(*renderer);
        renderer->FlushTransparent();
        renderer->EndFrame();
        glFinish();
        return true;
    }

    // The scene goes before the engine stops.
    ~Row() { scene = nullptr; }
};

// Frames after the first (target: 30 a second on llvmpipe, two cores).
void FamilyRowFrames800x600(benchmark::State& state)
{
    Row row;
    if (!row.failure.empty() || !row.Frame())
    {
        state.SkipWithError(row.failure.empty() ? "the frame does not begin" : row.failure.c_str());
        return;
    }
    for (auto _ : state)
        if (!row.Frame())
        {
            state.SkipWithError("the frame does not begin");
            break;
        }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(FamilyRowFrames800x600)->Unit(benchmark::kMillisecond)->UseRealTime();

// The first frame of a fresh start: every program the grid draws with is
// translated, compiled and linked in it.
void FamilyRowFirstFrame(benchmark::State& state)
{
    using Clock = std::chrono::steady_clock;
    for (auto _ : state)
    {
        state.PauseTiming();
        {
            Row row;
            if (!row.failure.empty())
            {
                state.SkipWithError(row.failure.c_str());
                state.ResumeTiming();
                break;
            }
            state.ResumeTiming();
            const Clock::time_point start = Clock::now();
            if (!row.Frame())
                state.SkipWithError("the frame does not begin");
            state.counters["first_frame_ms"] =
                std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
}
BENCHMARK(FamilyRowFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace
