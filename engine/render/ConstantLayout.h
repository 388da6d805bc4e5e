#pragma once
#include <cstdint>
#include <span>

#include "engine/render/EffectPrograms.h"

// The one table of the family's constant registers: a row per program of
// (quantity, register) entries, in the order the programs describe them.
// DrawConstants computes the quantities of a draw and uploads any row, so
// the register numbers live here and in the program texts only.
namespace ConstantLayout
{
// What a register (or run of registers) holds. Positions and directions are
// in the draw's space: the object's, or the world's when skinned.
enum class Quantity : uint8_t
{
    Transform = 0,     // 4 rows: world-view-projection (view-projection when skinned)
    ViewTransform,     // 4 rows: world-view (view when skinned)
    MaterialAmbient,   // the pass's material colours
    MaterialDiffuse,
    MaterialSpecular,
    MaterialEmissive,
    MaterialPower,     // (power, 0, 0, 0)
    LightAmbient,      // the light's colours, zero without a light
    LightDiffuse,
    LightSpecular,
    LightDirection,    // (unit vector towards the light, 0); (0, 0, 1) without a light
    LightPosition,     // (position, 1)
    LightAttenuation,  // (constant, linear, quadratic, 1), or (1, 0, 0, 1) when switched off
    CameraPosition,    // (eye, 1)
    Fog,               // (density, exponent, wind amplitude, wind speed)
    Wind,              // (amplitude, speed, time, 0)
    BonePalette,       // four rows a bone, as many bones as the skin has (at most kMaxBones)
    Colour,            // the unlit members' colour (ColorEffect's; white for other effects)
    Parallax,          // (scale, bias, 0, 0) of the parallax members
    LightVector,       // light types 0-1: (unit vector towards it, 0); 2-3: (position, 1)
    LightKindAttenuation, // types 2-3: as LightAttenuation; 0-1 (and no light): (1, 0, 0, 1)
    Shell,             // a fur pass's (offset along the normal, alpha factor, 0, 0); (0, 1, 0, 0) for the base
    Count
};

// One entry: the quantity, which of the draw's lights it is of (light
// quantities only) and the first register.
struct Entry
{
    Quantity quantity;
    uint8_t light;
    uint16_t first;
};

// The row of a program; an out-of-range Id gives an empty row.
std::span<const Entry> Row(EffectPrograms::Id program);

// Registers a quantity takes (the palette its most).
uint32_t Width(Quantity quantity);
} // namespace ConstantLayout
