#include "engine/scene/Vector3Buffer.h"

#include <new>

#include "engine/core/EngineStartup.h"

QRE_IMPLEMENT_CLASS(Vector3Buffer, Buffer)
