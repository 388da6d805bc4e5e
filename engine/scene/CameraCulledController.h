#pragma once
#include <cstdint>

#include "engine/core/Array.h"
#include "engine/core/Controller.h"
#include "engine/scene/NodeLink.h"

// Hides a list of nodes while its camera (the controlled object) is the
// renderer's current camera, and shows them again once another camera
// takes over: a shot can leave out what would block its own lens.
class CameraCulledController : public Controller
{
    QRE_DECLARE_CLASS

public:
    explicit CameraCulledController(const String& name = String()) : Controller(name) {}
    // Shows every listed node that still lives.
    ~CameraCulledController() override;

    // While active: hides the nodes when the target camera is current,
    // shows them once when it stops being current. An inactive controller
    // leaves the flags as they are.
    int32_t Update(double time) override;

    // The listed nodes are not held: they live in the tree, and a node
    // gone from it simply drops out of the list.
    void AddNode(Node* node) { nodes.Append(NodeLink(node)); }
    uint32_t GetNodeCount() const { return nodes.Count(); }
    Node* GetNode(uint32_t index) const { return index < nodes.Count() ? nodes[index].Get() : nullptr; }
    bool IsHiding() const { return hiding; }

    // streaming: the node list (count, then links)
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    void SetCulled(bool culled);

    Array<NodeLink> nodes{1, 4};
    bool hiding = false;
};
