#include "engine/codecs/image/CUBEImageCodec.h"

#include <memory>
#include <new>

#include "engine/codecs/image/TGAImageCodec.h"
#include "engine/image/VolumeImage.h"
#include "engine/core/Log.h"
#include "engine/files/CodecManager.h"
#include "engine/files/File.h"

namespace
{

int32_t CreateCodec(Codec** place)
{
    if (!place)
        return 3;
    *place = new (std::nothrow) CUBEImageCodec();
    return *place ? 0 : 2;
}

// The six faces straight into one block: the first header sizes all of
// them, and nothing is allocated before that size is known to be within
// the image limit and what the file could hold. Each later header must
// match the first before its pixels are read.
int32_t ReadFaces(File& file, TGAImageCodec::Header& first, std::unique_ptr<uint8_t[]>& pixels)
{
    if (int32_t read = TGAImageCodec::ReadHeader(file, first); read != 0)
        return read;
    const uint64_t faceSize = first.Size();
    if (faceSize * CUBEImageCodec::kFaceCount > Image::kMaxDataSize)
    {
        LogWarning("Размеры изображения [%u x %u] в файле CUBE [%s] слишком велики.", first.width, first.height,
                   file.GetPath().CStr());
        return 1;
    }
    if (faceSize == 0 || !TGAImageCodec::Fits(file, first, CUBEImageCodec::kFaceCount))
    {
        LogWarning("Размеры изображения [%u x %u] не соответствуют файлу CUBE [%s].", first.width, first.height,
                   file.GetPath().CStr());
        return 1;
    }
    pixels.reset(new (std::nothrow) uint8_t[faceSize * CUBEImageCodec::kFaceCount]);
    if (!pixels)
    {
        LogError("Недостаточно памяти для чтения кубической карты [%s].", file.GetPath().CStr());
        return 2;
    }
    for (uint32_t face = 0; face < CUBEImageCodec::kFaceCount; ++face)
    {
        TGAImageCodec::Header header = first;
        if (face > 0)
        {
            if (int32_t read = TGAImageCodec::ReadHeader(file, header); read != 0)
                return read;
            if (header.width != first.width || header.height != first.height || header.format != first.format)
            {
                LogWarning("Грань [%u] кубической карты [%s] не совпадает с первой гранью.", face,
                           file.GetPath().CStr());
                return 1;
            }
        }
        if (int32_t read = TGAImageCodec::ReadPixels(file, header, pixels.get() + face * faceSize); read != 0)
            return read;
    }
    return 0;
}

} // namespace

CUBEImageCodec::CUBEImageCodec() : Codec(String("CUBEImageCodec"))
{
    AddExtension(String("CUBE"));
    AddExtension(String("cube"));
    AddExtension(String("Cube"));
}

int32_t CUBEImageCodec::LoadImage(File* file, Image** place)
{
    if (!file || !place)
        return 3;
    if (*place && !(*place)->IsDerived(VolumeImage::TYPE))
    {
        LogWarning("Кубическая карта [%s] загружается только в объемное изображение.", file->GetPath().CStr());
        return 3;
    }
    if (file->Open(File::kRead) != 0)
        return 1;
    TGAImageCodec::Header first;
    std::unique_ptr<uint8_t[]> pixels;
    if (int32_t read = ReadFaces(*file, first, pixels); read != 0)
    {
        file->Close();
        return read;
    }
    if (file->Close() != 0)
        return 1;

    VolumeImage* image = *place ? static_cast<VolumeImage*>(*place) : new (std::nothrow) VolumeImage(file->GetName());
    if (!image)
    {
        LogError("Недостаточно памяти для чтения кубической карты [%s].", file->GetPath().CStr());
        return 2;
    }
    if (!*place)
        image->SetFileName(file->GetName());
    image->SetFormat(first.format);
    image->SetWidth(first.width);
    image->SetHeight(first.height);
    image->SetDepth(kFaceCount);
    image->SetData(std::move(pixels));
    *place = image;
    return 0;
}

int32_t CUBEImageCodec::SaveImage(File* file, Image* image)
{
    if (!file || !image)
        return 3;
    VolumeImage* volume = image->IsDerived(VolumeImage::TYPE) ? static_cast<VolumeImage*>(image) : nullptr;
    const uint32_t bytesPerPixel = Image::BytesPerPixel(image->GetFormat());
    const uint64_t faceSize = volume ? volume->GetSliceSize() : 0;
    const uint64_t total = (TGAImageCodec::kHeaderSize + faceSize) * kFaceCount;
    if (!volume || volume->GetDepth() != kFaceCount || (bytesPerPixel != 3 && bytesPerPixel != 4) ||
        !volume->GetData() || faceSize == 0 || total > Image::kMaxDataSize || volume->GetWidth() > 0xFFFF ||
        volume->GetHeight() > 0xFFFF)
    {
        LogWarning("Изображение [%s] не может быть сохранено как кубическая карта [%s].", image->GetName().CStr(),
                   file->GetPath().CStr());
        return 3;
    }
    if (file->Open(File::kWrite) != 0)
        return 1;
    std::unique_ptr<uint8_t[]> bytes(new (std::nothrow) uint8_t[total]);
    if (!bytes)
    {
        LogError("Недостаточно памяти для записи кубической карты [%s].", file->GetPath().CStr());
        file->Close();
        return 2;
    }
    for (uint32_t face = 0; face < kFaceCount; ++face)
        TGAImageCodec::WritePicture(volume->GetData() + face * faceSize, volume->GetWidth(), volume->GetHeight(),
                                    bytesPerPixel, bytes.get() + face * (TGAImageCodec::kHeaderSize + faceSize));
    if (file->Write(bytes.get(), static_cast<uint32_t>(total)) != 0)
    {
        file->Close();
        return 1;
    }
    return file->Close() == 0 ? 0 : 1;
}

int32_t CUBEImageCodec::RegisterModule()
{
    return RegisterBuiltInCodecModule(String("CUBEImageCodec"), &CreateCodec);
}
