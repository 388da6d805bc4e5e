// What start-up pays per shader program: translating the assembly text of
// the engine's programs to GLSL (no GL), and, where a headless OpenGL
// context exists, the driver's compile and link of the result on top.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "engine/render/gl/GLDevice.h"
#include "engine/render/gl/GLShaderProgram.h"
#include "engine/render/Texture1DLPrograms.h"
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

BENCHMARK_CAPTURE(Translate, VertexLit, Texture1DLPrograms::kVertexLit);
BENCHMARK_CAPTURE(Translate, VertexLitWind, Texture1DLPrograms::kVertexLitWind);
BENCHMARK_CAPTURE(Translate, PixelLitSkinnedVertex, Texture1DLPrograms::kPixelLitSkinnedVertex);
BENCHMARK_CAPTURE(Translate, PixelLitPixel, Texture1DLPrograms::kPixelLitPixel);

// Every program the engine's effects carry, each translated once, as a
// start-up that meets them all in its first frames does.
void TranslateEnginePrograms(benchmark::State& state)
{
    using namespace Texture1DLPrograms;
    const char* const programs[] = {kVertexLit,          kVertexLitWind,         kPixelLitVertex,
                                    kPixelLitWindVertex, kPixelLitSkinnedVertex, kPixelLitPixel};
    for (auto _ : state)
        for (const char* text : programs)
        {
            ShaderTranslation translation;
            if (ShaderAssembler::Assemble(text, translation) != 0)
            {
                state.SkipWithError("an engine program is refused");
                return;
            }
            benchmark::DoNotOptimize(translation.source.data());
        }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(sizeof programs / sizeof programs[0]));
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
BENCHMARK_CAPTURE(CompileAndLink, VertexLit, Texture1DLPrograms::kVertexLit, nullptr)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CompileAndLink, PixelLitSkinned, Texture1DLPrograms::kPixelLitSkinnedVertex,
                  Texture1DLPrograms::kPixelLitPixel)
    ->Unit(benchmark::kMillisecond);

} // namespace
