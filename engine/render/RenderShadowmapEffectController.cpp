#include "engine/render/RenderShadowmapEffectController.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Vector4.h"
#include "engine/render/GeometryNodeEffect.h"
#include "engine/render/Renderer.h"
#include "engine/render/ShadowPrograms.h"
#include "engine/render/ShadowmapEffect.h"
#include "engine/render/StatePass.h"
#include "engine/render/Texture.h"
#include "engine/render/VertexShader.h"
#include "engine/scene/Camera.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/Light.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/SkinController.h"
#include "engine/scene/SphereBoundingVolume.h"

QRE_IMPLEMENT_CLASS(RenderShadowmapEffectController, PostUpdateController)

namespace
{
// Spheres this large (a mesh deformed by its vertex program) say nothing
// about where the geometry is.
constexpr float kUnbounded = 1.0e18f;

// An axis-aligned box in the light's space; empty until a sphere is added.
struct Box
{
    float low[3] = {std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
                    std::numeric_limits<float>::max()};
    float high[3] = {-std::numeric_limits<float>::max(), -std::numeric_limits<float>::max(),
                     -std::numeric_limits<float>::max()};

    bool Empty() const { return low[0] > high[0] || low[1] > high[1] || low[2] > high[2]; }
    void Add(const Vector3& p, float radius)
    {
        const float c[3] = {p.x, p.y, p.z};
        for (int i = 0; i < 3; ++i)
        {
            low[i] = std::min(low[i], c[i] - radius);
            high[i] = std::max(high[i], c[i] + radius);
        }
    }
    void Add(const Box& other)
    {
        for (int i = 0; i < 3; ++i)
        {
            low[i] = std::min(low[i], other.low[i]);
            high[i] = std::max(high[i], other.high[i]);
        }
    }
};

// The largest factor by which a matrix's rows scale lengths.
float LargestScale(const Matrix4& m)
{
    float largest = 0.0f;
    for (int row = 0; row < 3; ++row)
        largest = std::max(largest, Vector3(m.m[row][0], m.m[row][1], m.m[row][2]).Length());
    return largest;
}

// Adds the bounds of every drawn geometry under node, in the light's space.
// A geometry its vertex program skins is bounded by its rest sphere carried
// by each bone: a blend of the bones' images stays in their hull.
void AddBounds(Box& box, const Node& node, const Matrix4& lightView)
{
    if (node.IsCulled())
        return;
    if (node.IsDerived(SceneNode::TYPE))
    {
        const SceneNode& scene = static_cast<const SceneNode&>(node);
        for (uint32_t i = 0; i < scene.GetChildCount(); ++i)
            if (const Node* child = scene.GetChild(i))
                AddBounds(box, *child, lightView);
        return;
    }
    if (!node.IsDerived(GeometryNode::TYPE))
        return;
    const GeometryNode& geometry = static_cast<const GeometryNode&>(node);
    const GeometryNodeEffect* effect = geometry.GetEffect();
    const SkinController* skin = effect ? effect->GetSkinController() : nullptr;
    const BoundingVolume* local = geometry.GetLocalBound();
    if (effect && skin && effect->GetDepthProgram() == GeometryNodeEffect::DepthProgram::Skinned && local &&
        local->IsDerived(SphereBoundingVolume::TYPE) && skin->GetBoneMatrices())
    {
        const auto& sphere = static_cast<const SphereBoundingVolume&>(*local);
        for (uint32_t i = 0; i < skin->GetBoneCount(); ++i)
        {
            const Matrix4& bone = skin->GetBoneMatrices()[i];
            box.Add(lightView.TransformPoint(bone.TransformPoint(sphere.GetCenter())),
                    sphere.GetRadius() * LargestScale(bone));
        }
        return;
    }
    const BoundingVolume* world = geometry.GetWorldBound();
    if (!world || !world->IsDerived(SphereBoundingVolume::TYPE))
        return;
    const auto& sphere = static_cast<const SphereBoundingVolume&>(*world);
    const Vector3& c = sphere.GetCenter();
    if (!(sphere.GetRadius() < kUnbounded) || !std::isfinite(c.x) || !std::isfinite(c.y) || !std::isfinite(c.z))
        return;
    // A wind sway moves the vertices a little beyond the bound.
    const float sway = effect && effect->GetWindEnabled() ? std::fabs(effect->GetWindAmplitude()) * sphere.GetRadius() : 0.0f;
    box.Add(lightView.TransformPoint(c), sphere.GetRadius() + (std::isfinite(sway) ? sway : 0.0f));
}
} // namespace

