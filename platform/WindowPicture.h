#pragma once
#include <cstdint>
#include <vector>

#include "platform/DialogTypes.h"

namespace platform
{

class Window;

// A still picture shown in a window, scaled to the window's size. It is
// the window's background, so the X server repaints every exposed part by
// itself; only a new size makes a new scaled copy.
class WindowPicture
{
public:
    // picture is borrowed and must outlive this object; null shows black.
    explicit WindowPicture(const DialogPicture* picture) : picture(picture) {}
    ~WindowPicture();

    WindowPicture(const WindowPicture&) = delete;
    WindowPicture& operator=(const WindowPicture&) = delete;

    // Shows the picture at the window's current size when that changed
    // since the last call. False when the X server refused (the window or
    // its parent is gone), and the window should be given up.
    bool Update(Window& window);

    // The picture scaled to width x height by nearest pixel centres, top
    // row first, RGB; empty for an empty picture or size.
    static std::vector<uint8_t> Scale(const DialogPicture& picture, int width, int height);

private:
    void FreePixmap();

    const DialogPicture* picture;  // borrowed
    void* display = nullptr;       // where the pixmap lives
    unsigned long pixmap = 0;      // the scaled picture, the window's background
    int shownWidth = -1;
    int shownHeight = -1;
};

}  // namespace platform
