#pragma once
#include <cstdint>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/core/RefCounted.h"
#include "engine/core/String.h"
#include "info/MessageSource.h"

class Camera;
class MSFont;
class Renderer;
class Texture;
class TextureEffect;
class Triangles;

// The small window in the top-left corner of the show: every cycle it opens,
// fades a message in from the next source that has one, keeps it, fades it
// out and closes. Drawn in the overlay square ((0, 0)-(1, 1) over the whole
// screen, y up); its texts are text nodes of the font, in text units.
class MessageWindow : public RefCounted
{
public:
    // Where the panel's top-left corner sits and its full size, in the
    // overlay square; while it opens it is first this high.
    static constexpr float kPanelX = 0.02f;
    static constexpr float kPanelTop = 0.98f;
    static constexpr float kFullWidth = 0.31f;
    static constexpr float kFullHeight = 0.30f;
    static constexpr float kOpeningHeight = 0.05f;

    // font draws every text (may be null: no texts); background is the
    // panel's picture (null: an untextured panel).
    MessageWindow(MSFont* font, Texture* background);
    ~MessageWindow() override;

    // Appends a group, asked after those added before.
    void AddSource(MessageSource* source);
    // Replaces the font and builds the texts again with it.
    void SetFont(MSFont* newFont);
    // The line at the bottom of the panel ("Help - F1 ...").
    void SetFooter(const String& text);
    // SetEnabled of the first group of exactly that name; nothing when none.
    void SetGroupEnabled(const String& name, bool enabled);
    // IsEnabled of that group; false when none.
    bool IsGroupEnabled(const String& name);

    // Asks the groups in turn from the one after the last asked until one
    // gives a message the panel can hold; false (the message as it was)
    // when none does.
    bool NextMessage();
    // The next message, shown at once fully (the F key).
    bool Skip();
    // Shows this text at once fully (the help).
    void ShowText(const String& title, const String& body);
    // Builds the title and body texts of the current message to fit the
    // full panel; false when the body does not fit.
    bool Layout();

    // The screen the overlay square stretches over: text keeps its shape,
    // so the panel's width in text units follows the aspect.
    void SetScreenSize(int32_t width, int32_t height);

    // Per frame: the groups' updates, the cycle, the panel's size and the
    // texts' alpha. Seconds that are negative or not finite count as 0.
    void Update(float seconds);
    // Draws the panel and its texts through the overlay camera, each text
    // placed by its projection; the camera and its projection are given
    // back as they were.
    void Draw(Renderer& renderer, Camera& overlayCamera);

    // seconds into the current cycle
    float GetTimer() const { return timer; }
    // the timer value at which a message is fully shown
    float GetShownTime() const { return openWidthTime + openHeightTime + fadeTime; }
    float GetCycle() const { return cycle; }
    const Message& GetMessage() const { return message; }
    float GetPanelWidth() const { return panelWidth; }
    float GetPanelHeight() const { return panelHeight; }
    float GetTextAlpha() const { return alpha; }
    Triangles* GetPanel() const { return panel.Get(); }
    Triangles* GetTitleText() const { return titleText.Get(); }
    Triangles* GetBodyText() const { return bodyText.Get(); }
    Triangles* GetFooterText() const { return footerText.Get(); }

    // The largest body text area of the full panel, in text units.
    float GetBodyWidth() const;
    float GetBodyHeight() const;

private:
    struct Texts
    {
        Ptr<Triangles> title;
        Ptr<Triangles> body;
    };
    // The texts of a message; false when the body does not fit.
    bool Build(const Message& shown, Texts& texts) const;
    // The panel at this size: its nine pieces rebuilt when it changed.
    void SetPanelSize(float width, float height);
    // The panel's width in text units at the full size.
    float FullWidthUnits() const;
    void SetTextAlpha(float value);

    float timer = 0.0f;
    float cycle = 70.0f;
    float openWidthTime = 0.2f;
    float openHeightTime = 1.0f;
    float fadeTime = 0.7f;
    float showTime = 20.0f;
    std::vector<Ptr<MessageSource>> sources;
    uint32_t currentSource = 0;
    Ptr<Triangles> panel; // "Window": nine pieces, so the border keeps its thickness
    Ptr<TextureEffect> panelEffect;
    float panelWidth = 0.0f;
    float panelHeight = 0.0f;
    Message message;
    Ptr<Triangles> titleText;
    Ptr<Triangles> bodyText;
    Ptr<Triangles> footerText;
    String footer;
    Ptr<MSFont> font;
    float alpha = 0.0f;
    float aspect = 4.0f / 3.0f; // screen width / height
};
