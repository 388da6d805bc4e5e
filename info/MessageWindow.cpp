#include "info/MessageWindow.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "engine/core/Log.h"
#include "engine/core/Matrix4.h"
#include "engine/render/MSFont.h"
#include "engine/render/Renderer.h"
#include "engine/render/SpriteEffect.h"
#include "engine/render/Texture.h"
#include "engine/render/TextureEffect.h"
#include "engine/scene/Camera.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"

namespace
{

// Text units (1/480 of the screen height) inside the panel: the margin
// around the texts, the space between them, the panel's border.
constexpr float kUnitsHigh = 480.0f;
constexpr float kMargin = 6.0f;
constexpr float kGap = 3.0f;
constexpr float kBorder = 8.0f;
// The share of the picture its border takes on each side.
constexpr float kPictureBorder = 0.25f;
// The body is written a little smaller than the title and footer.
constexpr float kBodyScale = 0.9f;

// The overlay square over the whole screen, (0, 0) at the bottom left.
Matrix4 OverlayProjection()
{
    return Matrix4(2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1, 0, -1, -1, 0, 1);
}

// How far a text node reaches below its first line's top, in text units.
float Depth(const Triangles* text)
{
    const Vector3Buffer* positions = text ? text->GetVertices() : nullptr;
    float lowest = 0.0f;
    for (uint32_t i = 0; positions && i < positions->GetCount(); ++i)
        lowest = std::min(lowest, (*positions)[i].y);
    return -lowest;
}

// The colour of a text node with this alpha, the rest as it is.
void SetAlpha(Triangles* text, float alpha)
{
    if (!text || !text->GetEffect() || !text->GetEffect()->IsDerived(SpriteEffect::TYPE))
        return;
    auto* effect = static_cast<SpriteEffect*>(text->GetEffect());
    Vector4 colour = effect->GetColor();
    colour.w = alpha;
    effect->SetColor(colour);
}

} // namespace

MessageWindow::MessageWindow(MSFont* newFont, Texture* background) : font(newFont)
{
    panel = new (std::nothrow) Triangles(String("Window"));
    panelEffect = new (std::nothrow) TextureEffect();
    Ptr<Vector3Buffer> corners = CreateBuffer<Vector3Buffer>(16);
    Ptr<Vector2Buffer> coordinates = CreateBuffer<Vector2Buffer>(16);
    Ptr<IntBuffer> indices = CreateBuffer<IntBuffer>(54);
    if (!panel || !panelEffect || !corners || !coordinates || !indices)
    {
        LogError("Недостаточно памяти для создания окна сообщений.");
        panel = nullptr;
        return;
    }
    // A 4 x 4 grid: the picture's border stretches along the edges only.
    const float stops[4] = {0.0f, kPictureBorder, 1.0f - kPictureBorder, 1.0f};
    for (uint32_t row = 0; row < 4; ++row)
        for (uint32_t column = 0; column < 4; ++column)
            (*coordinates)[row * 4 + column] = Vector2(stops[column], stops[row]);
    uint32_t at = 0;
    for (int32_t row = 0; row < 3; ++row)
    {
        for (int32_t column = 0; column < 3; ++column)
        {
            const int32_t corner = row * 4 + column;
            for (int32_t index : {corner, corner + 5, corner + 1, corner, corner + 4, corner + 5})
                (*indices)[at++] = index;
        }
    }
    panel->SetVertices(corners.Get());
    panel->SetTextureCoordinates(0, coordinates.Get());
    panel->SetIndices(indices.Get());
    panelEffect->SetTexture(background);
    panelEffect->SetColor(Vector4(1.0f, 1.0f, 1.0f, 1.0f));
    panelEffect->SetBlendEnabled(true);
    panelEffect->SetCullEnabled(false);
    panel->SetEffect(panelEffect.Get());
    panelWidth = -1.0f; // not yet built
    SetPanelSize(0.0f, 0.0f);
}

MessageWindow::~MessageWindow() = default;

void MessageWindow::AddSource(MessageSource* source)
{
    if (source)
        sources.emplace_back(source);
}

void MessageWindow::SetFont(MSFont* newFont)
{
    font = newFont;
    titleText = nullptr;
    bodyText = nullptr;
    footerText = nullptr;
    SetFooter(footer);
    if (!message.IsEmpty())
        Layout();
}

