#include "engine/scene/FloatBuffer.h"

#include <new>

#include "engine/core/EngineStartup.h"

QRE_IMPLEMENT_CLASS(FloatBuffer, Buffer)
