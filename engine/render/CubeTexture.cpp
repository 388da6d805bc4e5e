#include "engine/render/CubeTexture.h"

#include <new>

#include "engine/image/VolumeImage.h"
#include "engine/core/EngineStartup.h"

QRE_IMPLEMENT_CLASS(CubeTexture, BaseTexture)

CubeTexture::CubeTexture(const String& name) : BaseTexture(name)
{
}

int32_t CubeTexture::SetImage(Image* newImage)
{
    return ReplaceImage(image, newImage);
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
    return BaseTexture::Holds(other) || ImageHolds(image.Get(), other);
}

int32_t CubeTexture::Save(Stream& stream)
{
    return SaveWithImage(stream, image.Get());
}

int32_t CubeTexture::Load(Stream& stream)
{
    return LoadWithImage(stream, image);
}
