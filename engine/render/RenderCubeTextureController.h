#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/core/Quaternion.h"
#include "engine/core/Vector3.h"
#include "engine/render/RenderTargetController.h"
#include "engine/scene/Camera.h"

// Draws a list of nodes into the six faces of its target cube texture
// before the main view: environment maps seen from one point (the position
// of the controller's camera). The faces are seen through a camera of its
// own.
class RenderCubeTextureController : public RenderTargetController
{
    QRE_DECLARE_CLASS

public:
    explicit RenderCubeTextureController(const String& name = String()) : RenderTargetController(name) {}

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

protected:
    // Each of the six faces in order: pushed as the target, cleared with the
    // renderer's clear colour and depth 1, drawn through the face camera.
    // 1 when a face cannot be drawn into (the renderer logs why); 2 without
    // a face camera; 3 (logged) for a target that is not a cube texture.
    int32_t RenderInto(Renderer& renderer, BaseTexture& target, Camera* previous) override;

private:
    Ptr<Camera> cubeCamera; // made by PrepareCubeCamera; never stored
};
