#pragma once
#include <cstdint>
#include <memory>

#include "engine/core/Object.h"
#include "engine/core/String.h"

class File;
class Stream;

// Pixels as they come out of an image codec: a width, a height, a pixel
// format and one owned block of bytes, rows one after another without
// padding. The byte and row order is the codec's (see each codec); the
// renderer relies on it. In a scene file an image is stored by the name of
// its source file and decoded again when the scene loads.
class Image : public Object
{
    QRE_DECLARE_CLASS

public:
    // Pixel formats as files store them; the codecs make the first three.
    enum Format : int32_t
    {
        kPixel24 = 0,     // three bytes per pixel
        kPixel32 = 1,     // four bytes per pixel
        kPixel8 = 2,      // one byte per pixel
        kPixel64 = 3,     // eight bytes per pixel
        kPixelSized = 4,  // no per-pixel size: the block is SetDataSize bytes
    };

    // The largest pixel block the engine allocates (8192 x 8192 at four
    // bytes). Sizes come from files and records; anything larger is taken
    // for damage, not a picture, rather than reserved.
    static constexpr uint64_t kMaxDataSize = uint64_t(256) << 20;

    // construction
    // Empty: no file name, no size, no data.
    explicit Image(const String& name = String());

    // Allocates GetDataSize bytes of undefined content; when that fails (or
    // the size is beyond kMaxDataSize) the error is logged and the image has
    // no data.
    Image(const String& name, int32_t format, uint32_t width, uint32_t height);

    // Decodes file through the codec its extension selects (LoadFromFile).
    // The file's name becomes the file name; the object's name is name, or
    // the file's name when name is empty. A failure is logged and leaves
    // the image without data: check GetData.
    Image(File* file, const String& name);

    ~Image() override;

    // Bytes per pixel of a format; 0 for kPixelSized and for unknown values.
    static uint32_t BytesPerPixel(int32_t format);

    // files
    // Decodes file into this image with the codec chosen by its extension.
    // 0; 1 the codec failed; 3 null file or no codec. Each failure is logged.
    int32_t LoadFromFile(File* file);

    // Encodes this image into file with the codec chosen by its extension.
    // Same results as LoadFromFile.
    int32_t SaveToFile(File* file);

    // size and pixels
    // Bytes per pixel x width x height (x depth for a volume), or the
    // explicit data size for kPixelSized; saturates instead of wrapping, so
    // a size from a damaged file can be compared with kMaxDataSize.
    virtual uint64_t GetDataSize() const;

    uint32_t GetWidth() const { return width; }
    uint32_t GetHeight() const { return height; }
    int32_t GetFormat() const { return format; }
    uint32_t GetBytesPerPixel() const { return BytesPerPixel(format); }
    const String& GetFileName() const { return fileName; }

    // Null when the image has no pixels (a failed decode, a failed
    // allocation, or a record with a size of 0).
    uint8_t* GetData() { return data.get(); }
    const uint8_t* GetData() const { return data.get(); }

    // For codecs and producers of pixels: set the size and format first,
    // then the data. SetData takes a block of GetDataSize bytes and frees
    // the block it replaces.
    void SetWidth(uint32_t value) { width = value; }
    void SetHeight(uint32_t value) { height = value; }
    void SetFormat(int32_t value) { format = value; }
    void SetDataSize(uint32_t value) { dataSize = value; }
    void SetFileName(const String& value) { fileName = value; }
    void SetData(std::unique_ptr<uint8_t[]> block);

    // What a flat codec calls once it has the pixels: the layout and the
    // block (width x height x bytes per pixel) in one step. A volume
    // becomes a single slice, so its size still matches the block.
    virtual void SetPixels(int32_t newFormat, uint32_t newWidth, uint32_t newHeight, std::unique_ptr<uint8_t[]> block);

    // Where a codec puts what it decoded: into *place when the caller gave
    // an image, else into a new image named after the file. Takes the
    // pixels in every case. 0, or 2 (logged) when no image can be made.
    static int32_t Deliver(Image** place, File* file, int32_t format, uint32_t width, uint32_t height,
                           std::unique_ptr<uint8_t[]> pixels);

    // Replaces the data with a new block of GetDataSize bytes (content
    // undefined; none when that size is 0). 0; 2 when the block cannot be
    // had or is larger than kMaxDataSize (logged, the image keeps no data).
    int32_t AllocateData();

    // streaming: the file name; without one, the size and format instead.
    // The pixels themselves are never stored.
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

protected:
    // The size part of the record, written and read only when there is no
    // file name: width, height, format here; a volume adds its depth. Each
    // logs its own failure and gives 1.
    virtual int32_t SaveSize(Stream& stream);
    virtual int32_t LoadSize(Stream& stream);

    // Shared by the size records: each logs its field's message on failure.
    int32_t SaveDimension(Stream& stream, uint32_t value, const char* message);
    int32_t LoadDimension(Stream& stream, uint32_t& value, const char* message);
    int32_t SaveFormat(Stream& stream);
    int32_t LoadFormat(Stream& stream);

private:
    String fileName;          // the source file, or empty for made pixels
    uint32_t dataSize = 0;    // the block size for kPixelSized, else 0
    uint32_t width = 0;
    uint32_t height = 0;
    int32_t format = kPixel24;
    std::unique_ptr<uint8_t[]> data; // GetDataSize bytes, or none
};
