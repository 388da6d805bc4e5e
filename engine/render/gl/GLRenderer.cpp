#include "engine/render/gl/GLRenderer.h"

#include <new>
#include <string>

#include "engine/core/Log.h"
#include "engine/files/ModuleManager.h"
#include "engine/files/StaticModule.h"
#include "engine/render/BrightnessRamp.h"
#include "engine/render/gl/GLDevice.h"
#include "engine/render/gl/GLQueryTable.h"
#include "engine/render/gl/GLShaderCache.h"
#include "engine/render/gl/GLTextureCache.h"
#include "platform/Window.h"

namespace
{

int32_t ModuleNothing()
{
    return 0;
}

// The module's "CreateRenderer": refuses while a renderer exists.
int32_t CreateOpenGLRenderer(Renderer** place)
{
    if (!place || GetRenderer())
        return 1;
    *place = new (std::nothrow) GLRenderer();
    return *place ? 0 : 1;
}

} // namespace

GLRenderer::GLRenderer()
    : textureCache(std::make_unique<GLTextureCache>()),
      shaderCache(std::make_unique<GLShaderCache>()),
      queryTable(std::make_unique<GLQueryTable>())
{
    int width = 0;
    int height = 0;
    int depth = 24;
    if (IsHeadless() || !platform::GetDesktopSize(width, height, depth))
        GetHeadlessDesktopSize(width, height);
    EnumerateModes(width, height);
}

GLRenderer::~GLRenderer()
{
    if (HasWindow())
        CloseWindow();
}

int32_t GLRenderer::OpenDeviceWindow(const DisplayMode& mode, const String& title, unsigned long parentWindow,
                                     int32_t x, int32_t y, int32_t width, int32_t height)
{
    platform::WindowDesc desc;
    desc.title = title.CStr();
    desc.fullScreen = mode.fullScreen;
    desc.x = mode.fullScreen ? 0 : x;
    desc.y = mode.fullScreen ? 0 : y;
    desc.width = mode.fullScreen ? mode.width : width;
    desc.height = mode.fullScreen ? mode.height : height;
    desc.parent = parentWindow;
    desc.drawIntoParent = parentWindow != 0;
    std::string why;
    window = platform::Window::Create(desc, &why);
    if (!window)
    {
        LogError("Создание окна неудачно.");
        LogInfo("%s", why.c_str());
        return 1;
    }
    return 0;
}

void GLRenderer::CloseDeviceWindow()
{
    window.reset();
}

void GLRenderer::SetCursorVisible(bool visible)
{
    if (window)
        window->SetCursorVisible(visible);
}

int32_t GLRenderer::Initialize(int32_t modeIndex, const String&, unsigned long parentWindow, int32_t,
                               int32_t, int32_t width, int32_t height)
{
    const DisplayMode& mode = *GetModes()[static_cast<uint32_t>(modeIndex)];
    platform::Window* target = window.get();

    // The back buffer has the mode's size in full screen, the given size in
    // a window, and the window's own size when drawing into someone else's.
    int backWidth = mode.fullScreen ? mode.width : width;
    int backHeight = mode.fullScreen ? mode.height : height;
    if (target && target->Width() > 0 && target->Height() > 0 && (!mode.fullScreen || parentWindow != 0))
    {
        backWidth = target->Width();
        backHeight = target->Height();
    }

    std::string why;
    device = GLDevice::Create(target ? target->NativeDisplay() : nullptr,
                              target ? target->NativeWindow() : 0, backWidth, backHeight, &why);
    if (!device)
    {
        LogError("Невозможно создать устройство OpenGL. [%s]", why.c_str());
        return 1;
    }
    if (target)
        device->SetWindowSize(target->Width(), target->Height());
    LogInfo("Created HARDWARE VERTEXPROCESSING");
    LogInfo("COLOR BPP %d", mode.colorBits);
    LogInfo("Alpha BPP %d", mode.alphaBits);
    LogInfo("Depth BPP %d", mode.depthBits);
    LogInfo("Stencil BPP %d", mode.stencilBits);
    LogInfo("Samples %d", mode.samples);
    LogInfo("Vendor [%s]", device->Vendor().c_str());
    LogInfo("Driver [%s]", (device->RendererName() + " " + device->Version()).c_str());
    DetectCapabilities();
    SetBrightness(brightness);
    return 0;
}

int32_t GLRenderer::Shutdown()
{
    ReleaseDeviceObjects(device && device->MakeCurrent());
    device.reset();
    return 0;
}

void GLRenderer::ReleaseDeviceObjects(bool contextUsable)
{
    ReleaseTextures(contextUsable);
    ReleaseShaders(contextUsable);
    ReleaseQueries(contextUsable);
}

int32_t GLRenderer::Clear(uint32_t flags, const Vector4& colour, float depth, uint32_t stencil)
{
    if (flags & 1)
        clearColour = colour;
    if (device)
        device->Clear(flags, colour.x, colour.y, colour.z, colour.w, depth, stencil);
    return 0;
}

int32_t GLRenderer::BeginScene()
{
    if (!device)
        return 1;
    platform::Window* target = window.get();
    if (target && !target->IsAlive())
        device->ForceLoss();
    if (target)
        device->SetWindowSize(target->Width(), target->Height());
    if (!device->BeginScene())
    {
        // A lost device keeps nothing: every copy is made again on a new
        // device.
        ReleaseDeviceObjects(false);
        return 1;
    }
    ResetSceneState();
    // The scene begins on the whole back buffer.
    textureCache->viewportWidth = device->Width();
    textureCache->viewportHeight = device->Height();
    return 0;
}

int32_t GLRenderer::EndScene()
{
    if (!device)
        return 1;
    device->EndScene();
    return 0;
}

// The viewport being drawn (cameras take their aspect from it): a render
// target's while one is pushed, else the back buffer's as last set, the
// whole back buffer before the first.
int32_t GLRenderer::GetWidth()
{
    if (!device)
        return 0;
    const int width = textureCache->ViewportWidth();
    return textureCache->targets.empty() && width <= 0 ? device->Width() : width;
}

int32_t GLRenderer::GetHeight()
{
    if (!device)
        return 0;
    const int height = textureCache->ViewportHeight();
    return textureCache->targets.empty() && height <= 0 ? device->Height() : height;
}

int32_t GLRenderer::SetBrightness(int32_t level)
{
    brightness = level;
    if (device)
    {
        uint16_t ramp[256];
        BuildBrightnessRamp(level, ramp);
        device->SetGammaRamp(ramp);
    }
    return 0;
}

int32_t RegisterOpenGLModule()
{
    Ptr<StaticModule> module = new (std::nothrow) StaticModule(String("OpenGL"));
    if (!module)
        return 1;
    module->AddFunction(String("Initialize"), &ModuleNothing);
    module->AddFunction(String("Shutdown"), &ModuleNothing);
    module->AddFunction(String("CreateRenderer"), reinterpret_cast<ModuleFunction>(reinterpret_cast<void (*)()>(&CreateOpenGLRenderer)));
    return ModuleManager::RegisterModule(module.Get()) == 0 ? 0 : 1;
}
