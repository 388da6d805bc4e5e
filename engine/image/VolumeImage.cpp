#include "engine/image/VolumeImage.h"

#include <new>
#include <utility>

#include "engine/core/EngineStartup.h"
#include "engine/files/File.h"

QRE_IMPLEMENT_CLASS(VolumeImage, Image)

VolumeImage::VolumeImage(const String& name) : Image(name)
{
}

VolumeImage::VolumeImage(const String& name, int32_t format, uint32_t width, uint32_t height, uint32_t depth)
    : Image(name), depth(depth)
{
    SetFormat(format);
    SetWidth(width);
    SetHeight(height);
    AllocateData();
}

VolumeImage::VolumeImage(File* file, const String& name) : Image(name)
{
    // The base constructor that takes a file would decode before this
    // object is a volume, and the cube codec refuses a flat image.
    if (file)
    {
        SetFileName(file->GetName());
        if (name.IsEmpty())
            SetName(GetFileName());
    }
    LoadFromFile(file);
}

void VolumeImage::SetPixels(int32_t newFormat, uint32_t newWidth, uint32_t newHeight,
                            std::unique_ptr<uint8_t[]> block)
{
    depth = 1;
    Image::SetPixels(newFormat, newWidth, newHeight, std::move(block));
}

uint64_t VolumeImage::GetSliceSize() const
{
    return Image::GetDataSize();
}

uint64_t VolumeImage::GetDataSize() const
{
    uint64_t size = 0;
    if (__builtin_mul_overflow(Image::GetDataSize(), static_cast<uint64_t>(depth), &size))
        return UINT64_MAX;
    return size;
}

int32_t VolumeImage::SaveSize(Stream& stream)
{
    if (SaveDimension(stream, GetWidth(), "Невозможно сохранить ширину изображения. Имя[%s] ID[%d]") != 0 ||
        SaveDimension(stream, GetHeight(), "Невозможно сохранить высоту изображения. Имя[%s] ID[%d]") != 0 ||
        SaveDimension(stream, depth, "Невозможно сохранить высоту изображения. Имя[%s] ID[%d]") != 0)
        return 1;
    return SaveFormat(stream);
}

int32_t VolumeImage::LoadSize(Stream& stream)
{
    uint32_t width = 0, height = 0;
    if (LoadDimension(stream, width, "Невозможно загрузить ширину изображения. ID[%d] Имя[%s]") != 0 ||
        LoadDimension(stream, height, "Невозможно загрузить высоту изображения. ID[%d] Имя[%s]") != 0 ||
        LoadDimension(stream, depth, "Невозможно загрузить высоту изображения. ID[%d] Имя[%s]") != 0)
        return 1;
    SetWidth(width);
    SetHeight(height);
    return LoadFormat(stream);
}
