#include "engine/render/HardwareLightPass.h"

#include "engine/core/EngineStartup.h"
#include "engine/render/ColorEffect.h"
#include "engine/render/FamilyMember.h"
#include "engine/render/Renderer.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/Vector3Buffer.h"

QRE_IMPLEMENT_CLASS(HardwareLightPass, GeometryNodeEffectPass)

HardwareLightPass::HardwareLightPass(ColorEffect* effect, const FamilyMember* member)
    : GeometryNodeEffectPass(effect), lit(effect), member(member)
{
}

int32_t HardwareLightPass::Apply()
{
    Renderer* renderer = GetRenderer();
    GeometryNode* geometry = renderer ? renderer->GetGeometry() : nullptr;
    if (!renderer || !geometry || !lit)
        return 1;
    renderer->SetVertexShader(nullptr);
    renderer->SetPixelShader(nullptr);
    const int32_t result = lit->BindFixedFunction(*renderer, *geometry);
    if (result != 0)
        return result;
    renderer->SetNormalStream(geometry->GetNormals());
    if (!member)
        return 0;
    MemberBindings bindings;
    member->NameBindings(bindings);
    if (bindings.lightmap)
    {
        renderer->SetTexCoordStream(1, geometry->GetTextureCoordinates(bindings.lightmapSet));
        renderer->SetTexture(1, bindings.lightmap);
    }
    const int32_t most = renderer->GetCaps().maxLights;
    for (uint32_t i = 0; i < bindings.lightCount && static_cast<int32_t>(i) < most; ++i)
        if (bindings.lights[i])
            renderer->PushLight(bindings.lights[i]);
    return 0;
}
