#pragma once
#include <cstdint>

#include "engine/core/Controller.h"
#include "engine/scene/NodeLink.h"

// Aims its camera (the controlled object) at a node every frame: the shots
// that follow a subject. The subject is a weak link, so a camera may look at
// its own ancestor without the two holding each other.
class TargetCameraController : public Controller
{
    QRE_DECLARE_CLASS

public:
    explicit TargetCameraController(const String& name = String()) : Controller(name) {}

    // While active, with a Camera to drive and a subject that still lives:
    // the camera's world transform is computed here (and left alone by its
    // own update), it looks at the subject's world position, and its world
    // rotation is the local one. Anything else changes nothing.
    int32_t Update(double time) override;

    // The node looked at; null when none was given or it is gone.
    Node* GetTargetNode() const { return targetNode.Get(); }
    void SetTargetNode(Node* node) { targetNode = NodeLink(node); }

    // streaming: the subject (a link)
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    NodeLink targetNode;
};
