#include "engine/scene/GeometryNode.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/render/GeometryNodeEffect.h"
#include "engine/render/Renderer.h"

QRE_IMPLEMENT_ABSTRACT_CLASS(GeometryNode, Node)

namespace
{

// The link read from a stream as the class asked for, or null: a link of
// another class counts as a missing one.
template <typename Class>
Class* LinkAs(Object* link)
{
    return link && link->IsDerived(Class::TYPE) ? static_cast<Class*>(link) : nullptr;
}

} // namespace

GeometryNode::GeometryNode(const String& name) : Node(name)
{
    localBound = BoundingVolume::Create(BoundingVolume::kSphere);
    if (!localBound)
        LogError("Недостаточно памяти для создания окружающего объёма.");
}

GeometryNode::~GeometryNode()
{
    if (effect && effect->GetOwner() == this)
        effect->SetOwner(nullptr);
}

template <typename Visit>
void GeometryNode::ForEachBuffer(Visit visit) const
{
    visit(static_cast<Buffer*>(vertices.Get()));
    visit(static_cast<Buffer*>(pointSizes.Get()));
    visit(static_cast<Buffer*>(colors.Get()));
    visit(static_cast<Buffer*>(normals.Get()));
    visit(static_cast<Buffer*>(tangents.Get()));
    for (const Ptr<Buffer>& coordinates : textureCoordinates)
        visit(coordinates.Get());
    visit(static_cast<Buffer*>(indices.Get()));
}

Buffer* GeometryNode::GetTextureCoordinates(uint32_t stage) const
{
    return stage < kTextureStages ? textureCoordinates[stage].Get() : nullptr;
}

int32_t GeometryNode::SetTextureCoordinates(uint32_t stage, Buffer* buffer)
{
    if (stage >= kTextureStages)
        return 3;
    textureCoordinates[stage] = buffer;
    return 0;
}

bool GeometryNode::IsDrawable() const
{
    if (!vertices || !vertices->GetElements())
        return false;
    // Only the vertices and the indices are read by every draw. Which other
    // buffers a pass binds is its effect's choice, and the device refuses a
    // draw past any stream bound; a short buffer no pass binds (a spare
    // coordinate set, tangents) must not hide the mesh.
    return !indices || indices->GetIndexBound() <= vertices->GetCount();
}

int32_t GeometryNode::SetEffect(GeometryNodeEffect* newEffect)
{
    if (newEffect && newEffect->Holds(this))
    {
        LogWarning("Эффект уже владеет узлом, установка замкнула бы цикл ссылок. Имя[%s] ID[%d]", GetName().CStr(),
                   GetID());
        return 3;
    }
    if (effect && effect.Get() != newEffect && effect->GetOwner() == this)
        effect->SetOwner(nullptr);
    effect = newEffect;
    if (newEffect)
        newEffect->SetOwner(this);
    return 0;
}

void GeometryNode::UpdateModelBound()
{
    if (vertices && localBound)
        localBound->ComputeFromPoints(vertices.Get());
}

void GeometryNode::UpdateModelData(bool withNormals, bool withTangents)
{
    UpdateModelBound();
    if (withNormals)
        GenerateNormals();
    if (withTangents)
        GenerateTangents(0);
}

void GeometryNode::UpdateWorldData(double time)
{
    UpdateControllers(time);
    UpdateWorldTransform();
    if (effect)
        effect->Update(time);
}

void GeometryNode::UpdateWorldBound()
{
    if (updateWorldBound && localBound && worldBound)
        localBound->TransformTo(worldBound.Get(), worldTransform);
}

void GeometryNode::Draw(Renderer& renderer)
{
    if (!effect || !effect->IsEnabled())
        return;
    if (effect->IsTransparent())
    {
        renderer.QueueTransparent(this);
        return;
    }
    DrawPasses(renderer);
}

void GeometryNode::DrawDeferred(Renderer& renderer)
{
    DrawPasses(renderer);
}

void GeometryNode::DrawPasses(Renderer& renderer)
{
    if (!effect || !IsDrawable())
        return;
    // Held: the effect's passes run foreign code that might replace it.
    Ptr<GeometryNodeEffect> drawing = effect;
    renderer.SetGeometry(this);
    const uint32_t passes = drawing->PassCount();
    for (uint32_t pass = 0; pass < passes; ++pass)
    {
        if (drawing->ApplyPass(pass) == 0)
            renderer.DrawIndexed();
        renderer.PopAllLights();
    }
}

Object* GeometryNode::FindByName(const String& searched)
{
    if (Object* found = Node::FindByName(searched))
        return found;
    if (effect)
        if (Object* found = effect->FindByName(searched))
            return found;
    Object* hit = nullptr;
    ForEachBuffer([&](Buffer* buffer) {
        if (!hit && buffer)
            hit = buffer->FindByName(searched);
    });
    if (hit)
        return hit;
    return localBound ? localBound->FindByName(searched) : nullptr;
}

