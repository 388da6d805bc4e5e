#include "engine/scene/NodeAnimationController.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/scene/Node.h"
#include "engine/scene/NodeAnimation.h"

QRE_IMPLEMENT_CLASS(NodeAnimationController, AnimationController)

int32_t NodeAnimationController::Update(double time)
{
    AnimationController::Update(time);
    Object* target = GetTarget();
    if (!IsActive() || !target || !target->IsDerived(Node::TYPE))
        return 0;
    Node& node = static_cast<Node&>(*target);
    // A transform flagged as the identity may hold anything in its fields.
    const Transform& local = node.GetLocalTransform();
    Vector3 translation = local.IsIdentity() ? Vector3() : local.translation;
    Quaternion rotation = local.IsIdentity() || local.IsRotationFree() ? Quaternion() : local.rotation;
    Vector3 scale = local.IsIdentity() ? Vector3(1, 1, 1) : local.scale;

    for (uint32_t i = 0; i < GetStageCount(); ++i)
    {
        const BlendStage& stage = GetStage(i);
        const Animation* animation = stage.animation.Get();
        if (!animation || !animation->IsDerived(NodeAnimation::TYPE) || stage.weight == 0.0f ||
            stage.index0 >= animation->GetKeyCount() || stage.index1 >= animation->GetKeyCount())
            continue;
        const auto& keys = static_cast<const NodeAnimation&>(*animation);
        const NodeAnimationKey& k0 = keys.GetNodeKey(stage.index0);
        const NodeAnimationKey& k1 = keys.GetNodeKey(stage.index1);
        const float f = static_cast<float>(stage.fraction);
        const Quaternion q = f == 0.0f ? k0.rotation : Quaternion::Slerp(k0.rotation, k1.rotation, f);
        const Vector3 p = k0.translation + (k1.translation - k0.translation) * f;
        const Vector3 s = k0.scale + (k1.scale - k0.scale) * f;
        const float w = stage.weight;
        if (w == 1.0f)
        {
            // Exactly the sampled pose, not a rounding away from it.
            rotation = q;
            translation = p;
            scale = s;
            continue;
        }
        rotation = Quaternion::Slerp(rotation, q, w);
        translation += (p - translation) * w;
        scale += (s - scale) * w;
    }
    node.SetLocalTransform(Transform(translation, rotation, scale));
    node.SetUpdateWorldTransform(true);
    return 0;
}

int32_t NodeAnimationController::Save(Stream& stream)
{
    if (AnimationController::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t NodeAnimationController::Load(Stream& stream)
{
    if (AnimationController::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    return 0;
}
