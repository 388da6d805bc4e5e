#include "engine/scene/LookAt.h"

#include <cmath>

#include "engine/core/Matrix4.h"
#include "engine/core/Quaternion.h"

namespace
{

// Beyond this |D . (0, 1, 0)| the right axis comes from (1, 0, 0).
constexpr float kNearlyVertical = 0.999f;

} // namespace

bool AimTransform(Transform& transform, const Vector3& direction)
{
    if (!std::isfinite(direction.x) || !std::isfinite(direction.y) || !std::isfinite(direction.z))
        return false;
    // Scaled to its largest component first, so that squaring a far
    // target's offset cannot overflow.
    const float largest = std::fmax(std::fabs(direction.x), std::fmax(std::fabs(direction.y), std::fabs(direction.z)));
    if (!(largest > 0.0f))
        return false;
    Vector3 forward(direction.x / largest, direction.y / largest, direction.z / largest);
    if (forward.Normalize() == 0.0f)
        return false;
    Vector3 right(1.0f, 0.0f, 0.0f);
    if (std::fabs(forward.y) <= kNearlyVertical)
        right = Cross(Vector3(0.0f, 1.0f, 0.0f), forward).Normalized();
    const Vector3 up = Cross(forward, right).Normalized();

    Matrix4 basis = Matrix4::Identity();
    const Vector3 columns[3] = {right, up, forward};
    for (int column = 0; column < 3; ++column)
    {
        basis.m[0][column] = columns[column].x;
        basis.m[1][column] = columns[column].y;
        basis.m[2][column] = columns[column].z;
    }
    if (transform.IsIdentity())
        transform.MakeIdentity(); // the fields may be stale while the flag hides them
    transform.SetRotation(Quaternion::FromMatrix3(basis));
    return true;
}
