#include "engine/scene/Points.h"

#include <new>

#include "engine/core/EngineStartup.h"

QRE_IMPLEMENT_CLASS(Points, GeometryNode)
