#include "engine/render/DrawConstants.h"

#include <cmath>

#include "engine/render/ColorEffect.h"
#include "engine/render/GeometryNodeEffect.h"
#include "engine/render/RenderStateBlock.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/Light.h"
#include "engine/scene/SkinController.h"

static_assert(sizeof(Matrix4) == 16 * sizeof(float), "matrices are uploaded as packed rows");

int32_t DrawConstants::Compute(const Camera* camera, const GeometryNode& geometry, const GeometryNodeEffect& effect,
                               const RenderStateBlock& material, std::span<Light* const> lightList,
                               const SkinController* skin)
{
    if (!camera || (skin && (skin->GetBoneCount() == 0 || !skin->GetBoneMatrices())))
        return 1;
    const Matrix4& view = camera->GetView();
    const Matrix4& projection = camera->GetProjection();
    // World to the draw's space: identity when skinned.
    Matrix4 inverse = Matrix4::Identity();
    if (skin)
    {
        transform = view * projection;
        viewTransform = view;
        bones = skin->GetBoneMatrices();
        boneCount = skin->GetBoneCount() < EffectPrograms::kMaxBones ? skin->GetBoneCount() : EffectPrograms::kMaxBones;
    }
    else
    {
        const Matrix4 world = geometry.GetWorldTransform().ToMatrix();
        if (!world.Inverse(inverse))
            inverse = Matrix4::Identity();
        viewTransform = world * view;
        transform = viewTransform * projection;
        bones = nullptr;
        boneCount = 0;
    }
    const Vector3 eyeHere = inverse.TransformPoint(camera->GetPosition());
    eye = {{eyeHere.x, eyeHere.y, eyeHere.z, 1.0f}};
    materialAmbient = {{material.ambient.x, material.ambient.y, material.ambient.z, material.ambient.w}};
    materialDiffuse = {{material.diffuse.x, material.diffuse.y, material.diffuse.z, material.diffuse.w}};
    materialSpecular = {{material.specular.x, material.specular.y, material.specular.z, material.specular.w}};
    materialEmissive = {{material.emissive.x, material.emissive.y, material.emissive.z, material.emissive.w}};
    power = {{material.power, 0.0f, 0.0f, 0.0f}};
    fog = {{effect.GetFogDensity(), effect.GetFogExponent(), effect.GetWindAmplitude(), effect.GetWindSpeed()}};
    wind = {{effect.GetWindAmplitude(), effect.GetWindSpeed(), effect.GetTime(), 0.0f}};
    const Vector4 tint = effect.IsDerived(ColorEffect::TYPE) ? static_cast<const ColorEffect&>(effect).GetColor()
                                                             : Vector4(1.0f, 1.0f, 1.0f, 1.0f);
    colour = {{tint.x, tint.y, tint.z, tint.w}};

    for (uint32_t i = 0; i < kMaxLights; ++i)
    {
        const Light* source = i < lightList.size() ? lightList[i] : nullptr;
        LightValues& out = lights[i];
        out = LightValues{};
        out.attenuation = {{1.0f, 0.0f, 0.0f, 1.0f}};
        Vector3 towards(0.0f, 0.0f, 1.0f);
        Vector3 at(0.0f, 0.0f, 0.0f);
        if (source)
        {
            const Vector4& a = source->GetAmbient();
            const Vector4& d = source->GetDiffuse();
            const Vector4& s = source->GetSpecular();
            out.ambient = {{a.x, a.y, a.z, a.w}};
            out.diffuse = {{d.x, d.y, d.z, d.w}};
            out.specular = {{s.x, s.y, s.z, s.w}};
            towards = source->GetLightType() == Light::kFixedDirectional ? Vector3(0.0f, 0.0f, -1.0f)
                                                                          : -source->GetDirection();
            at = source->GetPosition();
            const Vector3 attenuation = Attenuation(*source);
            out.attenuation = {{attenuation.x, attenuation.y, attenuation.z, 1.0f}};
        }
        Vector3 direction = inverse.TransformVector(towards);
        direction.Normalize();
        const Vector3 position = inverse.TransformPoint(at);
        out.direction = {{direction.x, direction.y, direction.z, 0.0f}};
        out.position = {{position.x, position.y, position.z, 1.0f}};
        // The list programs tell the kinds apart by the light's type.
        const bool point = source && source->GetLightType() >= Light::kPoint;
        out.vector = point ? out.position : out.direction;
        out.kindAttenuation = point ? out.attenuation : Register{{1.0f, 0.0f, 0.0f, 1.0f}};
    }
    return 0;
}

Vector3 DrawConstants::Attenuation(const Light& light)
{
    if (!light.IsAttenuated())
        return Vector3(1.0f, 0.0f, 0.0f);
    const auto usable = [](float value) { return std::isfinite(value) && value > 0.0f ? value : 0.0f; };
    const Vector3 kept(usable(light.GetConstantAttenuation()), usable(light.GetLinearAttenuation()),
                       usable(light.GetQuadraticAttenuation()));
    if (kept.x == 0.0f && kept.y == 0.0f && kept.z == 0.0f)
        return Vector3(1.0f, 0.0f, 0.0f);
    return Vector3(kept.x > kMinimumConstant ? kept.x : kMinimumConstant, kept.y, kept.z);
}

void DrawConstants::Upload(Renderer& renderer, bool pixel, std::span<const ConstantLayout::Entry> row) const
{
    using enum ConstantLayout::Quantity;
    for (const ConstantLayout::Entry& entry : row)
    {
        const LightValues& light = lights[entry.light < kMaxLights ? entry.light : 0];
        const float* data = nullptr;
        uint32_t count = 1;
        switch (entry.quantity)
        {
        case Transform: data = &transform.m[0][0]; count = 4; break;
        case ViewTransform: data = &viewTransform.m[0][0]; count = 4; break;
        case MaterialAmbient: data = materialAmbient.v; break;
        case MaterialDiffuse: data = materialDiffuse.v; break;
        case MaterialSpecular: data = materialSpecular.v; break;
        case MaterialEmissive: data = materialEmissive.v; break;
        case MaterialPower: data = power.v; break;
        case LightAmbient: data = light.ambient.v; break;
        case LightDiffuse: data = light.diffuse.v; break;
        case LightSpecular: data = light.specular.v; break;
        case LightDirection: data = light.direction.v; break;
        case LightPosition: data = light.position.v; break;
        case LightAttenuation: data = light.attenuation.v; break;
        case CameraPosition: data = eye.v; break;
        case Fog: data = fog.v; break;
        case Wind: data = wind.v; break;
        case Colour: data = colour.v; break;
        case Parallax: data = parallax.v; break;
        case LightVector: data = light.vector.v; break;
        case LightKindAttenuation: data = light.kindAttenuation.v; break;
        case Shell: data = shell.v; break;
        case BonePalette:
            data = bones ? &bones[0].m[0][0] : nullptr;
            count = boneCount * 4;
            break;
        case Count: break;
        }
        if (!data || count == 0)
            continue;
        if (pixel)
            renderer.SetPixelShaderConstants(entry.first, data, count);
        else
            renderer.SetVertexShaderConstants(entry.first, data, count);
    }
}
