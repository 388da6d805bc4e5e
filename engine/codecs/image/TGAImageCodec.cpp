#include "engine/codecs/image/TGAImageCodec.h"

#include <cstring>
#include <new>

#include "engine/image/Image.h"
#include "engine/core/Log.h"
#include "engine/files/CodecManager.h"
#include "engine/files/File.h"

namespace
{

constexpr uint8_t kTopLeftOrigin = 0x20;
constexpr uint8_t kTypeUncompressed = 2;
constexpr uint8_t kTypeRunLength = 10;
constexpr uint32_t kLargestPacket = 128;   // pixels one packet can give
constexpr uint32_t kLargestSide = 0xFFFF; // the header's 16-bit fields

int32_t CreateCodec(Codec** place)
{
    if (!place)
        return 3;
    *place = new (std::nothrow) TGAImageCodec();
    return *place ? 0 : 2;
}

// How reading run-length packets ended.
enum class Packets
{
    kComplete,  // the picture is whole
    kDataEnded, // the file ended first (the stream logged it)
    kPastImage, // a packet would have written beyond the picture
};

// Run-length packets: a count byte, then one pixel repeated or that many
// pixels as they are. No packet may end beyond the image.
Packets ReadRunLength(File& file, uint8_t* pixels, uint64_t size, uint32_t bytesPerPixel)
{
    uint64_t produced = 0;
    while (produced < size)
    {
        uint8_t packet = 0;
        if (file.Read(&packet, 1) != 0)
            return Packets::kDataEnded;
        const uint32_t count = (packet & 0x7F) + 1u;
        const uint64_t bytes = static_cast<uint64_t>(count) * bytesPerPixel;
        if (bytes > size - produced)
            return Packets::kPastImage;
        uint8_t* out = pixels + produced;
        if (packet & 0x80)
        {
            if (file.Read(out, bytesPerPixel) != 0)
                return Packets::kDataEnded;
            for (uint32_t i = 1; i < count; ++i)
                std::memcpy(out + i * bytesPerPixel, out, bytesPerPixel);
        }
        else if (file.Read(out, static_cast<uint32_t>(bytes)) != 0)
            return Packets::kDataEnded;
        produced += bytes;
    }
    return Packets::kComplete;
}

} // namespace

TGAImageCodec::TGAImageCodec() : Codec(String("TGAImageCodec"))
{
    AddExtension(String("TGA"));
    AddExtension(String("tga"));
    AddExtension(String("Tga"));
}

void TGAImageCodec::SwapRedBlue(uint8_t* pixels, uint64_t count, uint32_t bytesPerPixel)
{
    if (bytesPerPixel == 4)
    {
        // Whole words, so the compiler can do many pixels at once.
        for (uint64_t i = 0; i < count; ++i)
        {
            uint32_t word;
            std::memcpy(&word, pixels + i * 4, 4);
            word = (word & 0xFF00FF00u) | ((word >> 16) & 0xFFu) | ((word & 0xFFu) << 16);
            std::memcpy(pixels + i * 4, &word, 4);
        }
        return;
    }
    if (bytesPerPixel < 3)
        return;
    for (uint64_t i = 0; i < count; ++i)
    {
        uint8_t* pixel = pixels + i * bytesPerPixel;
        const uint8_t first = pixel[0];
        pixel[0] = pixel[2];
        pixel[2] = first;
    }
}

int32_t TGAImageCodec::ReadHeader(File& file, Header& header)
{
    uint8_t bytes[kHeaderSize];
    if (file.Read(bytes, kHeaderSize) != 0)
    {
        LogWarning("Невозможно прочитать заголовок файла TGA [%s].", file.GetPath().CStr());
        return 1;
    }
    const uint8_t idLength = bytes[0];
    const uint8_t depth = bytes[16];
    header.type = bytes[2];
    header.width = bytes[12] | (bytes[13] << 8);
    header.height = bytes[14] | (bytes[15] << 8);
    header.topLeft = (bytes[17] & kTopLeftOrigin) != 0;

    if (depth != 24 && depth != 32)
    {
        LogWarning("Неподдерживаемая глубина цвета [%d] в файле TGA [%s].", depth, file.GetPath().CStr());
        return 1;
    }
    header.bytesPerPixel = depth / 8u;
    header.format = depth == 24 ? Image::kPixel24 : Image::kPixel32;

    // An ID field that claims more than the file holds is left alone; the
    // pixels then fail to read.
    if (idLength <= file.GetRemaining())
    {
        uint8_t skipped[256];
        file.Read(skipped, idLength);
    }
    if (header.type != kTypeUncompressed && header.type != kTypeRunLength)
    {
        LogWarning("Неподдерживаемый тип изображения [%d] в файле TGA [%s].", header.type, file.GetPath().CStr());
        return 1;
    }
    return 0;
}

bool TGAImageCodec::Fits(File& file, const Header& header, uint64_t count)
{
    const uint64_t remaining = file.GetRemaining();
    if (header.type == kTypeUncompressed)
        return header.Size() * count <= remaining;
    const uint64_t packets = (remaining + header.bytesPerPixel) / (header.bytesPerPixel + 1); // rounded up
    return header.PixelCount() * count <= packets * kLargestPacket;
}

