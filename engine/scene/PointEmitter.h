#pragma once
#include "engine/scene/Emitter.h"

// Emits from the node's origin into a cone around +Y (turned by the node):
// directions between minAngle and maxAngle from the axis, all the way round.
class PointEmitter : public Emitter
{
    QRE_DECLARE_CLASS

public:
    explicit PointEmitter(const String& name = String()) : Emitter(name) {}

    // Radians from +Y; the setters keep 0 <= minAngle <= maxAngle, and
    // anything not finite counts as 0.
    float GetMaxAngle() const { return maxAngle; }
    float GetMinAngle() const { return minAngle; }
    void SetAngles(float minimum, float maximum);

    void Emit(Vector3& position, Vector3& direction) override;

    // streaming: maxAngle, minAngle
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

protected:
    // A fresh direction in the cone, before the node's turn.
    Vector3 ConeDirection() const;
    // The cone direction through the node's world transform as a vector,
    // normalised (unturned without a node).
    Vector3 TurnedDirection(const Node* by) const;

    float maxAngle = 3.1415927f;
    float minAngle = 0.0f;
};
