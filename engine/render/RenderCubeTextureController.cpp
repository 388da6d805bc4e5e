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
    Object* target = GetTarget();
    return target && target->IsDerived(BaseTexture::TYPE) ? static_cast<BaseTexture*>(target) : nullptr;
}

bool RenderCubeTextureController::NeedsRender() const
{
    const BaseTexture* texture = GetTargetTexture();
    if (!texture)
        return false;
    return continuous || !rendered || !texture->GetDeviceHandle();
}

int32_t RenderCubeTextureController::PostUpdate()
{
    if (NeedsRender())
        ++pendingRenders;
    return 0;
}

int32_t RenderCubeTextureController::SetCamera(Camera* newCamera)
{
    if (newCamera && newCamera->Holds(this))
    {
        LogWarning("Камера уже владеет контроллером, установка замкнула бы цикл ссылок. Имя[%s] ID[%d]",
                   GetName().CStr(), GetID());
        return 3;
    }
    camera = newCamera;
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
    const Vector3 position = camera ? camera->GetPosition() : Vector3();
    cubeCamera->SetLocalTransform(Transform(position, GetFaceRotation(face), Vector3(1, 1, 1)));
    cubeCamera->UpdateWorldData(0.0);
    return 0;
}

bool RenderCubeTextureController::Holds(const Object* other) const
{
    if (PostUpdateController::Holds(other))
        return true;
    if (camera && (camera.Get() == other || camera->Holds(other)))
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
    if (stream.WriteBool(continuous) != 0)
    {
        LogError("Невозможно сохранить флаг генерации. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteLink(camera.Get()) != 0)
    {
        LogError("Невозможно сохранить узел камеры. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    stream.WriteUInt32(nodes.Count());
    for (const NodeLink& link : nodes)
        stream.WriteLink(link.Get());
    if (stream.GetState() != 0)
    {
        LogError("Невозможно сохранить узлы. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t RenderCubeTextureController::Load(Stream& stream)
{
    if (PostUpdateController::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    if (stream.ReadBool(continuous) != 0)
    {
        LogError("Невозможно загрузить флаг генерации. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    Object* link = nullptr;
    if (stream.ReadLink(link) != 0)
    {
        LogError("Невозможно загрузить узел камеры. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    // Another class counts as no camera.
    if (SetCamera(link && link->IsDerived(Camera::TYPE) ? static_cast<Camera*>(link) : nullptr) != 0)
        return 1;
    uint32_t count = 0;
    if (stream.ReadUInt32(count) != 0 || !stream.CheckRemaining(count, 4))
    {
        LogError("Невозможно загрузить узлы. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    nodes.Clear();
    for (uint32_t i = 0; i < count; ++i)
    {
        Object* node = nullptr;
        if (stream.ReadLink(node) != 0)
        {
            LogError("Невозможно загрузить узлы. Имя[%s] ID[%d]", GetName().CStr(), GetID());
            return 1;
        }
        if (node && node->IsDerived(Node::TYPE))
            nodes.Append(NodeLink(static_cast<Node*>(node)));
    }
    rendered = false;
    return 0;
}
