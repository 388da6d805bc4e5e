#pragma once
#include <cstdint>

#include "engine/core/Array.h"
#include "engine/core/Ptr.h"
#include "engine/render/Pass.h"

class Object;
class Renderer;

// One way of producing an effect's picture: a list of passes that a device
// of enough capability can run. Not an engine class: techniques are built
// in code by their effect and never streamed.
class Technique
{
public:
    Technique() = default;
    virtual ~Technique() = default;
    Technique(const Technique&) = delete;
    Technique& operator=(const Technique&) = delete;

    // Whether the renderer's capabilities allow this technique; a supported
    // technique builds its passes inside this call (once).
    virtual bool IsSupported(const Renderer& renderer) = 0;

    // Tells every pass its state is stale.
    virtual void MarkChanged();

    uint32_t GetPassCount() const { return passes.Count(); }
    // Null past the end.
    Pass* GetPass(uint32_t index) const { return index < passes.Count() ? passes[index].Get() : nullptr; }

    // True when a pass is other or holds it.
    bool Holds(const Object* other) const;

protected:
    // Appends a pass (held); 2 when out of memory, 3 for null.
    int32_t AddPass(Pass* pass);
    void ClearPasses() { passes.Clear(); }

private:
    Array<Ptr<Pass>> passes{2, 2};
};
