#include "engine/render/Bloom5PostRenderEffect.h"

#include <cmath>
#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/image/Image.h"
#include "engine/render/PixelShader.h"
#include "engine/render/Renderer.h"
#include "engine/render/StatePass.h"
#include "engine/render/Texture.h"
#include "engine/render/VertexShader.h"
#include "engine/scene/Triangles.h"

QRE_IMPLEMENT_CLASS(Bloom5PostRenderEffect, PostRenderEffect)

namespace
{
// The quad's corners to texture coordinates: uv = ((x + 1) / 2, (1 - y) / 2),
// the picture's top at v = 0.
#define QRE_QUAD_UV                 \
    "def c4, 0.5, -0.5, 0, 1\n"     \
    "dcl_position v0\n"             \
    "mov oPos.xy, v0\n"             \
    "mov oPos.zw, c4.zw\n"          \
    "mad r0.xy, v0, c4.xy, c4.x\n"

// Downsample: the texel and its four neighbours (c0 = one screen texel).
constexpr const char* kDownsampleVertex = "vs_1_1\n" QRE_QUAD_UV
                                          "def c5, 1, 0, 0, 0\n"
                                          "def c6, 0, 1, 0, 0\n"
                                          "mov oT0.xy, r0\n"
                                          "mad oT1.xy, c0, c5, r0\n"
                                          "mad oT2.xy, c0, c6, r0\n"
                                          "mad oT3.xy, c0, -c5, r0\n"
                                          "mad oT4.xy, c0, -c6, r0\n";

// The five taps' mean, with alpha its luminance where that reaches the
// threshold c0.x, else 0.
constexpr const char* kDownsamplePixel = R"(ps_2_0
def c1, 0.2, 0, 0, 1
def c2, 0.299, 0.587, 0.184, 0
dcl t0.xy
dcl t1.xy
dcl t2.xy
dcl t3.xy
dcl t4.xy
dcl_2d s0
texld r0, t0, s0
texld r1, t1, s0
texld r2, t2, s0
texld r3, t3, s0
texld r4, t4, s0
add r0, r0, r1
add r0, r0, r2
add r0, r0, r3
add r0, r0, r4
mul r0, r0, c1.x
dp3 r1.x, r0, c2
add r2.x, r1.x, -c0.x
cmp r0.w, r2.x, r1.x, c1.y
mov oC0, r0
)";

// Blur taps at uv - 2d, uv - d, uv, uv + d, uv + 2d (d = c0).
constexpr const char* kBlurVertex = "vs_1_1\n" QRE_QUAD_UV
                                    "def c5, 2, 2, 0, 0\n"
                                    "mad oT0.xy, c0, -c5, r0\n"
                                    "add oT1.xy, r0, -c0\n"
                                    "mov oT2.xy, r0\n"
                                    "add oT3.xy, r0, c0\n"
                                    "mad oT4.xy, c0, c5, r0\n";

// Weights 2/17, 4/17, 5/17, 4/17, 2/17: a sum of 1.
constexpr const char* kBlurPixel = R"(ps_2_0
def c1, 0.11764706, 0.23529412, 0.29411765, 0
dcl t0.xy
dcl t1.xy
dcl t2.xy
dcl t3.xy
dcl t4.xy
dcl_2d s0
texld r0, t0, s0
texld r1, t1, s0
texld r2, t2, s0
texld r3, t3, s0
texld r4, t4, s0
mul r5, r0, c1.x
mad r5, r1, c1.y, r5
mad r5, r2, c1.z, r5
mad r5, r3, c1.y, r5
mad r5, r4, c1.x, r5
mov oC0, r5
)";

constexpr const char* kCombineVertex = "vs_1_1\n" QRE_QUAD_UV "mov oT0.xy, r0\n";

// screen x c0.x + (bloom x c1.x + bloom alpha x c2.x) x c3.
constexpr const char* kCombinePixel = R"(ps_2_0
dcl t0.xy
dcl_2d s0
dcl_2d s1
texld r0, t0, s0
texld r1, t0, s1
mul r2, r1, c1.x
mad r2, r1.w, c2.x, r2
mul r2, r2, c3
mad r0, r0, c0.x, r2
mov oC0, r0
)";

