#include "engine/render/RenderCubeTextureController.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/core/Matrix4.h"
#include "engine/render/BaseTexture.h"

QRE_IMPLEMENT_CLASS(RenderCubeTextureController, PostUpdateController)

BaseTexture* RenderCubeTextureController::GetTargetTexture() const
{
    return RenderTargetSetup::TargetTexture(GetTarget());
}

bool RenderCubeTextureController::NeedsRender() const
{
    return setup.NeedsRender(GetTarget(), rendered);
}

int32_t RenderCubeTextureController::PostUpdate()
{
    if (NeedsRender())
        ++pendingRenders;
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
    const Camera* camera = setup.GetCamera();
    const Vector3 position = camera ? camera->GetPosition() : Vector3();
    cubeCamera->SetLocalTransform(Transform(position, GetFaceRotation(face), Vector3(1, 1, 1)));
    cubeCamera->UpdateWorldData(0.0);
    return 0;
}

bool RenderCubeTextureController::Holds(const Object* other) const
{
    if (PostUpdateController::Holds(other))
        return true;
    if (setup.Holds(other))
        return true;
    return cubeCamera && (cubeCamera.Get() == other || cubeCamera->Holds(other));
}

int32_t RenderCubeTextureController::Save(Stream& stream)
{
    if (PostUpdateController::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return setup.Save(*this, stream);
}

int32_t RenderCubeTextureController::Load(Stream& stream)
{
    if (PostUpdateController::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    if (setup.Load(*this, stream) != 0)
        return 1;
    rendered = false;
    return 0;
}
