// pictures: the dialog's and the preview's pictures, made at build time.
//   pictures MEDIA.rar2 OUTDIR
// "logo.bmp" (the about box's 60 x 108 frame) is drawn here; "settings.bmp"
// (the settings dialog's 172 x 120 frame) and "preview.bmp" (4:3) are
// frames of the shipped scene rendered without a display, so they follow
// the scene. All three are saved with the engine's BMP codec.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/EngineClasses.h"
#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/MessageOutput.h"
#include "engine/core/Vector4.h"
#include "engine/files/Codec.h"
#include "engine/files/CodecManager.h"
#include "engine/files/File.h"
#include "engine/files/FileManager.h"
#include "engine/image/Image.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Node.h"
#include "platform/CodePage.h"

namespace
{

// The rendered frame: the settings frame's proportions (172:120).
constexpr int kFrameWidth = 688;
constexpr int kFrameHeight = 480;
// Scene time of the picture: well into the first shot, past its fade.
constexpr double kSceneSeconds = 6.0;
constexpr double kStep = 0.04;

// Top-first RGB rows.
struct Picture
{
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};

// Warnings and errors to standard error; information lines stay quiet.
class ErrorOutput : public MessageOutput
{
public:
    ErrorOutput() : MessageOutput(String("pictures")) {}
    void Output(int32_t level, const String& text) override
    {
        if (level >= kLogWarning)
            std::fprintf(stderr, "pictures: %s\n", platform::Cp1251ToUtf8(text.CStr()).c_str());
    }
};

// Area-averaged scaling of a crop (x, y, w, h) of the source to width x height.
Picture Resample(const Picture& source, int x0, int y0, int w, int h, int width, int height)
{
    Picture out{width, height, std::vector<uint8_t>(size_t(width) * height * 3)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const int left = x0 + x * w / width, right = std::max(left + 1, x0 + (x + 1) * w / width);
            const int top = y0 + y * h / height, bottom = std::max(top + 1, y0 + (y + 1) * h / height);
            for (int c = 0; c < 3; ++c)
            {
                int sum = 0;
                for (int sy = top; sy < bottom; ++sy)
                    for (int sx = left; sx < right; ++sx)
                        sum += source.rgb[(size_t(sy) * source.width + sx) * 3 + c];
                out.rgb[(size_t(y) * width + x) * 3 + c] = static_cast<uint8_t>(sum / ((right - left) * (bottom - top)));
            }
        }
    return out;
}

// Saves through the BMP codec, which keeps the bottom row first in memory.
bool Save(const Picture& picture, const std::string& path)
{
    Codec* codec = nullptr;
    if (CodecManager::GetCodec(String("BMPImageCodec"), &codec) != 0 || !codec)
        return false;
    Ptr<Image> image = new (std::nothrow) Image(String("picture"), Image::kPixel24, picture.width, picture.height);
    if (!image || !image->GetData())
        return false;
    const size_t row = size_t(picture.width) * 3;
    for (int y = 0; y < picture.height; ++y)
        std::copy_n(picture.rgb.data() + row * (picture.height - 1 - y), row, image->GetData() + row * y);
    File file{String(path.c_str())};
    return codec->SaveImage(&file, image.Get()) == 0;
}

// The about box's logo: a spring morning over a meadow with one tulip.
Picture DrawLogo()
{
    Picture logo{120, 216, std::vector<uint8_t>(120 * 216 * 3)};
    for (int y = 0; y < logo.height; ++y)
        for (int x = 0; x < logo.width; ++x)
        {
            const double u = x / double(logo.width), v = y / double(logo.height);
            double r = 0.55 + 0.35 * v, g = 0.75 + 0.15 * v, b = 0.95;                 // sky
            const double sun = std::hypot(u - 0.72, (v - 0.2) * 1.8);
            if (sun < 0.11)
                r = 1.0, g = 0.85, b = 0.35;
            const double hill = 0.62 + 0.05 * std::sin(u * 6.0);
            if (v > hill)
                r = 0.25, g = 0.55 + 0.2 * (v - hill), b = 0.2;                       // meadow
            const double stem = std::fabs(u - 0.4);
            if (stem < 0.02 && v > 0.45 && v < 0.85)
                r = 0.15, g = 0.45, b = 0.15;
            const double bloom = std::hypot((u - 0.4) * 1.3, v - 0.42);
            if (bloom < 0.09 && !(v < 0.4 && std::fabs(u - 0.4) < 0.02))
                r = 0.9, g = 0.25, b = 0.4;                                           // tulip
            uint8_t* pixel = logo.rgb.data() + (size_t(y) * logo.width + x) * 3;
            pixel[0] = static_cast<uint8_t>(std::clamp(r, 0.0, 1.0) * 255);
            pixel[1] = static_cast<uint8_t>(std::clamp(g, 0.0, 1.0) * 255);
            pixel[2] = static_cast<uint8_t>(std::clamp(b, 0.0, 1.0) * 255);
        }
    return logo;
}

// The shipped scene at kSceneSeconds through its first camera, or an empty
// picture (the reason on standard error).
Picture RenderScene(const std::string& mediaArchive)
{
    Picture frame;
    File archive{String(mediaArchive.c_str())};
    if (FileManager::AttachArchive(&archive, String()) != 0)
        return frame;
    File* sceneFile = FileManager::FindFile(String("Main.STR"));
    Codec* codec = sceneFile ? CodecManager::FindCodecForFile(sceneFile) : nullptr;
    Object* loaded = nullptr;
    if (!codec || codec->LoadScene(sceneFile, &loaded) != 0 || !loaded || !loaded->IsDerived(Node::TYPE))
    {
        std::fprintf(stderr, "pictures: Main.STR does not load\n");
        return frame;
    }
    Ptr<Node> scene = static_cast<Node*>(loaded);
    Object* found = scene->FindByName(String("Camera"));
    Renderer* renderer = GetRenderer();
    if (!found || !found->IsDerived(Camera::TYPE) ||
        renderer->OpenWindow(renderer->GetDesktopMode(), String("pictures"), 0, 0, 0, kFrameWidth, kFrameHeight) != 0)
    {
        std::fprintf(stderr, "pictures: no camera or no frame to draw into\n");
        return frame;
    }
    for (double t = 0.0; t < kSceneSeconds; t += kStep)
        scene->UpdateTree(kStep, true);
    renderer->SetCamera(static_cast<Camera*>(found));
    renderer->Clear(3, Vector4{0.0f, 0.0f, 0.0f, 1.0f}, 1.0f, 0);
    Image* taken = nullptr;
    if (renderer->BeginFrame() == 0)
    {
        scene->DrawCulled(*renderer);
        renderer->FlushTransparent();
        renderer->EndFrame();
        renderer->CaptureScreen(&taken);
    }
    Ptr<Image> image = taken;
    renderer->SetCamera(nullptr);
    if (!image || !image->GetData())
        return frame;
    frame.width = static_cast<int>(image->GetWidth());
    frame.height = static_cast<int>(image->GetHeight());
    frame.rgb.assign(image->GetData(), image->GetData() + size_t(frame.width) * frame.height * 3);
    return frame;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: pictures MEDIA.rar2 OUTDIR\n");
        return 2;
    }
    const std::string folder = argv[2];
    Ptr<ErrorOutput> output = new ErrorOutput();
    RegisterMessageOutput(output.Get());
    RegisterEngineClasses();
    Renderer::SetHeadless(true);
    Renderer::SetHeadlessDesktopSize(kFrameWidth, kFrameHeight);
    if (InitializeEngine() != 0 || CreateRenderer(String("OpenGL")) != 0)
    {
        std::fprintf(stderr, "pictures: the engine or the renderer does not start\n");
        return 1;
    }
    Codec* codec = nullptr;
    for (const char* name : {"BMPImageCodec", "JPGImageCodec", "TGAImageCodec", "CUBEImageCodec", "STRSceneCodec",
                             "RAR2FileCodec"})
        CodecManager::GetCodec(String(name), &codec);

    int result = Save(DrawLogo(), folder + "/logo.bmp") ? 0 : 1;
    {
        const Picture frame = RenderScene(argv[1]);
        if (frame.width != kFrameWidth || frame.height != kFrameHeight)
            result = 1;
        else
        {
            // settings.bmp: the whole frame at the dialog frame's size;
            // preview.bmp: its middle 4:3, at the size of a small monitor.
            const int cropWidth = kFrameHeight * 4 / 3;
            if (!Save(Resample(frame, 0, 0, kFrameWidth, kFrameHeight, 344, 240), folder + "/settings.bmp") ||
                !Save(Resample(frame, (kFrameWidth - cropWidth) / 2, 0, cropWidth, kFrameHeight, 320, 240),
                      folder + "/preview.bmp"))
                result = 1;
        }
    }
    DestroyRenderer();
    TerminateEngine();
    UnregisterMessageOutput(output.Get());
    return result;
}