int32_t TGAImageCodec::ReadPixels(File& file, const Header& header, uint8_t* pixels)
{
    const uint64_t size = header.Size();
    const Packets read = header.type == kTypeUncompressed
                             ? (file.Read(pixels, static_cast<uint32_t>(size)) == 0 ? Packets::kComplete
                                                                                     : Packets::kDataEnded)
                             : ReadRunLength(file, pixels, size, header.bytesPerPixel);
    if (read == Packets::kPastImage)
    {
        LogWarning("Пакет RLE выходит за пределы изображения в файле TGA [%s].", file.GetPath().CStr());
        return 1;
    }
    if (read == Packets::kDataEnded)
    {
        LogWarning("Неожиданный конец данных в файле TGA [%s].", file.GetPath().CStr());
        return 1;
    }
    if (!header.topLeft)
        SwapRedBlue(pixels, header.PixelCount(), header.bytesPerPixel);
    return 0;
}

void TGAImageCodec::WritePicture(const uint8_t* pixels, uint32_t width, uint32_t height, uint32_t bytesPerPixel,
                                 uint8_t* out)
{
    std::memset(out, 0, kHeaderSize);
    out[2] = kTypeUncompressed;
    out[12] = static_cast<uint8_t>(width);
    out[13] = static_cast<uint8_t>(width >> 8);
    out[14] = static_cast<uint8_t>(height);
    out[15] = static_cast<uint8_t>(height >> 8);
    out[16] = static_cast<uint8_t>(bytesPerPixel * 8);
    out[17] = 0x28; // top-left origin, 8 attribute bits
    const uint64_t rowSize = static_cast<uint64_t>(width) * bytesPerPixel;
    uint8_t* rows = out + kHeaderSize;
    for (uint32_t row = 0; row < height; ++row)
        std::memcpy(rows + row * rowSize, pixels + (height - 1 - row) * rowSize, rowSize);
    SwapRedBlue(rows, static_cast<uint64_t>(width) * height, bytesPerPixel);
}

int32_t TGAImageCodec::LoadImage(File* file, Image** place)
{
    if (!file || !place)
        return 3;
    if (file->Open(File::kRead) != 0)
        return 1;
    Header header;
    std::unique_ptr<uint8_t[]> pixels;
    int32_t read = ReadHeader(*file, header);
    if (read == 0 && (header.PixelCount() == 0 || header.Size() > Image::kMaxDataSize || !Fits(*file, header, 1)))
    {
        LogWarning("Размеры изображения [%u x %u] не соответствуют файлу TGA [%s].", header.width, header.height,
                   file->GetPath().CStr());
        read = 1;
    }
    if (read == 0)
    {
        pixels.reset(new (std::nothrow) uint8_t[header.Size()]);
        if (!pixels)
        {
            LogError("Недостаточно памяти для чтения файла TGA [%s].", file->GetPath().CStr());
            read = 2;
        }
    }
    if (read == 0)
        read = ReadPixels(*file, header, pixels.get());
    if (read != 0)
    {
        file->Close();
        return read;
    }
    if (file->Close() != 0)
        return 1;

    return Image::Deliver(place, file, header.format, header.width, header.height, std::move(pixels));
}

int32_t TGAImageCodec::SaveImage(File* file, Image* image)
{
    if (!file || !image)
        return 3;
    // One picture: a volume's first slice only (the cube codec writes all).
    const uint32_t bytesPerPixel = Image::BytesPerPixel(image->GetFormat());
    const uint64_t size = static_cast<uint64_t>(image->GetWidth()) * image->GetHeight() * bytesPerPixel;
    if ((bytesPerPixel != 3 && bytesPerPixel != 4) || !image->GetData() || size == 0 ||
        size > image->GetDataSize() || size > Image::kMaxDataSize ||
        image->GetWidth() > kLargestSide || image->GetHeight() > kLargestSide)
    {
        LogWarning("Изображение [%s] не может быть сохранено в файл TGA [%s].", image->GetName().CStr(),
                   file->GetPath().CStr());
        return 3;
    }
    if (file->Open(File::kWrite) != 0)
        return 1;
    const uint32_t total = static_cast<uint32_t>(kHeaderSize + size);
    std::unique_ptr<uint8_t[]> bytes(new (std::nothrow) uint8_t[total]);
    if (!bytes)
    {
        LogError("Недостаточно памяти для записи файла TGA [%s].", file->GetPath().CStr());
        file->Close();
        return 2;
    }
    WritePicture(image->GetData(), image->GetWidth(), image->GetHeight(), bytesPerPixel, bytes.get());
    if (file->Write(bytes.get(), total) != 0)
    {
        file->Close();
        return 1;
    }
    return file->Close() == 0 ? 0 : 1;
}

int32_t TGAImageCodec::RegisterModule()
{
    return RegisterBuiltInCodecModule(String("TGAImageCodec"), &CreateCodec);
}
