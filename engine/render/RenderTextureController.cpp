#include "engine/render/RenderTextureController.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/render/BaseTexture.h"

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
    if (NeedsRender())
        ++pendingRenders;
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
