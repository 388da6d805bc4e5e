#include "engine/scene/Vector4Buffer.h"

#include <new>

#include "engine/core/EngineStartup.h"

QRE_IMPLEMENT_CLASS(Vector4Buffer, Buffer)
