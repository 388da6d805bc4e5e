#include "app/VernaliaScreensaver.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <new>
#include <thread>
#include <vector>

#include "engine/core/Log.h"
#include "engine/files/Codec.h"
#include "engine/files/CodecManager.h"
#include "engine/files/File.h"
#include "engine/files/FileManager.h"
#include "engine/render/FurLightingEffect.h"
#include "engine/image/Image.h"
#include "engine/render/Bloom5PostRenderEffect.h"
#include "engine/render/MSFont.h"
#include "engine/render/Renderer.h"
#include "engine/render/ShadowmapEffect.h"
#include "engine/render/Texture.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Node.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/ScreensaverController.h"
#include "info/InternetRssSource.h"
#include "info/RssFileSource.h"
#include "platform/HttpGet.h"
#include "platform/KeyStore.h"
#include "sound/SoundManager.h"
#include "sound/SoundNode.h"
#include "sound/SoundNode2.h"

namespace
{

// Key names in the defaults table and the store; log names after them.
constexpr const char* kExtraKeys[] = {"ShowInformation", "ShowNews", "ShowQuotes", "Fur",
                                      "Shadows", "Bloom", "Widescreen"};
constexpr const char* kExtraLogNames[] = {"Show Information", "Show News", "Show Quotes", "Fur",
                                          "Shadows", "Bloom", "Widescreen"};

// The feeds' paths on the feed server.
constexpr const char* kNewsPath = "/rss/bbcnews.rss";
constexpr const char* kQuotesPath = "/rss/quotes.rss";
constexpr const char* kFooter = "  Help - F1             Next - F  ";

// A texture of the picture of that name from the mounted archives; null when
// it is missing (the window then draws without it) or out of memory.
Ptr<Texture> LoadTexture(const char* name)
{
    File* file = FileManager::FindFile(String(name));
    if (!file)
        return nullptr;
    Ptr<Texture> texture = new (std::nothrow) Texture(String(name));
    Ptr<Image> image = new (std::nothrow) Image(file, String(name));
    if (!texture || !image)
        return nullptr;
    texture->SetImage(image.Get());
    return texture;
}

// The first object of the class in root's tree, or null.
Object* FindFirst(Node& root, const RTTI& type)
{
    Array<Object*> found;
    root.CollectByType(type, found);
    return found.IsEmpty() ? nullptr : found[0];
}

// The scene's camera of that name, or null.
Camera* FindCamera(Node& root, const char* name)
{
    Object* found = root.FindByName(String(name));
    return found && found->IsDerived(Camera::TYPE) ? static_cast<Camera*>(found) : nullptr;
}

// With effects off, every sound but "Music" is silenced: volume 0 on its
// channels, and a SoundNode also stops and stays stopped.
void SilenceEffects(Node& root)
{
    const String music("Music");
    Array<Object*> found;
    root.CollectByType(SoundNode::TYPE, found);
    for (Object* object : found)
    {
        SoundNode& node = *static_cast<SoundNode*>(object);
        if (node.GetName() == music)
            continue;
        node.SetVolume(0);
        node.SetActive(false);
        SoundManager::Calls().ChannelStop(node.GetChannel());
    }
    found = Array<Object*>();
    root.CollectByType(SoundNode2::TYPE, found);
    for (Object* object : found)
        if (object->GetName() != music)
            static_cast<SoundNode2*>(object)->SetVolume(0);
}

// With fur off, every lit fur is drawn with a single shell.
void ThinFur(Node& root)
{
    Array<Object*> found;
    root.CollectByType(FurLightingEffect::TYPE, found);
    for (Object* object : found)
        static_cast<FurLightingEffect*>(object)->SetShellCount(1);
}

} // namespace

VernaliaScreensaver::VernaliaScreensaver(const String& commandLine, const Automation& automation)
    : ScreensaverApp(commandLine, automation)
{
}

VernaliaScreensaver::~VernaliaScreensaver()
{
    DeleteSceneData();
    ReleaseFadeEffect();
}

