#include "engine/render/Texture.h"

#include <new>

#include "engine/core/EngineStartup.h"

QRE_IMPLEMENT_CLASS(Texture, BaseTexture)

Texture::Texture(const String& name) : BaseTexture(name)
{
}

int32_t Texture::SetImage(Image* newImage)
{
    return ReplaceImage(image, newImage);
}

BaseTexture::DeviceFormat Texture::GetDeviceFormat(bool dxt1Supported) const
{
    return image ? ChooseDeviceFormat(image->GetFormat(), compress, dxt1Supported) : kDeviceNone;
}

bool Texture::Holds(const Object* other) const
{
    return BaseTexture::Holds(other) || ImageHolds(image.Get(), other);
}

int32_t Texture::Save(Stream& stream)
{
    return SaveWithImage(stream, image.Get());
}

int32_t Texture::Load(Stream& stream)
{
    return LoadWithImage(stream, image);
}
