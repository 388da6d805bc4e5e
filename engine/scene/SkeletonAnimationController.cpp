#include "engine/scene/SkeletonAnimationController.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"

QRE_IMPLEMENT_CLASS(SkeletonAnimationController, AnimationController)

int32_t SkeletonAnimationController::Update(double time)
{
    AnimationController::Update(time);
    if (!IsActive())
        return 0;
    for (const Ptr<AnimationController>& bone : bones)
    {
        bone->SetActive(true);
        bone->Update(time);
        bone->SetActive(false);
    }
    return 0;
}

void SkeletonAnimationController::Reset()
{
    AnimationController::Reset();
    for (const Ptr<AnimationController>& bone : bones)
        bone->ClearStages();
}

void SkeletonAnimationController::SetStageWeight(uint32_t index, float weight)
{
    AnimationController::SetStageWeight(index, weight);
    for (const Ptr<AnimationController>& bone : bones)
        bone->SetStageWeight(index, weight);
}

void SkeletonAnimationController::SetPhase(double value)
{
    AnimationController::SetPhase(value);
    for (const Ptr<AnimationController>& bone : bones)
        bone->SetPhase(value);
}

bool SkeletonAnimationController::WouldRunItself(const AnimationController* bone) const
{
    return bone == this || bone->Holds(this);
}

int32_t SkeletonAnimationController::AddBoneController(AnimationController* bone)
{
    if (!bone || WouldRunItself(bone))
    {
        LogWarning("Контроллер кости отсутствует или запустил бы скелет. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 3;
    }
    if (bones.Append(Ptr<AnimationController>(bone)) != 0)
    {
        LogError("Недостаточно памяти для добавления контроллера кости. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 2;
    }
    bone->SetActive(false);
    return 0;
}

bool SkeletonAnimationController::Holds(const Object* other) const
{
    if (AnimationController::Holds(other))
        return true;
    for (const Ptr<AnimationController>& bone : bones)
        if (bone.Get() == other || bone->Holds(other))
            return true;
    return false;
}

int32_t SkeletonAnimationController::Save(Stream& stream)
{
    if (AnimationController::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteInt32(static_cast<int32_t>(bones.Count())) != 0)
    {
        LogError("Невозможно сохранить количество контроллеров анимации костей. Имя[%s] ID[%d]", GetName().CStr(),
                 GetID());
        return 1;
    }
    for (const Ptr<AnimationController>& bone : bones)
    {
        if (stream.WriteLink(bone.Get()) != 0)
        {
            LogError("Невозможно сохранить контроллер анимации костей. Имя[%s] ID[%d]", GetName().CStr(), GetID());
            return 1;
        }
    }
    return 0;
}

int32_t SkeletonAnimationController::Load(Stream& stream)
{
    if (AnimationController::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    int32_t count = 0;
    if (stream.ReadInt32(count) != 0 || count < 0 || !stream.CheckRemaining(static_cast<uint32_t>(count), 4))
    {
        LogError("Невозможно загрузить количество контроллеров анимации костей. ID[%d] Имя[%s]", GetID(),
                 GetName().CStr());
        stream.Fail(1);
        return 1;
    }
    bones = Array<Ptr<AnimationController>>(static_cast<uint32_t>(count), 1);
    for (int32_t i = 0; i < count; ++i)
    {
        Object* link = nullptr;
        const bool read = stream.ReadLink(link) == 0;
        AnimationController* bone = link && link->IsDerived(AnimationController::TYPE)
                                        ? static_cast<AnimationController*>(link)
                                        : nullptr;
        if (!read || (bone && (WouldRunItself(bone) || bones.Append(Ptr<AnimationController>(bone)) != 0)))
        {
            LogError("Невозможно загрузить контроллер анимации костей. Имя[%s] ID[%d]", GetName().CStr(), GetID());
            stream.Fail(1);
            return 1;
        }
        if (bone)
            bone->SetActive(false);
    }
    return 0;
}
