#pragma once
#include <cstdint>

#include "engine/core/Array.h"
#include "engine/core/Ptr.h"

class Light;
class Object;
class Stream;

// The lights of a multi-light effect: held in order, streamed as a count and
// that many links after the fields of the effect they are part of. Programs
// light the first four; fixed function pushes as many as the device has.
class LightList
{
public:
    LightList();
    ~LightList();

    uint32_t GetCount() const { return lights.Count(); }
    // The light at index; null past the end (or for an empty place).
    Light* Get(uint32_t index) const { return index < lights.Count() ? lights[index].Get() : nullptr; }

    // Appends a light (null keeps an empty place). 3 (refused, logged with
    // the owner's name) when the light is the owner or holds it; 2 when out
    // of memory.
    int32_t Add(const Object& owner, Light* light);
    // Empties the list.
    void Clear();

    // Whether one of the lights is other or holds it.
    bool Holds(const Object* other) const;

    // u32 count, then the links. On load the count is checked against the
    // bytes left before anything is allocated; another class in a light's
    // place loads as an empty place, after a warning. The list is replaced
    // only when the whole record loaded.
    int32_t Save(Stream& stream) const;
    int32_t Load(Stream& stream, const Object& owner);

private:
    Array<Ptr<Light>> lights{4, 4};
};
