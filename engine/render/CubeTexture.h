#pragma once
#include <cstdint>

#include "engine/image/Image.h"
#include "engine/core/Ptr.h"
#include "engine/render/BaseTexture.h"

// An environment cube made from the six faces of a cube image (a volume
// image of depth 6 from the cube codec), faces in the codec's order.
class CubeTexture : public BaseTexture
{
    QRE_DECLARE_CLASS

public:
    static constexpr uint32_t kFaceCount = 6;

    explicit CubeTexture(const String& name = String());

    // As Texture::SetImage: 0, or 3 (logged) for an image that holds this
    // texture.
    int32_t SetImage(Image* newImage);
    Image* GetImage() const { return image.Get(); }

    // The pixels of one face, or null unless the image is a six-slice
    // volume with pixels of format 0, 1 or 2 and face is below 6.
    const uint8_t* GetFace(uint32_t face) const;

    bool Holds(const Object* other) const override;

    // streaming: the image link
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    Ptr<Image> image;
};
