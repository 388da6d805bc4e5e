#include "engine/scene/Node.h"

#include <new>
#include <unordered_map>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/core/Controller.h"

// Known by name, made by none: a file always names one of the concrete
// kinds of node.
QRE_IMPLEMENT_ABSTRACT_CLASS(Node, Object)

namespace
{

// Every live node by ID. Never freed: nodes held by statics may go after
// any map destructor would have run.
std::unordered_map<uint32_t, Node*>& LiveNodes()
{
    static auto* nodes = new std::unordered_map<uint32_t, Node*>();
    return *nodes;
}

} // namespace

Node::Node(const String& name) : Object(name)
{
    LiveNodes()[GetID()] = this;
    worldBound = BoundingVolume::Create(BoundingVolume::kSphere);
    if (!worldBound)
        LogError("Недостаточно памяти для создания окружающего объёма.");
}

Node::~Node()
{
    LiveNodes().erase(GetID());
    for (uint32_t i = 0, count = GetControllerCount(); i < count; ++i)
    {
        Controller* controller = GetController(i);
        if (controller->GetTarget() == this)
            controller->SetTarget(nullptr);
    }
}

Node* Node::FindLive(uint32_t id)
{
    auto found = LiveNodes().find(id);
    return found == LiveNodes().end() ? nullptr : found->second;
}

void Node::UpdateTree(double time, bool propagateUp)
{
    UpdateWorldData(time);
    UpdateWorldBound();
    if (propagateUp)
        for (Node* ancestor = parent; ancestor; ancestor = ancestor->parent)
            ancestor->UpdateWorldBound();
}

void Node::UpdateWorldData(double time)
{
    UpdateControllers(time);
    UpdateWorldTransform();
}

void Node::UpdateWorldTransform()
{
    if (!updateWorldTransform)
        return;
    worldTransform = parent ? Transform::Product(localTransform, parent->worldTransform) : localTransform;
}

void Node::Draw(Renderer&)
{
}

void Node::DrawCulled(Renderer& renderer)
{
    if (culledFlag)
        return;
    Camera* camera = renderer.GetCamera();
    if (!camera)
    {
        Draw(renderer);
        return;
    }
    // Held across the subtree: drawing may switch the renderer's camera,
    // and the mask must go back to the camera it was taken from.
    Ptr<Camera> held = camera;
    const uint32_t saved = camera->GetActivePlanes();
    if (!worldBound || !camera->IsCulled(*worldBound))
        Draw(renderer);
    camera->SetActivePlanes(saved);
}

Object* Node::FindByName(const String& searched)
{
    if (Object* found = Object::FindByName(searched))
        return found;
    return worldBound ? worldBound->FindByName(searched) : nullptr;
}

void Node::CollectByType(const RTTI& type, Array<Object*>& found)
{
    Object::CollectByType(type, found);
    if (worldBound)
        worldBound->CollectByType(type, found);
}

bool Node::Holds(const Object* other) const
{
    if (Object::Holds(other))
        return true;
    return worldBound && (worldBound.Get() == other || worldBound->Holds(other));
}

int32_t Node::Save(Stream& stream)
{
    if (Object::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteLink(parent) != 0)
    {
        LogError("Невозможно сохранить родителя. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteTransform(localTransform) != 0)
    {
        LogError("Невозможно сохранить локальную трансформацию. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteInt32(worldBound ? worldBound->GetBoundType() : BoundingVolume::kSphere) != 0)
    {
        LogError("Невозможно сохранить тип окружающего объёма. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteBool(updateWorldBound != 0) != 0)
    {
        LogError("Невозможно сохранить флаг обновления мирового объёма. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t Node::Load(Stream& stream)
{
    if (Object::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    // The parent's record is read (it may begin here), but the pointer is
    // set only when a SceneNode takes this node as a child: a parent that
    // does not hold the node could be freed while the node lives on.
    Object* link = nullptr;
    if (stream.ReadLink(link) != 0)
    {
        LogError("Невозможно загрузить родителя. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    if (stream.ReadTransform(localTransform) != 0)
    {
        LogError("Невозможно загрузить локальную трансформацию. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    int32_t boundType = 0;
    if (stream.ReadInt32(boundType) != 0)
    {
        LogError("Невозможно загрузить тип окружающего объёма. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    bool flag = true;
    if (stream.ReadBool(flag) != 0)
    {
        LogError("Невозможно загрузить флаг обновления окружающего объёма. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    updateWorldBound = flag ? 1 : 0;
    worldBound = BoundingVolume::Create(boundType);
    if (!worldBound)
    {
        LogError("Недостаточно памяти для создания мирового окружающего объёма. ID[%d] Имя[%s]", GetID(),
                 GetName().CStr());
        stream.Fail(2);
        return 1;
    }
    return 0;
}
