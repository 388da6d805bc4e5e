#pragma once
#include <cstdint>

#include "engine/image/Image.h"

// A stack of equally sized images in one block, one after another: the six
// faces of a cube map (depth 6, from the cube codec) or the slices of a
// volume texture.
class VolumeImage : public Image
{
    QRE_DECLARE_CLASS

public:
    // construction, as for Image; the depth starts at 1, so a flat codec
    // decoding into a volume gives a one-slice volume.
    explicit VolumeImage(const String& name = String());

    // Allocates GetDataSize bytes; a failure is logged and leaves no data.
    VolumeImage(const String& name, int32_t format, uint32_t width, uint32_t height, uint32_t depth);

    // Decodes file (see Image); for a cube map that is the cube codec's file.
    VolumeImage(File* file, const String& name);

    // Bytes per pixel x width x height x depth (saturating, as for Image).
    uint64_t GetDataSize() const override;

    uint32_t GetDepth() const { return depth; }
    void SetDepth(uint32_t value) { depth = value; }

    // One slice of the given layout (a flat codec decoding into a volume).
    void SetPixels(int32_t newFormat, uint32_t newWidth, uint32_t newHeight, std::unique_ptr<uint8_t[]> block) override;

    // Bytes of one slice (one face of a cube map).
    uint64_t GetSliceSize() const;

protected:
    // width, height, depth, format
    int32_t SaveSize(Stream& stream) override;
    int32_t LoadSize(Stream& stream) override;

private:
    uint32_t depth = 1;
};
