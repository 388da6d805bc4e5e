#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/core/Vector4.h"
#include "engine/render/FamilyMember.h"
#include "engine/render/GeometryNodeEffect.h"
#include "engine/scene/ColorBuffer.h"

class GeometryNode;
class Renderer;

// Draws geometry in one colour by vertex programs 1.1 (plain or wind; the
// vertex colours where the geometry has them), else through the
// fixed-function pipeline: a geometry without a colour buffer of its own is
// drawn with one filled with the colour. The effect keeps that buffer, so
// the geometry stays as loaded and a new colour shows on the next draw,
// whichever effect drew before.
class ColorEffect : public GeometryNodeEffect
{
    QRE_DECLARE_CLASS

public:
    explicit ColorEffect(const String& name = String());

    const Vector4& GetColor() const { return colour; }
    // Shows from the next draw on (a fade sets one every frame).
    void SetColor(const Vector4& value) { colour = value; }

    // Binds what the fixed-function pass draws with, after the renderer
    // began the pass: colour, position and index streams, no texture on
    // stage 0, world, view and projection. 0, 1 without vertices, 2 when
    // the filled buffer cannot be made.
    virtual int32_t BindFixedFunction(Renderer& renderer, GeometryNode& geometry);

    // What the unlit programs bind: no texture on stage 0 here
    // (TextureEffect's texture and set).
    virtual void NameUnlitBindings(MemberBindings& bindings) const;

    // The fixed-function pass of the unlit techniques (BindFixedFunction's
    // bindings), for a technique table.
    static Pass* MakeFixedFunctionPass(GeometryNodeEffect& effect, uint32_t index);

    // streaming: colour
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

    // The family member the unlit programs' passes ask: this effect's
    // NameUnlitBindings.
    const FamilyMember* GetUnlitMember() const { return &unlit; }

private:
    // Answers for the effect (a back pointer), so members that are family
    // members themselves keep one FamilyMember base.
    struct UnlitMember : FamilyMember
    {
        explicit UnlitMember(const ColorEffect* owner) : owner(owner) {}
        void NameBindings(MemberBindings& bindings) const override { owner->NameUnlitBindings(bindings); }
        const ColorEffect* owner;
    };

    // The filled buffer for at least this many vertices in the current
    // colour, made or refilled only when too short or of another colour;
    // null when out of memory.
    ColorBuffer* FilledBuffer(uint32_t count);

    Vector4 colour{1.0f, 1.0f, 1.0f, 1.0f};
    Ptr<ColorBuffer> filled; // stands in for the colours a geometry lacks
    Vector4 filledWith;      // the colour filled holds
    UnlitMember unlit{this};
};
