#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/core/Vector4.h"
#include "engine/render/PostRenderEffect.h"

class PixelShader;
class VertexShader;

// A glow around the bright parts of the picture: the children are drawn
// into the screen texture, whose bright parts (luminance at least the
// threshold) are brought down to a texture of scale times its size, blurred
// by five taps across and five down, and added back over the picture:
// screen x sceneWeight + (bloom x bloomWeight + bloom alpha (the luminance)
// x luminanceWeight) x tint. The letterbox of PostRenderEffect applies.
class Bloom5PostRenderEffect : public PostRenderEffect
{
    QRE_DECLARE_CLASS

public:
    // The largest side a bloom texture is given.
    static constexpr int32_t kLargestTexture = 8192;

    explicit Bloom5PostRenderEffect(const String& name = String());
    ~Bloom5PostRenderEffect() override;

    float GetThreshold() const { return threshold; }
    float GetLuminanceWeight() const { return luminanceWeight; }
    float GetBlurSpread() const { return blurSpread; }
    float GetBloomWeight() const { return bloomWeight; }
    float GetSceneWeight() const { return sceneWeight; }
    const Vector4& GetTint() const { return tint; }
    float GetScale() const { return scale; }
    void SetWeights(float newThreshold, float newLuminanceWeight, float newBlurSpread, float newBloomWeight,
                    float newSceneWeight)
    {
        threshold = newThreshold;
        luminanceWeight = newLuminanceWeight;
        blurSpread = newBlurSpread;
        bloomWeight = newBloomWeight;
        sceneWeight = newSceneWeight;
    }
    void SetTint(const Vector4& value) { tint = value; }
    void SetScale(float value) { scale = value; }

    // The bloom textures' size for a screen: screen x scale truncated, at
    // least 1 and at most kLargestTexture; a scale that is zero, negative or
    // not finite gives 1 x 1.
    static void BloomSize(int32_t screenWidth, int32_t screenHeight, float scale, int32_t& width, int32_t& height);

    // The screen texture of the viewport's size becomes the target,
    // cleared with the renderer's clear colour; 0, or 1 when it cannot be
    // (nothing is drawn then).
    int32_t Begin(Renderer& renderer) override;
    // The six steps back onto the picture.
    void Finish(Renderer& renderer) override;

    Texture* GetDownsampleTexture() const { return downsample.Get(); }
    Texture* GetBlurTexture() const { return blur.Get(); }

    // streaming: the five weights, tint, scale
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    // The programs and the pass the quad is drawn with; false when out of
    // memory.
    bool MakePrograms();
    // One quad from texture source (stage 0) into the bound target.
    void DrawQuad(Renderer& renderer, VertexShader* vertex, PixelShader* pixel, const float* vertexConstant,
                  const float* pixelConstants, uint32_t pixelCount);

    float threshold = 0.8f;
    float luminanceWeight = 0.0f;
    float blurSpread = 1.0f;
    float bloomWeight = 1.0f;
    float sceneWeight = 1.0f;
    Vector4 tint{1.0f, 1.0f, 1.0f, 1.0f};
    float scale = 0.25f;
    Ptr<Texture> downsample;
    Ptr<Texture> blur;
    Ptr<VertexShader> vertexPrograms[3];
    Ptr<PixelShader> pixelPrograms[3];
    Ptr<Pass> quadPass;
    bool drawing = false; // Begin set the screen texture as the target
};
