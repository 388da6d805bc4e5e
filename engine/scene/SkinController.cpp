#include "engine/scene/SkinController.h"

#include <cfloat>
#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/SkinningLoop.h"
#include "engine/scene/SphereBoundingVolume.h"

QRE_IMPLEMENT_CLASS(SkinController, Controller)

namespace
{

template <typename Class>
Class* LinkAs(Object* link)
{
    return link && link->IsDerived(Class::TYPE) ? static_cast<Class*>(link) : nullptr;
}

} // namespace

SkinController::SkinController(const String& name) : Controller(name)
{
}

void SkinController::SetBones(uint32_t count, Node* const* newBones, const Transform* offsets)
{
    bones.Clear();
    boneOffsets.Clear();
    for (uint32_t i = 0; i < count; ++i)
    {
        bones.Append(NodeLink(newBones ? newBones[i] : nullptr));
        boneOffsets.Append(offsets ? offsets[i] : Transform());
    }
    checked.built = false;
}

bool SkinController::ValidateIndices(uint32_t vertexCount)
{
    const uint32_t boneCount = boneOffsets.Count();
    if (checked.built && checked.indices == boneIndices.Get() && checked.indicesRevision == boneIndices->GetRevision() &&
        checked.weights == weights.Get() && checked.weightsRevision == weights->GetRevision() &&
        checked.boneCount == boneCount && checked.vertexCount == vertexCount)
        return checked.valid;

    checked.indices = boneIndices.Get();
    checked.indicesRevision = boneIndices->GetRevision();
    checked.weights = weights.Get();
    checked.weightsRevision = weights->GetRevision();
    checked.boneCount = boneCount;
    checked.vertexCount = vertexCount;
    checked.built = true;
    checked.valid = true;

    checkedIndices.assign(static_cast<size_t>(vertexCount) * 4, 0);
    const Vector4* stored = boneIndices->GetElements();
    const Vector4* weight = weights->GetElements();
    for (uint32_t v = 0; v < vertexCount; ++v)
    {
        const float index[4] = {stored[v].x, stored[v].y, stored[v].z, stored[v].w};
        const float w[4] = {weight[v].x, weight[v].y, weight[v].z, weight[v].w};
        for (int k = 0; k < 4; ++k)
        {
            // Written this way round so NaN fails too.
            if (index[k] >= 0.0f && index[k] < static_cast<float>(boneCount))
                checkedIndices[v * 4 + k] = static_cast<uint32_t>(index[k]);
            else if (k == 0 || w[k] > 0.0f)
                checked.valid = false;
            // An unused influence may name anything; it is never read.
        }
    }
    if (!checked.valid)
        LogWarning("Индексы костей указывают за пределы списка костей. Имя[%s] ID[%d]", GetName().CStr(), GetID());
    return checked.valid;
}

void SkinController::UpdateBones()
{
    const uint32_t boneCount = boneOffsets.Count();
    boneMatrices.resize(boneCount);
    if (!bonePositions || bonePositions->GetCount() != boneCount)
    {
        if (!bonePositions)
            bonePositions = new (std::nothrow) Vector3Buffer();
        if (bonePositions && !bonePositions->Allocate(boneCount))
            bonePositions = nullptr;
    }
    for (uint32_t i = 0; i < boneCount; ++i)
    {
        const Node* bone = bones[i].Get();
        const Transform world = bone ? bone->GetWorldTransform() : Transform();
        boneMatrices[i] = Transform::Product(boneOffsets[i], world).ToMatrix();
        if (bonePositions)
            (*bonePositions)[i] = world.IsIdentity() ? Vector3() : world.translation;
    }
}

void SkinController::WriteBound(GeometryNode& mesh)
{
    SphereBoundingVolume sphere;
    if (boneOffsets.Count() >= 2 && bonePositions && sphere.ComputeFromPoints(bonePositions.Get()) == 0)
        sphere.SetRadius(sphere.GetRadius() * 1.5f);
    else
        sphere.SetRadius(FLT_MAX); // a fixed point with an unbounded radius: never culled
    if (BoundingVolume* bound = mesh.GetWorldBound())
        bound->CopyFrom(&sphere);
    mesh.SetUpdateWorldBound(false);
    // The bone matrices come from world transforms: the deformed vertices
    // are in world space already.
    mesh.SetWorldTransform(Transform());
    mesh.SetUpdateWorldTransform(false);
}

int32_t SkinController::Update(double)
{
    Object* target = GetTarget();
    GeometryNode* mesh = LinkAs<GeometryNode>(target);
    const bool deform = IsActive() && cpuSkinning;

    Vector3Buffer* vertices = mesh ? mesh->GetVertices() : nullptr;
    Vector3Buffer* normals = mesh ? mesh->GetNormals() : nullptr;
    if (deform)
    {
        if (!vertices || !normals || !restVertices || !restNormals || !weights || !boneIndices)
            return 0;
        const uint32_t count = vertices->GetCount();
        if (restVertices->GetCount() != count || normals->GetCount() != count || restNormals->GetCount() != count ||
            weights->GetCount() < count || boneIndices->GetCount() < count || !ValidateIndices(count))
            return 0;
    }

    UpdateBones();
    if (deform)
    {
        vertices->MarkChanged();
        normals->MarkChanged();
        const SkinBatch batch{restVertices->GetElements(), restNormals->GetElements(), weights->GetElements(),
                              checkedIndices.data(),       boneMatrices.data(),        vertices->GetElements(),
                              normals->GetElements(),      vertices->GetCount()};
        if (batch.count > 0)
            GetSkinLoop()(batch);
    }
    if (mesh)
        WriteBound(*mesh);
    return 0;
}

