#include "engine/render/RenderTextureController.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/render/BaseTexture.h"
#include "engine/render/Renderer.h"
#include "engine/render/Texture.h"

QRE_IMPLEMENT_CLASS(RenderTextureController, PostUpdateController)

BaseTexture* RenderTextureController::GetTargetTexture() const
{
    return RenderTargetSetup::TargetTexture(GetTarget());
}

bool RenderTextureController::NeedsRender() const
{
    return setup.NeedsRender(GetTarget(), rendered);
}

int32_t RenderTextureController::PostUpdate()
{
    if (!NeedsRender())
        return 0;
    Renderer* renderer = GetRenderer();
    if (!renderer)
        return 1;
    BaseTexture* target = GetTargetTexture();
    if (!target->IsDerived(Texture::TYPE))
    {
        LogWarning("Цель контроллера не является плоской текстурой. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 3;
    }
    // Held: drawing the nodes may replace the renderer's camera.
    const Ptr<Camera> previous = renderer->GetCamera();
    if (renderer->SetRenderTarget(static_cast<Texture*>(target)) != 0)
        return 1;
    renderer->Clear(3, renderer->GetClearColour(), 1.0f, 0);
    if (Camera* camera = setup.GetCamera())
    {
        camera->UpdateWorldData(0.0);
        renderer->SetCamera(camera);
    }
    setup.DrawNodes(*renderer);
    renderer->SetRenderTarget(nullptr);
    renderer->SetCamera(previous.Get());
    rendered = true;
    ++renderCount;
    return 0;
}

bool RenderTextureController::Holds(const Object* other) const
{
    if (PostUpdateController::Holds(other))
        return true;
    return setup.Holds(other);
}

int32_t RenderTextureController::Save(Stream& stream)
{
    if (PostUpdateController::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return setup.Save(*this, stream);
}

int32_t RenderTextureController::Load(Stream& stream)
{
    if (PostUpdateController::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    if (setup.Load(*this, stream) != 0)
        return 1;
    rendered = false;
    return 0;
}
