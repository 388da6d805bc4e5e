#include "engine/scene/Emitter.h"

#include <new>

#include "engine/core/EngineStartup.h"

QRE_IMPLEMENT_ABSTRACT_CLASS(Emitter, Object)
