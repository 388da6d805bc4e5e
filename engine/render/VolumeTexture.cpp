#include "engine/render/VolumeTexture.h"

#include <new>

#include "engine/core/EngineStartup.h"

QRE_IMPLEMENT_CLASS(VolumeTexture, BaseTexture)

VolumeTexture::VolumeTexture(const String& name) : BaseTexture(name)
{
}

int32_t VolumeTexture::SetImage(VolumeImage* newImage)
{
    return ReplaceImage(image, newImage);
}

bool VolumeTexture::Holds(const Object* other) const
{
    return BaseTexture::Holds(other) || ImageHolds(image.Get(), other);
}

int32_t VolumeTexture::Save(Stream& stream)
{
    return SaveWithImage(stream, image.Get());
}

int32_t VolumeTexture::Load(Stream& stream)
{
    return LoadWithImage(stream, image);
}
