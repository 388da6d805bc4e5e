#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"

class Image;

// An RGBA picture painted top row first: row 0 is what the engine shows at
// v = 0, the top of a picture on screen. The savers store it so that the
// engine's codecs give these rows back in this order.
class Canvas
{
public:
    Canvas();
    ~Canvas();

    // Every pixel (0, 0, 0, 0). 0; 2 out of memory (logged by the image).
    int32_t Create(uint32_t width, uint32_t height);
    uint32_t Width() const { return width; }
    uint32_t Height() const { return height; }
    // Red, green, blue, alpha of the pixel; x and y inside the picture.
    uint8_t* At(uint32_t x, uint32_t y);

    // 32-bit Targa with the top-left origin (the engine's saver). The
    // loader leaves such a file's bytes in stored order, so red and blue
    // trade places on the way into the engine: the pictures keep red equal
    // to blue wherever colour matters. 0; 1 not written (said on stderr).
    int32_t SaveTarga(const char* path) const;
    // JPEG, alpha dropped. The codec gives a JPEG's rows bottom row first,
    // so the file holds the picture upside down, to be shown upright.
    // 0; 1 not written; 2 out of memory.
    int32_t SaveJpeg(const char* path) const;

private:
    Ptr<Image> image;
    uint32_t width = 0;
    uint32_t height = 0;
};
