#include "tools/bake/Canvas.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "engine/files/File.h"
#include "engine/image/Image.h"

namespace
{

int32_t Save(Image* picture, const char* path)
{
    File file{String(path)};
    if (picture->SaveToFile(&file) != 0)
    {
        std::fprintf(stderr, "bake: cannot write %s\n", path);
        return 1;
    }
    return 0;
}

} // namespace

Canvas::Canvas() = default;

Canvas::~Canvas() = default;

int32_t Canvas::Create(uint32_t newWidth, uint32_t newHeight)
{
    image = new (std::nothrow) Image(String("canvas"), Image::kPixel32, newWidth, newHeight);
    if (!image || !image->GetData())
        return 2;
    width = newWidth;
    height = newHeight;
    std::memset(image->GetData(), 0, static_cast<size_t>(width) * height * 4);
    return 0;
}

uint8_t* Canvas::At(uint32_t x, uint32_t y)
{
    return image->GetData() + (static_cast<size_t>(y) * width + x) * 4;
}

int32_t Canvas::SaveTarga(const char* path) const
{
    // The saver writes the last row first, and the loader keeps a top-left
    // file's rows as stored: hand it the rows turned over.
    Ptr<Image> turned = new (std::nothrow) Image(String("turned"), Image::kPixel32, width, height);
    if (!turned || !turned->GetData())
        return 2;
    const size_t row = static_cast<size_t>(width) * 4;
    for (uint32_t y = 0; y < height; ++y)
        std::memcpy(turned->GetData() + (height - 1 - y) * row, image->GetData() + y * row, row);
    return Save(turned.Get(), path);
}

int32_t Canvas::SaveJpeg(const char* path) const
{
    Ptr<Image> rgb = new (std::nothrow) Image(String("rgb"), Image::kPixel24, width, height);
    if (!rgb || !rgb->GetData())
        return 2;
    const uint8_t* from = image->GetData();
    uint8_t* to = rgb->GetData();
    for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i)
        std::memcpy(to + i * 3, from + i * 4, 3);
    return Save(rgb.Get(), path);
}
