#pragma once
#include <cstdint>

#include "engine/core/Array.h"
#include "engine/core/Matrix4.h"
#include "engine/core/Ptr.h"
#include "engine/core/Vector4.h"
#include "engine/render/SceneNodeEffect.h"
#include "engine/scene/NodeLink.h"

class Light;
class Node;
class Pass;
class PixelShader;
class Renderer;
class Texture;
class VertexShader;

// Dynamic shadows of one light on the subtree of the scene node that holds
// it. Its controller (RenderShadowmapEffectController) draws the casters
// from the light into a depth map before the frame; the effect's first pass
// lets the node draw its children as usual, its second draws every solid,
// undeformed geometry of the subtree once more, darkening the places the
// light does not reach by the shadow colour. Without depth-texture and
// shader support a single plain pass stands in.
class ShadowmapEffect : public SceneNodeEffect
{
    QRE_DECLARE_CLASS

public:
    // The side of the depth map and of its colour companion.
    static constexpr uint32_t kMapSize = 512;

    explicit ShadowmapEffect(const String& name = String());
    ~ShadowmapEffect() override;

    // The light whose view the map is drawn from (held); the passes are
    // told.
    Light* GetLight() const { return light.Get(); }
    void SetLight(Light* newLight);

    // The depth map (held); made on first need as "Shadowmap %d" with the
    // next number.
    Texture* GetShadowMap() const { return shadowMap.Get(); }
    void SetShadowMap(Texture* texture);
    // The map, made now when there is none; null (logged) when out of memory.
    Texture* EnsureShadowMap();
    // The colour picture drawn into beside the map (the depth needs a
    // picture of its size to go with it); made on first need, never stored.
    Texture* EnsureColourTarget();

    // The nodes drawn into the map. Weak links, like the hidden lists: a
    // caster may be the effect's own node, which holds the effect.
    void AddCaster(Node* node) { casters.Append(NodeLink(node)); }
    void ClearCasters() { casters.Clear(); }
    uint32_t GetCasterCount() const { return casters.Count(); }
    // Null past the end or for a node that has gone.
    Node* GetCaster(uint32_t index) const { return index < casters.Count() ? casters[index].Get() : nullptr; }

    bool GetFitToView() const { return fitToView; }
    void SetFitToView(bool value) { fitToView = value; }
    // Above this |cos| between the light and the view the map is not fitted
    // to the view.
    float GetRange() const { return range; }
    void SetRange(float value) { range = value; }
    // Constant (units of 2^-24) and slope-scaled depth bias of the map.
    float GetDepthBias() const { return depthBias; }
    float GetSlopeBias() const { return slopeBias; }
    void SetBias(float depth, float slope)
    {
        depthBias = depth;
        slopeBias = slope;
    }
    // Set: one lookup per pixel (hard edges); clear: five (softened).
    bool GetSecondFlag() const { return secondFlag; }
    void SetSecondFlag(bool value) { secondFlag = value; }
    // rgb the shadow's colour, a how much of it a shadowed place takes.
    const Vector4& GetShadowColour() const { return shadowColour; }
    void SetShadowColour(const Vector4& colour) { shadowColour = colour; }

    // World positions to projective map coordinates (light view-projection
    // x bias), written by the controller after each drawing of the map.
    const Matrix4& GetShadowMatrix() const { return shadowMatrix; }
    void SetShadowMatrix(const Matrix4& matrix);
    // Whether the map holds a drawing the matrix belongs to.
    bool IsMapReady() const { return mapReady; }

    // Draws the receivers again with the shadow programs (the second pass's
    // work); nothing while a shadow map is being drawn or before the map is.
    void DrawReceivers(Renderer& renderer);

    bool Holds(const Object* other) const override;

    // streaming: light, shadow map, shadow colour, flags, the biases and
    // range, the casters
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    // Draws one node's subtree with the receiving programs, culled against
    // the camera as the first pass was.
    void Receive(Renderer& renderer, Node& node);

    Array<NodeLink> casters{1, 2};
    bool fitToView = false;
    float depthBias = 0.0f;
    float slopeBias = 3.0f;
    float range = 0.99f;
    bool secondFlag = false;
    Ptr<Light> light;
    Ptr<Texture> shadowMap;
    Vector4 shadowColour{0.0f, 0.0f, 0.0f, 0.5f};
    Ptr<Texture> colourTarget; // runtime only
    Matrix4 shadowMatrix;
    bool mapReady = false;
    // What the receiving draws are made with (runtime).
    Ptr<Pass> receivePass;
    Ptr<VertexShader> receiveVertex;
    Ptr<PixelShader> receivePixel[2]; // five lookups, one lookup
};
