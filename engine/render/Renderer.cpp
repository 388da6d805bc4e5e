#include "engine/render/Renderer.h"

#include <algorithm>
#include <new>
#include <utility>

#include "engine/core/Log.h"
#include "engine/files/Module.h"
#include "engine/files/ModuleManager.h"
#include "engine/scene/Camera.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/Light.h"
#include "engine/scene/PostUpdateController.h"
#include "engine/scene/WindowPlane.h"

namespace
{

Ptr<Renderer> currentRenderer;
bool headlessRendering = false;
// The desktop a renderer without a display pretends to have.
int32_t headlessDesktopWidth = 1024;
int32_t headlessDesktopHeight = 768;
// Turns the sound listener each frame; null while no sound manager runs.
Renderer::ListenerHook listenerHook = nullptr;

struct Size
{
    int32_t width;
    int32_t height;
};

// Sizes offered besides the desktop's own, when they fit on it.
constexpr Size kCommonSizes[] = {
    {640, 480},   {800, 600},   {1024, 768},  {1152, 864},  {1280, 720},  {1280, 800},
    {1280, 1024}, {1366, 768},  {1440, 900},  {1600, 900},  {1600, 1200}, {1680, 1050},
    {1920, 1080}, {1920, 1200}, {2560, 1440}, {2560, 1600}, {3840, 2160},
};

} // namespace

Renderer::Renderer() : preRender(4, 4), transparent(16, 16), windowPlanes(4, 4), lights(8, 8)
{
}

Renderer::~Renderer() = default;

void Renderer::SetHeadless(bool headless)
{
    headlessRendering = headless;
}

bool Renderer::IsHeadless()
{
    return headlessRendering;
}

void Renderer::SetHeadlessDesktopSize(int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0)
        return;
    headlessDesktopWidth = width;
    headlessDesktopHeight = height;
}

void Renderer::GetHeadlessDesktopSize(int32_t& width, int32_t& height)
{
    width = headlessDesktopWidth;
    height = headlessDesktopHeight;
}

void Renderer::SetModule(Module* owner)
{
    module = owner;
}

int32_t Renderer::EnumerateModes(int32_t desktopWidth, int32_t desktopHeight)
{
    modes.Clear();
    desktopMode = -1;

    Array<Size> sizes(8, 8);
    bool listed = true;
    for (const Size& size : kCommonSizes)
        if (size.width <= desktopWidth && size.height <= desktopHeight &&
            !(size.width == desktopWidth && size.height == desktopHeight))
            listed = listed && sizes.Append(size) == 0;
    listed = listed && sizes.Append({desktopWidth, desktopHeight}) == 0;
    std::stable_sort(sizes.begin(), sizes.end(), [](const Size& a, const Size& b) {
        return a.width != b.width ? a.width < b.width : a.height < b.height;
    });

    for (const Size& size : sizes)
    {
        for (int32_t bits : {16, 32})
        {
            std::unique_ptr<DisplayMode> mode(listed ? new (std::nothrow) DisplayMode() : nullptr);
            if (!mode)
                return ForgetModes();
            mode->width = size.width;
            mode->height = size.height;
            mode->colorBits = bits;
            mode->depthBits = bits == 16 ? 16 : 24;
            mode->stencilBits = bits == 16 ? 0 : 8;
            if (bits == 32 && size.width == desktopWidth && size.height == desktopHeight)
                desktopMode = static_cast<int32_t>(modes.Count());
            if (modes.Append(std::move(mode)) != 0)
                return ForgetModes();
        }
    }
    return 0;
}

int32_t Renderer::ForgetModes()
{
    LogError("Недостаточно памяти для списка видеорежимов.");
    modes.Clear();
    desktopMode = -1;
    return 2;
}

int32_t Renderer::OpenWindow(int32_t modeIndex, const String& title, unsigned long parentWindow,
                             int32_t x, int32_t y, int32_t width, int32_t height)
{
    if (windowOpen && CloseWindow() != 0)
    {
        LogError("Закрытие окна неудачно.");
        return 1;
    }
    if (modeIndex < 0 || static_cast<uint32_t>(modeIndex) >= modes.Count())
        return 3;

    const DisplayMode& mode = *modes[static_cast<uint32_t>(modeIndex)];
    if (!headlessRendering && OpenDeviceWindow(mode, title, parentWindow, x, y, width, height) != 0)
        return 1;
    windowOpen = true;
    currentMode = modeIndex;
    return Initialize(modeIndex, title, parentWindow, x, y, width, height);
}

int32_t Renderer::CloseWindow()
{
    if (!windowOpen)
        return 3;
    camera = nullptr;
    geometry = nullptr;
    int32_t result = Shutdown() == 0 ? 0 : 1;
    CloseDeviceWindow();
    windowOpen = false;
    currentMode = -1;
    return result;
}

