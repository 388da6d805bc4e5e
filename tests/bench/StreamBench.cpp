// Loading a large scene from memory through the scene codec, against a plain
// memcpy of the same bytes. The log is on (written to a file), as in the show.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "engine/EngineClasses.h"
#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/files/Codec.h"
#include "engine/files/CodecManager.h"
#include "engine/files/VirtualFile.h"
#include "support/TestNode.h"

namespace
{

// The bytes of a scene file: a root with `nodes` children, each holding
// `floatsPerNode` floats, as geometry buffers do.
std::vector<uint8_t> MakeScene(int nodes, int floatsPerNode)
{
    Ptr<TestNode> root = new TestNode(String("Root"));
    for (int i = 0; i < nodes; ++i)
    {
        TestNode* child = new TestNode(String("Mesh"));
        child->floats.assign(static_cast<size_t>(floatsPerNode), 0.5f);
        root->AddChild(child);
    }
    Stream out(0, 1 << 20);
    out.WriteInt32(kEngineVersionMajor);
    out.WriteInt32(kEngineVersionMinor);
    out.WriteInt32(kEngineVersionPatch);
    out.WriteLink(root.Get());
    return std::vector<uint8_t>(out.GetBuffer(), out.GetBuffer() + out.GetPosition());
}

struct Engine
{
    Engine()
    {
        RegisterEngineClasses();
        InitializeEngine();
        RegisterClassFactory(TestNode::TYPE.GetName(), &TestNode::Factory);
        log = new Log(String("/tmp/vernalia-bench-log.txt"), String());
        RegisterMessageOutput(log);
        CodecManager::GetCodec(String("STRSceneCodec"), &codec);
    }
    Log* log = nullptr;
    Codec* codec = nullptr;
};

Engine& TheEngine()
{
    static Engine engine;
    return engine;
}

void LoadScene(benchmark::State& state)
{
    Engine& engine = TheEngine();
    const std::vector<uint8_t> bytes = MakeScene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state)
    {
        uint8_t* copy = new uint8_t[bytes.size()];
        std::memcpy(copy, bytes.data(), bytes.size());
        VirtualFile file(String("Main.STR"), copy, static_cast<uint32_t>(bytes.size()));
        Object* root = nullptr;
        if (engine.codec->LoadScene(&file, &root) != 0)
            state.SkipWithError("the scene does not load");
        Ptr<Object> hold = root;
        benchmark::DoNotOptimize(root);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
    state.counters["objects"] = static_cast<double>(state.range(0) + 1);
}

void CopyBytes(benchmark::State& state)
{
    const std::vector<uint8_t> bytes = MakeScene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    std::vector<uint8_t> target(bytes.size());
    for (auto _ : state)
    {
        std::memcpy(target.data(), bytes.data(), bytes.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}

} // namespace

// About 20 MB: 200 meshes of 25 000 floats; and the same bytes in 20 000
// small objects, where per-object costs (links, logging) dominate.
BENCHMARK(LoadScene)->Args({200, 25000})->Args({20000, 250})->Unit(benchmark::kMillisecond);
BENCHMARK(CopyBytes)->Args({200, 25000})->Args({20000, 250})->Unit(benchmark::kMillisecond);
