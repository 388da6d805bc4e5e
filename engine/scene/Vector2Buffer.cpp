#include "engine/scene/Vector2Buffer.h"

#include <new>

#include "engine/core/EngineStartup.h"

QRE_IMPLEMENT_CLASS(Vector2Buffer, Buffer)
