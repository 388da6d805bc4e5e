#include "engine/render/RenderTextureController.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/render/Renderer.h"
#include "engine/render/Texture.h"

QRE_IMPLEMENT_CLASS(RenderTextureController, PostUpdateController)

int32_t RenderTextureController::RenderInto(Renderer& renderer, BaseTexture& target, Camera*)
{
    if (!target.IsDerived(Texture::TYPE))
    {
        LogWarning("Цель контроллера не является плоской текстурой. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 3;
    }
    if (renderer.SetRenderTarget(static_cast<Texture*>(&target)) != 0)
        return 1;
    renderer.Clear(3, renderer.GetClearColour(), 1.0f, 0);
    if (Camera* camera = GetCamera())
    {
        camera->UpdateWorldData(0.0);
        renderer.SetCamera(camera);
    }
    DrawNodes(renderer);
    // The blended nodes belong in the texture too, seen by this camera.
    renderer.FlushTransparent();
    renderer.SetRenderTarget(nullptr);
    return 0;
}
