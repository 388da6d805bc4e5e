#pragma once
#include "engine/core/Vector3.h"

// A half-line for picking and intersection tests. The direction is expected
// to be unit length; nothing normalises it.
struct Ray
{
    Vector3 origin;
    Vector3 direction;
};
