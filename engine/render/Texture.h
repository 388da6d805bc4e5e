#pragma once
#include <cstdint>

#include "engine/image/Image.h"
#include "engine/core/Ptr.h"
#include "engine/render/BaseTexture.h"

// A plain 2D texture made from an image of format 0 (RGB), 1 (RGBA) or 2
// (8-bit, stored as alpha), or from an undecoded image file.
class Texture : public BaseTexture
{
    QRE_DECLARE_CLASS

public:
    explicit Texture(const String& name = String());

    // Replaces the image and asks for a new device copy with a full chain.
    // 0; 3 (logged) when the image holds this texture, which would close a
    // cycle of references. Null clears the image.
    int32_t SetImage(Image* newImage);
    Image* GetImage() const { return image.Get(); }

    // Whether the pixels stay in memory after the upload (a lost device
    // uploads them again from here).
    bool GetKeepImage() const { return keepImage; }
    void SetKeepImage(bool value) { keepImage = value; }

    // DXT1 storage for 24-bit images, when the device supports it.
    bool GetCompress() const { return compress; }
    void SetCompress(bool value) { compress = value; }

    // The storage this texture's image asks for on a device with or without
    // DXT1; kDeviceNone without an image or for a format a device cannot
    // take.
    DeviceFormat GetDeviceFormat(bool dxt1Supported) const;

    bool Holds(const Object* other) const override;

    // streaming: the image link
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    bool keepImage = true;
    bool compress = false;
    Ptr<Image> image;
};
