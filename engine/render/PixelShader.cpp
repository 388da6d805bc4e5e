#include "engine/render/PixelShader.h"

#include <new>

#include "engine/core/EngineStartup.h"

QRE_IMPLEMENT_CLASS(PixelShader, Shader)
