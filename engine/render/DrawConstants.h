#pragma once
#include <cstdint>
#include <span>

#include "engine/core/Matrix4.h"
#include "engine/core/Vector3.h"
#include "engine/core/Vector4.h"
#include "engine/render/ConstantLayout.h"

class Camera;
class GeometryNode;
class GeometryNodeEffect;
class Light;
class Renderer;
class SkinController;
class RenderStateBlock;

// The quantities of ConstantLayout for one draw, computed once and uploaded
// to whichever rows the draw's programs have. Lighting runs in object space
// (the lights and the eye are brought there once per draw rather than every
// vertex to world space); skinned vertices come out in world space, so a
// skinned draw computes everything there.
class DrawConstants
{
public:
    // Lights a draw's programs take (the first four of a list).
    static constexpr uint32_t kMaxLights = 4;

    // Fills every quantity from the camera, the geometry's world transform
    // (identity when it has no inverse), the pass's material, the effect's
    // fog and wind, the first kMaxLights lights (null ones give zero colours
    // and the direction (0, 0, 1)) and, when skin is given, its bones. 1
    // without a camera, or with a skin that has no bone matrices.
    int32_t Compute(const Camera* camera, const GeometryNode& geometry, const GeometryNodeEffect& effect,
                    const RenderStateBlock& material, std::span<Light* const> lights, const SkinController* skin);

    // The (constant, linear, quadratic) attenuation a light is drawn with,
    // by programs and fixed function alike: (1, 0, 0) when switched off or
    // all zero; a negative or non-finite coefficient counts as 0 and the
    // constant as at least kMinimumConstant, so 1 / (c + l d + q d^2) always
    // has a positive denominator.
    static Vector3 Attenuation(const Light& light);
    static constexpr float kMinimumConstant = 1e-6f;

    // The parallax members' (scale, bias); zero until set.
    void SetParallax(float scale, float bias) { parallax = {{scale, bias, 0.0f, 0.0f}}; }

    // A fur pass's offset along the normal and its alpha factor; (0, 1)
    // until set.
    void SetShell(float offset, float alpha) { shell = {{offset, alpha, 0.0f, 0.0f}}; }

    // Uploads a row to the vertex (pixel false) or pixel constants.
    void Upload(Renderer& renderer, bool pixel, std::span<const ConstantLayout::Entry> row) const;

private:
    // One float4 register.
    struct Register
    {
        float v[4];
    };
    // Of one light.
    struct LightValues
    {
        Register ambient, diffuse, specular, direction, position, attenuation, vector, kindAttenuation;
    };

    Matrix4 transform;
    Matrix4 viewTransform;
    Register materialAmbient{}, materialDiffuse{}, materialSpecular{}, materialEmissive{}, power{};
    LightValues lights[kMaxLights]{};
    Register eye{}, fog{}, wind{}, colour{}, parallax{}, shell{{0.0f, 1.0f, 0.0f, 0.0f}};
    const Matrix4* bones = nullptr; // the skin's, valid while the draw lasts
    uint32_t boneCount = 0;
};
