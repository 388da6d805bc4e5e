#include "engine/scene/ColorBuffer.h"

#include <new>

#include "engine/core/EngineStartup.h"

QRE_IMPLEMENT_CLASS(ColorBuffer, Buffer)
