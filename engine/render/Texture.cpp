#include "engine/render/Texture.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"

QRE_IMPLEMENT_CLASS(Texture, BaseTexture)

Texture::Texture(const String& name) : BaseTexture(name)
{
}

int32_t Texture::SetImage(Image* newImage)
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

BaseTexture::DeviceFormat Texture::GetDeviceFormat(bool dxt1Supported) const
{
    return image ? ChooseDeviceFormat(image->GetFormat(), compress, dxt1Supported) : kDeviceNone;
}

bool Texture::Holds(const Object* other) const
{
    if (BaseTexture::Holds(other))
        return true;
    return image && (image.Get() == other || image->Holds(other));
}

int32_t Texture::Save(Stream& stream)
{
    if (BaseTexture::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return SaveImageLink(stream, image.Get());
}

int32_t Texture::Load(Stream& stream)
{
    if (BaseTexture::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    Object* link = nullptr;
    if (LoadImageLink(stream, Image::TYPE, link) != 0)
        return 1;
    const uint32_t levels = GetMipLevels();
    if (SetImage(static_cast<Image*>(link)) != 0)
        return 1;
    SetMipLevels(levels); // the stored request stands; SetImage only resets it for a new picture
    LogLoaded();
    return 0;
}
