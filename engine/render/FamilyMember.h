#pragma once
#include <cstdint>

#include "engine/render/DrawConstants.h"

class BaseTexture;
class Light;

// What a member of the effect family draws with, named afresh at each
// application so that a changed link is seen on the next draw: the stage
// textures, the coordinate sets, whether the tangents follow them, the
// lightmap of the fixed-function pass and the lights. Plain pointers: the
// member holds everything named.
struct MemberBindings
{
    // Stages and coordinate indices a pass binds.
    static constexpr uint32_t kMaxStages = 8;

    // The texture of the next stage; ignored past kMaxStages.
    void AddTexture(BaseTexture* texture)
    {
        if (textureCount < kMaxStages)
            textures[textureCount++] = texture;
    }
    // The geometry's coordinate set of the next coordinate index; ignored
    // past kMaxStages (a pass with tangents after eight sets refuses).
    void AddSet(uint32_t set)
    {
        if (setCount < kMaxStages)
            sets[setCount++] = set;
    }
    // The next light (null lights with nothing); ignored past the programs'
    // kMaxLights.
    void AddLight(Light* light)
    {
        if (lightCount < DrawConstants::kMaxLights)
            lights[lightCount++] = light;
    }

    BaseTexture* textures[kMaxStages] = {};
    uint32_t textureCount = 0;
    uint32_t sets[kMaxStages] = {};
    uint32_t setCount = 0;
    // The geometry's tangents as the coordinate index after the sets.
    bool tangent = false;
    // The fixed-function pass's stage 1 (modulating; a fur shell takes only
    // its alpha), with its set; null for none.
    BaseTexture* lightmap = nullptr;
    uint32_t lightmapSet = 0;
    Light* lights[DrawConstants::kMaxLights] = {};
    uint32_t lightCount = 0;
    // The coordinate set tangents are made from when the geometry has none
    // (the normal map's).
    uint32_t tangentSet = 0;
    // The parallax members' (scale, bias).
    float parallaxScale = 0.0f;
    float parallaxBias = 0.0f;
    // Set by the pass before naming: whether it reads the normal map (its
    // pixel program does). Without, a member names its textures as if it
    // had none, so a per-vertex pass never modulates by the map.
    bool mapped = true;
    // Set by the pass before naming: the fur shell it draws (1..n), 0 for
    // the base pass and every other member's passes.
    uint32_t shell = 0;
    // The fur members' answer for that shell: its offset along the normal
    // and the factor its alpha is drawn with.
    float shellOffset = 0.0f;
    float shellAlpha = 1.0f;
};

// The one thing a member implements for the family's passes: naming its
// bindings. The passes do the rest.
class FamilyMember
{
public:
    virtual void NameBindings(MemberBindings& bindings) const = 0;

protected:
    // Never deleted through this interface: the member is an Object.
    ~FamilyMember() = default;
};
