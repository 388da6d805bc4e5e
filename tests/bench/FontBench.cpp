// Text on the shipped font: laying out overlay-length and message-length
// texts, building a message's text node, and the clock and frame-rate
// overlays of one frame.
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <string>

#include "app/VernaliaScreensaver.h"
#include "engine/files/File.h"
#include "engine/image/Image.h"
#include "engine/render/MSFont.h"
#include "engine/render/Texture.h"
#include "support/BenchEngine.h"

namespace
{

// A message-like text of n characters: words of varied length.
std::string Text(size_t n)
{
    const std::string words = "Spring light over the meadow wakes the bees; blossoms open, 1234567890 ";
    std::string text;
    while (text.size() < n)
        text += words;
    return text.substr(0, n);
}

// The shipped font, from the mounted archives.
struct ShippedFont
{
    BenchEngine engine{800, 600};
    Ptr<MSFont> font = new MSFont(String("times"));
    std::string failure = engine.failure;

    ShippedFont()
    {
        if (!failure.empty())
            return;
        Ptr<Texture> texture = new Texture(String("times.tga"));
        texture->SetImage(Ptr<Image>(new Image(FileManager::FindFile(String("times.tga")), String())).Get());
        if (font->SetTexture(texture.Get()) != 0 || font->LoadParameters(String("times.txt")) != 0 ||
            font->SetMaxChars(300) != 0)
            failure = "the shipped font does not load";
    }
    ~ShippedFont() { font = nullptr; }
};

void Layout(benchmark::State& state)
{
    ShippedFont shipped;
    if (!shipped.failure.empty())
    {
        state.SkipWithError(shipped.failure.c_str());
        return;
    }
    const std::string text = Text(static_cast<size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(
            shipped.font->LayoutText(0.0f, 0.0f, 0.0f, text.c_str(), static_cast<uint32_t>(text.size())));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(Layout)->Arg(100)->Arg(300)->Unit(benchmark::kMicrosecond);

void MessageTextNode(benchmark::State& state)
{
    ShippedFont shipped;
    if (!shipped.failure.empty())
    {
        state.SkipWithError(shipped.failure.c_str());
        return;
    }
    const std::string text = Text(300);
    for (auto _ : state)
    {
        Ptr<Triangles> node = shipped.font->BuildTextNode(text.c_str(), 1200.0f, 100000.0f, 1.0f, 0.9f);
        if (!node)
        {
            state.SkipWithError("the text does not fit");
            break;
        }
        benchmark::DoNotOptimize(node.Get());
    }
}
BENCHMARK(MessageTextNode)->Unit(benchmark::kMicrosecond);

// The application's overlay drawing, as a frame calls it after the scene.
struct OverlayApp : VernaliaScreensaver
{
    OverlayApp() : VernaliaScreensaver(String("vernalia /s"), Automation())
    {
        current.showFps = true;
        current.showTime = true;
        current.hour24 = false;
    }
    using ScreensaverApp::CreateVisualData;
};

void Overlays(benchmark::State& state)
{
    BenchEngine engine(800, 600);
    if (!engine.failure.empty())
    {
        state.SkipWithError(engine.failure.c_str());
        return;
    }
    {
        OverlayApp app;
        if (app.CreateVisualData() != 0)
        {
            state.SkipWithError("no overlay pictures");
            return;
        }
        Renderer* renderer = GetRenderer();
        // Only the overlays count: the clear and the present are the frame's.
        for (auto _ : state)
        {
            state.PauseTiming();
            renderer->Clear(3, Vector4{0.0f, 0.0f, 0.0f, 1.0f}, 1.0f, 0);
            renderer->BeginFrame();
            glFinish();
            state.ResumeTiming();
            app.DrawOverlays();
            glFinish();
            state.PauseTiming();
            renderer->EndFrame();
            state.ResumeTiming();
        }
        app.DeleteVisualData();
    }
}
BENCHMARK(Overlays)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace
