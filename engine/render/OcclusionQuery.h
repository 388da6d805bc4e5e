#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/core/RefCounted.h"

class Renderer;

// Counts the samples of the draws between Renderer::BeginQuery and EndQuery
// that pass the depth and stencil tests: the engine's way of asking whether
// something (a flare's source, a portal) is visible at all. Made by code,
// never stored in a scene file. The device query is made on the first
// Begin and kept until the query goes or the device does.
class OcclusionQuery : public RefCounted
{
public:
    OcclusionQuery() = default;
    // Gives the device query back while the renderer can still free it.
    ~OcclusionQuery() override;

    OcclusionQuery(const OcclusionQuery&) = delete;
    OcclusionQuery& operator=(const OcclusionQuery&) = delete;

    // Samples that passed in the last completed Begin/End; 0 before one.
    uint32_t GetVisibleSamples() const { return visibleSamples; }
    void SetVisibleSamples(uint32_t count) { visibleSamples = count; }

    // change tracking, as for every owner of device data: set while the
    // device copy has to be made again, cleared by the renderer once made.
    bool IsChanged() const { return changed; }
    void MarkChanged() { changed = true; }
    void ClearChanged() { changed = false; }

    // device copy: the renderer that holds it (a reference, so it outlives
    // the copy) and its opaque handle; null until the renderer makes one.
    void* GetDeviceHandle() const { return deviceHandle; }
    Renderer* GetDeviceRenderer() const { return deviceRenderer.Get(); }
    void SetDeviceHandle(Renderer* renderer, void* handle);

private:
    Ptr<Renderer> deviceRenderer;
    void* deviceHandle = nullptr;
    bool changed = true; // a new query has no device copy yet
    uint32_t visibleSamples = 0;
};
