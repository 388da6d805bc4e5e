#pragma once
#include <cstdint>

#include "engine/core/Object.h"
#include "engine/core/Ptr.h"
#include "engine/render/RenderStateBlock.h"

class Renderer;

// One drawing of the geometry: the device state it needs (its own
// RenderStateBlock) and, in Apply, whatever else it binds through the
// current renderer. The renderer may record the pass's device state and
// replay it until the pass is marked changed.
class Pass : public Object
{
    QRE_DECLARE_CLASS

public:
    // Creates the pass with a state block of default values.
    explicit Pass(const String& name = String());
    // Asks the renderer that recorded the pass to let the recording go.
    ~Pass() override;

    // Binds what the pass needs on the current renderer; 0 means draw, any
    // other value skips this pass for this draw.
    virtual int32_t Apply() = 0;

    // Marks the recorded state stale; passes that copy settings from their
    // owner refresh their state block here.
    virtual void MarkChanged();

    RenderStateBlock* GetState() const { return state.Get(); }

    // Device-object record.
    bool IsChanged() const { return changed; }
    void ClearChanged() { changed = false; }
    void* GetDeviceHandle() const { return deviceHandle; }
    Renderer* GetDeviceRenderer() const { return deviceRenderer.Get(); }
    void SetDeviceHandle(Renderer* renderer, void* handle);

    bool Holds(const Object* other) const override;

private:
    Ptr<RenderStateBlock> state;
    Ptr<Renderer> deviceRenderer;
    void* deviceHandle = nullptr;
    bool changed = true;
};
