#include "engine/render/GeometryNodeEffectPass.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/render/GeometryNodeEffect.h"

QRE_IMPLEMENT_ABSTRACT_CLASS(GeometryNodeEffectPass, Pass)

void GeometryNodeEffectPass::MarkChanged()
{
    Pass::MarkChanged();
    RenderStateBlock* state = GetState();
    if (!effect || !state)
        return;
    const GeometryNodeEffect& from = *effect;
    state->depthEnabled = from.GetDepthEnabled();
    state->depthWrite = from.GetDepthWrite();
    state->stencilEnabled = from.GetStencilEnabled();
    state->stencilFunction = from.GetStencilFunction();
    state->stencilReference = from.GetStencilReference();
    state->stencilFail = from.GetStencilFail();
    state->stencilDepthFail = from.GetStencilDepthFail();
    state->stencilPass = from.GetStencilPass();
    state->fillMode = from.GetWireframe() ? FillMode::Wireframe : FillMode::Solid;
    state->diffuse = from.GetDiffuse();
    state->ambient = from.GetAmbient();
    state->specular = from.GetSpecular();
    state->emissive = from.GetEmissive();
    state->power = from.GetPower();
    state->alphaTestEnabled = from.GetAlphaTestEnabled();
    state->alphaReference = from.GetAlphaReference();
    state->alphaFunction = CompareFunction::GreaterEqual;
    state->blendEnabled = from.GetBlendEnabled();
    state->sourceBlend = from.GetSourceBlend();
    state->destinationBlend = from.GetDestinationBlend();
    state->fogEnabled = from.GetFogEnabled();
    state->fogColour = from.GetFogColour();
    state->fogDensity = from.GetFogDensity();
    state->fogPerPixel = false;
    // Exactly 2 stays exponential here; only the shader programs square.
    state->fogMode = from.GetFogExponent() > 2.0f ? FogMode::ExponentialSquared : FogMode::Exponential;
    state->cullEnabled = from.GetCullEnabled();
    state->cullOrder = CullOrder::CounterClockwise;
    for (uint32_t i = 0; i < RenderStateBlock::kStageCount; ++i)
    {
        RenderStateBlock::TextureStage& stage = state->stages[i];
        stage.addressU = stage.addressV = stage.addressW = from.GetAddressMode(i);
        stage.minFilter = from.GetMinFilter(i);
        stage.magFilter = from.GetMagFilter(i);
    }
}