#undef QRE_QUAD_UV

// Whether a texture holds an image of the size.
bool OfSize(const Texture* texture, int32_t width, int32_t height)
{
    const Image* image = texture ? texture->GetImage() : nullptr;
    return image && static_cast<int32_t>(image->GetWidth()) == width &&
           static_cast<int32_t>(image->GetHeight()) == height;
}
} // namespace

Bloom5PostRenderEffect::Bloom5PostRenderEffect(const String& name) : PostRenderEffect(name)
{
}

Bloom5PostRenderEffect::~Bloom5PostRenderEffect() = default;

void Bloom5PostRenderEffect::BloomSize(int32_t screenWidth, int32_t screenHeight, float factor, int32_t& width,
                                       int32_t& height)
{
    const auto side = [factor](int32_t screen) {
        const double scaled = static_cast<double>(screen) * static_cast<double>(factor);
        // Not a number, zero or negative: the smallest texture there is.
        if (!std::isfinite(factor) || !(scaled >= 1.0))
            return 1;
        return scaled >= kLargestTexture ? kLargestTexture : static_cast<int32_t>(scaled);
    };
    width = side(screenWidth);
    height = side(screenHeight);
}

bool Bloom5PostRenderEffect::MakePrograms()
{
    if (quadPass)
        return true;
    const char* const vertexTexts[3] = {kDownsampleVertex, kBlurVertex, kCombineVertex};
    const char* const pixelTexts[3] = {kDownsamplePixel, kBlurPixel, kCombinePixel};
    const char* const names[3] = {"Bloom5.Downsample", "Bloom5.Blur", "Bloom5.Combine"};
    for (int i = 0; i < 3; ++i)
    {
        vertexPrograms[i] = new (std::nothrow) VertexShader(String(names[i]), String(vertexTexts[i]));
        pixelPrograms[i] = new (std::nothrow) PixelShader(String(names[i]), String(pixelTexts[i]));
        if (!vertexPrograms[i] || !pixelPrograms[i])
            break;
    }
    Ptr<Pass> pass = new (std::nothrow) StatePass();
    if (!pass || !pass->GetState() || !vertexPrograms[2] || !pixelPrograms[2])
    {
        LogError("Недостаточно памяти для создания прохода. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return false;
    }
    // The quad covers everything and replaces it; textures are read at
    // their texel centres and never wrapped.
    RenderState& state = *pass->GetState();
    state.depthEnabled = false;
    state.depthWrite = false;
    state.cullEnabled = false;
    state.blendEnabled = false;
    for (uint32_t stage = 0; stage < 2; ++stage)
    {
        state.stages[stage].minFilter = TextureFilter::Linear;
        state.stages[stage].addressU = AddressMode::Clamp;
        state.stages[stage].addressV = AddressMode::Clamp;
    }
    quadPass = pass;
    return true;
}

int32_t Bloom5PostRenderEffect::Begin(Renderer& renderer)
{
    ApplyLetterbox(renderer);
    drawing = false;
    Texture* screen = EnsureScreenTexture(renderer.GetWidth(), renderer.GetHeight());
    // Without the texture the scene is still drawn, only without a glow.
    if (!screen || !MakePrograms() || !GetQuad() || renderer.SetRenderTarget(screen) != 0)
        return 0;
    renderer.Clear(3, renderer.GetClearColour(), 1.0f, 0);
    drawing = true;
    return 0;
}

void Bloom5PostRenderEffect::DrawQuad(Renderer& renderer, VertexShader* vertex, PixelShader* pixel,
                                      const float* vertexConstant, const float* pixelConstants, uint32_t pixelCount)
{
    Triangles* quad = GetQuad();
    renderer.SetGeometry(quad);
    renderer.SetCurrentPass(quadPass.Get());
    renderer.BeginPass(quadPass.Get());
    renderer.SetPositionStream(quad->GetVertices());
    renderer.SetVertexShader(vertex);
    renderer.SetPixelShader(pixel);
    if (vertexConstant)
        renderer.SetVertexShaderConstants(0, vertexConstant, 1);
    if (pixelCount)
        renderer.SetPixelShaderConstants(0, pixelConstants, pixelCount);
}

void Bloom5PostRenderEffect::Finish(Renderer& renderer)
{
    if (!drawing)
    {
        RestoreViewport(renderer);
        return;
    }
    drawing = false;
    Texture* screen = GetScreenTexture();
    const int32_t screenWidth = static_cast<int32_t>(screen->GetImage()->GetWidth());
    const int32_t screenHeight = static_cast<int32_t>(screen->GetImage()->GetHeight());
    int32_t width = 1, height = 1;
    BloomSize(screenWidth, screenHeight, scale, width, height);
    if (!OfSize(downsample.Get(), width, height))
        downsample = MakeTargetTexture("Downsample Bloom Texture", "Downsample Bloom Image", width, height);
    if (!OfSize(blur.Get(), width, height))
        blur = MakeTargetTexture("Blur Bloom Texture", "Blur Bloom Image", width, height);
    renderer.SetRenderTarget(nullptr);
    if (!downsample || !blur)
    {
        LogError("Недостаточно памяти для создания текстуры. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        RestoreViewport(renderer);
        return;
    }

    // Bright parts, brought down.
    const float texel[4] = {1.0f / static_cast<float>(screenWidth), 1.0f / static_cast<float>(screenHeight), 0, 0};
    const float cut[4] = {threshold, 0, 0, 0};
    if (renderer.SetRenderTarget(downsample.Get()) == 0)
    {
        DrawQuad(renderer, vertexPrograms[0].Get(), pixelPrograms[0].Get(), texel, cut, 1);
        renderer.SetTexture(0, screen);
        renderer.Draw(2);
        renderer.SetRenderTarget(nullptr);
    }
    // Across, then down.
    const float across[4] = {blurSpread / static_cast<float>(width), 0, 0, 0};
    if (renderer.SetRenderTarget(blur.Get()) == 0)
    {
        DrawQuad(renderer, vertexPrograms[1].Get(), pixelPrograms[1].Get(), across, nullptr, 0);
        renderer.SetTexture(0, downsample.Get());
        renderer.Draw(2);
        renderer.SetRenderTarget(nullptr);
    }
    const float down[4] = {0, blurSpread / static_cast<float>(height), 0, 0};
    if (renderer.SetRenderTarget(downsample.Get()) == 0)
    {
        DrawQuad(renderer, vertexPrograms[1].Get(), pixelPrograms[1].Get(), down, nullptr, 0);
        renderer.SetTexture(0, blur.Get());
        renderer.Draw(2);
        renderer.SetRenderTarget(nullptr);
    }
    // Back onto the picture, in the band when there is one.
    ApplyLetterbox(renderer);
    const float weights[16] = {sceneWeight, 0, 0, 0, bloomWeight, 0, 0, 0, luminanceWeight, 0, 0, 0,
                               tint.x,      tint.y, tint.z, tint.w};
    DrawQuad(renderer, vertexPrograms[2].Get(), pixelPrograms[2].Get(), nullptr, weights, 4);
    renderer.SetTexture(0, screen);
    renderer.SetTexture(1, downsample.Get());
    renderer.Draw(2);
    renderer.SetTexture(0, nullptr);
    renderer.SetTexture(1, nullptr);
    RestoreViewport(renderer);
}

int32_t Bloom5PostRenderEffect::Save(Stream& stream)
{
    if (PostRenderEffect::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    stream.WriteFloat(threshold);
    stream.WriteFloat(luminanceWeight);
    stream.WriteFloat(blurSpread);
    stream.WriteFloat(bloomWeight);
    stream.WriteFloat(sceneWeight);
    stream.WriteVector4(tint);
    if (stream.WriteFloat(scale) != 0)
    {
        LogError("Невозможно сохранить данные блюма. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t Bloom5PostRenderEffect::Load(Stream& stream)
{
    if (PostRenderEffect::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    stream.ReadFloat(threshold);
    stream.ReadFloat(luminanceWeight);
    stream.ReadFloat(blurSpread);
    stream.ReadFloat(bloomWeight);
    stream.ReadFloat(sceneWeight);
    stream.ReadVector4(tint);
    if (stream.ReadFloat(scale) != 0)
    {
        LogError("Невозможно загрузить данные блюма. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    return 0;
}
