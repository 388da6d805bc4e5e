#include "engine/render/CubeTexture.h"

#include <new>

#include "engine/codecs/VolumeImage.h"
#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"

QRE_IMPLEMENT_CLASS(CubeTexture, BaseTexture)

CubeTexture::CubeTexture(const String& name) : BaseTexture(name)
{
}

int32_t CubeTexture::SetImage(Image* newImage)
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

const uint8_t* CubeTexture::GetFace(uint32_t face) const
{
    if (face >= kFaceCount || !image || !image->IsDerived(VolumeImage::TYPE) || !image->GetData())
        return nullptr;
    const VolumeImage* volume = static_cast<const VolumeImage*>(image.Get());
    if (volume->GetDepth() != kFaceCount || ChooseDeviceFormat(volume->GetFormat(), false, false) == kDeviceNone)
        return nullptr;
    return volume->GetData() + volume->GetSliceSize() * face;
}

bool CubeTexture::Holds(const Object* other) const
{
    if (BaseTexture::Holds(other))
        return true;
    return image && (image.Get() == other || image->Holds(other));
}

int32_t CubeTexture::Save(Stream& stream)
{
    if (BaseTexture::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return SaveImageLink(stream, image.Get());
}

int32_t CubeTexture::Load(Stream& stream)
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
    SetMipLevels(levels);
    LogLoaded();
    return 0;
}
