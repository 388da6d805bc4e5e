#include "engine/scene/SpriteParticleSystem.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/render/Renderer.h"
#include "engine/render/SpriteEffect.h"
#include "engine/scene/BufferOf.h"
#include "engine/scene/Camera.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/scene/SpriteQuads.h"
#include "engine/scene/Vector2Buffer.h"

QRE_IMPLEMENT_CLASS(SpriteParticleSystem, ParticleSystem)

SpriteParticleSystem::SpriteParticleSystem(const String& name) : ParticleSystem(name)
{
    Ptr<SpriteEffect> sprite = new (std::nothrow) SpriteEffect();
    if (sprite)
        SetEffect(sprite.Get());
    else
        LogError("Недостаточно памяти для эффекта. Имя[%s] ID[%d]", GetName().CStr(), GetID());
    pointMode = RendererHasPointSprites();
}

bool SpriteParticleSystem::RendererHasPointSprites()
{
    const Renderer* renderer = GetRenderer();
    return renderer && renderer->GetCaps().pointSprites;
}

PrimitiveType SpriteParticleSystem::GetPrimitiveType() const
{
    return pointMode ? PrimitiveType::PointList : PrimitiveType::TriangleList;
}

int32_t SpriteParticleSystem::AllocateBuffers()
{
    pointMode = RendererHasPointSprites();
    primitiveCount = 0;
    vertices = nullptr;
    colors = nullptr;
    pointSizes = nullptr;
    textureCoordinates[0] = nullptr;
    if (maxParticles <= 0)
        return 0;
    // At most 6 x 65536 elements: the clamp of maxParticles keeps this in
    // range of 32 bits.
    const uint32_t count = static_cast<uint32_t>(maxParticles) * (pointMode ? 1u : 6u);
    Ptr<Vector3Buffer> newVertices = CreateBuffer<Vector3Buffer>(count);
    Ptr<ColorBuffer> newColors = CreateBuffer<ColorBuffer>(count);
    Ptr<Vector2Buffer> newCoordinates = CreateBuffer<Vector2Buffer>(count);
    Ptr<FloatBuffer> newSizes = pointMode ? CreateBuffer<FloatBuffer>(count) : nullptr;
    if (!newVertices || !newColors || !newCoordinates || (pointMode && !newSizes))
    {
        LogError("Недостаточно памяти для создания буффера. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 2;
    }
    if (!pointMode)
    {
        Vector2* coordinates = newCoordinates->GetElements();
        for (uint32_t i = 0; i < count; ++i)
            coordinates[i] = SpriteQuads::kCoordinates[i % 6];
    }
    vertices = newVertices;
    colors = newColors;
    pointSizes = newSizes;
    textureCoordinates[0] = newCoordinates.Get();
    return 0;
}

void SpriteParticleSystem::MatchRenderer()
{
    if (pointMode != RendererHasPointSprites())
        AllocateBuffers();
}

void SpriteParticleSystem::UpdateWorldData(double time)
{
    MatchRenderer();
    ParticleSystem::UpdateWorldData(time);
    WriteSprites();
}

void SpriteParticleSystem::WriteSprites()
{
    primitiveCount = 0;
    if (!vertices || !colors)
        return;
    const Renderer* renderer = GetRenderer();
    const Camera* camera = renderer ? renderer->GetCamera() : nullptr;
    Vector3* positions = vertices->GetElements();
    Vector4* colours = colors->GetElements();
    const uint32_t capacity = std::min(vertices->GetCount(), colors->GetCount());
    uint32_t written = 0;
    if (pointMode)
    {
        if (!pointSizes || pointSizes->GetCount() < capacity)
            return;
        float* sizes = pointSizes->GetElements();
        const float scale = SpriteQuads::PointSizeScale(camera);
        for (const Particle* p = GetFirstLive(); p && written < capacity; p = p->next, ++written)
        {
            positions[written] = p->position;
            colours[written] = p->color;
            sizes[written] = p->size * scale;
        }
        primitiveCount = written;
        pointSizes->MarkChanged();
    }
    else
    {
        if (!camera)
            return;
        Vector3 d1;
        Vector3 d2;
        SpriteQuads::Axes(*camera, d1, d2);
        for (const Particle* p = GetFirstLive(); p && 6 * written + 6 <= capacity; p = p->next, ++written)
        {
            SpriteQuads::WriteCorners(positions + 6 * written, p->position, p->size, d1, d2);
            std::fill(colours + 6 * written, colours + 6 * written + 6, p->color);
        }
        primitiveCount = 2 * written;
    }
    vertices->MarkChanged();
    colors->MarkChanged();
}

void SpriteParticleSystem::UpdateWorldBound()
{
    if (!GetUpdateWorldBound() || !vertices || !worldBound || !worldBound->IsDerived(SphereBoundingVolume::TYPE))
        return;
    const uint32_t used = std::min(pointMode ? primitiveCount : 3 * primitiveCount, vertices->GetCount());
    const Vector3* points = vertices->GetElements();
    Vector3 low;
    Vector3 high;
    bool any = false;
    for (uint32_t i = 0; i < used; ++i)
    {
        const Vector3& v = points[i];
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z))
            continue;
        low = any ? Vector3(std::min(low.x, v.x), std::min(low.y, v.y), std::min(low.z, v.z)) : v;
        high = any ? Vector3(std::max(high.x, v.x), std::max(high.y, v.y), std::max(high.z, v.z)) : v;
        any = true;
    }
    // Nothing drawn keeps the last bound.
    if (!any)
        return;
    const Vector3 center = (low + high) * 0.5f;
    float radius = 0.0f;
    for (uint32_t i = 0; i < used; ++i)
    {
        const float distance = (points[i] - center).Length();
        if (std::isfinite(distance))
            radius = std::max(radius, distance);
    }
    SphereBoundingVolume* sphere = static_cast<SphereBoundingVolume*>(worldBound.Get());
    sphere->SetCenter(center);
    sphere->SetRadius(radius);
}

void SpriteParticleSystem::Draw(Renderer& renderer)
{
    if (!effect || !effect->IsEnabled() || primitiveCount == 0)
        return;
    if (effect->IsTransparent())
    {
        renderer.QueueTransparent(this);
        return;
    }
    DrawDeferred(renderer);
}

void SpriteParticleSystem::DrawDeferred(Renderer& renderer)
{
    SpriteQuads::DrawPrimitives(*this, renderer, primitiveCount);
}
