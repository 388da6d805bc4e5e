#include "engine/scene/PathAnimationController.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/scene/Node.h"
#include "engine/scene/PathAnimation.h"

QRE_IMPLEMENT_CLASS(PathAnimationController, AnimationController)

Quaternion PathAnimationController::TurnOnto(const Vector3& from, const Vector3& to)
{
    // Rounding can push the cosine past 1, where acos has no answer.
    const float angle = std::acos(std::clamp(from.Dot(to), -1.0f, 1.0f));
    Vector3 axis = to.Cross(from);
    if (axis.Normalize() == 0.0f)
    {
        // Parallel or opposite: any axis across from serves.
        const Vector3 other = std::fabs(from.x) < 0.9f ? Vector3(1, 0, 0) : Vector3(0, 1, 0);
        axis = from.Cross(other);
        axis.Normalize();
    }
    return Quaternion::FromAxisAngle(axis, angle);
}

int32_t PathAnimationController::Update(double time)
{
    AnimationController::Update(time);
    Object* target = GetTarget();
    if (!IsActive() || !target || !target->IsDerived(Node::TYPE))
        return 0;
    Node& node = static_cast<Node&>(*target);
    const Transform& local = node.GetLocalTransform();
    Vector3 translation = local.IsIdentity() ? Vector3() : local.translation;
    Quaternion rotation = local.IsIdentity() || local.IsRotationFree() ? Quaternion() : local.rotation;
    const Vector3 scale = local.IsIdentity() ? Vector3(1, 1, 1) : local.scale;
    const Vector3 axis = rotationAxis.Normalized();

    for (uint32_t i = 0; i < GetStageCount(); ++i)
    {
        const BlendStage& stage = GetStage(i);
        const Animation* animation = stage.animation.Get();
        if (!animation || !animation->IsDerived(PathAnimation::TYPE) || stage.weight == 0.0f ||
            stage.index0 >= animation->GetKeyCount() || stage.index1 >= animation->GetKeyCount())
            continue;
        const auto& keys = static_cast<const PathAnimation&>(*animation);
        const PathAnimationKey& k0 = keys.GetPathKey(stage.index0);
        const PathAnimationKey& k1 = keys.GetPathKey(stage.index1);
        const Vector3& p0 = k0.position;
        const Vector3& p1 = k0.outControl;
        const Vector3& p2 = k1.inControl;
        const Vector3& p3 = k1.position;
        const float f = static_cast<float>(stage.fraction);
        const float g = 1.0f - f;
        const float w = stage.weight;
        const Vector3 point = p0 * (g * g * g) + p1 * (3 * g * g * f) + p2 * (3 * g * f * f) + p3 * (f * f * f);
        translation = w == 1.0f ? point : translation + (point - translation) * w;

        Vector3 direction = (p1 - p0) * (3 * g * g) + (p2 - p1) * (6 * g * f) + (p3 - p2) * (3 * f * f);
        if (direction.Normalize() == 0.0f || axis == Vector3())
            continue;
        const Quaternion turn = TurnOnto(axis, direction);
        rotation = w == 1.0f ? turn : Quaternion::Slerp(rotation, turn, w);
    }
    node.SetLocalTransform(Transform(translation, rotation, scale));
    node.SetUpdateWorldTransform(true);
    return 0;
}

int32_t PathAnimationController::Save(Stream& stream)
{
    if (AnimationController::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteVector3(rotationAxis) != 0)
    {
        LogError("Невозможно сохранить ось вращения. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t PathAnimationController::Load(Stream& stream)
{
    if (AnimationController::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    if (stream.ReadVector3(rotationAxis) != 0 || !std::isfinite(rotationAxis.x) || !std::isfinite(rotationAxis.y) ||
        !std::isfinite(rotationAxis.z))
    {
        LogError("Невозможно загрузить ось вращения. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    return 0;
}
