// The feeds and the message window: a 1 MiB feed parsed as a download
// queues it, its descriptions converted and measured against the limits,
// and one frame of the window with a message shown in the shipped font.
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <string>
#include <vector>

#include "engine/files/FileManager.h"
#include "engine/image/Image.h"
#include "engine/render/MSFont.h"
#include "engine/render/Renderer.h"
#include "engine/render/Texture.h"
#include "engine/scene/Camera.h"
#include "info/InternetRssSource.h"
#include "info/MessageWindow.h"
#include "info/RssFileSource.h"
#include "info/RssReader.h"
#include "support/BenchEngine.h"

namespace
{

// A feed of about 1 MiB in UTF-8, its items as news feeds write them:
// escaped markup, CDATA paragraphs, quotes, letters outside ASCII, and
// one item in eight too long to queue.
std::string OneMebibyteFeed()
{
    std::string feed = "<?xml version=\"1.0\" encoding=\"utf-8\"?><rss version=\"2.0\"><channel><title>News</title>";
    for (int i = 0; feed.size() < (1u << 20) - 64; ++i)
    {
        feed += "<item><title>Story " + std::to_string(i) + "</title><link>http://news.example/" +
                std::to_string(i) + "</link><description>";
        if (i % 3 == 0)
            feed += "<![CDATA[<p>The river fair opens at dawn.</p><p>Stalls, music and \xE2\x80\x9C"
                    "kites\xE2\x80\x9D over the meadow.<br>More at noon.]]>";
        else
            feed += "Spring &quot;arrives&quot; early this year &lt;br&gt;\n  blossoms \xE2\x80\x94 "
                    "\xD0\xB2\xD0\xB5\xD1\x81\xD0\xBD\xD0\xB0 \xE2\x80\x94 open in the valleys &amp; hills.";
        if (i % 8 == 7)
            feed += std::string(320, 'x');
        feed += "</description></item>";
    }
    return feed + "</channel></rss>";
}

// What a download does with the body: parse, convert, keep what fits.
void ParseFeed(benchmark::State& state)
{
    const std::string feed = OneMebibyteFeed();
    std::vector<std::string> texts;
    std::string reason;
    for (auto _ : state)
    {
        if (InternetRssSource::ParseRssItems(feed.data(), feed.size(), texts, reason) != 0)
        {
            state.SkipWithError(reason.c_str());
            break;
        }
        benchmark::DoNotOptimize(texts.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * feed.size()));
}
BENCHMARK(ParseFeed)->Unit(benchmark::kMillisecond);

// The conversion of every description of that feed, not only the first
// items a queue takes.
void ConvertFeed(benchmark::State& state)
{
    const std::string feed = OneMebibyteFeed();
    std::vector<std::string> descriptions;
    std::string reason;
    if (rss::ReadDescriptions(feed.data(), feed.size(), descriptions, reason) != 0)
    {
        state.SkipWithError(reason.c_str());
        return;
    }
    std::string text;
    for (auto _ : state)
    {
        size_t kept = 0;
        for (const std::string& description : descriptions)
            kept += rss::ConvertFeedItem(description, text) ? 1 : 0;
        benchmark::DoNotOptimize(kept);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * descriptions.size()));
}
BENCHMARK(ConvertFeed)->Unit(benchmark::kMillisecond);

// One frame of the window with a shipped fact fully shown: the sources'
// and phases' update, then the panel and three texts drawn through the
// overlay camera.
void WindowFrame(benchmark::State& state)
{
    BenchEngine engine(800, 600);
    if (!engine.failure.empty())
    {
        state.SkipWithError(engine.failure.c_str());
        return;
    }
    {
        Ptr<Texture> glyphs = new Texture(String("times.tga"));
        glyphs->SetImage(Ptr<Image>(new Image(FileManager::FindFile(String("times.tga")), String())).Get());
        Ptr<Texture> background = new Texture(String("Window.tga"));
        background->SetImage(Ptr<Image>(new Image(FileManager::FindFile(String("Window.tga")), String())).Get());
        Ptr<MSFont> font = new MSFont(String("times"));
        if (font->SetTexture(glyphs.Get()) != 0 || font->LoadParameters(String("times.txt")) != 0)
        {
            state.SkipWithError("the shipped font does not load");
            return;
        }
        font->SetLineScale(0.2f);
        font->SetCharScale(0.2f);
        font->SetTabAdvance(0.005f);
        Ptr<MessageWindow> window = new MessageWindow(font.Get(), background.Get());
        window->SetFooter(String("  Help - F1             Next - F  "));
        Ptr<RssFileSource> facts = new RssFileSource(String("Interesting facts about Vernalia"), String("import.rss"));
        facts->SetEnabled(true);
        window->AddSource(facts.Get());
        if (!window->Skip())
        {
            state.SkipWithError("no shipped fact to show");
            return;
        }
        Ptr<Camera> overlay = new Camera();
        Renderer* renderer = GetRenderer();
        constexpr float kFrame = 1.0f / 60.0f;
        for (auto _ : state)
        {
            state.PauseTiming();
            // Kept in the phase that draws every text.
            if (window->GetTimer() > window->GetShownTime() + 19.0f)
                window->Skip();
            renderer->Clear(3, Vector4{0.0f, 0.0f, 0.0f, 1.0f}, 1.0f, 0);
            renderer->BeginFrame();
            glFinish();
            state.ResumeTiming();
            window->Update(kFrame);
            window->Draw(*renderer, *overlay);
            glFinish();
            state.PauseTiming();
            renderer->EndFrame();
            state.ResumeTiming();
        }
    }
}
BENCHMARK(WindowFrame)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace
