#include "engine/render/ColorEffect.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/render/FamilyTechnique.h"
#include "engine/render/GeometryNodeEffectPass.h"
#include "engine/render/ProgramPass.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/ColorBuffer.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Vector3Buffer.h"

QRE_IMPLEMENT_CLASS(ColorEffect, GeometryNodeEffect)

namespace
{
// The fixed-function pass: the device state comes from the effect's
// settings, the bindings from the effect's BindFixedFunction.
class FixedFunctionPass : public GeometryNodeEffectPass
{
public:
    explicit FixedFunctionPass(ColorEffect* effect) : GeometryNodeEffectPass(effect), colorEffect(effect) {}

    int32_t Apply() override
    {
        Renderer* renderer = GetRenderer();
        GeometryNode* geometry = renderer ? renderer->GetGeometry() : nullptr;
        if (!renderer || !geometry)
            return 1;
        return colorEffect->BindFixedFunction(*renderer, *geometry);
    }

private:
    ColorEffect* colorEffect; // back pointer, as the base's
};

// The colour by vs 1.1, plain or wind, the vertex colours where there are.
Pass* MakeProgrammed(GeometryNodeEffect& effect, uint32_t)
{
    using enum EffectPrograms::Id;
    auto& coloured = static_cast<ColorEffect&>(effect);
    return ProgramPass::Make(&coloured, coloured.GetUnlitMember(),
                             {ColourVertex11, ColourVertex11Wind, EffectPrograms::Id::Count, EffectPrograms::Id::Count,
                              ColourVertex11Coloured});
}

const FamilyTechnique::Row kTechniques[] = {
    {{TechniqueNeed::Programs::Vertex11, 0, 0}, MakeProgrammed},
    {{}, ColorEffect::MakeFixedFunctionPass},
};
} // namespace

ColorEffect::ColorEffect(const String& name) : GeometryNodeEffect(name)
{
    FamilyTechnique::AddAll(*this, kTechniques);
}

void ColorEffect::NameUnlitBindings(MemberBindings& bindings) const
{
    // No texture on stage 0, whatever the draw before left there.
    bindings.AddTexture(nullptr);
}

Pass* ColorEffect::MakeFixedFunctionPass(GeometryNodeEffect& effect, uint32_t)
{
    return new (std::nothrow) FixedFunctionPass(&static_cast<ColorEffect&>(effect));
}

int32_t ColorEffect::BindFixedFunction(Renderer& renderer, GeometryNode& geometry)
{
    Vector3Buffer* vertices = geometry.GetVertices();
    if (!vertices || vertices->GetCount() == 0)
        return 1;
    ColorBuffer* colors = geometry.GetColors();
    if (!colors)
    {
        colors = FilledBuffer(vertices->GetCount());
        if (!colors)
        {
            LogError("Недостаточно памяти для создания буффера. ID[%d] Имя[%s]", GetID(), GetName().CStr());
            return 2;
        }
    }
    renderer.SetColorStream(colors);
    renderer.SetPositionStream(vertices);
    renderer.SetIndexBuffer(geometry.GetIndices());
    renderer.SetTexture(0, nullptr);
    renderer.SetWorldMatrix(geometry.GetWorldTransform().ToMatrix());
    if (Camera* camera = renderer.GetCamera())
    {
        renderer.SetViewMatrix(camera->GetView());
        renderer.SetProjectionMatrix(camera->GetProjection());
    }
    return 0;
}

ColorBuffer* ColorEffect::FilledBuffer(uint32_t count)
{
    // Grows only: geometry sharing the effect reads its first vertices.
    const bool grow = !filled || filled->GetCount() < count;
    if (!grow && filledWith == colour)
        return filled.Get();
    if (grow)
    {
        filled = CreateBuffer<ColorBuffer>(count);
        if (!filled)
            return nullptr;
    }
    Vector4* data = filled->GetElements();
    for (uint32_t i = 0; i < filled->GetCount(); ++i)
        data[i] = colour;
    filledWith = colour;
    filled->MarkChanged();
    return filled.Get();
}

int32_t ColorEffect::Save(Stream& stream)
{
    if (GeometryNodeEffect::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteVector4(colour) != 0)
    {
        LogError("Невозможно сохранить цвет. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t ColorEffect::Load(Stream& stream)
{
    if (GeometryNodeEffect::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    if (stream.ReadVector4(colour) != 0)
    {
        LogError("Невозможно загрузить цвет. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    return 0;
}
