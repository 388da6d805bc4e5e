#pragma once
#include "app/ScreensaverApp.h"
#include "engine/core/Ptr.h"

class Node;
class ScreensaverController;

// The spring show: its scene, hotkeys and the seven settings it adds to the
// common ones. Parts that later bring the scene, the message window and
// sound hang off the operations below.
class VernaliaScreensaver : public ScreensaverApp
{
public:
    // The additional settings, in storage and log order.
    enum Extra
    {
        kShowInformation,
        kShowNews,
        kShowQuotes,
        kFur,
        kShadows,
        kBloom,
        kWidescreen,
        kExtraCount,
    };

    VernaliaScreensaver(const String& commandLine, const Automation& automation);
    ~VernaliaScreensaver() override;

    void OnKey(const InputEvent& event) override;

    int32_t ApplyExtraDefaults() override;
    int32_t LogExtraSettings() override;
    int32_t ParseExtraDefault(const String& key, const String& value) override;
    int32_t ReadExtraSettings(platform::KeyStore& store) override;
    int32_t WriteExtraSettings(platform::KeyStore& store) override;
    int32_t LoadExtraLocalData() override;
    int32_t TerminateExtra() override;

    int32_t Update(double seconds) override;
    int32_t Render() override;
    int32_t CreateFadeEffect() override;
    int32_t ReleaseFadeEffect() override;
    int32_t CreateSceneData() override;
    int32_t DeleteSceneData() override;
    int32_t CacheSceneData() override;

    bool GetExtraDefault(Extra which) const { return extraDefault[which]; }
    bool GetExtraCurrent(Extra which) const { return extraCurrent[which]; }
    bool IsMuted() const { return muted; }
    float GetMessageDelay() const { return messageDelay; }
    uint32_t GetScreenshotRequests() const { return screenshotRequests; }
    // The scene's director, whose current set the fade follows; null
    // without a scene or when the scene has none.
    ScreensaverController* GetScreensaverController() const { return screensaverController; }

private:
    Ptr<Node> scene; // the root loaded from Main.STR
    ScreensaverController* screensaverController = nullptr; // held by the scene
    bool muted = false;
    bool extraDefault[kExtraCount] = {true, true, true, true, true, true, true};
    bool extraCurrent[kExtraCount] = {true, true, true, true, true, true, true};
    uint32_t screenshotRequests = 0; // F12 presses; the screenshot itself comes with the overlays
};