void VernaliaScreensaver::OnKey(const InputEvent& event)
{
    if (event.device != InputEvent::kKeyboard || event.action != InputEvent::kPress)
        return;

    switch (event.code)
    {
    case EngineKey::Letter('F'):
        messageDelay = -1.0f;
        if (messageWindow)
            messageWindow->Skip();
        break;
    case EngineKey::Letter('I'):
        extraCurrent[kShowInformation] = !extraCurrent[kShowInformation];
        if (messageWindow)
            messageWindow->SetGroupEnabled(String(kFactsGroup), extraCurrent[kShowInformation]);
        ShowHelp(false);
        break;
    case EngineKey::Letter('M'):
        muted = !muted;
        SoundManager::SetVolume(muted ? 0u : static_cast<uint32_t>(GetCurrent().volume));
        ShowHelp(false);
        break;
    case EngineKey::Letter('N'):
        extraCurrent[kShowNews] = !extraCurrent[kShowNews];
        if (messageWindow)
            messageWindow->SetGroupEnabled(String(kNewsGroup), extraCurrent[kShowNews]);
        ShowHelp(false);
        break;
    case EngineKey::Letter('Q'):
        extraCurrent[kShowQuotes] = !extraCurrent[kShowQuotes];
        if (messageWindow)
            messageWindow->SetGroupEnabled(String(kQuotesGroup), extraCurrent[kShowQuotes]);
        ShowHelp(false);
        break;
    case EngineKey::Function(1):
        messageDelay = -1.0f;
        ShowHelp(true);
        break;
    case EngineKey::Function(12):
        TakeScreenshot();
        break;
    default:
        StopRunning();
        break;
    }
}

int32_t VernaliaScreensaver::ApplyExtraDefaults()
{
    for (int i = 0; i < kExtraCount; ++i)
        extraCurrent[i] = extraDefault[i];
    return 0;
}

int32_t VernaliaScreensaver::LogExtraSettings()
{
    for (int i = 0; i < kExtraCount; ++i)
        LogInfo("%s: %s", kExtraLogNames[i], extraCurrent[i] ? "true" : "false");
    return 0;
}

int32_t VernaliaScreensaver::ParseExtraDefault(const String& key, const String& value)
{
    if (key == "feed_server_url")
    {
        feedServer = value;
        return 0;
    }
    for (int i = 0; i < kExtraCount; ++i)
    {
        if (key == kExtraKeys[i])
        {
            // Like "%d": a value that does not start with a number reads 0.
            extraDefault[i] = std::strtol(value.CStr(), nullptr, 10) != 0;
            return 0;
        }
    }
    return 0;
}

int32_t VernaliaScreensaver::ReadExtraSettings(platform::KeyStore& store)
{
    uint32_t stored = 0;
    for (int i = 0; i < kExtraCount; ++i)
        if (store.GetValue(kExtraKeys[i], stored))
            extraCurrent[i] = stored != 0;
    return 0;
}

int32_t VernaliaScreensaver::WriteExtraSettings(platform::KeyStore& store)
{
    for (int i = 0; i < kExtraCount; ++i)
        store.SetValue(kExtraKeys[i], extraCurrent[i] ? 1u : 0u);
    return 0;
}

int32_t VernaliaScreensaver::LoadExtraLocalData()
{
    // The message window's font and facts: only the show has the window.
    if (GetMode() != kModeShow && GetMode() != kModeShowT)
        return 0;
    if (FileManager::LoadArchiveResource(143, String("Ms.rar2"), String()) != 0)
    {
        LogError("Невозможно подсоединить директорию Ms.");
        return 1;
    }
    return 0;
}

int32_t VernaliaScreensaver::TerminateExtra()
{
    // The feeds are gone with the scene data; a worker still stuck in a
    // download keeps the library up.
    platform::HttpShutdown();
    return 0;
}

int32_t VernaliaScreensaver::Update(double seconds)
{
    if (scene)
        scene->UpdateTree(seconds, true);
    if (messageWindow)
    {
        // Idle for the first seconds of the show, unless F or F1 came.
        if (messageDelay < 0.0f)
            messageWindow->Update(static_cast<float>(seconds));
        else
        {
            messageDelay -= static_cast<float>(seconds);
            if (messageDelay < 0.0f)
                messageWindow->Update(static_cast<float>(seconds));
        }
    }
    return 0;
}

