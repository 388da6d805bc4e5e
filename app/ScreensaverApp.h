#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/Automation.h"
#include "app/Settings.h"
#include "engine/core/FpsCounter.h"
#include "engine/core/FrameTimer.h"
#include "engine/core/HashMap.h"
#include "engine/core/Matrix4.h"
#include "engine/core/Ptr.h"
#include "engine/core/String.h"
#include "engine/files/InputHandler.h"
#include "engine/render/Texture.h"
#include "engine/render/TextureEffect.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Triangles.h"

namespace platform { class KeyStore; class Window; }
class DialogModel;
enum class DialogMessage : int32_t;

// The common layer of a screensaver program: the mode from the command line,
// the fixed start-up and shutdown order, the settings and their storage, the
// frame loop and the input rules that end the show. A concrete screensaver
// fills in the scene, the hotkeys and its additional settings.
class ScreensaverApp : public InputHandler
{
public:
    // Every process has one application; dialog code reaches it here.
    static ScreensaverApp* GetInstance() { return instance; }

    // commandLine is the whole process command line, program name first
    // (quoted when it has blanks); automation comes from the environment.
    ScreensaverApp(const String& commandLine, const Automation& automation);
    ~ScreensaverApp() override;

    // lifecycle: each returns 0 on success, 1 on failure (logged)
    int32_t Create();
    int32_t Run();
    int32_t Shutdown();

    // input: the exit rules, then OnKey
    void OnInputEvent(const InputEvent& event) override;
    virtual void OnKey(const InputEvent& event) = 0;

    // the additional settings of the concrete screensaver
    virtual int32_t ApplyExtraDefaults() = 0;
    virtual int32_t LogExtraSettings() = 0;
    virtual int32_t ParseExtraDefault(const String& key, const String& value) = 0;
    virtual int32_t ReadExtraSettings(platform::KeyStore& store) = 0;
    virtual int32_t WriteExtraSettings(platform::KeyStore& store) = 0;
    virtual int32_t LoadExtraLocalData() = 0;
    virtual int32_t TerminateExtra() = 0;

    // the settings dialog (SettingsDialog.h): the additional controls
    virtual void ExtraDialogMessage(DialogModel& dialog, DialogMessage message, int32_t id) = 0;
    virtual void ShowExtraSettings(DialogModel& dialog) = 0;
    virtual int32_t DialogInitHook(DialogModel& dialog) = 0;

    // per frame and scene data
    virtual int32_t Update(double seconds) = 0;
    virtual int32_t Render() = 0;
    virtual int32_t CreateFadeEffect() = 0;
    virtual int32_t ReleaseFadeEffect() = 0;
    virtual int32_t CreateSceneData() = 0;
    virtual int32_t DeleteSceneData() = 0;
    virtual int32_t CacheSceneData() = 0;

    // start-up steps, in the order Create calls them
    void ParseCommandLine();
    int32_t LoadDefaults();
    int32_t ApplyDefaults();
    int32_t ReadSettings();
    int32_t WriteSettings();
    int32_t LogSettings();
    int32_t LoadLocalData();
    int32_t InitializeSystems();
    int32_t CreateWindows();
    int32_t CreateVisualData();
    int32_t ShowLoadingScreen();
    void DrawOverlays();
    // Draws text with the digit pictures, one character of w x h after the
    // other from (x, y), its bottom-left corner; a blank advances half a
    // character, a character without a picture repeats the last one.
    void DrawDigits(const char* text, float x, float y, float w, float h);
    // F12: the back buffer as "<pictures>/<AppName> ScreenShot<n>.jpg", n
    // the first number whose name is free. 0 saved; 1 nothing saved (logged
    // unless there was no picture to take).
    int32_t TakeScreenshot();
    int32_t DeleteVisualData();
    int32_t DestroyWindows();
    int32_t TerminateSystems();

    // The text of a user-interface key, or null; callers keep a built-in
    // fallback.
    const String* FindUiString(const String& key) const;

    // A private copy of resource ("MEDIADATA", number); false (logged) when
    // the executable has none.
    static bool LoadMediaResource(int32_t number, std::vector<char>& bytes);