RenderShadowmapEffectController::RenderShadowmapEffectController(const String& name) : PostUpdateController(name)
{
}

RenderShadowmapEffectController::~RenderShadowmapEffectController() = default;

Matrix4 RenderShadowmapEffectController::TextureBias()
{
    // GL samples texel centres where the picture put them, so the original
    // half-texel shift is not wanted; the map's rows run top-down like every
    // picture drawn into a texture, hence the -0.5 on y.
    return Matrix4(0.5f, 0.0f, 0.0f, 0.0f, 0.0f, -0.5f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.5f, 0.5f, 0.0f, 1.0f);
}

bool RenderShadowmapEffectController::LightViewProjection(const ShadowmapEffect& effect, const Camera* camera,
                                                          bool letterbox, Matrix4& out)
{
    const Light* light = effect.GetLight();
    if (!light)
        return false;
    Vector3 d = light->GetDirection();
    if (!(d.Normalize() > 0.0f) || !std::isfinite(d.x) || !std::isfinite(d.y) || !std::isfinite(d.z))
        return false;
    const Vector3 up = std::fabs(d.y) < 0.99f ? Vector3(0.0f, 1.0f, 0.0f) : Vector3(1.0f, 0.0f, 0.0f);
    Vector3 r = up.Cross(d);
    r.Normalize();
    const Vector3 u = d.Cross(r);
    // Rows are vectors: the world's x, y, z axes in the light's right, up
    // and forward.
    const Matrix4 lightView(r.x, u.x, d.x, 0.0f, r.y, u.y, d.y, 0.0f, r.z, u.z, d.z, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f);

    Box receivers, casters;
    if (const SceneNode* owner = effect.GetOwner())
        AddBounds(receivers, *owner, lightView);
    for (uint32_t i = 0; i < effect.GetCasterCount(); ++i)
        if (const Node* caster = effect.GetCaster(i))
            AddBounds(casters, *caster, lightView);
    if (receivers.Empty())
        receivers = casters;
    if (receivers.Empty())
        return false;

    Box fitted = receivers;
    fitted.Add(casters);
    const float cosine = camera ? std::fabs(d.Dot(camera->GetForward())) : 2.0f;
    Matrix4 inverse;
    if (camera && effect.GetFitToView() && cosine <= effect.GetRange() && camera->GetViewProjection().Inverse(inverse))
    {
        // The corners of the view volume (clip depth 0..1); the band of a
        // letterbox is wider than the picture the camera last saw.
        const float wide = letterbox ? 1.0f / 0.75f : 1.0f;
        Box view;
        for (int corner = 0; corner < 8; ++corner)
        {
            const Vector4 clip((corner & 1) ? wide : -wide, (corner & 2) ? 1.0f : -1.0f, (corner & 4) ? 1.0f : 0.0f,
                               1.0f);
            const Vector4 p = inverse.Transform(clip);
            if (std::fabs(p.w) > 1e-20f)
                view.Add(lightView.TransformPoint(Vector3(p.x / p.w, p.y / p.w, p.z / p.w)), 0.0f);
        }
        Box cut = receivers;
        for (int i = 0; i < 3; ++i)
        {
            cut.low[i] = std::max(cut.low[i], view.low[i]);
            cut.high[i] = std::min(cut.high[i], view.high[i]);
        }
        if (!cut.Empty())
        {
            // Whatever lies between the light and the visible receivers may
            // shadow them, inside the view or not.
            if (!casters.Empty())
                cut.low[2] = std::min(cut.low[2], casters.low[2]);
            fitted = cut;
        }
    }
    for (int i = 0; i < 3; ++i)
    {
        if (!std::isfinite(fitted.low[i]) || !std::isfinite(fitted.high[i]))
            return false;
        // A little room, so that nothing sits exactly on the far plane or
        // the map's edge, and never a zero extent.
        const float pad = std::max(0.01f * (fitted.high[i] - fitted.low[i]), 0.01f);
        fitted.low[i] -= pad;
        fitted.high[i] += pad;
    }
    const float sx = 2.0f / (fitted.high[0] - fitted.low[0]);
    const float sy = 2.0f / (fitted.high[1] - fitted.low[1]);
    const float sz = 1.0f / (fitted.high[2] - fitted.low[2]);
    const Matrix4 projection(sx, 0.0f, 0.0f, 0.0f, 0.0f, sy, 0.0f, 0.0f, 0.0f, 0.0f, sz, 0.0f,
                             -(fitted.high[0] + fitted.low[0]) * 0.5f * sx, -(fitted.high[1] + fitted.low[1]) * 0.5f * sy,
                             -fitted.low[2] * sz, 1.0f);
    out = lightView * projection;
    return true;
}

