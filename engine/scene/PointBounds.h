#pragma once
#include <cstdint>

#include "engine/core/Vector3.h"

// The sphere around a run of points: center of their axis-aligned box,
// radius to the farthest point. Skinned meshes refit theirs every frame, so
// the loop has a packed-arithmetic version; every version gives exactly the
// plain one's result (same operations in the same order).
using SphereFitFunction = void (*)(const Vector3* points, uint32_t count, Vector3& center, float& radius);

// count must be at least 1.
void FitSpherePlain(const Vector3* points, uint32_t count, Vector3& center, float& radius);
// The packed version; the plain one where the processor has none.
void FitSphereVector(const Vector3* points, uint32_t count, Vector3& center, float& radius);

// The version for this processor, chosen on first use.
SphereFitFunction GetSphereFit();
