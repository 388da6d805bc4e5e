#pragma once
#include "engine/core/Quaternion.h"
#include "engine/core/Vector3.h"

// Scale, then rotation, then translation: a node's placement relative to its
// parent. Stored as 40 bytes: scale, rotation (x, y, z, w), translation.
struct Transform
{
    Vector3 scale{1.0f, 1.0f, 1.0f};
    Quaternion rotation;
    Vector3 translation;
};
