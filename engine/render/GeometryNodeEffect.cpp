#include "engine/render/GeometryNodeEffect.h"

#include <cfloat>
#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/render/ProgramPass.h"
#include "engine/render/Renderer.h"
#include "engine/render/Technique.h"
#include "engine/scene/Node.h"
#include "engine/scene/SkinController.h"
#include "engine/scene/SphereBoundingVolume.h"

QRE_IMPLEMENT_ABSTRACT_CLASS(GeometryNodeEffect, Effect)

namespace
{
// Vertex shader levels at which the vertex program does the skinning
// (shader model 2.0 and 3.0).
bool SkinsOnDevice(const Renderer* renderer)
{
    if (!renderer)
        return false;
    const ShaderLevel level = renderer->GetCaps().vertexShaderLevel;
    return level == ShaderLevel::Model2 || level == ShaderLevel::Model3;
}
} // namespace

bool GeometryNodeEffect::ActivePassSkins() const
{
    const Technique* technique = GetActiveTechnique();
    const Pass* pass = technique ? technique->GetPass(0) : nullptr;
    return pass && pass->IsDerived(ProgramPass::TYPE) && static_cast<const ProgramPass*>(pass)->IsSkinning();
}

GeometryNodeEffect::GeometryNodeEffect(const String& name) : Effect(name)
{
    for (uint32_t i = 0; i < kStageCount; ++i)
    {
        addressMode[i] = AddressMode::Wrap;
        minFilter[i] = TextureFilter::LinearMipLinear;
        magFilter[i] = TextureFilter::Linear;
    }
}

GeometryNodeEffect::~GeometryNodeEffect()
{
    // A controller that outlives us must skin on the CPU again.
    if (skinController)
        skinController->SetCpuSkinning(true);
}

int32_t GeometryNodeEffect::Update(double step)
{
    Effect::Update(step);
    time += static_cast<float>(step);
    if (skinController)
    {
        // The vertex program takes over the skinning only where the pass
        // that draws has a skinned program; otherwise the mesh stays
        // skinned on the CPU rather than freezing in its rest pose.
        if (!SkinsOnDevice(GetRenderer()))
            SetSkinController(nullptr);
        else
            skinController->SetCpuSkinning(!ActivePassSkins());
    }
    return 0;
}

void GeometryNodeEffect::SetDepth(bool enabled, bool write)
{
    depthEnabled = enabled;
    depthWrite = write;
    MarkChanged();
}

void GeometryNodeEffect::SetStencil(bool enabled, CompareFunction function, int32_t reference,
                                    StencilOperation fail, StencilOperation depthFail, StencilOperation pass)
{
    stencilEnabled = enabled;
    stencilFunction = function;
    stencilReference = reference;
    stencilFail = fail;
    stencilDepthFail = depthFail;
    stencilPass = pass;
    MarkChanged();
}

void GeometryNodeEffect::SetWireframe(bool value)
{
    wireframe = value;
    MarkChanged();
}

void GeometryNodeEffect::SetCullEnabled(bool value)
{
    cullEnabled = value;
    MarkChanged();
}

void GeometryNodeEffect::SetMaterial(const Vector4& newDiffuse, const Vector4& newAmbient,
                                     const Vector4& newSpecular, const Vector4& newEmissive, float newPower)
{
    diffuse = newDiffuse;
    ambient = newAmbient;
    specular = newSpecular;
    emissive = newEmissive;
    power = newPower;
    MarkChanged();
}

void GeometryNodeEffect::SetAlphaTest(bool enabled, int32_t reference)
{
    alphaTestEnabled = enabled;
    alphaReference = reference;
    MarkChanged();
}

void GeometryNodeEffect::SetBlendEnabled(bool enabled)
{
    blendEnabled = enabled;
    MarkChanged();
}

void GeometryNodeEffect::SetBlend(bool enabled, BlendFactor source, BlendFactor destination)
{
    blendEnabled = enabled;
    sourceBlend = source;
    destinationBlend = destination;
    MarkChanged();
}

void GeometryNodeEffect::SetFog(bool enabled, const Vector4& colour, float density, float exponent)
{
    fogEnabled = enabled;
    fogColour = colour;
    fogDensity = density;
    fogExponent = exponent;
    MarkChanged();
}

void GeometryNodeEffect::SetWind(bool enabled, float amplitude, float speed)
{
    windEnabled = enabled;
    windAmplitude = amplitude;
    windSpeed = speed;
    MarkChanged();
}

void GeometryNodeEffect::SetSampler(uint32_t stage, AddressMode address, TextureFilter min, TextureFilter mag)
{
    if (stage >= kStageCount)
        return;
    addressMode[stage] = address;
    minFilter[stage] = min;
    magFilter[stage] = mag;
    MarkChanged();
}

