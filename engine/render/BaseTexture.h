#pragma once
#include <cstdint>

#include "engine/core/Object.h"
#include "engine/core/Ptr.h"

class Renderer;

// What every texture shares: the requested mip level count and the record
// of its device copy (the renderer that made it, its opaque handle and a
// changed flag that asks for a new upload). The device copy is made on the
// first bind, so a texture is plain data until then.
class BaseTexture : public Object
{
    QRE_DECLARE_CLASS

public:
    // How the device stores the pixels of an image format.
    enum DeviceFormat : int32_t
    {
        kDeviceNone = 0,  // the format has no device storage
        kDeviceRgb32,     // 32-bit RGB without alpha (from 24-bit pixels)
        kDeviceArgb32,    // 32-bit ARGB
        kDeviceAlpha8,    // 8-bit alpha
        kDeviceDxt1,      // 4x4 blocks of 8 bytes
    };

    explicit BaseTexture(const String& name = String());
    // Gives the device copy back while the renderer can still free it.
    ~BaseTexture() override;

    // mip levels: 0 asks for the full chain down to 1 x 1; after creation
    // the device writes the count it actually made back here
    uint32_t GetMipLevels() const { return mipLevels; }
    void SetMipLevels(uint32_t value) { mipLevels = value; }

    // The storage a device picks for an image format: 24-bit pixels become
    // DXT1 only when asked and supported. kDeviceNone for formats a device
    // cannot take (64-bit and sized blocks).
    static DeviceFormat ChooseDeviceFormat(int32_t imageFormat, bool compress, bool dxt1Supported);

    // Levels of the full chain for a size: 1 + floor(log2(max side)); 0 for
    // an empty size.
    static uint32_t FullMipCount(uint32_t width, uint32_t height);

    // The levels a texture of this size gets when requested levels are
    // asked for: the full chain for 0 or for more than it has.
    static uint32_t ResolveMipCount(uint32_t requested, uint32_t width, uint32_t height);

    // One side at a level: halved per level, never below 1.
    static uint32_t MipSide(uint32_t side, uint32_t level);

    // Bytes of one level in a device format (whole 4x4 blocks for DXT1);
    // 0 for kDeviceNone.
    static uint64_t MipLevelBytes(DeviceFormat format, uint32_t width, uint32_t height, uint32_t level);

    // change tracking: set by whoever rewrites the pixels, cleared by the
    // renderer after an upload. A new texture has never been uploaded.
    bool IsChanged() const { return changed; }
    void MarkChanged() { changed = true; }
    void ClearChanged() { changed = false; }

    // device copy: the renderer that holds it (a reference, so it outlives
    // the copy) and its opaque handle; null until the renderer makes one.
    void* GetDeviceHandle() const { return deviceHandle; }
    Renderer* GetDeviceRenderer() const { return deviceRenderer.Get(); }
    void SetDeviceHandle(Renderer* renderer, void* handle);

    // streaming: mipLevels
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

protected:
    // For a new image: the old device copy no longer matches, so the chain
    // is asked for in full again and the next bind makes a new copy.
    void ReleaseDevice();

    // The image a texture is made from lives in a slot of the subclass,
    // typed by the image class it takes. Replacing it asks for a new device
    // copy with a full chain: 0; 3 (logged) when the image holds this
    // texture, which would close a cycle of references. Null clears it.
    template <typename ImageT>
    int32_t ReplaceImage(Ptr<ImageT>& slot, ImageT* newImage)
    {
        if (newImage && RefusesImage(newImage))
            return 3;
        slot = newImage;
        SetMipLevels(0);
        ReleaseDevice();
        return 0;
    }

    // Whether the image of a slot is other or holds it, for Holds.
    static bool ImageHolds(const Object* image, const Object* other)
    {
        return image && (image == other || image->Holds(other));
    }

    // The record of a texture made from an image: this class's data, then
    // the image link. 1 (logged) on a stream failure.
    int32_t SaveWithImage(Stream& stream, Object* image);

    // Reads that record back into the slot: an object of another class than
    // ImageT counts as missing. The stored mip request outlives the
    // replacement, which only resets it for a picture set from outside.
    // 1 (logged) on a stream failure or a refused image.
    template <typename ImageT>
    int32_t LoadWithImage(Stream& stream, Ptr<ImageT>& slot)
    {
        Object* link = nullptr;
        if (LoadRecordAndImageLink(stream, ImageT::TYPE, link) != 0)
            return 1;
        const uint32_t levels = GetMipLevels();
        if (ReplaceImage(slot, static_cast<ImageT*>(link)) != 0)
            return 1;
        SetMipLevels(levels);
        LogLoaded();
        return 0;
    }

private:
    // True (logged) for an image that holds this texture.
    bool RefusesImage(const Object* newImage) const;
    // This class's data, then the image link; null for a link of another
    // class than type. 1 on a stream failure.
    int32_t LoadRecordAndImageLink(Stream& stream, const RTTI& type, Object*& image);
    // The line a texture logs once its record has loaded.
    void LogLoaded() const;

    uint32_t mipLevels = 0;
    Ptr<Renderer> deviceRenderer;
    void* deviceHandle = nullptr;
    bool changed = true;
};