int32_t VernaliaScreensaver::Render()
{
    Renderer* renderer = GetRenderer();
    if (scene && renderer)
    {
        scene->DrawCulled(*renderer);
        renderer->FlushTransparent();
    }
    double alpha = 0.0;
    if (!GetFade(alpha))
        alpha = 0.0;
    const int32_t result = DrawFade(alpha);
    if (result == 0 && messageWindow && messageDelay < 0.0f && renderer && overlayCamera)
        messageWindow->Draw(*renderer, *overlayCamera);
    return result;
}

void VernaliaScreensaver::ShowHelp(bool force)
{
    if (!messageWindow || (!force && !(messageWindow->GetMessage().title == "Help")))
        return;
    const auto state = [this](const char* group) {
        return std::string(messageWindow->IsGroupEnabled(String(group)) ? "on" : "off");
    };
    const std::string text = std::string("Press the Hotkey to enable the following options:\n") +
                             "I - Interesting facts about Vernalia [" + state(kFactsGroup) + "]\n" +
                             "Q - Quotes" + std::string(25, ' ') + std::string(5, '\xB6') + "[" +
                             state(kQuotesGroup) + "]\n" + "N - BBC News" + std::string(20, ' ') + "[" +
                             state(kNewsGroup) + "]\n" + "M - Mute" + std::string(27, ' ') + "[" +
                             (muted ? "on" : "off") + "]\n" + "F12 - Print Screenshot\n";
    messageWindow->ShowText(String("Help"), String(std::string_view(text)));
}

int32_t VernaliaScreensaver::CreateMessageWindow()
{
    Ptr<MSFont> font = new (std::nothrow) MSFont();
    if (!font)
    {
        LogError("Недостаточно памяти для создания окна сообщений.");
        return 2;
    }
    font->SetMaxChars(100);
    // A missing font leaves the window without texts (logged); the show goes on.
    font->LoadParameters(String("times.txt"));
    if (Ptr<Texture> glyphs = LoadTexture("times.tga"))
        font->SetTexture(glyphs.Get());
    font->SetLineScale(0.2f);
    font->SetCharScale(0.2f);
    font->SetTabAdvance(0.0f);
    font->SetColour(Vector4(0.875f, 0.937f, 1.0f, 1.0f));
    font->SetTabAdvance(0.005f);

    Ptr<Texture> background = LoadTexture("Window.tga");
    messageWindow = new (std::nothrow) MessageWindow(font.Get(), background.Get());
    if (!messageWindow || !messageWindow->GetPanel())
    {
        messageWindow = nullptr;
        LogError("Недостаточно памяти для создания окна сообщений.");
        return 2;
    }
    if (Renderer* renderer = GetRenderer())
        messageWindow->SetScreenSize(renderer->GetWidth(), renderer->GetHeight());

    // The feeds' server: the environment's, else the settings'; a value
    // that is more than a scheme, a host and a port leaves the feeds empty.
    std::string server = GetAutomation().feedServer.empty() ? std::string(feedServer.CStr())
                                                             : GetAutomation().feedServer;
    if (!IsFeedServerAddress(server))
    {
        LogWarning("Неверный адрес сервера лент [%s]: ленты не загружаются.", server.c_str());
        server.clear();
    }
    else if (server.back() == '/')
        server.pop_back();
    const auto feed = [&](const char* path) { return server.empty() ? String() : String((server + path).c_str()); };
    Ptr<MessageSource> sources[] = {
        new (std::nothrow) RssFileSource(String(kFactsGroup), String("import.rss")),
        new (std::nothrow) InternetRssSource(String(kNewsGroup), feed(kNewsPath)),
        new (std::nothrow) InternetRssSource(String(kQuotesGroup), feed(kQuotesPath)),
    };
    for (const Ptr<MessageSource>& source : sources)
    {
        if (!source)
        {
            LogError("Недостаточно памяти для создания окна сообщений.");
            return 2;
        }
        messageWindow->AddSource(source.Get());
    }
    messageWindow->SetFooter(String(kFooter));
    messageWindow->SetGroupEnabled(String(kFactsGroup), extraCurrent[kShowInformation]);
    messageWindow->SetGroupEnabled(String(kNewsGroup), extraCurrent[kShowNews]);
    messageWindow->SetGroupEnabled(String(kQuotesGroup), extraCurrent[kShowQuotes]);
    return 0;
}

