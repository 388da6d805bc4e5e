#include "engine/render/PostRenderEffect.h"

#include <memory>
#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/core/Vector2.h"
#include "engine/image/Image.h"
#include "engine/render/Renderer.h"
#include "engine/render/Technique.h"
#include "engine/render/Texture.h"
#include "engine/scene/Camera.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector3Buffer.h"

QRE_IMPLEMENT_CLASS(PostRenderEffect, SceneNodeEffect)

namespace
{
// One of the two passes: before (first) or after the children.
class PostRenderPass : public Pass
{
public:
    PostRenderPass(PostRenderEffect* effect, bool first) : effect(effect), first(first) {}

    int32_t Apply() override
    {
        Renderer* renderer = GetRenderer();
        // Inside a shadow map the children are drawn once, plainly.
        if (!renderer || renderer->shadowPass)
            return first ? 0 : 1;
        if (first)
            return effect->Begin(*renderer);
        effect->Finish(*renderer);
        return 1;
    }

private:
    PostRenderEffect* effect; // back pointer: the effect owns the technique
    bool first;
};

// Any device.
class PostRenderTechnique : public Technique
{
public:
    explicit PostRenderTechnique(PostRenderEffect* effect) : effect(effect) {}

    bool IsSupported(const Renderer&) override
    {
        if (GetPassCount() == 0)
        {
            Ptr<Pass> before = new (std::nothrow) PostRenderPass(effect, true);
            Ptr<Pass> after = new (std::nothrow) PostRenderPass(effect, false);
            if (!before || !after || !before->GetState() || !after->GetState())
                return false;
            AddPass(before.Get());
            AddPass(after.Get());
        }
        return GetPassCount() == 2;
    }

private:
    PostRenderEffect* effect; // back pointer
};
} // namespace

Ptr<Texture> MakeTargetTexture(const char* textureName, const char* imageName, int32_t width, int32_t height)
{
    Ptr<Texture> texture = new (std::nothrow) Texture(String(textureName));
    Ptr<Image> image = new (std::nothrow)
        Image(String(imageName), Image::kPixelSized, static_cast<uint32_t>(width > 1 ? width : 1),
              static_cast<uint32_t>(height > 1 ? height : 1));
    if (!texture || !image || texture->SetImage(image.Get()) != 0)
        return nullptr;
    texture->SetMipLevels(1);
    return texture;
}

PostRenderEffect::PostRenderEffect(const String& name) : SceneNodeEffect(name)
{
    AddTechnique(std::unique_ptr<Technique>(new (std::nothrow) PostRenderTechnique(this)));
}

PostRenderEffect::~PostRenderEffect() = default;

void PostRenderEffect::ApplyLetterbox(Renderer& renderer)
{
    if (film)
    {
        if (!bandSet)
        {
            fullWidth = renderer.GetWidth();
            fullHeight = renderer.GetHeight();
        }
        // A renderer without a picture yet has no band to give.
        if (fullWidth <= 0 || fullHeight <= 0)
        {
            renderer.SetLetterbox(false);
            return;
        }
        const float h = static_cast<float>(fullHeight);
        renderer.SetViewport(Vector2(0.0f, h * 0.125f), Vector2(static_cast<float>(fullWidth), h * 0.75f));
        bandSet = true;
        renderer.SetLetterbox(true);
    }
    else
    {
        // A band set while film was on goes with it.
        RestoreViewport(renderer);
        renderer.SetLetterbox(false);
    }
    if (Camera* camera = renderer.GetCamera())
        camera->UpdateMatrices();
}

void PostRenderEffect::RestoreViewport(Renderer& renderer)
{
    if (!bandSet)
        return;
    renderer.SetViewport(Vector2(0.0f, 0.0f), Vector2(static_cast<float>(fullWidth), static_cast<float>(fullHeight)));
    bandSet = false;
}

int32_t PostRenderEffect::Begin(Renderer& renderer)
{
    ApplyLetterbox(renderer);
    return 0;
}

void PostRenderEffect::Finish(Renderer& renderer)
{
    RestoreViewport(renderer);
}

Triangles* PostRenderEffect::GetQuad()
{
    if (quad)
        return quad.Get();
    Ptr<Triangles> made = new (std::nothrow) Triangles(String("Post Render Quad"));
    Vector3* corners = new (std::nothrow) Vector3[6]{Vector3(-1, -1, 0), Vector3(-1, 1, 0), Vector3(1, 1, 0),
                                                     Vector3(-1, -1, 0), Vector3(1, 1, 0),  Vector3(1, -1, 0)};
    int32_t* order = new (std::nothrow) int32_t[6]{0, 1, 2, 3, 4, 5};
    Ptr<Vector3Buffer> vertices = corners ? new (std::nothrow) Vector3Buffer(6, corners) : nullptr;
    Ptr<IntBuffer> indices = order ? new (std::nothrow) IntBuffer(6, order) : nullptr;
    if (!made || !vertices || !indices)
    {
        if (!vertices)
            delete[] corners;
        if (!indices)
            delete[] order;
        LogError("Недостаточно памяти для создания геометрии. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return nullptr;
    }
    made->SetVertices(vertices.Get());
    made->SetIndices(indices.Get());
    quad = made;
    return quad.Get();
}

Texture* PostRenderEffect::EnsureScreenTexture(int32_t width, int32_t height)
{
    const Image* image = screenTexture ? screenTexture->GetImage() : nullptr;
    if (image && static_cast<int32_t>(image->GetWidth()) == width && static_cast<int32_t>(image->GetHeight()) == height)
        return screenTexture.Get();
    screenTexture = MakeTargetTexture("Screen Texture", "Screen Image", width, height);
    if (!screenTexture)
        LogError("Недостаточно памяти для создания текстуры. Имя[%s] ID[%d]", GetName().CStr(), GetID());
    return screenTexture.Get();
}

int32_t PostRenderEffect::Save(Stream& stream)
{
    if (SceneNodeEffect::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteBool(film) != 0)
    {
        LogError("Невозможно сохранить флаг фильма. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t PostRenderEffect::Load(Stream& stream)
{
    if (SceneNodeEffect::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    if (stream.ReadBool(film) != 0)
    {
        LogError("Невозможно загрузить флаг фильма. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    if (film)
        if (Renderer* renderer = GetRenderer())
            ApplyLetterbox(*renderer);
    return 0;
}
