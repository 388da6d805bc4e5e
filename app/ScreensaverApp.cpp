#include "app/ScreensaverApp.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "app/AboutBox.h"
#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/files/CodecManager.h"
#include "engine/files/FileManager.h"
#include "engine/files/InputManager.h"
#include "engine/files/ModuleManager.h"
#include "engine/render/Renderer.h"
#include "platform/CodePage.h"
#include "platform/GtkDialog.h"
#include "platform/Window.h"
#include "platform/WindowPicture.h"
#include "sound/SoundManager.h"

namespace
{

// The show runs this long without a display when no frame limit is given,
// so an unattended run ends by itself.
constexpr double kHeadlessSeconds = 5.0;

const char* kPreviewClassName = "HALCYONESTUDIO 3D SCREENSAVER APPLICATION";
const char* kDefaultTitle = "3D SCREENSAVER";

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

ScreensaverApp* ScreensaverApp::instance = nullptr;

ScreensaverApp::ScreensaverApp(const String& commandLine, const Automation& automation)
    : InputHandler(String("ScreensaverApp")), commandLine(commandLine), automation(automation)
{
    instance = this;
}

ScreensaverApp::~ScreensaverApp()
{
    if (instance == this)
        instance = nullptr;
}

void ScreensaverApp::ParseCommandLine()
{
    const char* text = commandLine.CStr();
    const char* p = text;

    // Skip the program name: a quoted one whole, else up to the first blank;
    // then one blank.
    if (*p == '"')
    {
        ++p;
        while (*p && *p != '"')
            ++p;
        if (*p == '"')
            ++p;
    }
    else
    {
        while (*p && *p != ' ')
            ++p;
    }
    if (*p == ' ')
        ++p;

    parentWindow = 0;
    if (!*p)
    {
        mode = kModeConfigure;
        return;
    }
    while (*p && *p != '/' && *p != '-')
        ++p;
    if (!*p)
    {
        mode = kModeConfigure;
        return;
    }

    char letter = p[1];
    if (letter < 'A' || letter > 't')
    {
        mode = kModeShow;
        return;
    }
    switch (letter)
    {
    case 'A': case 'a': mode = kModePassword; break;
    case 'C': case 'c': mode = kModeConfigure; break;
    case 'P': case 'p': mode = kModePreview; break;
    case 'T': case 't': mode = kModeShowT; break;
    default: mode = kModeShow; return;
    }
    if (mode == kModeShowT)
        return;

    // "/p 1234", "/c:1234" and "/P1234" all name window 1234.
    const char* digits = p + 2;
    while (*digits && !IsDigit(*digits))
        ++digits;
    if (*digits)
        parentWindow = static_cast<unsigned long>(std::atol(digits));
}

void ScreensaverApp::FindTargetWindow()
{
    // A screen saver daemon names the window to draw in: "-root", or
    // "-window-id ID", or the XSCREENSAVER_WINDOW variable.
    targetWindow = 0;
    std::string line = commandLine.CStr();
    // Newer daemons write the options with two dashes.
    for (size_t at = line.find(" --"); at != std::string::npos; at = line.find(" --", at + 1))
        line.erase(at + 1, 1);
    size_t at = line.find(" -window-id ");
    if (at != std::string::npos)
        targetWindow = std::strtoul(line.c_str() + at + 12, nullptr, 0);
    else if (line.find(" -root") != std::string::npos && !Renderer::IsHeadless())
        targetWindow = platform::ResolveRootWindow();
    else if (const char* variable = std::getenv("XSCREENSAVER_WINDOW"))
        targetWindow = std::strtoul(variable, nullptr, 0);
    if (targetWindow != 0)
        LogInfo("Показ выводится в окно [0x%lx].", targetWindow);
}

int32_t ScreensaverApp::Create()
{
    ParseCommandLine();
    LogInfo("Режим скринсейвера %d.", mode);

    if (LoadDefaults() != 0)
    {
        LogError("Невозможно загрузить значения параметров по-умолчанию.");
        return 1;
    }
    LogInfo("Значения параметров по-умолчанию загружены.");

    if (ApplyDefaults() != 0)
    {
        LogError("Невозможно установить значения параметров по-умолчанию.");
        return 1;
    }
    LogInfo("Значения параметров по-умолчанию установлены.");

    if (ReadSettings() != 0)
    {
        // Only the configuration mode has a user looking at the screen.
        if (mode == kModeConfigure)
            platform::ShowMessageBox("Error", platform::Utf8ToCp1251(storeError), parentWindow);
        LogError("Невозможно прочитать значения параметров из реестра.");
        return 1;
    }
    LogInfo("Значения параметров прочитаны из реестра.");

    if (LogSettings() != 0)
        LogError("Невозможно вывести значения параметров.");

    if (LoadLocalData() != 0)
    {
        LogError("Невозможно загрузить значения локальных данных.");
        return 1;
    }
    LogInfo("Значения локальных данных загружены.");

    if (InitializeSystems() != 0)
    {
        LogError("Невозможно инициализировать скринсейвер.");
        return 1;
    }
    LogInfo("Скринсейвер инициализирован.");

    if (CreateWindows() != 0)
    {
        LogError("Невозможно создать окна скринсейвера.");
        return 1;
    }
    LogInfo("Окна скринсейвера созданы.");

    Renderer* renderer = GetRenderer();
    if (renderer && mode != kModePassword)
    {
        int32_t index = renderer->GetCurrentMode();
        if (index >= 0 && static_cast<uint32_t>(index) < renderer->GetModes().Count())
        {
            screenWidth = renderer->GetModes()[static_cast<uint32_t>(index)]->width;
            screenHeight = renderer->GetModes()[static_cast<uint32_t>(index)]->height;
        }
    }

    if (mode == kModeShow || mode == kModeShowT)
    {
        renderer->SetBrightness(current.gamma);
        // A negative setting reaches SetVolume as a large value: full volume.
        SoundManager::SetVolume(current.music || current.sfx ? static_cast<uint32_t>(current.volume) : 0u);
        if (CreateVisualData() != 0)
        {
            LogError("Невозможно создать данные визуализации.");
            return 1;
        }
        if (ShowLoadingScreen() != 0)
        {
            LogError("Невозможно вывести загрузочный экран.");
            return 1;
        }
        if (CreateSceneData() != 0)
        {
            LogError("Невозможно создать данные скринсейвера.");
            return 1;
        }
        if (CacheSceneData() != 0)
        {
            LogError("Невозможно закэшировать данные скринсейвера.");
            return 1;
        }
    }
    running = true;
    return 0;
}

int32_t ScreensaverApp::InitializeSystems()
{
    if (mode != kModePassword)
    {
        if (automation.headless)
        {
            Renderer::SetHeadless(true);
            LogInfo("Показ идёт без дисплея: кадры рисуются вне экрана (VERNALIA_HEADLESS).");
        }
        else if (!platform::DisplayAvailable())
        {
            Renderer::SetHeadless(true);
            LogInfo("Дисплей X недоступен: показ идёт без дисплея, кадры рисуются вне экрана.");
        }
        // Before the renderer is made: it makes its modes from the desktop.
        if (automation.desktopWidth > 0)
            Renderer::SetHeadlessDesktopSize(automation.desktopWidth, automation.desktopHeight);
        if (automation.seedFixed)
            SetEngineRandomSeed(automation.seed);

        if (InitializeEngine() != 0)
        {
            LogError("Невозможно инициализировать движок.");
            return 1;
        }
        if (CreateRenderer(String("OpenGL")) != 0)
        {
            LogError("Невозможно создать рендерер DirectX.");
            return 1;
        }
        LoadCodecs();
        if (FileManager::LoadArchiveResource(134, String("CustomData.rar2"), String()) != 0)
        {
            LogError("Невозможно подсоединить директорию CustomData.");
            return 1;
        }
        if (mode == kModeShow || mode == kModeShowT)
        {
            if (FileManager::LoadArchiveResource(227, String("Media.rar2"), String()) != 0)
            {
                LogError("Невозможно подсоединить директорию Media.");
                return 1;
            }
            if (InputManager::RegisterInputHandler(this) != 0)
            {
                LogError("Невозможно зарегистрировать обработчик событий.");
                return 1;
            }
        }
    }
    return LoadExtraLocalData();
}

void ScreensaverApp::LoadCodecs()
{
    // The show needs every codec; the preview and the settings dialog only
    // pictures and archives. Results are not checked here: a missing codec
    // shows when its file fails to load.
    const bool show = mode == kModeShow || mode == kModeShowT;
    const std::vector<const char*> names =
        show ? std::vector<const char*>{"BMPImageCodec", "JPGImageCodec", "TGAImageCodec", "CUBEImageCodec",
                                        "STRSceneCodec", "RAR2FileCodec"}
             : std::vector<const char*>{"BMPImageCodec", "JPGImageCodec", "RAR2FileCodec"};
    Module* module = nullptr;
    for (const char* name : names)
        ModuleManager::LoadModule(String(name), &module);
    Codec* codec = nullptr;
    for (const char* name : names)
        CodecManager::GetCodec(String(name), &codec);
}

int32_t ScreensaverApp::CreateWindows()
{
    if (mode == kModePreview)
    {
        const String* name = FindUiString(String("AppName"));
        platform::WindowDesc desc;
        desc.title = name ? name->CStr() : kPreviewClassName;
        desc.fullScreen = false;
        desc.parent = parentWindow;
        // Without a parent the child stands alone at (100, 100), 50 x 50.
        desc.x = 100;
        desc.y = 100;
        desc.width = 50;
        desc.height = 50;
        std::string why;
        if (Renderer::IsHeadless())
            why = "no display";
        else
            window = platform::Window::Create(desc, &why);
        if (!window)
        {
            LogError("Невозможно создать окно предпросмотра. [%s]", why.c_str());
            return 1;
        }
        return 0;
    }
    if (mode != kModeShow && mode != kModeShowT)
        return 0;

    Renderer* renderer = GetRenderer();
    const Array<std::unique_ptr<DisplayMode>>& modes = renderer->GetModes();
    int32_t chosen = renderer->GetDesktopMode();
    if (!current.useDesktopSettings)
    {
        for (uint32_t i = 0; i < modes.Count(); ++i)
        {
            const DisplayMode& candidate = *modes[i];
            if (candidate.fullScreen && candidate.width >= 640 && candidate.height >= 480 &&
                candidate.width == current.width && candidate.height == current.height &&
                candidate.colorBits == current.colorDepth)
            {
                chosen = static_cast<int32_t>(i);
                break;
            }
        }
    }
    if (chosen == -1)
    {
        LogError("Невозможно найти подходящий видео режим.");
        return 1;
    }

    FindTargetWindow();
    const String* title = FindUiString(String("AppName"));
    if (renderer->OpenWindow(chosen, title ? *title : String(kDefaultTitle), targetWindow, 0, 0, 640, 480) != 0)
    {
        LogError("Невозможно создать окно выбранного режима.");
        return 1;
    }
    // The sound device again, now for the show's window (the library needs
    // no window of ours), and the show's roll-off.
    SoundManager::StartDevice(0);
    SoundManager::Calls().Set3DFactors(1.0f, 10.0f, 1.0f);
    SoundManager::Calls().Apply3D();
    renderer->SetCursorVisible(false);
    return 0;
}

int32_t ScreensaverApp::Run()
{
    switch (mode)
    {
    case kModeConfigure:
        LogInfo("Запущен режим конфигурирования.");
        return RunConfiguration();
    case kModePreview:
        return RunPreview();
    case kModeShow:
    case kModeShowT:
        return RunShow();
    default:
        return 0;
    }
}

int32_t ScreensaverApp::RunPreview()
{
    // The preview shares the machine with the settings window it sits in.
    setpriority(PRIO_PROCESS, 0, 19);
    // Decoded once; a missing picture leaves the preview black (logged).
    platform::DialogPicture picture;
    const bool decoded = LoadDialogPicture("preview.bmp", picture);
    platform::WindowPicture painter(decoded ? &picture : nullptr);
    std::vector<platform::WindowEvent> events;
    while (running)
    {
        events.clear();
        platform::PumpWindowEvents(events);
        for (const platform::WindowEvent& event : events)
            if (event.type == platform::WindowEvent::Type::Close)
                running = false;
        if (window && !window->IsAlive())
            running = false;
        if (running && window && !painter.Update(*window))
        {
            LogInfo("Окно предпросмотра исчезло во время рисования.");
            running = false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return 0;
}

int32_t ScreensaverApp::RunShow()
{
    Renderer* renderer = GetRenderer();
    const bool limitByTime = Renderer::IsHeadless() && automation.frameLimit < 0;
    if (limitByTime)
        LogInfo("Показ без дисплея закончится через %d сек.", static_cast<int>(kHeadlessSeconds));
    const auto started = std::chrono::steady_clock::now();
    const InputEvent endKey{InputEvent::kKeyboard, InputEvent::kPress, EngineKey::kNone, 0};
    if (automation.frameLimit == 0)
        InputManager::AddInputEvent(endKey);

    frameTimer.Reset();
    frameTimer.Start();
    while (running)
    {
        automation.PressKeys(frameCount + 1);
        if (InputManager::ProcessInput() != 0)
        {
            LogError("Неудачна обработка ввода.");
            return 1;
        }
        if (!running)
            break;

        double seconds = frameTimer.GetSeconds();
        if (automation.timeStep >= 0.0)
            seconds = automation.timeStep;
        fpsCounter.Tick(seconds);
        totalTime += seconds;

        if (Update(seconds) != 0)
        {
            LogError("Неудачно обновление сцены.");
            return 1;
        }
        renderer->Clear(3, Vector4{0.0f, 0.0f, 0.0f, 1.0f}, 1.0f, 0);
        if (renderer->BeginFrame() != 0)
        {
            LogError("Неудачно начало рендеринга.");
            return 1;
        }
        if (Render() != 0)
        {
            LogError("Неудачен рендеринг.");
            return 1;
        }
        DrawOverlays();
        renderer->EndFrame();

        // Automated runs end the way a user would: with a key press that
        // the next frame's input delivers.
        ++frameCount;
        bool limitReached = automation.frameLimit >= 0 && frameCount >= static_cast<uint64_t>(automation.frameLimit);
        bool timeUp = limitByTime && std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count() >= kHeadlessSeconds;
        if (limitReached || timeUp)
            InputManager::AddInputEvent(endKey);
        automation.AfterFrame(renderer, frameCount);
    }
    automation.AfterShow(renderer, frameCount);
    return 0;
}

void ScreensaverApp::OnInputEvent(const InputEvent& event)
{
    if (event.device == InputEvent::kMouse && event.action == InputEvent::kPress)
        running = false;
    if (event.device == InputEvent::kMouse && event.action == InputEvent::kMove && current.exitOnMouseMove)
    {
        if (--mouseMoveAllowance < 0)
            running = false;
    }
    if (event.device == InputEvent::kSystem && event.action == InputEvent::kClose && event.code == 0)
        running = false;
    OnKey(event);
}

int32_t ScreensaverApp::Shutdown()
{
    int32_t result = 0;
    if (mode == kModeShow || mode == kModeShowT)
    {
        if (DeleteSceneData() != 0)
        {
            LogError("Невозможно удалить данные скринсейвера.");
            result = 1;
        }
        if (DeleteVisualData() != 0)
        {
            LogError("Невозможно удалить данные визуализации.");
            result = 1;
        }
    }
    if (DestroyWindows() != 0)
    {
        LogError("Невозможно удалить окна скринсейвера.");
        result = 1;
    }
    else
        LogInfo("Окна скринсейвера удалены.");

    if (TerminateSystems() != 0)
    {
        LogError("Невозможно завершить работу скринсейвера.");
        result = 1;
    }
    else
        LogInfo("Скринсейвер завершил работу.");
    return result;
}

int32_t ScreensaverApp::DestroyWindows()
{
    if (mode == kModePreview && window)
    {
        window->SetCursorVisible(true);
        window.reset();
    }
    return 0;
}

int32_t ScreensaverApp::TerminateSystems()
{
    int32_t result = TerminateExtra() == 0 ? 0 : 1;
    if (mode != kModePassword)
    {
        if (DestroyRenderer() != 0)
        {
            LogError("Невозможно удалить рендерер DirectX.");
            result = 1;
        }
        if (TerminateEngine() != 0)
        {
            LogError("Невозможно завершить работу движка.");
            result = 1;
        }
    }
    return result;
}
