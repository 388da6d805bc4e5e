#include "engine/render/RenderCubeTextureController.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Matrix4.h"
#include "engine/render/BaseTexture.h"
#include "engine/render/CubeTexture.h"
#include "engine/render/Renderer.h"

QRE_IMPLEMENT_CLASS(RenderCubeTextureController, PostUpdateController)

int32_t RenderCubeTextureController::RenderInto(Renderer& renderer, BaseTexture& target, Camera* previous)
{
    if (!target.IsDerived(CubeTexture::TYPE))
    {
        LogWarning("Цель контроллера не является кубической текстурой. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 3;
    }
    auto* cube = static_cast<CubeTexture*>(&target);
    if (!PrepareCubeCamera(previous))
        return 2;
    for (uint32_t face = 0; face < kFaceCount; ++face)
    {
        OrientCubeCamera(face);
        if (renderer.SetCubeRenderTarget(face, cube) != 0)
            return 1;
        renderer.Clear(3, renderer.GetClearColour(), 1.0f, 0);
        // Again with the face as the viewport: the projection takes its
        // aspect from there.
        cubeCamera->UpdateWorldData(0.0);
        renderer.SetCamera(cubeCamera.Get());
        DrawNodes(renderer);
        // The blended nodes belong in this face too, seen by its camera.
        renderer.FlushTransparent();
        renderer.SetCubeRenderTarget(face, nullptr);
    }
    return 0;
}

bool RenderCubeTextureController::GetFaceAxes(uint32_t face, Vector3& direction, Vector3& up, Vector3& right)
{
    struct FaceAxes
    {
        Vector3 direction, up, right;
    };
    static const FaceAxes faces[kFaceCount] = {
        {Vector3(1, 0, 0), Vector3(0, 1, 0), Vector3(0, 0, -1)},
        {Vector3(-1, 0, 0), Vector3(0, 1, 0), Vector3(0, 0, 1)},
        {Vector3(0, 1, 0), Vector3(0, 0, -1), Vector3(1, 0, 0)},
        {Vector3(0, -1, 0), Vector3(0, 0, 1), Vector3(1, 0, 0)},
        {Vector3(0, 0, 1), Vector3(0, 1, 0), Vector3(1, 0, 0)},
        {Vector3(0, 0, -1), Vector3(0, 1, 0), Vector3(-1, 0, 0)},
    };
    if (face >= kFaceCount)
        return false;
    direction = faces[face].direction;
    up = faces[face].up;
    right = faces[face].right;
    return true;
}

Quaternion RenderCubeTextureController::GetFaceRotation(uint32_t face)
{
    Vector3 d, u, r;
    if (!GetFaceAxes(face, d, u, r))
        return Quaternion::Identity();
    // The camera reads its axes from the columns of its rotation.
    const Matrix4 m(r.x, u.x, d.x, 0, r.y, u.y, d.y, 0, r.z, u.z, d.z, 0, 0, 0, 0, 1);
    return Quaternion::FromMatrix3(m);
}

Camera* RenderCubeTextureController::PrepareCubeCamera(const Camera* current)
{
    if (!cubeCamera)
    {
        cubeCamera = new (std::nothrow) Camera(String("CubeCamera"));
        if (!cubeCamera)
        {
            LogError("Недостаточно памяти для создания кубической камеры. Имя[%s] ID[%d]", GetName().CStr(), GetID());
            return nullptr;
        }
        cubeCamera->SetFieldOfView(kFaceFieldOfView);
    }
    if (current)
    {
        cubeCamera->SetNearDistance(current->GetNearDistance());
        cubeCamera->SetFarDistance(current->GetFarDistance());
    }
    return cubeCamera.Get();
}

int32_t RenderCubeTextureController::OrientCubeCamera(uint32_t face)
{
    if (face >= kFaceCount || !cubeCamera)
        return 3;
    const Camera* camera = GetCamera();
    const Vector3 position = camera ? camera->GetPosition() : Vector3();
    cubeCamera->SetLocalTransform(Transform(position, GetFaceRotation(face), Vector3(1, 1, 1)));
    cubeCamera->UpdateWorldData(0.0);
    return 0;
}

bool RenderCubeTextureController::Holds(const Object* other) const
{
    if (RenderTargetController::Holds(other))
        return true;
    return cubeCamera && (cubeCamera.Get() == other || cubeCamera->Holds(other));
}
