#pragma once
#include "engine/core/Transform.h"
#include "engine/core/Vector3.h"
#include "engine/scene/Node.h"

// Turns transform to look along direction: forward D = the direction made
// unit, right R = (0, 1, 0) x D made unit (or (1, 0, 0) when D is within
// 0.999 of straight up or down, where that cross product vanishes), up
// U = D x R; the rotation's matrix has the columns R, U, D. Both flags are
// cleared. A direction without length or with a non-finite component keeps
// the rotation (false): a zero or NaN quaternion would wreck every vector
// it turns.
bool AimTransform(Transform& transform, const Vector3& direction);

// Where a node's world transform puts it (the origin while it is the
// identity).
inline Vector3 WorldPosition(const Node& node)
{
    const Transform& world = node.GetWorldTransform();
    return world.IsIdentity() ? Vector3() : world.GetTranslation();
}

// The look-at controllers' step, for a Camera or a Light: the node's world
// transform is brought up to date once and then left to this step (its own
// update would otherwise recompute it), the node looks from there at the
// target's world position, and its world rotation becomes the local one.
template <typename Aimed>
void LookAtNode(Aimed& node, const Node& target)
{
    node.SetUpdateWorldTransform(true);
    node.UpdateWorldTransform();
    node.SetUpdateWorldTransform(false);
    node.LookAt(WorldPosition(target) - WorldPosition(node));
    Transform& world = node.GetWorldTransform();
    if (world.IsIdentity())
        world.MakeIdentity(); // the fields may be stale while the flag hides them
    world.SetRotation(node.GetLocalTransform().GetRotation());
}
