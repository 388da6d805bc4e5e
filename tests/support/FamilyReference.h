#pragma once
// The effect family's colours worked out on the CPU from the lighting
// formulas, for the golden pixel tests of its members: C = texture (x
// lightmap) x sum of att (M ambient L ambient + M diffuse L diffuse N.L) +
// sum of att M specular L specular (N.H)^power + M emissive.
#include <algorithm>
#include <cmath>
#include <span>

#include "support/GoldenImage.h"

namespace golden
{

// One light as the family's programs take it: a directional one by the way
// towards it, a point one by its position and attenuation.
struct ReferenceLight
{
    bool point = false;
    Vector3 at;                              // unit way towards it, or its position
    Vector3 attenuation{1.0f, 0.0f, 0.0f};   // constant, linear, quadratic
    Vector4 ambient, diffuse, specular;
};

// What the lights reflect at a point: sum of att (M ambient L ambient + M
// diffuse L diffuse N.L) and sum of att M specular L specular S, with N.L =
// max(0, N.L), S = (N.H)^power (0 where N.L is), H = normalise(normalise(eye
// - P) + L), att = 1 / (c + l d + q d^2) for a point light, else 1.
struct LightSums
{
    Colour reflected{0.0f, 0.0f, 0.0f};
    Colour highlight{0.0f, 0.0f, 0.0f};

    // Per-vertex techniques interpolate the corners: at s from a to b.
    static LightSums Along(const LightSums& a, const LightSums& b, float s)
    {
        return {Mix(b.reflected, a.reflected, s), Mix(b.highlight, a.highlight, s)};
    }
};

inline LightSums SumLights(const Lighting& material, std::span<const ReferenceLight> lights, const Vector3& p,
                           const Vector3& n, const Vector3& eye)
{
    LightSums sums;
    for (const ReferenceLight& light : lights)
    {
        Vector3 towards = light.at;
        float att = 1.0f;
        if (light.point)
        {
            const float d = (light.at - p).Length();
            towards = (light.at - p) * (1.0f / d);
            att = 1.0f / (light.attenuation.x + light.attenuation.y * d + light.attenuation.z * d * d);
        }
        const float lambert = std::max(0.0f, n.Dot(towards));
        const float nh = std::max(0.0f, n.Dot(((eye - p).Normalized() + towards).Normalized()));
        const float highlight = lambert > 0.0f && nh > 0.0f ? std::pow(nh, material.power) : 0.0f;
        sums.reflected = sums.reflected + (ColourOf(material.ambient) * ColourOf(light.ambient) +
                                           ColourOf(material.diffuse) * ColourOf(light.diffuse) * lambert) *
                                              att;
        sums.highlight = sums.highlight + ColourOf(material.specular) * ColourOf(light.specular) * (highlight * att);
    }
    return sums;
}

// The colour drawn from the sums on a texture colour (times the lightmap
// where there is one). Fixed function lights before texturing, so there
// the texture takes the emissive colour down with the rest.
inline Colour LitColour(const Lighting& material, const LightSums& sums, const Colour& texture, bool fixedFunction)
{
    const Colour emissive = ColourOf(material.emissive);
    return fixedFunction ? (emissive + sums.reflected) * texture + sums.highlight
                         : emissive + sums.reflected * texture + sums.highlight;
}

} // namespace golden