bool RenderShadowmapEffectController::MakeDepthPass()
{
    if (depthPass)
        return true;
    Ptr<Pass> pass = new (std::nothrow) StatePass();
    depthPrograms[0] = new (std::nothrow) VertexShader(String("Shadowmap.Depth"), String(ShadowPrograms::DepthPlainVertex()));
    depthPrograms[1] =
        new (std::nothrow) VertexShader(String("Shadowmap.DepthWind"), String(ShadowPrograms::DepthWindVertex()));
    depthPrograms[2] = new (std::nothrow) VertexShader(String("Shadowmap.DepthSkinned"),
                                                       String(ShadowPrograms::DepthSkinnedVertex()));
    lightCamera = new (std::nothrow) Camera(String("Shadowmap Light"));
    if (!pass || !pass->GetState() || !depthPrograms[0] || !depthPrograms[1] || !depthPrograms[2] || !lightCamera)
    {
        LogError("Недостаточно памяти для создания прохода. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return false;
    }
    // Both faces write depth (the bias keeps lit faces clear of their own
    // shadow); the colour picture beside the map is of no interest.
    RenderStateBlock& state = *pass->GetState();
    state.blendEnabled = false;
    state.depthWrite = true;
    state.depthFunction = CompareFunction::LessEqual;
    state.cullEnabled = false;
    depthPass = pass;
    return true;
}

int32_t RenderShadowmapEffectController::PostUpdate()
{
    Object* target = GetTarget();
    if (!target || !target->IsDerived(ShadowmapEffect::TYPE))
        return 0;
    auto& effect = static_cast<ShadowmapEffect&>(*target);
    if (!effect.GetLight())
        return 0;
    Renderer* renderer = GetRenderer();
    if (!renderer)
        return 1;
    Texture* map = effect.EnsureShadowMap();
    Texture* colour = effect.EnsureColourTarget();
    if (!map || !colour || !MakeDepthPass())
        return 2;
    // Held: the renderer lets its camera go when another is set.
    const Ptr<Camera> previous = renderer->GetCamera();
    Matrix4 lightViewProjection;
    if (!LightViewProjection(effect, previous.Get(), renderer->IsLetterbox(), lightViewProjection))
        return 0;
    if (renderer->SetRenderTarget(colour) != 0)
        return 1;
    if (renderer->SetDepthRenderTarget(map, effect.GetDepthBias(), effect.GetSlopeBias()) != 0)
    {
        renderer->SetRenderTarget(nullptr);
        return 1;
    }
    renderer->shadowPass = true;
    renderer->Clear(2, renderer->GetClearColour(), 1.0f, 0);
    lightCamera->SetViewProjection(lightViewProjection);
    renderer->SetCamera(lightCamera.Get());
    for (uint32_t i = 0; i < effect.GetCasterCount(); ++i)
        if (Node* caster = effect.GetCaster(i))
            DrawCaster(*renderer, *caster, lightViewProjection);
    renderer->SetDepthRenderTarget(nullptr, 0.0f, 0.0f);
    renderer->SetRenderTarget(nullptr);
    renderer->shadowPass = false;
    renderer->SetCamera(previous.Get());
    effect.SetShadowMatrix(lightViewProjection * TextureBias());
    return 0;
}

void RenderShadowmapEffectController::DrawCaster(Renderer& renderer, Node& node, const Matrix4& lightViewProjection)
{
    if (node.IsCulled())
        return;
    if (node.IsDerived(SceneNode::TYPE))
    {
        SceneNode& scene = static_cast<SceneNode&>(node);
        for (uint32_t i = 0; i < scene.GetChildCount(); ++i)
            if (Node* child = scene.GetChild(i))
                DrawCaster(renderer, *child, lightViewProjection);
        return;
    }
    if (!node.IsDerived(GeometryNode::TYPE))
        return;
    GeometryNode& geometry = static_cast<GeometryNode&>(node);
    GeometryNodeEffect* effect = geometry.GetEffect();
    // Blended geometry casts no solid shadow.
    if (!effect || !effect->IsEnabled() || effect->IsTransparent() || !geometry.IsDrawable() || !geometry.GetIndices())
        return;
    GeometryNodeEffect::DepthProgram program = effect->GetDepthProgram();
    SkinController* skin = effect->GetSkinController();
    if (program == GeometryNodeEffect::DepthProgram::Skinned &&
        (!skin || skin->GetBoneCount() == 0 || !skin->GetBoneMatrices() || !skin->GetRestVertices() ||
         !skin->GetWeights() || !skin->GetBoneIndices()))
        program = GeometryNodeEffect::DepthProgram::Plain;

    renderer.SetGeometry(&geometry);
    renderer.SetCurrentPass(depthPass.Get());
    renderer.BeginPass(depthPass.Get());
    renderer.SetIndexBuffer(geometry.GetIndices());
    if (program == GeometryNodeEffect::DepthProgram::Skinned)
    {
        // The palette brings the rest pose to the world.
        renderer.SetPositionStream(skin->GetRestVertices());
        renderer.SetBlendWeightStream(skin->GetWeights());
        renderer.SetBlendIndexStream(skin->GetBoneIndices());
        renderer.SetVertexShader(depthPrograms[2].Get());
        renderer.SetVertexShaderConstants(0, &lightViewProjection.m[0][0], 4);
        const uint32_t bones = std::min(skin->GetBoneCount(), static_cast<uint32_t>(ShadowPrograms::kMaxBones));
        renderer.SetVertexShaderConstants(8, &skin->GetBoneMatrices()[0].m[0][0], bones * 4);
    }
    else
    {
        const Matrix4 transform = geometry.GetWorldTransform().ToMatrix() * lightViewProjection;
        renderer.SetPositionStream(geometry.GetVertices());
        const bool wind = program == GeometryNodeEffect::DepthProgram::Wind;
        renderer.SetVertexShader(depthPrograms[wind ? 1 : 0].Get());
        renderer.SetVertexShaderConstants(0, &transform.m[0][0], 4);
        if (wind)
        {
            const float sway[4] = {effect->GetWindAmplitude(), effect->GetWindSpeed(), effect->GetTime(), 0.0f};
            renderer.SetVertexShaderConstants(4, sway, 1);
        }
    }
    renderer.DrawIndexed();
}
