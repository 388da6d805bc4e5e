#include "engine/render/RenderTextureController.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/render/BaseTexture.h"

QRE_IMPLEMENT_CLASS(RenderTextureController, PostUpdateController)

BaseTexture* RenderTextureController::GetTargetTexture() const
{
    Object* target = GetTarget();
    return target && target->IsDerived(BaseTexture::TYPE) ? static_cast<BaseTexture*>(target) : nullptr;
}

bool RenderTextureController::NeedsRender() const
{
    const BaseTexture* texture = GetTargetTexture();
    if (!texture)
        return false;
    return continuous || !rendered || !texture->GetDeviceHandle();
}

int32_t RenderTextureController::PostUpdate()
{
    if (NeedsRender())
        ++pendingRenders;
    return 0;
}

int32_t RenderTextureController::SetCamera(Camera* newCamera)
{
    if (newCamera && newCamera->Holds(this))
    {
        LogWarning("Камера уже владеет контроллером, установка замкнула бы цикл ссылок. Имя[%s] ID[%d]",
                   GetName().CStr(), GetID());
        return 3;
    }
    camera = newCamera;
    return 0;
}

bool RenderTextureController::Holds(const Object* other) const
{
    if (PostUpdateController::Holds(other))
        return true;
    return camera && (camera.Get() == other || camera->Holds(other));
}

int32_t RenderTextureController::Save(Stream& stream)
{
    if (PostUpdateController::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteBool(continuous) != 0)
    {
        LogError("Невозможно сохранить флаг генерации. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteLink(camera.Get()) != 0)
    {
        LogError("Невозможно сохранить узел камеры. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    stream.WriteUInt32(nodes.Count());
    for (const NodeLink& link : nodes)
        stream.WriteLink(link.Get());
    if (stream.GetState() != 0)
    {
        LogError("Невозможно сохранить узлы. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t RenderTextureController::Load(Stream& stream)
{
    if (PostUpdateController::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    if (stream.ReadBool(continuous) != 0)
    {
        LogError("Невозможно загрузить флаг генерации. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    Object* link = nullptr;
    if (stream.ReadLink(link) != 0)
    {
        LogError("Невозможно загрузить узел камеры. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    // Another class counts as no camera.
    if (SetCamera(link && link->IsDerived(Camera::TYPE) ? static_cast<Camera*>(link) : nullptr) != 0)
        return 1;
    uint32_t count = 0;
    if (stream.ReadUInt32(count) != 0 || !stream.CheckRemaining(count, 4))
    {
        LogError("Невозможно загрузить узлы. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    nodes.Clear();
    for (uint32_t i = 0; i < count; ++i)
    {
        Object* node = nullptr;
        if (stream.ReadLink(node) != 0)
        {
            LogError("Невозможно загрузить узлы. Имя[%s] ID[%d]", GetName().CStr(), GetID());
            return 1;
        }
        if (node && node->IsDerived(Node::TYPE))
            nodes.Append(NodeLink(static_cast<Node*>(node)));
    }
    rendered = false;
    return 0;
}
