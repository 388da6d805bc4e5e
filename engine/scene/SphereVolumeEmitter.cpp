#include "engine/scene/SphereVolumeEmitter.h"

#include <cmath>
#include <cstdlib>
#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/MathUtil.h"
#include "engine/core/Stream.h"
#include "engine/scene/Node.h"

QRE_IMPLEMENT_CLASS(SphereVolumeEmitter, PointEmitter)

void SphereVolumeEmitter::Emit(Vector3& position, Vector3& direction)
{
    direction = TurnedDirection(node);
    const float a = RandomUnit() * 6.2831855f;
    const float b = RandomUnit() * 6.2831855f;
    Vector3 w(std::cos(b) * std::sin(a), std::sin(b) * std::sin(a), std::cos(a));
    w.Normalize();
    const Vector3 offset = w * (static_cast<float>(std::rand() % 10000) * radius * 0.0001f);
    position = node ? node->GetWorldTransform().GetTranslation() + offset : offset;
}

// A radius that cannot be written or read fails without a line of its own.
int32_t SphereVolumeEmitter::Save(Stream& stream)
{
    if (PointEmitter::Save(stream) != 0)
        return 1;
    return stream.WriteFloat(radius) == 0 ? 0 : 1;
}

int32_t SphereVolumeEmitter::Load(Stream& stream)
{
    if (PointEmitter::Load(stream) != 0)
        return 1;
    return stream.ReadFloat(radius) == 0 ? 0 : 1;
}
