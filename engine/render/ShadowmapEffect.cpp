#include "engine/render/ShadowmapEffect.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/image/Image.h"
#include "engine/render/GeometryNodeEffect.h"
#include "engine/render/PixelShader.h"
#include "engine/render/Renderer.h"
#include "engine/render/ShadowPrograms.h"
#include "engine/render/StatePass.h"
#include "engine/render/Technique.h"
#include "engine/render/Texture.h"
#include "engine/render/VertexShader.h"
#include "engine/scene/Camera.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/Light.h"
#include "engine/scene/SceneNode.h"

QRE_IMPLEMENT_CLASS(ShadowmapEffect, SceneNodeEffect)

namespace
{
// The number the next shadow map's name takes.
int32_t nextMapNumber = 0;

// The second pass of the shadow technique: the receivers are drawn by the
// effect inside Apply, so the node does not draw its children again (1).
class ReceivingPass : public Pass
{
public:
    explicit ReceivingPass(ShadowmapEffect* effect) : effect(effect) {}

    int32_t Apply() override
    {
        if (Renderer* renderer = GetRenderer())
            effect->DrawReceivers(*renderer);
        return 1;
    }

private:
    ShadowmapEffect* effect; // back pointer: the effect owns the technique
};

// The first pass: the children drawn as they are. Also the fallback's only
// pass, where the subtree is drawn without shadows.
bool MakePlainPass(Ptr<Pass>& made)
{
    made = new (std::nothrow) StatePass();
    return made && made->GetState();
}

// Depth textures with comparison, vertex programs and pixel programs 2.0 or
// 3.0.
class ShadowTechnique : public Technique
{
public:
    explicit ShadowTechnique(ShadowmapEffect* effect) : effect(effect) {}

    bool IsSupported(const Renderer& renderer) override
    {
        const DeviceCaps& caps = renderer.GetCaps();
        if (!caps.hardwareShadowmaps || caps.vertexShaderLevel == ShaderLevel::None ||
            (caps.pixelShaderLevel != ShaderLevel::Model2 && caps.pixelShaderLevel != ShaderLevel::Model3))
            return false;
        if (GetPassCount() == 0)
        {
            Ptr<Pass> plain;
            Ptr<Pass> receiving = new (std::nothrow) ReceivingPass(effect);
            if (!MakePlainPass(plain) || !receiving || !receiving->GetState())
                return false;
            AddPass(plain.Get());
            AddPass(receiving.Get());
        }
        return GetPassCount() == 2;
    }

private:
    ShadowmapEffect* effect; // back pointer
};

// Any device: the subtree drawn once, unshadowed.
class UnshadowedTechnique : public Technique
{
public:
    bool IsSupported(const Renderer&) override
    {
        if (GetPassCount() == 0)
        {
            Ptr<Pass> plain;
            if (!MakePlainPass(plain))
                return false;
            AddPass(plain.Get());
        }
        return GetPassCount() == 1;
    }
};

// Whether a bias or range read from a file can be used as it is.
float Finite(float value, float fallback)
{
    return std::isfinite(value) ? value : fallback;
}
} // namespace

ShadowmapEffect::ShadowmapEffect(const String& name) : SceneNodeEffect(name)
{
    AddTechnique(std::unique_ptr<Technique>(new (std::nothrow) ShadowTechnique(this)));
    AddTechnique(std::unique_ptr<Technique>(new (std::nothrow) UnshadowedTechnique()));
}

ShadowmapEffect::~ShadowmapEffect() = default;

void ShadowmapEffect::SetLight(Light* newLight)
{
    light = newLight;
    mapReady = false;
    MarkChanged();
}

void ShadowmapEffect::SetShadowMap(Texture* texture)
{
    shadowMap = texture;
    mapReady = false;
    MarkChanged();
}