void GeometryNode::CollectByType(const RTTI& type, Array<Object*>& found)
{
    Node::CollectByType(type, found);
    if (effect)
        effect->CollectByType(type, found);
    ForEachBuffer([&](Buffer* buffer) {
        if (buffer)
            buffer->CollectByType(type, found);
    });
    if (localBound)
        localBound->CollectByType(type, found);
}

bool GeometryNode::Holds(const Object* other) const
{
    if (Node::Holds(other))
        return true;
    if (effect && (effect.Get() == other || effect->Holds(other)))
        return true;
    bool held = false;
    ForEachBuffer([&](Buffer* buffer) {
        if (buffer && (buffer == other || buffer->Holds(other)))
            held = true;
    });
    return held || (localBound && (localBound.Get() == other || localBound->Holds(other)));
}

int32_t GeometryNode::Save(Stream& stream)
{
    if (Node::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    struct Step
    {
        Object* link;
        const char* message;
    };
    const Step steps[] = {
        {effect.Get(), "Невозможно сохранить эффект. Имя[%s] ID[%d]"},
        {vertices.Get(), "Невозможно сохранить вершины. Имя[%s] ID[%d]"},
        {pointSizes.Get(), "Невозможно сохранить размеры точек. Имя[%s] ID[%d]"},
        {colors.Get(), "Невозможно сохранить цвета вершин. Имя[%s] ID[%d]"},
        {normals.Get(), "Невозможно сохранить нормали. Имя[%s] ID[%d]"},
        {tangents.Get(), "Невозможно сохранить тангенты. Имя[%s] ID[%d]"},
    };
    for (const Step& step : steps)
    {
        if (stream.WriteLink(step.link) != 0)
        {
            LogError(step.message, GetName().CStr(), GetID());
            return 1;
        }
    }
    for (const Ptr<Buffer>& coordinates : textureCoordinates)
    {
        if (stream.WriteLink(coordinates.Get()) != 0)
        {
            LogError("Невозможно сохранить текстурные координаты. Имя[%s] ID[%d]", GetName().CStr(), GetID());
            return 1;
        }
    }
    if (stream.WriteLink(indices.Get()) != 0)
    {
        LogError("Невозможно сохранить индексы. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteInt32(localBound ? localBound->GetBoundType() : BoundingVolume::kSphere) != 0)
    {
        LogError("Невозможно сохранить тип локального окружающего объёма. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t GeometryNode::Load(Stream& stream)
{
    if (Node::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    Object* link = nullptr;
    auto read = [&](const char* message) {
        if (stream.ReadLink(link) == 0)
            return true;
        LogError(message, GetID(), GetName().CStr());
        return false;
    };
    if (!read("Невозможно загрузить эффект. ID[%d] Имя[%s]"))
        return 1;
    SetEffect(LinkAs<GeometryNodeEffect>(link));
    if (!read("Невозможно загрузить вершины. ID[%d] Имя[%s]"))
        return 1;
    SetVertices(LinkAs<Vector3Buffer>(link));
    if (!read("Невозможно загрузить размеры точек. ID[%d] Имя[%s]"))
        return 1;
    SetPointSizes(LinkAs<FloatBuffer>(link));
    if (!read("Невозможно загрузить цвета. ID[%d] Имя[%s]"))
        return 1;
    SetColors(LinkAs<ColorBuffer>(link));
    if (!read("Невозможно загрузить нормали. ID[%d] Имя[%s]"))
        return 1;
    SetNormals(LinkAs<Vector3Buffer>(link));
    if (!read("Невозможно загрузить тангенты. ID[%d] Имя[%s]"))
        return 1;
    SetTangents(LinkAs<Vector3Buffer>(link));
    for (uint32_t stage = 0; stage < kTextureStages; ++stage)
    {
        if (!read("Невозможно загрузить текстурные координаты. ID[%d] Имя[%s]"))
            return 1;
        SetTextureCoordinates(stage, LinkAs<Buffer>(link));
    }
    if (!read("Невозможно загрузить индексы. ID[%d] Имя[%s]"))
        return 1;
    SetIndices(LinkAs<IntBuffer>(link));

    int32_t boundType = 0;
    if (stream.ReadInt32(boundType) != 0)
    {
        LogError("Невозможно загрузить тип лоакльного окружающего объёма. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    localBound = BoundingVolume::Create(boundType);
    if (!localBound)
    {
        LogError("Недостаточно памяти для создания локального окружающего объёма. ID[%d] Имя[%s]", GetID(),
                 GetName().CStr());
        stream.Fail(2);
        return 1;
    }
    UpdateModelBound();
    return 0;
}
