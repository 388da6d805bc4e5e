#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/core/Vector4.h"
#include "engine/render/DeviceValues.h"
#include "engine/render/Effect.h"

class GeometryNode;
class SkinController;

// The effect that draws one geometry node, with the settings every
// geometry effect shares: material, alpha test, blending, depth, stencil,
// fog, wind, samplers and skinning. Passes copy these into their state on
// MarkChanged, so every setter here marks the effect changed. A blended
// effect marks its geometry transparent (drawn at the end, back to front).
class GeometryNodeEffect : public Effect
{
    QRE_DECLARE_CLASS

public:
    static constexpr uint32_t kStageCount = 8;

    // How a geometry's vertices reach a shadow map: as stored, swayed by the
    // wind, or blended from the skin's rest pose by its bones.
    enum class DepthProgram : uint8_t
    {
        Plain,
        Wind,
        Skinned,
    };

    explicit GeometryNodeEffect(const String& name = String());
    ~GeometryNodeEffect() override;

    // Object update, then the effect's clock; a linked skin controller is
    // left to the vertex program on shader model 2.0/3.0 devices and is
    // dropped (back to CPU skinning) on any other.
    int32_t Update(double time) override;

    // depth and stencil
    bool GetDepthEnabled() const { return depthEnabled; }
    bool GetDepthWrite() const { return depthWrite; }
    void SetDepth(bool enabled, bool write);
    bool GetStencilEnabled() const { return stencilEnabled; }
    CompareFunction GetStencilFunction() const { return stencilFunction; }
    int32_t GetStencilReference() const { return stencilReference; }
    StencilOperation GetStencilFail() const { return stencilFail; }
    StencilOperation GetStencilDepthFail() const { return stencilDepthFail; }
    StencilOperation GetStencilPass() const { return stencilPass; }
    void SetStencil(bool enabled, CompareFunction function, int32_t reference, StencilOperation fail,
                    StencilOperation depthFail, StencilOperation pass);

    bool GetWireframe() const { return wireframe; }
    void SetWireframe(bool value);
    bool GetCullEnabled() const { return cullEnabled; }
    void SetCullEnabled(bool value);

    // material
    const Vector4& GetDiffuse() const { return diffuse; }
    const Vector4& GetAmbient() const { return ambient; }
    const Vector4& GetSpecular() const { return specular; }
    const Vector4& GetEmissive() const { return emissive; }
    float GetPower() const { return power; }
    void SetMaterial(const Vector4& newDiffuse, const Vector4& newAmbient, const Vector4& newSpecular,
                     const Vector4& newEmissive, float newPower);

    // alpha test (the function is always greater or equal)
    bool GetAlphaTestEnabled() const { return alphaTestEnabled; }
    int32_t GetAlphaReference() const { return alphaReference; }
    void SetAlphaTest(bool enabled, int32_t reference);

    // blending; also what makes the geometry transparent (and effects that
    // blend some of their passes, which say so here)
    virtual bool IsTransparent() const { return blendEnabled; }
    bool GetBlendEnabled() const { return blendEnabled; }
    BlendFactor GetSourceBlend() const { return sourceBlend; }
    BlendFactor GetDestinationBlend() const { return destinationBlend; }
    void SetBlendEnabled(bool enabled);
    void SetBlend(bool enabled, BlendFactor source, BlendFactor destination);

    // fog: an exponent above 2 is exponential squared on the fixed-function
    // path, anything else exponential
    bool GetFogEnabled() const { return fogEnabled; }
    const Vector4& GetFogColour() const { return fogColour; }
    float GetFogDensity() const { return fogDensity; }
    float GetFogExponent() const { return fogExponent; }
    void SetFog(bool enabled, const Vector4& colour, float density, float exponent);

    // wind sway of the shader programs
    bool GetWindEnabled() const { return windEnabled; }
    float GetWindAmplitude() const { return windAmplitude; }
    float GetWindSpeed() const { return windSpeed; }
    void SetWind(bool enabled, float amplitude, float speed);
    // Seconds accumulated by Update.
    float GetTime() const { return time; }

    // Sampler of a stage: address mode for u, v and w, filters. Stages past
    // the last give the defaults and are ignored when set.
    AddressMode GetAddressMode(uint32_t stage) const
    {
        return stage < kStageCount ? addressMode[stage] : AddressMode::Wrap;
    }
    TextureFilter GetMinFilter(uint32_t stage) const
    {
        return stage < kStageCount ? minFilter[stage] : TextureFilter::LinearMipLinear;
    }
    TextureFilter GetMagFilter(uint32_t stage) const
    {
        return stage < kStageCount ? magFilter[stage] : TextureFilter::Linear;
    }
    void SetSampler(uint32_t stage, AddressMode address, TextureFilter min, TextureFilter mag);

    // Skinning by the vertex program (held). The previous controller goes
    // back to CPU skinning; a new one is set to CPU skinning until an update
    // finds a capable device, and the node it deforms gets an unbounded
    // world sphere so it is never culled. 3 (refused, logged) when the
    // controller holds this effect.
    SkinController* GetSkinController() const { return skinController.Get(); }
    int32_t SetSkinController(SkinController* controller);
    // Whether the first pass of the active technique draws with a skinned
    // program (so the controller leaves the skinning to the device).
    bool ActivePassSkins() const;

    // The depth-only program that draws the geometry into a shadow map the
    // way this effect's own programs move its vertices: skinned while a
    // linked skin is left to the vertex program, wind while the wind is on,
    // else plain. A member whose programs move vertices otherwise says so.
    virtual DepthProgram GetDepthProgram() const;

    // Back pointer to the geometry that holds this effect; set by the
    // geometry, cleared when it lets the effect go.
    GeometryNode* GetOwner() const { return owner; }
    void SetOwner(GeometryNode* node) { owner = node; }

    bool Holds(const Object* other) const override;

    // streaming: address mask, material, alpha test, blend/cull flags, blend
    // factors, fog, wind, skin controller link
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    bool depthEnabled = true;
    bool depthWrite = true;
    bool stencilEnabled = false;
    CompareFunction stencilFunction = CompareFunction::Always;
    int32_t stencilReference = 0;
    StencilOperation stencilFail = StencilOperation::Keep;
    StencilOperation stencilDepthFail = StencilOperation::Keep;
    StencilOperation stencilPass = StencilOperation::Keep;
    bool wireframe = false;
    Vector4 diffuse{0.8f, 0.8f, 0.8f, 1.0f};
    Vector4 ambient{0.2f, 0.2f, 0.2f, 1.0f};
    Vector4 specular{0.0f, 0.0f, 0.0f, 1.0f};
    Vector4 emissive{0.0f, 0.0f, 0.0f, 1.0f};
    float power = 1.0f;
    bool alphaTestEnabled = false;
    int32_t alphaReference = 1;
    bool blendEnabled = false;
    BlendFactor sourceBlend = BlendFactor::SourceAlpha;
    BlendFactor destinationBlend = BlendFactor::InverseSourceAlpha;
    bool fogEnabled = false;
    Vector4 fogColour{1.0f, 1.0f, 1.0f, 1.0f};
    float fogDensity = 0.001f;
    float fogExponent = 2.0f;
    float windAmplitude = 0.05f;
    float windSpeed = 1.0f;
    float time = 0.0f;
    bool windEnabled = false;
    Ptr<SkinController> skinController;
    bool cullEnabled = true;
    AddressMode addressMode[kStageCount];
    TextureFilter minFilter[kStageCount];
    TextureFilter magFilter[kStageCount];
    GeometryNode* owner = nullptr; // back pointer
};
