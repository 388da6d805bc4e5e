#pragma once
#include "engine/scene/SpriteParticleSystem.h"

// A field of vegetation billboards: particles that neither fly nor age but
// sway around the point where they were emitted (kept in the acceleration
// field), along the camera's right and up with the effect's wind, and are
// coloured by height between the lowest and the highest emitted.
class Foliage : public SpriteParticleSystem
{
    QRE_DECLARE_CLASS

public:
    explicit Foliage(const String& name = String()) : SpriteParticleSystem(name) {}

    // Controllers, world transform and effect; the sway; the bursts due;
    // the recolouring when any particle was born; then the buffers.
    void UpdateWorldData(double time) override;

    float GetMinHeight() const { return minHeight; }
    float GetMaxHeight() const { return maxHeight; }

    void ClearParticles() override;

protected:
    // Anchor = position, a random phase in age, and the height range grows
    // to take the particle in.
    void InitializeParticle(Particle& particle, const Vector3& position, const Vector3& direction) override;

private:
    float minHeight = 0.0f;
    float maxHeight = 0.0f;
    float inverseHeightRange = 1.0f;
    bool heightSet = false; // the first particle sets the range
};
