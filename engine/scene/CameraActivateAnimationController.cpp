#include "engine/scene/CameraActivateAnimationController.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/BoolAnimation.h"
#include "engine/scene/Camera.h"

QRE_IMPLEMENT_CLASS(CameraActivateAnimationController, AnimationController)

int32_t CameraActivateAnimationController::Update(double)
{
    Object* target = GetTarget();
    if (!IsActive() || !cameraController || !target || !target->IsDerived(Camera::TYPE))
        return 0;
    Renderer* renderer = GetRenderer();
    const bool current = renderer && renderer->GetCamera() == target;
    if (current)
    {
        cameraController->SetActive(true);
        if (cameraTargetController)
            cameraTargetController->SetActive(true);
        // The switches follow the camera's own track.
        SetPhase(cameraController->GetPhase());
        AnimationController::Update(0.0);
        const bool on = SwitchValue();
        for (const Ptr<Controller>& controller : switched)
            controller->SetActive(on);
        return 0;
    }

    const bool wasRunning = cameraController->IsActive();
    cameraController->SetActive(false);
    cameraController->Reset();
    if (cameraTargetController)
    {
        cameraTargetController->SetActive(false);
        cameraTargetController->Reset();
    }
    if (!wasRunning)
        return 0;
    // Parked at the start of their tracks for the shot's next turn; a
    // switched controller without a track is only switched.
    for (const Ptr<Controller>& controller : switched)
    {
        controller->SetActive(true);
        if (controller->IsDerived(AnimationController::TYPE))
        {
            AnimationController* track = static_cast<AnimationController*>(controller.Get());
            track->SetPhase(0.0);
            track->Update(0.0);
        }
        controller->SetActive(false);
    }
    return 0;
}

bool CameraActivateAnimationController::SwitchValue() const
{
    bool on = true;
    for (uint32_t index = 0; index < GetStageCount(); ++index)
    {
        const BlendStage& stage = GetStage(index);
        // Only bool keys switch; any other kind of animation is passed over.
        if (!stage.animation || !stage.animation->IsDerived(BoolAnimation::TYPE))
            continue;
        const BoolAnimation& keys = static_cast<const BoolAnimation&>(*stage.animation);
        if (stage.index0 < keys.GetKeyCount())
            on = keys.GetBoolKey(stage.index0).value;
    }
    return on;
}

bool CameraActivateAnimationController::WouldCycle(const Controller* controller) const
{
    return controller == this || controller->Holds(this);
}

int32_t CameraActivateAnimationController::SetCameraControllers(AnimationController* camera,
                                                                 AnimationController* target)
{
    if ((camera && WouldCycle(camera)) || (target && WouldCycle(target)))
    {
        LogWarning("Контроллер анимации камеры удерживал бы контроллер активации. Имя[%s] ID[%d]", GetName().CStr(),
                   GetID());
        return 3;
    }
    cameraController = camera;
    cameraTargetController = target;
    return 0;
}

int32_t CameraActivateAnimationController::AddSwitchedController(Controller* controller)
{
    if (!controller || WouldCycle(controller))
    {
        LogWarning("Переключаемый контроллер отсутствует или удерживал бы контроллер активации. Имя[%s] ID[%d]",
                   GetName().CStr(), GetID());
        return 3;
    }
    if (switched.Append(Ptr<Controller>(controller)) != 0)
    {
        LogError("Недостаточно памяти для добавления контроллера. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 2;
    }
    return 0;
}

bool CameraActivateAnimationController::Holds(const Object* other) const
{
    if (AnimationController::Holds(other))
        return true;
    for (const AnimationController* held : {cameraController.Get(), cameraTargetController.Get()})
        if (held && (held == other || held->Holds(other)))
            return true;
    for (const Ptr<Controller>& controller : switched)
        if (controller.Get() == other || controller->Holds(other))
            return true;
    return false;
}

int32_t CameraActivateAnimationController::Save(Stream& stream)
{
    if (AnimationController::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteLink(cameraController.Get()) != 0)
    {
        LogError("Невозможно сохранить контроллер анимации камеры. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteLink(cameraTargetController.Get()) != 0)
    {
        LogError("Невозможно сохранить контроллер анимации цели камеры. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteInt32(static_cast<int32_t>(switched.Count())) != 0)
    {
        LogError("Невозможно сохранить количество дочерних узлов. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    for (const Ptr<Controller>& controller : switched)
        if (stream.WriteLink(controller.Get()) != 0)
        {
            LogError("Невозможно сохранить ссылку на контроллер анимации. Имя[%s] ID[%d]", GetName().CStr(), GetID());
            return 1;
        }
    return 0;
}

namespace
{

// The link as an animation controller; another class counts as none.
AnimationController* AsTrack(Object* link)
{
    return link && link->IsDerived(AnimationController::TYPE) ? static_cast<AnimationController*>(link) : nullptr;
}

} // namespace

int32_t CameraActivateAnimationController::Load(Stream& stream)
{
    if (AnimationController::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    Object* link = nullptr;
    AnimationController* camera = nullptr;
    if (stream.ReadLink(link) != 0 || ((camera = AsTrack(link)) && WouldCycle(camera)))
    {
        LogError("Невозможно загрузить контроллер анимации камеры. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        stream.Fail(1);
        return 1;
    }
    AnimationController* target = nullptr;
    if (stream.ReadLink(link) != 0 || ((target = AsTrack(link)) && WouldCycle(target)))
    {
        LogError("Невозможно загрузить контроллер анимации цели камеры. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        stream.Fail(1);
        return 1;
    }
    cameraController = camera;
    cameraTargetController = target;

    int32_t count = 0;
    if (stream.ReadInt32(count) != 0 || count < 0 || !stream.CheckRemaining(static_cast<uint32_t>(count), 4))
    {
        LogError("Невозможно загрузить количество контроллеров анимации. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        stream.Fail(1);
        return 1;
    }
    switched = Array<Ptr<Controller>>(static_cast<uint32_t>(count), 1);
    for (int32_t i = 0; i < count; ++i)
    {
        Controller* controller = nullptr;
        const bool read = stream.ReadLink(link) == 0;
        if (read && link && link->IsDerived(Controller::TYPE))
            controller = static_cast<Controller*>(link);
        if (!read || (controller && (WouldCycle(controller) || switched.Append(Ptr<Controller>(controller)) != 0)))
        {
            LogError("Невозможно загрузить контроллер анимации. ID[%d] Имя[%s]", GetID(), GetName().CStr());
            stream.Fail(1);
            return 1;
        }
    }
    return 0;
}
