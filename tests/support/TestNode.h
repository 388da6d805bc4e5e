#pragma once
#include <vector>

#include "engine/core/ClassRegistry.h"
#include "engine/core/Object.h"
#include "engine/core/Ptr.h"
#include "engine/core/Stream.h"

// A small node class for stream tests: owned children, an owned shared
// object, a plain parent and a plain "buddy" that may point anywhere (so the
// graph can have cycles that own nothing), and a run of floats standing in
// for geometry.
class TestNode : public Object
{
    QRE_DECLARE_CLASS

public:
    explicit TestNode(const String& name = String()) : Object(name) { ++live; }
    ~TestNode() override { --live; }

    // How many exist: a failed load must leave none behind.
    static inline int live = 0;

    void AddChild(TestNode* child)
    {
        children.push_back(child);
        child->parent = this;
    }

    int32_t Save(Stream& stream) override
    {
        if (Object::Save(stream) != 0)
            return 1;
        stream.WriteInt32(static_cast<int32_t>(children.size()));
        for (const Ptr<TestNode>& child : children)
            stream.WriteLink(child.Get());
        stream.WriteLink(parent);
        stream.WriteLink(buddy);
        stream.WriteLink(shared.Get());
        stream.WriteUInt32(static_cast<uint32_t>(floats.size()));
        stream.WriteFloats(floats.data(), static_cast<uint32_t>(floats.size()));
        return stream.GetState();
    }

    int32_t Load(Stream& stream) override
    {
        if (Object::Load(stream) != 0)
            return 1;
        int32_t count = 0;
        if (stream.ReadInt32(count) != 0 || (count > 0 && !stream.CheckRemaining(static_cast<uint32_t>(count), 4)))
            return 1;
        for (int32_t i = 0; i < count; ++i)
        {
            Object* link = nullptr;
            if (stream.ReadLink(link) != 0)
                return 1;
            if (TestNode* child = Cast(link); child && child != this && !child->Holds(this))
                AddChild(child);
        }
        Object* link = nullptr;
        stream.ReadLink(link);
        parent = Cast(link);
        stream.ReadLink(link);
        buddy = Cast(link);
        stream.ReadLink(link);
        if (link && link != this && !link->Holds(this))
            shared = link;
        uint32_t floatCount = 0;
        if (stream.ReadUInt32(floatCount) != 0 || !stream.CheckRemaining(floatCount, 4))
            return 1;
        floats.resize(floatCount);
        return stream.ReadFloats(floats.data(), floatCount);
    }

    bool Holds(const Object* other) const override
    {
        if (Object::Holds(other))
            return true;
        for (const Ptr<TestNode>& child : children)
            if (child.Get() == other || child->Holds(other))
                return true;
        return shared && (shared.Get() == other || shared->Holds(other));
    }

    static TestNode* Cast(Object* object)
    {
        return object && object->IsDerived(TYPE) ? static_cast<TestNode*>(object) : nullptr;
    }

    std::vector<Ptr<TestNode>> children;
    TestNode* parent = nullptr; // back pointer
    TestNode* buddy = nullptr;  // plain: may close a cycle
    Ptr<Object> shared;
    std::vector<float> floats;
};

// Puts the test classes into the class registry for one scope.
class TestClasses
{
public:
    TestClasses() { RegisterClassFactory(TestNode::TYPE.GetName(), &TestNode::Factory); }
    ~TestClasses() { UnregisterClassFactory(TestNode::TYPE.GetName()); }
};
