#pragma once
#include "engine/scene/PointEmitter.h"

// Emits from anywhere inside a ball around the node's origin (the offset is
// not turned by the node), in the cone of PointEmitter.
class SphereVolumeEmitter : public PointEmitter
{
    QRE_DECLARE_CLASS

public:
    explicit SphereVolumeEmitter(const String& name = String()) : PointEmitter(name) {}

    float GetRadius() const { return radius; }
    void SetRadius(float value) { radius = value; }

    void Emit(Vector3& position, Vector3& direction) override;

    // streaming: the PointEmitter record, radius
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    float radius = 10.0f;
};
