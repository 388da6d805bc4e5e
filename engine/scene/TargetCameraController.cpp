#include "engine/scene/TargetCameraController.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/scene/Camera.h"
#include "engine/scene/LookAt.h"

QRE_IMPLEMENT_CLASS(TargetCameraController, Controller)

int32_t TargetCameraController::Update(double)
{
    Object* target = GetTarget();
    Node* subject = targetNode.Get();
    if (!IsActive() || !target || !target->IsDerived(Camera::TYPE) || !subject)
        return 0;
    LookAtNode(*static_cast<Camera*>(target), *subject);
    return 0;
}

int32_t TargetCameraController::Save(Stream& stream)
{
    if (Controller::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteLink(targetNode.Get()) != 0)
    {
        LogError("Невозможно сохранить цель камеры. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t TargetCameraController::Load(Stream& stream)
{
    if (Controller::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    Object* link = nullptr;
    if (stream.ReadLink(link) != 0)
    {
        LogError("Невозможно загрузить цель камеры. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    // A link of another class counts as no subject.
    targetNode = NodeLink(link && link->IsDerived(Node::TYPE) ? static_cast<Node*>(link) : nullptr);
    return 0;
}
