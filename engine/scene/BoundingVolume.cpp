#include "engine/scene/BoundingVolume.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/scene/SphereBoundingVolume.h"

QRE_IMPLEMENT_ABSTRACT_CLASS(BoundingVolume, Object)

BoundingVolume* BoundingVolume::Create(int32_t)
{
    return new (std::nothrow) SphereBoundingVolume();
}
