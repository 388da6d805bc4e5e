#include "engine/render/RenderTargetController.h"

#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/render/BaseTexture.h"
#include "engine/render/Renderer.h"

BaseTexture* RenderTargetController::GetTargetTexture() const
{
    Object* target = GetTarget();
    return target && target->IsDerived(BaseTexture::TYPE) ? static_cast<BaseTexture*>(target) : nullptr;
}

bool RenderTargetController::NeedsRender() const
{
    const BaseTexture* texture = GetTargetTexture();
    if (!texture)
        return false;
    return continuous || !rendered || !texture->GetDeviceHandle();
}

int32_t RenderTargetController::PostUpdate()
{
    if (!NeedsRender())
        return 0;
    Renderer* renderer = GetRenderer();
    if (!renderer)
        return 1;
    // Held: drawing the nodes may replace the renderer's camera.
    const Ptr<Camera> previous = renderer->GetCamera();
    const int32_t result = RenderInto(*renderer, *GetTargetTexture(), previous.Get());
    renderer->SetCamera(previous.Get());
    if (result != 0)
        return result;
    rendered = true;
    ++renderCount;
    return 0;
}

void RenderTargetController::DrawNodes(Renderer& renderer) const
{
    for (const NodeLink& link : nodes)
        if (Node* node = link.Get())
            node->DrawCulled(renderer);
}

int32_t RenderTargetController::SetCamera(Camera* newCamera)
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

bool RenderTargetController::Holds(const Object* other) const
{
    if (PostUpdateController::Holds(other))
        return true;
    return camera && (camera.Get() == other || camera->Holds(other));
}

int32_t RenderTargetController::Save(Stream& stream)
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

int32_t RenderTargetController::Load(Stream& stream)
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
