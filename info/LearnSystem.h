#pragma once
#include "engine/scene/Node.h"

// The engine's scene-driven message system. This program's scene has none
// and nothing reads its configuration; the class is known by name so that a
// scene holding one still loads. Its record is Node's.
class LearnSystem : public Node
{
    QRE_DECLARE_CLASS

public:
    explicit LearnSystem(const String& name = String()) : Node(name) {}
};

// Puts the message system's scene classes on the engine's start-up lists;
// call with RegisterEngineClasses, before InitializeEngine.
void RegisterInfoClasses();
