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

// Run-length packets: a count byte, then one pixel repeated or that many
// pixels as they are. No packet may end beyond the image.
int32_t ReadRunLength(File& file, uint8_t* pixels, uint64_t size, uint32_t bytesPerPixel)
{
    uint64_t produced = 0;
    while (produced < size)
    {
        uint8_t packet = 0;
        if (file.Read(&packet, 1) != 0)
            return 1;
        const uint32_t count = (packet & 0x7F) + 1u;
        const uint64_t bytes = static_cast<uint64_t>(count) * bytesPerPixel;
        if (bytes > size - produced)
        {
            LogWarning("Пакет RLE выходит за пределы изображения в файле TGA [%s].", file.GetPath().CStr());
            return 1;
        }
        uint8_t* out = pixels + produced;
        if (packet & 0x80)
        {
            if (file.Read(out, bytesPerPixel) != 0)
                return 1;
            for (uint32_t i = 1; i < count; ++i)
                std::memcpy(out + i * bytesPerPixel, out, bytesPerPixel);
        }
        else if (file.Read(out, static_cast<uint32_t>(bytes)) != 0)
            return 1;
        produced += bytes;
    }
    return 0;
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

int32_t TGAImageCodec::ReadPicture(File& file, Picture& picture)
{
    const String path = file.GetPath();
    uint8_t header[kHeaderSize];
    if (file.Read(header, kHeaderSize) != 0)
    {
        LogWarning("Невозможно прочитать заголовок файла TGA [%s].", path.CStr());
        return 1;
    }
    const uint8_t idLength = header[0];
    const uint8_t type = header[2];
    const uint32_t width = header[12] | (header[13] << 8);
    const uint32_t height = header[14] | (header[15] << 8);
    const uint8_t depth = header[16];
    const uint8_t descriptor = header[17];

    if (depth != 24 && depth != 32)
    {
        LogWarning("Неподдерживаемая глубина цвета [%d] в файле TGA [%s].", depth, path.CStr());
        return 1;
    }
    const uint32_t bytesPerPixel = depth / 8u;

    // An ID field that claims more than the file holds is left alone; the
    // pixels then fail to read.
    if (idLength <= file.GetRemaining())
    {
        uint8_t skipped[256];
        file.Read(skipped, idLength);
    }
    if (type != kTypeUncompressed && type != kTypeRunLength)
    {
        LogWarning("Неподдерживаемый тип изображения [%d] в файле TGA [%s].", type, path.CStr());
        return 1;
    }

    // Sizes are input: the pixels must fit what the engine allocates and
    // what the rest of the file can encode (128 pixels per run packet at
    // best), so a small damaged file cannot make a large allocation.
    const uint64_t pixelCount = static_cast<uint64_t>(width) * height;
    const uint64_t size = pixelCount * bytesPerPixel;
    const uint64_t remaining = file.GetRemaining();
    const uint64_t packets = (remaining + bytesPerPixel) / (bytesPerPixel + 1); // rounded up
    const bool fits = type == kTypeUncompressed ? size <= remaining : pixelCount <= packets * kLargestPacket;
    if (pixelCount == 0 || size > Image::kMaxDataSize || !fits)
    {
        LogWarning("Размеры изображения [%u x %u] не соответствуют файлу TGA [%s].", width, height, path.CStr());
        return 1;
    }

    std::unique_ptr<uint8_t[]> pixels(new (std::nothrow) uint8_t[size]);
    if (!pixels)
    {
        LogError("Недостаточно памяти для чтения файла TGA [%s].", path.CStr());
        return 2;
    }
    const int32_t read = type == kTypeUncompressed ? file.Read(pixels.get(), static_cast<uint32_t>(size))
                                                   : ReadRunLength(file, pixels.get(), size, bytesPerPixel);
    if (read != 0)
    {
        LogWarning("Неожиданный конец данных в файле TGA [%s].", path.CStr());
        return 1;
    }
    if (!(descriptor & kTopLeftOrigin))
        SwapRedBlue(pixels.get(), pixelCount, bytesPerPixel);

    picture.width = width;
    picture.height = height;
    picture.format = bytesPerPixel == 3 ? Image::kPixel24 : Image::kPixel32;
    picture.pixels = std::move(pixels);
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
    Picture picture;
    if (int32_t read = ReadPicture(*file, picture); read != 0)
    {
        file->Close();
        return read;
    }
    if (file->Close() != 0)
        return 1;

    return Image::Deliver(place, file, picture.format, picture.width, picture.height, std::move(picture.pixels));
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
