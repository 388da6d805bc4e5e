#pragma once
#include <cstdint>

#include "engine/files/InputEvent.h"

class InputHandler;

// Turns window-system events into engine input events, queues them and hands
// the queue to every registered handler once per frame.
class InputManager
{
public:
    static int32_t Initialize();
    static int32_t Terminate();

    // Newest first; takes a reference. 3 null; registering twice is 0 and
    // keeps one entry.
    static int32_t RegisterInputHandler(InputHandler* handler);

    static void AddInputEvent(const InputEvent& event);

    // Drains the window system's pending events into the queue, then gives
    // every handler (newest first) every queued event in order, then empties
    // the queue. 0.
    static int32_t ProcessInput();

    static uint32_t GetHandlerCount();
    static uint32_t GetQueuedEventCount();
};