void MessageWindow::SetFooter(const String& text)
{
    footer = text;
    footerText = nullptr;
    if (font && !text.IsEmpty())
        footerText = font->BuildTextNode(text.CStr(), FullWidthUnits() - 2.0f * kMargin,
                                         kFullHeight * kUnitsHigh - 2.0f * kMargin, font->GetLineScale(),
                                         font->GetCharScale());
    SetAlpha(footerText.Get(), alpha);
}

void MessageWindow::SetGroupEnabled(const String& name, bool enabled)
{
    for (const Ptr<MessageSource>& source : sources)
    {
        if (source->GetName() == name)
        {
            source->SetEnabled(enabled);
            return;
        }
    }
}

bool MessageWindow::IsGroupEnabled(const String& name)
{
    for (const Ptr<MessageSource>& source : sources)
        if (source->GetName() == name)
            return source->IsEnabled();
    return false;
}

bool MessageWindow::NextMessage()
{
    if (sources.empty())
        return false;
    const uint32_t count = static_cast<uint32_t>(sources.size());
    currentSource %= count;
    const uint32_t start = currentSource;
    do
    {
        Message next;
        const bool gave = sources[currentSource]->GetNextMessage(next);
        currentSource = (currentSource + 1) % count;
        Texts texts;
        if (gave && Build(next, texts))
        {
            message = next;
            titleText = texts.title;
            bodyText = texts.body;
            SetTextAlpha(alpha);
            return true;
        }
    } while (currentSource != start);
    return false;
}

bool MessageWindow::Skip()
{
    if (!NextMessage())
        return false;
    timer = GetShownTime();
    return true;
}

void MessageWindow::ShowText(const String& title, const String& body)
{
    message.title = title;
    message.body = body;
    timer = GetShownTime();
    Layout();
}

bool MessageWindow::Layout()
{
    Texts texts;
    const bool built = Build(message, texts);
    titleText = texts.title;
    bodyText = texts.body;
    SetTextAlpha(alpha);
    return built;
}

float MessageWindow::FullWidthUnits() const
{
    return kFullWidth * kUnitsHigh * aspect;
}

float MessageWindow::GetBodyWidth() const
{
    return FullWidthUnits() - 2.0f * kMargin;
}

float MessageWindow::GetBodyHeight() const
{
    // Below a one-line title, above the footer.
    const float title = font ? font->GetParameters().height * font->GetLineScale() : 0.0f;
    return kFullHeight * kUnitsHigh - 2.0f * kMargin - title - Depth(footerText.Get()) - 2.0f * kGap;
}

bool MessageWindow::Build(const Message& shown, Texts& texts) const
{
    if (!font)
        return false;
    const float width = FullWidthUnits() - 2.0f * kMargin;
    const float height = kFullHeight * kUnitsHigh - 2.0f * kMargin;
    const float lineScale = font->GetLineScale();
    const float charScale = font->GetCharScale();
    if (!shown.title.IsEmpty())
        texts.title = font->BuildTextNode(shown.title.CStr(), width, height, lineScale, charScale);
    const float title = texts.title ? Depth(texts.title.Get()) + kGap : 0.0f;
    const float footerDepth = footerText ? Depth(footerText.Get()) + kGap : 0.0f;
    texts.body = font->BuildTextNode(shown.body.CStr(), width, height - title - footerDepth,
                                     lineScale * kBodyScale, charScale * kBodyScale);
    return texts.body != nullptr;
}

void MessageWindow::SetScreenSize(int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0)
        return;
    const float newAspect = static_cast<float>(width) / static_cast<float>(height);
    if (newAspect == aspect)
        return;
    aspect = newAspect;
    SetFooter(footer);
    if (!message.IsEmpty())
        Layout();
}

void MessageWindow::SetTextAlpha(float value)
{
    alpha = value;
    SetAlpha(titleText.Get(), value);
    SetAlpha(bodyText.Get(), value);
    SetAlpha(footerText.Get(), value);
}

void MessageWindow::SetPanelSize(float width, float height)
{
    if (width == panelWidth && height == panelHeight)
        return;
    panelWidth = width;
    panelHeight = height;
    if (!panel || !panel->GetVertices())
        return;
    // The border keeps its thickness (square in pixels) until the panel is
    // thinner than two of it.
    const float borderX = std::min(kBorder / (kUnitsHigh * aspect), width * 0.5f);
    const float borderY = std::min(kBorder / kUnitsHigh, height * 0.5f);
    const float xs[4] = {kPanelX, kPanelX + borderX, kPanelX + width - borderX, kPanelX + width};
    const float ys[4] = {kPanelTop, kPanelTop - borderY, kPanelTop - height + borderY, kPanelTop - height};
    Vector3Buffer& corners = *panel->GetVertices();
    for (uint32_t row = 0; row < 4; ++row)
        for (uint32_t column = 0; column < 4; ++column)
            corners[row * 4 + column] = Vector3(xs[column], ys[row], 0.0f);
    corners.MarkChanged();
}

