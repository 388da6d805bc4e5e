#include "engine/scene/ParticleSystem.h"

#include <algorithm>

#include <cmath>
#include <cstdlib>
#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/MathUtil.h"
#include "engine/core/Stream.h"
#include "engine/scene/PointEmitter.h"

QRE_IMPLEMENT_CLASS(ParticleSystem, GeometryNode)

ParticleSystem::ParticleSystem(const String& name) : GeometryNode(name)
{
    Ptr<PointEmitter> point = new (std::nothrow) PointEmitter();
    if (point)
        SetEmitter(point.Get());
    else
        LogError("Недостаточно памяти для эмиттера. Имя[%s] ID[%d]", GetName().CStr(), GetID());
}

ParticleSystem::~ParticleSystem()
{
    ClearParticles();
    if (emitter && emitter->GetNode() == this)
        emitter->SetNode(nullptr);
}

void ParticleSystem::SetMaxParticles(int32_t value)
{
    if (value > kMaxParticleLimit)
    {
        LogWarning("Слишком много частиц [%d], взято [%d]. Имя[%s] ID[%d]", value, kMaxParticleLimit,
                   GetName().CStr(), GetID());
        value = kMaxParticleLimit;
    }
    maxParticles = value < 0 ? 0 : value;
    ClearParticles();
    AllocateBuffers();
}

void ParticleSystem::SetEmitter(Emitter* newEmitter)
{
    if (!newEmitter)
        return;
    if (emitter && emitter.Get() != newEmitter && emitter->GetNode() == this)
        emitter->SetNode(nullptr);
    emitter = newEmitter;
    if (newEmitter->IsDerived(PointEmitter::TYPE))
        newEmitter->SetNode(this);
}

void ParticleSystem::ClearParticles()
{
    live = nullptr;
    free = nullptr;
    blocks.clear();
    liveCount = 0;
    poolSize = 0;
}

float ParticleSystem::StepOf(double time)
{
    return std::isfinite(time) && time > 0.0 ? static_cast<float>(time) : 0.0f;
}

float ParticleSystem::Jitter(float x, float j)
{
    return x + (2.0f * j * RandomUnit() - j);
}

Vector4 ParticleSystem::Jitter(const Vector4& x, const Vector4& j)
{
    return {Jitter(x.x, j.x), Jitter(x.y, j.y), Jitter(x.z, j.z), Jitter(x.w, j.w)};
}

void ParticleSystem::UpdateWorldData(double time)
{
    GeometryNode::UpdateWorldData(time);
    const float dt = StepOf(time);
    AgeParticles(dt);
    EmitBursts(dt);
}

void ParticleSystem::AgeParticles(float dt)
{
    Particle** link = &live;
    while (*link)
    {
        Particle& p = **link;
        p.age += dt;
        if (p.age <= p.lifetime)
        {
            p.velocity += p.acceleration * dt;
            p.position += p.velocity * dt;
            const float t = p.lifetime > 0.0f ? p.age / p.lifetime : 1.0f;
            p.size = p.startSize + (p.endSize - p.startSize) * t;
            p.color = p.startColor + (p.endColor - p.startColor) * t;
            link = &p.next;
            continue;
        }
        // Unlinked from the live list, pushed onto the free one.
        Particle* dead = *link;
        *link = dead->next;
        dead->next = free;
        free = dead;
        --liveCount;
    }
}

uint32_t ParticleSystem::EmitBursts(float dt)
{
    if (stopped)
        return 0;
    uint32_t born = 0;
    emitAccumulator += dt;
    while (emitAccumulator > nextInterval)
    {
        emitAccumulator -= nextInterval;
        nextInterval = Jitter(emitInterval, emitIntervalJitter);
        const bool usable = std::isfinite(nextInterval) && nextInterval > 0.0f;
        if (!usable)
            nextInterval = 0.0f;

        const int64_t jitter = burstCountJitter;
        const int64_t extra = 2 * jitter >= 1 ? static_cast<int64_t>(std::rand()) % (2 * jitter) : 0;
        const uint32_t spawned = Spawn(static_cast<int64_t>(burstCount) + extra - jitter);
        born += spawned;

        // An interval that cannot be counted gives one burst per update; a
        // full system (or a burst of nothing) drops the rest of the step.
        if (!usable)
        {
            emitAccumulator = 0.0f;
            break;
        }
        if (spawned == 0 || liveCount >= static_cast<uint32_t>(maxParticles))
            emitAccumulator = std::fmod(emitAccumulator, nextInterval);
    }
    return born;
}

uint32_t ParticleSystem::Spawn(int64_t count)
{
    const int64_t limit = static_cast<int64_t>(liveCount) + count;
    uint32_t spawned = 0;
    while (liveCount < static_cast<uint32_t>(maxParticles) && static_cast<int64_t>(liveCount) < limit)
    {
        if (!free)
        {
            // A new block as large as the pool so far (at least 16, at most
            // what the limit still allows), its particles onto the free list
            // in address order.
            const uint32_t room = static_cast<uint32_t>(maxParticles) - poolSize;
            const uint32_t size = std::min(room, std::max<uint32_t>(16, poolSize));
            std::unique_ptr<Particle[]> block(size ? new (std::nothrow) Particle[size] : nullptr);
            if (!block)
            {
                LogError("Недостаточно памяти для частицы. Имя[%s] ID[%d]", GetName().CStr(), GetID());
                break;
            }
            for (uint32_t i = size; i-- > 0;)
            {
                block[i].next = free;
                free = &block[i];
            }
            blocks.push_back(std::move(block));
            poolSize += size;
        }
        Particle* particle = free;
        free = particle->next;
        Vector3 position;
        Vector3 direction;
        if (emitter)
            emitter->Emit(position, direction);
        InitializeParticle(*particle, position, direction);
        particle->next = live;
        live = particle;
        ++liveCount;
        ++spawned;
    }
    return spawned;
}

