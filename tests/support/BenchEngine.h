#pragma once
#include <memory>
#include <string>

#include "engine/EngineClasses.h"
#include "engine/core/EngineStartup.h"
#include "engine/files/Codec.h"
#include "engine/files/CodecManager.h"
#include "engine/files/FileManager.h"
#include "engine/files/ModuleManager.h"
#include "engine/render/Renderer.h"
#include "support/HeadlessGl.h"

// The engine as the show starts it, for benchmarks: the OpenGL renderer
// without a display at a given size, the codecs, and the three embedded
// archives mounted. failure is empty on success; the destructor stops what
// was started.
struct BenchEngine
{
    std::string failure;
    bool started = false;

    BenchEngine(int32_t width, int32_t height)
    {
        std::string why;
        if (!HeadlessOpenGL(why))
        {
            failure = "no headless OpenGL: " + why;
            return;
        }
        Renderer::SetHeadless(true);
        // The default pretend desktop is smaller than a 1080p screen.
        Renderer::SetHeadlessDesktopSize(1920, 1080);
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
        Renderer* renderer = GetRenderer();
        const int32_t mode = FindMode(*renderer, width, height);
        if (mode < 0 || renderer->OpenWindow(mode, String("bench"), 0, 0, 0, width, height) != 0)
        {
            failure = "the device does not open at " + std::to_string(width) + "x" + std::to_string(height);
            return;
        }
        for (const char* name : {"BMPImageCodec", "JPGImageCodec", "TGAImageCodec", "CUBEImageCodec",
                                 "STRSceneCodec", "RAR2FileCodec"})
        {
            Module* loaded = nullptr;
            Codec* codec = nullptr;
            ModuleManager::LoadModule(String(name), &loaded);
            CodecManager::GetCodec(String(name), &codec);
        }
        if (FileManager::LoadArchiveResource(134, String("CustomData.rar2"), String()) != 0 ||
            FileManager::LoadArchiveResource(227, String("Media.rar2"), String()) != 0 ||
            FileManager::LoadArchiveResource(143, String("Ms.rar2"), String()) != 0)
            failure = "the embedded archives do not attach";
    }

    ~BenchEngine()
    {
        if (started)
        {
            DestroyRenderer();
            TerminateEngine();
        }
    }

    BenchEngine(const BenchEngine&) = delete;
    BenchEngine& operator=(const BenchEngine&) = delete;

    // The 32-bit mode of that size in the renderer's list, or -1.
    static int32_t FindMode(const Renderer& renderer, int32_t width, int32_t height)
    {
        const Array<std::unique_ptr<DisplayMode>>& list = renderer.GetModes();
        for (uint32_t i = 0; i < list.Count(); ++i)
            if (list[i]->width == width && list[i]->height == height && list[i]->colorBits == 32)
                return static_cast<int32_t>(i);
        return -1;
    }
};