int32_t Renderer::BeginFrame()
{
    if (!camera)
    {
        Camera* created = new (std::nothrow) Camera();
        if (!created)
            return 1;
        SetCamera(created);
    }
    // Time 0: the camera's world transform and matrices become current
    // without advancing its controllers.
    camera->UpdateWorldData(0.0);
    camera->ResetCulling();

    const int32_t result = BeginScene();
    if (result != 0)
        return result;

    // Taken out first: a controller that queues itself again while it runs
    // waits for the next frame.
    Array<Ptr<PostUpdateController>> queued = std::move(preRender);
    preRender = Array<Ptr<PostUpdateController>>(4, 4);
    for (const Ptr<PostUpdateController>& controller : queued)
        controller->PostUpdate();
    if (listenerHook)
        listenerHook(camera->GetForward(), camera->GetUp());
    return 0;
}

void Renderer::SetListenerHook(ListenerHook hook)
{
    listenerHook = hook;
}

int32_t Renderer::EndFrame()
{
    FlushTransparent();
    geometry = nullptr;
    return EndScene();
}

void Renderer::SetCamera(Camera* newCamera)
{
    camera = newCamera;
    if (camera)
        camera->ResetCulling();
}

void Renderer::SetGeometry(GeometryNode* node)
{
    geometry = node;
}

void Renderer::QueuePreRender(PostUpdateController* controller)
{
    if (!controller)
        return;
    for (const Ptr<PostUpdateController>& queued : preRender)
        if (queued.Get() == controller)
            return;
    preRender.Append(Ptr<PostUpdateController>(controller));
}

void Renderer::QueueTransparent(GeometryNode* node)
{
    if (!node)
        return;
    if (node->IsDerived(WindowPlane::TYPE))
    {
        windowPlanes.Append(Ptr<GeometryNode>(node));
        return;
    }
    float squaredDistance = 0.0f;
    if (camera && node->GetWorldBound())
    {
        Vector3 center;
        node->GetWorldBound()->GetCenter(center);
        squaredDistance = (center - camera->GetPosition()).SquaredLength();
    }
    transparent.Append(TransparentEntry{Ptr<GeometryNode>(node), squaredDistance});
}

void Renderer::FlushTransparent()
{
    // Taken out first, so whatever drawing queues meanwhile waits for the
    // next flush instead of moving the arrays under the loops.
    Array<TransparentEntry> sorted = std::move(transparent);
    transparent = Array<TransparentEntry>(16, 16);
    std::stable_sort(sorted.begin(), sorted.end(), [](const TransparentEntry& a, const TransparentEntry& b) {
        return a.squaredDistance > b.squaredDistance;
    });
    for (const TransparentEntry& entry : sorted)
        entry.node->DrawDeferred(*this);

    Array<Ptr<GeometryNode>> planes = std::move(windowPlanes);
    windowPlanes = Array<Ptr<GeometryNode>>(4, 4);
    for (const Ptr<GeometryNode>& plane : planes)
        plane->DrawDeferred(*this);
}

void Renderer::PushLight(Light* light)
{
    if (!light)
        return;
    lights.Append(light);
    EnableLight(light);
}

void Renderer::PopLight()
{
    if (lights.IsEmpty())
        return;
    lights.RemoveAt(lights.Count() - 1);
    DisableLight();
}

void Renderer::PopAllLights()
{
    while (!lights.IsEmpty())
        PopLight();
}

int32_t CreateRenderer(const String& moduleName)
{
    Module* module = nullptr;
    if (ModuleManager::LoadModule(moduleName, &module) != 0 || !module)
    {
        LogError("Невозможно загрузить библиотеку рендерера [%s].", moduleName.CStr());
        return 3;
    }
    CreateRendererFunction create = nullptr;
    if (module->GetFunctionAs(&create, String("CreateRenderer")) != 0)
    {
        LogError("В модуле не найдена функция создания рендерера [%s].", moduleName.CStr());
        return 3;
    }
    Renderer* renderer = nullptr;
    if (create(&renderer) != 0 || !renderer)
    {
        LogError("Создание рендерера [%s] неудачно.", moduleName.CStr());
        return 1;
    }
    renderer->SetModule(module);
    currentRenderer = renderer;
    return 0;
}

int32_t DestroyRenderer()
{
    if (currentRenderer)
        currentRenderer->SetCamera(nullptr);
    currentRenderer = nullptr;
    return 0;
}

Renderer* GetRenderer()
{
    return currentRenderer.Get();
}

int32_t Renderer::GetWorldMatrix(Matrix4& out)
{
    out = worldTransform;
    return 0;
}

int32_t Renderer::GetViewMatrix(Matrix4& out)
{
    out = viewTransform;
    return 0;
}

int32_t Renderer::GetProjectionMatrix(Matrix4& out)
{
    out = projectionTransform;
    return 0;
}

int32_t Renderer::GetTextureMatrix(Matrix4& out, uint32_t stage)
{
    if (stage >= 8)
        return 3;
    out = textureTransform[stage];
    return 0;
}
