#include "engine/scene/CameraCulledController.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"

QRE_IMPLEMENT_CLASS(CameraCulledController, Controller)

CameraCulledController::~CameraCulledController()
{
    SetCulled(false);
}

void CameraCulledController::SetCulled(bool culled)
{
    for (const NodeLink& link : nodes)
        if (Node* node = link.Get())
            node->SetCulled(culled);
}

int32_t CameraCulledController::Update(double)
{
    if (!IsActive())
        return 0;
    Renderer* renderer = GetRenderer();
    Object* target = GetTarget();
    if (renderer && target && renderer->GetCamera() == target)
    {
        SetCulled(true);
        hiding = true;
    }
    else if (hiding)
    {
        SetCulled(false);
        hiding = false;
    }
    return 0;
}

int32_t CameraCulledController::Save(Stream& stream)
{
    if (Controller::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    stream.WriteInt32(static_cast<int32_t>(nodes.Count()));
    for (const NodeLink& link : nodes)
        stream.WriteLink(link.Get());
    if (stream.GetState() != 0)
    {
        LogError("Невозможно сохранить узлы. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t CameraCulledController::Load(Stream& stream)
{
    if (Controller::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    int32_t count = 0;
    if (stream.ReadInt32(count) != 0 || (count > 0 && !stream.CheckRemaining(static_cast<uint32_t>(count), 4)))
    {
        LogError("Невозможно загрузить узлы. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    nodes.Clear();
    for (int32_t i = 0; i < count; ++i)
    {
        Object* link = nullptr;
        if (stream.ReadLink(link) != 0)
        {
            LogError("Невозможно загрузить узлы. ID[%d] Имя[%s]", GetID(), GetName().CStr());
            return 1;
        }
        if (link && link->IsDerived(Node::TYPE))
            nodes.Append(NodeLink(static_cast<Node*>(link)));
    }
    return 0;
}
