#pragma once
#include <cstdint>

#include "engine/core/Object.h"
#include "engine/core/Ptr.h"
#include "engine/core/Vector4.h"

class Renderer;

// The complete fixed-function device state one pass needs. Built in code
// by the pass (never streamed beyond the Object data); the renderer turns
// it into device state with ApplyStateBlock and may keep a recording of it
// until the block is marked changed.
class RenderStateBlock : public Object
{
    QRE_DECLARE_CLASS

public:
    // One of the eight texture stages. The combiner arguments are indexed
    // [0] = argument 1, [1] = argument 2, [2] = argument 0.
    struct TextureStage
    {
        int32_t magFilter = 1;
        int32_t minFilter = 5;
        int32_t addressU = 1;
        int32_t addressV = 1;
        int32_t addressW = 1;
        Vector4 borderColour{0.0f, 1.0f, 0.0f, 1.0f};
        int32_t combine = 2;
        Vector4 textureFactor{1.0f, 1.0f, 1.0f, 1.0f};
        // custom combiner (combine 5)
        int32_t colourOperation = 1;
        int32_t alphaOperation = 1;
        int32_t colourArgument[3] = {0, 3, 2};
        int32_t alphaArgument[3] = {0, 3, 2};
        int32_t colourModifier[3] = {0, 0, 0};
        int32_t alphaModifier[3] = {2, 2, 2};
        int32_t texCoordGeneration = 0;
    };

    static constexpr uint32_t kStageCount = 8;

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

    // The state itself: plain fields, written by the pass that owns the
    // block and read by the device. Enumerations as the renderer documents
    // them (blend factor, compare, stencil operation, filters, address).
    bool blendEnabled = false;
    int32_t sourceBlend = 4;
    int32_t destinationBlend = 5;
    bool alphaTestEnabled = false;
    int32_t alphaFunction = 7;
    int32_t alphaReference = 1;
    bool cullEnabled = true;
    int32_t cullOrder = 1;
    bool fogEnabled = false;
    float fogStart = 0.0f;
    float fogEnd = 1000.0f;
    float fogDensity = 1.0f;
    Vector4 fogColour{0.5f, 0.5f, 0.5f, 1.0f};
    int32_t fogMode = 0;
    bool fogPerPixel = false;
    Vector4 diffuse{0.8f, 0.8f, 0.8f, 1.0f};
    Vector4 ambient{0.2f, 0.2f, 0.2f, 1.0f};
    Vector4 specular{0.0f, 0.0f, 0.0f, 1.0f};
    Vector4 emissive{0.0f, 0.0f, 0.0f, 1.0f};
    float power = 1.0f;
    int32_t shadeMode = 1;
    bool wireframe = false;
    bool depthEnabled = true;
    bool depthWrite = true;
    int32_t depthFunction = 2;
    bool stencilEnabled = false;
    int32_t stencilFunction = 7;
    int32_t stencilReference = 0;
    int32_t stencilFail = 0;
    int32_t stencilDepthFail = 0;
    int32_t stencilPass = 0;
    bool twoSidedStencil = false;
    int32_t ccwStencilFunction = 7;
    int32_t ccwStencilFail = 0;
    int32_t ccwStencilDepthFail = 0;
    int32_t ccwStencilPass = 0;
    TextureStage stages[kStageCount];
    bool pointSprites = false;

private:
    Ptr<Renderer> deviceRenderer;
    void* deviceHandle = nullptr;
    bool changed = true;
};
