#include "engine/scene/SceneNode.h"

#include <new>
#include <utility>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/render/SceneNodeEffect.h"

QRE_IMPLEMENT_CLASS(SceneNode, Node)

namespace
{

// Far deeper than any authored scene, shallow enough that the recursive
// passes (update, draw, search) stay well inside the stack. A damaged file
// can chain nodes through back references without nesting its records, so
// the depth is checked where the chain is made.
constexpr uint32_t kMaxTreeDepth = 1000;

// Levels below node, counting node itself.
uint32_t HeightOf(const Node* node)
{
    uint32_t tallest = 0;
    if (node->IsDerived(SceneNode::TYPE))
    {
        const auto* scene = static_cast<const SceneNode*>(node);
        for (uint32_t i = 0; i < scene->GetChildCount(); ++i)
            if (const Node* child = scene->GetChild(i))
            {
                const uint32_t height = HeightOf(child);
                tallest = height > tallest ? height : tallest;
            }
    }
    return tallest + 1;
}

} // namespace

SceneNode::SceneNode(const String& name, uint32_t capacity, uint32_t growStep)
    : Node(name), children(capacity, growStep)
{
}

SceneNode::~SceneNode()
{
    ReleaseEffects();
    ReleaseChildren();
}

void SceneNode::ReleaseEffects()
{
    // Head first, each disowned just before its reference goes.
    for (Ptr<SceneNodeEffect>& effect : effects)
    {
        if (effect->GetOwner() == this)
            effect->SetOwner(nullptr);
        effect = nullptr;
    }
    effects.Clear();
}

void SceneNode::ReleaseChildren()
{
    for (Ptr<Node>& child : children)
        if (child && child->parent == this)
            child->parent = nullptr;
    children.Clear();
}

bool SceneNode::Adopt(Node* child)
{
    // One parent per node keeps the scene a tree: a node listed twice would
    // be updated and drawn twice, and a damaged file could nest such
    // sharing until a traversal never ends.
    if (!child || child == this || child->parent || child->Holds(this))
        return false;
    uint32_t depth = 0;
    for (const Node* level = this; level; level = level->parent)
        ++depth;
    if (depth + HeightOf(child) > kMaxTreeDepth)
        return false;
    child->parent = this;
    return true;
}

int32_t SceneNode::AttachChild(Node* child)
{
    if (!Adopt(child))
    {
        LogWarning("Невозможно добавить дочерний узел: его нет, у него уже есть родитель, он замкнул бы цикл "
                   "или дерево стало бы слишком глубоким. Имя[%s] ID[%d]",
                   GetName().CStr(), GetID());
        return 3;
    }
    children.Append(Ptr<Node>(child));
    return 0;
}

int32_t SceneNode::DetachChild(Node* child)
{
    if (!child)
        return 3;
    for (Ptr<Node>& slot : children)
    {
        if (slot.Get() == child)
        {
            if (child->parent == this)
                child->parent = nullptr;
            slot = nullptr;
            return 0;
        }
    }
    return 3;
}

int32_t SceneNode::AddEffect(SceneNodeEffect* effect)
{
    if (!effect)
        return 3;
    for (const Ptr<SceneNodeEffect>& listed : effects)
        if (listed.Get() == effect)
            return 0;
    if (effect->Holds(this))
    {
        LogWarning("Эффект уже владеет узлом, добавление замкнуло бы цикл ссылок. Имя[%s] ID[%d]", GetName().CStr(),
                   GetID());
        return 3;
    }
    if (effects.Insert(0, Ptr<SceneNodeEffect>(effect)) != 0)
    {
        LogError("Недостаточно памяти для добавления эффекта. Имя[%s] ID[%d].", GetName().CStr(), GetID());
        return 2;
    }
    effect->SetOwner(this);
    return 0;
}

void SceneNode::RemoveEffect(SceneNodeEffect* effect)
{
    for (uint32_t i = 0; i < effects.Count(); ++i)
    {
        if (effects[i].Get() != effect)
            continue;
        if (effect->GetOwner() == this)
            effect->SetOwner(nullptr);
        effects.RemoveAt(i);
        return;
    }
}

uint32_t SceneNode::GetEffectCount() const
{
    return effects.Count();
}

SceneNodeEffect* SceneNode::GetEffect(uint32_t index) const
{
    return index < effects.Count() ? effects[index].Get() : nullptr;
}

void SceneNode::UpdateWorldData(double time)
{
    UpdateControllers(time);
    UpdateWorldTransform();
    for (uint32_t i = 0; i < effects.Count(); ++i)
        effects[i]->Update(time);
    for (uint32_t i = 0; i < children.Count(); ++i)
        if (Node* child = children[i].Get())
            child->UpdateTree(time, false);
}

void SceneNode::UpdateWorldBound()
{
    if (!updateWorldBound || children.IsEmpty() || !worldBound)
        return;
    bool started = false;
    for (const Ptr<Node>& child : children)
    {
        if (!child)
            continue;
        BoundingVolume* bound = child->GetWorldBound();
        const bool usable = bound && bound->GetBoundType() == BoundingVolume::kSphere;
        if (!started)
        {
            // The first child starts the bound even when it has none to
            // give; the later ones then merge into the old bound.
            started = true;
            if (usable)
                worldBound->CopyFrom(bound);
        }
        else if (usable)
        {
            worldBound->Merge(bound);
        }
    }
}

