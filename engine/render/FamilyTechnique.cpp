#include "engine/render/FamilyTechnique.h"

#include <memory>
#include <new>
#include <utility>

#include "engine/core/Ptr.h"
#include "engine/render/GeometryNodeEffect.h"
#include "engine/render/Pass.h"
#include "engine/render/Renderer.h"

namespace
{
// Shader models the 2.0 programs run on.
bool Runs20(ShaderLevel level)
{
    return level == ShaderLevel::Model2 || level == ShaderLevel::Model3;
}
} // namespace

bool TechniqueNeed::IsMet(const DeviceCaps& caps) const
{
    if (programs == Programs::None)
        return true;
    const uint32_t stages = textures > 2 ? textures : 2;
    if (caps.simultaneousTextures < 0 || static_cast<uint32_t>(caps.simultaneousTextures) < stages ||
        caps.maxLights < 0 || static_cast<uint32_t>(caps.maxLights) < lights)
        return false;
    if (programs == Programs::Vertex11)
        return Runs20(caps.vertexShaderLevel) || caps.vertexShaderLevel == ShaderLevel::Model1;
    return Runs20(caps.vertexShaderLevel) && Runs20(caps.pixelShaderLevel);
}

bool FamilyTechnique::IsSupported(const Renderer& renderer)
{
    if (!need.IsMet(renderer.GetCaps()))
        return false;
    if (GetPassCount() > 0 && (!effect || !count || GetPassCount() == count(*effect)))
        return true;
    if (!effect || !make)
        return false;
    // Built afresh when the effect's number of passes changed since.
    ClearPasses();
    const uint32_t passes = count ? count(*effect) : 1;
    for (uint32_t i = 0; i < passes; ++i)
    {
        Ptr<Pass> pass = make(*effect, i);
        if (!pass || !pass->GetState() || AddPass(pass.Get()) != 0)
        {
            ClearPasses();
            return false;
        }
    }
    return passes > 0;
}

void FamilyTechnique::AddAll(GeometryNodeEffect& effect, std::span<const Row> rows)
{
    for (const Row& row : rows)
    {
        std::unique_ptr<Technique> made(new (std::nothrow) FamilyTechnique(&effect, row.need, row.make, row.count));
        if (made)
            effect.AddTechnique(std::move(made));
    }
}
