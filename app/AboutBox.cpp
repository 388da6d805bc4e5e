#include "app/AboutBox.h"

#include <cstdio>

#include "app/ScreensaverApp.h"
#include "engine/core/Log.h"
#include "engine/files/FileManager.h"
#include "engine/image/Image.h"

namespace
{

constexpr int32_t kLogoFrame = 1037;
constexpr int32_t kFirstLine = 1040;
constexpr int32_t kLineCount = 8;

} // namespace

AboutBox::AboutBox(const ScreensaverApp& app)
{
    model.SetTextFromTable(app, 0, "Mes_About_Title");
    model.SetTextFromTable(app, 1, "Mes_Button_OK");
    for (int32_t i = 0; i < kLineCount; ++i)
    {
        char key[32];
        std::snprintf(key, sizeof key, "Mes_About_String%d", i + 1);
        model.SetTextFromTable(app, kFirstLine + i, key);
    }
}

platform::DialogAction AboutBox::Command(int32_t id)
{
    // OK closes; Escape and the window's close arrive as Cancel.
    if (id != 1 && id != 2)
        return platform::DialogAction::Continue;
    result = id;
    return platform::DialogAction::End;
}

const platform::DialogPicture* AboutBox::Picture(int32_t id)
{
    if (id != kLogoFrame)
        return nullptr;
    if (!pictureTried)
    {
        pictureTried = true;
        auto loaded = std::make_unique<platform::DialogPicture>();
        if (LoadDialogPicture("logo.bmp", *loaded))
            picture = std::move(loaded);
    }
    return picture.get();
}

bool LoadDialogPicture(const char* name, platform::DialogPicture& picture)
{
    // Decoded from the archive's bytes in memory; nothing touches the disk.
    File* file = FileManager::FindFile(String(name));
    if (!file)
    {
        LogWarning("Картинка [%s] не найдена.", name);
        return false;
    }
    Ptr<Image> image = new (std::nothrow) Image(file, String(name));
    if (!image || !image->GetData() || image->GetWidth() == 0 || image->GetHeight() == 0 ||
        (image->GetFormat() != Image::kPixel24 && image->GetFormat() != Image::kPixel8))
    {
        LogWarning("Невозможно загрузить картинку [%s].", name);
        return false;
    }
    const uint32_t width = image->GetWidth();
    const uint32_t height = image->GetHeight();
    const uint32_t step = Image::BytesPerPixel(image->GetFormat());
    picture.width = static_cast<int32_t>(width);
    picture.height = static_cast<int32_t>(height);
    picture.rgb.resize(size_t(width) * height * 3);
    // The codec gives the bottom row first; grey levels stand for indices.
    for (uint32_t row = 0; row < height; ++row)
    {
        const uint8_t* from = image->GetData() + size_t(height - 1 - row) * width * step;
        uint8_t* to = picture.rgb.data() + size_t(row) * width * 3;
        for (uint32_t x = 0; x < width; ++x, from += step, to += 3)
        {
            to[0] = from[0];
            to[1] = step == 3 ? from[1] : from[0];
            to[2] = step == 3 ? from[2] : from[0];
        }
    }
    return true;
}
