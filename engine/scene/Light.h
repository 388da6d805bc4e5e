#pragma once
#include <cstdint>

#include "engine/core/Vector4.h"
#include "engine/scene/Node.h"

// Light parameters for the lighting effects and the device's fixed-function
// lights. Position and direction are those of the world transform (the
// direction is its forward axis).
class Light : public Node
{
    QRE_DECLARE_CLASS

public:
    enum Type : int32_t
    {
        kFixedDirectional = 0, // along (0, 0, 1) whatever the transform
        kDirectional = 1,      // along the world forward axis
        kPoint = 2,            // at the world position
        kSpot = 3,             // at the world position, along the forward axis
    };

    explicit Light(const String& name = String()) : Node(name) {}

    int32_t GetLightType() const { return lightType; }
    void SetLightType(int32_t type) { lightType = type; }

    // colours: red, green, blue, alpha
    const Vector4& GetAmbient() const { return ambient; }
    const Vector4& GetDiffuse() const { return diffuse; }
    const Vector4& GetSpecular() const { return specular; }
    void SetAmbient(const Vector4& colour) { ambient = colour; }
    void SetDiffuse(const Vector4& colour) { diffuse = colour; }
    void SetSpecular(const Vector4& colour) { specular = colour; }

    // Attenuation 1 / (constant + linear d + quadratic d^2); while switched
    // off the device uses (1, 0, 0).
    float GetConstantAttenuation() const { return constantAttenuation; }
    float GetLinearAttenuation() const { return linearAttenuation; }
    float GetQuadraticAttenuation() const { return quadraticAttenuation; }
    bool IsAttenuated() const { return attenuate != 0; }
    void SetAttenuation(float constant, float linear, float quadratic, bool on)
    {
        constantAttenuation = constant;
        linearAttenuation = linear;
        quadraticAttenuation = quadratic;
        attenuate = on ? 1 : 0;
    }

    // spot lights: the inner cone is twice the angle, the outer 2.1 times
    float GetFalloff() const { return falloff; }
    float GetAngle() const { return angle; }
    void SetFalloff(float value) { falloff = value; }
    void SetAngle(float radians) { angle = radians; }

    // World position and forward direction.
    Vector3 GetPosition() const;
    Vector3 GetDirection() const;

    // Turns the local rotation to shine along direction, as a camera looks
    // (see AimTransform). A direction without length keeps the rotation.
    void LookAt(const Vector3& direction);

    // streaming: type, the three colours, the attenuation coefficients and
    // switch, falloff, angle
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    int32_t lightType = kFixedDirectional;
    Vector4 ambient{0, 0, 0, 1};
    Vector4 diffuse{0, 0, 0, 1};
    Vector4 specular{0, 0, 0, 1};
    float constantAttenuation = 1.0f;
    float linearAttenuation = 0.0f;
    float quadraticAttenuation = 0.0f;
    uint8_t attenuate = 0;
    float falloff = 1.0f;
    float angle = 0.7853982f;
};
