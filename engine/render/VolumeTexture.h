#pragma once
#include <cstdint>

#include "engine/image/VolumeImage.h"
#include "engine/core/Ptr.h"
#include "engine/render/BaseTexture.h"

// A 3D texture made from the slices of a volume image.
class VolumeTexture : public BaseTexture
{
    QRE_DECLARE_CLASS

public:
    explicit VolumeTexture(const String& name = String());

    // As Texture::SetImage: 0, or 3 (logged) for an image that holds this
    // texture.
    int32_t SetImage(VolumeImage* newImage);
    VolumeImage* GetImage() const { return image.Get(); }

    bool Holds(const Object* other) const override;

    // streaming: the volume image link
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    Ptr<VolumeImage> image;
};
