#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/render/BaseTexture.h"

class Object;
class Stream;

// One of a member's extra textures (a normal map) with the coordinate set
// that feeds it: held, streamed as a link and a u32 set with the texture
// messages, so each member that has one does not repeat them.
class TextureSlot
{
public:
    BaseTexture* Get() const { return texture.Get(); }
    // Replaces the texture (null empties the slot). 3 (refused, logged with
    // the owner's name) when it is the owner or holds it.
    int32_t Set(const Object& owner, BaseTexture* newTexture);

    // Which of the geometry's coordinate sets feeds it, brought into 0..7.
    uint32_t GetSet() const { return set; }
    void SetSet(uint32_t value) { set = value < 8 ? value : 7; }

    bool Holds(const Object* other) const;
    // The search through the owner reaches the texture.
    void CollectByType(const RTTI& type, Array<Object*>& found) const
    {
        if (texture)
            texture->CollectByType(type, found);
    }

    // The link; another class in its place loads as none after a warning,
    // one holding the owner is refused (1).
    int32_t SaveLink(Stream& stream, const Object& owner) const;
    int32_t LoadLink(Stream& stream, const Object& owner);
    // The u32 set, brought into 0..7 on load.
    int32_t SaveSet(Stream& stream, const Object& owner) const;
    int32_t LoadSet(Stream& stream, const Object& owner);

private:
    Ptr<BaseTexture> texture;
    uint32_t set = 0;
};
