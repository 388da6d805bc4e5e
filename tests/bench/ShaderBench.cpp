// What start-up pays per shader program: translating the assembly text of
// the engine's programs to GLSL (no GL), and, where a headless OpenGL
// context exists, the driver's compile and link of the result on top.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "engine/render/gl/GLDevice.h"
#include "engine/render/gl/GLShaderProgram.h"
#include "engine/render/EffectPrograms.h"
#include "engine/render/gl/ShaderAssembler.h"

namespace
{

void Translate(benchmark::State& state, const char* text)
{
    size_t bytes = 0;
    for (auto _ : state)
    {
        ShaderTranslation translation;
        if (ShaderAssembler::Assemble(text, translation) != 0)
        {
            state.SkipWithError("program refused");
            break;
        }
        bytes += translation.source.size();
        benchmark::DoNotOptimize(translation.source.data());
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["glsl_bytes"] = state.iterations() ? static_cast<double>(bytes) / state.iterations() : 0;
}

BENCHMARK_CAPTURE(Translate, VertexLit, EffectPrograms::Get(EffectPrograms::Id::LitVertex11).text);
BENCHMARK_CAPTURE(Translate, VertexLitWind, EffectPrograms::Get(EffectPrograms::Id::LitVertex11Wind).text);
BENCHMARK_CAPTURE(Translate, PixelLitSkinnedVertex, EffectPrograms::Get(EffectPrograms::Id::LitVertex20Skinned).text);
BENCHMARK_CAPTURE(Translate, PixelLitPixel, EffectPrograms::Get(EffectPrograms::Id::LitPixel20).text);

// Every program the engine's effects carry, each translated once, as a
// start-up that meets them all in its first frames does.
void TranslateEnginePrograms(benchmark::State& state)
{
    const auto programs = EffectPrograms::All();
    for (auto _ : state)
        for (const EffectPrograms::Program& program : programs)
        {
            ShaderTranslation translation;
            if (ShaderAssembler::Assemble(program.text, translation) != 0)
            {
                state.SkipWithError("an engine program is refused");
                return;
            }
            benchmark::DoNotOptimize(translation.source.data());
        }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(programs.size()));
}
BENCHMARK(TranslateEnginePrograms);

// Translation plus the driver's compile and link (llvmpipe here), the
// whole cost of a program's first use.
void CompileAndLink(benchmark::State& state, const char* vertexText, const char* pixelText)
{
    std::string why;
    std::unique_ptr<GLDevice> device = GLDevice::Create(nullptr, 0, 4, 4, &why);
    if (!device)
    {
        state.SkipWithError(("no headless OpenGL: " + why).c_str());
        return;
    }
    for (auto _ : state)
    {
        ShaderTranslation vertex, pixel;
        if (vertexText)
            ShaderAssembler::Assemble(vertexText, vertex);
        if (pixelText)
            ShaderAssembler::Assemble(pixelText, pixel);
        std::unique_ptr<GLShaderProgram> program =
            GLShaderProgram::Create(*device, vertexText ? &vertex : nullptr, pixelText ? &pixel : nullptr);
        if (!program)
        {
            state.SkipWithError("program refused by the driver");
            break;
        }
        benchmark::DoNotOptimize(program->Handle());
    }
}
BENCHMARK_CAPTURE(CompileAndLink, VertexLit, EffectPrograms::Get(EffectPrograms::Id::LitVertex11).text, nullptr)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CompileAndLink, PixelLitSkinned, EffectPrograms::Get(EffectPrograms::Id::LitVertex20Skinned).text,
                  EffectPrograms::Get(EffectPrograms::Id::LitPixel20).text)
    ->Unit(benchmark::kMillisecond);

} // namespace
