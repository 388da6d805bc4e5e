#include "engine/scene/Controller.h"

#include <new>

#include "engine/core/EngineStartup.h"

QRE_IMPLEMENT_ABSTRACT_CLASS(Controller, Object)
