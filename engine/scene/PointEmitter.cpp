#include "engine/scene/PointEmitter.h"

#include <cmath>
#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/MathUtil.h"
#include "engine/core/Stream.h"
#include "engine/scene/Node.h"

QRE_IMPLEMENT_CLASS(PointEmitter, Emitter)

namespace
{
// Angles below 0, NaN and infinities become 0.
float NonNegative(float value)
{
    return std::isfinite(value) && value > 0.0f ? value : 0.0f;
}
} // namespace

void PointEmitter::SetAngles(float minimum, float maximum)
{
    // The order the record's clamps apply them: the maximum against the
    // current minimum, then the minimum against the new maximum.
    const float newMax = NonNegative(maximum);
    maxAngle = newMax > minAngle ? newMax : minAngle;
    const float newMin = NonNegative(minimum);
    minAngle = newMin < maxAngle ? newMin : maxAngle;
}

Vector3 PointEmitter::ConeDirection() const
{
    const float phi = RandomUnit() * 6.2831855f;
    const float theta = minAngle + RandomUnit() * (maxAngle - minAngle);
    const float sinTheta = std::sin(theta);
    return {std::sin(phi) * sinTheta, std::cos(theta), std::cos(phi) * sinTheta};
}

Vector3 PointEmitter::TurnedDirection(const Node* by) const
{
    Vector3 direction = ConeDirection();
    if (by)
        direction = by->GetWorldTransform().ApplyToVector(direction);
    direction.Normalize();
    return direction;
}

void PointEmitter::Emit(Vector3& position, Vector3& direction)
{
    position = node ? node->GetWorldTransform().GetTranslation() : Vector3();
    direction = TurnedDirection(node);
}

int32_t PointEmitter::Save(Stream& stream)
{
    if (Emitter::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteFloat(maxAngle) != 0 || stream.WriteFloat(minAngle) != 0)
    {
        LogError("Невозможно сохранить данные системы частиц. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t PointEmitter::Load(Stream& stream)
{
    if (Emitter::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    float maximum = 0.0f;
    float minimum = 0.0f;
    if (stream.ReadFloat(maximum) != 0 || stream.ReadFloat(minimum) != 0)
    {
        LogError("Невозможно загрузить данные системы частиц. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    SetAngles(minimum, maximum);
    return 0;
}
