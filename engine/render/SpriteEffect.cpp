#include "engine/render/SpriteEffect.h"

#include <memory>
#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/render/GeometryNodeEffectPass.h"
#include "engine/render/RenderStateBlock.h"
#include "engine/render/Renderer.h"
#include "engine/render/Technique.h"
#include "engine/render/VertexShader.h"
#include "engine/scene/Camera.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/Vector3Buffer.h"

QRE_IMPLEMENT_CLASS(SpriteEffect, GeometryNodeEffect)

namespace
{
// True when geometry draws points and the device makes sprites of them.
bool DrawsPointSprites(const Renderer& renderer, const GeometryNode& geometry)
{
    return geometry.GetPrimitiveType() == PrimitiveType::PointList && renderer.GetCaps().pointSprites;
}

// A point sprite's size from its point-size value: value x viewport height
// / depth pixels across, as the device's own sprites are scaled. The
// position goes through the view x projection in c0-c3 (the world is the
// identity), c4.x is the viewport height.
const char* const kPointSizeProgram = "vs_1_1\n"
                                      "dcl_position v0\n"
                                      "dcl_color v1\n"
                                      "dcl_psize v2\n"
                                      "mul r0, v0.x, c0\n"
                                      "mad r0, v0.y, c1, r0\n"
                                      "mad r0, v0.z, c2, r0\n"
                                      "add r0, r0, c3\n"
                                      "mov oPos, r0\n"
                                      "mov oD0, v1\n"
                                      "rcp r1.x, r0.w\n"
                                      "mul r1.x, r1.x, v2.x\n"
                                      "mul oPts, r1.x, c4.x\n";

// The quad pass: the effect's settings, but depth is written only when
// nothing is blended.
class SpritePass : public GeometryNodeEffectPass
{
public:
    explicit SpritePass(SpriteEffect* effect) : GeometryNodeEffectPass(effect), sprite(effect) {}

    void MarkChanged() override
    {
        GeometryNodeEffectPass::MarkChanged();
        if (RenderStateBlock* state = GetState())
            state->depthWrite = state->depthWrite && !state->blendEnabled;
    }

    int32_t Apply() override
    {
        Renderer* renderer = GetRenderer();
        GeometryNode* geometry = renderer ? renderer->GetGeometry() : nullptr;
        if (!renderer || !geometry || DrawsPointSprites(*renderer, *geometry))
            return 1;
        return sprite->BindSprites(*renderer, *geometry);
    }

protected:
    SpriteEffect* sprite; // back pointer, as the base's
};

// The pass for points where the device has sprites: each point a textured
// square, sized by its point-size stream (through a small vertex program
// where the device runs them; without one the device's own size).
class SpritePointPass : public SpritePass
{
public:
    explicit SpritePointPass(SpriteEffect* effect) : SpritePass(effect) {}

    void MarkChanged() override
    {
        SpritePass::MarkChanged();
        if (RenderStateBlock* state = GetState())
            state->pointSprites = true;
    }

    int32_t Apply() override
    {
        Renderer* renderer = GetRenderer();
        GeometryNode* geometry = renderer ? renderer->GetGeometry() : nullptr;
        if (!renderer || !geometry || !DrawsPointSprites(*renderer, *geometry))
            return 1;
        const int32_t bound = sprite->BindSprites(*renderer, *geometry);
        if (bound != 0)
            return bound;
        return sprite->BindPointSizes(*renderer);
    }
};

// Every device runs it: no shaders.
class SpriteTechnique : public Technique
{
public:
    explicit SpriteTechnique(SpriteEffect* effect) : effect(effect) {}

    bool IsSupported(const Renderer&) override
    {
        if (GetPassCount() == 0)
        {
            Ptr<SpritePass> pass = new (std::nothrow) SpritePass(effect);
            Ptr<SpritePass> points = new (std::nothrow) SpritePointPass(effect);
            if (!pass || !pass->GetState() || !points || !points->GetState())
                return false;
            pass->MarkChanged();
            points->MarkChanged();
            AddPass(pass.Get());
            AddPass(points.Get());
        }
        return true;
    }

private:
    SpriteEffect* effect; // back pointer: the effect owns the technique
};
} // namespace

SpriteEffect::SpriteEffect(const String& name) : GeometryNodeEffect(name)
{
    AddTechnique(std::unique_ptr<Technique>(new (std::nothrow) SpriteTechnique(this)));
}

