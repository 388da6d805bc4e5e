#include "engine/render/HardwareLightPass.h"

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/render/ColorEffect.h"
#include "engine/render/FamilyMember.h"
#include "engine/render/ProgramPass.h"
#include "engine/render/RenderStateBlock.h"
#include "engine/render/Renderer.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/Vector3Buffer.h"

QRE_IMPLEMENT_CLASS(HardwareLightPass, GeometryNodeEffectPass)

HardwareLightPass::HardwareLightPass(ColorEffect* effect, const FamilyMember* member, uint32_t shell)
    : GeometryNodeEffectPass(effect), lit(effect), member(member), shell(shell)
{
}

HardwareLightPass::~HardwareLightPass() = default;

void HardwareLightPass::MarkChanged()
{
    GeometryNodeEffectPass::MarkChanged();
    RenderStateBlock* state = GetState();
    if (shell == 0 || !state || !member)
        return;
    ProgramPass::MakeShellState(*state);
    MemberBindings bindings;
    bindings.shell = shell;
    member->NameBindings(bindings);
    // Stage 1 keeps the colour so far and gives the alpha: the fur
    // texture's times the shell's factor (in the texture factor).
    RenderStateBlock::TextureStage& stage = state->stages[1];
    stage.combine = StageCombine::Custom;
    stage.colourOperation = CombineOperation::Select;
    stage.colourArgument[0] = CombineArgument::Previous;
    stage.alphaOperation = CombineOperation::Modulate;
    stage.alphaArgument[0] = CombineArgument::Texture;
    stage.alphaArgument[1] = CombineArgument::TextureFactor;
    stage.textureFactor = Vector4(1.0f, 1.0f, 1.0f, bindings.shellAlpha);
}

Vector3Buffer* HardwareLightPass::Shifted(Vector3Buffer& positions, Vector3Buffer& normals, float offset)
{
    const uint32_t count = positions.GetCount();
    if (shifted && shifted->GetCount() == count && shiftedFrom[0] == &positions && shiftedFrom[1] == &normals &&
        shiftedRevision[0] == positions.GetRevision() && shiftedRevision[1] == normals.GetRevision() &&
        shiftedBy == offset)
        return shifted.Get();
    if (!shifted || shifted->GetCount() != count)
    {
        shifted = CreateBuffer<Vector3Buffer>(count);
        if (!shifted)
            return nullptr;
    }
    const Vector3* from = positions.GetElements();
    const Vector3* along = normals.GetElements();
    Vector3* to = shifted->GetElements();
    const uint32_t withNormal = normals.GetCount() < count ? normals.GetCount() : count;
    for (uint32_t i = 0; i < count; ++i)
        to[i] = i < withNormal ? from[i] + along[i].Normalized() * offset : from[i];
    shifted->MarkChanged();
    shiftedFrom[0] = &positions;
    shiftedFrom[1] = &normals;
    shiftedRevision[0] = positions.GetRevision();
    shiftedRevision[1] = normals.GetRevision();
    shiftedBy = offset;
    return shifted.Get();
}

int32_t HardwareLightPass::Apply()
{
    Renderer* renderer = GetRenderer();
    GeometryNode* geometry = renderer ? renderer->GetGeometry() : nullptr;
    if (!renderer || !geometry || !lit || (shell > 0 && (!geometry->GetNormals() || !geometry->GetVertices())))
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
    bindings.shell = shell;
    member->NameBindings(bindings);
    if (shell > 0)
    {
        Vector3Buffer* moved = Shifted(*geometry->GetVertices(), *geometry->GetNormals(), bindings.shellOffset);
        if (!moved)
        {
            LogError("Недостаточно памяти для создания буффера. ID[%d] Имя[%s]", lit->GetID(), lit->GetName().CStr());
            return 2;
        }
        renderer->SetPositionStream(moved);
    }
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
