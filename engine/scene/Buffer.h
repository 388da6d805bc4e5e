#pragma once
#include <cstdint>

#include "engine/core/Object.h"
#include "engine/core/Ptr.h"

class Renderer;

// A run of vertex attributes or indices with the bookkeeping the renderer
// needs: the handle of its device copy and a changed flag that asks for a
// new upload. Whoever rewrites the contents calls MarkChanged.
class Buffer : public Object
{
    QRE_DECLARE_CLASS

public:
    // Tells the renderer that made the device copy to free it.
    ~Buffer() override;

    // contents
    virtual uint32_t GetSizeInBytes() const { return count * GetElementSize(); }
    virtual uint32_t GetCount() const { return count; }
    virtual void* GetData() = 0;
    virtual const void* GetData() const = 0;
    virtual uint32_t GetElementSize() const = 0;

    // change tracking: the flag is cleared by the renderer after an upload;
    // the revision only ever grows, for caches of derived facts (index
    // ranges, validated bone indices) that must not be cleared by uploads
    bool IsChanged() const { return changed; }
    void MarkChanged()
    {
        changed = true;
        ++revision;
    }
    void ClearChanged() { changed = false; }
    uint32_t GetRevision() const { return revision; }

    // device copy: the renderer that holds it (a reference, so it outlives
    // the copy) and its opaque handle; null until the renderer makes one
    void* GetDeviceHandle() const { return deviceHandle; }
    Renderer* GetDeviceRenderer() const { return deviceRenderer.Get(); }
    void SetDeviceHandle(Renderer* renderer, void* handle);

protected:
    explicit Buffer(const String& name = String());

    uint32_t count = 0;

private:
    Ptr<Renderer> deviceRenderer;
    void* deviceHandle = nullptr;
    bool changed = true; // a new buffer has never been uploaded
    uint32_t revision = 0;
};
