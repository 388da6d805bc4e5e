#pragma once
#include <cstdint>

struct DeviceCaps;

// What a technique of the family asks of the device: its program levels,
// the textures it binds and the lights it needs.
struct TechniqueNeed
{
    // The programs a technique runs.
    enum class Programs : uint8_t
    {
        None = 0,      // fixed function, any device
        Vertex11,      // vertex programs 1.1: vertex level 0 to 2
        Vertex20Pixel20, // vertex and pixel programs 2.0: both levels 1 or 2
    };

    Programs programs = Programs::None;
    // Textures bound; a program technique needs max(2, textures) stages.
    uint32_t textures = 0;
    // Lights needed (fixed-function techniques push what the device has).
    uint32_t lights = 0;

    // Whether a device with these capabilities runs the technique.
    bool IsMet(const DeviceCaps& caps) const;
};
