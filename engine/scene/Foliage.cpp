#include "engine/scene/Foliage.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/FastTrig.h"
#include "engine/core/MathUtil.h"
#include "engine/render/GeometryNodeEffect.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"

QRE_IMPLEMENT_CLASS(Foliage, SpriteParticleSystem)

void Foliage::ClearParticles()
{
    ParticleSystem::ClearParticles();
    heightSet = false;
    minHeight = maxHeight = 0.0f;
    inverseHeightRange = 1.0f;
}

void Foliage::UpdateWorldData(double time)
{
    MatchRenderer();
    GeometryNode::UpdateWorldData(time);

    // The sway: each particle on a unit circle of the view plane around
    // its anchor, phased by its lifetime value.
    const float amplitude = effect ? effect->GetWindAmplitude() : 0.0f;
    const float windTime = effect ? effect->GetWindSpeed() * effect->GetTime() : 0.0f;
    const Renderer* renderer = GetRenderer();
    const Camera* camera = renderer ? renderer->GetCamera() : nullptr;
    const Vector3 right = camera ? camera->GetRight() : Vector3();
    const Vector3 up = camera ? camera->GetUp() : Vector3();
    for (Particle* p = GetFirstLive(); p; p = p->next)
    {
        const float phi = windTime + p->lifetime;
        p->position = camera ? p->acceleration + (up * FastSin(phi) + right * FastCos(phi)) * amplitude
                             : p->acceleration;
    }

    if (EmitBursts(StepOf(time)) > 0)
        for (Particle* p = GetFirstLive(); p; p = p->next)
        {
            const float f = (p->position.y - minHeight) * inverseHeightRange;
            p->color = p->startColor + (p->endColor - p->startColor) * f;
        }
    WriteSprites();
}

void Foliage::InitializeParticle(Particle& p, const Vector3& position, const Vector3& direction)
{
    p.position = position;
    p.velocity = direction * Jitter(speed, speedJitter);
    p.acceleration = position;
    p.age = RandomUnit();
    p.startColor = Jitter(startColor, startColorJitter);
    p.endColor = Jitter(endColor, endColorJitter);
    p.color = p.startColor;
    p.startSize = Jitter(startSize, startSizeJitter);
    p.endSize = Jitter(endSize, endSizeJitter);
    p.size = p.startSize;
    p.lifetime = Jitter(lifetime, lifetimeJitter);

    const float y = position.y;
    if (!heightSet)
    {
        minHeight = maxHeight = y;
        inverseHeightRange = 1.0f;
        heightSet = true;
        return;
    }
    if (y > maxHeight || y < minHeight)
    {
        maxHeight = y > maxHeight ? y : maxHeight;
        minHeight = y < minHeight ? y : minHeight;
        const float range = maxHeight - minHeight;
        // A range too small to divide by (or not finite) colours everything
        // as the lowest.
        inverseHeightRange = range > kZeroTolerance && range < 3.0e38f ? 1.0f / range : 0.0f;
    }
}
