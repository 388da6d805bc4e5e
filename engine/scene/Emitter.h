#pragma once
#include "engine/core/Object.h"
#include "engine/core/Vector3.h"

class Node;

// Decides where a particle system's new particles appear and which way they
// fly. The system places the emission through its own node.
class Emitter : public Object
{
    QRE_DECLARE_CLASS

public:
    explicit Emitter(const String& name = String()) : Object(name) {}

    // The node whose world transform places the emission (set by the
    // particle system that holds this emitter, never stored).
    Node* GetNode() const { return node; }
    void SetNode(Node* value) { node = value; }

    // One emission: a position and a direction (of unit length unless the
    // class says otherwise).
    virtual void Emit(Vector3& position, Vector3& direction) = 0;

protected:
    Node* node = nullptr; // plain: the system holding us clears it as it goes
};
