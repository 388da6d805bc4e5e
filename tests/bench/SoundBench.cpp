// The sound's costs: decoding the show's music, ours against the Vorbis
// tools' oggdec on the same file, and the per-frame update of 50 3D sound
// nodes round the camera (each a playing stream of the brook), as the show
// would pay with a scene full of them. Sound goes to OpenAL Soft's null
// output unless ALSOFT_CONF says otherwise.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "engine/files/File.h"
#include "engine/scene/Camera.h"
#include "engine/scene/SceneNode.h"
#include "sound/SoundNode.h"
#include "sound/SoundTestSupport.h"
#include "sound/audio/StreamDecoder.h"
#include "support/BenchEngine.h"

extern char** environ;

namespace
{

// The engine with the archives mounted, started once for all benchmarks.
BenchEngine& Engine()
{
    static const bool nullOutput = (sound_test::UseNullSoundUnlessChosen(), true);
    static BenchEngine engine(640, 480);
    (void)nullOutput;
    return engine;
}

// The bytes of a file in the mounted archives; empty when it is missing.
std::vector<uint8_t> ArchiveFile(const char* name)
{
    File* file = FileManager::FindFile(String(name));
    std::unique_ptr<uint8_t[]> bytes;
    uint32_t size = 0;
    if (ReadSoundFile(file, bytes, size) != 0)
        return {};
    return std::vector<uint8_t>(bytes.get(), bytes.get() + size);
}

void OggDecodeOurs(benchmark::State& state)
{
    if (!Engine().failure.empty())
        return state.SkipWithError(Engine().failure.c_str());
    const std::vector<uint8_t> music = ArchiveFile("vernalia.ogg");
    if (music.empty())
        return state.SkipWithError("no vernalia.ogg in the archives");
    std::vector<int16_t> buffer(4096 * 2);
    int64_t frames = 0;
    for (auto _ : state)
    {
        std::unique_ptr<StreamDecoder> decoder;
        if (OpenStreamDecoder(music.data(), static_cast<uint32_t>(music.size()), decoder) != DecoderResult::kOk)
            return state.SkipWithError("the music does not open");
        for (int32_t got; (got = decoder->Decode(buffer.data(), 4096)) > 0;)
            frames += got;
    }
    state.SetItemsProcessed(frames);
}
BENCHMARK(OggDecodeOurs)->Unit(benchmark::kMillisecond);

// oggdec decoding the same file to 16-bit samples it throws away.
void OggDecodeOggdec(benchmark::State& state)
{
    if (!Engine().failure.empty())
        return state.SkipWithError(Engine().failure.c_str());
    const std::vector<uint8_t> music = ArchiveFile("vernalia.ogg");
    const std::string path = "/tmp/bench-sound-" + std::to_string(getpid()) + ".ogg";
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out || music.empty() || std::fwrite(music.data(), 1, music.size(), out) != music.size())
    {
        if (out)
            std::fclose(out);
        return state.SkipWithError("cannot write the music for oggdec");
    }
    std::fclose(out);
    char* argv[] = {const_cast<char*>("oggdec"), const_cast<char*>("-Q"), const_cast<char*>("-o"),
                    const_cast<char*>("/dev/null"), const_cast<char*>(path.c_str()), nullptr};
    for (auto _ : state)
    {
        pid_t child = 0;
        int status = 0;
        if (posix_spawnp(&child, "oggdec", nullptr, nullptr, argv, environ) != 0 ||
            waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        {
            state.SkipWithError("oggdec did not run (Debian package vorbis-tools)");
            break;
        }
    }
    std::remove(path.c_str());
}
BENCHMARK(OggDecodeOggdec)->Unit(benchmark::kMillisecond);

// One frame's update of a scene of 50 looping 3D sources on a ring round
// the camera: controllers, transforms, positions relative to the camera and
// the keep-playing call of each.
void SoundNodesUpdate50(benchmark::State& state)
{
    if (!Engine().failure.empty())
        return state.SkipWithError(Engine().failure.c_str());
    File* brook = FileManager::FindFile(String("brook.ogg"));
    Ptr<Camera> camera = new Camera(String("ear"));
    camera->UpdateTree(0.0);
    GetRenderer()->SetCamera(camera.Get());
    Ptr<SceneNode> root = new SceneNode(String("Sources"), 64, 4);
    for (int i = 0; i < 50; ++i)
    {
        Ptr<SoundNode> node = new SoundNode(String(("Source" + std::to_string(i)).c_str()));
        node->SetLoop(true);
        if (node->SetSound(brook, true) != 0 || node->GetChannel() == 0)
            return state.SkipWithError("the brook does not play");
        node->SetMinDistance(5.0f);
        const float angle = 6.2831853f * static_cast<float>(i) / 50.0f;
        node->GetLocalTransform().SetTranslation(Vector3(12.0f * std::cos(angle), 1.0f, 12.0f * std::sin(angle)));
        root->AttachChild(node.Get());
    }
    for (auto _ : state)
        root->UpdateTree(1.0 / 60.0);
    GetRenderer()->SetCamera(nullptr);
    state.SetItemsProcessed(state.iterations() * 50);
}
BENCHMARK(SoundNodesUpdate50)->Unit(benchmark::kMicrosecond);

} // namespace
