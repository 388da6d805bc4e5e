#pragma once
#include <cstdint>

#include "engine/core/Matrix4.h"
#include "engine/core/Ptr.h"
#include "engine/scene/PostUpdateController.h"

class Camera;
class Node;
class Pass;
class Renderer;
class ShadowmapEffect;
class VertexShader;

// Fills the shadow map of the ShadowmapEffect it is attached to (its
// target) before each frame: the effect's update queues it, BeginFrame runs
// it. The casters are drawn from the light, orthographically, with the
// effect's depth bias; the view-projection that did it, times the bias into
// texture space, goes to the effect for its receiving pass.
class RenderShadowmapEffectController : public PostUpdateController
{
    QRE_DECLARE_CLASS

public:
    explicit RenderShadowmapEffectController(const String& name = String());
    ~RenderShadowmapEffectController() override;

    // Draws the map: nothing (0) unless the target is a ShadowmapEffect
    // with a light; 1 without a renderer or when the map cannot be drawn
    // into (the renderer logs why), 2 when out of memory. The render
    // targets, the renderer's shadowPass flag and its camera are as before
    // afterwards.
    int32_t PostUpdate() override;

    // The light's view-projection for an effect: orthographic along the
    // light's direction, fitted to the view volume of camera (when the
    // effect asks and the light is not nearly along the view) cut down to
    // the bounds of the effect's subtree, and stretched towards the light to
    // take in every caster. letterbox widens the view to the band's.
    // False when there is nothing to fit (no light, no bounds).
    static bool LightViewProjection(const ShadowmapEffect& effect, const Camera* camera, bool letterbox,
                                    Matrix4& out);

    // The projective map coordinates of a light view-projection: x and y
    // into 0..1 with the picture's top at v = 0, z kept.
    static Matrix4 TextureBias();

private:
    // Draws the geometries of a caster's subtree with their depth programs.
    void DrawCaster(Renderer& renderer, Node& node, const Matrix4& lightViewProjection);
    // The pass and the three depth programs, made on first use. False when
    // out of memory.
    bool MakeDepthPass();

    Ptr<Pass> depthPass;
    Ptr<VertexShader> depthPrograms[3]; // plain, wind, skinned
    Ptr<Camera> lightCamera;            // what the renderer sees while the map is drawn
};
