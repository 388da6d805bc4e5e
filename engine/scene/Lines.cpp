#include "engine/scene/Lines.h"

#include <new>

#include "engine/core/EngineStartup.h"

QRE_IMPLEMENT_CLASS(Lines, GeometryNode)
