#pragma once
#include <cstring>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/core/Stream.h"
#include "engine/core/Controller.h"
#include "scene/SceneTestSupport.h"

// A running engine with a recording renderer, as the scene tests have.
using TextureSceneTest = SceneTest;

// A controller that holds one object: attached to an object, it makes that
// object hold the held one, which is how a damaged file could close a cycle.
class HoldingController : public Controller
{
public:
    explicit HoldingController(Object* object) : held(object) {}
    bool Holds(const Object* other) const override
    {
        return Controller::Holds(other) || held.Get() == other || held->Holds(other);
    }

private:
    Ptr<Object> held;
};

// A stream over bytes to read; what its links create lives as long as it
// does, so objects nobody holds (listed nodes) can still be looked at.
class TextureByteStream : public Stream
{
public:
    explicit TextureByteStream(const std::vector<uint8_t>& bytes) : Stream(0, 1024)
    {
        std::unique_ptr<uint8_t[]> copy(new uint8_t[bytes.size() ? bytes.size() : 1]);
        if (!bytes.empty())
            std::memcpy(copy.get(), bytes.data(), bytes.size());
        AdoptBuffer(std::move(copy), static_cast<uint32_t>(bytes.size()));
    }
};