int32_t SpriteEffect::SetTexture(BaseTexture* newTexture)
{
    if (newTexture && (static_cast<Object*>(newTexture) == this || newTexture->Holds(this)))
    {
        LogError("Текстура уже содержит этот эффект. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 3;
    }
    texture = newTexture;
    return 0;
}

int32_t SpriteEffect::BindSprites(Renderer& renderer, GeometryNode& geometry)
{
    Vector3Buffer* vertices = geometry.GetVertices();
    if (!vertices || vertices->GetCount() == 0)
        return 1;
    ColorBuffer* colors = geometry.GetColors();
    if (!colors)
    {
        // Grows only, refilled when the colour changes.
        const uint32_t count = vertices->GetCount();
        if (!filled || filled->GetCount() < count)
        {
            filled = CreateBuffer<ColorBuffer>(count);
            if (!filled)
            {
                LogError("Недостаточно памяти для создания буффера. ID[%d] Имя[%s]", GetID(), GetName().CStr());
                return 2;
            }
            filledWith = Vector4(-1.0f, -1.0f, -1.0f, -1.0f);
        }
        if (!(filledWith == colour))
        {
            Vector4* data = filled->GetElements();
            for (uint32_t i = 0; i < filled->GetCount(); ++i)
                data[i] = colour;
            filledWith = colour;
            filled->MarkChanged();
        }
        colors = filled.Get();
    }
    renderer.SetPositionStream(vertices);
    renderer.SetPointSizeStream(geometry.GetPointSizes());
    renderer.SetColorStream(colors);
    renderer.SetTexCoordStream(0, geometry.GetTextureCoordinates(0));
    renderer.SetIndexBuffer(geometry.GetIndices());
    renderer.SetTexture(0, texture.Get());
    renderer.SetWorldMatrix(Matrix4::Identity());
    if (Camera* camera = renderer.GetCamera())
    {
        renderer.SetViewMatrix(camera->GetView());
        renderer.SetProjectionMatrix(camera->GetProjection());
    }
    return 0;
}

void SpriteEffect::CollectByType(const RTTI& type, Array<Object*>& found)
{
    GeometryNodeEffect::CollectByType(type, found);
    if (texture)
        texture->CollectByType(type, found);
}

int32_t SpriteEffect::BindPointSizes(Renderer& renderer)
{
    if (renderer.GetCaps().vertexShaderLevel == ShaderLevel::None)
        return 0;
    if (!pointSizer)
    {
        pointSizer = new (std::nothrow) VertexShader(String(), String(kPointSizeProgram));
        if (!pointSizer)
        {
            LogError("Недостаточно памяти для шейдера. Имя[%s] ID[%d]", GetName().CStr(), GetID());
            return 2;
        }
    }
    Camera* camera = renderer.GetCamera();
    const Matrix4 viewProjection = camera ? camera->GetViewProjection() : Matrix4::Identity();
    float constants[20];
    for (uint32_t row = 0; row < 4; ++row)
        for (uint32_t column = 0; column < 4; ++column)
            constants[row * 4 + column] = viewProjection.m[row][column];
    constants[16] = static_cast<float>(renderer.GetHeight());
    constants[17] = constants[18] = constants[19] = 0.0f;
    renderer.SetVertexShader(pointSizer.Get());
    renderer.SetVertexShaderConstants(0, constants, 5);
    return 0;
}

bool SpriteEffect::Holds(const Object* other) const
{
    if (GeometryNodeEffect::Holds(other))
        return true;
    return texture && (static_cast<const Object*>(texture.Get()) == other || texture->Holds(other));
}

int32_t SpriteEffect::Save(Stream& stream)
{
    if (GeometryNodeEffect::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteLink(texture.Get()) != 0)
    {
        LogError("Невозможно сохранить текстуру. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t SpriteEffect::Load(Stream& stream)
{
    if (GeometryNodeEffect::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    Object* link = nullptr;
    if (stream.ReadLink(link) != 0)
    {
        LogError("Невозможно загрузить текстуру. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    // Another class in the texture's place counts as no texture.
    SetTexture(link && link->IsDerived(BaseTexture::TYPE) ? static_cast<BaseTexture*>(link) : nullptr);
    MarkChanged();
    return 0;
}
