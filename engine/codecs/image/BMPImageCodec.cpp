#include "engine/codecs/image/BMPImageCodec.h"

#include <cstring>
#include <memory>
#include <new>

#include "engine/image/Image.h"
#include "engine/core/Log.h"
#include "engine/files/CodecManager.h"
#include "engine/files/File.h"

namespace
{

constexpr uint16_t kBitmapType = 0x4D42; // "BM"
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kGreyPaletteSize = 256 * 4;
constexpr int32_t kPixelsPerMetre = 3780; // 96 dots per inch

int32_t CreateCodec(Codec** place)
{
    if (!place)
        return 3;
    *place = new (std::nothrow) BMPImageCodec();
    return *place ? 0 : 2;
}

uint32_t Get16(const uint8_t* bytes)
{
    return bytes[0] | (bytes[1] << 8);
}

uint32_t Get32(const uint8_t* bytes)
{
    return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

void Put16(uint8_t* bytes, uint32_t value)
{
    bytes[0] = static_cast<uint8_t>(value);
    bytes[1] = static_cast<uint8_t>(value >> 8);
}

void Put32(uint8_t* bytes, uint32_t value)
{
    Put16(bytes, value);
    Put16(bytes + 2, value >> 16);
}

uint64_t PaddedRow(uint64_t rowSize)
{
    return (rowSize + 3) & ~uint64_t(3);
}

// Reads and drops count bytes: the file has no seek, and what lies before
// the pixels (the palette, a longer information header) is not used.
int32_t Skip(File& file, uint32_t count)
{
    uint8_t scratch[1024];
    while (count > 0)
    {
        const uint32_t step = count < sizeof(scratch) ? count : sizeof(scratch);
        if (file.Read(scratch, step) != 0)
            return 1;
        count -= step;
    }
    return 0;
}

// Blue, green, red in the file; red, green, blue in memory (and back).
void SwapRow(uint8_t* row, uint32_t width)
{
    for (uint32_t i = 0; i < width; ++i)
    {
        const uint8_t first = row[i * 3];
        row[i * 3] = row[i * 3 + 2];
        row[i * 3 + 2] = first;
    }
}

struct Bitmap
{
    uint32_t width = 0;
    uint32_t height = 0;
    int32_t format = Image::kPixel24;
    std::unique_ptr<uint8_t[]> pixels;
};

int32_t ReadBitmap(File& file, Bitmap& bitmap)
{
    const String path = file.GetPath();
    const uint64_t fileSize = file.GetRemaining();
    uint8_t header[BMPImageCodec::kHeadersSize];
    if (file.Read(header, sizeof(header)) != 0 || Get16(header) != kBitmapType)
    {
        LogWarning("Файл [%s] не является файлом BMP.", path.CStr());
        return 1;
    }
    const uint32_t offset = Get32(header + 10);
    const uint32_t infoSize = Get32(header + 14);
    const int64_t width = static_cast<int32_t>(Get32(header + 18));
    const int64_t height = static_cast<int32_t>(Get32(header + 22));
    const uint32_t bitCount = Get16(header + 28);
    const uint32_t compression = Get32(header + 30);

    if (bitCount != 8 && bitCount != 24)
    {
        LogWarning("Неподдерживаемая глубина цвета [%u] в файле BMP [%s].", bitCount, path.CStr());
        return 1;
    }
    // Run-length bitmaps (the usual 8-bit output of common tools) would
    // otherwise come out as noise.
    if (compression != 0)
    {
        LogWarning("Неподдерживаемое сжатие [%u] в файле BMP [%s].", compression, path.CStr());
        return 1;
    }
    // The older 12-byte header puts 16-bit sizes where these are read.
    if (infoSize < kInfoHeaderSize || offset < BMPImageCodec::kHeadersSize || offset > fileSize)
    {
        LogWarning("Смещение данных [%u] или заголовок [%u] вне файла BMP [%s].", offset, infoSize, path.CStr());
        return 1;
    }

    // A negative height marks rows stored top first.
    const bool topDown = height < 0;
    const uint64_t rows = static_cast<uint64_t>(topDown ? -height : height);
    const uint32_t bytesPerPixel = bitCount / 8;
    const uint64_t rowSize = width > 0 ? static_cast<uint64_t>(width) * bytesPerPixel : 0;
    const uint64_t padded = PaddedRow(rowSize);
    const uint64_t size = rowSize * rows;
    // The last row's padding may be missing; every other byte must be there.
    if (size == 0 || size > Image::kMaxDataSize || padded * (rows - 1) + rowSize > fileSize - offset)
    {
        LogWarning("Размеры изображения [%lld x %lld] не соответствуют файлу BMP [%s].",
                   static_cast<long long>(width), static_cast<long long>(height), path.CStr());
        return 1;
    }
    if (Skip(file, offset - BMPImageCodec::kHeadersSize) != 0)
        return 1;

    std::unique_ptr<uint8_t[]> pixels(new (std::nothrow) uint8_t[size]);
    if (!pixels)
    {
        LogError("Недостаточно памяти для чтения файла BMP [%s].", path.CStr());
        return 2;
    }
    const uint32_t padding = static_cast<uint32_t>(padded - rowSize);
    for (uint64_t row = 0; row < rows; ++row)
    {
        uint8_t* out = pixels.get() + (topDown ? rows - 1 - row : row) * rowSize;
        if (file.Read(out, static_cast<uint32_t>(rowSize)) != 0)
            return 1;
        if (bytesPerPixel == 3)
            SwapRow(out, static_cast<uint32_t>(width));
        if (row + 1 < rows && Skip(file, padding) != 0)
            return 1;
    }
    bitmap.width = static_cast<uint32_t>(width);
    bitmap.height = static_cast<uint32_t>(rows);
    bitmap.format = bytesPerPixel == 3 ? Image::kPixel24 : Image::kPixel8;
    bitmap.pixels = std::move(pixels);
    return 0;
}

} // namespace

BMPImageCodec::BMPImageCodec() : Codec(String("BMPImageCodec"))
{
    AddExtension(String("BMP"));
    AddExtension(String("bmp"));
    AddExtension(String("Bmp"));
}

int32_t BMPImageCodec::LoadImage(File* file, Image** place)
{
    if (!file || !place)
        return 3;
    if (file->Open(File::kRead) != 0)
        return 1;
    Bitmap bitmap;
    if (int32_t read = ReadBitmap(*file, bitmap); read != 0)
    {
        file->Close();
        return read;
    }
    if (file->Close() != 0)
        return 1;

    return Image::Deliver(place, file, bitmap.format, bitmap.width, bitmap.height, std::move(bitmap.pixels));
}

int32_t BMPImageCodec::SaveImage(File* file, Image* image)
{
    if (!file || !image)
        return 3;
    const int32_t format = image->GetFormat();
    const uint32_t bytesPerPixel = Image::BytesPerPixel(format);
    const uint64_t rowSize = static_cast<uint64_t>(image->GetWidth()) * bytesPerPixel;
    const uint64_t size = rowSize * image->GetHeight();
    const uint64_t padded = PaddedRow(rowSize);
    const uint32_t palette = format == Image::kPixel8 ? kGreyPaletteSize : 0;
    const uint64_t total = kHeadersSize + palette + padded * image->GetHeight();
    if ((format != Image::kPixel24 && format != Image::kPixel8) || !image->GetData() || size == 0 ||
        size > image->GetDataSize() || total > Image::kMaxDataSize || image->GetWidth() > INT32_MAX ||
        image->GetHeight() > INT32_MAX)
    {
        LogWarning("Изображение [%s] не может быть сохранено в файл BMP [%s].", image->GetName().CStr(),
                   file->GetPath().CStr());
        return 3;
    }
    if (file->Open(File::kWrite) != 0)
        return 1;
    std::unique_ptr<uint8_t[]> bytes(new (std::nothrow) uint8_t[total]);
    if (!bytes)
    {
        LogError("Недостаточно памяти для записи файла BMP [%s].", file->GetPath().CStr());
        file->Close();
        return 2;
    }
    uint8_t* out = bytes.get();
    std::memset(out, 0, kHeadersSize);
    Put16(out, kBitmapType);
    Put32(out + 2, static_cast<uint32_t>(total));
    Put32(out + 10, kHeadersSize + palette);
    Put32(out + 14, kInfoHeaderSize);
    Put32(out + 18, image->GetWidth());
    Put32(out + 22, image->GetHeight());
    Put16(out + 26, 1);
    Put16(out + 28, bytesPerPixel * 8);
    Put32(out + 34, static_cast<uint32_t>(padded * image->GetHeight()));
    Put32(out + 38, kPixelsPerMetre);
    Put32(out + 42, kPixelsPerMetre);
    Put32(out + 46, palette ? 256 : 0);
    out += kHeadersSize;
    for (uint32_t i = 0; i < palette / 4; ++i, out += 4)
    {
        out[0] = out[1] = out[2] = static_cast<uint8_t>(i);
        out[3] = 0;
    }
    const uint8_t* pixels = image->GetData();
    for (uint32_t row = 0; row < image->GetHeight(); ++row, out += padded)
    {
        std::memcpy(out, pixels + row * rowSize, rowSize);
        if (bytesPerPixel == 3)
            SwapRow(out, image->GetWidth());
        std::memset(out + rowSize, 0, padded - rowSize);
    }
    if (file->Write(bytes.get(), static_cast<uint32_t>(total)) != 0)
    {
        file->Close();
        return 1;
    }
    return file->Close() == 0 ? 0 : 1;
}

int32_t BMPImageCodec::RegisterModule()
{
    return RegisterBuiltInCodecModule(String("BMPImageCodec"), &CreateCodec);
}
