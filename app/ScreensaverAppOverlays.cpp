// The screen-space part of the application: the loading screen, the clock
// and frame-rate digits, and F12 screenshots, all drawn with one unit quad
// through the overlay camera.
#include "app/ScreensaverApp.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "engine/core/Log.h"
#include "engine/files/FileManager.h"
#include "engine/image/Image.h"
#include "engine/render/Renderer.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "platform/Paths.h"

namespace
{

// The pictures of the overlay slots, in slot order.
constexpr const char* kPictureNames[] = {
    "loader.jpg",     "4loader_ld.tga",  "4loader_rd.tga", "4loader_lu.tga", "4loader_ru.tga",
    "digit_0.tga",    "digit_1.tga",     "digit_2.tga",    "digit_3.tga",    "digit_4.tga",
    "digit_5.tga",    "digit_6.tga",     "digit_7.tga",    "digit_8.tga",    "digit_9.tga",
    "digit_dot.tga",  "digit_ddot.tga",  "digit_a.tga",    "digit_p.tga",    "digit_m.tga",
};

// Where the digit overlays go, in overlay units (the screen is 1 x 1).
constexpr float kDigitWidth = 0.0375f;
constexpr float kDigitHeight = 0.075f;
constexpr float kFrameRateX = 0.009375f;
constexpr float kFrameRateY = 0.9f;
constexpr float kClockY = 0.025f;

// Screenshot numbers tried before the folder counts as full.
constexpr int kMaxScreenshotNumber = 1000000;

// The unit quad: two triangles over (0, 0)-(1, 1) with the top of a picture
// at y = 1, its bound and world data made. Null (logged) when out of memory.
Ptr<Triangles> MakeUnitQuad()
{
    constexpr Vector3 kCorners[6] = {{0, 0, 0}, {1, 1, 0}, {1, 0, 0}, {0, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    constexpr Vector2 kCoordinates[6] = {{0, 1}, {1, 0}, {1, 1}, {0, 1}, {0, 0}, {1, 0}};
    Ptr<Triangles> quad = new (std::nothrow) Triangles();
    Ptr<Vector3Buffer> corners = CreateBuffer<Vector3Buffer>(6);
    Ptr<Vector2Buffer> coordinates = CreateBuffer<Vector2Buffer>(6);
    Ptr<IntBuffer> indices = CreateBuffer<IntBuffer>(6);
    if (!quad || !corners || !coordinates || !indices)
    {
        LogError("Недостаточно памяти для создания данных визуализации.");
        return nullptr;
    }
    for (uint32_t i = 0; i < 6; ++i)
    {
        (*corners)[i] = kCorners[i];
        (*coordinates)[i] = kCoordinates[i];
        (*indices)[i] = static_cast<int32_t>(i);
    }
    quad->SetVertices(corners.Get());
    quad->SetTextureCoordinates(0, coordinates.Get());
    quad->SetIndices(indices.Get());
    quad->UpdateModelBound();
    quad->UpdateTree(0.0);
    return quad;
}

// A texture of the picture file of that name from the mounted archives. A
// picture that is missing or damaged gives a texture without pixels (the
// image logs why); null only when out of memory.
Ptr<Texture> LoadPicture(const char* name)
{
    Ptr<Texture> texture = new (std::nothrow) Texture(String(name));
    Ptr<Image> image = new (std::nothrow) Image(FileManager::FindFile(String(name)), String(name));
    if (!texture || !image)
        return nullptr;
    texture->SetImage(image.Get());
    return texture;
}

// The slot of a digit-text character's picture, or -1.
int PictureOf(char c)
{
    if (c >= '0' && c <= '9')
        return ScreensaverApp::kDigitPictures + (c - '0');
    const char* signs = ".:apm";
    const char* sign = c ? std::strchr(signs, c) : nullptr;
    return sign ? ScreensaverApp::kSignPictures + static_cast<int>(sign - signs) : -1;
}

} // namespace

int32_t ScreensaverApp::CreateVisualData()
{
    overlayQuad = MakeUnitQuad();
    if (!overlayQuad)
        return 2;
    overlayEffect = new (std::nothrow) TextureEffect();
    overlayCamera = new (std::nothrow) Camera();
    if (!overlayEffect || !overlayCamera)
    {
        LogError("Недостаточно памяти для создания данных визуализации.");
        return 2;
    }
    overlayQuad->SetEffect(overlayEffect.Get());
    for (int slot = 0; slot < kOverlayPictureCount; ++slot)
    {
        overlayPictures[slot] = LoadPicture(kPictureNames[slot]);
        if (!overlayPictures[slot])
        {
            LogError("Недостаточно памяти для создания данных визуализации.");
            return 2;
        }
        if (slot == kLoadingPicture)
            LogInfo("LoadingTexture Loaded");
    }
    return CreateFadeEffect();
}

Matrix4 ScreensaverApp::OverlayProjection()
{
    return Matrix4(2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1, 0, -1, -1, 0, 1);
}

Ptr<Camera> ScreensaverApp::UseOverlayCamera()
{
    Renderer* renderer = GetRenderer();
    if (!renderer || !overlayCamera)
        return nullptr;
    Ptr<Camera> replaced = renderer->GetCamera();
    overlayCamera->SetView(Matrix4::Identity());
    overlayCamera->SetProjection(OverlayProjection());
    overlayCamera->SetViewProjection(OverlayProjection());
    renderer->SetCamera(overlayCamera.Get());
    return replaced;
}

void ScreensaverApp::PlaceOverlayQuad(float x, float y, float width, float height)
{
    if (!overlayQuad)
        return;
    Transform& local = overlayQuad->GetLocalTransform();
    local.SetScale(Vector3(width, height, 1.0f));
    local.SetTranslation(Vector3(x, y, 0.0f));
    overlayQuad->UpdateWorldTransform();
}

int32_t ScreensaverApp::ShowLoadingScreen()
{
    Renderer* renderer = GetRenderer();
    if (!renderer || !overlayQuad)
        return 0;
    UseOverlayCamera();
    renderer->Clear(3, Vector4{0.0f, 1.0f, 0.0f, 1.0f}, 1.0f, 0);
    if (renderer->BeginFrame() != 0)
    {
        LogError("Неудачно начало рендеринга.");
        return 1;
    }
    // The frame has begun: the projection goes to the device now.
    UseOverlayCamera();
    overlayEffect->SetTexture(overlayPictures[kLoadingPicture].Get());
    overlayEffect->SetColor(Vector4(1.0f, 1.0f, 1.0f, 1.0f));
    overlayEffect->SetBlendEnabled(true);
    PlaceOverlayQuad(0.0f, 0.0f, 1.0f, 1.0f);
    overlayQuad->Draw(*renderer);
    renderer->FlushTransparent();

    // Each corner at its own size in pixels, flush with its corner; the
    // placement rides in the projection, the quad stays the unit square.
    const float screenWidth = static_cast<float>(renderer->GetWidth());
    const float screenHeight = static_cast<float>(renderer->GetHeight());
    for (int corner = 0; corner < 4 && screenWidth > 0.0f && screenHeight > 0.0f; ++corner)
    {
        Texture* picture = overlayPictures[kCornerPictures + corner].Get();
        Image* image = picture->GetImage();
        if (!image || !image->GetData())
            continue;
        const float width = static_cast<float>(image->GetWidth()) / screenWidth;
        const float height = static_cast<float>(image->GetHeight()) / screenHeight;
        const float x = corner % 2 ? 1.0f - width : 0.0f;
        const float y = corner >= 2 ? 1.0f - height : 0.0f;
        const Matrix4 placed = Matrix4(width, 0, 0, 0, 0, height, 0, 0, 0, 0, 1, 0, x, y, 0, 1) * OverlayProjection();
        overlayCamera->SetProjection(placed);
        overlayCamera->SetViewProjection(placed);
        overlayEffect->SetTexture(picture);
        overlayQuad->Draw(*renderer);
        renderer->FlushTransparent();
    }
    overlayCamera->SetProjection(OverlayProjection());
    overlayCamera->SetViewProjection(OverlayProjection());
    renderer->EndFrame();
    automation.AfterLoadingScreen(renderer);
    return 0;
}

void ScreensaverApp::DrawDigits(const char* text, float x, float y, float w, float h)
{
    Renderer* renderer = GetRenderer();
    if (!renderer || !overlayQuad || !text)
        return;
    for (const char* c = text; *c; ++c)
    {
        PlaceOverlayQuad(x, y, w, h);
        const int slot = PictureOf(*c);
        if (slot >= 0)
            overlayEffect->SetTexture(overlayPictures[slot].Get());
        if (*c == ' ')
        {
            x += w * 0.5f;
            continue;
        }
        overlayQuad->Draw(*renderer);
        renderer->FlushTransparent();
        x += w;
    }
}

std::string ScreensaverApp::ClockText(int32_t hour, int32_t minute, int32_t second, bool hour24, float& x)
{
    const char* suffix = "";
    if (!hour24)
    {
        suffix = hour < 12 ? " am " : " pm ";
        if (hour > 12)
            hour -= 12;
    }
    char text[32];
    std::snprintf(text, sizeof(text), "%d:%s%d:%s%d%s", hour, minute < 10 ? "0" : "", minute,
                  second < 10 ? "0" : "", second, suffix);
    const float shift = hour24 ? -0.01875f : 0.01875f;
    x = 1.0f - kDigitWidth * static_cast<float>(std::strlen(text)) + shift;
    return text;
}

std::string ScreensaverApp::FrameRateText(float rate)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%d", static_cast<int>(std::ceil(rate)));
    return text;
}

void ScreensaverApp::DrawOverlays()
{
    Renderer* renderer = GetRenderer();
    if (!renderer || !overlayQuad)
        return;
    renderer->FlushTransparent();
    Ptr<Camera> sceneCamera = UseOverlayCamera();
    overlayEffect->SetColor(Vector4(1.0f, 1.0f, 1.0f, 1.0f));
    if (current.showFps)
        DrawDigits(FrameRateText(fpsCounter.GetRate()).c_str(), kFrameRateX, kFrameRateY, kDigitWidth, kDigitHeight);
    if (current.showTime)
    {
        int32_t hour = 0, minute = 0, second = 0;
        GetLocalClock(automation, hour, minute, second);
        float x = 0.0f;
        const std::string text = ClockText(hour, minute, second, current.hour24, x);
        DrawDigits(text.c_str(), x, kClockY, kDigitWidth, kDigitHeight);
    }
    renderer->SetCamera(sceneCamera.Get());
}

int32_t ScreensaverApp::ReserveScreenshotName(const std::string& folder, const std::string& base, std::string& path)
{
    for (int number = 0; number < kMaxScreenshotNumber; ++number)
    {
        path = folder + "/" + base + " ScreenShot" + std::to_string(number) + ".jpg";
        const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (file >= 0)
        {
            ::close(file);
            return 0;
        }
        if (errno != EEXIST)
        {
            LogWarning("Невозможно создать файл снимка экрана [%s]: %s.", path.c_str(), std::strerror(errno));
            return 1;
        }
    }
    LogWarning("Невозможно создать файл снимка экрана: в папке [%s] заняты все имена.", folder.c_str());
    return 1;
}

int32_t ScreensaverApp::TakeScreenshot()
{
    Renderer* renderer = GetRenderer();
    if (!renderer)
        return 1;
    const String* name = FindUiString(String("AppName"));
    const std::string folder = platform::PicturesDirectory();
    std::string why;
    if (folder.empty() || !platform::MakeDirectories(folder, &why))
    {
        LogWarning("Невозможно создать папку снимков экрана [%s]: %s.", folder.c_str(), why.c_str());
        return 1;
    }
    std::string path;
    if (ReserveScreenshotName(folder, name ? name->CStr() : "", path) != 0)
        return 1;
    if (SaveScreenCapture(renderer, path) != 0)
    {
        // The reserved name stays free for the next try.
        ::unlink(path.c_str());
        return 1;
    }
    return 0;
}

int32_t ScreensaverApp::DeleteVisualData()
{
    if (ReleaseFadeEffect() != 0)
    {
        LogError("Невозможно удалить данные визуализации дочернего сейвера.");
        return 1;
    }
    overlayQuad = nullptr;
    overlayEffect = nullptr;
    overlayCamera = nullptr;
    for (Ptr<Texture>& picture : overlayPictures)
        picture = nullptr;
    return 0;
}
