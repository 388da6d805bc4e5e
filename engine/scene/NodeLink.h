#pragma once
#include <cstdint>

#include "engine/scene/Node.h"

// A link to a node that holds nothing and notices when the node is gone:
// the skin's bones and the hidden lists point into the tree, and a
// reference there could close a cycle through the tree (a bone above its
// own mesh), while a bare pointer could outlive a node a damaged file left
// unowned. IDs are never reused, so a freed node is never mistaken for a
// new one at the same address.
class NodeLink
{
public:
    NodeLink() = default;
    explicit NodeLink(Node* node) : node(node), id(node ? node->GetID() : 0) {}

    // The node while it lives, else null.
    Node* Get() const
    {
        return node && Node::FindLive(id) == node ? node : nullptr;
    }

private:
    Node* node = nullptr;
    uint32_t id = 0;
};