void ParticleSystem::InitializeParticle(Particle& p, const Vector3& position, const Vector3& direction)
{
    p.position = position;
    p.velocity = direction * Jitter(speed, speedJitter);
    p.acceleration = acceleration + Vector3(Jitter(0.0f, accelerationJitter.x), Jitter(0.0f, accelerationJitter.y),
                                            Jitter(0.0f, accelerationJitter.z));
    p.age = 0.0f;
    p.startColor = Jitter(startColor, startColorJitter);
    p.color = p.startColor;
    p.endColor = Jitter(endColor, endColorJitter);
    p.startSize = Jitter(startSize, startSizeJitter);
    p.size = p.startSize;
    p.endSize = Jitter(endSize, endSizeJitter);
    p.lifetime = Jitter(lifetime, lifetimeJitter);
}

Object* ParticleSystem::FindByName(const String& searched)
{
    if (Object* found = GeometryNode::FindByName(searched))
        return found;
    return emitter ? emitter->FindByName(searched) : nullptr;
}

void ParticleSystem::CollectByType(const RTTI& type, Array<Object*>& found)
{
    GeometryNode::CollectByType(type, found);
    if (emitter)
        emitter->CollectByType(type, found);
}

bool ParticleSystem::Holds(const Object* other) const
{
    if (GeometryNode::Holds(other))
        return true;
    return emitter && (static_cast<const Object*>(emitter.Get()) == other || emitter->Holds(other));
}

int32_t ParticleSystem::Save(Stream& stream)
{
    // The buffers are rebuilt from the particles every frame: the record
    // holds null links in their places.
    Ptr<Vector3Buffer> keptVertices = vertices;
    Ptr<FloatBuffer> keptSizes = pointSizes;
    Ptr<ColorBuffer> keptColors = colors;
    Ptr<Vector3Buffer> keptNormals = normals;
    Ptr<Vector3Buffer> keptTangents = tangents;
    Ptr<Buffer> keptCoordinates = textureCoordinates[0];
    Ptr<IntBuffer> keptIndices = indices;
    vertices = nullptr;
    pointSizes = nullptr;
    colors = nullptr;
    normals = nullptr;
    tangents = nullptr;
    textureCoordinates[0] = nullptr;
    indices = nullptr;
    const int32_t base = GeometryNode::Save(stream);
    vertices = keptVertices;
    pointSizes = keptSizes;
    colors = keptColors;
    normals = keptNormals;
    tangents = keptTangents;
    textureCoordinates[0] = keptCoordinates;
    indices = keptIndices;
    if (base != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }

    const Vector4* colours[] = {&startColor, &startColorJitter, &endColor, &endColorJitter};
    bool written = stream.WriteInt32(maxParticles) == 0 && stream.WriteFloat(emitInterval) == 0 &&
                   stream.WriteFloat(emitIntervalJitter) == 0 && stream.WriteInt32(burstCount) == 0 &&
                   stream.WriteInt32(burstCountJitter) == 0;
    for (const Vector4* colour : colours)
        written = written && stream.WriteVector4(*colour) == 0;
    written = written && stream.WriteFloat(speed) == 0 && stream.WriteFloat(speedJitter) == 0 &&
              stream.WriteVector3(acceleration) == 0 && stream.WriteVector3(accelerationJitter) == 0 &&
              stream.WriteFloat(lifetime) == 0 && stream.WriteFloat(lifetimeJitter) == 0 &&
              stream.WriteFloat(startSize) == 0 && stream.WriteFloat(startSizeJitter) == 0 &&
              stream.WriteFloat(endSize) == 0 && stream.WriteFloat(endSizeJitter) == 0;
    if (!written)
    {
        LogError("Невозможно сохранить данные системы частиц. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteLink(emitter.Get()) != 0)
    {
        LogError("Невозможно сохранить эмиттер системы частиц. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t ParticleSystem::Load(Stream& stream)
{
    if (GeometryNode::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    int32_t maximum = 0;
    if (stream.ReadInt32(maximum) != 0)
    {
        LogError("Невозможно загрузить данные системы частиц. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    SetMaxParticles(maximum);

    Vector4* colours[] = {&startColor, &startColorJitter, &endColor, &endColorJitter};
    bool read = stream.ReadFloat(emitInterval) == 0 && stream.ReadFloat(emitIntervalJitter) == 0 &&
                stream.ReadInt32(burstCount) == 0 && stream.ReadInt32(burstCountJitter) == 0;
    for (Vector4* colour : colours)
        read = read && stream.ReadVector4(*colour) == 0;
    read = read && stream.ReadFloat(speed) == 0 && stream.ReadFloat(speedJitter) == 0 &&
           stream.ReadVector3(acceleration) == 0 && stream.ReadVector3(accelerationJitter) == 0 &&
           stream.ReadFloat(lifetime) == 0 && stream.ReadFloat(lifetimeJitter) == 0 &&
           stream.ReadFloat(startSize) == 0 && stream.ReadFloat(startSizeJitter) == 0 &&
           stream.ReadFloat(endSize) == 0 && stream.ReadFloat(endSizeJitter) == 0;
    if (!read)
    {
        LogError("Невозможно загрузить данные системы частиц. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    Object* link = nullptr;
    if (stream.ReadLink(link) != 0)
    {
        LogError("Невозможно загрузить эмиттер системы частиц. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    // Another class in the emitter's place keeps the emitter we have.
    SetEmitter(link && link->IsDerived(Emitter::TYPE) ? static_cast<Emitter*>(link) : nullptr);
    emitAccumulator = 0.0f;
    nextInterval = 0.0f;
    return 0;
}
