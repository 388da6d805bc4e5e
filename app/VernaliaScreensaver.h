#pragma once
#include "app/ScreensaverApp.h"
#include "engine/core/Ptr.h"
#include "engine/render/ColorEffect.h"
#include "info/MessageWindow.h"

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

    // the additional boxes of the settings dialog (VernaliaScreensaverDialog.cpp)
    void ExtraDialogMessage(DialogModel& dialog, DialogMessage message, int32_t id) override;
    void ShowExtraSettings(DialogModel& dialog) override;
    int32_t DialogInitHook(DialogModel& dialog) override;

    int32_t Update(double seconds) override;
    int32_t Render() override;
    int32_t CreateFadeEffect() override;
    int32_t ReleaseFadeEffect() override;
    int32_t CreateSceneData() override;
    int32_t DeleteSceneData() override;
    int32_t CacheSceneData() override;

    // The black over the frame at a moment of a camera set: above 1 while
    // the set waits for its fadeStart (full black), falling from 1 to 0 over
    // the second after it, 0 until the last second of the set, then rising
    // to 1 at its end; the end wins where the two seconds meet. Never NaN:
    // a time that is NaN counts as outside both seconds.
    static double FadeAlpha(double elapsed, double fadeStart, double duration);
    // Render's overlay part: the overlay camera in place of the scene's,
    // the quad over the whole screen drawn in black of this alpha (clamped
    // to 1; nothing at 0 or below), then the scene's camera back. 0.
    int32_t DrawFade(double alpha);
    // The visual settings on a loaded scene: every ShadowmapEffect goes
    // without device shadow maps or with shadows off; every bloom gives its
    // place to a plain PostRenderEffect with bloom off; every post-render
    // effect's film follows widescreen.
    static void ApplyVisualSettings(Node& scene, bool shadowMaps, bool shadows, bool bloom, bool widescreen);

    bool GetExtraDefault(Extra which) const { return extraDefault[which]; }
    bool GetExtraCurrent(Extra which) const { return extraCurrent[which]; }
    bool IsMuted() const { return muted; }
    MessageWindow* GetMessageWindow() const { return messageWindow.Get(); }
    const String& GetFeedServer() const { return feedServer; }

    // The message groups, by the names the hotkeys and the help use.
    static constexpr const char* kFactsGroup = "Interesting facts about Vernalia";
    static constexpr const char* kNewsGroup = "BBC News";
    static constexpr const char* kQuotesGroup = "Quotes";

    // The message window with its font, its three groups in order (the
    // facts file, the news and the quotes feeds on the feed server), the
    // footer, and each group on by its setting. 0; 2 out of memory.
    int32_t CreateMessageWindow();
    // The hotkey help in the message window, shown at once fully; without
    // force only while the help is showing (to refresh its states).
    void ShowHelp(bool force);
    float GetMessageDelay() const { return messageDelay; }
    // The scene's director, whose current set the fade follows; null
    // without a scene or when the scene has none.
    ScreensaverController* GetScreensaverController() const { return screensaverController; }

private:
    // The fade of this frame from the show director's current set; false
    // (no fade) while the scene has none, no set is chosen or the run is
    // pinned to one camera.
    bool GetFade(double& alpha) const;

    Ptr<Node> scene; // the root loaded from Main.STR
    Ptr<ColorEffect> fadeEffect; // black over the whole screen between camera sets
    ScreensaverController* screensaverController = nullptr; // held by the scene
    bool muted = false;
    bool extraDefault[kExtraCount] = {true, true, true, true, true, true, true};
    bool extraCurrent[kExtraCount] = {true, true, true, true, true, true, true};
    Ptr<MessageWindow> messageWindow; // the facts, news and quotes, and the help
    // The feeds' server: the defaults table's "feed_server_url", else ours.
    String feedServer{"http://feeds.vernalia.brightfold.example"};
};
