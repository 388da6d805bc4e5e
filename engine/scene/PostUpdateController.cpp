#include "engine/scene/PostUpdateController.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/render/Renderer.h"

QRE_IMPLEMENT_ABSTRACT_CLASS(PostUpdateController, Controller)

int32_t PostUpdateController::Update(double)
{
    if (IsActive())
        if (Renderer* renderer = GetRenderer())
            renderer->QueuePreRender(this);
    return 0;
}