double VernaliaScreensaver::FadeAlpha(double elapsed, double fadeStart, double duration)
{
    const double toEnd = duration - elapsed;
    if (toEnd <= 1.0)
        return 1.0 - toEnd;
    const double sinceStart = elapsed - fadeStart;
    if (sinceStart <= 1.0)
        return 1.0 - sinceStart;
    return 0.0;
}

bool VernaliaScreensaver::GetFade(double& alpha) const
{
    // A run pinned to one camera shows it throughout: nothing to cut.
    if (!screensaverController || !screensaverController->IsSwitchingCameras())
        return false;
    const ScreensaverController::FadeTimes times = screensaverController->GetFadeTimes();
    if (!times.current)
        return false;
    alpha = FadeAlpha(times.elapsed, times.fadeStart, times.duration);
    return true;
}

int32_t VernaliaScreensaver::DrawFade(double alpha)
{
    Renderer* renderer = GetRenderer();
    if (!renderer || !overlayCamera)
        return 0;
    Ptr<Camera> sceneCamera = UseOverlayCamera();
    PlaceOverlayQuad(0.0f, 0.0f, 1.0f, 1.0f);
    if (alpha > 0.0 && fadeEffect && overlayQuad)
    {
        fadeEffect->SetColor(Vector4(0.0f, 0.0f, 0.0f, static_cast<float>(std::min(alpha, 1.0))));
        Ptr<GeometryNodeEffect> normal = overlayQuad->GetEffect();
        overlayQuad->SetEffect(fadeEffect.Get());
        overlayQuad->Draw(*renderer);
        renderer->FlushTransparent();
        overlayQuad->SetEffect(normal.Get());
    }
    renderer->SetCamera(sceneCamera.Get());
    return 0;
}

int32_t VernaliaScreensaver::CreateFadeEffect()
{
    fadeEffect = new (std::nothrow) ColorEffect();
    if (!fadeEffect)
    {
        LogError("Недостаточно памяти для создания эффекта затемнения.");
        return 2;
    }
    fadeEffect->SetBlendEnabled(true);
    return 0;
}

int32_t VernaliaScreensaver::ReleaseFadeEffect()
{
    fadeEffect = nullptr;
    return 0;
}

int32_t VernaliaScreensaver::CreateSceneData()
{
    File* file = FileManager::FindFile(String("Main.STR"));
    if (!file)
    {
        LogError("Невозможно найти файл данных скринсейвера.");
        return 1;
    }
    Codec* codec = nullptr;
    Object* root = nullptr;
    if (CodecManager::GetCodec(String("STRSceneCodec"), &codec) != 0 || !codec ||
        codec->LoadScene(file, &root) != 0 || !root)
    {
        LogError("Невозможно загрузить данные скринсейвера из файла.");
        return 1;
    }
    Ptr<Object> loaded = root;
    if (!root->IsDerived(Node::TYPE))
    {
        LogError("Невозможно загрузить данные скринсейвера из файла.");
        return 1;
    }
    scene = static_cast<Node*>(root);
    ApplyVisualSettings(*scene, GetRenderer() && GetRenderer()->GetCaps().hardwareShadowmaps,
                        extraCurrent[kShadows], extraCurrent[kBloom], extraCurrent[kWidescreen]);
    if (!GetCurrent().sfx)
        SilenceEffects(*scene);
    if (!GetExtraCurrent(kFur))
        ThinFur(*scene);

    // The director has made its first set's camera current while it
    // loaded. Without one the scene's camera named "Camera" shows the
    // scene, else its first camera.
    Renderer* renderer = GetRenderer();
    screensaverController = static_cast<ScreensaverController*>(FindFirst(*scene, ScreensaverController::TYPE));
    if (!screensaverController)
    {
        LogWarning("В сцене нет контроллера скринсейвера.");
        Camera* camera = FindCamera(*scene, "Camera");
        if (!camera)
            camera = static_cast<Camera*>(FindFirst(*scene, Camera::TYPE));
        if (camera && renderer)
            renderer->SetCamera(camera);
    }

    // A run pinned to one camera: the director goes on choosing (and
    // logging) its sets, but the camera stays.
    const std::string& pinned = GetAutomation().cameraName;
    if (!pinned.empty())
    {
        if (Camera* camera = FindCamera(*scene, pinned.c_str()))
        {
            if (screensaverController)
                screensaverController->SetSwitchingCameras(false);
            if (renderer)
                renderer->SetCamera(camera);
        }
        else
            LogWarning("Камера [%s] не найдена в сцене.", pinned.c_str());
    }

    Object* music = scene->FindByName(String("Music"));
    if (music && music->IsDerived(SoundNode::TYPE) && !GetCurrent().music)
        static_cast<SoundNode*>(music)->SetVolume(0);
    return CreateMessageWindow() == 0 ? 0 : 1;
}

