#include "engine/scene/GeometryNodeEffect.h"

#include <new>

#include "engine/core/EngineStartup.h"

QRE_IMPLEMENT_ABSTRACT_CLASS(GeometryNodeEffect, Effect)