Texture* ShadowmapEffect::EnsureShadowMap()
{
    if (shadowMap)
        return shadowMap.Get();
    char name[32];
    std::snprintf(name, sizeof name, "Shadowmap %d", nextMapNumber++);
    Ptr<Texture> texture = new (std::nothrow) Texture(String(name));
    Ptr<Image> size = new (std::nothrow) Image(String(name), Image::kPixelSized, kMapSize, kMapSize);
    if (!texture || !size || texture->SetImage(size.Get()) != 0)
    {
        LogError("Недостаточно памяти для создания карты теней. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return nullptr;
    }
    SetShadowMap(texture.Get());
    return shadowMap.Get();
}

Texture* ShadowmapEffect::EnsureColourTarget()
{
    if (colourTarget)
        return colourTarget.Get();
    Ptr<Texture> texture = new (std::nothrow) Texture(String("Shadowmap Colour"));
    Ptr<Image> size = new (std::nothrow) Image(String("Shadowmap Colour"), Image::kPixelSized, kMapSize, kMapSize);
    if (!texture || !size || texture->SetImage(size.Get()) != 0)
    {
        LogError("Недостаточно памяти для создания карты теней. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return nullptr;
    }
    colourTarget = texture;
    return colourTarget.Get();
}

void ShadowmapEffect::SetShadowMatrix(const Matrix4& matrix)
{
    shadowMatrix = matrix;
    mapReady = true;
}

void ShadowmapEffect::DrawReceivers(Renderer& renderer)
{
    SceneNode* node = GetOwner();
    if (renderer.shadowPass || !node || !mapReady || !shadowMap || !renderer.GetCamera())
        return;
    if (!receivePass)
    {
        Ptr<Pass> pass = new (std::nothrow) StatePass();
        receiveVertex = new (std::nothrow) VertexShader(String("Shadowmap.Receive"),
                                                        String(ShadowPrograms::ReceiveVertex()));
        receivePixel[0] = new (std::nothrow) PixelShader(String("Shadowmap.ReceiveFive"),
                                                         String(ShadowPrograms::ReceiveFiveSamplePixel()));
        receivePixel[1] = new (std::nothrow) PixelShader(String("Shadowmap.ReceiveOne"),
                                                         String(ShadowPrograms::ReceiveOneSamplePixel()));
        if (!pass || !pass->GetState() || !receiveVertex || !receivePixel[0] || !receivePixel[1])
        {
            LogError("Недостаточно памяти для создания прохода. Имя[%s] ID[%d]", GetName().CStr(), GetID());
            return;
        }
        // Over what the first pass drew, never in front of it: the shadow
        // colour premultiplied by its share, the rest of dst kept.
        RenderStateBlock& state = *pass->GetState();
        state.blendEnabled = true;
        state.sourceBlend = BlendFactor::One;
        state.destinationBlend = BlendFactor::InverseSourceAlpha;
        state.depthWrite = false;
        state.depthFunction = CompareFunction::LessEqual;
        state.cullEnabled = false;
        receivePass = pass;
    }
    Receive(renderer, *node);
}

void ShadowmapEffect::Receive(Renderer& renderer, Node& node)
{
    if (node.IsCulled())
        return;
    Camera* camera = renderer.GetCamera();
    const uint32_t saved = camera->GetActivePlanes();
    if (node.GetWorldBound() && camera->IsCulled(*node.GetWorldBound()))
    {
        camera->SetActivePlanes(saved);
        return;
    }
    if (node.IsDerived(SceneNode::TYPE))
    {
        SceneNode& scene = static_cast<SceneNode&>(node);
        for (uint32_t i = 0; i < scene.GetChildCount(); ++i)
            if (Node* child = scene.GetChild(i))
                Receive(renderer, *child);
    }
    else if (node.IsDerived(GeometryNode::TYPE))
    {
        GeometryNode& geometry = static_cast<GeometryNode&>(node);
        GeometryNodeEffect* effect = geometry.GetEffect();
        // Blended geometry is no solid shape, and deformed geometry would
        // be darkened where it is not drawn: both are left as they are.
        if (effect && effect->IsEnabled() && !effect->IsTransparent() &&
            effect->GetDepthProgram() == GeometryNodeEffect::DepthProgram::Plain && geometry.IsDrawable() &&
            geometry.GetIndices())
        {
            const Matrix4 world = geometry.GetWorldTransform().ToMatrix();
            const Matrix4 transform = (world * camera->GetView()) * camera->GetProjection();
            const Matrix4 toMap = world * shadowMatrix;
            const float texel[4] = {1.0f / static_cast<float>(kMapSize), 1.0f / static_cast<float>(kMapSize), 0, 0};
            renderer.SetGeometry(&geometry);
            renderer.SetCurrentPass(receivePass.Get());
            renderer.BeginPass(receivePass.Get());
            renderer.SetIndexBuffer(geometry.GetIndices());
            renderer.SetPositionStream(geometry.GetVertices());
            renderer.SetTexture(0, shadowMap.Get());
            renderer.SetVertexShader(receiveVertex.Get());
            renderer.SetPixelShader(receivePixel[secondFlag ? 1 : 0].Get());
            renderer.SetVertexShaderConstants(0, &transform.m[0][0], 4);
            renderer.SetVertexShaderConstants(4, &toMap.m[0][0], 4);
            renderer.SetVertexShaderConstants(8, &shadowColour.x, 1);
            renderer.SetPixelShaderConstants(0, texel, 1);
            renderer.DrawIndexed();
            renderer.SetTexture(0, nullptr);
        }
    }
    camera->SetActivePlanes(saved);
}

bool ShadowmapEffect::Holds(const Object* other) const
{
    if (SceneNodeEffect::Holds(other))
        return true;
    const Object* held[] = {light.Get(), shadowMap.Get()};
    for (const Object* object : held)
        if (object && (object == other || object->Holds(other)))
            return true;
    return false;
}

int32_t ShadowmapEffect::Save(Stream& stream)
{
    if (SceneNodeEffect::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteLink(light.Get()) != 0)
    {
        LogError("Невозможно сохранить источник света. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteLink(shadowMap.Get()) != 0)
    {
        LogError("Невозможно сохранить шадамап. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    stream.WriteVector4(shadowColour);
    stream.WriteInt8(static_cast<int8_t>((fitToView ? 1 : 0) | (secondFlag ? 2 : 0)));
    stream.WriteFloat(depthBias);
    stream.WriteFloat(slopeBias);
    stream.WriteFloat(range);
    stream.WriteUInt32(casters.Count());
    for (const NodeLink& link : casters)
        stream.WriteLink(link.Get());
    if (stream.GetState() != 0)
    {
        LogError("Невозможно сохранить узлы. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t ShadowmapEffect::Load(Stream& stream)
{
    if (SceneNodeEffect::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    Object* link = nullptr;
    if (stream.ReadLink(link) != 0)
    {
        LogError("Невозможно загрузить источник света. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    // Another class in a link's place counts as none.
    SetLight(link && link->IsDerived(Light::TYPE) ? static_cast<Light*>(link) : nullptr);
    link = nullptr;
    if (stream.ReadLink(link) != 0)
    {
        LogError("Невозможно загрузить карту теней. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    SetShadowMap(link && link->IsDerived(Texture::TYPE) ? static_cast<Texture*>(link) : nullptr);
    int8_t flags = 0;
    stream.ReadVector4(shadowColour);
    stream.ReadInt8(flags);
    stream.ReadFloat(depthBias);
    stream.ReadFloat(slopeBias);
    stream.ReadFloat(range);
    if (stream.GetState() != 0)
    {
        LogError("Невозможно загрузить цвет тени. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    fitToView = (flags & 1) != 0;
    secondFlag = (flags & 2) != 0;
    // Nothing that is not a number reaches the device's bias.
    depthBias = Finite(depthBias, 0.0f);
    slopeBias = Finite(slopeBias, 3.0f);
    uint32_t count = 0;
    if (stream.ReadUInt32(count) != 0 || !stream.CheckRemaining(count, 4))
    {
        LogError("Невозможно загрузить узлы. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    casters.Clear();
    for (uint32_t i = 0; i < count; ++i)
    {
        Object* node = nullptr;
        if (stream.ReadLink(node) != 0)
        {
            LogError("Невозможно загрузить узлы. Имя[%s] ID[%d]", GetName().CStr(), GetID());
            return 1;
        }
        if (node && node->IsDerived(Node::TYPE))
            casters.Append(NodeLink(static_cast<Node*>(node)));
    }
    return 0;
}