void VernaliaScreensaver::ApplyVisualSettings(Node& scene, bool shadowMaps, bool shadows, bool bloom,
                                              bool widescreen)
{
    Array<Object*> found;
    if (!shadowMaps || !shadows)
    {
        scene.CollectByType(ShadowmapEffect::TYPE, found);
        for (Object* object : found)
        {
            // Held: the node's list may hold the last reference.
            Ptr<ShadowmapEffect> effect = static_cast<ShadowmapEffect*>(object);
            if (SceneNode* owner = effect->GetOwner())
                owner->RemoveEffect(effect.Get());
        }
        found.Clear();
    }
    if (!bloom)
    {
        scene.CollectByType(Bloom5PostRenderEffect::TYPE, found);
        for (Object* object : found)
        {
            Ptr<Bloom5PostRenderEffect> effect = static_cast<Bloom5PostRenderEffect*>(object);
            SceneNode* owner = effect->GetOwner();
            Ptr<PostRenderEffect> plain = new (std::nothrow) PostRenderEffect();
            if (!owner || !plain)
                continue;
            owner->RemoveEffect(effect.Get());
            owner->AddEffect(plain.Get());
        }
        found.Clear();
    }
    scene.CollectByType(PostRenderEffect::TYPE, found);
    for (Object* object : found)
        static_cast<PostRenderEffect*>(object)->SetFilm(widescreen);
}

int32_t VernaliaScreensaver::DeleteSceneData()
{
    screensaverController = nullptr;
    scene = nullptr;
    messageWindow = nullptr;
    return 0;
}

int32_t VernaliaScreensaver::CacheSceneData()
{
    LogInfo("Кеширование...");
    // Every texture of the scene onto the device before the first frame, so
    // the loading screen stays up until they are: first those whose pixels
    // come from elsewhere (sized images), then the others no controller
    // changes. Each once, in the order the scene holds them.
    Renderer* renderer = GetRenderer();
    Array<Object*> found;
    if (scene)
        scene->CollectByType(Texture::TYPE, found);
    std::vector<Texture*> textures;
    for (uint32_t i = 0; i < found.Count(); ++i)
    {
        Texture* texture = static_cast<Texture*>(found[i]);
        if (std::find(textures.begin(), textures.end(), texture) == textures.end())
            textures.push_back(texture);
    }
    for (int pass = 0; pass < 2 && renderer; ++pass)
    {
        for (Texture* texture : textures)
        {
            const Image* image = texture->GetImage();
            const bool sized = image && image->GetFormat() == Image::kPixelSized;
            if (pass == 0 ? !sized : sized || texture->GetControllerCount() != 0)
                continue;
            renderer->SetTexture(0, texture);
            LogInfo("%s", texture->GetName().CStr());
        }
    }
    if (renderer)
        renderer->SetTexture(0, nullptr);
    LogInfo("Кеширование закончено.");
    // A pause after loading, so the show starts after the screen settles;
    // unattended runs have nothing to wait for.
    if (!Renderer::IsHeadless())
        std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    frameTimer.Reset();
    frameTimer.Start();
    return 0;
}
