#include "engine/render/VolumeTexture.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"

QRE_IMPLEMENT_CLASS(VolumeTexture, BaseTexture)

VolumeTexture::VolumeTexture(const String& name) : BaseTexture(name)
{
}

int32_t VolumeTexture::SetImage(VolumeImage* newImage)
{
    if (newImage && newImage->Holds(this))
    {
        LogWarning("Изображение уже владеет текстурой, установка замкнула бы цикл ссылок. Имя[%s] ID[%d]",
                   GetName().CStr(), GetID());
        return 3;
    }
    image = newImage;
    SetMipLevels(0);
    ReleaseDevice();
    return 0;
}

bool VolumeTexture::Holds(const Object* other) const
{
    if (BaseTexture::Holds(other))
        return true;
    return image && (image.Get() == other || image->Holds(other));
}

int32_t VolumeTexture::Save(Stream& stream)
{
    if (BaseTexture::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return SaveImageLink(stream, image.Get());
}

int32_t VolumeTexture::Load(Stream& stream)
{
    if (BaseTexture::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    Object* link = nullptr;
    if (LoadImageLink(stream, VolumeImage::TYPE, link) != 0)
        return 1;
    const uint32_t levels = GetMipLevels();
    if (SetImage(static_cast<VolumeImage*>(link)) != 0)
        return 1;
    SetMipLevels(levels);
    LogLoaded();
    return 0;
}
