#include "engine/image/Image.h"

#include <new>
#include <utility>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/files/Codec.h"
#include "engine/files/CodecManager.h"
#include "engine/files/File.h"
#include "engine/files/FileManager.h"

QRE_IMPLEMENT_CLASS(Image, Object)

Image::Image(const String& name) : Object(name)
{
}

Image::Image(const String& name, int32_t format, uint32_t width, uint32_t height)
    : Object(name), width(width), height(height), format(format)
{
    AllocateData();
}

Image::Image(File* file, const String& name) : Object(name)
{
    if (file)
    {
        fileName = file->GetName();
        if (name.IsEmpty())
            SetName(fileName);
    }
    LoadFromFile(file);
}

Image::~Image() = default;

uint32_t Image::BytesPerPixel(int32_t format)
{
    switch (format)
    {
    case kPixel24:
        return 3;
    case kPixel32:
        return 4;
    case kPixel8:
        return 1;
    case kPixel64:
        return 8;
    default:
        return 0;
    }
}

uint64_t Image::GetDataSize() const
{
    const uint32_t bytes = BytesPerPixel(format);
    if (bytes == 0)
        return dataSize;
    uint64_t size = 0;
    if (__builtin_mul_overflow(static_cast<uint64_t>(width) * height, bytes, &size))
        return UINT64_MAX;
    return size;
}

void Image::SetData(std::unique_ptr<uint8_t[]> block)
{
    data = std::move(block);
}

void Image::SetPixels(int32_t newFormat, uint32_t newWidth, uint32_t newHeight, std::unique_ptr<uint8_t[]> block)
{
    format = newFormat;
    width = newWidth;
    height = newHeight;
    SetData(std::move(block));
}

int32_t Image::AllocateData()
{
    SetData(nullptr);
    const uint64_t size = GetDataSize();
    if (size == 0)
        return 0;
    std::unique_ptr<uint8_t[]> block(size <= kMaxDataSize ? new (std::nothrow) uint8_t[size] : nullptr);
    if (!block)
    {
        LogError("Недостаточно памяти для создания изображения. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 2;
    }
    data = std::move(block);
    return 0;
}

int32_t Image::LoadFromFile(File* file)
{
    if (!file)
    {
        LogWarning("Указатель на файл равен 0 при загрузке изображения [%s].", GetName().CStr());
        return 3;
    }
    Codec* codec = CodecManager::FindCodecForFile(file);
    if (!codec)
    {
        LogWarning("Не найден кодек для файла при загрузке изображения [%s].", GetName().CStr());
        return 3;
    }
    // The codec fills this image in place rather than making a new one.
    Image* self = this;
    if (codec->LoadImage(file, &self) != 0)
    {
        LogError("Неудачна загрузка изображения [%s].", GetName().CStr());
        return 1;
    }
    return 0;
}

int32_t Image::SaveToFile(File* file)
{
    if (!file)
    {
        LogWarning("Указатель на файл равен 0 при сохранении изображения [%s].", GetName().CStr());
        return 3;
    }
    Codec* codec = CodecManager::FindCodecForFile(file);
    if (!codec)
    {
        LogWarning("Не найден кодек для файла при сохранении изображения [%s].", GetName().CStr());
        return 3;
    }
    if (codec->SaveImage(file, this) != 0)
    {
        LogError("Неудачно сохранение изображения [%s].", GetName().CStr());
        return 1;
    }
    return 0;
}

int32_t Image::Save(Stream& stream)
{
    if (Object::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteString(fileName) != 0)
    {
        LogError("Невозможно сохранить имя файла изображения. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    // The file is decoded again on load; only made pixels need their size.
    return fileName.IsEmpty() ? SaveSize(stream) : 0;
}

int32_t Image::Load(Stream& stream)
{
    if (Object::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    if (stream.ReadString(fileName) != 0)
    {
        LogError("Невозможно загрузить имя файла изображения. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    if (fileName.IsEmpty())
    {
        if (LoadSize(stream) != 0)
            return 1;
        if (AllocateData() != 0)
            return 2;
    }
    else if (LoadFromFile(FileManager::FindFile(fileName)) != 0)
    {
        LogError("Невозможно загрузить изображение из файла. ID[%d] Имя[%s] Файл[%s]", GetID(), GetName().CStr(),
                 fileName.CStr());
        return 1;
    }
    LogInfo("Изображение [%s] загружено.", GetName().CStr());
    return 0;
}

int32_t Image::SaveSize(Stream& stream)
{
    if (SaveDimension(stream, width, "Невозможно сохранить ширину изображения. Имя[%s] ID[%d]") != 0 ||
        SaveDimension(stream, height, "Невозможно сохранить высоту изображения. Имя[%s] ID[%d]") != 0)
        return 1;
    return SaveFormat(stream);
}

int32_t Image::LoadSize(Stream& stream)
{
    if (LoadDimension(stream, width, "Невозможно загрузить ширину изображения. ID[%d] Имя[%s]") != 0 ||
        LoadDimension(stream, height, "Невозможно загрузить высоту изображения. ID[%d] Имя[%s]") != 0)
        return 1;
    return LoadFormat(stream);
}

int32_t Image::SaveDimension(Stream& stream, uint32_t value, const char* message)
{
    if (stream.WriteUInt32(value) == 0)
        return 0;
    LogError(message, GetName().CStr(), GetID());
    return 1;
}

int32_t Image::LoadDimension(Stream& stream, uint32_t& value, const char* message)
{
    if (stream.ReadUInt32(value) == 0)
        return 0;
    LogError(message, GetID(), GetName().CStr());
    return 1;
}

int32_t Image::SaveFormat(Stream& stream)
{
    if (stream.WriteInt32(format) == 0)
        return 0;
    LogError("Невозможно сохранить формат изображения. Имя[%s] ID[%d]", GetName().CStr(), GetID());
    return 1;
}

int32_t Image::LoadFormat(Stream& stream)
{
    // A format outside the table has no pixel size; it can only come from a
    // damaged file.
    if (stream.ReadInt32(format) == 0 && format >= kPixel24 && format <= kPixelSized)
        return 0;
    stream.Fail(1);
    LogError("Невозможно загрузить формат изображения. ID[%d] Имя[%s]", GetID(), GetName().CStr());
    return 1;
}

int32_t Image::Deliver(Image** place, File* file, int32_t format, uint32_t width, uint32_t height,
                       std::unique_ptr<uint8_t[]> pixels)
{
    Image* image = *place ? *place : new (std::nothrow) Image(file->GetName());
    if (!image)
    {
        LogError("Недостаточно памяти для чтения файла [%s].", file->GetPath().CStr());
        return 2;
    }
    if (!*place)
        image->SetFileName(file->GetName());
    image->SetPixels(format, width, height, std::move(pixels));
    *place = image;
    return 0;
}
