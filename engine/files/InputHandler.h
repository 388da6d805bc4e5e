#pragma once
#include "engine/core/Named.h"
#include "engine/core/RefCounted.h"
#include "engine/files/InputEvent.h"

// Receives every input event of a frame from the InputManager.
class InputHandler : public RefCounted, public Named
{
public:
    explicit InputHandler(const String& name = String()) : Named(name) {}

    virtual void OnInputEvent(const InputEvent& event) = 0;
};