void SceneNode::DrawChildren(Renderer& renderer)
{
    for (uint32_t i = 0; i < children.Count(); ++i)
        if (Node* child = children[i].Get())
            child->DrawCulled(renderer);
}

void SceneNode::Draw(Renderer& renderer)
{
    if (effects.IsEmpty())
    {
        DrawChildren(renderer);
        return;
    }
    // By index and held: a pass may change the list (an effect removing
    // itself), which would free the entry a pointer walk stands on.
    for (uint32_t index = 0;; ++index)
    {
        Ptr<SceneNodeEffect> effect = GetEffect(index);
        if (!effect)
            break;
        if (!effect->IsEnabled())
            continue;
        const uint32_t passes = effect->PassCount();
        for (uint32_t pass = 0; pass < passes; ++pass)
        {
            if (effect->ApplyPass(pass) != 0)
                continue;
            DrawChildren(renderer);
            renderer.FlushTransparent();
        }
    }
}

Object* SceneNode::FindByName(const String& searched)
{
    if (Object* found = Node::FindByName(searched))
        return found;
    for (const Ptr<SceneNodeEffect>& effect : effects)
        if (Object* found = effect->FindByName(searched))
            return found;
    for (const Ptr<Node>& child : children)
        if (child)
            if (Object* found = child->FindByName(searched))
                return found;
    return nullptr;
}

void SceneNode::CollectByType(const RTTI& type, Array<Object*>& found)
{
    Node::CollectByType(type, found);
    for (const Ptr<SceneNodeEffect>& effect : effects)
        effect->CollectByType(type, found);
    for (const Ptr<Node>& child : children)
        if (child)
            child->CollectByType(type, found);
}

bool SceneNode::Holds(const Object* other) const
{
    if (Node::Holds(other))
        return true;
    for (const Ptr<SceneNodeEffect>& effect : effects)
        if (effect.Get() == other || effect->Holds(other))
            return true;
    for (const Ptr<Node>& child : children)
        if (child && (child.Get() == other || child->Holds(other)))
            return true;
    return false;
}

int32_t SceneNode::Save(Stream& stream)
{
    if (Node::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteInt32(static_cast<int32_t>(GetEffectCount())) != 0)
    {
        LogError("Невозможно сохранить количество эффектов. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    for (const Ptr<SceneNodeEffect>& effect : effects)
    {
        if (stream.WriteLink(effect.Get()) != 0)
        {
            LogError("Невозможно сохранить эффект. Имя[%s] ID[%d]", GetName().CStr(), GetID());
            return 1;
        }
    }
    if (stream.WriteInt32(static_cast<int32_t>(children.Count())) != 0)
    {
        LogError("Невозможно сохранить количество дочерних узлов. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteInt32(static_cast<int32_t>(children.GrowStep())) != 0)
    {
        LogError("Невозможно сохранить приращение. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    for (const Ptr<Node>& child : children)
    {
        if (stream.WriteLink(child.Get()) != 0)
        {
            LogError("Невозможно сохранить дочерний узел. Имя[%s] ID[%d]", GetName().CStr(), GetID());
            return 1;
        }
    }
    return 0;
}

int32_t SceneNode::Load(Stream& stream)
{
    if (Node::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    int32_t effectCount = 0;
    // Every link takes at least 4 bytes, so a count beyond what is left is
    // refused before the loop.
    if (stream.ReadInt32(effectCount) != 0 ||
        (effectCount > 0 && !stream.CheckRemaining(static_cast<uint32_t>(effectCount), 4)))
    {
        LogError("Невозможно загрузить количество эффектов. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    for (int32_t i = 0; i < effectCount; ++i)
    {
        Object* link = nullptr;
        if (stream.ReadLink(link) != 0)
        {
            LogError("Невозможно загрузить эффект. ID[%d] Имя[%s]", GetID(), GetName().CStr());
            return 1;
        }
        // Added one by one at the head: the list ends up reversed.
        if (link && link->IsDerived(SceneNodeEffect::TYPE))
            AddEffect(static_cast<SceneNodeEffect*>(link));
    }

    int32_t childCount = 0;
    if (stream.ReadInt32(childCount) != 0)
    {
        LogError("Невозможно загрузить количество дочерних узлов. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    int32_t growStep = 0;
    if (stream.ReadInt32(growStep) != 0)
    {
        LogError("Невозможно загрузить приращение. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    if (childCount < 0 || !stream.CheckRemaining(static_cast<uint32_t>(childCount), 4))
    {
        LogError("Невозможно загрузить количество дочерних узлов. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        stream.Fail(1);
        return 1;
    }
    ReleaseChildren();
    children = Array<Ptr<Node>>(static_cast<uint32_t>(childCount), growStep > 0 ? static_cast<uint32_t>(growStep) : 1);
    for (int32_t i = 0; i < childCount; ++i)
    {
        Object* link = nullptr;
        if (stream.ReadLink(link) != 0)
        {
            LogError("Невозможно загрузить дочерний узел. ID[%d] Имя[%s]", GetID(), GetName().CStr());
            return 1;
        }
        Node* child = link && link->IsDerived(Node::TYPE) ? static_cast<Node*>(link) : nullptr;
        if (child && !Adopt(child))
        {
            LogWarning("Дочерний узел пропущен: у него уже есть родитель, он замкнул бы цикл или дерево стало бы "
                       "слишком глубоким. ID[%d] Имя[%s]",
                       GetID(), GetName().CStr());
            child = nullptr;
        }
        children.Append(Ptr<Node>(child));
    }
    return 0;
}
