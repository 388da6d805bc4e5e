#pragma once
#include <cstdint>

#include "engine/render/FamilyMember.h"
#include "engine/render/TextureEffect.h"

// Grass and foliage: an unlit texture (times the vertex colour, else the
// effect's colour) that always sways in the wind, each vertex by the u of a
// second coordinate set (0 at the root, which stays still, to 1 at the
// tip), by vertex programs 1.1; fixed function draws it still.
class GrassEffect : public TextureEffect, public FamilyMember
{
    QRE_DECLARE_CLASS

public:
    explicit GrassEffect(const String& name = String());

    // Which of the geometry's coordinate sets carries the sway weight in
    // its u; brought into 0..7.
    int32_t GetSwaySet() const { return swaySet; }
    void SetSwaySet(int32_t set) { swaySet = set < 0 ? 0 : (set > 7 ? 7 : set); }

    // The texture on stage 0 from its set, the sway weight's set after it.
    void NameBindings(MemberBindings& bindings) const override;

    // streaming: int32 sway set after the texture effect's fields, brought
    // into 0..7 on load
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    int32_t swaySet = 1;
};
