#include "engine/render/ProgramPass.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/render/ConstantLayout.h"
#include "engine/render/DrawConstants.h"
#include "engine/render/FamilyMember.h"
#include "engine/render/GeometryNodeEffect.h"
#include "engine/render/PixelShader.h"
#include "engine/render/RenderStateBlock.h"
#include "engine/render/Renderer.h"
#include "engine/render/VertexShader.h"
#include "engine/scene/ColorBuffer.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/SkinController.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/scene/Vector4Buffer.h"

QRE_IMPLEMENT_CLASS(ProgramPass, GeometryNodeEffectPass)

namespace
{
constexpr EffectPrograms::Id kNone = EffectPrograms::Id::Count;

// The shader of a program, or null for none or out of memory.
template <class ShaderClass>
ShaderClass* MakeShader(EffectPrograms::Id id)
{
    if (id == kNone)
        return nullptr;
    const EffectPrograms::Program& program = EffectPrograms::Get(id);
    return new (std::nothrow) ShaderClass(String(program.name), String(program.text));
}
} // namespace

ProgramPass::ProgramPass(GeometryNodeEffect* effect, const FamilyMember* member, const ProgramSet& programs,
                         uint32_t shell)
    : GeometryNodeEffectPass(effect), member(member), programs(programs), shell(shell)
{
    plain = MakeShader<VertexShader>(programs.plain);
    wind = MakeShader<VertexShader>(programs.wind);
    skinned = MakeShader<VertexShader>(programs.skinned);
    pixel = MakeShader<PixelShader>(programs.pixel);
    coloured = MakeShader<VertexShader>(programs.coloured);
}

ProgramPass::~ProgramPass() = default;

ProgramPass* ProgramPass::Make(GeometryNodeEffect* effect, const FamilyMember* member, const ProgramSet& programs,
                               uint32_t shell)
{
    ProgramPass* made = new (std::nothrow) ProgramPass(effect, member, programs, shell);
    if (made && made->Complete() && made->GetState())
        return made;
    delete made;
    LogError("Недостаточно памяти для создания прохода. Имя[%s] ID[%d]", effect ? effect->GetName().CStr() : "",
             effect ? effect->GetID() : 0);
    return nullptr;
}

void ProgramPass::MakeShellState(RenderStateBlock& state)
{
    state.blendEnabled = true;
    state.sourceBlend = BlendFactor::SourceAlpha;
    state.destinationBlend = BlendFactor::InverseSourceAlpha;
    state.depthWrite = false;
}

void ProgramPass::MarkChanged()
{
    GeometryNodeEffectPass::MarkChanged();
    if (shell > 0 && GetState())
        MakeShellState(*GetState());
}

bool ProgramPass::Complete() const
{
    return (programs.plain == kNone || plain) && (programs.wind == kNone || wind) &&
           (programs.skinned == kNone || skinned) && (programs.pixel == kNone || pixel) && (programs.coloured == kNone || coloured) && plain;
}

bool ProgramPass::IsSkinning() const
{
    const GeometryNodeEffect* effect = GetEffect();
    return skinned && effect && effect->GetSkinController();
}

int32_t ProgramPass::Apply()
{
    Renderer* renderer = GetRenderer();
    GeometryNode* geometry = renderer ? renderer->GetGeometry() : nullptr;
    GeometryNodeEffect* effect = GetEffect();
    if (!renderer || !geometry || !GetState() || !effect || !member)
        return 1;
    MemberBindings bindings;
    bindings.mapped = static_cast<bool>(pixel);
    bindings.shell = shell;
    member->NameBindings(bindings);

    SkinController* skin = IsSkinning() ? effect->GetSkinController() : nullptr;
    Vector3Buffer* positions = geometry->GetVertices();
    Vector3Buffer* normals = geometry->GetNormals();
    if (bindings.tangent && !geometry->GetTangents() && !triedTangents)
    {
        // Made once from the normal map's coordinates where the geometry can.
        triedTangents = true;
        geometry->GenerateTangents(bindings.tangentSet);
    }
    Vector3Buffer* tangents = geometry->GetTangents();
    if (skin)
    {
        // The program deforms the rest pose; the geometry's own vertices
        // are whatever the CPU last wrote.
        if (skin->GetRestVertices())
            positions = skin->GetRestVertices();
        if (skin->GetRestNormals())
            normals = skin->GetRestNormals();
        if (skin->GetRestTangents())
            tangents = skin->GetRestTangents();
    }
    ColorBuffer* colours = !skin && coloured ? geometry->GetColors() : nullptr;
    VertexShader* vertex = skin      ? skinned.Get()
                           : colours ? coloured.Get()
                                     : (effect->GetWindEnabled() && wind ? wind.Get() : plain.Get());
    if (!vertex || !positions || positions->GetCount() == 0 || (shell > 0 && !normals) || (bindings.tangent && (!tangents || bindings.setCount >= MemberBindings::kMaxStages)))
        return 1;
    DrawConstants constants;
    if (constants.Compute(renderer->GetCamera(), *geometry, *effect, *GetState(),
                          std::span<Light* const>(bindings.lights, bindings.lightCount), skin) != 0)
        return 1;

    renderer->SetIndexBuffer(geometry->GetIndices());
    renderer->SetPositionStream(positions);
    renderer->SetNormalStream(normals);
    renderer->SetColorStream(colours);
    for (uint32_t i = 0; i < bindings.setCount; ++i)
        renderer->SetTexCoordStream(i, geometry->GetTextureCoordinates(bindings.sets[i]));
    if (bindings.tangent)
        renderer->SetTexCoordStream(bindings.setCount, tangents);
    renderer->SetBlendWeightStream(skin ? skin->GetWeights() : nullptr);
    renderer->SetBlendIndexStream(skin ? skin->GetBoneIndices() : nullptr);
    for (uint32_t i = 0; i < bindings.textureCount; ++i)
        renderer->SetTexture(i, bindings.textures[i]);
    renderer->SetVertexShader(vertex);
    renderer->SetPixelShader(pixel.Get());

    const EffectPrograms::Id vertexId = vertex == skinned.Get()    ? programs.skinned
                                        : vertex == coloured.Get() ? programs.coloured
                                        : vertex == wind.Get()     ? programs.wind
                                                                   : programs.plain;
    constants.SetParallax(bindings.parallaxScale, bindings.parallaxBias);
    constants.SetShell(bindings.shellOffset, bindings.shellAlpha);
    constants.Upload(*renderer, false, ConstantLayout::Row(vertexId));
    if (pixel)
        constants.Upload(*renderer, true, ConstantLayout::Row(programs.pixel));
    return 0;
}
