#include "engine/scene/TargetLightController.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/scene/Light.h"
#include "engine/scene/LookAt.h"

QRE_IMPLEMENT_CLASS(TargetLightController, Controller)

int32_t TargetLightController::Update(double)
{
    Object* target = GetTarget();
    Node* subject = targetNode.Get();
    if (!IsActive() || !target || !target->IsDerived(Light::TYPE) || !subject)
        return 0;
    LookAtNode(*static_cast<Light*>(target), *subject);
    return 0;
}

int32_t TargetLightController::Save(Stream& stream)
{
    if (Controller::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteLink(targetNode.Get()) != 0)
    {
        LogError("Невозможно сохранить цель источника света. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t TargetLightController::Load(Stream& stream)
{
    if (Controller::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    Object* link = nullptr;
    if (stream.ReadLink(link) != 0)
    {
        LogError("Невозможно загрузить цель источника света. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    // A link of another class counts as no subject.
    targetNode = NodeLink(link && link->IsDerived(Node::TYPE) ? static_cast<Node*>(link) : nullptr);
    return 0;
}
