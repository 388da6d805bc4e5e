#pragma once
#include <cstdint>
#include <memory>

#include <memory>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/core/Vector4.h"
#include "engine/scene/Emitter.h"
#include "engine/scene/GeometryNode.h"

// One simulated particle, pooled by its system. World space.
struct Particle
{
    Vector3 position;
    Vector3 velocity;
    Vector3 acceleration;
    Vector4 color;
    Vector4 startColor;
    Vector4 endColor;
    float size = 0.0f;
    float startSize = 0.0f;
    float endSize = 0.0f;
    float lifetime = 0.0f;
    float age = 0.0f;
    Particle* next = nullptr; // the rest of the live or free list (held by the system's blocks)
};

// A geometry node that simulates a pool of particles: bursts at jittered
// intervals, each particle with jittered speed, acceleration, lifetime and
// colour and size ramps, placed by its emitter. Dead particles go to a free
// list and are reused before anything is allocated, so a steady system
// stops allocating. The buffers are the subclasses' business.
class ParticleSystem : public GeometryNode
{
    QRE_DECLARE_CLASS

public:
    // The most particles a system may hold: six quad vertices each must
    // stay countable and allocatable.
    static constexpr int32_t kMaxParticleLimit = 65536;

    // A new system emits from a PointEmitter placed by itself.
    explicit ParticleSystem(const String& name = String());
    // Frees the pool without recursion and lets the emitter forget us.
    ~ParticleSystem() override;

    // Clears the particles, then sizes the buffers: negative becomes 0,
    // above kMaxParticleLimit is clamped with one warning.
    void SetMaxParticles(int32_t value);
    int32_t GetMaxParticles() const { return maxParticles; }

    // Ignores null; holds the emitter, and a PointEmitter (or derived) is
    // placed by this system.
    void SetEmitter(Emitter* newEmitter);
    Emitter* GetEmitter() const { return emitter.Get(); }

    // When set no new particles are emitted.
    bool IsStopped() const { return stopped; }
    void SetStopped(bool value) { stopped = value; }

    uint32_t GetLiveCount() const { return liveCount; }
    // Particles allocated and held, live or free (a steady system stops
    // growing this).
    uint32_t GetPoolSize() const { return poolSize; }
    // The live list, newest first (walk with next).
    const Particle* GetFirstLive() const { return live; }
    Particle* GetFirstLive() { return live; }

    // the emission parameters (x jittered by j means x + (2j u - j))
    float emitInterval = 1.0f;
    float emitIntervalJitter = 0.0f;
    int32_t burstCount = 10;
    int32_t burstCountJitter = 0;
    Vector4 startColor{1.0f, 1.0f, 1.0f, 1.0f};
    Vector4 startColorJitter{0.0f, 0.0f, 0.0f, 0.0f};
    Vector4 endColor{1.0f, 1.0f, 1.0f, 0.0f};
    Vector4 endColorJitter{0.0f, 0.0f, 0.0f, 0.0f};
    float speed = 1.0f;
    float speedJitter = 0.0f;
    Vector3 acceleration;
    Vector3 accelerationJitter;
    float lifetime = 5.0f;
    float lifetimeJitter = 0.0f;
    float startSize = 1.0f;
    float startSizeJitter = 0.0f;
    float endSize = 1.0f;
    float endSizeJitter = 0.0f;

    // Points.
    PrimitiveType GetPrimitiveType() const override { return PrimitiveType::PointList; }
    // Controllers, world transform and effect, then the particles age and
    // move, then the bursts due are emitted (those born now do not move).
    void UpdateWorldData(double time) override;

    // Sizes the buffers for maxParticles; nothing here. 0, 2 when memory
    // runs out (logged).
    virtual int32_t AllocateBuffers() { return 0; }
    // Frees every live and free particle.
    virtual void ClearParticles();

    Object* FindByName(const String& searched) override;
    void CollectByType(const RTTI& type, Array<Object*>& found) override;
    bool Holds(const Object* other) const override;

    // streaming: the GeometryNode record without the runtime buffers, then
    // the emission parameters and the emitter link
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

protected:
    // A step as the simulation takes it: 0 for negative or not finite.
    static float StepOf(double time);
    // x jittered by j with a fresh random value.
    static float Jitter(float x, float j);
    static Vector4 Jitter(const Vector4& x, const Vector4& j);

    // Ages every live particle by dt and moves it; the dead go to the free
    // list.
    void AgeParticles(float dt);
    // The bursts due after dt; returns how many particles were born.
    uint32_t EmitBursts(float dt);
    // Fills a particle just taken from the pool from one emission.
    virtual void InitializeParticle(Particle& particle, const Vector3& position, const Vector3& direction);

    int32_t maxParticles = 0;
    uint32_t liveCount = 0;

private:
    // Up to count more particles while below maxParticles; returns how many.
    uint32_t Spawn(int64_t count);

    // The particles are allocated in blocks, so a walk over the live list
    // stays in a few runs of memory; the lists link into the blocks.
    std::vector<std::unique_ptr<Particle[]>> blocks;
    Particle* live = nullptr;
    Particle* free = nullptr;
    uint32_t poolSize = 0;
    float emitAccumulator = 0.0f;
    float nextInterval = 0.0f;
    Ptr<Emitter> emitter;
    bool stopped = false;
};
