#include "engine/scene/StripLines.h"

#include <new>

#include "engine/core/EngineStartup.h"

QRE_IMPLEMENT_CLASS(StripLines, GeometryNode)
