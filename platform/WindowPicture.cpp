#include "platform/WindowPicture.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <cstring>

#include "platform/DisplayConnection.h"
#include "platform/Window.h"

namespace platform
{
namespace
{

// The bit position of a colour mask's lowest bit and its width.
void MaskShape(unsigned long mask, int& shift, int& bits)
{
    shift = 0;
    bits = 0;
    while (mask && !(mask & 1))
    {
        mask >>= 1;
        ++shift;
    }
    while (mask & 1)
    {
        mask >>= 1;
        ++bits;
    }
}

unsigned long Place(uint8_t value, unsigned long mask)
{
    int shift = 0, bits = 0;
    MaskShape(mask, shift, bits);
    if (bits == 0)
        return 0;
    const unsigned long scaled = bits >= 8 ? static_cast<unsigned long>(value) << (bits - 8) : value >> (8 - bits);
    return (scaled << shift) & mask;
}

}  // namespace

WindowPicture::~WindowPicture()
{
    FreePixmap();
}

void WindowPicture::FreePixmap()
{
    if (pixmap && display && !DisplayConnection::Lost())
        XFreePixmap(static_cast<Display*>(display), pixmap);
    pixmap = 0;
}

std::vector<uint8_t> WindowPicture::Scale(const DialogPicture& picture, int width, int height)
{
    std::vector<uint8_t> out;
    if (picture.width <= 0 || picture.height <= 0 || width <= 0 || height <= 0 ||
        picture.rgb.size() < size_t(picture.width) * size_t(picture.height) * 3)
        return out;
    out.resize(size_t(width) * size_t(height) * 3);
    for (int y = 0; y < height; ++y)
    {
        const int64_t from = (int64_t(2 * y + 1) * picture.height) / (2 * int64_t(height));
        for (int x = 0; x < width; ++x)
        {
            const int64_t column = (int64_t(2 * x + 1) * picture.width) / (2 * int64_t(width));
            const uint8_t* source = picture.rgb.data() + (size_t(from) * size_t(picture.width) + size_t(column)) * 3;
            std::memcpy(out.data() + (size_t(y) * size_t(width) + size_t(x)) * 3, source, 3);
        }
    }
    return out;
}

bool WindowPicture::Update(Window& window)
{
    const int width = window.Width();
    const int height = window.Height();
    if (width == shownWidth && height == shownHeight)
        return true;
    Display* x = static_cast<Display*>(window.NativeDisplay());
    const ::Window target = window.NativeWindow();
    if (!x || DisplayConnection::Lost())
        return false;

    DisplayConnection::BeginErrorTrap();
    FreePixmap();
    display = x;
    XWindowAttributes attributes;
    const bool known = XGetWindowAttributes(x, target, &attributes) != 0;
    std::vector<uint8_t> scaled;
    if (known && picture)
        scaled = Scale(*picture, width, height);
    if (!scaled.empty() && attributes.visual->c_class == TrueColor)
    {
        // Pixels in the window's own visual, 32 bits each, as XPutImage takes them.
        auto* pixels = static_cast<uint32_t*>(std::malloc(size_t(width) * size_t(height) * 4));
        XImage* image = pixels ? XCreateImage(x, attributes.visual, static_cast<unsigned>(attributes.depth), ZPixmap,
                                              0, reinterpret_cast<char*>(pixels), static_cast<unsigned>(width),
                                              static_cast<unsigned>(height), 32, 0)
                               : nullptr;
        if (image)
        {
            for (int y = 0; y < height; ++y)
                for (int column = 0; column < width; ++column)
                {
                    const uint8_t* rgb = scaled.data() + (size_t(y) * size_t(width) + size_t(column)) * 3;
                    XPutPixel(image, column, y,
                              Place(rgb[0], attributes.visual->red_mask) | Place(rgb[1], attributes.visual->green_mask) |
                                  Place(rgb[2], attributes.visual->blue_mask));
                }
            pixmap = XCreatePixmap(x, target, static_cast<unsigned>(width), static_cast<unsigned>(height),
                                   static_cast<unsigned>(attributes.depth));
            GC gc = XCreateGC(x, pixmap, 0, nullptr);
            XPutImage(x, pixmap, gc, image, 0, 0, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height));
            XFreeGC(x, gc);
            XDestroyImage(image);  // frees the pixels too
            XSetWindowBackgroundPixmap(x, target, pixmap);
        }
        else
        {
            std::free(pixels);
        }
    }
    if (!pixmap)
        XSetWindowBackground(x, target, BlackPixel(x, DefaultScreen(x)));
    XClearWindow(x, target);
    const int error = DisplayConnection::EndErrorTrap();
    shownWidth = width;
    shownHeight = height;
    return known && error == 0;
}

}  // namespace platform
