#pragma once
#include <cstdint>

#include "engine/core/Object.h"
#include "engine/core/Ptr.h"
#include "engine/core/Vector4.h"
#include "engine/render/DeviceValues.h"

class Renderer;

// The complete fixed-function device state one pass needs, as plain values
// that compare as a whole.
struct RenderState
{
    // One of the eight texture stages. The combiner arguments are indexed
    // [0] = argument 1, [1] = argument 2, [2] = argument 0.
    struct TextureStage
    {
        TextureFilter magFilter = TextureFilter::Linear;
        TextureFilter minFilter = TextureFilter::LinearMipLinear;
        AddressMode addressU = AddressMode::Wrap;
        AddressMode addressV = AddressMode::Wrap;
        AddressMode addressW = AddressMode::Wrap;
        Vector4 borderColour{0.0f, 1.0f, 0.0f, 1.0f};
        StageCombine combine = StageCombine::Modulate;
        Vector4 textureFactor{1.0f, 1.0f, 1.0f, 1.0f};
        // the custom combiner (StageCombine::Custom)
        CombineOperation colourOperation = CombineOperation::Modulate;
        CombineOperation alphaOperation = CombineOperation::Modulate;
        CombineArgument colourArgument[3] = {CombineArgument::Texture, CombineArgument::Previous,
                                             CombineArgument::TextureFactor};
        CombineArgument alphaArgument[3] = {CombineArgument::Texture, CombineArgument::Previous,
                                            CombineArgument::TextureFactor};
        ArgumentModifier colourModifier[3] = {ArgumentModifier::None, ArgumentModifier::None,
                                              ArgumentModifier::None};
        ArgumentModifier alphaModifier[3] = {ArgumentModifier::AlphaReplicate, ArgumentModifier::AlphaReplicate,
                                             ArgumentModifier::AlphaReplicate};
        TexCoordGeneration texCoordGeneration = TexCoordGeneration::None;

        bool operator==(const TextureStage&) const = default;
    };

    static constexpr uint32_t kStageCount = 8;

    bool blendEnabled = false;
    BlendFactor sourceBlend = BlendFactor::SourceAlpha;
    BlendFactor destinationBlend = BlendFactor::InverseSourceAlpha;
    bool alphaTestEnabled = false;
    CompareFunction alphaFunction = CompareFunction::Always;
    int32_t alphaReference = 1;
    bool cullEnabled = true;
    CullOrder cullOrder = CullOrder::CounterClockwise;
    bool fogEnabled = false;
    float fogStart = 0.0f;
    float fogEnd = 1000.0f;
    float fogDensity = 1.0f;
    Vector4 fogColour{0.5f, 0.5f, 0.5f, 1.0f};
    FogMode fogMode = FogMode::Linear;
    bool fogPerPixel = false;
    Vector4 diffuse{0.8f, 0.8f, 0.8f, 1.0f};
    Vector4 ambient{0.2f, 0.2f, 0.2f, 1.0f};
    Vector4 specular{0.0f, 0.0f, 0.0f, 1.0f};
    Vector4 emissive{0.0f, 0.0f, 0.0f, 1.0f};
    float power = 1.0f;
    ShadeMode shadeMode = ShadeMode::Gouraud;
    FillMode fillMode = FillMode::Solid;
    bool depthEnabled = true;
    bool depthWrite = true;
    CompareFunction depthFunction = CompareFunction::LessEqual;
    bool stencilEnabled = false;
    CompareFunction stencilFunction = CompareFunction::Always;
    int32_t stencilReference = 0;
    StencilOperation stencilFail = StencilOperation::Keep;
    StencilOperation stencilDepthFail = StencilOperation::Keep;
    StencilOperation stencilPass = StencilOperation::Keep;
    bool twoSidedStencil = false;
    CompareFunction ccwStencilFunction = CompareFunction::Always;
    StencilOperation ccwStencilFail = StencilOperation::Keep;
    StencilOperation ccwStencilDepthFail = StencilOperation::Keep;
    StencilOperation ccwStencilPass = StencilOperation::Keep;
    TextureStage stages[kStageCount];
    bool pointSprites = false;

    bool operator==(const RenderState&) const = default;
};

// The state of one pass as an object. Built in code by the pass (never
// streamed beyond the Object data); the renderer turns it into device state
// with ApplyStateBlock and may keep a recording of it until the block is
// marked changed. The state itself is the plain fields of RenderState,
// written by the pass that owns the block and read by the device.
class RenderStateBlock : public Object, public RenderState
{
    QRE_DECLARE_CLASS

public:
    explicit RenderStateBlock(const String& name = String());
    // Gives a recorded device copy back while its renderer can free it.
    ~RenderStateBlock() override;

    // Device-object record: a new block has never been recorded.
    bool IsChanged() const { return changed; }
    void MarkChanged() { changed = true; }
    void ClearChanged() { changed = false; }
    void* GetDeviceHandle() const { return deviceHandle; }
    Renderer* GetDeviceRenderer() const { return deviceRenderer.Get(); }
    void SetDeviceHandle(Renderer* renderer, void* handle);

private:
    Ptr<Renderer> deviceRenderer;
    void* deviceHandle = nullptr;
    bool changed = true;
};
