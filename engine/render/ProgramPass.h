#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/render/EffectPrograms.h"
#include "engine/render/GeometryNodeEffectPass.h"

class FamilyMember;
class RenderStateBlock;
class PixelShader;
class VertexShader;

// The programs of one pass: the three vertex variants and the pixel
// program. Id::Count marks a variant the pass does not have (no skinned
// variant: a skinned mesh stays skinned on the CPU; no pixel program:
// fixed-function pixels).
struct ProgramSet
{
    EffectPrograms::Id plain = EffectPrograms::Id::Count;
    EffectPrograms::Id wind = EffectPrograms::Id::Count;
    EffectPrograms::Id skinned = EffectPrograms::Id::Count;
    EffectPrograms::Id pixel = EffectPrograms::Id::Count;
    // In place of plain and wind when the geometry carries vertex colours
    // (they feed it); none: the colours are not read.
    EffectPrograms::Id coloured = EffectPrograms::Id::Count;
};

// A pass that draws with programs. It holds every variant it may need and
// picks one at each Apply from the effect's current skin link and wind
// setting (and the geometry's vertex colours, where it has a coloured one) (a program chosen when the pass is built would go stale after a
// change). Apply binds the index, position and normal streams (the skin's
// rest pose when skinned), the member's coordinate sets from index 0 with
// the tangents after them, its textures from stage 0, the programs, and
// uploads each program's ConstantLayout row from the draw's DrawConstants.
class ProgramPass : public GeometryNodeEffectPass
{
    QRE_DECLARE_CLASS

public:
    // effect and member: the same object, the owner of the technique that
    // holds the pass (back pointers).
    // shell: the fur shell the pass draws (1..n), 0 for an ordinary pass.
    explicit ProgramPass(GeometryNodeEffect* effect = nullptr, const FamilyMember* member = nullptr,
                         const ProgramSet& programs = ProgramSet(), uint32_t shell = 0);
    ~ProgramPass() override;

    // A pass with every program it names made; null (after a line) when out
    // of memory.
    static ProgramPass* Make(GeometryNodeEffect* effect, const FamilyMember* member, const ProgramSet& programs,
                             uint32_t shell = 0);

    // The state every fur shell draws with over what is below it: blended
    // by source alpha and its inverse, the depth tested but not written.
    static void MakeShellState(RenderStateBlock& state);

    // The effect's settings, then a shell's blending.
    void MarkChanged() override;

    // Whether the variant drawn now is the skinned one: the pass has it and
    // the effect links a skin controller.
    bool IsSkinning() const;

    // 0 to draw; 1 (the draw skipped) without a renderer, geometry, camera
    // or vertices, with a skin that has no bone matrices, or when the
    // member asks for tangents the geometry lacks or has no index left for.
    int32_t Apply() override;

private:
    // Whether every named program was made.
    bool Complete() const;

    const FamilyMember* member; // back pointer
    ProgramSet programs;
    Ptr<VertexShader> plain;
    Ptr<VertexShader> wind;
    Ptr<VertexShader> skinned;
    Ptr<PixelShader> pixel;
    Ptr<VertexShader> coloured;
    bool triedTangents = false; // tangents are generated at most once
    uint32_t shell = 0;
};
