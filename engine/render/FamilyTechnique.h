#pragma once
#include <cstdint>
#include <span>

#include "engine/render/Technique.h"
#include "engine/render/TechniqueNeed.h"

class GeometryNodeEffect;
class Pass;

// A technique of the effect family: supported when the device meets its
// need, it then builds its passes through the member's factory (once).
class FamilyTechnique : public Technique
{
public:
    // Makes pass index of the effect; null when it cannot (out of memory,
    // or a program missing), which leaves the technique unsupported.
    using MakePass = Pass* (*)(GeometryNodeEffect& effect, uint32_t index);
    // How many passes the effect draws with (null: one).
    using CountPasses = uint32_t (*)(const GeometryNodeEffect& effect);

    // effect: the owner (a back pointer: it holds the technique).
    FamilyTechnique(GeometryNodeEffect* effect, const TechniqueNeed& need, MakePass make,
                    CountPasses count = nullptr)
        : effect(effect), need(need), make(make), count(count)
    {
    }

    const TechniqueNeed& GetNeed() const { return need; }

    // One technique of a member's list.
    struct Row
    {
        TechniqueNeed need;
        MakePass make;
        CountPasses count = nullptr;
    };
    // Appends the rows' techniques to the effect in order, so a member
    // names its list in one table (a row out of memory is left out).
    static void AddAll(GeometryNodeEffect& effect, std::span<const Row> rows);

    bool IsSupported(const Renderer& renderer) override;

private:
    GeometryNodeEffect* effect; // back pointer
    TechniqueNeed need;
    MakePass make;
    CountPasses count;
};
