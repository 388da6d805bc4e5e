#include "engine/render/SceneNodeEffect.h"

#include <new>

#include "engine/core/EngineStartup.h"

QRE_IMPLEMENT_ABSTRACT_CLASS(SceneNodeEffect, Effect)