    // Maps the square (0, 0)-(1, 1) onto the whole screen, (0, 0) at the
    // bottom left: rows (2, 0, 0, 0), (0, 2, 0, 0), (0, 0, 1, 0), (-1, -1, 0, 1).
    static Matrix4 OverlayProjection();
    // The overlay pictures in slot order, after the quad, effect and camera.
    enum OverlayPicture
    {
        kLoadingPicture,
        kCornerPictures,                      // bottom left, bottom right, top left, top right
        kDigitPictures = kCornerPictures + 4, // "0" to "9"
        kSignPictures = kDigitPictures + 10,  // ".", ":", "a", "p", "m"
        kOverlayPictureCount = kSignPictures + 5,
    };

    // The clock overlay's text for a local time, and the x of its left edge
    // that right-aligns it: "13:07:30", or "1:07:30 pm " in 12-hour form.
    static std::string ClockText(int32_t hour, int32_t minute, int32_t second, bool hour24, float& x);
    // The frame-rate overlay's text: the rate rounded up.
    static std::string FrameRateText(float rate);
    // Creates "<folder>/<base> ScreenShot<n>.jpg" for the first n with no
    // such file, exclusively, so a file made meanwhile is never taken over;
    // path receives the name. 0; 1 (logged) when the folder refuses files.
    static int32_t ReserveScreenshotName(const std::string& folder, const std::string& base, std::string& path);

    // state, for the concrete layer and tests
    ScreensaverMode GetMode() const { return mode; }
    unsigned long GetParentWindow() const { return parentWindow; }
    unsigned long GetTargetWindow() const { return targetWindow; }
    bool IsRunning() const { return running; }
    void StopRunning() { running = false; }
    const Settings& GetDefaults() const { return defaults; }
    const Settings& GetCurrent() const { return current; }
    Settings& GetCurrent() { return current; }
    const String& GetRegistryPath() const { return registryPath; }
    const String& GetWebSiteUrl() const { return webSiteUrl; }
    int32_t GetMouseMoveAllowance() const { return mouseMoveAllowance; }
    const Automation& GetAutomation() const { return automation; }
    uint64_t GetFrameCount() const { return frameCount; }
    // Why the last WriteSettings failed, for the settings dialog's message.
    const std::string& GetStoreError() const { return storeError; }

protected:
    // Makes the overlay camera current, its view the identity and its
    // projection the overlay one; returns the camera it replaced (held),
    // for the caller to make current again. Null camera without visual data.
    Ptr<Camera> UseOverlayCamera();
    // Scales the unit quad to width x height with its bottom-left corner at
    // (x, y), world transform included, ready to draw.
    void PlaceOverlayQuad(float x, float y, float width, float height);

    String commandLine;
    Automation automation;

    ScreensaverMode mode = kModeConfigure;
    unsigned long parentWindow = 0;       // from the command line (modes 0, 3, 4)
    unsigned long targetWindow = 0;       // a window to draw the show into (-root, -window-id, $XSCREENSAVER_WINDOW)
    String registryPath{"Software\\HALCYONE Studio\\Test Screensaver"};
    String webSiteUrl{"https://vernalia.brightfold.example/"};
    Settings defaults;
    Settings current;
    HashMap<String, String> uiStrings;
    std::unique_ptr<platform::Window> window; // the preview child window (mode 0)
    bool running = false;
    int32_t screenWidth = 800;
    int32_t screenHeight = 600;
    FrameTimer frameTimer;
    FpsCounter fpsCounter;
    // The overlay slots: the unit quad every screen-space picture and the
    // fade are drawn with, its textured effect, the camera that draws it,
    // and the pictures.
    Ptr<Triangles> overlayQuad;
    Ptr<TextureEffect> overlayEffect;
    Ptr<Camera> overlayCamera;
    Ptr<Texture> overlayPictures[kOverlayPictureCount];
    double totalTime = 0.0;

    // seconds until the message window starts; F and F1 start it at once
    float messageDelay = 10.0f;
    // mouse moves tolerated before one ends the show
    int32_t mouseMoveAllowance = 10;

private:
    // Parses the table's "key = value" lines into defaults.
    int32_t ParseDefault(const String& key, const String& value);
    int32_t RunShow();
    void LoadCodecs();
    int32_t RunPreview();
    // Mode 3: the settings dialog, modal, owned by parentWindow.
    int32_t RunConfiguration();
    void FindTargetWindow();

    uint64_t frameCount = 0;
    std::string storeError;

    static ScreensaverApp* instance;
};