int32_t GeometryNodeEffect::SetSkinController(SkinController* controller)
{
    if (controller && (static_cast<Object*>(controller) == this || controller->Holds(this)))
    {
        LogError("Контроллер скиннинга уже содержит этот эффект. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 3;
    }
    if (skinController && skinController.Get() != controller)
        skinController->SetCpuSkinning(true);
    skinController = controller;
    MarkChanged();
    if (!controller)
        return 0;
    controller->SetCpuSkinning(true);
    // The vertex program moves the vertices where the CPU bound cannot
    // follow, so the deformed node must never be culled.
    Object* target = controller->GetTarget();
    if (target && target->IsDerived(Node::TYPE))
    {
        Node* node = static_cast<Node*>(target);
        node->SetUpdateWorldBound(false);
        BoundingVolume* bound = node->GetWorldBound();
        if (bound && bound->IsDerived(SphereBoundingVolume::TYPE))
        {
            auto* sphere = static_cast<SphereBoundingVolume*>(bound);
            sphere->SetCenter(Vector3(0.0f, 0.0f, 0.0f));
            sphere->SetRadius(FLT_MAX);
        }
    }
    return 0;
}

GeometryNodeEffect::DepthProgram GeometryNodeEffect::GetDepthProgram() const
{
    if (skinController && !skinController->GetCpuSkinning())
        return DepthProgram::Skinned;
    return windEnabled ? DepthProgram::Wind : DepthProgram::Plain;
}

bool GeometryNodeEffect::Holds(const Object* other) const
{
    if (Effect::Holds(other))
        return true;
    return skinController && (static_cast<const Object*>(skinController.Get()) == other ||
                               skinController->Holds(other));
}

int32_t GeometryNodeEffect::Save(Stream& stream)
{
    if (Effect::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    uint8_t mask = 0;
    for (uint32_t i = 0; i < kStageCount; ++i)
        if (addressMode[i] == AddressMode::Clamp)
            mask |= static_cast<uint8_t>(1u << i);
    uint8_t flags = 0;
    if (blendEnabled)
        flags |= 0x01;
    if (!cullEnabled)
        flags |= 0x10;
    stream.WriteInt8(static_cast<int8_t>(mask));
    stream.WriteVector4(diffuse);
    stream.WriteVector4(ambient);
    stream.WriteVector4(specular);
    stream.WriteVector4(emissive);
    stream.WriteFloat(power);
    stream.WriteBool(alphaTestEnabled);
    stream.WriteUInt32(static_cast<uint32_t>(alphaReference));
    stream.WriteInt8(static_cast<int8_t>(flags));
    stream.WriteUInt32(static_cast<uint32_t>(ToInt(sourceBlend)));
    stream.WriteUInt32(static_cast<uint32_t>(ToInt(destinationBlend)));
    stream.WriteBool(fogEnabled);
    stream.WriteVector4(fogColour);
    stream.WriteFloat(fogDensity);
    stream.WriteFloat(fogExponent);
    stream.WriteBool(windEnabled);
    stream.WriteFloat(windAmplitude);
    stream.WriteFloat(windSpeed);
    if (stream.WriteLink(skinController.Get()) != 0)
    {
        LogError("Невозможно сохранить данные эффекта. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t GeometryNodeEffect::Load(Stream& stream)
{
    if (Effect::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    int8_t mask = 0;
    int8_t flags = 0;
    uint32_t reference = 0;
    uint32_t source = 0;
    uint32_t destination = 0;
    stream.ReadInt8(mask);
    stream.ReadVector4(diffuse);
    stream.ReadVector4(ambient);
    stream.ReadVector4(specular);
    stream.ReadVector4(emissive);
    stream.ReadFloat(power);
    stream.ReadBool(alphaTestEnabled);
    stream.ReadUInt32(reference);
    stream.ReadInt8(flags);
    stream.ReadUInt32(source);
    stream.ReadUInt32(destination);
    stream.ReadBool(fogEnabled);
    MarkChanged();
    stream.ReadVector4(fogColour);
    stream.ReadFloat(fogDensity);
    stream.ReadFloat(fogExponent);
    stream.ReadBool(windEnabled);
    MarkChanged();
    stream.ReadFloat(windAmplitude);
    stream.ReadFloat(windSpeed);
    Object* link = nullptr;
    if (stream.ReadLink(link) != 0)
    {
        LogError("Невозможно загрузить данные эффекта. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    const uint8_t stageMask = static_cast<uint8_t>(mask);
    for (uint32_t i = 0; i < kStageCount; ++i)
        addressMode[i] = (stageMask & (1u << i)) ? AddressMode::Clamp : AddressMode::Wrap;
    const uint8_t flagByte = static_cast<uint8_t>(flags);
    blendEnabled = (flagByte & 0x0F) != 0;
    cullEnabled = flagByte < 16;
    alphaReference = static_cast<int32_t>(reference);
    // Kept as stored, known or not: the device falls back for numbers it
    // does not know, and a save writes them back unchanged.
    sourceBlend = FromInt<BlendFactor>(static_cast<int32_t>(source));
    destinationBlend = FromInt<BlendFactor>(static_cast<int32_t>(destination));
    // Another class in the controller's place counts as no controller.
    SetSkinController(link && link->IsDerived(SkinController::TYPE) ? static_cast<SkinController*>(link)
                                                                      : nullptr);
    MarkChanged();
    return 0;
}
