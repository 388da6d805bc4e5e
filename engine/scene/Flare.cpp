#include "engine/scene/Flare.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/render/GeometryNodeEffect.h"
#include "engine/render/Renderer.h"
#include "engine/scene/BufferOf.h"
#include "engine/scene/Camera.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/scene/SpriteQuads.h"
#include "engine/scene/Vector2Buffer.h"

QRE_IMPLEMENT_CLASS(Flare, GeometryNode)

namespace
{
bool PointSprites()
{
    const Renderer* renderer = GetRenderer();
    return renderer && renderer->GetCaps().pointSprites;
}
} // namespace

void Flare::SetSize(float value)
{
    size = std::isfinite(value) && value > 0.0f ? value : 0.0f;
    UpdateModelBound();
}

PrimitiveType Flare::GetPrimitiveType() const
{
    return PointSprites() ? PrimitiveType::PointList : PrimitiveType::TriangleList;
}

void Flare::UpdateModelBound()
{
    if (localBound && localBound->IsDerived(SphereBoundingVolume::TYPE))
    {
        SphereBoundingVolume* sphere = static_cast<SphereBoundingVolume*>(localBound.Get());
        sphere->SetCenter(Vector3());
        sphere->SetRadius(size * 5000.0f);
    }
}

bool Flare::SizeBuffers(uint32_t n)
{
    if (vertices && vertices->GetCount() == n && colors && colors->GetCount() == n && textureCoordinates[0] &&
        textureCoordinates[0]->GetCount() == n && (n != 1 || (pointSizes && pointSizes->GetCount() == 1)))
        return true;
    Ptr<Vector3Buffer> newVertices = CreateBuffer<Vector3Buffer>(n);
    Ptr<ColorBuffer> newColors = CreateBuffer<ColorBuffer>(n);
    Ptr<Vector2Buffer> newCoordinates = CreateBuffer<Vector2Buffer>(n);
    Ptr<FloatBuffer> newSizes = n == 1 ? CreateBuffer<FloatBuffer>(1) : nullptr;
    if (!newVertices || !newColors || !newCoordinates || (n == 1 && !newSizes))
    {
        LogError("Недостаточно памяти для создания буффера. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return false;
    }
    if (n == 6)
        std::copy(SpriteQuads::kCoordinates, SpriteQuads::kCoordinates + 6, newCoordinates->GetElements());
    vertices = newVertices;
    colors = newColors;
    pointSizes = newSizes;
    textureCoordinates[0] = newCoordinates.Get();
    return true;
}

void Flare::UpdateWorldData(double time)
{
    GeometryNode::UpdateWorldData(time);
    primitives = 0;
    const Renderer* renderer = GetRenderer();
    const Camera* camera = renderer ? renderer->GetCamera() : nullptr;
    const Vector3 p = worldTransform.GetTranslation();
    if (PointSprites())
    {
        if (!SizeBuffers(1))
            return;
        vertices->GetElements()[0] = p;
        colors->GetElements()[0] = color;
        pointSizes->GetElements()[0] = size * SpriteQuads::PointSizeScale(camera);
        pointSizes->MarkChanged();
        primitives = 1;
    }
    else
    {
        if (!camera || !SizeBuffers(6))
            return;
        Vector3 d1;
        Vector3 d2;
        SpriteQuads::Axes(*camera, d1, d2);
        SpriteQuads::WriteCorners(vertices->GetElements(), p, size, d1, d2);
        std::fill(colors->GetElements(), colors->GetElements() + 6, color);
        primitives = 2;
    }
    vertices->MarkChanged();
    colors->MarkChanged();
}

void Flare::Draw(Renderer& renderer)
{
    if (!effect || !effect->IsEnabled() || primitives == 0)
        return;
    if (effect->IsTransparent())
    {
        renderer.QueueTransparent(this);
        return;
    }
    DrawDeferred(renderer);
}

void Flare::DrawDeferred(Renderer& renderer)
{
    SpriteQuads::DrawPrimitives(*this, renderer, primitives);
}

int32_t Flare::Save(Stream& stream)
{
    // The sprite's buffers are rebuilt every update: null links in the
    // record.
    Ptr<Vector3Buffer> keptVertices = vertices;
    Ptr<FloatBuffer> keptSizes = pointSizes;
    Ptr<ColorBuffer> keptColors = colors;
    Ptr<Buffer> keptCoordinates = textureCoordinates[0];
    vertices = nullptr;
    pointSizes = nullptr;
    colors = nullptr;
    textureCoordinates[0] = nullptr;
    const int32_t base = GeometryNode::Save(stream);
    vertices = keptVertices;
    pointSizes = keptSizes;
    colors = keptColors;
    textureCoordinates[0] = keptCoordinates;
    if (base != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteVector4(color) != 0 || stream.WriteFloat(size) != 0)
    {
        LogError("Невозможно сохранить данные флара. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t Flare::Load(Stream& stream)
{
    if (GeometryNode::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    float value = 0.0f;
    if (stream.ReadVector4(color) != 0 || stream.ReadFloat(value) != 0)
    {
        LogError("Невозможно загрузить данные флара. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    SetSize(value);
    return 0;
}
