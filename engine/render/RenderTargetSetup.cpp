#include "engine/render/RenderTargetSetup.h"

#include "engine/core/Log.h"
#include "engine/core/Object.h"
#include "engine/core/Stream.h"
#include "engine/render/BaseTexture.h"

int32_t RenderTargetSetup::SetCamera(const Object& owner, Camera* newCamera)
{
    if (newCamera && newCamera->Holds(&owner))
    {
        LogWarning("Камера уже владеет контроллером, установка замкнула бы цикл ссылок. Имя[%s] ID[%d]",
                   owner.GetName().CStr(), owner.GetID());
        return 3;
    }
    camera = newCamera;
    return 0;
}

void RenderTargetSetup::DrawNodes(Renderer& renderer) const
{
    for (const NodeLink& link : nodes)
        if (Node* node = link.Get())
            node->DrawCulled(renderer);
}

bool RenderTargetSetup::Holds(const Object* other) const
{
    return camera && (camera.Get() == other || camera->Holds(other));
}

int32_t RenderTargetSetup::Save(const Object& owner, Stream& stream) const
{
    if (stream.WriteBool(continuous) != 0)
    {
        LogError("Невозможно сохранить флаг генерации. Имя[%s] ID[%d]", owner.GetName().CStr(), owner.GetID());
        return 1;
    }
    if (stream.WriteLink(camera.Get()) != 0)
    {
        LogError("Невозможно сохранить узел камеры. Имя[%s] ID[%d]", owner.GetName().CStr(), owner.GetID());
        return 1;
    }
    stream.WriteUInt32(nodes.Count());
    for (const NodeLink& link : nodes)
        stream.WriteLink(link.Get());
    if (stream.GetState() != 0)
    {
        LogError("Невозможно сохранить узлы. Имя[%s] ID[%d]", owner.GetName().CStr(), owner.GetID());
        return 1;
    }
    return 0;
}

int32_t RenderTargetSetup::Load(const Object& owner, Stream& stream)
{
    if (stream.ReadBool(continuous) != 0)
    {
        LogError("Невозможно загрузить флаг генерации. ID[%d] Имя[%s]", owner.GetID(), owner.GetName().CStr());
        return 1;
    }
    Object* link = nullptr;
    if (stream.ReadLink(link) != 0)
    {
        LogError("Невозможно загрузить узел камеры. ID[%d] Имя[%s]", owner.GetID(), owner.GetName().CStr());
        return 1;
    }
    // Another class counts as no camera.
    if (SetCamera(owner, link && link->IsDerived(Camera::TYPE) ? static_cast<Camera*>(link) : nullptr) != 0)
        return 1;
    uint32_t count = 0;
    if (stream.ReadUInt32(count) != 0 || !stream.CheckRemaining(count, 4))
    {
        LogError("Невозможно загрузить узлы. Имя[%s] ID[%d]", owner.GetName().CStr(), owner.GetID());
        return 1;
    }
    nodes.Clear();
    for (uint32_t i = 0; i < count; ++i)
    {
        Object* node = nullptr;
        if (stream.ReadLink(node) != 0)
        {
            LogError("Невозможно загрузить узлы. Имя[%s] ID[%d]", owner.GetName().CStr(), owner.GetID());
            return 1;
        }
        if (node && node->IsDerived(Node::TYPE))
            nodes.Append(NodeLink(static_cast<Node*>(node)));
    }
    return 0;
}

BaseTexture* RenderTargetSetup::TargetTexture(Object* target)
{
    return target && target->IsDerived(BaseTexture::TYPE) ? static_cast<BaseTexture*>(target) : nullptr;
}

bool RenderTargetSetup::NeedsRender(Object* target, bool rendered) const
{
    const BaseTexture* texture = TargetTexture(target);
    if (!texture)
        return false;
    return continuous || !rendered || !texture->GetDeviceHandle();
}
