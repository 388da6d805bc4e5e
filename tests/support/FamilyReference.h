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

// With a vertex normal given (the normal-map programs), each light's
// diffuse and specular are also times saturate(4 x vertex normal . L).
inline LightSums SumLights(const Lighting& material, std::span<const ReferenceLight> lights, const Vector3& p,
                           const Vector3& n, const Vector3& eye, const Vector3* vertexNormal = nullptr)
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
        const float factor = vertexNormal ? std::clamp(4.0f * vertexNormal->Dot(towards), 0.0f, 1.0f) : 1.0f;
        const float lambert = std::max(0.0f, n.Dot(towards));
        const float nh = std::max(0.0f, n.Dot(((eye - p).Normalized() + towards).Normalized()));
        const float highlight = lambert > 0.0f && nh > 0.0f ? factor * std::pow(nh, material.power) : 0.0f;
        sums.reflected = sums.reflected + (ColourOf(material.ambient) * ColourOf(light.ambient) +
                                           ColourOf(material.diffuse) * ColourOf(light.diffuse) * (lambert * factor)) *
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

namespace golden
{

// The normal a normal map's texel gives, normalise(2 (rgb - 0.5)), turned
// from tangent space (x the tangent T, y T x N, z the normal N) to N's.
inline Vector3 MappedNormal(const uint8_t* texel, const Vector3& tangent, const Vector3& normal)
{
    const Vector3 m = Vector3(2.0f * (texel[0] / 255.0f - 0.5f), 2.0f * (texel[1] / 255.0f - 0.5f),
                              2.0f * (texel[2] / 255.0f - 0.5f))
                          .Normalized();
    return (tangent * m.x + tangent.Cross(normal) * m.y + normal * m.z).Normalized();
}

} // namespace golden
