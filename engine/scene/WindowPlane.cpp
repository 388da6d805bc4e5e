#include "engine/scene/WindowPlane.h"

#include <cfloat>
#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/render/GeometryNodeEffect.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/SphereBoundingVolume.h"

QRE_IMPLEMENT_CLASS(WindowPlane, Triangles)

void WindowPlane::DrawCulled(Renderer& renderer)
{
    if (!culledFlag)
        Draw(renderer);
}

void WindowPlane::Draw(Renderer& renderer)
{
    if (!effect || !effect->IsEnabled() || !vertices)
        return;
    if (effect->IsTransparent())
        renderer.QueueTransparent(this);
    else
        DrawDeferred(renderer);
}

void WindowPlane::DrawDeferred(Renderer& renderer)
{
    worldTransform = Transform(Vector3(position.x, position.y, 0.0f), Quaternion::Identity(),
                               Vector3(size.x, size.y, 1.0f));

    // [0, 1] x [0, 1] onto the whole view.
    static const Matrix4 kScreen(2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1, 0, -1, -1, 0, 1);
    Ptr<Camera> camera = renderer.GetCamera();
    Matrix4 projection, view, viewProjection;
    if (camera)
    {
        projection = camera->GetProjection();
        view = camera->GetView();
        viewProjection = camera->GetViewProjection();
        camera->SetView(Matrix4::Identity());
        camera->SetProjection(kScreen);
        camera->SetViewProjection(kScreen);
    }
    DrawPasses(renderer);
    if (camera)
    {
        camera->SetProjection(projection);
        camera->SetView(view);
        camera->SetViewProjection(viewProjection);
    }
}

void WindowPlane::UpdateModelBound()
{
    if (!localBound || !localBound->IsDerived(SphereBoundingVolume::TYPE))
        return;
    auto* sphere = static_cast<SphereBoundingVolume*>(localBound.Get());
    sphere->SetCenter(Vector3());
    sphere->SetRadius(FLT_MAX);
}

int32_t WindowPlane::Save(Stream& stream)
{
    if (Triangles::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    stream.WriteVector2(position);
    if (stream.WriteVector2(size) != 0)
    {
        LogError("Невозможно сохранить данные плоскости. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t WindowPlane::Load(Stream& stream)
{
    if (Triangles::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    stream.ReadVector2(position);
    if (stream.ReadVector2(size) != 0)
    {
        LogError("Невозможно загрузить данные плоскости. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}