bool SkinController::Holds(const Object* other) const
{
    if (Controller::Holds(other))
        return true;
    const Object* held[] = {bonePositions.Get(), weights.Get(), boneIndices.Get(), restVertices.Get(),
                            restNormals.Get(), restTangents.Get()};
    for (const Object* object : held)
        if (object && (object == other || object->Holds(other)))
            return true;
    return false;
}

int32_t SkinController::Save(Stream& stream)
{
    if (Controller::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    const uint32_t boneCount = boneOffsets.Count();
    if (stream.WriteInt32(static_cast<int32_t>(boneCount)) != 0)
    {
        LogError("Невозможно сохранить количество костей. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    for (uint32_t i = 0; i < boneCount; ++i)
    {
        // A bone that has gone is written as a null link, never followed.
        if (stream.WriteLink(bones[i].Get()) != 0)
        {
            LogError("Невозможно сохранить кость. Имя[%s] ID[%d]", GetName().CStr(), GetID());
            return 1;
        }
    }
    for (uint32_t i = 0; i < boneCount; ++i)
    {
        if (stream.WriteTransform(boneOffsets[i]) != 0)
        {
            LogError("Невозможно сохранить кость. Имя[%s] ID[%d]", GetName().CStr(), GetID());
            return 1;
        }
    }
    struct Step
    {
        Object* link;
        const char* message;
    };
    const Step steps[] = {
        {weights.Get(), "Невозможно сохранить веса. Имя[%s] ID[%d]"},
        {boneIndices.Get(), "Невозможно сохранить индексы. Имя[%s] ID[%d]"},
        {restVertices.Get(), "Невозможно сохранить вершины. Имя[%s] ID[%d]"},
        {restNormals.Get(), "Невозможно сохранить нормали. Имя[%s] ID[%d]"},
        {restTangents.Get(), "Невозможно сохранить тангенсы. Имя[%s] ID[%d]"},
    };
    for (const Step& step : steps)
    {
        if (stream.WriteLink(step.link) != 0)
        {
            LogError(step.message, GetName().CStr(), GetID());
            return 1;
        }
    }
    return 0;
}

int32_t SkinController::Load(Stream& stream)
{
    if (Controller::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    int32_t count = 0;
    // Each bone takes at least a 4-byte link and a 40-byte offset.
    if (stream.ReadInt32(count) != 0 || count < 0 || !stream.CheckRemaining(static_cast<uint32_t>(count), 44))
    {
        LogError("Невозможно загрузить количество костей. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        stream.Fail(1);
        return 1;
    }
    bones = Array<NodeLink>(static_cast<uint32_t>(count), 4);
    boneOffsets = Array<Transform>(static_cast<uint32_t>(count), 4);
    checked.built = false;
    for (int32_t i = 0; i < count; ++i)
    {
        Object* link = nullptr;
        if (stream.ReadLink(link) != 0)
        {
            LogError("Невозможно загрузить кость. ID[%d]", GetID());
            return 1;
        }
        bones.Append(NodeLink(LinkAs<Node>(link)));
    }
    for (int32_t i = 0; i < count; ++i)
    {
        Transform offset;
        if (stream.ReadTransform(offset) != 0)
        {
            LogError("Невозможно загрузить кость. ID[%d]", GetID());
            bones.Clear();
            boneOffsets.Clear();
            return 1;
        }
        boneOffsets.Append(offset);
    }

    Object* link = nullptr;
    auto read = [&](const char* message) {
        if (stream.ReadLink(link) == 0)
            return true;
        LogError(message, GetName().CStr(), GetID());
        return false;
    };
    if (!read("Невозможно загрузить веса. Имя[%s] ID[%d]"))
        return 1;
    SetWeights(LinkAs<Vector4Buffer>(link));
    if (!read("Невозможно загрузить индексы. Имя[%s] ID[%d]"))
        return 1;
    SetBoneIndices(LinkAs<Vector4Buffer>(link));
    if (!read("Невозможно загрузить вершины. Имя[%s] ID[%d]"))
        return 1;
    SetRestVertices(LinkAs<Vector3Buffer>(link));
    if (!read("Невозможно загрузить нормали. Имя[%s] ID[%d]"))
        return 1;
    SetRestNormals(LinkAs<Vector3Buffer>(link));
    if (!read("Невозможно загрузить тангенсы. Имя[%s] ID[%d]"))
        return 1;
    SetRestTangents(LinkAs<Vector3Buffer>(link));
    return 0;
}
