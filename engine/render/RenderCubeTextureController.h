#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/core/Quaternion.h"
#include "engine/core/Vector3.h"
#include "engine/render/RenderTargetSetup.h"
#include "engine/scene/Camera.h"
#include "engine/scene/PostUpdateController.h"

class BaseTexture;

// Draws a list of nodes into the six faces of its target cube texture (the
// controlled object) before the main view: environment maps seen from one
// point. A non-continuous target is drawn once, and again only after its
// device copy was lost. The faces are seen through a camera of its own.
class RenderCubeTextureController : public PostUpdateController
{
    QRE_DECLARE_CLASS

public:
    explicit RenderCubeTextureController(const String& name = String()) : PostUpdateController(name) {}

    // The target texture, or null when the controlled object is none.
    BaseTexture* GetTargetTexture() const;

    // False only for a non-continuous target that was drawn and still has
    // its device copy; a controller without a target texture never draws.
    bool NeedsRender() const;

    // When due (NeedsRender), draws the nodes into each of the six faces
    // in order through the face camera, each face cleared with the
    // renderer's clear colour and depth 1 first; the renderer's camera is
    // restored after. 0; 1 without a renderer or when a face cannot be
    // drawn into (the renderer logs why); 2 without a face camera; 3
    // (logged) for a target that is not a cube texture.
    int32_t PostUpdate() override;
    // How many times the whole cube was drawn.
    uint32_t GetRenderCount() const { return renderCount; }

    // The nodes drawn into the target, not held (see RenderTargetSetup).
    void AddNode(Node* node) { setup.AddNode(node); }
    uint32_t GetNodeCount() const { return setup.GetNodeCount(); }
    Node* GetNode(uint32_t index) const { return setup.GetNode(index); }

    // The camera whose position the cube is seen from (held); the origin
    // without one. 0; 3 (logged) for a camera that holds this controller.
    // Null clears it.
    int32_t SetCamera(Camera* newCamera) { return setup.SetCamera(*this, newCamera); }
    Camera* GetCamera() const { return setup.GetCamera(); }

    bool IsContinuous() const { return setup.IsContinuous(); }
    void SetContinuous(bool value) { setup.SetContinuous(value); }
    bool IsRendered() const { return rendered; }
    void SetRendered(bool value) { rendered = value; }

    // faces ----------------------------------------------------------------

    static constexpr uint32_t kFaceCount = 6;
    // The field of view that makes each face a quarter turn.
    static constexpr float kFaceFieldOfView = 1.5707964f;

    // The axes a face is seen along, in the device's cube face order (+x,
    // -x, +y, -y, +z, -z). False, leaving the vectors, for face >= 6.
    static bool GetFaceAxes(uint32_t face, Vector3& direction, Vector3& up, Vector3& right);

    // The rotation whose camera axes are the face's (right, up, forward
    // as the rotation's columns); identity for face >= 6.
    static Quaternion GetFaceRotation(uint32_t face);

    // The face camera, made on first use and kept for every face and frame:
    // a quarter-turn view with the near and far planes of current (when
    // given) at the position of GetCamera. Null only when it cannot be
    // made (logged).
    Camera* PrepareCubeCamera(const Camera* current);
    Camera* GetCubeCamera() const { return cubeCamera.Get(); }

    // Turns the face camera to a face and brings its world data and
    // matrices up to date (time 0). 0; 3 for face >= 6 or no face camera.
    int32_t OrientCubeCamera(uint32_t face);

    bool Holds(const Object* other) const override;

    // streaming: continuous, the camera link, the node count (u32) and that
    // many node links
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    RenderTargetSetup setup;
    Ptr<Camera> cubeCamera; // made by PrepareCubeCamera; never stored
    bool rendered = false;
    uint32_t renderCount = 0;
};