void MessageWindow::Update(float seconds)
{
    if (!std::isfinite(seconds) || seconds < 0.0f)
        seconds = 0.0f;
    for (const Ptr<MessageSource>& source : sources)
        source->Update(seconds);
    if (message.IsEmpty() && !NextMessage())
        return;
    timer += seconds;
    if (timer > cycle)
    {
        timer = 0.0f;
        message.Clear();
        titleText = nullptr;
        bodyText = nullptr;
        if (!NextMessage())
            return;
    }

    const float a = openWidthTime, b = openHeightTime, c = fadeTime, d = showTime;
    const float t = timer;
    const float rise = kFullHeight - kOpeningHeight;
    float width = kFullWidth, height = kFullHeight, shown = 0.0f;
    if (t <= a)
    {
        width = kFullWidth * t / a;
        height = kOpeningHeight;
    }
    else if (t <= a + b)
        height = kOpeningHeight + rise * (t - a) / b;
    else if (t <= a + b + c)
        shown = (t - a - b) / c;
    else if (t <= a + b + c + d)
        shown = 1.0f;
    else if (t <= a + b + 2 * c + d)
        shown = 1.0f - (t - a - b - c - d) / c;
    else if (t <= a + 2 * b + 2 * c + d)
        height = kOpeningHeight + rise * (1.0f - (t - a - b - 2 * c - d) / b);
    else if (t <= 2 * a + 2 * b + 2 * c + d)
    {
        width = kFullWidth * (1.0f - (t - a - 2 * b - 2 * c - d) / a);
        height = kOpeningHeight;
    }
    else
        width = height = 0.0f;
    SetPanelSize(width, height);
    SetTextAlpha(shown);
}

void MessageWindow::Draw(Renderer& renderer, Camera& overlayCamera)
{
    renderer.FlushTransparent();
    SetScreenSize(renderer.GetWidth(), renderer.GetHeight());
    Ptr<Camera> previous = renderer.GetCamera();
    const Matrix4 view = overlayCamera.GetView();
    const Matrix4 projection = overlayCamera.GetProjection();
    const Matrix4 viewProjection = overlayCamera.GetViewProjection();
    overlayCamera.SetView(Matrix4::Identity());
    overlayCamera.SetProjection(OverlayProjection());
    overlayCamera.SetViewProjection(OverlayProjection());
    renderer.SetCamera(&overlayCamera);

    if (panel && panelWidth > 0.0f && panelHeight > 0.0f)
    {
        panel->Draw(renderer);
        renderer.FlushTransparent();
    }
    if (alpha > 0.0f)
    {
        // Each text's units folded into the projection: the sprite effect
        // draws with the identity world, so a node transform would not.
        const float unitX = 1.0f / (kUnitsHigh * aspect);
        const float unitY = 1.0f / kUnitsHigh;
        const float full = kFullHeight * kUnitsHigh;
        const float bodyTop = titleText ? Depth(titleText.Get()) + kGap : 0.0f;
        const struct
        {
            Triangles* text;
            float top; // text units below the panel's top
        } placed[] = {
            {titleText.Get(), kMargin},
            {bodyText.Get(), kMargin + bodyTop},
            {footerText.Get(), full - kMargin - Depth(footerText.Get())},
        };
        for (const auto& p : placed)
        {
            if (!p.text)
                continue;
            const Matrix4 place = Matrix4(unitX, 0, 0, 0, 0, unitY, 0, 0, 0, 0, 1, 0, kPanelX + kMargin * unitX,
                                          kPanelTop - p.top * unitY, 0, 1) *
                                  OverlayProjection();
            overlayCamera.SetProjection(place);
            overlayCamera.SetViewProjection(place);
            p.text->Draw(renderer);
            renderer.FlushTransparent();
        }
    }
    overlayCamera.SetView(view);
    overlayCamera.SetProjection(projection);
    overlayCamera.SetViewProjection(viewProjection);
    renderer.SetCamera(previous.Get());
}
