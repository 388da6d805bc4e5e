#pragma once
#include <cstdint>

#include "engine/core/Array.h"
#include "engine/scene/Emitter.h"

// Emits at a fixed list of world positions in turn, with no direction
// (zero): for fields of things that stand where they were put.
class PositionEmitter : public Emitter
{
    QRE_DECLARE_CLASS

public:
    explicit PositionEmitter(const String& name = String()) : Emitter(name) {}

    const Array<Vector3>& GetPositions() const { return positions; }
    // 0; 2 when memory runs out (logged).
    int32_t AddPosition(const Vector3& position);
    // The index the next emission uses (modulo the count).
    uint32_t GetCursor() const { return cursor; }

    void Emit(Vector3& position, Vector3& direction) override;

    // streaming: count, then the positions
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    Array<Vector3> positions{1, 64};
    uint32_t cursor = 0;
};
